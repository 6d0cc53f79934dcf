#include "members/member_ledger.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>

#include "club/holding_term.h"
#include "club/keys.h"
#include "club/money.h"
#include "club/number_format.h"
#include "club/record_kinds.h"
#include "club/record_names.h"
#include "club/unit_values.h"
#include "members/member_value.h"
#include "store/key_order.h"

namespace pellmark::ledger {
namespace {

std::string MemberPrefix(const TMemberRec& member) { return "Member " + DisplayName(member); }

EntryMode MemberEntryMode(MemberTranKind kind) {
  switch (kind) {
    case MemberTranKind::Payout: return EntryMode::MemberPayoff;
    case MemberTranKind::NuPayment: return EntryMode::TotalDuesModification;
    case MemberTranKind::NuEarnings:
    case MemberTranKind::Earnings: return EntryMode::TotalEarningsModification;
    case MemberTranKind::Fee: return EntryMode::MemberFee;
    default: return EntryMode::MemberDues;
  }
}

// The name fields an entry fills, with the width each has in the record.
std::vector<std::pair<std::string_view, std::size_t>> NameFieldsOf(const MemberEntry& entry) {
  if (entry.group) return {{entry.name, 30}};
  return {{entry.lname, 15}, {entry.fname, 15}};
}

// The name part of a member record as the entry gives it.
TMemberRec EnteredName(const MemberEntry& entry) {
  TMemberRec entered;
  if (entry.group) {
    SetGroupName(entered, entry.name);
  } else {
    entered.mtype = 'P';
    entered.lname = entry.lname.substr(0, 15);
    entered.fname = entry.fname.substr(0, 15);
  }
  return entered;
}

}  // namespace

MemberLedger::MemberLedger(ClubSession& club)
    : club_(club), accounts_(club), records_(club, club.members, &TClubInfoRec::hidmems, MemberName) {}

Outcome MemberLedger::Refuse(const std::string& message) { return pellmark::Refuse(club_.Ui(), message); }

Outcome MemberLedger::NoSuchMember(std::string_view name) {
  return RefuseMissing(club_.Ui(), "Member " + std::string(name) + " does not exist.");
}

Outcome MemberLedger::NoSuchTransaction(const TMemberRec& member, std::int32_t duestran) {
  return RefuseMissing(club_.Ui(), MemberPrefix(member) + " has no transaction " + std::to_string(duestran) + ".");
}

std::optional<std::string> MemberLedger::KeyOf(std::string_view listing_name) {
  return records_.KeyOf(listing_name);
}

std::optional<TMemberRec> MemberLedger::Find(std::string_view listing_name) {
  auto member = records_.Select(listing_name);
  if (!member) return std::nullopt;
  return member->record;
}

std::vector<TMemberRec> MemberLedger::List(bool active_only) { return records_.List(active_only); }

std::vector<TMemberTranRec> MemberLedger::Transactions(std::int32_t memid) {
  return club_.memrecs.Select(OwnerFilter(memid));
}

std::string ListingName(const MemberEntry& entry) { return MemberName(EnteredName(entry)); }

Outcome MemberLedger::CommitMember(const std::optional<std::string>& existing, const MemberEntry& entry) {
  const auto names = NameFieldsOf(entry);
  for (const auto& [name, width] : names) {
    if (NameFaultOf(name, width) == NameFault::kMissing) return Refuse("No Member to Add.");
  }
  for (const auto& [name, width] : names) {
    if (NameFaultOf(name, width) == NameFault::kTooLong) return Refuse(TooLongMessage(name, width));
  }
  const TMemberRec entered = EnteredName(entry);
  Selected member;
  if (existing) {
    auto found = records_.Select(*existing);
    if (!found) return NoSuchMember(*existing);
    member = *found;
  } else {
    if (KeyOf(MemberName(entered))) return Refuse("Member " + DisplayName(entered) + " already exists.");
    member.record.memid = NextRecordId(club_.members, &TMemberRec::memid);
    member.record.active = true;
  }
  const std::string old_key = member.key;
  TMemberRec& record = member.record;
  record.mtype = entered.mtype;
  record.lname = entered.lname;
  record.fname = entered.fname;
  record.addr = entry.addr.substr(0, 30);
  record.city = entry.city.substr(0, 20);
  record.state = entry.state.substr(0, 2);
  record.zip = entry.zip.substr(0, 10);
  record.idnum = entry.idnum.substr(0, 11);
  record.hphone = entry.hphone.substr(0, 17);
  record.wphone = entry.wphone.substr(0, 17);
  record.fphone = entry.fphone.substr(0, 17);
  record.ophone = entry.ophone.substr(0, 17);
  record.email = entry.email.substr(0, 30);
  member.key = NameKey(!record.active, MemberName(record));
  if (existing && member.key != old_key) {
    // Only a different member under the new name is a duplicate; a change of
    // letter case finds the member itself.
    auto found = KeyOf(MemberName(record));
    if (found && store::CompareKeys(*found, old_key, false) != 0) {
      return Refuse("Member " + DisplayName(record) + " already exists.");
    }
    club_.members.Remove(old_key);
  }
  records_.Save(member);
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation("Member " + DisplayName(record) + (existing ? " changed." : " added."));
  return Outcome::Done();
}

EntryDialogRequest MemberLedger::DialogRequest(const TMemberRec& member, EntryMode mode, const TMemberTranRec& tran,
                                               bool change) {
  EntryDialogRequest request;
  request.mode = mode;
  request.change = change;
  request.heading = DisplayName(member);
  request.member_tran = tran;
  request.accounts = accounts_.List(true);
  if (mode == EntryMode::TotalDuesModification) request.current_total = member.totalc;
  if (mode == EntryMode::TotalEarningsModification) request.current_total = member.totale;
  if (mode == EntryMode::MemberPayoff) {
    // The payoff year's valuations, and the newest one on or before the payoff
    // whatever its year, so that a payoff early in January can be made at the
    // 31 December valuation.
    const std::int32_t year = CivilFromDayNumber(tran.trandate).year;
    std::vector<PayoffValuation> valuations;
    std::optional<PayoffValuation> in_force;
    club_.unitfile.ForEach("", [&](const TUnitValueRec& unit) {
      PayoffValuation valuation{unit, member.tunits * unit.unitval};
      if (CivilFromDayNumber(unit.date).year == year) {
        valuations.push_back(valuation);
      } else if (unit.date <= tran.trandate) {
        in_force = valuation;
      }
    });
    const bool year_has_one_before =
        std::any_of(valuations.begin(), valuations.end(),
                    [&](const PayoffValuation& valuation) { return valuation.unit.date <= tran.trandate; });
    if (in_force && !year_has_one_before) valuations.insert(valuations.begin(), *in_force);
    request.payoff_valuations.assign(valuations.rbegin(), valuations.rend());
  }
  return request;
}

Outcome MemberLedger::PostMemberTransaction(Selected& member, MemberPostMode mode, TMemberTranRec& tran,
                                            const TMemberTranRec* old, int flags, Collection* collection,
                                            DialogOutcome* dialog) {
  if (mode == MemberPostMode::New || mode == MemberPostMode::Change) {
    EntryDialogRequest request =
        DialogRequest(member.record, MemberEntryMode(KindOf(tran)), tran, mode == MemberPostMode::Change);
    request.show_abort = collection != nullptr && collection->several;
    EntryDialogResult result = club_.Ui().RunEntryDialog(request);
    if (dialog != nullptr) *dialog = result.outcome;
    if (result.outcome != DialogOutcome::Ok) return Outcome::Cancelled();
    const MemberTranKind kind = KindOf(tran);
    tran = result.member_tran;
    tran.typ = Code(kind);
    if (collection != nullptr) {
      collection->check_number = result.check_number;
      if (kind == MemberTranKind::Payout) collection->payoff_fee = tran.fee;
    }
  }
  tran.memid = member.record.memid;

  if (mode == MemberPostMode::New) {
    if (KindOf(tran) == MemberTranKind::Payment) {
      auto unit = UnitValueAt(club_.unitfile, tran.trandate);
      tran.cunit = unit ? unit->unitval : club_.Info().vunit;
      tran.unitind = unit ? unit->unitid : -1;
    } else if (KindOf(tran) != MemberTranKind::Payout) {
      tran.cunit = 0;
      tran.unitind = -1;
    }
  }

  if ((flags & kBackOut) && old != nullptr) ApplyMemberPosting(member.record, *old, -1);
  if (flags & kApply) ApplyMemberPosting(member.record, tran, +1);

  if (mode == MemberPostMode::New) {
    tran.duestran = AllocateTranId(member.record.duescount);
    tran.tranid = -1;
    if (tran.actid > 0 && collection != nullptr) {
      if (!collection->reserved_ids.contains(tran.actid)) {
        if (auto reserved = accounts_.ReserveTransactionId(tran.actid)) {
          collection->reserved_ids[tran.actid] = *reserved;
        }
      }
      if (collection->reserved_ids.contains(tran.actid)) {
        tran.tranid = collection->reserved_ids[tran.actid];
        collection->amounts[tran.actid] += tran.dues;
        collection->last_account = tran.actid;
        if (KindOf(tran) == MemberTranKind::Payout) {
          auto transactions = Transactions(member.record.memid);
          DayNumber first = transactions.empty() ? tran.trandate : transactions.front().trandate;
          tran.gain = HoldingTerm(first, tran.trandate);
        }
      }
    }
    if (collection != nullptr) collection->posted = true;
  }

  if (mode == MemberPostMode::New || mode == MemberPostMode::Change) {
    if (mode == MemberPostMode::Change && old != nullptr && old->trandate != tran.trandate) {
      club_.memrecs.Remove(MemberTranKey(*old));
    }
    club_.memrecs.Put(tran);
  }
  if (mode != MemberPostMode::Reapply) records_.Save(member);
  return Outcome::Done();
}

bool MemberLedger::OpenShortSales() {
  bool open = false;
  club_.stkrecs.ForEach("", [&](const TSecurityTranRec& tran) {
    if (IsOpenShortSale(tran)) open = true;
  });
  return open;
}

Outcome MemberLedger::Collect(MemberAction action, const std::optional<std::string>& selected, DayNumber date) {
  Interaction& ui = club_.Ui();
  std::vector<Selected> members;
  if (action == MemberAction::DuesAll) {
    if (club_.Info().dues &&
        !ui.Confirm("No Valuation Statement Created since last dues collection. Continue?")) {
      return Outcome::Cancelled();
    }
    for (const TMemberRec& member : List(false)) {
      if (member.active) members.push_back({NameKey(false, MemberName(member)), member});
    }
  } else {
    auto member = selected ? records_.Select(*selected) : std::nullopt;
    if (!member) return NoSuchMember(selected.value_or(""));
    if (action == MemberAction::Payoff) {
      if (member->record.tunits == 0) return Refuse(DisplayName(member->record) + " has no assets.");
      if (OpenShortSales() &&
          !ui.Confirm("There are outstanding short sells. This has artifically inflated the current valuation unit "
                      "value.  Continue the payoff?")) {
        return Outcome::Cancelled();
      }
    }
    if (!member->record.active) return Refuse("Member is Hidden.");
    members.push_back(*member);
  }
  if (action == MemberAction::DuesAll) {
    club_.Info().dues = true;
    club_.WriteClubInfo();
  }

  Collection collection;
  collection.action = action;
  collection.several = members.size() > 1;
  collection.last_account = club_.Info().defact;
  for (Selected& member : members) {
    TMemberTranRec tran;
    tran.fee = 0;
    tran.gain = 0;
    tran.trandate = date;
    tran.memid = member.record.memid;
    tran.actid = collection.last_account;
    tran.typ = Code(action == MemberAction::Payoff          ? MemberTranKind::Payout
                    : action == MemberAction::TotalDues     ? MemberTranKind::NuPayment
                    : action == MemberAction::TotalEarnings ? MemberTranKind::NuEarnings
                    : action == MemberAction::Fees          ? MemberTranKind::Fee
                                                            : MemberTranKind::Payment);
    // Cancel skips this member and Abort ends the run: a new member posting ends short only by its dialog.
    DialogOutcome dialog = DialogOutcome::Ok;
    static_cast<void>(PostMemberTransaction(member, MemberPostMode::New, tran, nullptr, kApply, &collection, &dialog));
    if (dialog == DialogOutcome::Aborted) break;
  }
  if (!collection.posted) return Outcome::Cancelled();

  const std::string last_name = members.size() == 1 ? DisplayName(members.front().record) : std::string();
  if (Outcome deposited = PostCollectedMoney(collection, date, last_name); !deposited) return deposited;
  ui.PlayConfirmationSound();
  if (action == MemberAction::DuesAll) {
    double total = 0;
    for (const auto& [actid, amount] : collection.amounts) total += amount;
    ui.ShowInformation("$" + FormatFixed(total, 2) + " total dues collected.");
  }
  Outcome done = Outcome::Done().AuditFrom(AskForAudit(club_, "Member", "entered", date));
  if (action == MemberAction::Payoff) {
    auto member = records_.Select(MemberName(members.front().record));
    if (member && member->record.tunits == 0) OfferToHide(*member);
  }
  return done;
}

Outcome MemberLedger::PostCollectedMoney(const Collection& collection, DayNumber date,
                                         const std::string& member_name) {
  for (const auto& [actid, accumulated] : collection.amounts) {
    const double amount = RoundCents(accumulated);
    if (IsZeroMoney(amount)) continue;
    TAccountTranRec deposit;
    deposit.trandate = date;
    deposit.actid = actid;
    deposit.tranid = collection.reserved_ids.at(actid);
    deposit.cancel = false;
    deposit.updateloc = Code(AccountOrigin::Member);
    deposit.xferact = -1;
    deposit.checknum = -1;
    deposit.amount = amount;
    if (collection.action == MemberAction::Payoff) {
      deposit.desc = (member_name + " Payoff").substr(0, 30);
      deposit.catid = Code(PredefinedCategory::NonDeductibleExpenses);
      deposit.typ = Code(collection.check_number > 0 ? AccountTranKind::Check : AccountTranKind::Withdrawal);
      if (collection.check_number > 0) deposit.checknum = collection.check_number;
      deposit.amount = RoundCents(amount - collection.payoff_fee);
    } else {
      deposit.desc = collection.action == MemberAction::Fees ? "Member Fee" : "Member Contributions";
      deposit.catid = Code(PredefinedCategory::MemberContributions);
      deposit.typ = Code(AccountTranKind::Deposit);
    }
    if (!accounts_.FindById(actid)) return Fail(club_.Ui(), "Could not create account transaction.");
    Outcome posted = accounts_.PostAccountTransaction(actid, PostMode::NewPrepared, deposit, nullptr, kApply);
    if (!posted) return posted;
  }
  return Outcome::Done();
}

void MemberLedger::OfferToHide(Selected& member) {
  if (club_.Ui().ConfirmAfterwards("Do you want to hide member " + DisplayName(member.record) + "?")) {
    static_cast<void>(Hide(MemberName(member.record)));  // a refusal has been shown
  }
}

bool MemberLedger::SharesItsDeposit(const TMemberTranRec& tran) {
  bool shared = false;
  club_.memrecs.ForEach("", [&](const TMemberTranRec& other) {
    const bool same = other.memid == tran.memid && other.duestran == tran.duestran;
    if (!same && other.actid == tran.actid && other.tranid == tran.tranid && other.trandate == tran.trandate) {
      shared = true;
    }
  });
  return shared;
}

std::optional<TAccountTranRec> MemberLedger::LinkedAccountTransaction(const TMemberTranRec& tran) {
  if (tran.actid <= 0 || tran.tranid < 0) return std::nullopt;
  return club_.actrecs.Find(TranKey(tran.actid, tran.tranid, tran.trandate));
}

Outcome MemberLedger::ChangeTransaction(std::string_view name, std::int32_t duestran) {
  auto member = records_.Select(name);
  if (!member) return NoSuchMember(name);
  if (!member->record.active) return Refuse("Member is hidden.");
  std::optional<TMemberTranRec> old;
  for (const TMemberTranRec& tran : Transactions(member->record.memid)) {
    if (tran.duestran == duestran) old = tran;
  }
  if (!old) return NoSuchTransaction(member->record, duestran);
  TMemberTranRec tran = *old;
  if (Outcome posted = PostMemberTransaction(*member, MemberPostMode::Change, tran, &*old, kBackOutAndApply, nullptr);
      !posted) {
    return posted;
  }
  if (old->actid > 0) {
    auto linked = LinkedAccountTransaction(*old);
    if (!linked || !accounts_.FindById(old->actid)) {
      return Fail(club_.Ui(), "Could not change account transaction.");
    } else if (tran.trandate == old->trandate || !SharesItsDeposit(*old)) {
      TAccountTranRec changed = *linked;
      changed.amount = RoundCents(changed.amount + tran.dues - old->dues);
      changed.trandate = tran.trandate;
      Outcome posted =
          accounts_.PostAccountTransaction(old->actid, PostMode::ChangeSilently, changed, &*linked, kBackOutAndApply);
      if (!posted) return posted;
    } else {
      // The deposit is the whole collection's and keeps its date: this payment's
      // money leaves it for a deposit of its own on the new date.
      TAccountTranRec reduced = *linked;
      reduced.amount = RoundCents(linked->amount - old->dues);
      Outcome posted =
          accounts_.PostAccountTransaction(old->actid, PostMode::ChangeSilently, reduced, &*linked, kBackOutAndApply);
      if (!posted) return posted;
      TAccountTranRec own = *linked;
      own.trandate = tran.trandate;
      own.amount = tran.dues;
      own.cancel = false;
      own.tranid = accounts_.ReserveTransactionId(old->actid).value_or(-1);
      tran.tranid = own.tranid;
      club_.memrecs.Put(tran);
      posted = accounts_.PostAccountTransaction(old->actid, PostMode::NewPrepared, own, nullptr, kApply);
      if (!posted) return posted;
    }
  }
  club_.Ui().PlayConfirmationSound();
  return Outcome::Done().AuditFrom(AskForAudit(club_, "Member", "changed", tran.trandate));
}

Outcome MemberLedger::DeleteTransaction(std::string_view name, std::int32_t duestran, bool force_deletes) {
  auto member = records_.Select(name);
  if (!member) return NoSuchMember(name);
  if (!member->record.active) return Refuse("Member is hidden.");
  std::optional<TMemberTranRec> tran;
  for (const TMemberTranRec& candidate : Transactions(member->record.memid)) {
    if (candidate.duestran == duestran) tran = candidate;
  }
  if (!tran) return NoSuchTransaction(member->record, duestran);
  if (KindOf(*tran) == MemberTranKind::Earnings && !force_deletes) {
    return Refuse("Earnings transactions cannot be deleted");
  }
  if (!club_.Ui().Confirm("Selected Record will be removed permanently. Continue?")) return Outcome::Cancelled();

  club_.memrecs.Remove(MemberTranKey(*tran));
  if (Outcome posted = PostMemberTransaction(*member, MemberPostMode::Delete, *tran, &*tran, kBackOut, nullptr);
      !posted) {
    return posted;
  }
  if (tran->actid > 0) {
    auto linked = LinkedAccountTransaction(*tran);
    Outcome unposted = Outcome::Done();
    if (!linked || !accounts_.FindById(tran->actid)) {
      unposted = Fail(club_.Ui(), "Could not delete account transaction.");
    } else if (KindOf(*tran) == MemberTranKind::Payout || !SharesItsDeposit(*tran)) {
      unposted = accounts_.RemoveTransaction(*linked);
    } else {
      TAccountTranRec reduced = *linked;
      reduced.amount = RoundCents(linked->amount - tran->dues);
      unposted =
          accounts_.PostAccountTransaction(tran->actid, PostMode::ChangeSilently, reduced, &*linked, kBackOutAndApply);
    }
    if (!unposted) return unposted;
  }
  club_.Ui().PlayConfirmationSound();
  if (member->record.tunits == 0) OfferToHide(*member);
  return Outcome::Done().AuditFrom(AskForAudit(club_, "Member", "deleted", tran->trandate));
}

// The member is written back under the key it was read from: a record whose
// name no longer gives that key (an upgraded group flag) must not gain a twin.
void MemberLedger::Recalculate(Selected& member) {
  member.record = MemberTotalsFrom(member.record, Transactions(member.record.memid));
  records_.Save(member);
}

std::vector<MemberLedger::Selected> MemberLedger::StoredMembers() {
  std::vector<Selected> stored;
  club_.members.ForEachKeyed("", [&](const std::string& key, const TMemberRec& record) {
    stored.push_back({key, record});
  });
  return stored;
}

void MemberLedger::RecalculateMember(std::int32_t memid) {
  for (Selected& member : StoredMembers()) {
    if (member.record.memid == memid) return Recalculate(member);
  }
}

Outcome MemberLedger::ResetMember(std::string_view name, bool announce) {
  auto member = records_.Select(name);
  if (!member) return NoSuchMember(name);
  if (!member->record.active && !club_.AuditMode()) return Refuse(MemberPrefix(member->record) + " is hidden.");
  Recalculate(*member);
  if (announce && !club_.AuditMode()) {
    club_.Ui().PlayConfirmationSound();
    club_.Ui().ShowInformation(MemberPrefix(member->record) + " has been reset.");
  }
  return Outcome::Done();
}

void MemberLedger::ResetAllMembers() {
  for (Selected& member : StoredMembers()) {
    if (!member.record.active) break;
    Recalculate(member);
  }
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation("All active members have been reset.");
}

Outcome MemberLedger::Hide(std::string_view name) {
  auto member = records_.Select(name);
  if (!member) return NoSuchMember(name);
  const std::string prefix = MemberPrefix(member->record);
  if (!member->record.active) return Refuse(prefix + " is" + " hidden.");
  if (member->record.tunits != 0) return Refuse("Member has assets. Cannot hide.");
  records_.Rekey(*member, true);
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation(prefix + " is" + " hidden.");
  return Outcome::Done();
}

Outcome MemberLedger::Unhide(std::string_view name) {
  auto member = records_.Select(name);
  if (!member) return NoSuchMember(name);
  const std::string prefix = MemberPrefix(member->record);
  if (member->record.active) return Refuse(prefix + " is not" + " hidden.");
  records_.Rekey(*member, false);
  if (club_.Info().hidmems == 0) club_.View().showhiddenmembers = false;
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation(prefix + " is not" + " hidden.");
  return Outcome::Done();
}

Outcome MemberLedger::Delete(std::string_view name) {
  auto member = records_.Select(name);
  if (!member) return NoSuchMember(name);
  const std::string prefix = MemberPrefix(member->record);
  if (member->record.tunits != 0) return Refuse(prefix + " has assets. Cannot Delete.");
  if (!club_.Ui().Confirm(prefix + " will be removed permanently. Continue?")) return Outcome::Cancelled();
  club_.memrecs.RemoveAll(OwnerFilter(member->record.memid));
  records_.Remove(*member);
  if (!member->record.active) {
    club_.Info().hidmems -= 1;
    club_.WriteClubInfo();
    if (club_.Info().hidmems == 0) club_.View().showhiddenmembers = false;
  }
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation(prefix + " deleted.");
  return Outcome::Done();
}

std::vector<DuesRow> MemberLedger::DuesHistory(std::string_view name, std::optional<std::int32_t> year) {
  std::vector<DuesRow> rows;
  auto member = Find(name);
  if (!member) return rows;
  for (const TMemberTranRec& tran : Transactions(member->memid)) {
    if (year && CivilFromDayNumber(tran.trandate).year != *year) continue;
    DuesRow row;
    row.date = tran.trandate;
    row.kind = KindOf(tran);
    row.amount = tran.dues;
    if (tran.cunit != 0 && (row.kind == MemberTranKind::Payment || row.kind == MemberTranKind::Earnings)) {
      row.units = tran.dues / tran.cunit;
    } else if (tran.cunit != 0 && row.kind == MemberTranKind::Payout) {
      // The units redeemed: the payoff amount at its unit value; the fee is
      // paid out of that amount and redeems nothing more.
      row.units = UnitsOf(tran);
    }
    row.record = tran;
    rows.push_back(std::move(row));
  }
  return rows;
}

std::vector<TUnitValueRec> MemberLedger::ValuationsOf(std::int32_t year) {
  std::vector<TUnitValueRec> valuations;
  // Unit records are keyed by their date, year first: the year's lie together.
  club_.unitfile.ForEach(fmt::format("{}_>", year), [&](const TUnitValueRec& unit) {
    if (CivilFromDayNumber(unit.date).year == year) valuations.push_back(unit);
  });
  std::reverse(valuations.begin(), valuations.end());
  return valuations;
}

MemberSummary MemberLedger::Summary(std::string_view name) {
  MemberSummary summary;
  auto member = Find(name);
  if (!member) return summary;
  summary.contributions = member->totalc;
  summary.earnings = member->totale;
  summary.units = member->tunits;
  summary.unit_value = club_.Info().vunit;
  summary.account_value = MemberValue(*member, club_.Info());
  const double invested = member->totalc + member->totale;
  // The direction is that of value minus investment; the ratio is taken of the
  // investment's size, so that a member who has taken out more than he paid in
  // and still holds units shows a gain.
  summary.gain =
      member->tunits != 0 && !IsZeroMoney(invested) ? (summary.account_value - invested) / std::fabs(invested) : 0;
  return summary;
}

}  // namespace pellmark::ledger
