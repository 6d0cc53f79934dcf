// The security ledger from the command line: buy, sell, dividend, reinvest,
// capital-change and foreign-tax type their options into the entry dialog and
// press OK; `--lots` answers the lot chooser; split, basis and clear type
// theirs into the "Split" and "Basis Update" dialogs; stxns, stxn and lots
// list, change and delete the records.
#include <memory>
#include <optional>
#include <string>
#include <set>
#include <unordered_map>
#include <vector>

#include "cli/change_lines.h"
#include "cli/cli_context.h"
#include "cli/named_records.h"
#include "cli/dialog_answers.h"
#include "cli/input_forms.h"
#include "cli/listing.h"
#include "cli/open_club.h"
#include "club/holding_term.h"
#include "club/number_format.h"
#include "club/number_parse.h"
#include "club/text_encoding.h"
#include "forms/lot_chooser.h"
#include "books/stock_text.h"
#include "securities/corporate_changes.h"
#include "securities/security_ledger.h"
#include "securities/security_totals.h"

namespace pellmark::cli {
namespace {

using ledger::StockEntry;

std::string Cp(const std::string& utf8) { return StorableText(utf8); }

struct TradeOptions {
  std::string security, amount, price, date, comm = "0.00", account, check, into, gain;
  bool no_account = false, cover_short = false, short_sale = false, not_taxable = false, company_paid = false,
       reduction = false;
  std::vector<std::string> lots;  // ID=SHARES, in the order the lots are taken
};

// A lot named by `--lots`: its id and the shares the sale takes from it.
struct LotPick {
  std::int32_t id = 0;
  double shares = 0;
  std::string typed;
};

std::vector<LotPick> ParseLots(const std::vector<std::string>& entries) {
  std::vector<LotPick> picks;
  for (const std::string& entry : entries) {
    const auto equals = entry.find('=');
    const std::string id = equals == std::string::npos ? "" : entry.substr(0, equals);
    const std::string shares = equals == std::string::npos ? "" : entry.substr(equals + 1);
    auto count = ParseNumber(shares);
    const bool whole = !id.empty() && id.size() <= 9 && id.find_first_not_of("0123456789") == std::string::npos;
    if (!whole || !count || *count <= 0) throw UsageError("--lots takes ID=SHARES (a lot id and its shares): " + entry);
    picks.push_back({std::stoi(id), *count, shares});
  }
  return picks;
}

// The dialog answered from the options, and the questions of a trade answered
// by them: lots are chosen only when `--lots` names them, a covering purchase
// covers the oldest short sales first, and a sale beyond the holding is a
// short sale only when `--short` says so.
class TradeAnswers : public DialogAnswers {
 public:
  TradeAnswers(Interaction& terminal, Fill fill, std::vector<LotPick> picks)
      : DialogAnswers(terminal, std::move(fill)), terminal_(terminal), picks_(std::move(picks)) {}

  bool Confirm(std::string_view text, bool beep = true) override {
    if (text == "Select Shares to Sell?") return !picks_.empty();
    if (text == "Select Sold Shares?" || text == "Do you want to record a short sell?") return false;
    return DialogAnswers::Confirm(text, beep);
  }

  LotChooserResult RunLotChooser(const LotChooserRequest& request) override {
    securities::LotChooser chooser(request);
    std::unordered_map<std::string, const TSecurityTranRec*> records;
    for (const LotCandidate& candidate : request.candidates) records.emplace(candidate.key, &candidate.record);
    for (const LotPick& pick : picks_) {
      const std::vector<securities::LotRow>& rows = chooser.Rows();
      int row = -1;
      for (std::size_t i = 0; i < rows.size(); ++i) {
        if (records.at(rows[i].key)->stranid == pick.id) row = static_cast<int>(i);
      }
      if (row < 0) Refuse("Lot " + std::to_string(pick.id) + " is not an open lot of " + request.security.name + ".");
      const TSecurityTranRec& lot = *records.at(rows[row].key);
      if (lot.trandate > request.transaction.trandate) {
        Refuse("Lot " + std::to_string(pick.id) + " was bought after " + FormatDate(request.transaction.trandate) + ".");
      }
      chooser.stockfilterClick(row);
      const std::string& taken = chooser.Rows()[row].status;
      if (taken.empty() || taken != FormatFixed(pick.shares, 4)) {
        Refuse("Lot " + std::to_string(pick.id) + " takes " + (taken.empty() ? "no" : taken) + " shares of this sale, not " +
               pick.typed + ".");
      }
    }
    securities::LotChoiceOutcome ok = chooser.PressOk();
    if (!ok.accepted) Refuse(ok.message);
    return chooser.Result();
  }

 private:
  [[noreturn]] void Refuse(const std::string& message) {
    terminal_.ShowError(message);
    throw CommandRefused(message);
  }

  Interaction& terminal_;
  std::vector<LotPick> picks_;
};

DayNumber RequireDate(Interaction& ui, const std::string& text) {
  auto date = ParseDate(text);
  if (!date) {
    ui.ShowError(text + " is an invalid date.");
    throw CommandRefused("bad date");
  }
  return *date;
}

TSecurityRec RequireSecurity(Books& books, const std::string& name) {
  auto security = FindSecurity(books, name);
  if (!security) {
    books.Club().Ui().ShowError("Security " + Cp(name) + " does not exist.");
    throw CommandRefused("no security");
  }
  return *security;
}

void SelectAccount(Interaction& ui, EntryDialog& dialog, const TradeOptions& options) {
  EntryForm& form = dialog.Form();
  if (options.no_account) {
    form.tran.checked = false;
    dialog.tranClick();
  } else if (!options.account.empty()) {
    SelectListItem(ui, form.accountbox, Cp(options.account), "Account");
    dialog.accountboxChange();
  }
}

DialogAnswers::Fill FillTrade(StockEntry choice, const TradeOptions& options, Interaction& ui) {
  return [choice, &options, &ui](EntryDialog& dialog) {
    EntryForm& form = dialog.Form();
    form.amount.text = options.amount;
    form.price.text = options.price;
    dialog.priceExit();
    form.commission.text = options.comm;
    switch (choice) {
      case StockEntry::Buy:
        SelectAccount(ui, dialog, options);
        if (form.tax.visible) {
          form.tax.checked = !options.check.empty();
          dialog.taxClick();
          if (!options.check.empty()) form.desc.text = options.check;
        }
        form.cleared.checked = options.cover_short;
        break;
      case StockEntry::Sell:
        SelectAccount(ui, dialog, options);
        form.cleared.checked = options.short_sale;
        break;
      case StockEntry::Dividends:
        SelectAccount(ui, dialog, options);
        form.tax.checked = !options.not_taxable;
        break;
      case StockEntry::Reinvestment:
        form.compcomm.checked = options.company_paid;
        if (!options.into.empty()) {
          form.tax.checked = false;
          dialog.taxClick();
          SelectListItem(ui, form.allunits, Cp(options.into), "Security");
        }
        break;
      case StockEntry::CapitalChange:
        SelectAccount(ui, dialog, options);
        form.captype.selected = options.reduction ? kCapitalReduction : kCapitalGain;
        dialog.captypeClick();
        if (!options.reduction) {
          form.allunits.selected = options.gain == "short"    ? kShortTermGain
                                   : options.gain == "medium" ? kMediumTermGain
                                                              : kLongTermGain;
        }
        break;
      case StockEntry::ForeignTaxes: break;
    }
  };
}

void RunTrade(CliContext& context, StockEntry choice, const TradeOptions& typed) {
  TradeOptions options = typed;  // --into by its ticker becomes the security's name before the dialog reads it
  TradeAnswers answers(*context.ui, FillTrade(choice, options, *context.ui), ParseLots(options.lots));
  WithOpenClub(
      context,
      [&](Books& books) {
        const DayNumber date = RequireDate(*context.ui, options.date);
        const std::string security = RequireSecurity(books, options.security).name;
        const std::optional<TSecurityRec> into =
            options.into.empty() ? std::nullopt : FindSecurity(books, options.into);
        const std::string shares_of = options.into.empty() ? security : into ? into->name : Cp(options.into);
        if (into) options.into = ToUtf8(into->name);
        const BookFigures before = TakeFigures(books);
        std::set<std::int32_t> known;
        for (const ledger::StockRow& row : books.Trades().Grid(security, std::nullopt)) known.insert(row.record.stranid);
        RequireDone(books, [&] { return books.Trades().Enter(security, choice, date); });
        std::set<std::int32_t> lots;
        for (const ledger::StockRow& row : books.Trades().Grid(security, std::nullopt)) {
          if (!known.contains(row.record.stranid) && row.record.buytran >= 0) lots.insert(row.record.buytran);
        }
        if (!context.json) {
          *context.out << TradeLine(choice, before, TakeFigures(books), security, shares_of,
                                    ParseNumber(options.amount).value_or(0), ParseNumber(options.comm).value_or(0),
                                    static_cast<int>(lots.size()))
                       << '\n';
        }
      },
      &answers);
}

CLI::App* AddTradeCommand(CLI::App& app, CommandList& commands, const char* name, const char* help, StockEntry choice,
                          bool priced) {
  auto options = std::make_shared<TradeOptions>();
  auto* command = app.add_subcommand(name, help);
  command->add_option("SECURITY", options->security, "Security name")->required();
  command->add_option("AMOUNT", options->amount, "Amount (money)")->required()->transform(AmountForm());
  if (priced) {
    command->add_option("PRICE", options->price, "Price per share (12.375 or 12 3/8)")->required();
    command->add_option("--comm", options->comm, "Commission and fees (default 0)")->transform(AmountForm());
  }
  command->add_option("--date", options->date, "Date M/D/YYYY or M/D/YY")->required()->transform(DateForm());
  switch (choice) {
    case StockEntry::Buy: {
      auto* account = command->add_option("--account", options->account, "Account paying (default: the default security account)");
      auto* none = command->add_flag("--no-account", options->no_account, "No account transaction")->excludes(account);
      command->add_option("--check", options->check, "Pay by this check number")->excludes(none);
      command->add_flag("--cover-short", options->cover_short, "Cover open short sales, oldest first");
      break;
    }
    case StockEntry::Sell:
      command->add_option("--account", options->account, "Account receiving the proceeds");
      command->add_flag("--short", options->short_sale, "A short sale");
      command->add_option("--lots", options->lots, "ID=SHARES of each lot sold, in order (default: oldest first)");
      break;
    case StockEntry::Dividends:
      command->add_flag("--not-taxable", options->not_taxable, "A non-taxable dividend");
      command->add_option("--account", options->account, "Account receiving the dividend");
      break;
    case StockEntry::Reinvestment:
      command->add_flag("--company-paid", options->company_paid, "The company paid the commission");
      command->add_option("--into", options->into, "Reinvest (untaxed) in this other security");
      break;
    case StockEntry::CapitalChange: {
      command->add_option("--account", options->account, "Account receiving the cash");
      auto* reduction = command->add_flag("--reduction", options->reduction, "A capital reduction");
      auto* gain = command->add_option("--gain", options->gain, "A capital gain distribution of this term")
                       ->check(CLI::IsMember({"short", "medium", "long"}));
      reduction->excludes(gain);
      break;
    }
    case StockEntry::ForeignTaxes: break;
  }
  commands.push_back({command, [options, choice](CliContext& context) {
                        if (choice == StockEntry::CapitalChange && !options->reduction && options->gain.empty()) {
                          throw UsageError("give --reduction or --gain short|medium|long");
                        }
                        RunTrade(context, choice, *options);
                      }});
  return command;
}

std::string TermName(int term) {
  switch (term) {
    case kShortTerm: return "Short";
    case kMediumTerm: return "Medium";
    default: return "Long";
  }
}

void PrintRecords(CliContext& context, const std::string& name, std::optional<std::int32_t> year, bool all) {
  WithOpenClub(context, [&](Books& books) {
    const std::string security = RequireSecurity(books, name).name;
    std::optional<std::int32_t> shown =
        all ? std::nullopt : std::optional(year.value_or(CivilFromDayNumber(books.Club().Today()).year));
    Listing listing(StockGridCaption(shown), {{"Id", "id", Align::Right},
                                                                  {"Date", "date"},
                                                                  {"Type", "type"},
                                                                  {"Shares", "shares", Align::Right},
                                                                  {"Amount", "amount", Align::Right},
                                                                  {"Price", "price", Align::Right},
                                                                  {"Commission", "commission", Align::Right},
                                                                  {"Link", "link", Align::Right}});
    for (const ledger::StockRow& row : books.Trades().Grid(security, shown)) {
      const TSecurityTranRec& record = row.record;
      const StockRowText text = StockRowTexts(row);
      listing.Add({CountCell(record.stranid), DateCell(record.trandate), TextCell(text.type), TextCell(text.shares),
                   TextCell(text.amount), TextCell(text.price), TextCell(text.comm),
                   record.buytran >= 0 ? CountCell(record.buytran) : BlankCell()});
    }
    listing.Print(*context.out, context.json);
  });
}

void PrintLots(CliContext& context, const std::string& name) {
  WithOpenClub(context, [&](Books& books) {
    const std::string security = RequireSecurity(books, name).name;
    Listing listing("Open Lots", {{"Id", "id", Align::Right},
                                  {"Date", "date"},
                                  {"Type", "type"},
                                  {"Shares", "shares", Align::Right},
                                  {"Cost", "cost", Align::Right},
                                  {"Term", "term"}});
    double shares = 0, cost = 0;
    for (const ledger::OpenLot& lot : books.Trades().OpenLots(security)) {
      listing.Add({CountCell(lot.record.stranid), DateCell(lot.record.trandate), TextCell(LotLabel(lot.record)),
                   {FormatFixed(lot.shares, 4), lot.shares}, MoneyCell(lot.cost), TextCell(TermName(lot.term))});
      shares += ShownFixed(lot.shares, 4);
      cost += ShownMoney(lot.cost);
    }
    listing.Total({TextCell("Total"), BlankCell(), BlankCell(), {FormatFixed(shares, 4), shares}, MoneyCell(cost),
                   BlankCell()});
    listing.Print(*context.out, context.json);
  });
}

void AddRecordCommands(CLI::App& app, CommandList& commands) {
  auto name = std::make_shared<std::string>();
  auto year = std::make_shared<std::optional<std::int32_t>>();
  auto all = std::make_shared<bool>(false);
  auto* list = app.add_subcommand("stxns", "A security's transaction grid, with record ids and lot links");
  list->add_option("SECURITY", *name, "Security name")->required();
  auto* year_option = list->add_option("--year", *year, "Year shown (default this year)");
  list->add_flag("--all", *all, "Every transaction")->excludes(year_option);
  commands.push_back({list, [name, year, all](CliContext& context) { PrintRecords(context, *name, *year, *all); }});

  auto lots_name = std::make_shared<std::string>();
  auto* lots = app.add_subcommand("lots", "A security's open lots with their holding terms today");
  lots->add_option("SECURITY", *lots_name, "Security name")->required();
  commands.push_back({lots, [lots_name](CliContext& context) { PrintLots(context, *lots_name); }});

  auto* stxn = app.add_subcommand("stxn", "Change or delete a security transaction");
  stxn->require_subcommand(1);
  struct RecordOptions {
    std::string security, amount, price, comm, date;
    std::int32_t id = 0;
    bool force = false;
  };
  auto change = std::make_shared<RecordOptions>();
  auto* change_command = stxn->add_subcommand("change", "Change a security transaction");
  change_command->add_option("SECURITY", change->security, "Security name")->required();
  change_command->add_option("ID", change->id, "Record id (see stxns)")->required()->check(RecordId());
  change_command->add_option("--amount", change->amount, "New amount")->transform(AmountForm());
  change_command->add_option("--price", change->price, "New price per share");
  change_command->add_option("--comm", change->comm, "New commission")->transform(AmountForm());
  change_command->add_option("--date", change->date, "New date M/D/YYYY or M/D/YY")->transform(DateForm());
  commands.push_back({change_command, [change](CliContext& context) {
                        DialogAnswers answers(*context.ui, [change, &context](EntryDialog& dialog) {
                          EntryForm& form = dialog.Form();
                          // A record that may only be deleted says why, as its dialog's notice does.
                          if (form.read_only) {
                            context.ui->ShowError(form.warnlabel.caption);
                            throw CommandRefused("read-only");
                          }
                          if (!change->amount.empty()) form.amount.text = change->amount;
                          if (!change->price.empty()) {
                            form.price.text = change->price;
                            dialog.priceExit();
                          }
                          if (!change->comm.empty()) form.commission.text = change->comm;
                          if (!change->date.empty()) form.Date.text = change->date;
                        });
                        WithOpenClub(
                            context,
                            [&](Books& books) {
                              const std::string security = RequireSecurity(books, change->security).name;
                              RequireDone(books, [&] { return books.Trades().ChangeRecord(security, change->id); });
                            },
                            &answers);
                      }});
  auto remove = std::make_shared<RecordOptions>();
  auto* delete_command = stxn->add_subcommand("delete", "Delete a security transaction");
  delete_command->add_option("SECURITY", remove->security, "Security name")->required();
  delete_command->add_option("ID", remove->id, "Record id (see stxns)")->required()->check(RecordId());
  delete_command->add_flag("--force", remove->force, "Force Deletes: allow deleting sold lots and covered short sales");
  commands.push_back({delete_command, [remove](CliContext& context) {
                        WithOpenClub(context, [&](Books& books) {
                          const std::string security = RequireSecurity(books, remove->security).name;
                          RequireDone(books, [&] { return books.Trades().DeleteRecord(security, remove->id, remove->force); });
                        });
                      }});
}

struct ChangeOptions {
  std::string security, first, second, date, cash, comm = "0.00", account;
  bool company_paid = false;
};

// "Split" and "Basis Update" (with "Cleared" for a clear): the options typed
// into the dialog, then OK.
void RunChange(CliContext& context, ledger::CorporateChange choice, bool clear, const ChangeOptions& options) {
  Interaction& ui = *context.ui;
  DialogAnswers answers(ui, [&](EntryDialog& dialog) {
    EntryForm& form = dialog.Form();
    if (clear) {
      form.cleared.checked = true;
      dialog.clearedClick();
      return;
    }
    form.amount.text = options.first;
    form.price.text = options.second;
    if (options.cash.empty()) return;
    form.fractions.checked = true;
    dialog.fractionsClick();
    form.desc.text = options.cash;
    form.commission.text = options.comm;
    form.compcomm.checked = options.company_paid;
    if (!options.account.empty()) {
      SelectListItem(ui, form.accountbox, Cp(options.account), "Account");
      dialog.accountboxChange();
    }
  });
  WithOpenClub(
      context,
      [&](Books& books) {
        const DayNumber date = RequireDate(ui, options.date);
        const std::string security = RequireSecurity(books, options.security).name;
        const BookFigures before = TakeFigures(books);
        RequireDone(books, [&] { return books.Changes().Enter(security, choice, date); });
        if (choice == ledger::CorporateChange::Split && !context.json) {
          *context.out << SplitLine(security, options.first, options.second, before, TakeFigures(books)) << '\n';
        }
      },
      &answers);
}

void AddChangeCommands(CLI::App& app, CommandList& commands) {
  auto split = std::make_shared<ChangeOptions>();
  auto* split_command = app.add_subcommand("split", "Split a security: NEW shares for OLD, on --date");
  split_command->add_option("SECURITY", split->security, "Security name")->required();
  split_command->add_option("NEW", split->first, "New shares of the ratio")->required();
  split_command->add_option("OLD", split->second, "Old shares of the ratio")->required();
  split_command->add_option("--date", split->date, "Date M/D/YYYY or M/D/YY")->required()->transform(DateForm());
  auto* cash = split_command->add_option("--cash", split->cash, "Cash paid for the fractional shares")
                   ->transform(AmountForm());
  split_command->add_option("--comm", split->comm, "Commission on the fraction cash")->transform(AmountForm())->needs(cash);
  split_command->add_flag("--company-paid", split->company_paid, "The company paid that commission")->needs(cash);
  split_command->add_option("--account", split->account, "Account receiving the fraction cash")->needs(cash);
  commands.push_back({split_command, [split](CliContext& context) {
                        RunChange(context, ledger::CorporateChange::Split, false, *split);
                      }});

  auto basis = std::make_shared<ChangeOptions>();
  auto* basis_command = app.add_subcommand("basis", "Update a security's cost basis: NEWCOST for OLDCOST, on --date");
  basis_command->add_option("SECURITY", basis->security, "Security name")->required();
  basis_command->add_option("NEWCOST", basis->first, "New cost")->required();
  basis_command->add_option("OLDCOST", basis->second, "Old cost")->required();
  basis_command->add_option("--date", basis->date, "Date M/D/YYYY or M/D/YY")->required()->transform(DateForm());
  commands.push_back({basis_command, [basis](CliContext& context) {
                        RunChange(context, ledger::CorporateChange::BasisUpdate, false, *basis);
                      }});

  auto clear = std::make_shared<ChangeOptions>();
  auto* clear_command = app.add_subcommand("clear", "Remove a security's holding as of --date");
  clear_command->add_option("SECURITY", clear->security, "Security name")->required();
  clear_command->add_option("--date", clear->date, "Date M/D/YYYY or M/D/YY")->required()->transform(DateForm());
  commands.push_back({clear_command, [clear](CliContext& context) {
                        RunChange(context, ledger::CorporateChange::BasisUpdate, true, *clear);
                      }});

  auto* reset_dividends =
      app.add_subcommand("reset-dividends", "Re-post this year's dividend cash from the security records (asks first)");
  commands.push_back({reset_dividends, [](CliContext& context) {
                        WithOpenClub(context, [&](Books& books) { RequireDone(books, [&] { return books.Changes().ResetDividends(); }); });
                      }});
}

}  // namespace

void AddSecurityTradeCommands(CLI::App& app, CommandList& commands) {
  AddChangeCommands(app, commands);
  AddTradeCommand(app, commands, "buy", "Buy shares of a security (AMOUNT without commission)", StockEntry::Buy, true);
  AddTradeCommand(app, commands, "sell", "Sell shares (AMOUNT gross); lots oldest first unless --lots", StockEntry::Sell,
                  true);
  AddTradeCommand(app, commands, "dividend", "Record a dividend", StockEntry::Dividends, false);
  AddTradeCommand(app, commands, "reinvest", "Reinvest a dividend in shares", StockEntry::Reinvestment, true);
  AddTradeCommand(app, commands, "capital-change", "Record a capital reduction or capital gain distribution",
                  StockEntry::CapitalChange, false);
  AddTradeCommand(app, commands, "foreign-tax", "Record foreign tax paid", StockEntry::ForeignTaxes, false);
  AddRecordCommands(app, commands);
}

}  // namespace pellmark::cli
