// statement-file: the text statements written into the club folder under
// their fixed names, as the Reports page's "To File" mode and mail write them.
#include <functional>
#include <memory>
#include <utility>
#include <string>

#include "books/text_statement_files.h"
#include "cli/cli_context.h"
#include "cli/input_forms.h"
#include "cli/open_club.h"
#include "club/dates.h"
#include "valuation/statement_file.h"

namespace pellmark::cli {
namespace {

struct StatementFileOptions {
  std::string date;
  bool no_membership_summary = false;
};

void Finish(CliContext& context, const TextStatementFile& written) {
  if (!written.outcome) throw CommandRefused(written.outcome.Message());
  *context.out << written.file.filename().string() << "\n";
}

DayNumber DateOf(Books& books, const StatementFileOptions& options) {
  if (options.date.empty()) return books.Club().Today();
  return *ParseDate(options.date);  // DateForm() let through only days that exist
}

}  // namespace

void AddStatementFileCommands(CLI::App& app, CommandList& commands) {
  auto* command = app.add_subcommand("statement-file",
                                     "Write a text statement into the club folder and print its name");
  command->require_subcommand(1);
  using Writer = std::function<TextStatementFile(Books&, const StatementFileOptions&, DayNumber)>;
  auto add = [&](const char* name, const char* description, Writer write) {
    auto options = std::make_shared<StatementFileOptions>();
    auto* kind = command->add_subcommand(name, description);
    kind->add_option("--date", options->date, "Report date M/D/YYYY or M/D/YY (default today)")
        ->transform(DateForm());
    commands.push_back({kind, [options, write](CliContext& context) {
                          WithOpenClub(context, [&](Books& books) {
                            Finish(context, write(books, *options, DateOf(books, *options)));
                          });
                        }});
    return std::pair{kind, options};
  };
  auto [valuation, valuation_options] = add(
      "valuation", "valuerpt.txt from the statement of the date (V<mmddyyyy>.stm in the club folder)",
      [](Books& books, const StatementFileOptions& options, DayNumber date) {
        return WriteValuationTextFile(books, books.Club().Folder() / valuation::StatementFileName(date),
                                      !options.no_membership_summary);
      });
  valuation->add_flag("--no-membership-summary", valuation_options->no_membership_summary,
                      "Leave out each member's units and value");
  add("distribution", "distrpt.txt: the earnings distribution as of the date",
      [](Books& books, const StatementFileOptions&, DayNumber date) { return WriteDistributionTextFile(books, date); });
  add("vote", "voterpt.txt: the membership voting percentages as of the date",
      [](Books& books, const StatementFileOptions&, DayNumber date) { return WriteVoteTextFile(books, date); });
  add("roster", "rosterrpt.txt: the roster of the active members",
      [](Books& books, const StatementFileOptions&, DayNumber) { return WriteRosterTextFile(books); });
}

}  // namespace pellmark::cli
