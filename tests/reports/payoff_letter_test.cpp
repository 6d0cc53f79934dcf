// The payoff letter: the tax basis walk and the letter's rows, worked by hand.
#include "reports/payoff_letter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "members/payout_basis.h"
#include "reports/club_records_fixture.h"
#include "reports/laid_out_text.h"

namespace pellmark::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ledger::PayoutTaxBasis;
using K = MemberTranKind;

TMemberTranRec Tran(K kind, DayNumber date, double dues, double cunit, double fee = 0) {
  TMemberTranRec tran;
  tran.typ = Code(kind);
  tran.trandate = date;
  tran.dues = dues;
  tran.cunit = cunit;
  tran.fee = fee;
  return tran;
}

DayNumber Day(int y, int m, int d) { return DayNumberFromCivil({y, m, d}); }

// 100 units for $1 000, 50 for $600, 40 paid out, 10 credited from earnings
// ($150), 20 bought for $320; then a payout of 50 units at $16 with a fee of
// $16, which covers 51 units. Back from the payout: the 20 ($320) and the
// earnings' 10 ($150); the earlier payout sets 40 units aside, which the 50
// bought for $600 absorb but 10 ($120); the last 11 come from the first
// purchase ($110). Basis $700.
TEST(PayoutTaxBasisTest, PurchasesAnEarlierPayoutAndAnEarningsCreditWorkedByHand) {
  std::vector<TMemberTranRec> trans = {
      Tran(K::Payment, Day(2025, 1, 5), 1000, 10),   Tran(K::Payment, Day(2025, 6, 5), 600, 12),
      Tran(K::Payout, Day(2025, 9, 5), 600, 15),     Tran(K::Fee, Day(2025, 10, 5), 25, 0),
      Tran(K::Earnings, Day(2025, 12, 31), 150, 15), Tran(K::Payment, Day(2026, 2, 5), 320, 16),
      Tran(K::Payout, Day(2026, 3, 5), 800, 16, 16),
  };
  EXPECT_DOUBLE_EQ(PayoutTaxBasis(trans, 6), 700);
  // Without the fee the payout covers 50 units and leaves 10 of the first purchase ($100).
  trans[6].fee = 0;
  EXPECT_DOUBLE_EQ(PayoutTaxBasis(trans, 6), 690);
  // The first payout covers the most recent 40 units before it: 40 of the $600.
  EXPECT_DOUBLE_EQ(PayoutTaxBasis(trans, 2), 480);
}

// Units a later payout set aside and did not use up stay aside when an earlier
// payout sets aside its own: 50 at $5, 50 at $10, 30 paid out, 10 at $20, 20
// paid out (the 10 at $20 and 10 at $10), then a payout of 60 units takes the
// last 10 at $10 and the 50 at $5: $350, as matching every payout against the
// most recent units left would give. (Replacing the units set aside instead
// would take 20 at $10 and 40 at $5: $400.)
TEST(PayoutTaxBasisTest, UnitsSetAsideAddUpAcrossPayouts) {
  const std::vector<TMemberTranRec> trans = {
      Tran(K::Payment, Day(2025, 1, 5), 250, 5),  Tran(K::Payment, Day(2025, 2, 5), 500, 10),
      Tran(K::Payout, Day(2025, 3, 5), 300, 10),  Tran(K::Payment, Day(2025, 4, 5), 200, 20),
      Tran(K::Payout, Day(2025, 5, 5), 400, 20),  Tran(K::Payout, Day(2025, 6, 5), 600, 10),
  };
  EXPECT_DOUBLE_EQ(PayoutTaxBasis(trans, 5), 350);
  EXPECT_DOUBLE_EQ(PayoutTaxBasis(trans, 4), 300);
}

class PayoffLetterTest : public ClubRecordsFixture {
 protected:
  // A payout as the Members page records it, with its fee and holding period.
  void Payout(std::int32_t memid, double dues, double cunit, double fee, std::int32_t gain, DayNumber date) {
    TMemberRec member = FindMember(memid);
    TMemberTranRec tran = Tran(K::Payout, date, dues, cunit, fee);
    tran.memid = memid;
    tran.gain = gain;
    tran.duestran = AllocateTranId(member.duescount);
    club.memrecs.Put(tran);
    ledger::ApplyMemberPosting(member, tran, +1);
    club.members.Put(member);
  }
};

// Ann and Bob hold 100 units each from 2025. Interest 20 in January, 40 on
// March 31 and 100 in May; costs 10 in February; no dividends. Bob is paid
// off on March 15 for $1 200 at $12 with a $20 fee. Up to his payout the club
// has interest 20 and costs 10 of which he held half in January and February
// (his units leave in March): interest 10, costs 5, earnings 5.
TEST_F(PayoffLetterTest, AMarchPayoutSharesOnlyTheMonthsUpToItAndItsFeeCountsInTheBasisOnly) {
  const auto ann = AddMember("Smith", "Ann");
  const auto bob = AddMember("Jones", "Bob");
  MemberTran(ann, K::Payment, 1000, 10, Day(2025, 6, 1));
  MemberTran(bob, K::Payment, 1000, 10, Day(2025, 3, 1));
  AccountTran(1, AccountTranKind::Interest, 20, PredefinedCategory::InterestIncome, Day(2026, 1, 31));
  AccountTran(1, AccountTranKind::Check, 10, PredefinedCategory::OperatingExpenses, Day(2026, 2, 3));
  AccountTran(1, AccountTranKind::Interest, 40, PredefinedCategory::InterestIncome, Day(2026, 3, 31));
  AccountTran(1, AccountTranKind::Interest, 100, PredefinedCategory::InterestIncome, Day(2026, 5, 31));
  Payout(bob, 1200, 12, 20, 3, Day(2026, 3, 15));

  const reports::PayoffLetters letters = reports::ComputePayoffLetters(club, Day(2026, 6, 30));
  ASSERT_EQ(letters.letters.size(), 1u);
  const reports::PayoffLetter& letter = letters.letters[0];
  EXPECT_EQ(letter.name, "Bob Jones");
  // (1 200 + 20) ÷ 12 = 101.667 units to cover: all 100 he bought, $1 000.
  EXPECT_DOUBLE_EQ(letter.basis, 1000);
  const reports::PayoffRows rows = reports::PayoffLetterRows(letter);
  EXPECT_THAT(rows.shares, ElementsAre(" |Share of Dividends is 0.00% of $0.00 = |$0.00", " | | ",
                                       " |Share of Interest is 50.00% of $20.00 = |$10.00", " | | ",
                                       " |Share of Short Term Gains is 0.00% of $0.00 = |$0.00", " | | ",
                                       " |Share of Medium Term Gains is 0.00% of $0.00 = |$0.00", " | | ",
                                       " |Share of Long Term Gains is 0.00% of $0.00 = |$0.00", " | | ",
                                       " |Share of Expenses is 50.00% of $-10.00 = |$-5.00", " | | ",
                                       " |Share of club earnings = |$5.00", " | | "));
  // The payoff line shows the units paid, 1 200 ÷ 12, without the fee's.
  EXPECT_THAT(rows.payoff, ElementsAre(" |Payoff Fee = |$20.00", " | | ",
                                       " |Payoff Amount = 100.000 units X $12.00/unit = |$1200.00"));
  EXPECT_THAT(rows.taxable, ElementsAre(" |Tax Basis of your shares is =|$1000.00", " | | ",
                                        " |Additional long gains due to portfolio changes =|$200.00"));

  reports::PayoffLetterReport report("Elm Street Investors", letters);
  EXPECT_EQ(report.Caption(), "Member Payoff Letter");
  ASSERT_EQ(report.options.Items().size(), 1u);
  EXPECT_EQ(report.options.Items()[0].caption, "Bob Jones");
  EXPECT_TRUE(report.options.Items()[0].checked);
  const std::string text = LaidOutText(report);
  EXPECT_THAT(text, HasSubstr("Payoff Letter for Bob Jones as of 06/30/2026.\r\n"));
  EXPECT_THAT(text, HasSubstr("Income and expenses to report in 2026\r\n"));
  EXPECT_THAT(text, HasSubstr("Calculation of Payoff Amount\r\n"));
  EXPECT_THAT(text, HasSubstr("Taxable Income\r\n"));
}

TEST_F(PayoffLetterTest, EachPayoutIsAChoiceAndAYearWithoutPayoutsSaysSo) {
  const auto ann = AddMember("Smith", "Ann");
  const auto bob = AddMember("Jones", "Bob");
  MemberTran(ann, K::Payment, 1000, 10, Day(2025, 6, 1));
  MemberTran(bob, K::Payment, 1000, 10, Day(2025, 3, 1));
  Payout(ann, 100, 10, 0, 1, Day(2025, 12, 1));  // last year's
  EXPECT_TRUE(reports::ComputePayoffLetters(club, Day(2026, 6, 30)).letters.empty());
  reports::PayoffLetterReport none("Club", reports::ComputePayoffLetters(club, Day(2026, 6, 30)));
  EXPECT_FALSE(none.options.Visible());
  EXPECT_THAT(LaidOutText(none), HasSubstr("Payoff Letters as of 06/30/2026.\r\n \r\n \r\nNo Payoffs on record for "
                                           "specified date.\r\n"));

  Payout(ann, 200, 10, 0, 1, Day(2026, 2, 1));
  Payout(bob, 360, 12, 0, 2, Day(2026, 4, 1));
  reports::PayoffLetterReport report("Club", reports::ComputePayoffLetters(club, Day(2026, 6, 30)));
  ASSERT_EQ(report.options.Items().size(), 2u);
  EXPECT_EQ(report.options.Items()[0].caption, "Ann Smith");
  EXPECT_EQ(report.options.Items()[1].caption, "Bob Jones");
  // Ann's 20 units: last year's payout set 10 aside, the next 20 of her $1 000 cost $200.
  EXPECT_THAT(LaidOutText(report), HasSubstr("Payoff Letter for Ann Smith as of 06/30/2026."));
  EXPECT_THAT(LaidOutText(report), Not(HasSubstr("Additional")));
  report.options.Click(1);
  EXPECT_EQ(report.options.Selection(), 1);
  const std::string bob_text = LaidOutText(report);
  EXPECT_THAT(bob_text, HasSubstr("Payoff Letter for Bob Jones as of 06/30/2026."));
  EXPECT_THAT(bob_text, HasSubstr("Payoff Amount = 30.000 units X $12.00/unit ="));
  EXPECT_THAT(bob_text, HasSubstr("Additional medium gains due to portfolio changes ="));
  EXPECT_THAT(bob_text, HasSubstr("$60.00\r\n"));
}

}  // namespace
}  // namespace pellmark::testing
