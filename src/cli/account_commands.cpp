#include <fmt/format.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cash/account_ledger.h"
#include "cash/categories.h"
#include "cli/cli_context.h"
#include "cli/dialog_answers.h"
#include "cli/input_forms.h"
#include "cli/listing.h"
#include "cli/open_club.h"
#include "club/record_kinds.h"
#include "club/text_encoding.h"
#include "books/account_form.h"
#include "books/category_form.h"
#include "books/register_text.h"

namespace pellmark::cli {
namespace {

using ledger::AccountLedger;
using ledger::CategoryLedger;

// The options of a transaction typed into the entry dialog.
struct TransactionOptions {
  std::string account, amount, date, desc, number, category, target;
  bool cleared = false;
  std::optional<std::int32_t> id;
};

std::string Cp(const std::string& utf8) { return StorableText(utf8); }

DialogAnswers::Fill FillTransaction(const TransactionOptions& options, Interaction& ui) {
  return [&options, &ui](EntryDialog& dialog) {
    EntryForm& form = dialog.Form();
    if (!options.date.empty()) form.Date.text = options.date;
    if (!options.amount.empty()) form.amount.text = options.amount;
    if (!options.desc.empty()) form.desc.text = Cp(options.desc);
    if (!options.number.empty()) form.price.text = options.number;
    if (!options.category.empty()) SelectListItem(ui, form.accountbox, Cp(options.category), "Category");
    if (!options.target.empty()) SelectListItem(ui, form.accountbox, Cp(options.target), "Account");
    if (options.cleared) form.cleared.checked = true;
  };
}

void EnterTransaction(CliContext& context, EntryMode kind, const TransactionOptions& options) {
  DialogAnswers answers(*context.ui, FillTransaction(options, *context.ui));
  WithOpenClub(
      context,
      [&](Books& books) {
        ClubSession& club = books.Club();
        auto date = options.date.empty() ? std::optional<DayNumber>(club.Today()) : ParseDate(options.date);
        if (!date) {
          club.Ui().ShowError(options.date + " is an invalid date.");
          throw CommandRefused("bad date");
        }
        AccountLedger& accounts = books.Accounts();
        if (!accounts.Find(Cp(options.account))) {
          club.Ui().ShowError("Account " + Cp(options.account) + " not found.");
          throw CommandRefused("no account");
        }
        RequireDone(books, [&] { return accounts.EnterTransaction(Cp(options.account), kind, *date); });
      },
      &answers);
}

void AddTransactionCommand(CLI::App& app, CommandList& commands, const char* name, const char* help, EntryMode kind) {
  auto options = std::make_shared<TransactionOptions>();
  auto* command = app.add_subcommand(name, help);
  command->add_option("ACCOUNT", options->account, "Account name")->required();
  if (kind == EntryMode::Transfer) command->add_option("TO", options->target, "Target account")->required();
  command->add_option("AMOUNT", options->amount, "Amount (1234.50 or $1,234.50)")->required()->transform(AmountForm());
  command->add_option("--date", options->date, "Date M/D/YYYY or M/D/YY (default today)")->transform(DateForm());
  command->add_option("--desc", options->desc, "Description")->required();
  if (kind == EntryMode::Check) command->add_option("--number", options->number, "Check number")->required();
  if (kind == EntryMode::Check || kind == EntryMode::Deposit || kind == EntryMode::Withdrawal) {
    command->add_option("--category", options->category, "Category name")->required();
  }
  command->add_flag("--cleared", options->cleared, "Enter the item as cleared");
  commands.push_back({command, [options, kind](CliContext& context) { EnterTransaction(context, kind, *options); }});
}

void PrintAccounts(CliContext& context) {
  WithOpenClub(context, [&](Books& books) {
    ClubSession& club = books.Club();
    Listing listing("Accounts", {{"Name", "name"},
                                 {"Number", "number"},
                                 {"Balance", "balance", Align::Right},
                                 {"Out. Credits", "outstanding_credits", Align::Right},
                                 {"Out. Debits", "outstanding_debits", Align::Right},
                                 {"Interest Yr", "interest_this_year", Align::Right},
                                 {"Roles", "roles"}});
    double total = 0;
    for (const TAccountRec& account : books.Accounts().List(false)) {
      std::string roles;
      auto role = [&roles](bool on, const char* name) {
        if (on) roles += (roles.empty() ? "" : " ") + std::string(name);
      };
      role(account.actid == club.Info().defact, "default-member");
      role(account.actid == club.Info().defstkact, "default-security");
      role(account.ExcludedFromValuation(), "not-valued");
      role(!account.active, "hidden");
      listing.Add({TextCell(ToUtf8(account.name)), TextCell(ToUtf8(account.number)), MoneyCell(account.bal),
                   MoneyCell(account.ostcred), MoneyCell(account.ostdeb), MoneyCell(account.interesty),
                   TextCell(roles)});
      total += ShownMoney(account.bal);
    }
    listing.Total({TextCell("Total"), BlankCell(), MoneyCell(total)});
    listing.Print(*context.out, context.json);
  });
}

// The register with each amount signed as it moves the balance (checks,
// withdrawals, charges and transfers out negative) and the balance after it,
// counted from the initial balance through every earlier year.
void PrintRegister(CliContext& context, const std::string& name, std::optional<std::int32_t> year, bool all) {
  WithOpenClub(context, [&](Books& books) {
    ClubSession& club = books.Club();
    AccountLedger& accounts = books.Accounts();
    auto account = accounts.Find(Cp(name));
    if (!account) {
      club.Ui().ShowError("Account " + Cp(name) + " not found.");
      throw CommandRefused("no account");
    }
    const std::int32_t shown_year = year.value_or(CivilFromDayNumber(club.Today()).year);
    Listing listing(all ? "Complete Transaction History" : std::to_string(shown_year) + " Transaction History",
                    {{"Id", "id", Align::Right},
                     {"Date", "date"},
                     {"Type", "type"},
                     {"Description", "description"},
                     {"Check", "check", Align::Right},
                     {"Amount", "amount", Align::Right},
                     {"Balance", "balance", Align::Right},
                     {"Cleared", "cleared"}});
    double balance = account->ibal;
    double shown_total = 0;
    for (const auto& row : accounts.Register(account->name, std::nullopt)) {
      const double amount = IsDebit(KindOf(row.record)) ? -row.record.amount : row.record.amount;
      balance += amount;
      if (!all && CivilFromDayNumber(row.record.trandate).year != shown_year) continue;
      shown_total += ShownMoney(amount);
      const RegisterRowText text = RegisterRowTexts(row);
      listing.Add({CountCell(row.record.tranid), DateCell(row.record.trandate), TextCell(text.kind),
                   TextCell(ToUtf8(text.desc)), text.check.empty() ? BlankCell() : TextCell(text.check), MoneyCell(amount),
                   MoneyCell(balance), FlagCell(row.record.cancel, "yes")});
    }
    listing.Total({BlankCell(), BlankCell(), TextCell("Total"), BlankCell(), BlankCell(), MoneyCell(shown_total)});
    listing.Print(*context.out, context.json);
  });
}

struct AccountOptions {
  std::string name, new_name, number, initial;
  bool has_number = false, has_initial = false;
};

void ChangeAccount(CliContext& context, const AccountOptions& options, bool adding) {
  WithOpenClub(context, [&](Books& books) {
    ClubSession& club = books.Club();
    AccountLedger& accounts = books.Accounts();
    AccountFields fields{Cp(options.name), Cp(options.number), options.initial.empty() ? "0" : options.initial};
    std::optional<std::string> existing;
    if (!adding) {
      auto account = accounts.Find(Cp(options.name));
      if (!account) {
        club.Ui().ShowError("Account " + Cp(options.name) + " not found.");
        throw CommandRefused("no account");
      }
      existing = account->name;
      fields.name = options.new_name.empty() ? account->name : Cp(options.new_name);
      if (options.number.empty()) fields.number = account->number;
      if (options.initial.empty()) fields.initial = fmt::format("{}", account->ibal);
    }
    RequireDone(books, [&] { return CommitAccount(club, accounts, existing, fields); });
  });
}

void AccountAction(CliContext& context, const std::string& name,
                   const std::function<Outcome(AccountLedger&, const std::string&)>& action) {
  WithOpenClub(context, [&](Books& books) {
    ClubSession& club = books.Club();
    AccountLedger& accounts = books.Accounts();
    if (!accounts.Find(Cp(name))) {
      club.Ui().ShowError("Account " + Cp(name) + " not found.");
      throw CommandRefused("no account");
    }
    RequireDone(books, [&] { return action(accounts, Cp(name)); });
  });
}

void AddAccountMaintenance(CLI::App& app, CommandList& commands) {
  auto* account = app.add_subcommand("account", "Add, change, hide, un-hide, delete and reset cash accounts");
  account->require_subcommand(1);

  auto add_options = std::make_shared<AccountOptions>();
  auto* add = account->add_subcommand("add", "Add an account");
  add->add_option("NAME", add_options->name, "Account name")->required();
  add->add_option("--number", add_options->number, "Account number");
  add->add_option("--initial", add_options->initial, "Initial balance")->transform(AmountForm());
  commands.push_back({add, [add_options](CliContext& context) { ChangeAccount(context, *add_options, true); }});

  auto change_options = std::make_shared<AccountOptions>();
  auto* change = account->add_subcommand("change", "Change an account");
  change->add_option("NAME", change_options->name, "Account name")->required();
  change->add_option("--name", change_options->new_name, "New name");
  change->add_option("--number", change_options->number, "Account number");
  change->add_option("--initial", change_options->initial, "Initial balance")->transform(AmountForm());
  commands.push_back({change, [change_options](CliContext& context) { ChangeAccount(context, *change_options, false); }});

  struct Simple {
    const char* name;
    const char* help;
    std::function<Outcome(AccountLedger&, const std::string&)> action;
  };
  const std::vector<Simple> simple = {
      {"hide", "Hide an account", [](AccountLedger& a, const std::string& n) { return a.Hide(n); }},
      {"unhide", "Un-hide an account", [](AccountLedger& a, const std::string& n) { return a.Unhide(n); }},
      {"delete", "Delete an account and its transactions", [](AccountLedger& a, const std::string& n) { return a.Delete(n); }},
      {"reset", "Recompute an account's figures from its transactions",
       [](AccountLedger& a, const std::string& n) { return a.ResetAccount(n, true); }},
      {"default-member", "Make the account the default member account",
       [](AccountLedger& a, const std::string& n) { return a.SetDefaultMember(n, true); }},
      {"default-security", "Make the account the default security account",
       [](AccountLedger& a, const std::string& n) { return a.SetDefaultSecurity(n, true); }},
  };
  for (const Simple& entry : simple) {
    auto name = std::make_shared<std::string>();
    auto* command = account->add_subcommand(entry.name, entry.help);
    command->add_option("NAME", *name, "Account name")->required();
    commands.push_back({command, [name, action = entry.action](CliContext& context) {
                          AccountAction(context, *name, action);
                        }});
  }

  auto* reset_all = account->add_subcommand("reset-all", "Recompute every active account");
  commands.push_back({reset_all, [](CliContext& context) {
                        WithOpenClub(context, [](Books& books) { books.Accounts().ResetAllAccounts(); });
                      }});

  auto valuation_name = std::make_shared<std::string>();
  auto valuation_state = std::make_shared<std::string>();
  auto* valuation = account->add_subcommand("valuation", "Include the account in valuations (on) or not (off)");
  valuation->add_option("NAME", *valuation_name, "Account name")->required();
  valuation->add_option("STATE", *valuation_state, "on or off")->required()->check(CLI::IsMember({"on", "off"}));
  commands.push_back({valuation, [valuation_name, valuation_state](CliContext& context) {
                        AccountAction(context, *valuation_name, [&](AccountLedger& a, const std::string& n) {
                          return a.SetExcludedFromValuation(n, *valuation_state == "off");
                        });
                      }});
}

void AddTransactionMaintenance(CLI::App& app, CommandList& commands) {
  auto* txn = app.add_subcommand("txn", "Change or delete an account transaction");
  txn->require_subcommand(1);

  auto change_options = std::make_shared<TransactionOptions>();
  auto* change = txn->add_subcommand("change", "Change a transaction (as a double click in the register)");
  change->add_option("ACCOUNT", change_options->account, "Account name")->required();
  change->add_option("ID", change_options->id, "Transaction id (see register)")->required()->check(RecordId());
  change->add_option("--amount", change_options->amount, "Amount")->transform(AmountForm());
  change->add_option("--date", change_options->date, "Date M/D/YYYY or M/D/YY")->transform(DateForm());
  change->add_option("--desc", change_options->desc, "Description");
  change->add_option("--number", change_options->number, "Check number");
  change->add_option("--category", change_options->category, "Category name");
  change->add_option("--to", change_options->target, "Transfer target account");
  change->add_flag("--cleared", change_options->cleared, "Mark the item cleared");
  commands.push_back({change, [change_options](CliContext& context) {
                        DialogAnswers answers(*context.ui, FillTransaction(*change_options, *context.ui));
                        WithOpenClub(
                            context,
                            [&](Books& books) {
                              RequireDone(books, [&] { return books.Accounts().ChangeTransaction(Cp(change_options->account),
                                                                                *change_options->id); });
                            },
                            &answers);
                      }});

  auto delete_account = std::make_shared<std::string>();
  auto delete_id = std::make_shared<std::int32_t>(0);
  auto force = std::make_shared<bool>(false);
  auto* remove = txn->add_subcommand("delete", "Delete a transaction");
  remove->add_option("ACCOUNT", *delete_account, "Account name")->required();
  remove->add_option("ID", *delete_id, "Transaction id (see register)")->required()->check(RecordId());
  remove->add_flag("--force", *force, "Force Deletes: allow deleting postings of other ledgers");
  commands.push_back({remove, [delete_account, delete_id, force](CliContext& context) {
                        WithOpenClub(context, [&](Books& books) {
                          RequireDone(books, [&] { return books.Accounts().DeleteTransaction(Cp(*delete_account), *delete_id, *force); });
                        });
                      }});

  auto reconcile_account = std::make_shared<std::string>();
  auto reconcile_ids = std::make_shared<std::vector<std::int32_t>>();
  auto* reconcile = app.add_subcommand("reconcile", "Clear the items not cleared (all, or those of --ids)");
  reconcile->add_option("ACCOUNT", *reconcile_account, "Account name")->required();
  reconcile->add_option("--ids", *reconcile_ids, "Transaction ids to clear");
  commands.push_back({reconcile, [reconcile_account, reconcile_ids](CliContext& context) {
                        DialogAnswers answers(*context.ui, [reconcile_ids](EntryDialog& dialog) {
                          const std::int32_t id = dialog.Request().account_tran.tranid;
                          bool picked = reconcile_ids->empty() ||
                                        std::find(reconcile_ids->begin(), reconcile_ids->end(), id) != reconcile_ids->end();
                          dialog.Form().cleared.checked = picked;
                        });
                        WithOpenClub(
                            context, [&](Books& books) { RequireDone(books, [&] { return books.Accounts().Reconcile(Cp(*reconcile_account)); }); },
                            &answers);
                      }});

  auto register_name = std::make_shared<std::string>();
  auto register_year = std::make_shared<std::optional<std::int32_t>>();
  auto register_all = std::make_shared<bool>(false);
  auto* register_command = app.add_subcommand("register", "The register of an account");
  register_command->add_option("ACCOUNT", *register_name, "Account name")->required();
  auto* year_option = register_command->add_option("--year", *register_year, "Year shown (default this year)");
  register_command->add_flag("--all", *register_all, "Every transaction")->excludes(year_option);
  commands.push_back({register_command, [register_name, register_year, register_all](CliContext& context) {
                        PrintRegister(context, *register_name, *register_year, *register_all);
                      }});
}

struct CategoryOptions {
  std::string name;
  std::optional<std::int32_t> id;
  bool income = false, expense = false, taxable = false, not_taxable = false;
};

void AddCategoryCommands(CLI::App& app, CommandList& commands) {
  auto* category = app.add_subcommand("category", "Add or change income and expense categories");
  category->require_subcommand(1);

  auto add = std::make_shared<CategoryOptions>();
  auto* add_command = category->add_subcommand("add", "Add a category");
  add_command->add_option("NAME", add->name, "Category description")->required();
  auto* income = add_command->add_flag("--income", add->income, "A deposit (income) category");
  add_command->add_flag("--expense", add->expense, "A withdrawal (expense) category")->excludes(income);
  add_command->add_flag("--taxable", add->taxable, "Reported on the tax report");
  commands.push_back({add_command, [add](CliContext& context) {
                        WithOpenClub(context, [&](Books& books) {
                          const CategoryFields fields{Cp(add->name),
                                                      add->income    ? ledger::CategoryType::Deposit
                                                      : add->expense ? ledger::CategoryType::Withdrawal
                                                                     : ledger::CategoryType::None,
                                                      add->taxable};
                          RequireDone(books, [&] {
                            return CommitCategory(books.Club(), books.Categories(), std::nullopt, fields);
                          });
                        });
                      }});

  auto change = std::make_shared<CategoryOptions>();
  auto* change_command = category->add_subcommand("change", "Change a category");
  change_command->add_option("ID", change->id, "Category id (see categories)")->required()->check(RecordId());
  change_command->add_option("--name", change->name, "New description");
  auto* change_income = change_command->add_flag("--income", change->income, "Make it a deposit category");
  change_command->add_flag("--expense", change->expense, "Make it a withdrawal category")->excludes(change_income);
  auto* taxable = change_command->add_flag("--taxable", change->taxable, "Reported on the tax report");
  change_command->add_flag("--not-taxable", change->not_taxable, "Not reported")->excludes(taxable);
  commands.push_back({change_command, [change](CliContext& context) {
                        WithOpenClub(context, [&](Books& books) {
                          ClubSession& club = books.Club();
                          CategoryLedger& categories = books.Categories();
                          RequireDone(books, [&] { return categories.MayChange(*change->id); });
                          auto old = categories.FindById(*change->id);
                          if (!old) {
                            club.Ui().ShowError("Category " + std::to_string(*change->id) + " not found.");
                            throw CommandRefused("no category");
                          }
                          CategoryFields fields{old->cat, static_cast<ledger::CategoryType>(old->typ), old->tax};
                          if (!change->name.empty()) fields.cat = Cp(change->name);
                          if (change->income) fields.typ = ledger::CategoryType::Deposit;
                          if (change->expense) fields.typ = ledger::CategoryType::Withdrawal;
                          if (change->taxable) fields.tax = true;
                          if (change->not_taxable) fields.tax = false;
                          RequireDone(books, [&] { return CommitCategory(club, categories, *change->id, fields); });
                        });
                      }});

  auto* list = app.add_subcommand("categories", "List the categories");
  commands.push_back({list, [](CliContext& context) {
                        WithOpenClub(context, [&](Books& books) {
                          Listing listing("Categories", {{"Id", "id", Align::Right},
                                                         {"Category", "category"},
                                                         {"Type", "type"},
                                                         {"Taxable", "taxable"}});
                          for (const TCategoryRec& category : books.Categories().All()) {
                            listing.Add({CountCell(category.catid), TextCell(ToUtf8(category.cat)),
                                         TextCell(KindOf(category) == CategoryKind::Income ? "Income" : "Expense"),
                                         FlagCell(category.tax, "yes")});
                          }
                          listing.Print(*context.out, context.json);
                        });
                      }});
}

}  // namespace

void AddAccountCommands(CLI::App& app, CommandList& commands) {
  AddAccountMaintenance(app, commands);
  auto* accounts = app.add_subcommand("accounts", "List the cash accounts with their figures");
  commands.push_back({accounts, PrintAccounts});
  AddTransactionCommand(app, commands, "check", "Write a check", EntryMode::Check);
  AddTransactionCommand(app, commands, "deposit", "Enter a deposit", EntryMode::Deposit);
  AddTransactionCommand(app, commands, "withdraw", "Enter a withdrawal", EntryMode::Withdrawal);
  AddTransactionCommand(app, commands, "charge", "Enter a service charge", EntryMode::ServiceCharge);
  AddTransactionCommand(app, commands, "interest", "Enter earned interest", EntryMode::Interest);
  AddTransactionCommand(app, commands, "transfer", "Transfer between two accounts", EntryMode::Transfer);
  AddTransactionMaintenance(app, commands);
  AddCategoryCommands(app, commands);
}

}  // namespace pellmark::cli
