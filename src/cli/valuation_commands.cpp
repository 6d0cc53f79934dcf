// The valuation commands: official and test valuations, the audit and the full
// recalculation, deleting a statement,
// reading one back as JSON lines, and the club summary panel.
#include <filesystem>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/cli_context.h"
#include "cli/input_forms.h"
#include "cli/listing.h"
#include "cli/open_club.h"
#include "club/text_encoding.h"
#include "store/file_layer.h"
#include "store/whole_files.h"
#include "valuation/statement_file.h"

namespace pellmark::cli {
namespace {

namespace fs = std::filesystem;

// A bare file name is a statement of the club folder; a path is taken as given.
fs::path StatementPath(const CliContext& context, const std::string& file) {
  const fs::path path(file);
  if (path.has_parent_path()) return path;
  return context.club_folder / path;
}

// The date of a valuation: a day that exists, typed M/D/YYYY or M/D/YY; any
// other text is refused as the date field refuses it (exit status 1).
DayNumber RequireValuationDate(ClubSession& club, const std::string& text) {
  const std::optional<std::string> plain = DateText(text);
  const std::optional<DayNumber> date = plain ? ParseDate(*plain) : std::nullopt;
  if (!date) {
    club.Ui().ShowError(StorableText(text) + " is an invalid date.");
    throw CommandRefused("bad date");
  }
  return *date;
}

void CreateValuation(CliContext& context, const std::string& date_text, bool official) {
  WithOpenClub(context, [&](Books& books) {
    const DayNumber date = RequireValuationDate(books.Club(), date_text);
    const valuation::ValuationResult result = books.CreateValuation(date, official);
    if (!result.figures) throw CommandRefused(result.outcome.Message());
    const valuation::ValuationFigures& figures = *result.figures;
    Summary summary;
    summary.Add("Statement", "statement", TextCell(figures.statement.filename().string()));
    summary.Add("Unit value", "unit_value", UnitValueCell(figures.unit_value));
    summary.Add("Previous unit value", "previous_unit_value", UnitValueCell(figures.previous_unit_value));
    summary.Add("Total value", "total_value", MoneyCell(figures.total_value));
    summary.Add("Total units", "total_units", UnitsCell(figures.total_units));
    if (official) summary.Add("Unit id", "unit_id", CountCell(figures.unitid));
    summary.Print(*context.out, context.json);
    // A valuation whose backup failed is recorded; the failure still ends the command.
    if (!result.outcome) throw CommandRefused(result.outcome.Message());
  });
}

void DeleteStatement(CliContext& context, const std::string& file) {
  WithOpenClub(context, [&](Books& books) {
    RequireDone(books, [&] { return books.Valuations().DeleteStatement(StatementPath(context, file)); });
  });
}

// The records of a statement file, one JSON object a line, in file order.
void PrintStatement(CliContext& context, const std::string& file) {
  const fs::path path = StatementPath(context, file);
  valuation::Statement statement;
  try {
    statement = valuation::ReadStatementFile(store::DefaultFileLayer(), path);
  } catch (const valuation::StatementError& damaged) {
    context.ui->ShowError(damaged.what());
    throw CommandRefused(damaged.what());
  }
  using nlohmann::ordered_json;
  std::ostream& out = *context.out;
  auto line = [&](const ordered_json& record) { out << record.dump() << '\n'; };
  line({{"kind", "header"}, {"date", valuation::StatementDateText(statement.date)}});
  for (const valuation::StatementSecurity& security : statement.securities) {
    line({{"kind", "security"},
          {"name", ToUtf8(security.name)},
          {"cost", security.cost_per_share},
          {"price", security.price},
          {"dividends", security.dividends},
          {"shares", security.shares}});
  }
  if (statement.dividends) line({{"kind", "dividends"}, {"amount", *statement.dividends}});
  for (const valuation::StatementAccount& account : statement.accounts) {
    line({{"kind", "account"}, {"name", ToUtf8(account.name)}, {"balance", account.balance}, {"interest", account.interest}});
  }
  for (const valuation::StatementMember& member : statement.members) {
    line({{"kind", "member"},
          {"name", ToUtf8(member.name)},
          {"units", member.units},
          {"contributions", member.contributions},
          {"earnings", member.earnings}});
  }
  if (statement.summary) {
    line({{"kind", "summary"},
          {"unit_value", statement.summary->new_unit_value},
          {"previous", statement.summary->previous_unit_value},
          {"total_value", statement.summary->total_value},
          {"total_units", statement.summary->total_units}});
  }
  if (statement.unit_id) line({{"kind", "trailer"}, {"unitid", *statement.unit_id}});
}

// "Audit Valuations" from a date, announced.
void Audit(CliContext& context, const std::string& date_text) {
  WithOpenClub(context, [&](Books& books) {
    const DayNumber date = RequireValuationDate(books.Club(), date_text);
    RequireDone(books, [&] { return books.AuditValuations(date); });
  });
}

// "Recaulate All Members", after its question.
void Recalculate(CliContext& context) {
  WithOpenClub(context, [&](Books& books) { RequireDone(books, [&] { return books.RecalculateAllMembers(); }); });
}

// The summary panel's four figures, the purchase unit for today's dues.
void PrintSummary(CliContext& context) {
  WithOpenClub(context, [&](Books& books) {
    books.Figures().RefreshPurchaseUnit(books.Club().Today());
    const valuation::ClubSummary figures = books.Figures().Summary();
    Summary summary;
    summary.Add("Total Assets", "total_assets", MoneyCell(figures.assets));
    summary.Add("Total Units", "total_units", UnitsCell(figures.units));
    summary.Add("Actual Unit", "actual_unit", UnitValueCell(figures.actual_unit));
    summary.Add("Purchase Unit", "purchase_unit", UnitValueCell(figures.purchase_unit));
    summary.Print(*context.out, context.json);
  });
}

}  // namespace

void AddValuationCommands(CLI::App& app, CommandList& commands) {
  auto* valuation = app.add_subcommand("valuation", "Create an official or test valuation, or delete a statement");
  valuation->require_subcommand(1);
  for (const bool official : {true, false}) {
    auto date = std::make_shared<std::string>();
    auto* command = valuation->add_subcommand(
        official ? "official" : "test",
        official ? "The official valuation of a date: statement file, unit value record, backup (.bck files)"
                 : "A test valuation of a date: the statement file only");
    command->add_option("DATE", *date, "Valuation date, MM/DD/YYYY")->required();
    commands.push_back(
        {command, [date, official](CliContext& context) { CreateValuation(context, *date, official); }});
  }
  auto delete_file = std::make_shared<std::string>();
  auto* remove = valuation->add_subcommand("delete", "Delete a valuation statement file (the unit value stays)");
  remove->add_option("FILE", *delete_file, "Statement file (a bare name is in the club folder)")->required();
  commands.push_back({remove, [delete_file](CliContext& context) { DeleteStatement(context, *delete_file); }});

  auto statement_file = std::make_shared<std::string>();
  auto* statement = app.add_subcommand("statement", "The records of a valuation statement file as JSON lines");
  statement->add_option("FILE", *statement_file, "Statement file (a bare name is in the club folder)")->required();
  commands.push_back({statement, [statement_file](CliContext& context) { PrintStatement(context, *statement_file); }});

  auto audit_date = std::make_shared<std::string>();
  auto* audit = app.add_subcommand("audit", "Re-run the official valuations of a year from a date (Audit Valuations)");
  audit->add_option("DATE", *audit_date, "Starting date, MM/DD/YYYY")->required();
  commands.push_back({audit, [audit_date](CliContext& context) { Audit(context, *audit_date); }});

  auto* recalculate = app.add_subcommand(
      "recalculate", "Re-price every member's dues and re-run every valuation since the first (Recalculate All Members)");
  commands.push_back({recalculate, Recalculate});

  auto* summary = app.add_subcommand("summary", "The club summary: total assets, total units, actual and purchase unit");
  commands.push_back({summary, PrintSummary});
}

}  // namespace pellmark::cli
