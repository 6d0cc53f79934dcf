// The earnings distribution: the year's income, gains and costs up to a date
// divided among the members by the units they held month by month. Members
// paid off during the year take their share of the months up to their payout
// first; the rest goes to the active members holding units in the date's month.
// The year close credits each member's net profit from it, the payoff letter
// shows a member's row and the tax report takes the members' lines from it.
//
//   EarningsDistribution distribution = ComputeEarningsDistribution(club, date);  // throws InvalidCategory
//   if (!distribution.HasUnits()) ...              // "No Distributions are available ..."
//   for (const DistributionRow& row : distribution.members) ... row.memid, row.net ...
//   const DistributionRow* pat = distribution.MemberRow(memid);
//
// Every money figure is in whole cents (rounded half away from zero) as the
// report prints it. A row's net is the sum of its printed figures; the adjusted
// row is the total less the paid-off rows; the members' rows add up to the
// adjusted row (or the total, without payouts): the cents that rounding each
// share leaves over go, one each, to the members whose shares rounding cut the
// most. Only amounts of months in which no member held units stay undivided.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "club/club_session.h"
#include "club/dates.h"
#include "reports/club_tables.h"
#include "reports/year_records.h"

namespace pellmark::reports {

struct DistributionRow {
  // The member of the row; 0 for the total and adjusted rows.
  std::int32_t memid = 0;
  std::string lname, fname;
  bool group = false;  // mtype "G"
  // Units held in the date's month; none for a paid-off row ("x.xxx").
  std::optional<double> units;
  double dividends = 0, interest = 0, short_term = 0, medium_term = 0, long_term = 0;
  // Costs and foreign taxes as amounts spent (the report prints them negated).
  double costs = 0, foreign_taxes = 0;
  // dividends + interest + the three gains − costs − foreign taxes.
  double net = 0;
  // Units credited from earnings in the year; none where the report prints "x.xxx".
  std::optional<double> earned_units;
  // A paid-off row: the payout it stands for.
  std::optional<DayNumber> payout_date;
  std::int32_t duestran = -1;

  // "Last, First"; a group's whole name.
  std::string Name() const { return group ? lname + fname : lname + ", " + fname; }
  friend bool operator==(const DistributionRow&, const DistributionRow&) = default;
};

struct EarningsDistribution {
  DayNumber date = 0;
  // Units all members held in the date's month; 0 means there is nothing to distribute.
  double grand_total_units = 0;
  // The year's foreign taxes are not 0: the report has their column.
  bool foreign_taxes_column = false;
  DistributionRow total;                    // the year's amounts
  std::vector<DistributionRow> paid_off;    // one per payout of the year, in store order
  std::optional<DistributionRow> adjusted;  // the total less the paid-off rows, when there are any
  std::vector<DistributionRow> members;     // active members with units in the date's month, in store order

  bool HasUnits() const { return grand_total_units != 0; }
  // The member's row among `members`; nullptr when the member has none.
  const DistributionRow* MemberRow(std::int32_t memid) const;
  friend bool operator==(const EarningsDistribution&, const EarningsDistribution&) = default;
};

// The distribution of the year of `date` (January 1 through `date`). Throws
// InvalidCategory (reports/club_tables.h) when an account transaction of the
// year names a category the store does not have.
EarningsDistribution ComputeEarningsDistribution(ClubSession& club, DayNumber date);
// The same from records of the date's year with every store read: the payoff
// letters and the tax figures divide the year at several dates from one reading.
EarningsDistribution ComputeEarningsDistribution(const YearRecords& records, DayNumber date);

}  // namespace pellmark::reports
