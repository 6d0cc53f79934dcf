#include "securities/security_ledger.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "club/dates.h"
#include "club/holding_term.h"
#include "club/keys.h"
#include "club/money.h"
#include "club/record_kinds.h"
#include "securities/corporate_changes.h"
#include "securities/security_position.h"
#include "securities/security_totals.h"

namespace pellmark::ledger {
namespace {

EntryMode DialogModeOf(SecurityTranKind kind) {
  switch (kind) {
    case SecurityTranKind::Purchase: return EntryMode::Buy;
    case SecurityTranKind::Sale: return EntryMode::Sell;
    case SecurityTranKind::Dividend: return EntryMode::Dividends;
    case SecurityTranKind::Reinvestment: return EntryMode::DividendReinvestment;
    case SecurityTranKind::CapitalReduction:
    case SecurityTranKind::CapitalGain: return EntryMode::CapitalChange;
    case SecurityTranKind::Split: return EntryMode::Split;
    case SecurityTranKind::Clear:
    case SecurityTranKind::BasisChange: return EntryMode::BasisUpdate;
    case SecurityTranKind::ForeignTax: return EntryMode::ForeignTax;
  }
  return EntryMode::Buy;
}

SecurityTranKind KindOfEntry(StockEntry choice) {
  switch (choice) {
    case StockEntry::Buy: return SecurityTranKind::Purchase;
    case StockEntry::Sell: return SecurityTranKind::Sale;
    case StockEntry::Dividends: return SecurityTranKind::Dividend;
    case StockEntry::Reinvestment: return SecurityTranKind::Reinvestment;
    case StockEntry::CapitalChange: return SecurityTranKind::CapitalReduction;
    case StockEntry::ForeignTaxes: return SecurityTranKind::ForeignTax;
  }
  return SecurityTranKind::Purchase;
}

// A sale's proceeds and a lot's worth at the sale price this close are one
// lot sold whole: what is left over buys less than a cent, and would otherwise
// cut the next lot for no shares and write a sale of $0.00.
constexpr double kCent = 0.01;

bool IsLot(const TSecurityTranRec& tran) {
  return KindOf(tran) == SecurityTranKind::Purchase || KindOf(tran) == SecurityTranKind::Reinvestment;
}

// The check number of a stored purchase posting, so that a change keeps it a Check.
std::int32_t CheckNumberOf(const TAccountTranRec& posted) {
  return KindOf(posted) == AccountTranKind::Check ? posted.checknum : -1;
}

}  // namespace

// The records one posting wrote, each with the lot it relieved, and the
// security whose totals they move.
struct SecurityLedger::Written {
  struct Entry {
    TSecurityTranRec record;
    std::optional<TSecurityTranRec> lot;
  };
  std::vector<Entry> entries;
};

SecurityLedger::SecurityLedger(ClubSession& club, SecurityRecords& securities, PriceLedger& prices,
                               AccountLedger& accounts)
    : club_(club), securities_(securities), prices_(prices), accounts_(accounts) {}

Outcome SecurityLedger::Refuse(const std::string& message) { return pellmark::Refuse(club_.Ui(), message); }

Outcome SecurityLedger::NoSuchSecurity(std::string_view name) {
  return RefuseMissing(club_.Ui(), "Security " + std::string(name) + " does not exist.");
}

Outcome SecurityLedger::NoSuchRecord(std::string_view name, std::int32_t stranid) {
  return RefuseMissing(club_.Ui(), "Security " + std::string(name) + " has no transaction " + std::to_string(stranid) + ".");
}

std::optional<SecurityLedger::Selected> SecurityLedger::SelectById(std::int32_t stkid) {
  auto security = securities_.FindById(stkid);
  if (!security) return std::nullopt;
  return Selected{NameKey(!security->active, security->name), *security};
}

std::vector<TSecurityTranRec> SecurityLedger::Records(std::int32_t stkid) {
  return club_.stkrecs.Select(OwnerFilter(stkid));
}

std::optional<TSecurityTranRec> SecurityLedger::FindRecord(std::int32_t stkid, std::int32_t stranid) {
  for (const TSecurityTranRec& tran : Records(stkid)) {
    if (tran.stranid == stranid) return tran;
  }
  return std::nullopt;
}

std::vector<LotCandidate> SecurityLedger::Candidates(std::int32_t stkid) {
  std::vector<LotCandidate> candidates;
  club_.stkrecs.ForEachKeyed(OwnerFilter(stkid), [&](const std::string& key, TSecurityTranRec tran) {
    candidates.push_back({key, std::move(tran)});
  });
  return candidates;
}

void SecurityLedger::Store(const TSecurityTranRec& tran) { club_.stkrecs.Put(tran); }

EntryDialogRequest SecurityLedger::DialogRequest(const TSecurityRec& security, const TSecurityTranRec& tran,
                                                 bool change) {
  EntryDialogRequest request;
  request.mode = DialogModeOf(KindOf(tran));
  request.change = change;
  request.heading = security.name;
  request.security_tran = tran;
  request.ratio = RatioRec{tran.price, tran.comm, KindOf(tran) == SecurityTranKind::Clear};
  request.accounts = accounts_.List(true);
  request.securities = securities_.List(true);
  request.check_ticked = check_ticked_;
  return request;
}

Outcome SecurityLedger::Enter(std::string_view name, StockEntry choice, DayNumber date) {
  auto found = securities_.Find(name);
  if (!found) return NoSuchSecurity(name);
  const TSecurityRec& security = *found;
  if (choice != StockEntry::Dividends) {
    if (!security.active) return Refuse("Security is hidden.");
    if (security.pricec == 0 && security.sharest != 0) return Refuse("Security has no value.");
    const bool needs_shares = choice == StockEntry::Reinvestment || choice == StockEntry::CapitalChange ||
                              choice == StockEntry::ForeignTaxes;
    if (needs_shares && security.sharest == 0) return Refuse(security.name + " does not have any shares.");
  }
  TSecurityTranRec tran;
  tran.trandate = date;
  tran.actid = club_.Info().defstkact;
  tran.stkid = security.stkid;
  tran.typ = Code(KindOfEntry(choice));
  Outcome posted = PostStockTransaction(security.stkid, StockPostMode::New, nullptr, tran, kApplyNew);
  if (!posted) return posted;

  std::optional<DayNumber> audit;
  if (choice != StockEntry::ForeignTaxes) audit = AskForAudit(club_, "Stock", "entered", tran.trandate);
  auto after = securities_.FindById(security.stkid);
  if (choice == StockEntry::Sell && after && after->sharest != security.sharest && after->sharest == 0 &&
      club_.Ui().ConfirmAfterwards("Do you want to hide security " + security.name + "?")) {
    static_cast<void>(securities_.Hide(security.name));
  }
  return Outcome::Done().AuditFrom(audit);
}

Outcome SecurityLedger::ChangeRecord(std::string_view name, std::int32_t stranid) {
  auto security = securities_.Find(name);
  if (!security) return NoSuchSecurity(name);
  if (!security->active) return Refuse("Security is hidden.");
  auto old = FindRecord(security->stkid, stranid);
  if (!old) return NoSuchRecord(name, stranid);
  TSecurityTranRec tran = *old;
  Outcome posted = PostStockTransaction(security->stkid, StockPostMode::Change, &*old, tran, kApplyNew | kReverseOld);
  if (!posted) return posted;
  club_.Ui().PlayConfirmationSound();
  return Outcome::Done().AuditFrom(AskForAudit(club_, "Stock", "changed", tran.trandate));
}

Outcome SecurityLedger::DeleteRecord(std::string_view name, std::int32_t stranid, bool force_deletes) {
  auto security = securities_.Find(name);
  if (!security) return NoSuchSecurity(name);
  if (!security->active) return Refuse("Security is hidden.");
  auto old = FindRecord(security->stkid, stranid);
  if (!old) return NoSuchRecord(name, stranid);
  if (!force_deletes) {
    const bool sold_lot = old->sold && IsLot(*old) && !IsCoveringPurchase(*old);
    if (sold_lot) return Refuse("Some or all shares have been sold. Cannot delete.");
    // A split cannot be taken back from lots sold since in its shares.
    if (KindOf(*old) == SecurityTranKind::Split) {
      const std::vector<TSecurityTranRec> records = Records(security->stkid);
      if (SecurityHistory(records).SoldSince(*old)) return Refuse("Some or all shares have been sold. Cannot delete.");
    }
    if (IsShortSale(*old) && old->sold) return Refuse("Short Sell has a buy associated with it. Cannot delete.");
    if (IsFractionSale(*old)) {
      return Refuse("Share Fractions Sells associated with splits cannot be deleted. Delete the Split");
    }
  }
  if (!club_.Ui().Confirm("Selected Record will be removed permanently. Continue?")) return Outcome::Cancelled();
  club_.stkrecs.Remove(club_.stkrecs.KeyOf(*old));
  TSecurityTranRec removed = *old;
  Outcome undone = PostStockTransaction(security->stkid, StockPostMode::Delete, &*old, removed, kReverseOld);
  if (!undone) return undone;
  club_.Ui().PlayConfirmationSound();
  const std::optional<DayNumber> audit = AskForAudit(club_, "Security", "deleted", old->trandate);
  auto after = securities_.FindById(security->stkid);
  if (after && after->sharest != security->sharest && after->sharest == 0 &&
      club_.Ui().ConfirmAfterwards("Do you want to hide security " + security->name + "?")) {
    static_cast<void>(securities_.Hide(security->name));
  }
  return Outcome::Done().AuditFrom(audit);
}

Outcome SecurityLedger::PostStockTransaction(std::int32_t stkid, StockPostMode mode, const TSecurityTranRec* old,
                                             TSecurityTranRec& tran, int flags) {
  auto security = SelectById(stkid);
  if (!security) return NoSuchSecurity(std::to_string(stkid));
  switch (mode) {
    case StockPostMode::New: return PostNew(*security, tran);
    case StockPostMode::Change: return PostChange(*security, *old, tran, flags);
    case StockPostMode::Delete: return PostDelete(*security, *old, flags);
  }
  return Outcome::Cancelled();
}

Outcome SecurityLedger::PostNew(Selected& security, TSecurityTranRec& tran) {
  EntryDialogResult result = club_.Ui().RunEntryDialog(DialogRequest(security.record, tran, false));
  if (result.outcome != DialogOutcome::Ok) return Outcome::Cancelled();
  tran = result.security_tran;
  const std::int32_t check_number = result.check_number;
  if (KindOf(tran) == SecurityTranKind::Purchase) check_ticked_ = result.check_ticked;

  // Every refusal comes before the first write.
  Selected* target = &security;
  std::optional<Selected> other;
  std::vector<LotCandidate> candidates;
  const SecurityTranKind kind = KindOf(tran);
  if (IsCoveringPurchase(tran)) {
    candidates = Candidates(security.record.stkid);
    double open_short = 0;
    for (const LotCandidate& candidate : candidates) {
      if (IsOpenShortSale(candidate.record)) open_short += SharesOf(candidate.record);
    }
    if (SharesOf(tran) > open_short + kShareTolerance) return Refuse(kSellBeyondHoldings);
    if (club_.Ui().Confirm("Select Sold Shares?")) {
      auto chosen = Choose(LotChooserMode::Cover, security.record, tran, std::move(candidates));
      if (!chosen) return Outcome::Cancelled();
      candidates = std::move(*chosen);
    }
  } else if (kind == SecurityTranKind::Sale) {
    candidates = Candidates(security.record.stkid);
    const double shares = SharesOf(tran);
    if (!IsShortSale(tran) && shares > security.record.sharest + kShareTolerance) {
      if (!club_.Ui().Confirm("Do you want to record a short sell?")) return Refuse(kSellBeyondHoldings);
      tran.compc = true;
      tran.buytran = -1;
    }
    if (!IsShortSale(tran) && std::fabs(shares - security.record.sharest) > kShareTolerance &&
        club_.Ui().Confirm("Select Shares to Sell?")) {
      auto chosen = Choose(LotChooserMode::Sale, security.record, tran, std::move(candidates));
      if (!chosen) return Outcome::Cancelled();
      candidates = std::move(*chosen);
    }
  } else if (kind == SecurityTranKind::Reinvestment && !tran.tax && tran.stkid != security.record.stkid) {
    other = SelectById(tran.stkid);
    if (!other) return Refuse("Error. Reinvested Security not found.");
    target = &*other;
  }

  Written written;
  Outcome wrote = Outcome::Done();
  if (IsCoveringPurchase(tran)) {
    wrote = CoverShortSells(*target, tran, candidates, check_number, written);
  } else if (kind == SecurityTranKind::Sale) {
    wrote = SellFromLots(*target, tran, candidates, written);
  } else {
    wrote = PlainWrite(*target, tran, check_number, written);
  }
  if (!wrote) return wrote;
  securities_.Save(target->record);

  const bool records_price = kind == SecurityTranKind::Purchase || kind == SecurityTranKind::Reinvestment ||
                             (kind == SecurityTranKind::Sale && !IsShortSale(tran));
  if (records_price) {
    TPriceRec price;
    price.price = tran.price;
    price.trandate = tran.trandate;
    prices_.RecordPrice(target->record.stkid, PriceMode::NewWithoutDialog, price);
  }

  auto posted = SelectById(target->record.stkid);
  const std::int32_t year = club_.Info().year;
  for (const Written::Entry& entry : written.entries) {
    ApplyTotals(posted->record, entry.record, +1, entry.lot ? &*entry.lot : nullptr, year);
  }
  securities_.Save(posted->record);
  club_.Ui().PlayConfirmationSound();
  return Outcome::Done();
}

std::optional<std::vector<LotCandidate>> SecurityLedger::Choose(LotChooserMode mode, const TSecurityRec& security,
                                                                const TSecurityTranRec& tran,
                                                                std::vector<LotCandidate> all) {
  LotChooserRequest request{mode, security, tran, all};
  LotChooserResult chosen = club_.Ui().RunLotChooser(request);
  if (chosen.outcome != DialogOutcome::Ok) return std::nullopt;
  std::unordered_map<std::string, std::size_t> position;
  for (std::size_t i = 0; i < all.size(); ++i) position.emplace(all[i].key, i);
  std::vector<LotCandidate> walk;
  for (const std::string& key : chosen.keys) {
    auto found = position.find(key);
    if (found != position.end()) walk.push_back(all[found->second]);
  }
  return walk;
}

Outcome SecurityLedger::PostCash(TSecurityTranRec& tran, std::string_view name, std::int32_t check_number) {
  auto posting = tran.actid < 0 ? std::nullopt : CashPostingOf(tran, name, check_number);
  if (!posting) {
    tran.transid = -1;
    return Outcome::Done();
  }
  TAccountTranRec account_tran = AccountTransactionOf(*posting, tran, check_number);
  Outcome posted = accounts_.PostAccountTransaction(tran.actid, PostMode::NewOnAccount, account_tran, nullptr, kApply);
  if (!posted) return posted;
  tran.transid = account_tran.tranid;
  return Outcome::Done();
}

Outcome SecurityLedger::PlainWrite(Selected& security, TSecurityTranRec& tran, std::int32_t check_number,
                                Written& written) {
  tran.stkid = security.record.stkid;
  tran.sold = false;
  tran.buytran = -1;
  tran.stranid = AllocateTranId(security.record.trancount);
  if (KindOf(tran) != SecurityTranKind::Reinvestment) {
    if (Outcome cash = PostCash(tran, security.record.name, check_number); !cash) return cash;
  }
  Store(tran);
  written.entries.push_back({tran, std::nullopt});
  return Outcome::Done();
}

Outcome SecurityLedger::SellFromLots(Selected& security, TSecurityTranRec& sale,
                                  const std::vector<LotCandidate>& candidates, Written& written) {
  sale.stkid = security.record.stkid;
  if (Outcome cash = PostCash(sale, security.record.name, -1); !cash) return cash;
  if (IsShortSale(sale)) {
    sale.sold = false;
    sale.buytran = -1;
    sale.stranid = AllocateTranId(security.record.trancount);
    Store(sale);
    written.entries.push_back({sale, std::nullopt});
    return Outcome::Done();
  }
  // Only a sale of the whole holding, whose shares may carry rounding, closes
  // lots by the tolerance: every lot goes whole and the last takes what is
  // left of the proceeds. Any other sale cuts the lots exactly, so the open
  // lots keep holding what `sharest` says.
  const bool whole_holding = std::fabs(SharesOf(sale) - security.record.sharest) <= kShareTolerance;
  std::size_t last_lot = candidates.size();
  for (std::size_t i = candidates.size(); i-- > 0;) {
    if (IsOpenLot(candidates[i].record)) {
      last_lot = i;
      break;
    }
  }
  double remaining = sale.amount;
  const double price = sale.price;
  const double sale_amount = sale.amount;
  const double sale_comm = sale.comm;
  std::vector<TSecurityTranRec> writes;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (remaining <= 0 && !whole_holding) break;
    if (!IsOpenLot(candidates[i].record)) continue;
    TSecurityTranRec lot = candidates[i].record;
    TSecurityTranRec record = sale;
    record.buytran = lot.stranid;
    const double lot_shares = SharesOf(lot);
    const double still_to_sell = remaining / price;
    std::optional<TSecurityTranRec> unsold;
    if (whole_holding) {
      record.amount = i == last_lot ? remaining : std::min(price * lot_shares, remaining);
      remaining -= record.amount;
    } else if (std::fabs(remaining - price * lot_shares) < kCent) {
      record.amount = remaining;
      remaining = 0;
    } else if (lot_shares >= still_to_sell) {
      // The sold part keeps the lot's price, and its share of a commission that
      // came out of the dividend, so that it holds exactly the shares sold.
      const double sold_cost = still_to_sell * lot.price +
                               (CommissionFromDividend(lot) ? still_to_sell / lot_shares * lot.comm : 0);
      const double unsold_comm = (lot.amount - sold_cost) / lot.amount * lot.comm;
      unsold = lot;
      unsold->amount = lot.amount - sold_cost;
      unsold->comm = unsold_comm;
      lot.comm -= unsold_comm;
      lot.amount = sold_cost;
      record.amount = remaining;
      remaining = 0;
    } else {
      record.amount = price * lot_shares;
      remaining -= record.amount;
    }
    lot.sold = true;
    writes.push_back(lot);
    record.comm = record.amount / sale_amount * sale_comm;
    if (unsold) {
      unsold->sold = false;
      unsold->stranid = AllocateTranId(security.record.trancount);
      writes.push_back(*unsold);
    }
    record.stranid = AllocateTranId(security.record.trancount);
    writes.push_back(record);
    written.entries.push_back({record, lot});
  }
  club_.stkrecs.PutAll(writes);
  return Outcome::Done();
}

Outcome SecurityLedger::CoverShortSells(Selected& security, TSecurityTranRec& purchase,
                                     const std::vector<LotCandidate>& candidates, std::int32_t check_number,
                                     Written& written) {
  purchase.stkid = security.record.stkid;
  if (Outcome cash = PostCash(purchase, security.record.name, check_number); !cash) return cash;
  double remaining = purchase.amount;
  const double price = purchase.price;
  const double purchase_amount = purchase.amount;
  const double purchase_comm = purchase.comm;
  std::vector<TSecurityTranRec> writes;
  for (const LotCandidate& candidate : candidates) {
    if (remaining <= 0) break;
    if (!IsOpenShortSale(candidate.record)) continue;
    TSecurityTranRec short_sale = candidate.record;
    TSecurityTranRec covering = purchase;
    covering.stranid = AllocateTranId(security.record.trancount);
    covering.buytran = short_sale.stranid;
    covering.sold = true;
    short_sale.buytran = covering.stranid;
    const double short_shares = SharesOf(short_sale);
    const double still_to_buy = remaining / price;
    if (std::fabs(still_to_buy - short_shares) <= kShareTolerance) {
      covering.amount = remaining;
      remaining = 0;
    } else if (short_shares >= still_to_buy) {
      const double covered = still_to_buy * short_sale.price;
      const double uncovered_comm = (short_sale.amount - covered) / short_sale.amount * short_sale.comm;
      // The uncovered remainder is an open short sale of its own, covered by nothing yet.
      TSecurityTranRec uncovered = short_sale;
      uncovered.amount = short_sale.amount - covered;
      uncovered.comm = uncovered_comm;
      uncovered.sold = false;
      uncovered.buytran = -1;
      uncovered.stranid = AllocateTranId(security.record.trancount);
      short_sale.comm -= uncovered_comm;
      short_sale.amount = covered;
      covering.amount = remaining;
      remaining = 0;
      writes.push_back(uncovered);
    } else {
      covering.amount = price * short_shares;
      remaining -= covering.amount;
    }
    short_sale.sold = true;
    writes.push_back(short_sale);
    covering.comm = covering.amount / purchase_amount * purchase_comm;
    writes.push_back(covering);
    written.entries.push_back({covering, std::nullopt});
  }
  club_.stkrecs.PutAll(writes);
  return Outcome::Done();
}

Outcome SecurityLedger::PostChange(Selected& security, const TSecurityTranRec& old, TSecurityTranRec& tran,
                                   int flags) {
  EntryDialogResult result = club_.Ui().RunEntryDialog(DialogRequest(security.record, old, true));
  if (result.outcome != DialogOutcome::Ok) return Outcome::Cancelled();
  tran = result.security_tran;
  // The dialog changes figures and the date; what links the record stays.
  tran.stranid = old.stranid;
  tran.stkid = old.stkid;
  tran.actid = old.actid;
  tran.transid = old.transid;
  tran.buytran = old.buytran;
  tran.sold = old.sold;

  if (old.actid >= 0 && old.transid >= 0) {
    if (auto linked = accounts_.FindTransaction(old.actid, old.transid)) {
      const std::int32_t check_number = CheckNumberOf(*linked);
      auto old_posting = CashPostingOf(old, security.record.name, check_number);
      auto new_posting = CashPostingOf(tran, security.record.name, check_number);
      if (old_posting && new_posting) {
        TAccountTranRec changed = *linked;
        changed.amount = linked->amount - old_posting->amount + new_posting->amount;
        changed.trandate = tran.trandate;
        changed.desc = new_posting->desc;
        changed.typ = Code(new_posting->kind);
        changed.catid = Code(new_posting->category);
        Outcome posted =
            accounts_.PostAccountTransaction(old.actid, PostMode::ChangeSilently, changed, &*linked, kBackOutAndApply);
        if (!posted) return posted;
      }
    }
  }
  if (old.trandate != tran.trandate) club_.stkrecs.Remove(club_.stkrecs.KeyOf(old));
  Store(tran);

  auto lot_of = [&](const TSecurityTranRec& record) -> std::optional<TSecurityTranRec> {
    if (KindOf(record) != SecurityTranKind::Sale || record.buytran < 0) return std::nullopt;
    return FindRecord(record.stkid, record.buytran);
  };
  const std::int32_t year = club_.Info().year;
  if (flags & kReverseOld) {
    auto lot = lot_of(old);
    ApplyTotals(security.record, old, -1, lot ? &*lot : nullptr, year);
  }
  if (flags & kApplyNew) {
    auto lot = lot_of(tran);
    ApplyTotals(security.record, tran, +1, lot ? &*lot : nullptr, year);
  }
  securities_.Save(security.record);
  return Outcome::Done();
}

Outcome SecurityLedger::PostDelete(Selected& security, const TSecurityTranRec& old, int flags) {
  std::optional<TSecurityTranRec> lot;
  if (KindOf(old) == SecurityTranKind::Sale && !IsShortSale(old) && old.buytran >= 0) {
    lot = FindRecord(old.stkid, old.buytran);
    if (lot && IsLot(*lot)) {
      lot->sold = false;
      Store(*lot);
    } else {
      lot.reset();
    }
  }
  if (IsCoveringPurchase(old) && old.buytran >= 0) {
    if (auto short_sale = FindRecord(old.stkid, old.buytran); short_sale && IsShortSale(*short_sale)) {
      short_sale->sold = false;
      short_sale->buytran = -1;
      Store(*short_sale);
    }
  }
  const bool corporate = KindOf(old) == SecurityTranKind::Split || KindOf(old) == SecurityTranKind::BasisChange ||
                         KindOf(old) == SecurityTranKind::Clear;
  if (corporate) {
    // Undone whole (a split's fraction cash, a clear's closed lots), and the security reset.
    return CorporateChanges(club_, securities_, accounts_).UndoRemoved(old);
  }
  if (Outcome unlinked = UnlinkAccount(old, security.record.name); !unlinked) return unlinked;
  if (flags & kReverseOld) ApplyTotals(security.record, old, -1, lot ? &*lot : nullptr, club_.Info().year);
  securities_.Save(security.record);
  return Outcome::Done();
}

// The record's share of its account transaction goes; the transaction goes
// with the last share of it.
Outcome SecurityLedger::UnlinkAccount(const TSecurityTranRec& old, std::string_view name) {
  if (old.actid < 0 || old.transid < 0) return Outcome::Done();
  auto linked = accounts_.FindTransaction(old.actid, old.transid);
  if (!linked) return Outcome::Done();
  auto posting = CashPostingOf(old, name, CheckNumberOf(*linked));
  if (!posting) return Outcome::Done();
  const double left = linked->amount - posting->amount;
  if (std::fabs(left) < kShareTolerance || SameMoney(linked->amount, posting->amount)) {
    return accounts_.RemoveTransaction(*linked);
  }
  TAccountTranRec changed = *linked;
  changed.amount = left;
  return accounts_.PostAccountTransaction(old.actid, PostMode::ChangeSilently, changed, &*linked, kBackOutAndApply);
}

namespace {

StockRow StockRowOf(const TSecurityTranRec& tran) {
  StockRow row;
  row.date = tran.trandate;
  row.kind = KindOf(tran);
  switch (row.kind) {
    case SecurityTranKind::Purchase:
    case SecurityTranKind::Reinvestment:
    case SecurityTranKind::Sale:
      row.shares = SharesOf(tran);
      row.price = tran.price;
      row.commission = tran.comm;
      break;
    case SecurityTranKind::Clear: row.shares = tran.amount; break;
    case SecurityTranKind::Split:
    case SecurityTranKind::BasisChange: row.ratio = {tran.price, tran.comm}; break;
    default: break;
  }
  const bool moves_money = row.kind != SecurityTranKind::Clear && row.kind != SecurityTranKind::Split &&
                           row.kind != SecurityTranKind::BasisChange;
  if (moves_money) row.amount = tran.amount;
  row.record = tran;
  return row;
}

}  // namespace

std::vector<StockRow> SecurityLedger::Grid(std::string_view name, std::optional<std::int32_t> year) {
  std::vector<StockRow> rows;
  auto security = securities_.Find(name);
  if (!security) return rows;
  for (const TSecurityTranRec& tran : Records(security->stkid)) {
    if (year && CivilFromDayNumber(tran.trandate).year != *year) continue;
    rows.push_back(StockRowOf(tran));
  }
  return rows;
}

std::vector<OpenLot> SecurityLedger::OpenLots(std::string_view name) {
  std::vector<OpenLot> lots;
  auto security = securities_.Find(name);
  if (!security) return lots;
  const DayNumber today = club_.Today();
  for (const TSecurityTranRec& tran : Records(security->stkid)) {
    if (!IsOpenLot(tran)) continue;
    lots.push_back({tran, SharesOf(tran), LotCost(tran), HoldingTerm(tran.trandate, today)});
  }
  return lots;
}

}  // namespace pellmark::ledger
