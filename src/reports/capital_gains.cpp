#include "reports/capital_gains.h"

#include <map>

#include "club/money.h"
#include "club/record_kinds.h"

namespace pellmark::reports {

double CapitalGains::OfTerm(HoldingTermClass term) const {
  switch (term) {
    case kShortTerm:
      return short_term;
    case kMediumTerm:
      return medium_term;
    case kLongTerm:
      return long_term;
  }
  return 0;
}

std::string TermWord(HoldingTermClass term) {
  switch (term) {
    case kLongTerm:
      return "Long";
    case kMediumTerm:
      return "Medium";
    case kShortTerm:
      break;
  }
  return "Short";
}

CapitalGains ComputeCapitalGains(ClubSession& club, DayNumber date) {
  return ComputeCapitalGains(
      ReadYearRecords(club, CivilFromDayNumber(date).year, {.categories = false, .accounts = false, .members = false}),
      date);
}

CapitalGains ComputeCapitalGains(const YearRecords& records, DayNumber date) {
  records.RequireYearOf(date);
  const ReportYear year(date);
  CapitalGains gains;
  gains.date = date;

  std::map<std::int32_t, std::string> names;
  for (const TSecurityRec& security : records.securities) names.emplace(security.stkid, security.name);
  // The lots and short sales the year's records link to may be of any year.
  auto linked = [&](const TSecurityTranRec& tran) { return records.SecurityTransaction(tran.stkid, tran.buytran); };

  for (TransactionPlace place : records.year_security_transactions) {
    const TSecurityTranRec& tran = records.At(place);
    if (!year.Holds(tran.trandate) || !names.contains(tran.stkid)) continue;
    CapitalGainRow row;
    row.security = names[tran.stkid];
    row.stkid = tran.stkid;
    row.date = tran.trandate;
    const SecurityTranKind kind = KindOf(tran);
    if (kind == SecurityTranKind::Sale && !IsShortSale(tran) && tran.buytran >= 0) {
      // A short sale links to its cover, whose gain it is: counted there.
      const TSecurityTranRec* lot = linked(tran);
      if (lot == nullptr || (KindOf(*lot) != SecurityTranKind::Purchase &&
                             KindOf(*lot) != SecurityTranKind::Reinvestment)) {
        continue;
      }
      row.source = GainSource::Sale;
      row.buy_date = lot->trandate;
      row.cost = RoundCents(lot->amount + lot->comm);
      row.sell_date = tran.trandate;
      row.proceeds = RoundCents(tran.amount - tran.comm);
    } else if (IsCoveringPurchase(tran) && tran.buytran >= 0) {
      const TSecurityTranRec* short_sale = linked(tran);
      if (short_sale == nullptr || !IsShortSale(*short_sale)) continue;
      row.source = GainSource::ShortCover;
      row.buy_date = tran.trandate;
      row.cost = RoundCents(tran.amount + tran.comm);
      row.sell_date = short_sale->trandate;
      row.proceeds = RoundCents(short_sale->amount - short_sale->comm);
    } else if (kind == SecurityTranKind::CapitalGain) {
      row.source = GainSource::Distribution;
      row.term = tran.tax ? kShortTerm : tran.compc ? kMediumTerm : kLongTerm;
      row.sell_date = tran.trandate;
      row.gain = RoundCents(tran.amount);
    } else {
      continue;
    }
    if (row.source != GainSource::Distribution) {
      row.term = static_cast<HoldingTermClass>(HoldingTerm(*row.buy_date, row.sell_date));
      row.gain = RoundCents(*row.proceeds - *row.cost);
    }
    MonthAmounts& term = gains.by_month[static_cast<std::size_t>(row.term) - 1];
    term[ReportYear::MonthIndex(row.date)] += row.gain;
    term[kYearTotal] += row.gain;
    gains.rows.push_back(std::move(row));
  }
  gains.short_term = RoundCents(gains.by_month[kShortTerm - 1][kYearTotal]);
  gains.medium_term = RoundCents(gains.by_month[kMediumTerm - 1][kYearTotal]);
  gains.long_term = RoundCents(gains.by_month[kLongTerm - 1][kYearTotal]);
  gains.total = RoundCents(gains.short_term + gains.medium_term + gains.long_term);
  return gains;
}

}  // namespace pellmark::reports
