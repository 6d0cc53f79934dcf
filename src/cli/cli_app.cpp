#include "cli/cli_app.h"

#include <algorithm>
#include <iostream>
#include <optional>
#include <string>

#include "cli/chart_commands.h"
#include "cli/cli_context.h"
#include "cli/terminal_interaction.h"

#ifndef PELLMARK_VERSION
#define PELLMARK_VERSION "0.0.0"
#endif

namespace pellmark::cli {
namespace {

void AddCommands(CLI::App& app, CommandList& commands) {
  AddClubCommands(app, commands);
  AddStoreCommands(app, commands);
  AddAccountCommands(app, commands);
  AddMemberCommands(app, commands);
  AddSecurityTradeCommands(app, commands);
  AddSecurityCommands(app, commands);
  AddReportCommands(app, commands);
  AddHistoryReportCommands(app, commands);
  AddChartCommands(app, commands);
  AddMemberReportCommands(app, commands);
  AddValuationCommands(app, commands);
  AddInterchangeCommands(app, commands);
  AddQuoteCommands(app, commands);
  AddMailCommands(app, commands);
  AddCloseCommands(app, commands);
  AddStatementFileCommands(app, commands);
  AddJournalCommands(app, commands);
  AddImportCommands(app, commands);
}

// Edits that turn one word into the other (Levenshtein distance).
std::size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The command nearest to a misspelt word, among the subcommands of the deepest
// command that was recognised; empty when none is near.
std::string NearestCommand(const CLI::App& app, const std::string& word) {
  const CLI::App* level = &app;
  for (auto parsed = level->get_subcommands(); !parsed.empty(); parsed = level->get_subcommands()) level = parsed.front();
  std::string nearest;
  std::size_t best = std::max<std::size_t>(2, word.size() / 3) + 1;
  for (const CLI::App* command : level->get_subcommands([](const CLI::App*) { return true; })) {
    const std::size_t distance = EditDistance(word, command->get_name());
    if (distance < best) {
      best = distance;
      nearest = command->get_name();
    }
  }
  return nearest;
}

}  // namespace

std::vector<std::string> CommandPaths() {
  CLI::App app;
  CommandList commands;
  AddCommands(app, commands);
  std::vector<std::string> paths;
  for (const Command& command : commands) {
    std::string path = command.app->get_name();
    for (const CLI::App* parent = command.app->get_parent(); parent != &app; parent = parent->get_parent()) {
      path = parent->get_name() + " " + path;
    }
    paths.push_back(path);
  }
  return paths;
}

int RunCli(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err,
           bool in_is_terminal, bool err_is_terminal) {
  CLI::App app{"Pellmark: the books of an investment club, from the command line.", "pellmark-cli"};
  app.set_version_flag("--version", std::string("pellmark-cli ") + PELLMARK_VERSION);
  app.require_subcommand(1);

  std::string club_folder;
  std::optional<std::string> today;
  bool yes = false;
  bool no = false;
  app.add_option("--club", club_folder, "Club data folder (default: the working directory)");
  app.add_option("--today", today, "Fix today's date, MM/DD/YYYY (else PELLMARK_TODAY, else the system date)");
  bool json = false;
  app.add_flag("--json", json, "Print listings and summaries as JSON for scripts");
  auto* yes_flag = app.add_flag("--yes", yes, "Answer Yes to every question");
  app.add_flag("--no", no, "Answer No to every question")->excludes(yes_flag);

  CommandList commands;
  AddCommands(app, commands);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const std::vector<std::string> extras = app.remaining(true);
    if (!extras.empty() && extras.front().rfind("-", 0) != 0) {
      const std::string nearest = NearestCommand(app, extras.front());
      if (!nearest.empty()) {
        err << "pellmark-cli: \"" << extras.front() << "\" is not a command; did you mean \"" << nearest << "\"?\n";
        return kUsage;
      }
    }
    return app.exit(e, out, err) == 0 ? kDone : kUsage;
  }

  CliContext context;
  try {
    context.clock = MakeClock(today ? std::optional<std::string_view>(*today) : std::nullopt);
  } catch (const std::invalid_argument& e) {
    err << "pellmark-cli: " << e.what() << '\n';
    return kUsage;
  }
  std::optional<bool> preset;
  if (yes) preset = true;
  if (no) preset = false;
  TerminalInteraction ui(preset, in, err, in_is_terminal, err_is_terminal);
  context.club_folder = club_folder.empty() ? std::filesystem::current_path() : std::filesystem::path(club_folder);
  context.ui = &ui;
  context.out = &out;
  context.json = json;

  try {
    for (Command& command : commands) {
      if (command.app->parsed()) {
        command.run(context);
        ui.Release(Kept::kYes);
        return kDone;
      }
    }
  } catch (const CommandRefused&) {
    ui.Release(Kept::kYes);
    return kRefused;
  } catch (const UnansweredQuestion& e) {
    // The question stopped the operation before it was stored.
    ui.Release(Kept::kNo);
    err << "pellmark-cli: no answer to the question \"" << e.what() << "\" (use --yes or --no); nothing was recorded\n";
    return kRefused;
  } catch (const UsageError& e) {
    ui.Release(Kept::kYes);
    err << "pellmark-cli: " << e.what() << '\n';
    return kUsage;
  } catch (const std::exception& e) {
    ui.Release(Kept::kYes);
    err << "pellmark-cli: " << e.what() << '\n';
    return kFileError;
  }
  return kUsage;
}

}  // namespace pellmark::cli
