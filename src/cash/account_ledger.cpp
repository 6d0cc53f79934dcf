#include "cash/account_ledger.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>
#include <map>

#include "club/keys.h"
#include "club/number_format.h"
#include "club/number_parse.h"
#include "club/store_operations.h"
#include "cash/categories.h"

namespace pellmark::ledger {
namespace {

constexpr double kTolerance = 0.005;

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

bool AccountLedger::Refused(const std::string& message) {
  club_.Ui().ShowError(message);
  return false;
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
  std::vector<TAccountTranRec> transactions;
  ForEachItemWithFilter(club_.actrecs, OwnerFilter(actid), [&](const std::string&, const std::string& data) {
    transactions.push_back(DecodeRecord<TAccountTranRec>(data));
  });
  return transactions;
}

std::optional<TAccountTranRec> AccountLedger::FindTransaction(std::int32_t actid, std::int32_t tranid) {
  for (const TAccountTranRec& tran : Transactions(actid)) {
    if (tran.tranid == tranid) return tran;
  }
  return std::nullopt;
}

bool AccountLedger::CommitAccount(const std::optional<std::string>& existing, const AccountFields& fields) {
  if (fields.name == kAccountPrompt) return Refused("No Account to add.");
  auto initial = ParseNumber(fields.initial);
  if (!initial) return Refused("Initial Balance " + fields.initial + " is invalid.");
  const std::string name = fields.name.substr(0, 25);

  if (!existing) {
    if (KeyOf(name)) return Refused("Account " + name + " already exists.");
    TAccountRec account;
    account.name = name;
    account.number = fields.number.substr(0, 24);
    account.SetExcludedFromValuation(false);
    account.lstchk = -1;
    account.trancount = 0;
    account.ibal = account.bal = *initial;
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
    return true;
  }

  auto selected = records_.Select(*existing);
  if (!selected) return Refused("Account " + *existing + " does not exist.");
  Selected& account = *selected;
  account.record.number = fields.number.substr(0, 24);
  if (name == account.record.name) {
    account.record.bal += *initial - account.record.ibal;
    account.record.ibal = *initial;
    records_.Save(account);
  } else {
    if (KeyOf(name)) return Refused("Account " + name + " already exists.");
    RemoveItem(club_.accounts, account.key);
    account.record.name = name;
    account.key = NameKey(!account.record.active, name);
    records_.Save(account);
  }
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation("Account " + name + " changed.");
  return true;
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

DialogOutcome AccountLedger::PostAccountTransaction(std::int32_t actid, PostMode mode, TAccountTranRec& tran,
                                                    const TAccountTranRec* old, int flags) {
  auto selected = SelectById(actid);
  if (!selected) {
    club_.Ui().ShowError("An error has occurred restoring Accounting... Aborting.");
    return DialogOutcome::Aborted;
  }
  Selected& account = *selected;
  if (!account.record.active) records_.Rekey(account, false);

  if (mode == PostMode::New || mode == PostMode::Change || mode == PostMode::Reconcile) {
    EntryDialogRequest request =
        DialogRequest(account.record, EntryModeOfKind(KindOf(tran)), tran, mode != PostMode::New);
    request.from_reconciliation = mode == PostMode::Reconcile;
    request.show_abort = mode == PostMode::Reconcile;
    EntryDialogResult result = club_.Ui().RunEntryDialog(request);
    if (result.outcome != DialogOutcome::Ok) return result.outcome;
    tran = result.account_tran;
    if (KindOf(tran) == AccountTranKind::TransferOut || KindOf(tran) == AccountTranKind::TransferIn) {
      selected = SelectById(actid);
      if (!selected) {
        club_.Ui().ShowError("An error has occurred restoring Accounting... Aborting.");
        return DialogOutcome::Aborted;
      }
    }
  }

  if (mode == PostMode::Reconcile) {
    if (tran.cancel && old != nullptr && !old->cancel) {
      double& outstanding = IsDebit(KindOf(tran)) ? account.record.ostdeb : account.record.ostcred;
      outstanding -= tran.amount;
      if (outstanding < kTolerance) outstanding = 0;
    }
    club_.actrecs.SetFilter("");
    StoreTransaction(tran, account.record.actid, tran.tranid, club_.actrecs, tran.trandate);
    records_.Save(account);
    return DialogOutcome::Ok;
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
        PostCounterpartOfNewTransfer(account, tran);
        return DialogOutcome::Ok;
      }
      StoreTransaction(tran, tran.actid, tran.tranid, club_.actrecs, tran.trandate);
      break;
    case PostMode::NewPrepared:
      StoreTransaction(tran, tran.actid, tran.tranid, club_.actrecs, tran.trandate);
      break;
    case PostMode::Change:
    case PostMode::ChangeSilently: {
      tran.actid = account.record.actid;
      if (old != nullptr && old->trandate != tran.trandate) {
        RemoveItem(club_.actrecs, TranKey(old->actid, old->tranid, old->trandate));
      }
      StoreTransaction(tran, tran.actid, tran.tranid, club_.actrecs, tran.trandate);
      if (KindOf(tran) == AccountTranKind::TransferOut && old != nullptr) {
        records_.Save(account);
        auto counterpart = FindTransaction(old->xferact, old->checknum);
        if (!counterpart || !SelectById(old->xferact)) {
          club_.Ui().ShowError("Could not change account transaction.");
          return DialogOutcome::Ok;
        }
        TAccountTranRec changed = *counterpart;
        changed.trandate = tran.trandate;
        changed.amount = tran.amount;
        changed.desc = tran.desc;
        PostAccountTransaction(old->xferact, PostMode::ChangeSilently, changed, &*counterpart, kBackOutAndApply);
        return DialogOutcome::Ok;
      }
      break;
    }
    case PostMode::Delete:
      if (KindOf(tran) == AccountTranKind::TransferOut) {
        records_.Save(account);
        auto counterpart = FindTransaction(tran.xferact, tran.checknum);
        if (!counterpart) {
          club_.Ui().ShowError("Could not delete account transaction.");
          return DialogOutcome::Ok;
        }
        RemoveTransaction(*counterpart);
        return DialogOutcome::Ok;
      }
      break;
    case PostMode::Reapply:
      return DialogOutcome::Ok;
    case PostMode::Reconcile:
      break;
  }
  records_.Save(account);
  return DialogOutcome::Ok;
}

void AccountLedger::PostCounterpartOfNewTransfer(Selected& source, TAccountTranRec& transfer_out) {
  TAccountTranRec transfer_in = transfer_out;
  transfer_in.typ = Code(AccountTranKind::TransferIn);
  transfer_in.catid = Code(PredefinedCategory::TransferIn);
  transfer_in.xferact = source.record.actid;
  transfer_in.checknum = transfer_out.tranid;
  auto target = FindById(transfer_out.xferact);
  if (!target) {
    club_.Ui().ShowError("Could not create account transaction.");
    return;
  }
  transfer_out.checknum = target->trancount;
  StoreTransaction(transfer_out, transfer_out.actid, transfer_out.tranid, club_.actrecs, transfer_out.trandate);
  PostAccountTransaction(target->actid, PostMode::NewOnAccount, transfer_in, nullptr, kApply);
}

bool AccountLedger::EnterTransaction(std::string_view name, EntryMode kind, DayNumber date) {
  auto account = Find(name);
  if (!account) return false;
  if (!account->active) return Refused("Account is hidden.");
  if (kind == EntryMode::Transfer && static_cast<int>(List(false).size()) - club_.Info().hidacts < 2) {
    return Refused("Need At Least two accounts to perform transfer.");
  }
  TAccountTranRec tran;
  tran.trandate = date;
  tran.actid = account->actid;
  tran.typ = Code(AccountKindOfMode(kind));
  tran.xferact = -1;
  tran.updateloc = Code(AccountOrigin::AccountsPage);
  if (PostAccountTransaction(account->actid, PostMode::New, tran, nullptr, kApply) != DialogOutcome::Ok) return false;
  club_.Ui().PlayConfirmationSound();
  AskForAudit(club_, "Account", "entered", tran.trandate);
  return true;
}

bool AccountLedger::ChangeTransaction(std::string_view name, std::int32_t tranid) {
  auto account = Find(name);
  if (!account) return false;
  if (!account->active) return Refused("Account is hidden.");
  auto old = FindTransaction(account->actid, tranid);
  if (!old) return false;
  TAccountTranRec tran = *old;
  if (PostAccountTransaction(account->actid, PostMode::Change, tran, &*old, kBackOutAndApply) != DialogOutcome::Ok) {
    return false;
  }
  club_.Ui().PlayConfirmationSound();
  AskForAudit(club_, "Account", "changed", tran.trandate);
  return true;
}

bool AccountLedger::DeleteTransaction(std::string_view name, std::int32_t tranid, bool force_deletes) {
  auto account = Find(name);
  if (!account) return false;
  if (!account->active) return Refused("Account is hidden.");
  auto tran = FindTransaction(account->actid, tranid);
  if (!tran) return false;
  if (!force_deletes) {
    if (OriginOf(*tran) == AccountOrigin::Security) {
      club_.Ui().ShowInformation("Need to perform a security change");
      return false;
    }
    if (OriginOf(*tran) == AccountOrigin::Member) {
      club_.Ui().ShowInformation("Need to perform a member dues change");
      return false;
    }
    if (KindOf(*tran) == AccountTranKind::TransferIn) return Refused("Only Transfer Out transactions can be deleted.");
  }
  if (!club_.Ui().Confirm("Selected Record will be removed permanently. Continue?")) return false;
  RemoveTransaction(*tran);
  club_.Ui().PlayConfirmationSound();
  AskForAudit(club_, "Account", "deleted", tran->trandate);
  return true;
}

void AccountLedger::RemoveTransaction(const TAccountTranRec& tran) {
  RemoveItem(club_.actrecs, TranKey(tran.actid, tran.tranid, tran.trandate));
  TAccountTranRec removed = tran;
  PostAccountTransaction(tran.actid, PostMode::Delete, removed, &tran, kBackOut);
}

bool AccountLedger::Reconcile(std::string_view name) {
  auto account = Find(name);
  if (!account || (account->ostdeb == 0 && account->ostcred == 0)) return false;
  bool changed = false;
  bool aborted = false;
  for (const TAccountTranRec& item : Transactions(account->actid)) {
    if (item.cancel) continue;
    TAccountTranRec tran = item;
    DialogOutcome outcome = PostAccountTransaction(account->actid, PostMode::Reconcile, tran, &item, kApply);
    if (outcome == DialogOutcome::Aborted) {
      aborted = true;
      break;
    }
    if (outcome == DialogOutcome::Ok) changed = true;
  }
  if (changed && !aborted) {
    club_.Ui().PlayConfirmationSound();
    club_.Ui().ShowInformation(account->name + " has been reconciled.");
  }
  return changed;
}

void AccountLedger::ResetFigures(Selected& account) {
  TAccountRec& record = account.record;
  record.bal = record.ibal;
  record.ostcred = record.ostdeb = record.interest = record.interesty = 0;
  record.lstchk = -1;
  const double now = club_.ClockRef().Now();
  bool reached_future = false;
  for (const TAccountTranRec& tran : Transactions(record.actid)) {
    ApplyAccountPosting(record, tran, +1, club_.Info().year);
    if (KindOf(tran) == AccountTranKind::Check) record.lstchk = tran.checknum;
    if (!reached_future) record.lstdate = tran.trandate;
    if (tran.trandate > now) reached_future = true;
  }
  records_.Save(account);
}

bool AccountLedger::ResetAccount(std::string_view name, bool announce) {
  auto selected = records_.Select(name);
  if (!selected) return false;
  Selected& account = *selected;
  if (!account.record.active && !club_.AuditMode()) return Refused(AccountPrefix(name) + " is hidden.");
  ResetFigures(account);
  if (announce && !club_.AuditMode()) {
    club_.Ui().PlayConfirmationSound();
    club_.Ui().ShowInformation(AccountPrefix(name) + " has been reset.");
  }
  return true;
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

bool AccountLedger::Hide(std::string_view name) {
  auto selected = records_.Select(name);
  if (!selected) return false;
  Selected& account = *selected;
  const std::string prefix = AccountPrefix(name);
  if (!account.record.active) return Refused(prefix + " is" + " hidden.");
  if (List(true).size() < 2) return Refused("At least one active account required. Cannot hide.");
  if (account.record.bal != 0) return Refused("Account does not have a zero balance.");
  if (account.record.actid == club_.Info().defact) {
    return Refused("Account is default member account. Select new default member account.");
  }
  if (account.record.actid == club_.Info().defstkact) {
    return Refused("Account is default security account. Select new default security account.");
  }
  records_.Rekey(account, true);
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation(prefix + " is" + " hidden.");
  return true;
}

bool AccountLedger::Unhide(std::string_view name) {
  auto selected = records_.Select(name);
  if (!selected) return false;
  Selected& account = *selected;
  const std::string prefix = AccountPrefix(name);
  if (account.record.active) return Refused(prefix + " is not" + " hidden.");
  records_.Rekey(account, false);
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation(prefix + " is not" + " hidden.");
  return true;
}

bool AccountLedger::Delete(std::string_view name) {
  auto selected = records_.Select(name);
  if (!selected) return false;
  const TAccountRec& account = selected->record;
  const std::string prefix = AccountPrefix(name);
  if (List(false).size() < 2) return Refused("At least on active account required. Cannot Delete.");
  if (account.bal != account.ibal) return Refused(prefix + " has a balance. Cannot Delete.");
  if (!club_.Ui().Confirm(prefix + " will be removed permanently. Continue?")) return false;

  DeleteOwnerTransactions(club_.actrecs, account.actid);
  RemoveItem(club_.accounts, selected->key);

  // The account with the most transactions (the first in key order among equals)
  // takes over a default role the deleted account held.
  std::int32_t busiest = -1;
  std::size_t most = 0;
  for (const TAccountRec& other : List(false)) {
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
  return true;
}

bool AccountLedger::SetDefaultMember(std::string_view name, bool checked) {
  auto account = Find(name);
  if (!account) return false;
  if (!checked) {
    if (account->actid == club_.Info().defact) return Refused("Account Already set as default member account.");
    return true;
  }
  club_.Info().defact = account->actid;
  club_.WriteClubInfo();
  return true;
}

bool AccountLedger::SetDefaultSecurity(std::string_view name, bool checked) {
  auto account = Find(name);
  if (!account) return false;
  if (!checked) {
    if (account->actid == club_.Info().defstkact) return Refused("Account Already set as default security account.");
    return true;
  }
  club_.Info().defstkact = account->actid;
  club_.WriteClubInfo();
  return true;
}

void AccountLedger::SetExcludedFromValuation(std::string_view name, bool excluded) {
  auto account = records_.Select(name);
  if (!account) return;
  account->record.SetExcludedFromValuation(excluded);
  records_.Save(*account);
}

std::vector<RegisterRow> AccountLedger::Register(std::string_view name, std::optional<std::int32_t> year) {
  std::vector<RegisterRow> rows;
  auto account = Find(name);
  if (!account) return rows;
  for (const TAccountTranRec& tran : Transactions(account->actid)) {
    if (year && CivilFromDayNumber(tran.trandate).year != *year) continue;
    RegisterRow row;
    row.date = FormatDate(tran.trandate) + (tran.cancel ? "" : "  *");
    row.kind = AccountKindLabel(KindOf(tran));
    row.desc = tran.desc;
    row.check = KindOf(tran) == AccountTranKind::Check ? std::to_string(tran.checknum) : "";
    row.amount = FormatFixed(tran.amount, 2);
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
