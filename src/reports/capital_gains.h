// The capital gains of the year up to a date: one row for each sale of a lot,
// each cover of a short sale and each capital gain distribution, with its
// holding period, and the totals of each period by month. The income and
// expense statement, the earnings distribution, the capital gains report and
// the tax figures all take their gains from here.
//
//   CapitalGains gains = ComputeCapitalGains(club, date);
//   CapitalGains again = ComputeCapitalGains(records, date);   // reports/year_records.h
//   for (const CapitalGainRow& row : gains.rows) ... row.term, row.gain ...
//   gains.long_term;                                   // the sum of the long-term rows
//   gains.by_month[kLongTerm - 1][ReportYear::MonthIndex(day)];
//
// Every money figure is in whole cents (rounded half away from zero) as the
// report prints it: a row's gain is its printed return less its printed cost,
// and every total is the sum of its rows.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "club/club_session.h"
#include "club/dates.h"
#include "club/holding_term.h"
#include "reports/club_tables.h"
#include "reports/year_records.h"

namespace pellmark::reports {

enum class GainSource {
  Sale,          // a lot sold: bought on buy_date for cost, sold on sell_date for proceeds
  ShortCover,    // a short sale covered: covered on buy_date for cost, sold short on sell_date for proceeds
  Distribution,  // a capital gain distribution of sell_date; no buy date, cost or proceeds
};

struct CapitalGainRow {
  std::string security;  // the security's name
  std::int32_t stkid = 0;
  GainSource source = GainSource::Sale;
  HoldingTermClass term = kShortTerm;
  std::optional<DayNumber> buy_date;  // not for a distribution
  std::optional<double> cost;         // not for a distribution
  DayNumber sell_date = 0;
  std::optional<double> proceeds;     // not for a distribution
  double gain = 0;
  DayNumber date = 0;  // the transaction's own date, whose month the gain falls in
  friend bool operator==(const CapitalGainRow&, const CapitalGainRow&) = default;
};

struct CapitalGains {
  DayNumber date = 0;
  std::vector<CapitalGainRow> rows;  // in store order
  double short_term = 0, medium_term = 0, long_term = 0, total = 0;
  // By holding period (kShortTerm - 1 … kLongTerm - 1), by month, with the year's total.
  std::array<MonthAmounts, 3> by_month{};

  double OfTerm(HoldingTermClass term) const;
  friend bool operator==(const CapitalGains&, const CapitalGains&) = default;
};

// The gains of the security transactions dated from January 1 of the date's
// year through the date, of the securities the store holds. A covered short
// sale counts once, at its cover.
CapitalGains ComputeCapitalGains(ClubSession& club, DayNumber date);
// The same from records of the date's year with the securities read.
CapitalGains ComputeCapitalGains(const YearRecords& records, DayNumber date);

// "Long", "Medium" or "Short".
std::string TermWord(HoldingTermClass term);

}  // namespace pellmark::reports
