// The corners of the valuation chain, each as a treasurer met it: lots a later
// split or sale rewrote, a payout on the valuation's date, dues entered before
// the valuation that prices them, payoffs and audits, an audit that cannot
// finish, and the dividends of the year.
#include <gtest/gtest.h>

#include <gmock/gmock.h>

#include "valuation/chain_fixture.h"

namespace pellmark::valuation {
namespace {

using ::testing::Contains;
using ledger::CorporateChange;
using testing::ValuationChain;

TEST_F(ValuationChain, APastDatedValuationSeesTheLotsAsTheyWereBeforeLaterSplitsAndSales) {
  Dues(Day(2026, 1, 2), {130, 109});
  ASSERT_TRUE(Buy("Acme", 13 * 18, 18, 0, Day(2026, 1, 10)));
  ASSERT_TRUE(Buy("Bolt", 150, 15, 0, Day(2026, 1, 10)));
  ASSERT_TRUE(Sell("Bolt", 4 * 16, 16, 0, Day(2026, 2, 10)));
  // 13 shares become 19.5: the half share is paid for in cash.
  Split("Acme", 3, 2, Day(2026, 2, 20), 9.0);
  Split("Bolt", 2, 1, Day(2026, 2, 20), std::nullopt);

  const Statement then = Valued(Day(2026, 2, 5));
  ASSERT_EQ(then.securities.size(), 2u);
  EXPECT_DOUBLE_EQ(then.securities[0].shares, 13);
  EXPECT_NEAR(then.securities[0].price, 18, 1e-9);
  EXPECT_NEAR(then.securities[0].cost_per_share, 18, 1e-9);
  EXPECT_NEAR(then.securities[1].shares, 10, 1e-9);
  EXPECT_NEAR(then.securities[1].cost_per_share, 15, 1e-9);
  EXPECT_NEAR(then.securities[1].price, 15, 1e-9);
  EXPECT_NEAR(then.summary->total_value, 13 * 18 + 150 + 239 - 234 - 150, 1e-6);
}

TEST_F(ValuationChain, APayoutOnTheValuationDateCountsWhateverCameLater) {
  Dues(Day(2026, 1, 2), {100, 100});
  ASSERT_TRUE(books.CreateValuation(Day(2026, 1, 31), true).figures);
  Payoff("Smith, Pat", 2 * unit, Day(2026, 2, 5));
  const Statement before = Valued(Day(2026, 2, 5));
  Post(AccountTranKind::Check, 1, PredefinedCategory::OperatingExpenses, Day(2026, 2, 6));
  const Statement after = Valued(Day(2026, 2, 5));
  ASSERT_TRUE(before.summary && after.summary);
  EXPECT_NEAR(before.summary->total_units, 200 / unit - 2, 1e-6);
  EXPECT_NEAR(after.summary->total_units, before.summary->total_units, 1e-9);
  EXPECT_NEAR(after.summary->new_unit_value, unit, 1e-9);
}

TEST_F(ValuationChain, DuesEnteredBeforeTheValuationThatPricesThemBuyAtIt) {
  Dues(Day(2026, 1, 2), {100, 100});
  Post(AccountTranKind::Deposit, 20, PredefinedCategory::OtherIncome, Day(2026, 1, 20));  // the unit grows 10%
  Dues(Day(2026, 2, 3), {110, 0});  // Jones only
  ui.Clear();
  const ValuationResult valued = books.CreateValuation(Day(2026, 1, 31), true);
  ASSERT_TRUE(valued.figures);
  EXPECT_NEAR(valued.figures->unit_value, unit * 1.1, 1e-9);
  EXPECT_THAT(ui.Messages(), Contains("1 dues payment dated from 01/31/2026 on now buys units at this valuation."));
  const TMemberTranRec late = Transactions("Jones, Pat").back();
  EXPECT_EQ(late.unitind, valued.figures->unitid);
  EXPECT_NEAR(late.cunit, unit * 1.1, 1e-9);
  // Members hold what the club holds.
  EXPECT_NEAR(Member("Smith, Pat").tunits * unit * 1.1 + Member("Jones, Pat").tunits * unit * 1.1, 330, 1e-6);
}

TEST_F(ValuationChain, AMemberPaidOffInFullHoldsNoUnitsAfterAnyAudit) {
  Dues(Day(2026, 1, 2), {100, 100});
  Post(AccountTranKind::Deposit, 13, PredefinedCategory::OtherIncome, Day(2026, 1, 20));
  ASSERT_TRUE(books.CreateValuation(Day(2026, 1, 31), true).figures);
  const double smith_units = Member("Smith, Pat").tunits;
  Payoff("Smith, Pat", 106.5, Day(2026, 2, 5));
  ASSERT_EQ(Member("Smith, Pat").tunits, 0);
  // A back-dated check lowers the valuation the payout was priced at.
  Post(AccountTranKind::Check, 40, PredefinedCategory::OperatingExpenses, Day(2026, 1, 25));
  ASSERT_TRUE(books.AuditValuations(Day(2026, 1, 1)));
  EXPECT_EQ(Member("Smith, Pat").tunits, 0);
  const TMemberTranRec payout = Transactions("Smith, Pat").back();
  EXPECT_NEAR(payout.dues, 106.5, 1e-9);  // the cash paid stays what it was
  EXPECT_NEAR(ledger::UnitsOf(payout), smith_units, 1e-6);
  EXPECT_GT(Member("Jones, Pat").tunits, 0);
}

TEST_F(ValuationChain, AnAuditStopsAtAValuationItCannotMakeAndKeepsTheBooks) {
  Dues(Day(2026, 1, 2), {0, 100});  // Smith only
  ASSERT_TRUE(books.CreateValuation(Day(2026, 1, 31), true).figures);
  ASSERT_TRUE(books.CreateValuation(Day(2026, 2, 28), true).figures);
  const auto before = Snapshot();
  // The only dues go: the valuations have no units left to divide by.
  ui.AnswerNext("Selected Record will be removed permanently. Continue?", true);
  ASSERT_TRUE(books.Settle(
      books.Members().DeleteTransaction("Smith, Pat", Transactions("Smith, Pat").front().duestran, true)));
  const auto broken = Snapshot();
  ui.Clear();
  const Outcome audited = books.AuditValuations(Day(2026, 1, 1));
  EXPECT_TRUE(audited.Refused());
  EXPECT_EQ(audited.Message(),
            "The Audit stopped at the valuation of 01/31/2026: No Valuation Units.  Valuation Statement not created");
  EXPECT_THAT(ui.Messages(), ::testing::Not(Contains("The Audit was completed successfully.")));
  EXPECT_EQ(Snapshot(), broken);
  EXPECT_NE(before, broken);
}

TEST_F(ValuationChain, TheDividendsOfTheYearCountTheFirstOfJanuaryAndStayWhatWasPaid) {
  Dues(Day(2026, 1, 1), {500, 0});
  ASSERT_TRUE(Buy("Acme", 200, 20, 0, Day(2026, 1, 1)));
  ASSERT_TRUE(Dividend("Acme", 7, Day(2026, 1, 1)));
  ASSERT_TRUE(Reinvest("Acme", 40, 20, 0, Day(2026, 1, 5)));
  ui.AnswerEntryDialog([](EntryDialog& dialog) {
    dialog.Form().amount.text = "50";
    dialog.Form().price.text = "100";
  });
  ASSERT_TRUE(books.Settle(books.Changes().Enter("Acme", CorporateChange::BasisUpdate, Day(2026, 1, 10))));
  EXPECT_NEAR(Security("Acme").dividendy, 47, 1e-9);
  EXPECT_NEAR(Security("Acme").tspent, 120, 1e-9);
  const Statement statement = Valued(Day(2026, 1, 8));
  EXPECT_NEAR(*statement.dividends, 47, 1e-9);
  EXPECT_NEAR(statement.securities[0].dividends, 47, 1e-9);
  EXPECT_NEAR(statement.securities[0].cost_per_share, 240.0 / 12, 1e-9);
}

}  // namespace
}  // namespace pellmark::valuation
