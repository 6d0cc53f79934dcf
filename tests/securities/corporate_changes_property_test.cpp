// A random run of buys, sales, dividends, reinvestments, splits (with and
// without cash for fractions), deletions of splits and basis updates. After each step the reset
// rebuilds the same totals as the running ones; the open lots hold exactly the
// shares and cost of the totals, and none of them is left with no shares; the
// dividends are those entered, whatever basis update rewrote the reinvestment
// lots since. A failure names its seed.
#include <gtest/gtest.h>

#include <fmt/format.h>
#include <random>

#include "club/dates.h"
#include "support/property_seed.h"
#include "securities/corporate_changes.h"
#include "securities/trade_fixture.h"

namespace pellmark::ledger {
namespace {

class CorporateChangesPropertyTest : public testing::TradeFixture {
 protected:
  // The dividends an entry adds, to both figures or to the total alone.
  void AddDividend(double amount, DayNumber date) {
    dividendt += amount;
    if (CivilFromDayNumber(date).year == club.Info().year) dividendy += amount;
  }

  // The shares and cost of the open lots, which are what the club holds.
  std::pair<double, double> OpenLots() {
    double shares = 0, cost = 0;
    for (const TSecurityTranRec& tran : Records("Acme")) {
      if (!IsOpenLot(tran)) continue;
      EXPECT_GT(SharesOf(tran), kShareTolerance) << "lot " << tran.stranid << " is open with no shares";
      shares += SharesOf(tran);
      cost += LotCost(tran);
    }
    return {shares, cost};
  }

  double dividendt = 0, dividendy = 0;
};

TEST_F(CorporateChangesPropertyTest, ResetAgreesWithTheRunningTotalsAndTheLots) {
  const unsigned seed = pellmark::testing::PropertySeed();
  std::mt19937 random(seed);
  ui.AnswerEvery("The Stock transaction just entered has a date earlier", false);
  ui.AnswerEvery("Select Shares to Sell?", false);
  ui.AnswerEvery("Do you want to hide security", false);
  ui.AnswerEvery("The Security transaction just deleted has a date earlier", false);
  // The run starts in the year before the open one, so that the two dividend
  // figures part.
  DayNumber date = Day(2025, 11, 1);
  for (int step = 0; step < 80; ++step) {
    SCOPED_TRACE(fmt::format("seed {} step {}", seed, step));
    date += static_cast<int>(random() % 4);
    const TSecurityRec held = Security("Acme");
    const int action = held.sharest < 1 ? 0 : static_cast<int>(random() % 7);
    const double price = 5 + static_cast<int>(random() % 40);
    const int shares = 1 + static_cast<int>(random() % 50);
    if (action == 0) {
      ASSERT_TRUE(Buy("Acme", shares * price, price, static_cast<int>(random() % 10), date));
    } else if (action == 1) {
      const double sold = std::min<double>(shares, std::floor(held.sharest));
      ASSERT_TRUE(Sell("Acme", sold * price, price, 1, date));
    } else if (action == 2) {
      const double amount = 1 + static_cast<int>(random() % 50);
      ASSERT_TRUE(Dividend("Acme", amount, date));
      AddDividend(amount, date);
    } else if (action == 3) {
      // Small reinvestments, often less than a share, so that a split may sell
      // a lot's whole holding as the fraction.
      const double amount = (1 + static_cast<int>(random() % 3)) * price * (random() % 2 == 0 ? 0.3 : 7);
      const double comm = static_cast<int>(random() % 3);
      // The commission comes out of the dividend now and then, when the dividend covers it.
      const bool company_paid = random() % 2 == 0 || comm >= amount;
      ASSERT_TRUE(Reinvest("Acme", amount, price, comm, date, "", company_paid));
      AddDividend(amount, date);
    } else if (action == 4) {
      const double n = 1 + static_cast<int>(random() % 3), o = 1 + static_cast<int>(random() % 2);
      const bool cash = random() % 2 == 0;
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
    } else if (action == 6) {
      // The newest split is deleted: its fractions go back to their lots.
      std::int32_t newest = -1;
      for (const TSecurityTranRec& tran : Records("Acme")) {
        if (KindOf(tran) == SecurityTranKind::Split) newest = std::max(newest, tran.stranid);
      }
      if (newest >= 0) {
        // Refused when a lot it rewrote has been sold since in its shares.
        const Outcome deleted = Delete("Acme", newest);
        if (!deleted) {
          EXPECT_EQ(deleted.Message(), "Some or all shares have been sold. Cannot delete.");
          ui.DropUnusedAnswers();
        }
      }
    } else {
      const double new_cost = 50 + static_cast<int>(random() % 100);
      ui.AnswerEntryDialog([=](EntryDialog& dialog) {
        dialog.Form().amount.text = Text(new_cost);
        dialog.Form().price.text = "100";
      });
      ASSERT_TRUE(books.Changes().Enter("Acme", CorporateChange::BasisUpdate, date));
    }

    const TSecurityRec running = Security("Acme");
    const auto [lot_shares, lot_cost] = OpenLots();
    EXPECT_NEAR(running.sharest, lot_shares, 0.005);
    EXPECT_NEAR(running.tspent, lot_cost, 0.005);
    EXPECT_NEAR(running.dividendt, dividendt, 0.005);
    EXPECT_NEAR(running.dividendy, dividendy, 0.005);
    ASSERT_TRUE(books.Securities().ResetSecurity("Acme", false));
    const TSecurityRec reset = Security("Acme");
    EXPECT_NEAR(reset.sharest, running.sharest, 0.005);
    EXPECT_NEAR(reset.tspent, running.tspent, 0.005);
    EXPECT_NEAR(reset.dividendt, running.dividendt, 0.005);
    EXPECT_NEAR(reset.dividendy, running.dividendy, 0.005);
    if (::testing::Test::HasFailure()) return;
  }
  // Dividends of both years were paid.
  EXPECT_NE(Security("Acme").dividendt, Security("Acme").dividendy) << "seed " << seed;
}

}  // namespace
}  // namespace pellmark::ledger
