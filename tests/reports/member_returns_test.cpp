#include "reports/member_returns.h"

#include <cmath>
#include <random>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "reports/member_fixture.h"
#include "reports/printer_fixture.h"
#include "support/property_seed.h"
#include "support/scripted_interaction.h"

namespace pellmark::reports::testing {
namespace {

using ::testing::ElementsAre;
using K = MemberTranKind;

double PresentValueAt(const std::vector<CashFlow>& flows, double rate) {
  double sum = 0;
  for (const CashFlow& f : flows) sum += f.amount / std::pow(1 + rate, (f.date - flows.front().date) / 365);
  return sum;
}

TEST(RateOfReturnTest, OneDepositGrowingTenPercentInAYear) {
  // $1,000 in on January 1, worth $1,100 at the end of December 31.
  std::optional<double> rate =
      RateOfReturn({{Day(2026, 1, 1), -1000}, {Day(2026, 12, 31) + 1, 1100}});
  ASSERT_TRUE(rate);
  EXPECT_NEAR(*rate, 0.10, 1e-12);
}

TEST(RateOfReturnTest, TwoDepositsSolveTheCashFlowSum) {
  const std::vector<CashFlow> flows = {{Day(2025, 1, 1), -1000}, {Day(2025, 7, 1), -1000}, {Day(2026, 1, 1), 2300}};
  std::optional<double> rate = RateOfReturn(flows);
  ASSERT_TRUE(rate);
  // Between the simple gain on the whole (15%) and on the time-weighted capital
  // (300 ÷ 1 504 dollar-years, 19.9%).
  EXPECT_GT(*rate, 0.15);
  EXPECT_LT(*rate, 0.21);
  EXPECT_NEAR(PresentValueAt(flows, *rate), 0, 1e-7);
}

TEST(RateOfReturnTest, SolvesRandomHistoriesToAZeroSum) {
  const unsigned seed = pellmark::testing::PropertySeed();
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> days(0, 7000), count(1, 30);
  std::uniform_real_distribution<double> amount(10, 500), growth(0.3, 3);
  for (int round = 0; round < 200; ++round) {
    std::vector<CashFlow> flows;
    double paid = 0;
    const DayNumber start = Day(2000, 1, 1);
    for (int n = count(random); n > 0; --n) {
      flows.push_back({start + days(random), -amount(random)});
      paid -= flows.back().amount;
    }
    std::sort(flows.begin(), flows.end(), [](const CashFlow& a, const CashFlow& b) { return a.date < b.date; });
    flows.push_back({start + 7001, paid * growth(random)});
    std::optional<double> rate = RateOfReturn(flows);
    ASSERT_TRUE(rate) << "seed " << seed << " round " << round;
    EXPECT_NEAR(PresentValueAt(flows, *rate) / paid, 0, 1e-9) << "seed " << seed << " round " << round;
  }
}

TEST(RateOfReturnTest, NoRateWithoutFlowsOrWithFlowsOfOneSign) {
  EXPECT_FALSE(RateOfReturn({}));
  EXPECT_FALSE(RateOfReturn({{Day(2026, 1, 1), -100}, {Day(2026, 2, 1), -100}}));
}

std::vector<TUnitValueRec> Units(std::vector<std::pair<DayNumber, double>> values) {
  std::vector<TUnitValueRec> units;
  for (auto [date, value] : values) {
    TUnitValueRec unit;
    unit.date = date;
    unit.unitval = value;
    units.push_back(unit);
  }
  return units;
}

TEST(MemberReturnsTest, AMembersFlowsValueAndReturn) {
  // 100 units bought at $10 on January 1; the unit value is $11 on December 31.
  BookMember ann = Person("Ann", "Smith", {Tran(K::Payment, Day(2025, 1, 1), 1000, 10)});
  ann.record.tunits = 100;
  const MemberReturns returns =
      ComputeMemberReturns({ann}, Units({{Day(2024, 12, 31), 10}, {Day(2025, 12, 31), 11}}), Day(2025, 12, 31));
  ASSERT_EQ(returns.members.size(), 1u);
  const MemberReturn& m = returns.members[0];
  EXPECT_DOUBLE_EQ(m.paid_in, 1000);
  EXPECT_DOUBLE_EQ(m.value, 1100);
  EXPECT_DOUBLE_EQ(m.gain, 100);
  EXPECT_TRUE(m.annualised);
  ASSERT_TRUE(m.rate);
  EXPECT_NEAR(*m.rate, 0.10, 1e-12);
  EXPECT_THAT(MemberReturnRows(returns), ElementsAre("@Ann Smith|1000.00|0.00|1100.00|100.00|10.00| ",
                                                     "Total|1000.00|0.00|1100.00|100.00| | "));
}

TEST(MemberReturnsTest, LessThanAYearIsTheReturnOfThePeriodItself) {
  // In on July 1, half a year before the end of December 31: 5% for the period, not annualised.
  BookMember bob = Person("Bob", "Jones", {Tran(K::Payment, Day(2025, 7, 1), 1000, 10), Tran(K::Fee, Day(2025, 7, 1), 0, 0)});
  bob.record.tunits = 100;
  const MemberReturns returns =
      ComputeMemberReturns({bob}, Units({{Day(2025, 6, 30), 10}, {Day(2025, 12, 31), 10.5}}), Day(2025, 12, 31));
  const MemberReturn& m = returns.members.at(0);
  EXPECT_FALSE(m.annualised);
  ASSERT_TRUE(m.rate);
  EXPECT_NEAR(*m.rate, 0.05, 1e-12);
  EXPECT_EQ(RateCells(m.rate, m.annualised), "5.00|*");
}

TEST(MemberReturnsTest, PayoutsLessTheirFeesComeBackAndLaterFlowsAreLeftOut) {
  // Paid 1 000 in; half the units paid out a year later for 600 less a 10 fee;
  // the other half worth 650 a year after that.
  BookMember cy = Person("Cy", "Old",
                         {Tran(K::Payment, Day(2024, 1, 1), 1000, 10), Tran(K::Payout, Day(2025, 1, 1), 600, 12, 10),
                          Tran(K::Payment, Day(2026, 3, 1), 500, 13)});
  cy.record.tunits = 100 - 50 + 500.0 / 13;
  const MemberReturns returns = ComputeMemberReturns(
      {cy}, Units({{Day(2023, 12, 31), 10}, {Day(2024, 12, 31), 12}, {Day(2025, 12, 31), 13}}), Day(2025, 12, 31));
  const MemberReturn& m = returns.members.at(0);
  EXPECT_DOUBLE_EQ(m.paid_in, 1000);
  EXPECT_DOUBLE_EQ(m.paid_out, 590);
  EXPECT_DOUBLE_EQ(m.value, 650);
  EXPECT_DOUBLE_EQ(m.gain, 240);
  ASSERT_TRUE(m.rate);
  const std::vector<CashFlow> flows = {{Day(2024, 1, 1), -1000}, {Day(2025, 1, 1), 590}, {Day(2026, 1, 1), 650}};
  EXPECT_NEAR(PresentValueAt(flows, *m.rate), 0, 1e-7);
}

TEST(MemberReturnsTest, AMemberWithoutFlowsHasNoRate) {
  const MemberReturns returns =
      ComputeMemberReturns({Person("Di", "New", {}), Person("Ed", "Gone", {}, false)}, Units({{Day(2025, 1, 1), 10}}),
                           Day(2025, 12, 31));
  ASSERT_EQ(returns.members.size(), 1u);  // the hidden member without flows is left out
  EXPECT_FALSE(returns.members[0].rate);
  EXPECT_EQ(MemberReturnRows(returns)[0], "@Di New|0.00|0.00|0.00|0.00|n/a| ");
}

TEST(MemberReturnsTest, ClubReturnsFromTheUnitValuesInForce) {
  // Unit values at each year end: 10 in 2014, 20 in 2021, 25 in 2023, 30 in 2024.
  const auto units = Units({{Day(2014, 12, 31), 10}, {Day(2021, 12, 31), 20}, {Day(2023, 6, 30), 25},
                            {Day(2024, 12, 31), 30}});
  const MemberReturns returns = ComputeMemberReturns({}, units, Day(2025, 6, 30));
  ASSERT_EQ(returns.club.size(), 5u);
  // 1 year: 06/30/2024, in force 25 → 30.
  EXPECT_EQ(returns.club[0].from, Day(2024, 6, 30));
  EXPECT_NEAR(*returns.club[0].rate, 0.2, 1e-12);
  // 3 years: 06/30/2022, in force 20 → 30, annualised.
  EXPECT_NEAR(*returns.club[1].rate, std::pow(1.5, 1.0 / 3) - 1, 1e-12);
  // 5 years: 06/30/2020, in force 10 → 30.
  EXPECT_NEAR(*returns.club[2].rate, std::pow(3.0, 1.0 / 5) - 1, 1e-12);
  // 10 years: 06/30/2015, in force 10.
  EXPECT_NEAR(*returns.club[3].rate, std::pow(3.0, 1.0 / 10) - 1, 1e-12);
  // Since the first unit value, over its days.
  EXPECT_EQ(returns.club[4].from, Day(2014, 12, 31));
  EXPECT_NEAR(*returns.club[4].rate, std::pow(3.0, 365 / (Day(2025, 6, 30) - Day(2014, 12, 31))) - 1, 1e-12);
  EXPECT_THAT(ClubReturnRows(returns)[0], "1 Year|06/30/2024|$25.00|20.00| ");
}

TEST(MemberReturnsTest, AShortHistoryHasNoLongPeriods) {
  const MemberReturns returns =
      ComputeMemberReturns({}, Units({{Day(2025, 1, 1), 10}, {Day(2025, 6, 1), 11}}), Day(2025, 6, 30));
  EXPECT_THAT(ClubReturnRows(returns),
              ElementsAre("1 Year| | |n/a| ", "3 Years| | |n/a| ", "5 Years| | |n/a| ", "10 Years| | |n/a| ",
                          "Since Start|01/01/2025|$10.00|10.00|*"));
}

class MemberReturnsLayoutTest : public PrinterTest {};

TEST_F(MemberReturnsLayoutTest, StatesItsMethodInOneSentenceAtTheFoot) {
  BookMember ann = Person("Ann", "Smith", {Tran(K::Payment, Day(2025, 1, 1), 1000, 10)});
  ann.record.tunits = 100;
  MemberReturnsReport report("Club", ComputeMemberReturns({ann}, Units({{Day(2025, 1, 1), 10}}), Day(2025, 12, 31)));
  pellmark::testing::ScriptedInteraction ui;
  printer_.SetWordWrap(false);
  ASSERT_TRUE(GenerateReport(report, printer_, ui));
  std::string all;
  for (const Drawn& d : Texts()) all += d.text + " ";
  EXPECT_THAT(all, ::testing::HasSubstr("Member Returns as of 12/31/2025."));
  EXPECT_THAT(all, ::testing::HasSubstr("Method: a member's return is money-weighted"));
  EXPECT_THAT(all, ::testing::HasSubstr("ends of each period, annualised."));  // wrapped, never cut
  EXPECT_FALSE(printer_.WordWrap());
  const std::string method = ReturnsMethod(Day(2025, 12, 31));
  EXPECT_EQ(std::count(method.begin(), method.end(), '.'), 1 + 0) << "one sentence, one full stop";
}

TEST_F(MemberReturnsLayoutTest, ALossPrintsWithItsMinusInRed) {
  BookMember ann = Person("Ann", "Smith", {Tran(K::Payment, Day(2025, 1, 1), 1000, 10)});
  ann.record.tunits = 100;
  MemberReturnsReport report("Club", ComputeMemberReturns({ann}, Units({{Day(2025, 1, 1), 10}, {Day(2025, 12, 1), 9}}),
                                                          Day(2025, 12, 31)));
  pellmark::testing::ScriptedInteraction ui;
  ASSERT_TRUE(GenerateReport(report, printer_, ui));
  int red = 0;
  for (const Drawn& d : Texts()) {
    if (d.text == "-10.00" || d.text == "-100.00") {
      EXPECT_EQ(d.color, kRed) << d.text;
      ++red;
    }
  }
  EXPECT_EQ(red, 4);  // the member's gain and return, the total gain, the club's year
}

}  // namespace
}  // namespace pellmark::reports::testing
