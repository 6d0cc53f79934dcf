// A random run of buys, sales, dividends, reinvestments, splits (with and
// without cash for fractions) and basis updates, after each step of which the
// reset rebuilds the running totals. The one figure that may differ is the cost
// held after a split with cash: the running total keeps the cost of the
// fractional shares sold, the reset leaves out the sold fraction lots; that
// difference is checked to be exactly their cost. Likewise a fraction sold
// from a reinvestment lot leaves the lot's amount, and so the dividend the
// reset reads from it, smaller by the fraction lot's amount. A failure names
// its seed.
#include <gtest/gtest.h>

#include <fmt/format.h>
#include <random>

#include "support/property_seed.h"
#include "securities/corporate_changes.h"
#include "securities/trade_fixture.h"

namespace pellmark::ledger {
namespace {

class CorporateChangesPropertyTest : public testing::TradeFixture {};

TEST_F(CorporateChangesPropertyTest, ResetAgreesWithTheRunningTotalsBarTheSoldFractions) {
  const unsigned seed = pellmark::testing::PropertySeed();
  std::mt19937 random(seed);
  ui.AnswerEvery("The Stock transaction just entered has a date earlier", false);
  ui.AnswerEvery("Select Shares to Sell?", false);
  ui.AnswerEvery("Do you want to hide security", false);
  DayNumber date = Day(2026, 1, 1);
  double fraction_cost = 0;      // cost of the fraction lots since the totals were last rebuilt
  double fraction_dividend = 0;  // amounts of those taken from reinvestment lots
  for (int step = 0; step < 60; ++step) {
    SCOPED_TRACE(fmt::format("seed {} step {}", seed, step));
    date += static_cast<int>(random() % 4);
    const TSecurityRec held = Security("Acme");
    const int action = held.sharest < 1 ? 0 : static_cast<int>(random() % 6);
    const double price = 5 + static_cast<int>(random() % 40);
    const int shares = 1 + static_cast<int>(random() % 50);
    if (action == 0) {
      ASSERT_TRUE(Buy("Acme", shares * price, price, static_cast<int>(random() % 10), date));
    } else if (action == 1) {
      const double sold = std::min<double>(shares, std::floor(held.sharest));
      ASSERT_TRUE(Sell("Acme", sold * price, price, 1, date));
    } else if (action == 2) {
      ASSERT_TRUE(Dividend("Acme", 1 + static_cast<int>(random() % 50), date));
    } else if (action == 3) {
      ASSERT_TRUE(Reinvest("Acme", shares * price, price, 0, date));
    } else if (action == 4) {
      const double n = 1 + static_cast<int>(random() % 3), o = 1 + static_cast<int>(random() % 2);
      const bool cash = random() % 2 == 0;
      const std::size_t before = Records("Acme").size();
      ui.AnswerEntryDialog([=](EntryDialog& dialog) {
        EntryForm& form = dialog.Form();
        form.amount.text = Text(n);
        form.price.text = Text(o);
        if (!cash) return;
        form.fractions.checked = true;
        dialog.fractionsClick();
        form.desc.text = "7.50";
        form.commission.text = "0.50";
      });
      ASSERT_TRUE(books.Changes().Enter("Acme", CorporateChange::Split, date));
      const std::vector<TSecurityTranRec> records = Records("Acme");
      ASSERT_GE(records.size(), before + 1);
      for (const TSecurityTranRec& tran : records) {
        const bool fraction_lot = KindOf(tran) == SecurityTranKind::Purchase && tran.tax && tran.sold;
        if (!fraction_lot || tran.stranid < held.trancount) continue;
        fraction_cost += LotCost(tran);
        if (KindOf(Record("Acme", tran.buytran)) == SecurityTranKind::Reinvestment) fraction_dividend += tran.amount;
      }
    } else {
      const double new_cost = 50 + static_cast<int>(random() % 100);
      ui.AnswerEntryDialog([=](EntryDialog& dialog) {
        dialog.Form().amount.text = Text(new_cost);
        dialog.Form().price.text = "100";
      });
      ASSERT_TRUE(books.Changes().Enter("Acme", CorporateChange::BasisUpdate, date));
      fraction_cost = fraction_dividend = 0;  // the basis update reset the totals
    }

    const TSecurityRec running = Security("Acme");
    ASSERT_TRUE(books.Securities().ResetSecurity("Acme", false));
    const TSecurityRec reset = Security("Acme");
    EXPECT_NEAR(reset.sharest, running.sharest, 0.005);
    EXPECT_NEAR(running.dividendt - reset.dividendt, fraction_dividend, 0.005);
    EXPECT_NEAR(running.dividendy - reset.dividendy, fraction_dividend, 0.005);
    EXPECT_NEAR(running.tspent - reset.tspent, fraction_cost, 0.005);
    // The reset is now the running figure; the next step starts from it.
    fraction_cost = fraction_dividend = 0;
    if (::testing::Test::HasFailure()) return;
  }
  EXPECT_GE(Records("Acme").size(), 60u) << "seed " << seed;
}

}  // namespace
}  // namespace pellmark::ledger
