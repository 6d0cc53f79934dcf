#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "cli/cli_context.h"
#include "cli/open_club.h"
#include "cli/report_output.h"
#include "club/text_encoding.h"
#include "reports/valuation_statement.h"

namespace pellmark::cli {
namespace {

namespace fs = std::filesystem;

struct ReportOptions {
  std::string statement;
  std::string pdf;
  std::string text;
  std::string member;
  bool all_members = false;
};

// A statement named without its folder is the club's: "V12312026.stm".
fs::path StatementPath(const CliContext& context, const std::string& named) {
  const fs::path path(named);
  if (path.is_relative() && !fs::exists(path) && fs::exists(context.club_folder / path)) return context.club_folder / path;
  if (!fs::exists(path)) throw UsageError("no statement file " + named);
  return path;
}

// A statement prints a member as "Ann Smith"; the commands name one "Smith, Ann".
bool ChooseMember(reports::ValuationStatementReport& report, const std::string& named) {
  const std::string name = ToWindows1252(named);
  if (report.ChooseMember(name)) return true;
  const std::size_t comma = name.find(", ");
  return comma != std::string::npos && report.ChooseMember(name.substr(comma + 2) + " " + name.substr(0, comma));
}

void PrintValuation(CliContext& context, const ReportOptions& options) {
  if (options.pdf.empty() && options.text.empty()) throw UsageError("report valuation needs --pdf or --text");
  RequireClubFolder(context);
  std::unique_ptr<reports::ValuationStatementReport> report =
      reports::LoadValuationStatement(store::DefaultFileLayer(), StatementPath(context, options.statement), context.club_folder);
  if (!options.member.empty() && !ChooseMember(*report, options.member)) {
    context.ui->ShowError("Member " + ToWindows1252(options.member) + " is not in this statement.");
    throw CommandRefused("member");
  }
  if (options.all_members) report->ChooseAllMembers();

  WriteReportFiles(context, *report, options.pdf, options.text);
}

}  // namespace

void AddReportCommands(CLI::App& app, CommandList& commands) {
  auto* report = app.add_subcommand("report", "Lay a report out as PDF or plain text");
  report->require_subcommand(1);
  auto* valuation = report->add_subcommand(
      "valuation", "The valuation statement of a statement file (V<mmddyyyy>.stm), for the club, one member or all");
  auto options = std::make_shared<ReportOptions>();
  valuation->add_option("FILE", options->statement, "The statement file, in the club folder unless a path says otherwise")
      ->required();
  valuation->add_option("--pdf", options->pdf, "Write the pages as a PDF file");
  valuation->add_option("--text", options->text, "Write the report as a plain text file");
  auto* member = valuation->add_option("--member", options->member,
                                       "The statement of this member (\"Smith, Ann\" or as printed, \"Ann Smith\")");
  valuation->add_flag("--all-members", options->all_members, "One statement a member, each on its own page")
      ->excludes(member);
  commands.push_back({valuation, [options](CliContext& context) { PrintValuation(context, *options); }});
  AddClubReportCommands(*report, commands);
}

}  // namespace pellmark::cli
