// What every command of pellmark-cli gets: the club folder, the clock, the
// terminal's interaction port and the output stream.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <vector>

#include <CLI/CLI.hpp>

#include "club/clock.h"
#include "club/interaction.h"

namespace pellmark::cli {

struct CliContext {
  std::filesystem::path club_folder;
  std::unique_ptr<Clock> clock;
  Interaction* ui = nullptr;
  std::ostream* out = nullptr;
  bool json = false;  // --json: listings and summaries as JSON for scripts
};

// A command refused by the program; its message has already gone through the port.
class CommandRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A command line that names something impossible (exit status 2).
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A record id on the command line: a whole number of at least 0. An empty or
// other text is a usage error rather than the id 0.
inline CLI::Validator RecordId() {
  return CLI::Validator(
      [](std::string& text) {
        const bool whole = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos &&
                           text.size() <= 9;
        return whole ? std::string() : "'" + text + "' is not an id (a whole number)";
      },
      "ID");
}

// One subcommand and what it does once the whole line is parsed.
struct Command {
  CLI::App* app;
  std::function<void(CliContext&)> run;
};

using CommandList = std::vector<Command>;

// Each command family adds its subcommands here.
void AddClubCommands(CLI::App& app, CommandList& commands);
void AddStoreCommands(CLI::App& app, CommandList& commands);
void AddAccountCommands(CLI::App& app, CommandList& commands);
void AddMemberCommands(CLI::App& app, CommandList& commands);
void AddSecurityTradeCommands(CLI::App& app, CommandList& commands);
void AddSecurityCommands(CLI::App& app, CommandList& commands);
void AddReportCommands(CLI::App& app, CommandList& commands);
// After AddReportCommands: the member reports join its "report" command.
void AddMemberReportCommands(CLI::App& app, CommandList& commands);
// The club reports, under the command `report`.
void AddClubReportCommands(CLI::App& report, CommandList& commands);
// The "report" subcommands of the transaction and price histories: after AddReportCommands.
void AddHistoryReportCommands(CLI::App& app, CommandList& commands);
void AddValuationCommands(CLI::App& app, CommandList& commands);
void AddInterchangeCommands(CLI::App& app, CommandList& commands);
void AddQuoteCommands(CLI::App& app, CommandList& commands);
void AddMailCommands(CLI::App& app, CommandList& commands);
// After AddReportCommands: "report tax" joins its "report".
void AddCloseCommands(CLI::App& app, CommandList& commands);
void AddStatementFileCommands(CLI::App& app, CommandList& commands);
void AddJournalCommands(CLI::App& app, CommandList& commands);
void AddImportCommands(CLI::App& app, CommandList& commands);

}  // namespace pellmark::cli
