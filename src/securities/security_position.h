// A security's position as of a date, from its transaction records: the one
// place that knows how the records stood on an earlier day. Splits and basis
// changes rewrite the lots they find open in place (amount, price), a split
// with cash cuts fraction lots from them, and sales cut lots in two; a record
// read today therefore shows the later changes. The history undoes them.
//
//   SecurityHistory history(records);                       // one security, key order
//   TSecurityRec then = PositionAsOf(security, history, date, 2026);
//   double price_then = stored_price * history.PriceScaleAfter(date);
//   double paid = history.DividendPaid(reinvestment);       // as entered, whatever came later
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "club/dates.h"
#include "club/records.h"

namespace pellmark::ledger {

class SecurityHistory {
 public:
  // `records`: every record of one security in key order (date, then id); kept by reference.
  explicit SecurityHistory(const std::vector<TSecurityTranRec>& records);

  const std::vector<TSecurityTranRec>& Records() const { return records_; }

  // A lot as it stood at the end of `date`: the splits and basis changes dated
  // after it that rewrote the lot are undone, newest first. Other kinds come back unchanged.
  TSecurityTranRec AsOf(const TSecurityTranRec& lot, DayNumber date) const;

  // What a price recorded on or before `date`, as stored now, is multiplied by
  // to give the price of that day: the later splits and basis changes rescaled
  // every price record dated on or before them.
  double PriceScaleAfter(DayNumber date) const;

  // The dividend a record stands for: a dividend's amount; the amount a
  // reinvestment had when it was entered (basis updates rewrite the lot's
  // amount, not the dividend it was bought with), the fraction lots a split
  // cut from it included (with the commission the dividend paid); 0 for every
  // other record.
  double DividendPaid(const TSecurityTranRec& tran) const;

  // What the basis updates entered after the record `since` multiplied the
  // lot's amount by.
  double AmountScaleSince(const TSecurityTranRec& lot, std::int32_t since) const;

  // Whether the lot's commission came out of a dividend, which a basis update
  // scales with the amount: a reinvestment's own, or that of the fraction a
  // split cut from such a reinvestment (a purchase holding the commission
  // beside its amount).
  bool CommissionOutOfDividend(const TSecurityTranRec& lot) const;

  // Whether a lot the split or basis change `change` rewrote has been relieved
  // by a sale entered after it (its own fraction sales aside).
  bool SoldSince(const TSecurityTranRec& change) const;

  // The lot (purchase or reinvestment) of id `stranid`; nullptr when there is none.
  const TSecurityTranRec* Lot(std::int32_t stranid) const;

 private:
  // Whether the split or basis change `change` rewrote `lot`: the lot was
  // bought on or before its date (on its date, entered before it) and not
  // relieved by a sale entered before it. The rest a sale cut from a lot
  // shares the lot's history up to the cut; a fraction lot was written by its
  // own split already rewritten, and shares its parent's history before that.
  bool Rewrote(const TSecurityTranRec& change, const TSecurityTranRec& lot) const;
  // Whether a sale entered before `change` relieved the lot.
  bool ClosedBefore(const TSecurityTranRec& lot, const TSecurityTranRec& change) const;
  // The lot whose unsold rest `lot` is, when a sale cut it; nullptr otherwise.
  const TSecurityTranRec* CutFrom(const TSecurityTranRec& lot) const;

  const std::vector<TSecurityTranRec>& records_;
  std::vector<const TSecurityTranRec*> changes_;  // splits and basis changes, key order
  std::map<std::int32_t, const TSecurityTranRec*> by_id_;
  std::map<std::int32_t, const TSecurityTranRec*> lots_;
  std::multimap<std::int32_t, const TSecurityTranRec*> sales_by_lot_;
};

// `dividendt` and `dividendy` (those dated in `dividend_year`) counted again
// from the records dated on or before `through`, as the records stand for them.
void CountDividends(TSecurityRec& security, const SecurityHistory& history, DayNumber through,
                    std::int32_t dividend_year);

// The security's running totals as its records gave them at the end of `date`:
// `sharest`, `tspent`, `pricep`, `dividendt`, and `dividendy` for the
// dividends dated in `dividend_year`. Every record dated on or before the date
// is applied in key order by the ledger's own rules, each lot as it stood on
// the date; sales relieve the lots they name. `pricedate` is 0 and `pricec`
// the last trade price, as for a security without price records; the other
// fields are those of `security`.
TSecurityRec PositionAsOf(const TSecurityRec& security, const SecurityHistory& history, DayNumber date,
                          std::int32_t dividend_year);

}  // namespace pellmark::ledger
