#include "securities/security_position.h"

#include <limits>

#include "club/record_kinds.h"
#include "securities/security_totals.h"

namespace pellmark::ledger {
namespace {

bool IsCorporateChange(const TSecurityTranRec& tran) {
  const SecurityTranKind kind = KindOf(tran);
  return kind == SecurityTranKind::Split || kind == SecurityTranKind::BasisChange;
}

// A purchase or reinvestment that holds shares; a covering purchase is closed
// the moment it is written and never holds any.
bool IsHoldingLot(const TSecurityTranRec& tran) {
  const SecurityTranKind kind = KindOf(tran);
  return kind == SecurityTranKind::Reinvestment || (kind == SecurityTranKind::Purchase && !tran.compc);
}

bool IsSplitFraction(const TSecurityTranRec& tran) { return KindOf(tran) == SecurityTranKind::Purchase && tran.tax; }

// A sale that relieves the lot its `buytran` names: every sale but a short one
// (whose `buytran` names its cover). A sale of split fractions is never short.
bool RelievesALot(const TSecurityTranRec& tran) {
  return KindOf(tran) == SecurityTranKind::Sale && (!tran.compc || tran.tax);
}

// The factor that takes a figure the change rescaled back to what it was.
double UndoFactor(const TSecurityTranRec& change) {
  if (change.price == 0 || change.comm == 0) return 1;
  // A split took prices times old / new shares; a basis change took costs and
  // prices times new / old cost.
  return KindOf(change) == SecurityTranKind::Split ? change.price / change.comm : change.comm / change.price;
}

}  // namespace

SecurityHistory::SecurityHistory(const std::vector<TSecurityTranRec>& records) : records_(records) {
  for (const TSecurityTranRec& tran : records_) {
    by_id_.emplace(tran.stranid, &tran);
    if (IsCorporateChange(tran)) changes_.push_back(&tran);
    if (IsHoldingLot(tran)) lots_.emplace(tran.stranid, &tran);
    if (RelievesALot(tran) && tran.buytran >= 0) sales_by_lot_.emplace(tran.buytran, &tran);
  }
}

const TSecurityTranRec* SecurityHistory::Lot(std::int32_t stranid) const {
  const auto found = lots_.find(stranid);
  return found == lots_.end() ? nullptr : found->second;
}

// Ids are given in the order of entry: a smaller id was entered earlier.
bool SecurityHistory::ClosedBefore(const TSecurityTranRec& lot, const TSecurityTranRec& change) const {
  const auto [first, last] = sales_by_lot_.equal_range(lot.stranid);
  for (auto sale = first; sale != last; ++sale) {
    if (sale->second->stranid < change.stranid) return true;
  }
  const auto clear = by_id_.find(lot.buytran);
  return clear != by_id_.end() && KindOf(*clear->second) == SecurityTranKind::Clear &&
         IsClosedByClear(lot, clear->first) && clear->first < change.stranid;
}

const TSecurityTranRec* SecurityHistory::CutFrom(const TSecurityTranRec& lot) const {
  // A sale that cuts a lot stores the unsold rest under the next id, then itself under the one after.
  const auto sale = by_id_.find(lot.stranid + 1);
  if (sale == by_id_.end() || !RelievesALot(*sale->second)) return nullptr;
  const TSecurityTranRec* cut = Lot(sale->second->buytran);
  const bool rest = cut != nullptr && cut != &lot && cut->trandate == lot.trandate && KindOf(*cut) == KindOf(lot);
  return rest ? cut : nullptr;
}

bool SecurityHistory::Rewrote(const TSecurityTranRec& change, const TSecurityTranRec& lot) const {
  if (!IsHoldingLot(lot)) return false;
  if (IsSplitFraction(lot)) {
    // Written by its split already rewritten, sold at once; before, it was part of its parent.
    if (lot.actid == change.stranid) return KindOf(change) == SecurityTranKind::Split;
    const TSecurityTranRec* parent = Lot(lot.buytran);
    return change.stranid < lot.actid && parent != nullptr && Rewrote(change, *parent);
  }
  if (lot.trandate > change.trandate || ClosedBefore(lot, change)) return false;
  if (lot.trandate < change.trandate || lot.stranid < change.stranid) return true;
  // Dated on the change's day and entered after it: only the rest of a lot the
  // change rewrote carries it. (A lot dated before the change but entered
  // after it is taken as the rest of a cut lot whose sale was deleted.)
  const TSecurityTranRec* cut = CutFrom(lot);
  return cut != nullptr && Rewrote(change, *cut);
}

TSecurityTranRec SecurityHistory::AsOf(const TSecurityTranRec& lot, DayNumber date) const {
  TSecurityTranRec image = lot;
  for (auto change = changes_.rbegin(); change != changes_.rend() && (*change)->trandate > date; ++change) {
    if (!Rewrote(**change, lot)) continue;
    const double factor = UndoFactor(**change);
    image.price *= factor;
    if (KindOf(**change) == SecurityTranKind::BasisChange) {
      image.amount *= factor;
      if (CommissionOutOfDividend(lot)) image.comm *= factor;
    }
  }
  return image;
}

bool SecurityHistory::CommissionOutOfDividend(const TSecurityTranRec& lot) const {
  if (!IsSplitFraction(lot)) return CommissionFromDividend(lot);
  const TSecurityTranRec* parent = Lot(lot.buytran);
  return parent != nullptr && CommissionFromDividend(*parent);
}

bool SecurityHistory::SoldSince(const TSecurityTranRec& change) const {
  for (const auto& [stranid, lot] : lots_) {
    if (IsSplitFraction(*lot) || !Rewrote(change, *lot)) continue;
    const auto [first, last] = sales_by_lot_.equal_range(stranid);
    for (auto sale = first; sale != last; ++sale) {
      if (sale->second->stranid > change.stranid) return true;
    }
  }
  return false;
}

double SecurityHistory::AmountScaleSince(const TSecurityTranRec& lot, std::int32_t since) const {
  double scale = 1;
  for (const TSecurityTranRec* change : changes_) {
    if (change->stranid > since && KindOf(*change) == SecurityTranKind::BasisChange && Rewrote(*change, lot)) {
      scale /= UndoFactor(*change);
    }
  }
  return scale;
}

double SecurityHistory::PriceScaleAfter(DayNumber date) const {
  double scale = 1;
  for (auto change = changes_.rbegin(); change != changes_.rend() && (*change)->trandate > date; ++change) {
    scale *= UndoFactor(**change);
  }
  return scale;
}

double SecurityHistory::DividendPaid(const TSecurityTranRec& tran) const {
  constexpr DayNumber kBeforeEverything = std::numeric_limits<DayNumber>::lowest();
  switch (KindOf(tran)) {
    case SecurityTranKind::Dividend: return tran.amount;
    case SecurityTranKind::Reinvestment: return AsOf(tran, kBeforeEverything).amount;
    case SecurityTranKind::Purchase: {
      if (!IsSplitFraction(tran)) return 0;
      const TSecurityTranRec* parent = Lot(tran.buytran);
      if (parent == nullptr || KindOf(*parent) != SecurityTranKind::Reinvestment) return 0;
      // A commission the dividend paid went with the fraction beside its amount.
      const TSecurityTranRec entered = AsOf(tran, kBeforeEverything);
      return CommissionFromDividend(*parent) ? entered.amount + entered.comm : entered.amount;
    }
    default: return 0;
  }
}

void CountDividends(TSecurityRec& security, const SecurityHistory& history, DayNumber through,
                    std::int32_t dividend_year) {
  security.dividendt = security.dividendy = 0;
  for (const TSecurityTranRec& tran : history.Records()) {
    if (tran.trandate > through) break;
    const double paid = history.DividendPaid(tran);
    security.dividendt += paid;
    if (CivilFromDayNumber(tran.trandate).year == dividend_year) security.dividendy += paid;
  }
}

TSecurityRec PositionAsOf(const TSecurityRec& security, const SecurityHistory& history, DayNumber date,
                          std::int32_t dividend_year) {
  TSecurityRec position = security;
  position.pricep = position.dividendt = position.dividendy = position.tspent = position.sharest = 0;
  position.pricedate = 0;
  for (const TSecurityTranRec& tran : history.Records()) {
    if (tran.trandate > date) break;
    switch (KindOf(tran)) {
      case SecurityTranKind::Purchase:
      case SecurityTranKind::Reinvestment:
        ApplyTotals(position, history.AsOf(tran, date), +1, nullptr, dividend_year);
        break;
      case SecurityTranKind::Sale: {
        const TSecurityTranRec* lot = history.Lot(tran.buytran);
        const TSecurityTranRec relieved = lot != nullptr ? history.AsOf(*lot, date) : tran;
        ApplyTotals(position, tran, +1, &relieved, dividend_year);
        break;
      }
      default: ApplyTotals(position, tran, +1, nullptr, dividend_year); break;
    }
  }
  CountDividends(position, history, date, dividend_year);
  return position;
}

}  // namespace pellmark::ledger
