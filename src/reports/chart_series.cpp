#include "reports/chart_series.h"

#include <algorithm>
#include <cmath>

#include "club/keys.h"
#include "club/money.h"
#include "club/number_format.h"
#include "members/member_posting.h"

namespace pellmark::reports {
namespace {

// The member ledger clears units within this of zero: a member holding less holds none.
constexpr double kNoUnits = 0.005;

std::string OnePointText(const ChartPoint& point) {
  return FormatDate(point.date) + ", " + FormatMoney(point.value);
}

}  // namespace

std::vector<TUnitValueRec> OfficialUnitValues(const std::vector<TUnitValueRec>& units) {
  std::vector<TUnitValueRec> official;
  for (const TUnitValueRec& unit : units) {
    if (!official.empty() && official.back().date == unit.date) {
      official.back() = unit;
    } else {
      official.push_back(unit);
    }
  }
  // Key order is date order; a store sorted under another collation is not trusted to be.
  std::stable_sort(official.begin(), official.end(),
                   [](const TUnitValueRec& a, const TUnitValueRec& b) { return a.date < b.date; });
  return official;
}

ChartSeries UnitValueSeries(const std::vector<TUnitValueRec>& official) {
  ChartSeries series{"Unit Value at Each Official Valuation", {}, {}};
  for (const TUnitValueRec& unit : official) series.points.push_back({unit.date, unit.unitval});
  if (series.points.empty()) {
    series.note = "No official valuation is on record yet: the unit value chart needs two.";
  } else if (series.points.size() == 1) {
    series.note = "Only one official valuation is on record (" + OnePointText(series.points.front()) +
                  "): the unit value chart needs two.";
  }
  return series;
}

MemberSeries MemberValueSeries(const BookMember& member, const std::vector<TUnitValueRec>& official) {
  MemberSeries result{ledger::DisplayName(member.record), MemberName(member.record), member.record.active, {}};
  result.series.title = "Value of " + result.name + "'s Units";
  for (const TUnitValueRec& unit : official) {
    const double units = ledger::MemberAsOf(member.record, member.transactions, unit.date).tunits;
    if (result.series.points.empty() && std::fabs(units) < kNoUnits) continue;
    result.series.points.push_back({unit.date, RoundCents(units * unit.unitval)});
  }
  if (result.series.points.empty()) {
    result.series.note = result.name + " held no units at any official valuation: the chart needs two.";
  } else if (result.series.points.size() == 1) {
    result.series.note = result.name + " held units at only one official valuation (" +
                         OnePointText(result.series.points.front()) + "): the chart needs two.";
  }
  return result;
}

HoldingsChart HoldingsByValue(const std::vector<TSecurityRec>& active_securities) {
  HoldingsChart chart{"Holdings by Value", {}, 0, {}};
  for (const TSecurityRec& security : active_securities) {
    if (security.sharest == 0) continue;
    chart.slices.push_back({security.name, RoundCents(security.sharest * security.pricec)});
  }
  std::stable_sort(chart.slices.begin(), chart.slices.end(),
                   [](const HoldingSlice& a, const HoldingSlice& b) { return a.value > b.value; });
  for (const HoldingSlice& slice : chart.slices) chart.total += slice.value;
  chart.total = RoundCents(chart.total);
  if (chart.slices.empty()) chart.note = "The club holds no securities: there are no holdings to chart.";
  return chart;
}

ClubCharts ReadClubCharts(ClubSession& club) {
  ClubCharts charts;
  charts.club_name = club.Info().club;
  const std::vector<TUnitValueRec> official = OfficialUnitValues(club.unitfile.Select());
  charts.unit_value = UnitValueSeries(official);
  for (const BookMember& member : ReadMemberBook(club)) charts.members.push_back(MemberValueSeries(member, official));
  charts.holdings = HoldingsByValue(club.securities.Select(kActiveFilter));
  return charts;
}

DollarScale ScaleFor(double low, double high) {
  if (high < low) std::swap(low, high);
  if (high == low) {
    // One figure: a step of about a tenth of it, at least a cent.
    const double around = std::max(std::fabs(high) * 0.1, 0.01);
    low -= around;
    high += around;
    if (low < 0 && high - around >= 0) low = 0;
  }
  const double raw = (high - low) / 5;
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  double step = 10 * magnitude;
  for (double multiple : {1.0, 2.0, 2.5, 5.0}) {
    if (multiple * magnitude >= raw * (1 - 1e-9)) {
      step = multiple * magnitude;
      break;
    }
  }
  step = std::max(step, 0.01);  // no finer than the cents the labels show
  DollarScale scale;
  scale.step = step;
  // Figures a hair past a step (binary fractions) stay on it; a figure on the
  // end step gets one more, so its marker is not cut by the edge (zero is the edge).
  long first = static_cast<long>(std::floor(low / step + 1e-9));
  long last = static_cast<long>(std::ceil(high / step - 1e-9));
  if (low != 0 && std::fabs(low - first * step) < step * 1e-9) --first;
  if (high != 0 && std::fabs(high - last * step) < step * 1e-9) ++last;
  scale.low = first * step;
  scale.high = last * step;
  const bool cents = step < 1 || std::fmod(step, 1.0) != 0 || std::max(std::fabs(scale.low), std::fabs(scale.high)) < 100;
  for (long k = first; k <= last; ++k) {
    std::string label = FormatMoney(RoundCents(k * step));
    if (!cents) label.erase(label.find('.'), 3);
    scale.labels.push_back(std::move(label));
  }
  return scale;
}

const MemberSeries* FindMemberSeries(const ClubCharts& charts, const std::string& name) {
  for (const MemberSeries& member : charts.members) {
    if (member.listing_name == name || member.name == name) return &member;
  }
  return nullptr;
}

}  // namespace pellmark::reports
