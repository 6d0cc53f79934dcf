// The figures of the club's charts against figures worked here: the unit
// values of the official valuations, a member's value as units times the unit
// value (and over random members, against units summed here), the holdings by
// value and their total, and the notes that stand in for a chart of one point or none.
#include "reports/chart_series.h"

#include <cmath>
#include <random>
#include <tuple>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "club/money.h"
#include "club/number_format.h"
#include "reports/club_records_fixture.h"
#include "reports/member_fixture.h"
#include "support/property_seed.h"

namespace pellmark::reports::testing {
namespace {

using K = MemberTranKind;

TUnitValueRec Unit(DayNumber date, double value, std::int32_t id) {
  TUnitValueRec unit;
  unit.date = date;
  unit.unitval = value;
  unit.unitid = id;
  return unit;
}

std::vector<std::pair<DayNumber, double>> Points(const ChartSeries& series) {
  std::vector<std::pair<DayNumber, double>> points;
  for (const ChartPoint& p : series.points) points.emplace_back(p.date, p.value);
  return points;
}

TEST(ChartSeriesTest, UnitValueAtEachOfficialValuationTheRecalculatedOneOnce) {
  // The valuation of 2/28 was made again: the later record of that date holds.
  const std::vector<TUnitValueRec> official = OfficialUnitValues(
      {Unit(Day(2025, 1, 31), 10.0, 1), Unit(Day(2025, 2, 28), 10.25, 2), Unit(Day(2025, 2, 28), 10.4, 3),
       Unit(Day(2025, 3, 31), 9.875, 4)});
  const ChartSeries series = UnitValueSeries(official);
  EXPECT_EQ(series.title, "Unit Value at Each Official Valuation");
  EXPECT_THAT(Points(series), ::testing::ElementsAre(std::pair{Day(2025, 1, 31), 10.0},
                                                     std::pair{Day(2025, 2, 28), 10.4},
                                                     std::pair{Day(2025, 3, 31), 9.875}));
  EXPECT_EQ(series.note, "");
}

TEST(ChartSeriesTest, ALineOfOnePointOrNoneSaysSoInWords) {
  EXPECT_EQ(UnitValueSeries({}).note, "No official valuation is on record yet: the unit value chart needs two.");
  EXPECT_EQ(UnitValueSeries({Unit(Day(2026, 3, 31), 12.5, 1)}).note,
            "Only one official valuation is on record (03/31/2026, $12.50): the unit value chart needs two.");

  BookMember late = Person("Bea", "Jones", {Tran(K::Payment, Day(2026, 4, 2), 250, 12.5)});
  late.record.tunits = 20;
  EXPECT_EQ(MemberValueSeries(late, {Unit(Day(2026, 3, 31), 12.5, 1)}).series.note,
            "Bea Jones held no units at any official valuation: the chart needs two.");
  EXPECT_EQ(
      MemberValueSeries(late, {Unit(Day(2026, 3, 31), 12.5, 1), Unit(Day(2026, 4, 30), 13.125, 2)}).series.note,
      "Bea Jones held units at only one official valuation (04/30/2026, $262.50): the chart needs two.");
  EXPECT_EQ(HoldingsByValue({}).note, "The club holds no securities: there are no holdings to chart.");
}

TEST(ChartSeriesTest, AMembersValueIsItsUnitsThenTimesTheUnitValue) {
  // 100 units on 1/15, 50 more on 3/10, 30 paid out on 4/15.
  BookMember ann = Person("Ann", "Smith",
                          {Tran(K::Payment, Day(2025, 1, 15), 1000, 10), Tran(K::Payment, Day(2025, 3, 10), 550, 11),
                           Tran(K::Payout, Day(2025, 4, 15), 360, 12)});
  ann.record.tunits = 120;
  const MemberSeries member = MemberValueSeries(
      ann, {Unit(Day(2024, 12, 31), 10, 1), Unit(Day(2025, 2, 28), 10.5, 2), Unit(Day(2025, 3, 31), 11.25, 3),
            Unit(Day(2025, 4, 30), 12.345, 4)});
  EXPECT_EQ(member.name, "Ann Smith");
  EXPECT_EQ(member.listing_name, "Smith, Ann");
  EXPECT_EQ(member.series.title, "Value of Ann Smith's Units");
  // Before 1/15 she held nothing: no point. 120 × 12.345 = 1481.40.
  EXPECT_THAT(Points(member.series), ::testing::ElementsAre(std::pair{Day(2025, 2, 28), 1050.0},
                                                            std::pair{Day(2025, 3, 31), 1687.5},
                                                            std::pair{Day(2025, 4, 30), 1481.4}));
}

TEST(ChartSeriesTest, MembersValuesAgainstUnitsSummedHereOverRandomMembers) {
  const unsigned seed = pellmark::testing::PropertySeed();
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> day(0, 700), cents(1000, 50000), kind(0, 3);
  std::uniform_real_distribution<double> price(5, 30);
  for (int round = 0; round < 50; ++round) {
    std::vector<TUnitValueRec> units;
    for (int v = 0; v < 12; ++v) units.push_back(Unit(Day(2025, 1, 31) + v * 61, std::round(price(random) * 1000) / 1000, v + 1));
    std::vector<TMemberTranRec> trans;
    for (int t = 0; t < 8; ++t) {
      const K k = kind(random) == 0 ? K::Payout : K::Payment;
      trans.push_back(Tran(k, Day(2025, 1, 1) + day(random), cents(random) / 100.0, std::round(price(random) * 100) / 100));
    }
    std::sort(trans.begin(), trans.end(), [](auto& a, auto& b) { return a.trandate < b.trandate; });
    BookMember member = Person("Cy", "Random", trans);
    for (const TMemberTranRec& t : trans) member.record.tunits += (KindOf(t) == K::Payout ? -1 : 1) * t.dues / t.cunit;
    const MemberSeries series = MemberValueSeries(member, units);
    // The oracle: the units of the transactions dated on or before each valuation.
    std::vector<std::pair<DayNumber, double>> expected;
    for (const TUnitValueRec& unit : units) {
      double held = 0;
      for (const TMemberTranRec& t : trans) {
        if (t.trandate <= unit.date) held += (KindOf(t) == K::Payout ? -1 : 1) * t.dues / t.cunit;
      }
      if (expected.empty() && std::fabs(held) < 0.005) continue;
      expected.emplace_back(unit.date, RoundCents(held * unit.unitval));
    }
    const auto got = Points(series.series);
    ASSERT_EQ(got.size(), expected.size()) << "seed " << seed << " round " << round;
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].first, expected[i].first) << "seed " << seed << " round " << round;
      EXPECT_NEAR(got[i].second, expected[i].second, 0.0100001) << "seed " << seed << " round " << round << " point " << i;
    }
  }
}

TEST(ChartSeriesTest, HoldingsByValueLargestFirstSummingToTheTotal) {
  auto security = [](const char* name, double shares, double price) {
    TSecurityRec s;
    std::tie(s.name, s.sharest, s.pricec) = std::tuple(name, shares, price);
    return s;
  };
  const HoldingsChart chart = HoldingsByValue({security("Acme Tools", 10, 12.3456), security("Sold Out", 0, 40),
                                               security("Birch Bank", 100, 5.5), security("Cove Mills", 3, 33.333)});
  std::vector<std::string> slices;
  for (const HoldingSlice& slice : chart.slices) slices.push_back(slice.name + "=" + FormatFixed(slice.value, 2));
  EXPECT_THAT(slices, ::testing::ElementsAre("Birch Bank=550.00", "Acme Tools=123.46", "Cove Mills=100.00"));
  EXPECT_DOUBLE_EQ(chart.total, 773.46);
  EXPECT_EQ(chart.note, "");
}

TEST(ChartSeriesTest, DollarScalesOfRoundStepsAroundTheFigures) {
  using ::testing::ElementsAre;
  const DollarScale units = ScaleFor(9.5, 13.75);  // a fifth of 4.25 rounds up to 1
  EXPECT_EQ(units.step, 1);
  EXPECT_THAT(units.labels, ElementsAre("$9.00", "$10.00", "$11.00", "$12.00", "$13.00", "$14.00"));
  const DollarScale member = ScaleFor(0, 1481.4);  // a fifth is 296.28: the step 500
  EXPECT_EQ(member.low, 0);
  EXPECT_EQ(member.high, 1500);
  EXPECT_THAT(member.labels, ElementsAre("$0", "$500", "$1,000", "$1,500"));
  const DollarScale one = ScaleFor(25, 25);  // a tenth either side
  EXPECT_THAT(one.labels, ElementsAre("$22.00", "$23.00", "$24.00", "$25.00", "$26.00", "$27.00", "$28.00"));
  const DollarScale short_sale = ScaleFor(-120, 80);
  EXPECT_THAT(short_sale.labels, ElementsAre("($150)", "($100)", "($50)", "$0", "$50", "$100"));
  const DollarScale cents = ScaleFor(10.01, 10.02);  // no step below a cent; figures on a step lie inside
  EXPECT_EQ(cents.step, 0.01);
  EXPECT_THAT(cents.labels, ElementsAre("$10.00", "$10.01", "$10.02", "$10.03"));
  EXPECT_THAT(ScaleFor(8.36, 10).labels, ElementsAre("$8.00", "$8.50", "$9.00", "$9.50", "$10.00", "$10.50"));
}

class ClubChartsTest : public pellmark::testing::ClubRecordsFixture {};

TEST_F(ClubChartsTest, ReadFromTheStoresActiveHoldingsOnlyAndMembersByEitherName) {
  AddUnitValue(10, Day(2026, 1, 31));
  AddUnitValue(11, Day(2026, 2, 28));
  MemberTran(AddMember("Smith", "Ann"), K::Payment, 500, 10, Day(2026, 1, 20));
  AddMember("Gone", "Gil", false);
  for (bool active : {true, false}) {
    TSecurityRec security;
    std::tie(security.name, security.stkid, security.sharest, security.pricec, security.active) =
        std::tuple(active ? "Acme Tools" : "Hidden Holding", active ? 1 : 2, 50.0, 20.0, active);
    club.securities.Put(security);
  }
  const ClubCharts charts = ReadClubCharts(club);
  EXPECT_EQ(charts.club_name, "Elm Street Investors");
  // The set-up's starting unit value, then the two valuations.
  ASSERT_EQ(charts.unit_value.points.size(), 3u);
  EXPECT_EQ(charts.unit_value.points[2].value, 11);
  const MemberSeries* ann = FindMemberSeries(charts, "Ann Smith");
  ASSERT_NE(ann, nullptr);
  EXPECT_EQ(ann, FindMemberSeries(charts, "Smith, Ann"));
  EXPECT_THAT(Points(ann->series), ::testing::ElementsAre(std::pair{Day(2026, 1, 31), 500.0},
                                                          std::pair{Day(2026, 2, 28), 550.0}));
  EXPECT_FALSE(FindMemberSeries(charts, "Gil Gone")->active);
  EXPECT_EQ(FindMemberSeries(charts, "Nobody"), nullptr);
  ASSERT_EQ(charts.holdings.slices.size(), 1u);  // not the hidden one
  EXPECT_DOUBLE_EQ(charts.holdings.total, 1000.0);
}

}  // namespace
}  // namespace pellmark::reports::testing
