#include <fmt/format.h>

#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cli/change_lines.h"
#include "cli/cli_context.h"
#include "cli/dialog_answers.h"
#include "cli/input_forms.h"
#include "cli/listing.h"
#include "cli/open_club.h"
#include "club/number_format.h"
#include "club/number_parse.h"
#include "club/text_encoding.h"
#include "books/dues_text.h"
#include "books/member_form.h"
#include "members/member_ledger.h"
#include "members/member_value.h"

namespace pellmark::cli {
namespace {

using ledger::MemberAction;
using ledger::MemberLedger;

std::string Cp(const std::string& utf8) { return StorableText(utf8); }

struct MemberOptions {
  std::string name, last, first, group;
  std::map<std::string, std::string> fields;  // option name -> value
};

// The contact options of `member add` and `member change`, by the record field they fill.
const std::vector<std::pair<const char*, std::string MemberFields::*>>& ContactOptions() {
  static const std::vector<std::pair<const char*, std::string MemberFields::*>> options = {
      {"address", &MemberFields::addr}, {"city", &MemberFields::city},
      {"state", &MemberFields::state},  {"zip", &MemberFields::zip},
      {"ssn", &MemberFields::idnum},    {"home", &MemberFields::hphone},
      {"work", &MemberFields::wphone},  {"fax", &MemberFields::fphone},
      {"other", &MemberFields::ophone}, {"email", &MemberFields::email}};
  return options;
}

void AddMemberOptions(CLI::App* command, MemberOptions& options) {
  auto* last = command->add_option("--last", options.last, "Last name of a person");
  auto* first = command->add_option("--first", options.first, "First name of a person");
  auto* group = command->add_option("--group", options.group, "Name of a group (up to 30 characters)");
  group->excludes(last)->excludes(first);
  for (const auto& [name, member] : ContactOptions()) {
    command->add_option(std::string("--") + name, options.fields[name]);
  }
}

[[noreturn]] void NoSuchMember(ClubSession& club, const std::string& name) {
  club.Ui().ShowError("Member " + Cp(name) + " not found.");
  throw CommandRefused("no member");
}

TMemberRec RequireMember(Books& books, const std::string& name) {
  auto member = books.Members().Find(Cp(name));
  if (!member) NoSuchMember(books.Club(), name);
  return *member;
}

void CommitMember(CliContext& context, const MemberOptions& options, bool adding) {
  WithOpenClub(context, [&](Books& books) {
    MemberFields fields;
    std::optional<std::string> existing;
    if (!adding) {
      TMemberRec member = RequireMember(books, options.name);
      existing = MemberName(member);
      fields.group = member.mtype == 'G';
      fields.lname = member.lname;
      fields.fname = member.fname;
      fields.name = MemberName(member);
      fields.addr = member.addr;
      fields.city = member.city;
      fields.state = member.state;
      fields.zip = member.zip;
      fields.idnum = member.idnum;
      fields.hphone = member.hphone;
      fields.wphone = member.wphone;
      fields.fphone = member.fphone;
      fields.ophone = member.ophone;
      fields.email = member.email;
    }
    if (!options.group.empty()) {
      fields.group = true;
      fields.name = Cp(options.group);
    }
    if (!options.last.empty() || !options.first.empty()) {
      fields.group = false;
      if (!options.last.empty()) fields.lname = Cp(options.last);
      if (!options.first.empty()) fields.fname = Cp(options.first);
    }
    for (const auto& [name, member] : ContactOptions()) {
      const std::string& value = options.fields.at(name);
      if (!value.empty()) fields.*member = Cp(value);
    }
    RequireDone(books, [&] { return pellmark::CommitMember(books.Members(), existing, fields); });
  });
}

DayNumber RequireDate(ClubSession& club, const std::string& text) {
  if (text.empty()) return club.Today();
  auto date = ParseDate(text);
  if (!date) {
    club.Ui().ShowError(Cp(text) + " is an invalid date.");
    throw CommandRefused("bad date");
  }
  return *date;
}

// One `memberselect` action answered from the command's options: the amount of
// each member by `memid` (members without one are skipped, as by an empty amount).
struct Collection {
  MemberAction action;
  std::string date;
  std::string account;
  std::string fee = "0.00";
  std::string valuation;  // payoff: the valuation's date, else the newest on or before the payoff's date
  std::string check;      // payoff: check number, none for a withdrawal
  bool pay_all = false;   // payoff: the largest payoff at the valuation
  std::map<std::int32_t, std::string> amounts;
};

// The payoff valuation the command names, else the newest on or before the
// payoff's date; the list comes newest first.
int ChosenValuation(const std::vector<PayoffValuation>& valuations, const std::string& named, DayNumber payoff_date) {
  for (std::size_t i = 0; i < valuations.size(); ++i) {
    const bool fits = named.empty() ? valuations[i].unit.date <= payoff_date : FormatDate(valuations[i].unit.date) == named;
    if (fits) return static_cast<int>(i);
  }
  return -1;
}

// The amount, or the largest payoff for --all (whole cents, never above the
// maximum); an amount above the maximum is refused naming it.
void FillPayoffAmount(Interaction& ui, EntryForm& form, const PayoffValuation& valuation, bool pay_all) {
  const std::string as_of = FormatMoney(valuation.maximum) + " as of " + FormatDate(valuation.unit.date);
  if (pay_all) {
    form.amount.text = FormatFixed(std::floor(valuation.maximum * 100 + 1e-6) / 100, 2);
    return;
  }
  auto amount = ParseNumber(form.amount.text);
  if (amount && *amount > valuation.maximum) {
    ui.ShowError(form.typelabel.caption + " greater than Maximum payoff amount (" + as_of + ").");
    throw CommandRefused("above the maximum");
  }
}

void RunCollection(CliContext& context, Collection& collection, const std::optional<std::string>& selected,
                   const std::function<void(Books&)>& resolve) {
  DialogAnswers answers(*context.ui, [&collection, &context](EntryDialog& dialog) {
    EntryForm& form = dialog.Form();
    auto amount = collection.amounts.find(dialog.Request().member_tran.memid);
    form.amount.text = amount == collection.amounts.end() ? "" : amount->second;
    if (!collection.account.empty()) {
      SelectListItem(*context.ui, form.accountbox, Cp(collection.account), "Account");
      dialog.accountboxChange();
    }
    if (collection.action == MemberAction::Payoff) {
      form.price.text = collection.fee;
      const auto& valuations = dialog.Request().payoff_valuations;
      const DayNumber payoff_date = collection.date.empty() ? context.clock->Today() : *ParseDate(collection.date);
      form.allunits.selected = ChosenValuation(valuations, collection.valuation, payoff_date);
      if (form.allunits.selected < 0) {
        context.ui->ShowError(collection.valuation.empty()
                                  ? "No valuation on or before " + FormatDate(payoff_date) + " to pay off at."
                                  : "No valuation of " + collection.valuation + " to pay off at.");
        throw CommandRefused("no valuation");
      }
      FillPayoffAmount(*context.ui, form, valuations[form.allunits.selected], collection.pay_all);
      form.tax.checked = !collection.check.empty();
      dialog.taxClick();
      if (!collection.check.empty()) form.desc.text = collection.check;
    }
  });
  WithOpenClub(
      context,
      [&](Books& books) {
        ClubSession& club = books.Club();
        resolve(books);
        const std::optional<TMemberRec> member = selected ? books.Members().Find(*selected) : std::nullopt;
        std::set<std::int32_t> known;
        if (member) {
          for (const auto& row : books.Members().DuesHistory(MemberName(*member), std::nullopt)) known.insert(row.record.duestran);
        }
        const BookFigures before = TakeFigures(books);
        RequireDone(books, [&] { return books.Members().Collect(collection.action, selected, RequireDate(club, collection.date)); });
        const bool told = collection.action == MemberAction::Payoff || collection.action == MemberAction::Fees;
        if (!member || !told || context.json) return;
        for (const auto& row : books.Members().DuesHistory(MemberName(*member), std::nullopt)) {
          if (!known.contains(row.record.duestran)) {
            *context.out << MemberLine(*member, row.record, before, TakeFigures(books)) << '\n';
          }
        }
      },
      &answers);
}

void AddCollectionCommands(CLI::App& app, CommandList& commands) {
  struct DuesOptions {
    std::string date, all, account;
    std::vector<std::string> members;
  };
  auto dues = std::make_shared<DuesOptions>();
  auto* dues_command = app.add_subcommand("dues", "Collect dues (\"Dues - All\")");
  dues_command->add_option("--date", dues->date, "Dues date M/D/YYYY or M/D/YY (default today)")->transform(DateForm());
  auto* all = dues_command->add_option("--all", dues->all, "The same amount for every active member")
                  ->transform(AmountForm());
  auto* listed = dues_command->add_option("--member", dues->members, "NAME=AMOUNT, for the listed members only");
  all->excludes(listed);
  dues_command->add_option("--account", dues->account, "Account the dues go to (default: the default member account)");
  commands.push_back({dues_command, [dues](CliContext& context) {
                        if (dues->all.empty() && dues->members.empty()) throw UsageError("give --all or --member");
                        Collection collection{MemberAction::DuesAll, dues->date, dues->account};
                        RunCollection(context, collection, std::nullopt, [&](Books& books) {
                          if (!dues->all.empty()) {
                            for (const TMemberRec& member : books.Members().List(true)) {
                              collection.amounts[member.memid] = dues->all;
                            }
                          }
                          for (const std::string& entry : dues->members) {
                            auto equals = entry.rfind('=');
                            if (equals == std::string::npos) throw UsageError("--member takes NAME=AMOUNT: " + entry);
                            TMemberRec member = RequireMember(books, entry.substr(0, equals));
                            const std::string typed = entry.substr(equals + 1);
                            auto plain = AmountText(typed);
                            if (!plain) throw UsageError("--member: " + AmountRefusal(typed));
                            collection.amounts[member.memid] = *plain;
                          }
                        });
                      }});

  struct SingleOptions {
    std::string name, amount, date, account, fee = "0.00", valuation, check;
    bool all = false;
  };
  auto add_single = [&](const char* name, const char* help, MemberAction action) {
    auto options = std::make_shared<SingleOptions>();
    auto* command = app.add_subcommand(name, help);
    command->add_option("NAME", options->name, "Member (\"Smith, Ann\" or a group's name)")->required();
    const bool totals = action == MemberAction::TotalDues || action == MemberAction::TotalEarnings;
    auto* amount = command->add_option(totals ? "NEWTOTAL" : "AMOUNT", options->amount,
                                       totals ? "The new total" : "Amount (1234.50 or $1,234.50)")
                       ->transform(AmountForm());
    command->add_option("--date", options->date, "Date M/D/YYYY or M/D/YY (default today)")->transform(DateForm());
    if (!totals) command->add_option("--account", options->account, "Account (default: the default member account)");
    if (action == MemberAction::Payoff) {
      command->add_flag("--all", options->all, "Pay the largest payoff at the valuation")->excludes(amount);
      command->add_option("--valuation", options->valuation,
                          "Date of the valuation to pay off at (default: the newest on or before the date)")
          ->transform(DateForm());
      command->add_option("--fee", options->fee, "Payoff fee, subtracted from the payoff")->transform(AmountForm());
      command->add_option("--check", options->check, "Pay by this check number (else a withdrawal)");
    } else {
      amount->required();
    }
    commands.push_back({command, [options, action](CliContext& context) {
                          if (action == MemberAction::Payoff && !options->all && options->amount.empty()) {
                            throw UsageError("give AMOUNT or --all");
                          }
                          Collection collection{action,          options->date,  options->account, options->fee,
                                                options->valuation, options->check, options->all};
                          RunCollection(context, collection, Cp(options->name), [&](Books& books) {
                            TMemberRec member = RequireMember(books, options->name);
                            collection.amounts[member.memid] = options->amount;
                          });
                        }});
  };
  add_single("payoff", "Pay a member off at a valuation", MemberAction::Payoff);
  add_single("fee", "Collect a fee from a member", MemberAction::Fees);
  add_single("total-dues", "Set a member's total contributions", MemberAction::TotalDues);
  add_single("total-earnings", "Set a member's total earnings", MemberAction::TotalEarnings);
}

void PrintMembers(CliContext& context) {
  WithOpenClub(context, [&](Books& books) {
    ClubSession& club = books.Club();
    Listing listing("Members", {{"Name", "name"},
                                {"Units", "units", Align::Right},
                                {"Contributions", "contributions", Align::Right},
                                {"Earnings", "earnings", Align::Right},
                                {"Value", "value", Align::Right},
                                {"Hidden", "hidden"}});
    double units = 0, contributions = 0, earnings = 0, value = 0;
    for (const TMemberRec& member : books.Members().List(false)) {
      const double member_value = ledger::MemberValue(member, club.Info());
      listing.Add({TextCell(ToUtf8(MemberName(member))), UnitsCell(member.tunits), MoneyCell(member.totalc),
                   MoneyCell(member.totale), MoneyCell(member_value), FlagCell(!member.active, "hidden")});
      units += ShownUnits(member.tunits);
      contributions += ShownMoney(member.totalc);
      earnings += ShownMoney(member.totale);
      value += ShownMoney(member_value);
    }
    listing.Total({TextCell("Total"), UnitsCell(units), MoneyCell(contributions), MoneyCell(earnings), MoneyCell(value)});
    listing.Print(*context.out, context.json);
  });
}

// "12.500" or "(2.000)" of the dues grid as a number for scripts.
Cell GridUnitsCell(const std::string& text) {
  if (text.empty()) return BlankCell();
  const bool negative = text.front() == '(';
  const double units = ParseNumber(negative ? text.substr(1, text.size() - 2) : text).value_or(0);
  return {text, negative ? -units : units};
}

void PrintDuesHistory(CliContext& context, const std::string& name, std::optional<std::int32_t> year, bool all) {
  WithOpenClub(context, [&](Books& books) {
    ClubSession& club = books.Club();
    const TMemberRec member = RequireMember(books, name);
    std::optional<std::int32_t> shown =
        all ? std::nullopt : std::optional(year.value_or(CivilFromDayNumber(club.Today()).year));
    Listing listing(shown ? std::to_string(*shown) + " Dues History" : "Complete Dues History",
                    {{"Id", "id", Align::Right},
                     {"Date", "date"},
                     {"Type", "type"},
                     {"Amount", "amount", Align::Right},
                     {"Units", "units", Align::Right}});
    for (const auto& row : books.Members().DuesHistory(MemberName(member), shown)) {
      const DuesRowText text = DuesRowTexts(row);
      listing.Add({CountCell(row.record.duestran), DateCell(row.record.trandate), TextCell(text.kind),
                   MoneyCell(row.record.dues), GridUnitsCell(text.units)});
    }
    listing.Print(*context.out, context.json);
  });
}

// The valuations a payoff can be made at: the club's unit values by date, the
// one that closed a year marked.
void PrintUnitValues(CliContext& context) {
  WithOpenClub(context, [&](Books& books) {
    Listing listing("Unit Values", {{"Date", "date"},
                                    {"Unit Value", "unit_value", Align::Right},
                                    {"Id", "id", Align::Right},
                                    {"Year Closed", "year_closed"}});
    for (const TUnitValueRec& unit : books.Club().unitfile.Select()) {
      listing.Add({DateCell(unit.date), UnitValueCell(unit.unitval), CountCell(unit.unitid), FlagCell(unit.upd, "closed")});
    }
    listing.Print(*context.out, context.json);
  });
}

void AddMemberMaintenance(CLI::App& app, CommandList& commands) {
  auto* member = app.add_subcommand("member", "Add, change, hide, un-hide, delete and reset members");
  member->require_subcommand(1);

  auto add = std::make_shared<MemberOptions>();
  auto* add_command = member->add_subcommand("add", "Add a member (a person or a group)");
  AddMemberOptions(add_command, *add);
  commands.push_back({add_command, [add](CliContext& context) { CommitMember(context, *add, true); }});

  auto change = std::make_shared<MemberOptions>();
  auto* change_command = member->add_subcommand("change", "Change a member");
  change_command->add_option("NAME", change->name, "Member (\"Smith, Ann\" or a group's name)")->required();
  AddMemberOptions(change_command, *change);
  commands.push_back({change_command, [change](CliContext& context) { CommitMember(context, *change, false); }});

  struct Simple {
    const char* name;
    const char* help;
    std::function<Outcome(MemberLedger&, const std::string&)> action;
  };
  const std::vector<Simple> simple = {
      {"hide", "Hide a member without units", [](MemberLedger& m, const std::string& n) { return m.Hide(n); }},
      {"unhide", "Un-hide a member", [](MemberLedger& m, const std::string& n) { return m.Unhide(n); }},
      {"delete", "Delete a member without units and its transactions",
       [](MemberLedger& m, const std::string& n) { return m.Delete(n); }},
      {"reset", "Recompute a member's totals from its transactions",
       [](MemberLedger& m, const std::string& n) { return m.ResetMember(n, true); }},
  };
  for (const Simple& entry : simple) {
    auto name = std::make_shared<std::string>();
    auto* command = member->add_subcommand(entry.name, entry.help);
    command->add_option("NAME", *name, "Member (\"Smith, Ann\" or a group's name)")->required();
    commands.push_back({command, [name, action = entry.action](CliContext& context) {
                          WithOpenClub(context, [&](Books& books) {
                            RequireMember(books, *name);
                            MemberLedger& members = books.Members();
                            RequireDone(books, [&] { return action(members, Cp(*name)); });
                          });
                        }});
  }
  auto* reset_all = member->add_subcommand("reset-all", "Recompute every active member");
  commands.push_back({reset_all, [](CliContext& context) {
                        WithOpenClub(context, [](Books& books) { books.Members().ResetAllMembers(); });
                      }});

  auto* list = app.add_subcommand("members", "List the members with units, contributions, earnings and value");
  commands.push_back({list, PrintMembers});

  auto* unit_values = app.add_subcommand("unit-values", "List the valuations (unit values by date) a payoff can use");
  commands.push_back({unit_values, PrintUnitValues});

  auto history_name = std::make_shared<std::string>();
  auto history_year = std::make_shared<std::optional<std::int32_t>>();
  auto history_all = std::make_shared<bool>(false);
  auto* history = app.add_subcommand("dues-history", "A member's dues grid");
  history->add_option("NAME", *history_name, "Member")->required();
  auto* year = history->add_option("--year", *history_year, "Year shown (default this year)");
  history->add_flag("--all", *history_all, "Every transaction")->excludes(year);
  commands.push_back({history, [history_name, history_year, history_all](CliContext& context) {
                        PrintDuesHistory(context, *history_name, *history_year, *history_all);
                      }});

  auto* mtxn = app.add_subcommand("mtxn", "Change or delete a member transaction");
  mtxn->require_subcommand(1);
  struct TxnOptions {
    std::string name, amount;
    std::int32_t id = 0;
    bool force = false;
  };
  auto change_txn = std::make_shared<TxnOptions>();
  auto* change_txn_command = mtxn->add_subcommand("change", "Change the amount of a dues payment or fee");
  change_txn_command->add_option("NAME", change_txn->name, "Member")->required();
  change_txn_command->add_option("ID", change_txn->id, "Transaction number (see dues-history)")->required()->check(RecordId());
  change_txn_command->add_option("AMOUNT", change_txn->amount, "New amount")->required()->transform(AmountForm());
  commands.push_back({change_txn_command, [change_txn](CliContext& context) {
                        DialogAnswers answers(*context.ui, [change_txn](EntryDialog& dialog) {
                          dialog.Form().amount.text = change_txn->amount;
                        });
                        WithOpenClub(
                            context,
                            [&](Books& books) {
                              RequireMember(books, change_txn->name);
                              RequireDone(books, [&] { return books.Members().ChangeTransaction(Cp(change_txn->name), change_txn->id); });
                            },
                            &answers);
                      }});
  auto delete_txn = std::make_shared<TxnOptions>();
  auto* delete_txn_command = mtxn->add_subcommand("delete", "Delete a member transaction");
  delete_txn_command->add_option("NAME", delete_txn->name, "Member")->required();
  delete_txn_command->add_option("ID", delete_txn->id, "Transaction number (see dues-history)")->required()->check(RecordId());
  delete_txn_command->add_flag("--force", delete_txn->force, "Force Deletes: allow deleting earnings");
  commands.push_back({delete_txn_command, [delete_txn](CliContext& context) {
                        WithOpenClub(context, [&](Books& books) {
                          RequireMember(books, delete_txn->name);
                          RequireDone(books, [&] { return books.Members().DeleteTransaction(Cp(delete_txn->name), delete_txn->id,
                                                                           delete_txn->force); });
                        });
                      }});
}

}  // namespace

void AddMemberCommands(CLI::App& app, CommandList& commands) {
  AddMemberMaintenance(app, commands);
  AddCollectionCommands(app, commands);
}

}  // namespace pellmark::cli
