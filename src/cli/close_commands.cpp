// The year close and its tax report: "close-year" closes the open year and
// prints each member's earnings credit and the tax file's name; "report tax"
// lays a tax file out as PDF or plain text, or gives its figures as JSON.
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/cli_context.h"
#include "cli/listing.h"
#include "cli/open_club.h"
#include "cli/report_output.h"
#include "club/record_kinds.h"
#include "club/text_encoding.h"
#include "members/member_posting.h"
#include "reports/tax_report.h"
#include "store/file_layer.h"

namespace pellmark::cli {
namespace {

namespace fs = std::filesystem;

void CloseYear(CliContext& context) {
  WithOpenClub(context, [&](Books& books) {
    const YearClose close = books.CloseYear();
    if (!close.outcome) throw CommandRefused(close.outcome.Message());
    std::map<std::int32_t, std::string> names;
    books.Club().members.ForEach("", [&](TMemberRec&& member) { names.emplace(member.memid, MemberName(member)); });
    const std::string tax_file = close.tax_file.filename().string();
    if (context.json) {
      nlohmann::ordered_json rows = nlohmann::ordered_json::array();
      for (const TMemberTranRec& tran : close.credited) {
        rows.push_back({{"name", ToUtf8(names[tran.memid])},
                        {"kind", MemberKindLabel(KindOf(tran))},
                        {"amount", tran.dues},
                        {"units", ledger::UnitsOf(tran)}});
      }
      const nlohmann::ordered_json result{{"year", close.year}, {"credited", rows}, {"tax_file", tax_file}};
      *context.out << result.dump(2) << '\n';
    } else {
      Listing credited("Earnings credited for " + std::to_string(close.year),
                       {{"Member", "name"},
                        {"Kind", "kind"},
                        {"Amount", "amount", Align::Right},
                        {"Units", "units", Align::Right}});
      for (const TMemberTranRec& tran : close.credited) {
        credited.Add({TextCell(ToUtf8(names[tran.memid])), TextCell(MemberKindLabel(KindOf(tran))),
                      MoneyCell(tran.dues), UnitsCell(ledger::UnitsOf(tran))});
      }
      credited.Print(*context.out, false);
      *context.out << "Tax file: " << tax_file << '\n';
    }
    books.AnnounceYearClosed(close);
  });
}

struct TaxOptions {
  std::string file;
  std::string pdf;
  std::string text;
  bool json = false;
};

// A bare name that is not in the working directory is a tax file of the club folder.
fs::path TaxFilePath(const CliContext& context, const std::string& file) {
  const fs::path path(file);
  if (!path.has_parent_path() && !fs::exists(path)) return context.club_folder / path;
  return path;
}

nlohmann::ordered_json LinesJson(const std::vector<reports::TaxFileLine>& lines) {
  nlohmann::ordered_json json = nlohmann::ordered_json::array();
  for (const reports::TaxFileLine& line : lines) json.push_back({{"label", ToUtf8(line.label)}, {"amount", line.amount}});
  return json;
}

void PrintTaxJson(std::ostream& out, const reports::TaxFileFigures& figures) {
  nlohmann::ordered_json schedules = nlohmann::ordered_json::object();
  for (std::size_t s = 0; s < figures.schedules.size(); ++s) schedules[std::to_string(s + 1)] = LinesJson(figures.schedules[s]);
  nlohmann::ordered_json k1 = nlohmann::ordered_json::array();
  for (const reports::TaxFileK1Row& row : figures.k1) {
    k1.push_back({{"name", ToUtf8(row.name)},
                  {"ordinary", row.ordinary},
                  {"interest", row.interest},
                  {"dividends", row.dividends},
                  {"short", row.short_term},
                  {"medium", row.medium_term},
                  {"long", row.long_term},
                  {"deductions", row.deductions},
                  {"foreign_taxes", row.foreign_taxes}});
  }
  nlohmann::ordered_json capital = nlohmann::ordered_json::array();
  for (const reports::TaxFileCapitalRow& row : figures.capital) {
    capital.push_back({{"name", ToUtf8(row.name)},
                       {"beginning", row.beginning},
                       {"contributed", row.contributed},
                       {"earnings", row.earnings},
                       {"withdrawn", row.withdrawn},
                       {"ending", row.ending}});
  }
  nlohmann::ordered_json json{{"year", std::stoi(figures.year)},
                              {"lines", LinesJson(figures.lines)},
                              {"schedules", schedules},
                              {"k1", k1},
                              {"capital", capital}};
  out << json.dump(2) << '\n';
}

void PrintTax(CliContext& context, const TaxOptions& options) {
  const bool json = options.json || context.json;
  if (options.pdf.empty() && options.text.empty() && !json) {
    throw UsageError("report tax needs --pdf, --text or --json");
  }
  const fs::path file = TaxFilePath(context, options.file);
  std::unique_ptr<reports::TaxReport> report;
  try {
    report = reports::LoadTaxReport(store::DefaultFileLayer(), file, context.club_folder);
    if (json) PrintTaxJson(*context.out, reports::ReadTaxFileFigures(report->File(), file.filename().string()));
  } catch (const reports::TaxFileError& damaged) {
    context.ui->ShowError(damaged.what());
    throw CommandRefused(damaged.what());
  }
  if (!options.pdf.empty() || !options.text.empty()) WriteReportFiles(context, *report, options.pdf, options.text);
}

}  // namespace

void AddCloseCommands(CLI::App& app, CommandList& commands) {
  auto* close = app.add_subcommand(
      "close-year", "Close the open year: credit each member's earnings, mark its 31 December valuation closed, "
                    "write the tax file (club<year>.tax) and open the next year (asks first: --yes or --no)");
  commands.push_back({close, [](CliContext& context) { CloseYear(context); }});

  CLI::App* report = app.get_subcommand("report");
  auto* tax = report->add_subcommand("tax", "The tax report of a tax file (club<year>.tax), or its figures as JSON");
  auto options = std::make_shared<TaxOptions>();
  tax->add_option("FILE", options->file, "The tax file (a bare name is looked for in the club folder too)")
      ->required();
  auto* pdf = tax->add_option("--pdf", options->pdf, "Write the pages as a PDF file");
  auto* text = tax->add_option("--text", options->text, "Write the report as a plain text file");
  tax->add_flag("--json", options->json, "Print the figures as JSON")->excludes(pdf)->excludes(text);
  commands.push_back({tax, [options](CliContext& context) { PrintTax(context, *options); }});
}

}  // namespace pellmark::cli
