// report accounts|securities|prices: the transaction and price history
// reports as PDF, plain text or JSON.
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/cli_context.h"
#include "cli/input_forms.h"
#include "cli/open_club.h"
#include "cli/report_output.h"
#include "club/dates.h"
#include "club/text_encoding.h"
#include "reports/history_reports.h"

namespace pellmark::cli {
namespace {

using nlohmann::ordered_json;

struct HistoryOptions {
  std::string date;
  std::string account;
  std::string security;
  bool all_on_record = false;
  std::string pdf;
  std::string text;
  bool json = false;
};

void LayOut(CliContext& context, reports::Report& report, const HistoryOptions& options) {
  WriteReportFiles(context, report, options.pdf, options.text);
}

DayNumber DateOf(Books& books, const HistoryOptions& options) {
  return options.date.empty() ? books.Club().Today() : *ParseDate(options.date);
}

std::string Utf8(const std::string& text) { return ToUtf8(text); }

ordered_json Number(const std::optional<double>& value) { return value ? ordered_json(*value) : ordered_json(); }

void Refuse(Books& books, const std::string& message) {
  books.Club().Ui().ShowError(message);
  throw CommandRefused(message);
}

void Accounts(CliContext& context, const HistoryOptions& options) {
  WithOpenClub(context, [&](Books& books) {
    const DayNumber date = DateOf(books, options);
    reports::AccountTransactionsReport report(books.Club(), books.Club().Info().club, date);
    if (!options.account.empty() && !report.Choose(ToWindows1252(options.account))) {
      Refuse(books, "Account " + ToWindows1252(options.account) + " is not on file.");
    }
    if (!options.json && !context.json) return LayOut(context, report, options);
    ordered_json accounts = ordered_json::array();
    double credits = 0, debits = 0;
    if (const TAccountRec* account = report.Chosen()) {
      const reports::AccountHistory history = reports::ComputeAccountHistory(books.Club(), *account, date);
      ordered_json rows = ordered_json::array();
      for (const reports::AccountHistoryRow& row : history.rows) {
        rows.push_back({{"date", FormatDate(row.date)},
                        {"type", row.type},
                        {"category", Utf8(row.category)},
                        {"description", Utf8(row.description)},
                        {"amount", row.amount}});
      }
      accounts.push_back({{"name", Utf8(history.name)},
                          {"rows", rows},
                          {"total_credits", history.credits},
                          {"total_debits", history.debits}});
      credits += history.credits;
      debits += history.debits;
    }
    *context.out << ordered_json{{"accounts", accounts}, {"total_credits", credits}, {"total_debits", debits}}.dump()
                 << "\n";
  });
}

void Securities(CliContext& context, const HistoryOptions& options) {
  WithOpenClub(context, [&](Books& books) {
    reports::SecurityTransactionsReport report(books.Club(), books.Club().Info().club, DateOf(books, options));
    if (!options.security.empty()) {
      if (!report.Choose(ToWindows1252(options.security))) {
        Refuse(books, "Security " + ToWindows1252(options.security) + " is not on file.");
      }
    } else if (options.all_on_record) {
      report.ChooseAllOnRecord();
    } else {
      report.ChooseAllActive();
    }
    if (!options.json && !context.json) return LayOut(context, report, options);
    const reports::SecurityHistories histories = report.Histories();
    ordered_json securities = ordered_json::array();
    for (const reports::SecurityHistory& security : histories.securities) {
      ordered_json rows = ordered_json::array();
      for (const reports::SecurityHistoryRow& row : security.rows) {
        rows.push_back({{"date", FormatDate(row.date)},
                        {"type", row.type},
                        {"shares", Number(row.shares)},
                        {"price", Number(row.price)},
                        {"amount", Number(row.dividend ? row.dividend : row.amount)},
                        {"commission", Number(row.commission)}});
      }
      securities.push_back({{"name", Utf8(security.name)},
                            {"rows", rows},
                            {"total_costs", security.costs},
                            {"total_proceeds", security.proceeds}});
    }
    *context.out << ordered_json{{"securities", securities},
                                 {"total_costs", histories.total_costs},
                                 {"total_proceeds", histories.total_proceeds}}
                        .dump()
                 << "\n";
  });
}

void Prices(CliContext& context, const HistoryOptions& options) {
  WithOpenClub(context, [&](Books& books) {
    reports::PriceHistoryReport report(books.Club(), books.Club().Info().club, DateOf(books, options));
    if (!options.security.empty() && !report.Choose(ToWindows1252(options.security))) {
      Refuse(books, "Security " + ToWindows1252(options.security) + " has no prices.");
    }
    if (!options.json && !context.json) return LayOut(context, report, options);
    const std::optional<reports::PriceHistory> history = report.History();
    if (!history) Refuse(books, "No Securities have a price History.");
    ordered_json prices = ordered_json::array();
    for (const reports::PricePoint& point : history->prices) {
      prices.push_back({{"date", FormatDate(point.date)}, {"price", point.price}});
    }
    *context.out << ordered_json{{"security", Utf8(history->name)},
                                 {"prices", prices},
                                 {"high", history->high},
                                 {"low", history->low}}
                        .dump()
                 << "\n";
  });
}

}  // namespace

void AddHistoryReportCommands(CLI::App& app, CommandList& commands) {
  CLI::App* report = app.get_subcommand("report");
  auto add = [&](const char* name, const char* description, void (*run)(CliContext&, const HistoryOptions&)) {
    auto options = std::make_shared<HistoryOptions>();
    auto* command = report->add_subcommand(name, description);
    command->add_option("--date", options->date, "Report date M/D/YYYY or M/D/YY (default today)")
        ->transform(DateForm());
    auto* pdf = command->add_option("--pdf", options->pdf, "Write the pages as a PDF file");
    auto* text = command->add_option("--text", options->text, "Write the report as a plain text file");
    command->add_flag("--json", options->json, "Print the report's figures as JSON")->excludes(pdf)->excludes(text);
    commands.push_back({command, [options, run](CliContext& context) {
                          if (options->pdf.empty() && options->text.empty() && !options->json && !context.json) {
                            throw UsageError("the report needs --pdf, --text or --json");
                          }
                          run(context, *options);
                        }});
    return std::pair{command, options};
  };
  auto [accounts, account_options] = add("accounts", "An account's transactions of the year up to --date", Accounts);
  accounts->add_option("--account", account_options->account, "The account (default: the first)");
  auto [securities, security_options] =
      add("securities", "Security transactions up to --date: one security, or all active ones", Securities);
  auto* one = securities->add_option("--security", security_options->security, "Only this security");
  securities->add_flag("--all-on-record", security_options->all_on_record, "Every security, hidden or inactive too")
      ->excludes(one);
  auto [prices, price_options] = add("prices", "A security's 52-week price history graph", Prices);
  prices->add_option("--security", price_options->security, "The security (default: the first with prices)");
}

}  // namespace pellmark::cli
