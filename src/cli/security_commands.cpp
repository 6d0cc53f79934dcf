#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/change_lines.h"
#include "cli/cli_context.h"
#include "cli/named_records.h"
#include "cli/dialog_answers.h"
#include "cli/input_forms.h"
#include "cli/listing.h"
#include "cli/open_club.h"
#include "club/keys.h"
#include "club/text_encoding.h"
#include "forms/entry_number_text.h"
#include "books/price_text.h"
#include "books/security_form.h"
#include "forms/summary_text.h"
#include "securities/price_ledger.h"
#include "securities/security_records.h"
#include "securities/security_summary.h"
#include "store/key_order.h"

namespace pellmark::cli {
namespace {

using ledger::PriceLedger;
using ledger::SecurityRecords;

std::string Cp(const std::string& utf8) { return StorableText(utf8); }

TSecurityRec RequireSecurity(Books& books, const std::string& name) {
  auto security = FindSecurity(books, name);
  if (!security) {
    books.Club().Ui().ShowError("Security " + Cp(name) + " not found.");
    throw CommandRefused("no security");
  }
  return *security;
}

DayNumber RequirePriceDate(ClubSession& club, const std::string& text) {
  if (text.empty()) return club.Today();
  auto date = ParseDate(text);
  if (!date) {
    club.Ui().ShowError(text + " is an invalid date.");
    throw CommandRefused("bad date");
  }
  return *date;
}

// A price as the price dialog reads it: a number of at least 0, or a fraction
// such as "12 3/8"; anything else is refused with the dialog's message.
double RequirePrice(ClubSession& club, const std::string& typed) {
  const std::string text = ReadFraction(typed).value_or(typed);
  auto price = ParseEntryNumber(text);
  if (!price || *price < 0) {
    club.Ui().ShowError("Price " + Cp(typed) + " is invalid.");
    throw CommandRefused("bad price");
  }
  return *price;
}

struct SecurityOptions {
  std::string name, new_name, symbol;
  bool has_symbol = false;
};

void CommitSecurity(CliContext& context, const SecurityOptions& options, bool adding) {
  WithOpenClub(context, [&](Books& books) {
    SecurityFields fields{Cp(options.name), Cp(options.symbol)};
    std::optional<std::string> existing;
    if (!adding) {
      TSecurityRec security = RequireSecurity(books, options.name);
      existing = security.name;
      fields.name = options.new_name.empty() ? security.name : Cp(options.new_name);
      if (!options.has_symbol) fields.symbol = security.symbol;
    }
    RequireDone(books, [&] { return pellmark::CommitSecurity(books.Securities(), existing, fields); });
  });
}

void SecurityAction(CliContext& context, const std::string& name,
                    const std::function<Outcome(SecurityRecords&, const std::string&)>& action) {
  WithOpenClub(context, [&](Books& books) {
    const TSecurityRec security = RequireSecurity(books, name);
    RequireDone(books, [&] { return action(books.Securities(), security.name); });
  });
}

void AddSecurityMaintenance(CLI::App& app, CommandList& commands) {
  auto* security = app.add_subcommand("security", "Add, change, hide, un-hide, delete and reset securities");
  security->require_subcommand(1);

  auto add_options = std::make_shared<SecurityOptions>();
  auto* add = security->add_subcommand("add", "Add a security");
  add->add_option("NAME", add_options->name, "Security name")->required();
  add->add_option("--symbol", add_options->symbol, "Ticker symbol");
  commands.push_back({add, [add_options](CliContext& context) { CommitSecurity(context, *add_options, true); }});

  auto change_options = std::make_shared<SecurityOptions>();
  auto* change = security->add_subcommand("change", "Change a security's name or symbol");
  change->add_option("NAME", change_options->name, "Security name")->required();
  change->add_option("--name", change_options->new_name, "New name");
  auto* symbol = change->add_option("--symbol", change_options->symbol, "Ticker symbol");
  commands.push_back({change, [change_options, symbol](CliContext& context) {
                        change_options->has_symbol = symbol->count() > 0;
                        CommitSecurity(context, *change_options, false);
                      }});

  struct Simple {
    const char* name;
    const char* help;
    std::function<Outcome(SecurityRecords&, const std::string&)> action;
  };
  const std::vector<Simple> simple = {
      {"hide", "Hide a security", [](SecurityRecords& s, const std::string& n) { return s.Hide(n); }},
      {"unhide", "Un-hide a security", [](SecurityRecords& s, const std::string& n) { return s.Unhide(n); }},
      {"delete", "Delete a security with its transactions and prices",
       [](SecurityRecords& s, const std::string& n) { return s.Delete(n); }},
      {"reset", "Rebuild a security's totals and current price",
       [](SecurityRecords& s, const std::string& n) { return s.ResetSecurity(n, true); }},
  };
  for (const Simple& entry : simple) {
    auto name = std::make_shared<std::string>();
    auto* command = security->add_subcommand(entry.name, entry.help);
    command->add_option("NAME", *name, "Security name")->required();
    commands.push_back({command, [name, action = entry.action](CliContext& context) {
                          SecurityAction(context, *name, action);
                        }});
  }
  auto* reset_all = security->add_subcommand("reset-all", "Reset every active security");
  commands.push_back({reset_all, [](CliContext& context) {
                        WithOpenClub(context, [](Books& books) {
                          RequireDone(books, [&] { return books.Securities().ResetAllSecurities(); });
                        });
                      }});
}

Cell PriceCell(double price) { return {"$" + ledger::FormatPrice(price), price}; }

void PrintSecurities(CliContext& context) {
  WithOpenClub(context, [&](Books& books) {
    Listing listing("Securities", {{"Name", "name"},
                                   {"Symbol", "symbol"},
                                   {"Shares", "shares", Align::Right},
                                   {"Price", "price", Align::Right},
                                   {"Price Date", "price_date"},
                                   {"Cost", "cost", Align::Right},
                                   {"Value", "value", Align::Right},
                                   {"Dividends (Year)", "dividends_year", Align::Right},
                                   {"Dividends (Total)", "dividends_total", Align::Right},
                                   {"Up/Down", "performance"}});
    double cost = 0, value = 0, dividends_year = 0, dividends_total = 0;
    for (const TSecurityRec& security : books.Securities().List(false)) {
      const ledger::SecuritySummary summary = ledger::SummarizeSecurity(security);
      cost += ShownMoney(summary.cost);
      value += ShownMoney(summary.value);
      dividends_year += ShownMoney(summary.dividends_year);
      dividends_total += ShownMoney(summary.dividends_total);
      listing.Add({TextCell(ToUtf8(DisplayName(NameKey(!security.active, security.name)))),
                   TextCell(ToUtf8(security.symbol)), UnitsCell(summary.shares), PriceCell(summary.price),
                   security.pricedate == 0 ? BlankCell() : DateCell(security.pricedate), MoneyCell(summary.cost),
                   MoneyCell(summary.value), MoneyCell(summary.dividends_year), MoneyCell(summary.dividends_total),
                   TextCell(PerformanceText(summary.performance))});
    }
    listing.Total({TextCell("Total"), BlankCell(), BlankCell(), BlankCell(), BlankCell(), MoneyCell(cost),
                   MoneyCell(value), MoneyCell(dividends_year), MoneyCell(dividends_total)});
    listing.Print(*context.out, context.json);
  });
}

struct PriceOptions {
  std::string name, price, date, id;
  std::optional<std::int32_t> year;
  bool all = false;
  std::vector<std::string> entries;
};

// "Prices - All" answered from NAME=PRICE pairs: a listed security's dialog
// takes its price, any other is cancelled.
class PriceAnswers : public DialogAnswers {
 public:
  PriceAnswers(Interaction& terminal, const std::map<std::string, std::string>* prices)
      : DialogAnswers(terminal,
                      [prices](EntryDialog& dialog) {
                        dialog.Form().amount.text = prices->at(Listed(*prices, dialog.Request().heading));
                        dialog.amountExit();
                      }),
        prices_(prices) {}

  EntryDialogResult RunEntryDialog(const EntryDialogRequest& request) override {
    if (Listed(*prices_, request.heading).empty()) return EntryDialog(request).Cancelled();
    return DialogAnswers::RunEntryDialog(request);
  }

 private:
  // The listed name of a security, compared as keys are; empty when not listed.
  static std::string Listed(const std::map<std::string, std::string>& prices, const std::string& heading) {
    for (const auto& [name, price] : prices) {
      if (store::CompareKeys(name, heading, false) == 0) return name;
    }
    return {};
  }
  const std::map<std::string, std::string>* prices_;
};

void PricesAll(CliContext& context, const PriceOptions& options) {
  std::map<std::string, std::string> prices;
  for (const std::string& entry : options.entries) {
    auto equals = entry.rfind('=');
    if (equals == std::string::npos || equals == 0) throw UsageError("price-all takes NAME=PRICE: " + entry);
    prices[Cp(entry.substr(0, equals))] = entry.substr(equals + 1);
  }
  PriceAnswers answers(*context.ui, &prices);
  WithOpenClub(
      context,
      [&](Books& books) {
        ClubSession& club = books.Club();
        std::map<std::string, std::string> named;  // by the security's own name, a ticker given or not
        for (const auto& [name, price] : prices) {
          const TSecurityRec security = RequireSecurity(books, ToUtf8(name));
          if (!security.active) {
            club.Ui().ShowError("Security is hidden.");
            throw CommandRefused("hidden");
          }
          named[security.name] = price;
        }
        prices = std::move(named);
        const DayNumber date = RequirePriceDate(club, options.date);
        const BookFigures before = TakeFigures(books);
        RequireDone(books, [&] { return books.Prices().PricesAll(date); });
        if (!context.json) *context.out << PricesLine(before, TakeFigures(books), date) << '\n';
      },
      &answers);
}

void EnterPrice(CliContext& context, const PriceOptions& options) {
  WithOpenClub(context, [&](Books& books) {
    ClubSession& club = books.Club();
    const TSecurityRec security = RequireSecurity(books, options.name);
    const double price = RequirePrice(club, options.price);
    RequireDone(books, [&] { return books.Prices().EnterPrice(security.name, price, RequirePriceDate(club, options.date)); });
    if (!context.json) *context.out << PriceLine(RequireSecurity(books, options.name)) << '\n';
  });
}

void ChangePrice(CliContext& context, const PriceOptions& options) {
  DialogAnswers answers(*context.ui, [&options](EntryDialog& dialog) {
    dialog.Form().amount.text = options.price;
    dialog.amountExit();
  });
  WithOpenClub(
      context,
      [&](Books& books) {
        const TSecurityRec security = RequireSecurity(books, options.name);
        RequireDone(books, [&] { return books.Prices().ChangePrice(security.name, std::stoi(options.id)); });
      },
      &answers);
}

void DeletePrice(CliContext& context, const PriceOptions& options) {
  WithOpenClub(context, [&](Books& books) {
    const TSecurityRec security = RequireSecurity(books, options.name);
    RequireDone(books, [&] { return books.Prices().DeletePrice(security.name, std::stoi(options.id)); });
  });
}

void PrintPrices(CliContext& context, const PriceOptions& options) {
  WithOpenClub(context, [&](Books& books) {
    const TSecurityRec security = RequireSecurity(books, options.name);
    std::optional<std::int32_t> shown = options.all ? std::nullopt
                                                    : std::optional(options.year.value_or(
                                                          CivilFromDayNumber(books.Club().Today()).year));
    Listing listing(shown ? std::to_string(*shown) + " Price History" : "Complete Price History",
                    {{"Id", "id", Align::Right}, {"Date", "date"}, {"Price", "price", Align::Right}});
    for (const ledger::PriceRow& row : books.Prices().PriceRows(security.name, shown)) {
      listing.Add({CountCell(row.record.tranid), DateCell(row.date), {PriceRowTexts(row).price, row.price}});
    }
    listing.Print(*context.out, context.json);
  });
}

void ImportPrices(CliContext& context, const std::string& file) {
  WithOpenClub(context, [&](Books& books) {
    RequireDone(books, [&] { return books.Prices().AskBeforePriceUpdate(); });
    RequireDone(books, [&] { return books.Prices().ImportPrices(std::filesystem::absolute(file)); });
  });
}

void AddPriceCommands(CLI::App& app, CommandList& commands) {
  auto single = std::make_shared<PriceOptions>();
  auto* price = app.add_subcommand("price", "Enter a security's price; or change or delete one (\"price change\")");
  auto* name = price->add_option("NAME", single->name, "Security name");
  auto* typed = price->add_option("PRICE", single->price, "Price (12.375 or 12 3/8)");
  price->add_option("--date", single->date, "Price date M/D/YYYY or M/D/YY (default today)")->transform(DateForm());

  auto change = std::make_shared<PriceOptions>();
  auto* change_command = price->add_subcommand("change", "Change a price of the history");
  change_command->add_option("NAME", change->name, "Security name")->required();
  change_command->add_option("ID", change->id, "Price id (see \"prices\")")->required()->check(RecordId());
  change_command->add_option("PRICE", change->price, "New price")->required();
  commands.push_back({change_command, [change](CliContext& context) { ChangePrice(context, *change); }});

  auto removed = std::make_shared<PriceOptions>();
  auto* delete_command = price->add_subcommand("delete", "Delete a price of the history");
  delete_command->add_option("NAME", removed->name, "Security name")->required();
  delete_command->add_option("ID", removed->id, "Price id (see \"prices\")")->required()->check(RecordId());
  commands.push_back({delete_command, [removed](CliContext& context) { DeletePrice(context, *removed); }});

  commands.push_back({price, [single, name, typed](CliContext& context) {
                        if (name->count() == 0 || typed->count() == 0) throw UsageError("price takes NAME PRICE");
                        EnterPrice(context, *single);
                      }});

  auto all = std::make_shared<PriceOptions>();
  auto* all_command = app.add_subcommand("price-all", "Enter prices of the active securities (\"Prices - All\")");
  all_command->add_option("--date", all->date, "Price date M/D/YYYY or M/D/YY (default today)")->transform(DateForm());
  all_command->add_option("PRICES", all->entries, "NAME=PRICE for each security priced; the others are skipped")
      ->required();
  commands.push_back({all_command, [all](CliContext& context) { PricesAll(context, *all); }});

  auto grid = std::make_shared<PriceOptions>();
  auto* grid_command = app.add_subcommand("prices", "A security's price history with the price ids");
  grid_command->add_option("NAME", grid->name, "Security name")->required();
  auto* year = grid_command->add_option("--year", grid->year, "The year shown (default this year)");
  grid_command->add_flag("--all", grid->all, "The complete history")->excludes(year);
  commands.push_back({grid_command, [grid](CliContext& context) { PrintPrices(context, *grid); }});

  auto file = std::make_shared<std::string>();
  auto* import = app.add_subcommand("import-prices", "Import prices from a text file (SYMBOL,PRICE,DATE lines)");
  import->add_option("FILE", *file, "Price file")->required();
  commands.push_back({import, [file](CliContext& context) { ImportPrices(context, *file); }});
}

}  // namespace

void AddSecurityCommands(CLI::App& app, CommandList& commands) {
  AddSecurityMaintenance(app, commands);
  auto* list = app.add_subcommand("securities", "List the securities with shares, price, cost, value and dividends");
  commands.push_back({list, [](CliContext& context) { PrintSecurities(context); }});
  AddPriceCommands(app, commands);
}

}  // namespace pellmark::cli
