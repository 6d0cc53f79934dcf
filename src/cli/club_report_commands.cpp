// The club reports from the command line: the balance sheet, the income and
// expense statement, the capital gains and the earnings distribution of a
// date, laid out as PDF or plain text, their figures as JSON, and the gains
// and the distribution as CSV for a spreadsheet.
//
//   pellmark-cli report distribution --date 12/31/2026 --json
//   pellmark-cli report gains --date 6/30/2026 --csv gains.csv --pdf gains.pdf
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/cli_context.h"
#include "cli/input_forms.h"
#include "cli/open_club.h"
#include "cli/report_output.h"
#include "club/dates.h"
#include "club/number_format.h"
#include "club/text_encoding.h"
#include "reports/club_reports.h"
#include "reports/club_tables.h"
#include "store/whole_files.h"

namespace pellmark::cli {
namespace {

using json = nlohmann::ordered_json;
using reports::ClubReportKind;

struct ClubReportOptions {
  std::string date;
  std::string pdf;
  std::string text;
  std::string csv;
  bool json = false;
};

DayNumber RequireReportDate(ClubSession& club, const std::string& text) {
  const std::optional<std::string> plain = DateText(text);
  const std::optional<DayNumber> date = plain ? ParseDate(*plain) : std::nullopt;
  if (!date) {
    club.Ui().ShowError(StorableText(text) + " is an invalid date.");
    throw CommandRefused("bad date");
  }
  return *date;
}

json OptionalNumber(const std::optional<double>& value) { return value ? json(*value) : json(nullptr); }
json OptionalDate(const std::optional<DayNumber>& day) { return day ? json(FormatDate(*day)) : json(nullptr); }

json Lines(const std::vector<reports::BalanceSheetLine>& lines, const char* figure) {
  json array = json::array();
  for (const reports::BalanceSheetLine& line : lines) array.push_back({{"name", ToUtf8(line.name)}, {figure, line.amount}});
  return array;
}

json BalanceJson(const reports::BalanceSheet& s) {
  return {{"date", FormatDate(s.date)},        {"cash", Lines(s.cash, "balance")},
          {"investments", Lines(s.investments, "cost")}, {"total_assets", s.total_assets},
          {"members", Lines(s.members, "equity")}, {"members_equity", s.members_equity},
          {"gain_for_year", s.gain_for_year},  {"total_equities", s.total_equities}};
}

json IncomeJson(const reports::IncomeStatement& s) {
  auto lines = [](const std::vector<reports::IncomeLine>& lines) {
    json array = json::array();
    for (const reports::IncomeLine& line : lines) {
      array.push_back({{"category", ToUtf8(line.category)}, {"amount", line.amount}});
    }
    return array;
  };
  return {{"date", FormatDate(s.date)}, {"income", lines(s.income)},       {"short", s.short_term},
          {"medium", s.medium_term},    {"long", s.long_term},             {"total_income", s.total_income},
          {"expenses", lines(s.expenses)}, {"foreign_taxes", s.foreign_taxes}, {"total_expenses", s.total_expenses},
          {"net_profit", s.net_profit}};
}

json GainsJson(const reports::CapitalGains& g) {
  json rows = json::array();
  for (const reports::CapitalGainRow& row : g.rows) {
    rows.push_back({{"security", ToUtf8(row.security)},
                    {"class", reports::TermWord(row.term)},
                    {"buy_date", OptionalDate(row.buy_date)},
                    {"cost", OptionalNumber(row.cost)},
                    {"sell_date", FormatDate(row.sell_date)},
                    {"proceeds", OptionalNumber(row.proceeds)},
                    {"gain", row.gain}});
  }
  return {{"date", FormatDate(g.date)}, {"rows", rows},     {"short", g.short_term},
          {"medium", g.medium_term},    {"long", g.long_term}, {"total", g.total}};
}

json RowJson(const std::string& name, const reports::DistributionRow& row) {
  auto printed = [](double amount) { return amount == 0 ? 0.0 : -amount; };
  return {{"name", ToUtf8(name)},
          {"units", OptionalNumber(row.units)},
          {"dividends", row.dividends},
          {"interest", row.interest},
          {"short", row.short_term},
          {"medium", row.medium_term},
          {"long", row.long_term},
          {"costs", printed(row.costs)},
          {"foreign_taxes", printed(row.foreign_taxes)},
          {"net", row.net},
          {"earned_units", OptionalNumber(row.earned_units)}};
}

json DistributionJson(const reports::EarningsDistribution& d) {
  json paid_off = json::array();
  for (const reports::DistributionRow& row : d.paid_off) paid_off.push_back(RowJson(row.Name(), row));
  json members = json::array();
  for (const reports::DistributionRow& row : d.members) members.push_back(RowJson(row.Name(), row));
  return {{"date", FormatDate(d.date)},
          {"total", RowJson("TOTAL", d.total)},
          {"paid_off", paid_off},
          {"adjusted", d.adjusted ? RowJson("ADJUSTED", *d.adjusted) : json(nullptr)},
          {"members", members}};
}

// A CSV field, quoted when it holds a comma, a quote or a line end.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string CsvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ',';
    line += CsvField(fields[i]);
  }
  return line + "\r\n";
}

std::string GainsCsv(const reports::CapitalGains& g) {
  std::string csv = CsvLine({"Name", "Type", "Buy Date", "Cost", "Sell Date", "Return", "Gain"});
  auto money = [](const std::optional<double>& v) { return v ? FormatFixed(*v, 2) : std::string(); };
  for (const reports::CapitalGainRow& row : g.rows) {
    csv += CsvLine({ToUtf8(row.security), reports::TermWord(row.term), row.buy_date ? FormatDate(*row.buy_date) : "",
                    money(row.cost), FormatDate(row.sell_date), money(row.proceeds), FormatFixed(row.gain, 2)});
  }
  return csv;
}

// The distribution's rows as the report prints them, "x.xxx" left empty.
std::string DistributionCsv(const reports::EarningsDistribution& d) {
  const bool taxes = d.foreign_taxes_column;
  std::vector<std::string> header = {"Name",        "Total Units", "Dividend Income", "Interest Income",
                                     "Short Gains", "Medium Gains", "Long Gains",     "Total Costs"};
  if (taxes) header.push_back("Foreign Taxes");
  header.insert(header.end(), {"Net Profit", "Earned Units"});
  std::string csv = CsvLine(header);
  auto line = [&](const std::string& name, const reports::DistributionRow& row) {
    std::vector<std::string> fields = {ToUtf8(name)};
    for (std::string& cell : reports::DistributionCells(row, taxes)) fields.push_back(cell == "x.xxx" ? "" : cell);
    csv += CsvLine(fields);
  };
  if (!d.HasUnits()) return csv;
  line("TOTAL", d.total);
  for (const reports::DistributionRow& row : d.paid_off) line("*" + row.Name(), row);
  if (d.adjusted) line("ADJUSTED", *d.adjusted);
  for (const reports::DistributionRow& row : d.members) line(row.Name(), row);
  return csv;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  store::SaveFileAtomically(store::DefaultFileLayer(), path, bytes);
}

void RunClubReport(CliContext& context, ClubReportKind kind, const ClubReportOptions& options) {
  const bool as_json = options.json || context.json;
  if (options.pdf.empty() && options.text.empty() && options.csv.empty() && !as_json) {
    throw UsageError("the report needs --pdf, --text, --csv or --json");
  }
  WithOpenClub(context, [&](Books& books) {
    ClubSession& club = books.Club();
    const DayNumber date = RequireReportDate(club, options.date);
    std::unique_ptr<reports::Report> report;
    try {
      report = reports::SetUpClubReport(kind, club, date);
    } catch (const reports::InvalidCategory& invalid) {
      club.Ui().ShowError(invalid.what());
      throw CommandRefused(invalid.what());
    }
    if (!options.csv.empty()) {
      if (auto* gains = dynamic_cast<reports::CapitalGainsReport*>(report.get())) {
        WriteFile(options.csv, GainsCsv(gains->Figures()));
      } else if (auto* distribution = dynamic_cast<reports::EarningsDistributionReport*>(report.get())) {
        WriteFile(options.csv, DistributionCsv(distribution->Figures()));
      }
    }
    if (!options.pdf.empty() || !options.text.empty()) WriteReportFiles(context, *report, options.pdf, options.text);
    if (as_json) {
      json figures;
      if (auto* r = dynamic_cast<reports::BalanceSheetReport*>(report.get())) figures = BalanceJson(r->Figures());
      if (auto* r = dynamic_cast<reports::IncomeStatementReport*>(report.get())) figures = IncomeJson(r->Figures());
      if (auto* r = dynamic_cast<reports::CapitalGainsReport*>(report.get())) figures = GainsJson(r->Figures());
      if (auto* r = dynamic_cast<reports::EarningsDistributionReport*>(report.get())) {
        figures = DistributionJson(r->Figures());
      }
      *context.out << figures.dump(2) << '\n';
    }
  });
}

}  // namespace

void AddClubReportCommands(CLI::App& report, CommandList& commands) {
  struct Entry {
    const char* name;
    const char* description;
    ClubReportKind kind;
    bool csv;
  };
  const Entry entries[] = {
      {"balance", "The club's balance sheet as of a date", ClubReportKind::BalanceSheet, false},
      {"income", "The club's income and expense statement from January 1 through a date", ClubReportKind::IncomeExpense,
       false},
      {"gains", "The club's capital gains from January 1 through a date", ClubReportKind::CapitalGains, true},
      {"distribution", "The year's earnings distribution among the members as of a date", ClubReportKind::Distribution,
       true},
  };
  for (const Entry& entry : entries) {
    auto* command = report.add_subcommand(entry.name, entry.description);
    auto options = std::make_shared<ClubReportOptions>();
    command->add_option("--date", options->date, "The report date, MM/DD/YYYY")->required();
    command->add_option("--pdf", options->pdf, "Write the pages as a PDF file");
    command->add_option("--text", options->text, "Write the report as a plain text file");
    if (entry.csv) command->add_option("--csv", options->csv, "Write the rows as a CSV file for a spreadsheet");
    command->add_flag("--json", options->json, "Print the computed figures as JSON");
    commands.push_back({command, [options, kind = entry.kind](CliContext& context) {
                          RunClubReport(context, kind, *options);
                        }});
  }
}

}  // namespace pellmark::cli
