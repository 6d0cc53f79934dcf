// The earnings distribution, every figure worked out by hand from the units the
// members held month by month.
#include "reports/earnings_distribution.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "reports/club_records_fixture.h"
#include "reports/club_reports.h"
#include "reports/club_tables.h"
#include "reports/laid_out_text.h"

namespace pellmark::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using reports::DistributionCells;
using reports::DistributionRow;
using reports::EarningsDistribution;

class EarningsDistributionTest : public ClubRecordsFixture {
 protected:
  void SetUp() override {
    ClubRecordsFixture::SetUp();
    cash = FindAccount(1).actid;
  }
  std::vector<std::string> Cells(const DistributionRow& row, bool taxes = false) {
    return DistributionCells(row, taxes);
  }
  std::int32_t cash = 0;
};

// Ann and Bob hold 100 units each from the year before (bought in June and in
// March 2025: both count from January). Bob is paid off in April; Cy joins in
// July with 200 units. Dividends: 120 in January, 60 in May, 90 in August;
// interest 12 in March and 12 in September; costs 30 in February; a short-term
// gain of 40 in June.
//   units        Jan–Mar  Apr–Jun  Jul–Dec
//   Ann             100      100      100
//   Bob             100        0        0
//   Cy                0        0      200
// Bob takes half of January, February and March: dividends 60, interest 6,
// costs 15, net 51. What is left goes to Ann alone until June and a third to
// Ann, two thirds to Cy from July: Ann 60 + 60 + 30 dividends, 6 + 4 interest,
// the whole gain 40, costs 15; Cy 60 dividends and 8 interest.
TEST_F(EarningsDistributionTest, AMemberJoiningMidYearAndAPayoffInTheMiddleWorkedByHand) {
  const auto ann = AddMember("Smith", "Ann");
  const auto bob = AddMember("Jones", "Bob");
  const auto cy = AddMember("Lee", "Cy");
  MemberTran(ann, MemberTranKind::Payment, 1000, 10, Day(2025, 6, 1));
  MemberTran(bob, MemberTranKind::Payment, 1000, 10, Day(2025, 3, 1));
  MemberTran(bob, MemberTranKind::Payout, 1100, 11, Day(2026, 4, 15));
  MemberTran(cy, MemberTranKind::Payment, 2000, 10, Day(2026, 7, 10));
  AccountTran(cash, AccountTranKind::Deposit, 120, PredefinedCategory::DividendIncome, Day(2026, 1, 20));
  AccountTran(cash, AccountTranKind::Check, 30, PredefinedCategory::OperatingExpenses, Day(2026, 2, 3));
  AccountTran(cash, AccountTranKind::Interest, 12, PredefinedCategory::InterestIncome, Day(2026, 3, 31));
  AccountTran(cash, AccountTranKind::Deposit, 60, PredefinedCategory::DividendIncome, Day(2026, 5, 20));
  AccountTran(cash, AccountTranKind::Deposit, 90, PredefinedCategory::DividendIncome, Day(2026, 8, 20));
  AccountTran(cash, AccountTranKind::Interest, 12, PredefinedCategory::InterestIncome, Day(2026, 9, 30));
  // Not taxable, not distributed.
  AccountTran(cash, AccountTranKind::Check, 7, PredefinedCategory::NonDeductibleExpenses, Day(2026, 9, 30));
  const auto acme = AddSecurity("Acme");
  const auto lot = SecurityTran(acme, SecurityTranKind::Purchase, 200, 20, 0, Day(2026, 1, 5));
  SecurityTran(acme, SecurityTranKind::Sale, 240, 24, 0, Day(2026, 6, 15), lot);
  MarkSold(acme, lot);

  const EarningsDistribution d = reports::ComputeEarningsDistribution(club, Day(2026, 12, 31));
  EXPECT_THAT(Cells(d.total),
              ElementsAre("300.000", "270.00", "24.00", "40.00", "0.00", "0.00", "-30.00", "304.00", "x.xxx"));
  ASSERT_EQ(d.paid_off.size(), 1u);
  EXPECT_EQ(d.paid_off[0].Name(), "Jones, Bob");
  EXPECT_EQ(d.paid_off[0].payout_date, Day(2026, 4, 15));
  EXPECT_THAT(Cells(d.paid_off[0]),
              ElementsAre("x.xxx", "60.00", "6.00", "0.00", "0.00", "0.00", "-15.00", "51.00", "x.xxx"));
  ASSERT_TRUE(d.adjusted);
  EXPECT_THAT(Cells(*d.adjusted),
              ElementsAre("300.000", "210.00", "18.00", "40.00", "0.00", "0.00", "-15.00", "253.00", "x.xxx"));
  ASSERT_EQ(d.members.size(), 2u);
  EXPECT_EQ(d.members[0].Name(), "Lee, Cy");  // store order: by name
  EXPECT_THAT(Cells(d.members[0]),
              ElementsAre("200.000", "60.00", "8.00", "0.00", "0.00", "0.00", "0.00", "68.00", "x.xxx"));
  EXPECT_EQ(d.members[1].Name(), "Smith, Ann");
  EXPECT_THAT(Cells(d.members[1]),
              ElementsAre("100.000", "150.00", "10.00", "40.00", "0.00", "0.00", "-15.00", "185.00", "x.xxx"));
  EXPECT_EQ(d.MemberRow(ann), &d.members[1]);
  EXPECT_EQ(d.MemberRow(bob), nullptr);

  // The layout: the paid-off member starred, the adjusted row, the note.
  reports::EarningsDistributionReport report(d, "Elm Street Investors");
  const std::string text = LaidOutText(report);
  EXPECT_THAT(text, HasSubstr("Club Earnings Distribution as of 12/31/2026.\r\n"));
  EXPECT_THAT(text, HasSubstr("*Jones,Bob"));
  EXPECT_THAT(text, HasSubstr("ADJUSTED"));
  EXPECT_THAT(text, HasSubstr("* Indicates a paid off member\r\n"));
}

TEST_F(EarningsDistributionTest, UnitsBoughtInAnEarlierYearCountFromJanuaryNotFromTheirMonthNumber) {
  // Ann's units of November 2025 and Bob's of February 2026 share January's
  // dividend: Ann's count from January, Bob's only from February.
  const auto ann = AddMember("Smith", "Ann");
  const auto bob = AddMember("Jones", "Bob");
  MemberTran(ann, MemberTranKind::Payment, 100, 10, Day(2025, 11, 1));
  MemberTran(bob, MemberTranKind::Payment, 100, 10, Day(2026, 2, 1));
  AccountTran(cash, AccountTranKind::Deposit, 50, PredefinedCategory::DividendIncome, Day(2026, 1, 20));
  AccountTran(cash, AccountTranKind::Deposit, 50, PredefinedCategory::DividendIncome, Day(2026, 12, 20));
  const EarningsDistribution d = reports::ComputeEarningsDistribution(club, Day(2026, 12, 31));
  ASSERT_EQ(d.members.size(), 2u);
  EXPECT_EQ(d.members[0].Name(), "Jones, Bob");
  EXPECT_EQ(d.members[0].dividends, 25);
  EXPECT_EQ(d.members[1].dividends, 75);
}

TEST_F(EarningsDistributionTest, TheCentsRoundingLeavesGoToTheSharesItCutMostSoTheRowsAddUpToTheTotal) {
  // Three equal holders of 100.00: 33.333… each rounds to 33.33 and one cent
  // is left; all were cut alike, so it goes to the first row.
  for (const char* last : {"Avery", "Brook", "Crane"}) {
    MemberTran(AddMember(last, "Pat"), MemberTranKind::Payment, 100, 10, Day(2026, 1, 2));
  }
  AccountTran(cash, AccountTranKind::Deposit, 100, PredefinedCategory::DividendIncome, Day(2026, 3, 2));
  // Costs of 0.05 among three: 0.0166… rounds to 0.02 three times, one cent too many.
  AccountTran(cash, AccountTranKind::Check, 0.05, PredefinedCategory::OperatingExpenses, Day(2026, 3, 2));
  const EarningsDistribution d = reports::ComputeEarningsDistribution(club, Day(2026, 6, 30));
  ASSERT_EQ(d.members.size(), 3u);
  EXPECT_EQ(d.members[0].dividends, 33.34);
  EXPECT_EQ(d.members[1].dividends, 33.33);
  EXPECT_EQ(d.members[2].dividends, 33.33);
  EXPECT_EQ(d.members[0].costs, 0.01);
  EXPECT_EQ(d.members[1].costs, 0.02);
  EXPECT_EQ(d.members[2].costs, 0.02);
  EXPECT_EQ(d.members[0].net, 33.33);
  EXPECT_EQ(d.total.net, 99.95);
}

TEST_F(EarningsDistributionTest, NoUnitsInTheReportMonthPrintsOnlyTheHeadingAndTheNotice) {
  const auto ann = AddMember("Smith", "Ann");
  MemberTran(ann, MemberTranKind::Payment, 100, 10, Day(2026, 1, 2));
  MemberTran(ann, MemberTranKind::Payout, 100, 10, Day(2026, 3, 2));
  AccountTran(cash, AccountTranKind::Deposit, 10, PredefinedCategory::DividendIncome, Day(2026, 2, 2));
  const EarningsDistribution d = reports::ComputeEarningsDistribution(club, Day(2026, 6, 30));
  EXPECT_FALSE(d.HasUnits());
  EXPECT_TRUE(d.members.empty());
  EXPECT_TRUE(d.paid_off.empty());
  reports::EarningsDistributionReport report(d, "Elm Street Investors");
  EXPECT_EQ(LaidOutText(report),
            "Elm Street Investors\r\n \r\n \r\nClub Earnings Distribution as of 06/30/2026.\r\n"
            "No Distributions are available for the report date.\r\n");
}

TEST_F(EarningsDistributionTest, EarnedUnitsShowXxxWithoutCreditsAndTheCreditedUnitsWithThem) {
  const auto ann = AddMember("Smith", "Ann");
  const auto bob = AddMember("Jones", "Bob");
  MemberTran(ann, MemberTranKind::Payment, 100, 10, Day(2026, 1, 2));
  MemberTran(bob, MemberTranKind::Payment, 100, 10, Day(2026, 1, 2));
  AccountTran(cash, AccountTranKind::Deposit, 10, PredefinedCategory::DividendIncome, Day(2026, 2, 2));
  EarningsDistribution d = reports::ComputeEarningsDistribution(club, Day(2026, 12, 31));
  EXPECT_EQ(Cells(d.total).back(), "x.xxx");
  for (const DistributionRow& row : d.members) EXPECT_EQ(Cells(row).back(), "x.xxx");

  // The year close credits Ann 0.5 units from earnings; Bob has none.
  MemberTran(ann, MemberTranKind::Earnings, 5, 10, Day(2026, 12, 31));
  d = reports::ComputeEarningsDistribution(club, Day(2026, 12, 31));
  EXPECT_EQ(Cells(d.total).back(), "0.500");
  EXPECT_EQ(Cells(*d.MemberRow(ann)).back(), "0.500");
  EXPECT_EQ(Cells(*d.MemberRow(bob)).back(), "x.xxx");
  // Credited units are earned, not held through the year.
  EXPECT_EQ(Cells(*d.MemberRow(ann)).front(), "10.000");
}

TEST_F(EarningsDistributionTest, ForeignTaxesGetTheirColumnPrintedNegative) {
  const auto ann = AddMember("Smith", "Ann");
  MemberTran(ann, MemberTranKind::Payment, 100, 10, Day(2026, 1, 2));
  const auto acme = AddSecurity("Acme");
  SecurityTran(acme, SecurityTranKind::ForeignTax, 1.5, 0, 0, Day(2026, 2, 2));
  const EarningsDistribution d = reports::ComputeEarningsDistribution(club, Day(2026, 12, 31));
  EXPECT_TRUE(d.foreign_taxes_column);
  EXPECT_THAT(Cells(d.members[0], true),
              ElementsAre("10.000", "0.00", "0.00", "0.00", "0.00", "0.00", "0.00", "-1.50", "-1.50", "x.xxx"));
  reports::EarningsDistributionReport report(d, "Club");
  EXPECT_THAT(LaidOutText(report), HasSubstr("Foreign"));
}

TEST_F(EarningsDistributionTest, ACategoryOutsideTheTableStopsWithTheAccountsName) {
  AddMember("Smith", "Ann");
  AccountTran(cash, AccountTranKind::Deposit, 10, 99, Day(2026, 2, 2));
  try {
    reports::ComputeEarningsDistribution(club, Day(2026, 12, 31));
    FAIL() << "no stop";
  } catch (const reports::InvalidCategory& invalid) {
    EXPECT_STREQ(invalid.what(), "Cash (Invalid Category: 99)");
  }
  // Transactions of other years are not read.
  EXPECT_NO_THROW(reports::ComputeEarningsDistribution(club, Day(2027, 12, 31)));
}

}  // namespace
}  // namespace pellmark::testing
