// Cash accounts and their registers: the Accounts page without its window.
// Every account transaction is entered, changed, deleted, reconciled or
// re-applied through PostAccountTransaction; refusals and notices go through the
// club's interaction port, and each command returns its outcome (an account or
// transaction that does not exist is refused with a message naming it).
//
//   AccountLedger accounts(club);
//   accounts.CommitAccount(std::nullopt, {"Broker", "12-345", 0.00});
//   accounts.EnterTransaction("Cash", EntryMode::Deposit, today);   // runs the entry dialog
//   accounts.ResetAccount("Cash", /*announce=*/true);
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cash/account_posting.h"
#include "club/club_session.h"
#include "club/entry_dialog_request.h"
#include "club/master_records.h"
#include "club/outcome.h"
#include "club/record_kinds.h"
#include "club/records.h"

namespace pellmark::ledger {

// An account as entered: its name (blank when none was given), number and
// initial balance. The form reading the page's texts makes it.
struct AccountEntry {
  std::string name;
  std::string number;
  double initial = 0;
};

// The message refusing an account name ("No Account to add." for a blank one,
// the too-long message for one beyond the record's width); nullopt for a good one.
std::optional<std::string> AccountNameRefusal(std::string_view name);

enum class PostMode {
  New = 1,             // dialog
  Change = 2,          // dialog
  Delete = 3,          // the caller has deleted the record
  Reapply = 4,         // account reset
  NewOnAccount = 5,    // no dialog; tranid from the account's counter
  ChangeSilently = 6,  // no dialog
  Reconcile = 8,       // dialog
  NewPrepared = 9,     // no dialog; actid and tranid already set
};

enum PostingFlags { kApply = 1, kBackOut = 2, kBackOutAndApply = 3 };

// One row of the register grid: the stored transaction and the figures it shows.
struct RegisterRow {
  DayNumber date = 0;
  bool cleared = false;
  AccountTranKind kind = AccountTranKind::Check;
  std::optional<std::int32_t> check_number;  // a check's number; none for other kinds
  double amount = 0;                         // as stored, without sign
  TAccountTranRec record;
};

class AccountLedger {
 public:
  explicit AccountLedger(ClubSession& club);

  // The stored key of the account of this name, active ("_") or hidden ("~").
  std::optional<std::string> KeyOf(std::string_view name);
  // The account of this name; nullopt when there is none.
  std::optional<TAccountRec> Find(std::string_view name);
  std::optional<TAccountRec> FindById(std::int32_t actid);
  // All accounts in key order (active first), or only the active ones.
  std::vector<TAccountRec> List(bool active_only);

  // "Commit Changes/Additions": a new account when `existing` is empty, else the
  // change of the account of that name.
  Outcome CommitAccount(const std::optional<std::string>& existing, const AccountEntry& entry);

  // The one posting routine. `account` is the selected account's id. Done when
  // posted; cancelled when the dialog was closed without OK (`dialog`, when
  // given, tells Cancel from Abort); a failure (Outcome::Failure, shown) when
  // the account or the other side of a transfer is missing, and then the
  // operation is to be dropped whole.
  [[nodiscard]] Outcome PostAccountTransaction(std::int32_t account, PostMode mode, TAccountTranRec& tran,
                                               const TAccountTranRec* old, int flags,
                                               DialogOutcome* dialog = nullptr);

  // The transaction commands of the page. `kind` is one of the account entry
  // modes (Check .. Transfer); `date` is the account calendar's date. A change
  // dated before the newest valuation may ask for an audit in the outcome.
  Outcome EnterTransaction(std::string_view account, EntryMode kind, DayNumber date);
  Outcome ChangeTransaction(std::string_view account, std::int32_t tranid);
  Outcome DeleteTransaction(std::string_view account, std::int32_t tranid, bool force_deletes);
  // Done when an item was cleared or nothing was outstanding; cancelled when the
  // dialogs cleared nothing.
  Outcome Reconcile(std::string_view account);
  // Deletes a stored transaction and backs its posting out (a Transfer Out takes
  // its counterpart with it); no question asked.
  [[nodiscard]] Outcome RemoveTransaction(const TAccountTranRec& tran);

  // "Reset Selected Account"; `announce` as from the Special page (refresh,
  // sound, "... has been reset.").
  Outcome ResetAccount(std::string_view account, bool announce);
  void ResetAllAccounts();
  Outcome Hide(std::string_view account);
  Outcome Unhide(std::string_view account);
  Outcome Delete(std::string_view account);

  // The role boxes of the page.
  Outcome SetDefaultMember(std::string_view account, bool checked);
  Outcome SetDefaultSecurity(std::string_view account, bool checked);
  Outcome SetExcludedFromValuation(std::string_view account, bool excluded);

  // The register grid: the year's transactions, or all when `year` is empty.
  std::vector<RegisterRow> Register(std::string_view account, std::optional<std::int32_t> year);
  // The sum of the register entries of one category.
  double CategoryTotal(std::string_view account, std::int32_t catid, std::optional<std::int32_t> year);

  // Takes the account's next transaction id for a posting made later (the
  // deposit of a dues collection) and saves the account; nullopt without one.
  std::optional<std::int32_t> ReserveTransactionId(std::int32_t actid);

  // The account's transactions in key order.
  std::vector<TAccountTranRec> Transactions(std::int32_t actid);
  std::optional<TAccountTranRec> FindTransaction(std::int32_t actid, std::int32_t tranid);

 private:
  using Selected = Keyed<TAccountRec>;
  std::optional<Selected> SelectById(std::int32_t actid);
  EntryDialogRequest DialogRequest(const TAccountRec& account, EntryMode mode, const TAccountTranRec& tran,
                                   bool change);
  [[nodiscard]] Outcome PostCounterpartOfNewTransfer(Selected& source, TAccountTranRec& transfer_out);
  Outcome Refuse(const std::string& message);
  std::optional<Outcome> RefuseOtherOrigin(const TAccountTranRec& tran);
  Outcome SetDefaultRole(std::string_view name, bool checked, std::int32_t TClubInfoRec::*role,
                         const char* still_needed);
  Outcome NoSuchAccount(std::string_view name);
  Outcome NoSuchTransaction(std::string_view name, std::int32_t tranid);
  void ResetFigures(Selected& account);

  ClubSession& club_;
  MasterRecords<TAccountRec> records_;
};

// The account entry mode of a stored transaction kind.
EntryMode EntryModeOfKind(AccountTranKind kind);

}  // namespace pellmark::ledger
