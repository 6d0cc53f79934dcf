// The figures of the club's charts, computed from its stores and free of any
// drawing: the unit value at every official valuation, a member's value at
// each of them (its units then times the unit value), and the club's holdings
// by value. The Qt side (qtpage/club_charts.h) only draws what it is given.
//
//   ClubCharts charts = ReadClubCharts(club);
//   charts.unit_value.points      -> one point per official valuation, date order
//   charts.members[0].note        -> "" when the chart can be drawn, else why not
#pragma once

#include <string>
#include <vector>

#include "club/club_session.h"
#include "club/dates.h"
#include "club/records.h"
#include "reports/member_book.h"

namespace pellmark::reports {

struct ChartPoint {
  DayNumber date = 0;
  double value = 0;  // dollars
};

// A line over time. A line needs two points: with fewer, `note` says so in
// words and is what is shown instead of the chart; it is empty otherwise.
struct ChartSeries {
  std::string title;
  std::vector<ChartPoint> points;
  std::string note;
};

struct MemberSeries {
  std::string name;          // "First Last", or the group's name
  std::string listing_name;  // "Last, First", as the member lists show it
  bool active = true;
  ChartSeries series;
};

struct HoldingSlice {
  std::string name;
  double value = 0;  // in cents: shares times the current price
};

// The active securities the club holds, the largest value first; `total` is
// the sum of the slices. `note` is set when the club holds none.
struct HoldingsChart {
  std::string title;
  std::vector<HoldingSlice> slices;
  double total = 0;
  std::string note;
};

struct ClubCharts {
  std::string club_name;
  ChartSeries unit_value;
  std::vector<MemberSeries> members;  // the member book's order: active first, then hidden
  HoldingsChart holdings;
};

// The unit values as charted: one per valuation date in date order; of
// several records of one date (a recalculation), the last in key order.
// `units` are the unit value records in key order.
std::vector<TUnitValueRec> OfficialUnitValues(const std::vector<TUnitValueRec>& units);

ChartSeries UnitValueSeries(const std::vector<TUnitValueRec>& official);

// The member's units at the end of each valuation date times that unit value,
// rounded to cents; the valuations before the member first held units are left out.
MemberSeries MemberValueSeries(const BookMember& member, const std::vector<TUnitValueRec>& official);

HoldingsChart HoldingsByValue(const std::vector<TSecurityRec>& active_securities);

ClubCharts ReadClubCharts(ClubSession& club);

// A dollar axis over figures from `low` to `high`: from a whole number of
// steps below to one above, the step 1, 2, 2.5 or 5 times a power of ten and
// about a fifth of the spread; a figure other than zero lies inside the ends,
// and an axis of figures at or above zero starts at zero or above. A label per step: "$1,500", or with cents ("$9.50") where
// the step or the figures are small.
struct DollarScale {
  double low = 0, high = 0, step = 0;
  std::vector<std::string> labels;  // low, low + step, ... high
};
DollarScale ScaleFor(double low, double high);

// The member the name stands for, by its listing name ("Smith, Ann") or its
// name ("Ann Smith"); nullptr when none has it.
const MemberSeries* FindMemberSeries(const ClubCharts& charts, const std::string& name);

}  // namespace pellmark::reports
