#include "cash/account_ledger.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>
#include <map>

#include "cash/categories.h"
#include "club/keys.h"
#include "club/money.h"
#include "club/number_format.h"
#include "club/number_parse.h"
#include "club/record_names.h"
#include "store/key_order.h"

namespace pellmark::ledger {
namespace {

constexpr double kTolerance = 0.005;
constexpr std::size_t kAccountNameWidth = 25;

std::string AccountPrefix(std::string_view name) { return "Account " + std::string(name); }

std::string AccountName(const TAccountRec& account) { return account.name; }

}  // namespace

AccountLedger::AccountLedger(ClubSession& club)
    : club_(club), records_(club, club.accounts, &TClubInfoRec::hidacts, AccountName) {}

EntryMode EntryModeOfKind(AccountTranKind kind) {
  switch (kind) {
    case AccountTranKind::Check: return EntryMode::Check;
    case AccountTranKind::Deposit: return EntryMode::Deposit;
    case AccountTranKind::Withdrawal: return EntryMode::Withdrawal;
    case AccountTranKind::BankCharge: return EntryMode::ServiceCharge;
    case AccountTranKind::Interest: return EntryMode::Interest;
    default: return EntryMode::Transfer;
  }
}

Outcome AccountLedger::Refuse(const std::string& message) { return pellmark::Refuse(club_.Ui(), message); }

Outcome AccountLedger::NoSuchAccount(std::string_view name) {
  return RefuseMissing(club_.Ui(), AccountPrefix(name) + " does not exist.");
}

Outcome AccountLedger::NoSuchTransaction(std::string_view name, std::int32_t tranid) {
  return RefuseMissing(club_.Ui(), AccountPrefix(name) + " has no transaction " + std::to_string(tranid) + ".");
}

std::optional<std::string> AccountLedger::KeyOf(std::string_view name) { return records_.KeyOf(name); }

std::optional<TAccountRec> AccountLedger::Find(std::string_view name) {
  auto account = records_.Select(name);
  if (!account) return std::nullopt;
  return account->record;
}

std::vector<TAccountRec> AccountLedger::List(bool active_only) { return records_.List(active_only); }

std::optional<TAccountRec> AccountLedger::FindById(std::int32_t actid) {
  for (const TAccountRec& account : List(false)) {
    if (account.actid == actid) return account;
  }
  return std::nullopt;
}

std::optional<AccountLedger::Selected> AccountLedger::SelectById(std::int32_t actid) {
  auto account = FindById(actid);
  if (!account) return std::nullopt;
  return Selected{NameKey(!account->active, account->name), *account};
}

std::optional<std::int32_t> AccountLedger::ReserveTransactionId(std::int32_t actid) {
  auto account = SelectById(actid);
  if (!account) return std::nullopt;
  const std::int32_t reserved = AllocateTranId(account->record.trancount);
  records_.Save(*account);
  return reserved;
}

std::vector<TAccountTranRec> AccountLedger::Transactions(std::int32_t actid) {
  return club_.actrecs.Select(OwnerFilter(actid));
}

std::optional<TAccountTranRec> AccountLedger::FindTransaction(std::int32_t actid, std::int32_t tranid) {
  for (const TAccountTranRec& tran : Transactions(actid)) {
    if (tran.tranid == tranid) return tran;
  }
  return std::nullopt;
}

std::optional<std::string> AccountNameRefusal(std::string_view name) {
  switch (NameFaultOf(name, kAccountNameWidth)) {
    case NameFault::kMissing: return "No Account to add.";
    case NameFault::kTooLong: return TooLongMessage(name, kAccountNameWidth);
    default: return std::nullopt;
  }
}

Outcome AccountLedger::CommitAccount(const std::optional<std::string>& existing, const AccountEntry& entry) {
  if (auto refusal = AccountNameRefusal(entry.name)) return Refuse(*refusal);
  const std::string& name = entry.name;
  const double initial = RoundCents(entry.initial);

  if (!existing) {
    if (KeyOf(name)) return Refuse("Account " + name + " already exists.");
    TAccountRec account;
    account.name = name;
    account.number = entry.number.substr(0, 24);
    account.SetExcludedFromValuation(false);
    account.lstchk = -1;
    account.trancount = 0;
    account.ibal = account.bal = initial;
    account.lstdate = club_.Today();
    account.active = true;
    account.actid = NextRecordId(club_.accounts, &TAccountRec::actid);
    records_.Save({NameKey(false, name), account});
    if (club_.Info().defact == -1) {
      club_.Info().defact = account.actid;
      club_.Info().defstkact = account.actid;
      club_.WriteClubInfo();
    }
    club_.Ui().PlayConfirmationSound();
    club_.Ui().ShowInformation("Account " + name + " added.");
    return Outcome::Done();
  }

  auto selected = records_.Select(*existing);
  if (!selected) return NoSuchAccount(*existing);
  Selected& account = *selected;
  account.record.number = entry.number.substr(0, 24);
  if (name == account.record.name) {
    account.record.bal += initial - account.record.ibal;
    account.record.ibal = initial;
    records_.Save(account);
  } else {
    // A new spelling of the same name (only its letter case changed) finds the
    // account itself, which is no duplicate.
    auto found = KeyOf(name);
    if (found && store::CompareKeys(*found, account.key, false) != 0) {
      return Refuse("Account " + name + " already exists.");
    }
    records_.Remove(account);
    account.record.name = name;
    account.key = NameKey(!account.record.active, name);
    records_.Save(account);
  }
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation("Account " + name + " changed.");
  return Outcome::Done();
}

EntryDialogRequest AccountLedger::DialogRequest(const TAccountRec& account, EntryMode mode,
                                                const TAccountTranRec& tran, bool change) {
  EntryDialogRequest request;
  request.mode = mode;
  request.change = change;
  request.heading = account.name;
  request.account_tran = tran;
  request.current_account = account;
  request.accounts = List(true);
  request.categories = CategoryLedger(club_).All();
  return request;
}

Outcome AccountLedger::PostAccountTransaction(std::int32_t actid, PostMode mode, TAccountTranRec& tran,
                                              const TAccountTranRec* old, int flags, DialogOutcome* dialog) {
  auto selected = SelectById(actid);
  if (!selected) return Fail(club_.Ui(), "An error has occurred restoring Accounting... Aborting.");
  Selected& account = *selected;
  if (!account.record.active) records_.Rekey(account, false);

  if (mode == PostMode::New || mode == PostMode::Change || mode == PostMode::Reconcile) {
    EntryDialogRequest request =
        DialogRequest(account.record, EntryModeOfKind(KindOf(tran)), tran, mode != PostMode::New);
    request.from_reconciliation = mode == PostMode::Reconcile;
    request.show_abort = mode == PostMode::Reconcile;
    EntryDialogResult result = club_.Ui().RunEntryDialog(request);
    if (dialog != nullptr) *dialog = result.outcome;
    if (result.outcome != DialogOutcome::Ok) return Outcome::Cancelled();
    tran = result.account_tran;
    if (KindOf(tran) == AccountTranKind::TransferOut || KindOf(tran) == AccountTranKind::TransferIn) {
      selected = SelectById(actid);
      if (!selected) return Fail(club_.Ui(), "An error has occurred restoring Accounting... Aborting.");
    }
  }

  if (mode == PostMode::Reconcile) {
    // Reconciling moves the cleared mark and nothing else: the stored record
    // keeps its key, date and amount whatever the dialog read back.
    if (old == nullptr) return Outcome::Done();
    TAccountTranRec reconciled = *old;
    reconciled.cancel = tran.cancel;
    tran = reconciled;
    if (reconciled.cancel && !old->cancel) {
      double& outstanding = IsDebit(KindOf(*old)) ? account.record.ostdeb : account.record.ostcred;
      outstanding -= old->amount;
      if (outstanding < kTolerance) outstanding = 0;
    }
    club_.actrecs.PutAt(AccountTranKey(*old), reconciled);
    records_.Save(account);
    return Outcome::Done();
  }

  const std::int32_t year = club_.Info().year;
  if ((flags & kBackOut) && old != nullptr) ApplyAccountPosting(account.record, *old, -1, year);
  if (flags & kApply) {
    ApplyAccountPosting(account.record, tran, +1, year);
    MoveAccountDates(account.record, tran, club_.ClockRef().Now());
  }

  switch (mode) {
    case PostMode::New:
    case PostMode::NewOnAccount:
      tran.actid = account.record.actid;
      tran.tranid = AllocateTranId(account.record.trancount);
      if (KindOf(tran) == AccountTranKind::TransferOut) {
        records_.Save(account);
        return PostCounterpartOfNewTransfer(account, tran);
      }
      club_.actrecs.Put(tran);
      break;
    case PostMode::NewPrepared:
      club_.actrecs.Put(tran);
      break;
    case PostMode::Change:
    case PostMode::ChangeSilently: {
      tran.actid = account.record.actid;
      if (old != nullptr && old->trandate != tran.trandate) {
        club_.actrecs.Remove(AccountTranKey(*old));
      }
      club_.actrecs.Put(tran);
      if (KindOf(tran) == AccountTranKind::TransferOut && old != nullptr) {
        records_.Save(account);
        auto counterpart = club_.actrecs.Find(TranKey(old->xferact, old->checknum, old->trandate));
        auto target = FindById(tran.xferact);
        if (!counterpart || !SelectById(old->xferact) || !target) {
          return Fail(club_.Ui(), "Could not change account transaction.");
        }
        TAccountTranRec changed = *counterpart;
        changed.trandate = tran.trandate;
        changed.amount = tran.amount;
        changed.desc = tran.desc;
        if (tran.xferact == old->xferact) {
          return PostAccountTransaction(old->xferact, PostMode::ChangeSilently, changed, &*counterpart,
                                        kBackOutAndApply);
        }
        // A new target account: the Transfer In leaves the old target and is
        // written anew on the new one, under that account's next id.
        if (Outcome removed = RemoveTransaction(*counterpart); !removed) return removed;
        changed.cancel = false;
        tran.checknum = target->trancount;
        club_.actrecs.Put(tran);
        return PostAccountTransaction(target->actid, PostMode::NewOnAccount, changed, nullptr, kApply);
      }
      break;
    }
    case PostMode::Delete:
      if (KindOf(tran) == AccountTranKind::TransferOut) {
        records_.Save(account);
        auto counterpart = FindTransaction(tran.xferact, tran.checknum);
        if (!counterpart) return Fail(club_.Ui(), "Could not delete account transaction.");
        return RemoveTransaction(*counterpart);
      }
      break;
    case PostMode::Reapply:
      return Outcome::Done();
    case PostMode::Reconcile:
      break;
  }
  records_.Save(account);
  return Outcome::Done();
}

Outcome AccountLedger::PostCounterpartOfNewTransfer(Selected& source, TAccountTranRec& transfer_out) {
  TAccountTranRec transfer_in = transfer_out;
  transfer_in.typ = Code(AccountTranKind::TransferIn);
  transfer_in.catid = Code(PredefinedCategory::TransferIn);
  transfer_in.xferact = source.record.actid;
  transfer_in.checknum = transfer_out.tranid;
  auto target = FindById(transfer_out.xferact);
  if (!target) return Fail(club_.Ui(), "Could not create account transaction.");
  transfer_out.checknum = target->trancount;
  club_.actrecs.Put(transfer_out);
  return PostAccountTransaction(target->actid, PostMode::NewOnAccount, transfer_in, nullptr, kApply);
}

Outcome AccountLedger::EnterTransaction(std::string_view name, EntryMode kind, DayNumber date) {
  auto account = Find(name);
  if (!account) return NoSuchAccount(name);
  if (!account->active) return Refuse("Account is hidden.");
  if (kind == EntryMode::Transfer && static_cast<int>(List(false).size()) - club_.Info().hidacts < 2) {
    return Refuse("Need At Least two accounts to perform transfer.");
  }
  TAccountTranRec tran;
  tran.trandate = date;
  tran.actid = account->actid;
  tran.typ = Code(AccountKindOfMode(kind));
  tran.xferact = -1;
  tran.updateloc = Code(AccountOrigin::AccountsPage);
  if (Outcome posted = PostAccountTransaction(account->actid, PostMode::New, tran, nullptr, kApply); !posted) {
    return posted;
  }
  club_.Ui().PlayConfirmationSound();
  return Outcome::Done().AuditFrom(AskForAudit(club_, "Account", "entered", tran.trandate));
}

Outcome AccountLedger::ChangeTransaction(std::string_view name, std::int32_t tranid) {
  auto account = Find(name);
  if (!account) return NoSuchAccount(name);
  if (!account->active) return Refuse("Account is hidden.");
  auto old = FindTransaction(account->actid, tranid);
  if (!old) return NoSuchTransaction(name, tranid);
  if (auto refused = RefuseOtherOrigin(*old)) return *refused;
  TAccountTranRec tran = *old;
  if (Outcome posted = PostAccountTransaction(account->actid, PostMode::Change, tran, &*old, kBackOutAndApply);
      !posted) {
    return posted;
  }
  club_.Ui().PlayConfirmationSound();
  return Outcome::Done().AuditFrom(AskForAudit(club_, "Account", "changed", tran.trandate));
}

Outcome AccountLedger::DeleteTransaction(std::string_view name, std::int32_t tranid, bool force_deletes) {
  auto account = Find(name);
  if (!account) return NoSuchAccount(name);
  if (!account->active) return Refuse("Account is hidden.");
  auto tran = FindTransaction(account->actid, tranid);
  if (!tran) return NoSuchTransaction(name, tranid);
  if (!force_deletes) {
    if (auto refused = RefuseOtherOrigin(*tran)) return *refused;
    if (KindOf(*tran) == AccountTranKind::TransferIn) return Refuse("Only Transfer Out transactions can be deleted.");
  }
  if (!club_.Ui().Confirm("Selected Record will be removed permanently. Continue?")) return Outcome::Cancelled();
  // A forced delete of a Transfer In takes the whole transfer: alone, the money
  // would leave the source account and arrive nowhere.
  std::optional<TAccountTranRec> transfer_out;
  if (KindOf(*tran) == AccountTranKind::TransferIn) {
    transfer_out = club_.actrecs.Find(TranKey(tran->xferact, tran->checknum, tran->trandate));
  }
  if (Outcome removed = RemoveTransaction(transfer_out.value_or(*tran)); !removed) return removed;
  club_.Ui().PlayConfirmationSound();
  return Outcome::Done().AuditFrom(AskForAudit(club_, "Account", "deleted", tran->trandate));
}

// A posting made by another ledger is changed and deleted there, so that its
// owner's records follow. The refusal is a notice rather than an error.
std::optional<Outcome> AccountLedger::RefuseOtherOrigin(const TAccountTranRec& tran) {
  const char* text = nullptr;
  if (OriginOf(tran) == AccountOrigin::Security) text = "Need to perform a security change";
  if (OriginOf(tran) == AccountOrigin::Member) text = "Need to perform a member dues change";
  if (text == nullptr) return std::nullopt;
  club_.Ui().ShowInformation(text);
  return Outcome::Refusal(text);
}

Outcome AccountLedger::RemoveTransaction(const TAccountTranRec& tran) {
  club_.actrecs.Remove(AccountTranKey(tran));
  TAccountTranRec removed = tran;
  return PostAccountTransaction(tran.actid, PostMode::Delete, removed, &tran, kBackOut);
}

Outcome AccountLedger::Reconcile(std::string_view name) {
  auto account = Find(name);
  if (!account) return NoSuchAccount(name);
  if (IsZeroMoney(account->ostdeb) && IsZeroMoney(account->ostcred)) return Outcome::Done();
  bool changed = false;
  bool aborted = false;
  for (const TAccountTranRec& item : Transactions(account->actid)) {
    if (item.cancel) continue;
    TAccountTranRec tran = item;
    DialogOutcome dialog = DialogOutcome::Ok;
    const Outcome posted = PostAccountTransaction(account->actid, PostMode::Reconcile, tran, &item, kApply, &dialog);
    if (posted.RollsBack()) return posted;
    if (dialog == DialogOutcome::Aborted) {
      aborted = true;
      break;
    }
    if (posted) changed = true;
  }
  if (changed && !aborted) {
    club_.Ui().PlayConfirmationSound();
    club_.Ui().ShowInformation(account->name + " has been reconciled.");
  }
  return changed ? Outcome::Done() : Outcome::Cancelled();
}

void AccountLedger::ResetFigures(Selected& account) {
  TAccountRec& record = account.record;
  const std::vector<TAccountTranRec> transactions = Transactions(record.actid);
  record = AccountFiguresFrom(record, transactions, club_.Info().year);
  record.lstchk = -1;
  const double now = club_.ClockRef().Now();
  bool reached_future = false;
  for (const TAccountTranRec& tran : transactions) {
    if (KindOf(tran) == AccountTranKind::Check) record.lstchk = tran.checknum;
    if (!reached_future) record.lstdate = tran.trandate;
    if (tran.trandate > now) reached_future = true;
  }
  records_.Save(account);
}

Outcome AccountLedger::ResetAccount(std::string_view name, bool announce) {
  auto selected = records_.Select(name);
  if (!selected) return NoSuchAccount(name);
  Selected& account = *selected;
  if (!account.record.active && !club_.AuditMode()) return Refuse(AccountPrefix(name) + " is hidden.");
  ResetFigures(account);
  if (announce && !club_.AuditMode()) {
    club_.Ui().PlayConfirmationSound();
    club_.Ui().ShowInformation(AccountPrefix(name) + " has been reset.");
  }
  return Outcome::Done();
}

void AccountLedger::ResetAllAccounts() {
  for (const TAccountRec& account : List(false)) {
    if (!account.active) break;
    Selected selected{NameKey(false, account.name), account};
    ResetFigures(selected);
  }
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation("All active accounts have been reset.");
}

Outcome AccountLedger::Hide(std::string_view name) {
  auto selected = records_.Select(name);
  if (!selected) return NoSuchAccount(name);
  Selected& account = *selected;
  const std::string prefix = AccountPrefix(name);
  if (!account.record.active) return Refuse(prefix + " is" + " hidden.");
  if (List(true).size() < 2) return Refuse("At least one active account required. Cannot hide.");
  if (!IsZeroMoney(account.record.bal)) return Refuse("Account does not have a zero balance.");
  if (account.record.actid == club_.Info().defact) {
    return Refuse("Account is default member account. Select new default member account.");
  }
  if (account.record.actid == club_.Info().defstkact) {
    return Refuse("Account is default security account. Select new default security account.");
  }
  records_.Rekey(account, true);
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation(prefix + " is" + " hidden.");
  return Outcome::Done();
}

Outcome AccountLedger::Unhide(std::string_view name) {
  auto selected = records_.Select(name);
  if (!selected) return NoSuchAccount(name);
  Selected& account = *selected;
  const std::string prefix = AccountPrefix(name);
  if (account.record.active) return Refuse(prefix + " is not" + " hidden.");
  records_.Rekey(account, false);
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation(prefix + " is not" + " hidden.");
  return Outcome::Done();
}

Outcome AccountLedger::Delete(std::string_view name) {
  auto selected = records_.Select(name);
  if (!selected) return NoSuchAccount(name);
  const TAccountRec& account = selected->record;
  const std::string prefix = AccountPrefix(name);
  // The last active account stays, so that the default roles have a home.
  if (List(false).size() < 2 || (account.active && List(true).size() < 2)) {
    return Refuse("At least on active account required. Cannot Delete.");
  }
  if (!SameMoney(account.bal, account.ibal)) return Refuse(prefix + " has a balance. Cannot Delete.");
  if (!club_.Ui().Confirm(prefix + " will be removed permanently. Continue?")) return Outcome::Cancelled();

  club_.actrecs.RemoveAll(OwnerFilter(account.actid));
  records_.Remove(*selected);

  // The active account with the most transactions (the first in key order among
  // equals) takes over a default role the deleted account held: a hidden one
  // takes no postings.
  std::int32_t busiest = -1;
  std::size_t most = 0;
  for (const TAccountRec& other : List(true)) {
    std::size_t count = Transactions(other.actid).size();
    if (busiest == -1 || count > most) {
      busiest = other.actid;
      most = count;
    }
  }
  if (club_.Info().defact == account.actid) club_.Info().defact = busiest;
  if (club_.Info().defstkact == account.actid) club_.Info().defstkact = busiest;
  if (!account.active) club_.Info().hidacts -= 1;
  club_.WriteClubInfo();
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation(prefix + " deleted.");
  return Outcome::Done();
}

Outcome AccountLedger::SetDefaultMember(std::string_view name, bool checked) {
  return SetDefaultRole(name, checked, &TClubInfoRec::defact, "Account Already set as default member account.");
}

Outcome AccountLedger::SetDefaultSecurity(std::string_view name, bool checked) {
  return SetDefaultRole(name, checked, &TClubInfoRec::defstkact, "Account Already set as default security account.");
}

// Unticking the role's box of the account that holds the role is refused: the
// club always has a default account for it.
Outcome AccountLedger::SetDefaultRole(std::string_view name, bool checked, std::int32_t TClubInfoRec::*role,
                                      const char* still_needed) {
  auto account = Find(name);
  if (!account) return NoSuchAccount(name);
  if (!checked) {
    if (account->actid == club_.Info().*role) return Refuse(still_needed);
    return Outcome::Done();
  }
  club_.Info().*role = account->actid;
  club_.WriteClubInfo();
  return Outcome::Done();
}

Outcome AccountLedger::SetExcludedFromValuation(std::string_view name, bool excluded) {
  auto account = records_.Select(name);
  if (!account) return NoSuchAccount(name);
  account->record.SetExcludedFromValuation(excluded);
  records_.Save(*account);
  return Outcome::Done();
}

std::vector<RegisterRow> AccountLedger::Register(std::string_view name, std::optional<std::int32_t> year) {
  std::vector<RegisterRow> rows;
  auto account = Find(name);
  if (!account) return rows;
  for (const TAccountTranRec& tran : Transactions(account->actid)) {
    if (year && CivilFromDayNumber(tran.trandate).year != *year) continue;
    RegisterRow row;
    row.date = tran.trandate;
    row.cleared = tran.cancel;
    row.kind = KindOf(tran);
    if (row.kind == AccountTranKind::Check) row.check_number = tran.checknum;
    row.amount = tran.amount;
    row.record = tran;
    rows.push_back(std::move(row));
  }
  return rows;
}

double AccountLedger::CategoryTotal(std::string_view name, std::int32_t catid, std::optional<std::int32_t> year) {
  double total = 0;
  for (const RegisterRow& row : Register(name, year)) {
    if (row.record.catid == catid) total += row.record.amount;
  }
  return total;
}

}  // namespace pellmark::ledger
