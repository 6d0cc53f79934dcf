// Splits with and without cash for fractions, basis updates, clears, their
// undoing on deletion, the reset of a security, the write-off of a worthless
// security and the reset of dividend postings, against figures worked by hand.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "books/books_check.h"
#include "books/stock_text.h"
#include "securities/corporate_changes.h"
#include "securities/security_position.h"
#include "securities/trade_fixture.h"

namespace pellmark::ledger {
namespace {

using ::testing::ElementsAre;

class CorporateChangesTest : public testing::TradeFixture {
 protected:
  void SetUp() override {
    TradeFixture::SetUp();
    ui.AnswerEvery("The Stock transaction just entered has a date earlier", false);
    ui.AnswerEvery("Select Shares to Sell?", false);
  }

  // The "Split" dialog: N for O, with the cash for fractions when `cash` > 0.
  Outcome Split(const std::string& name, double n, double o, DayNumber date, double cash = 0, double comm = 0,
                bool company_paid = false, bool to_account = true) {
    ui.AnswerEntryDialog([=](EntryDialog& dialog) {
      EntryForm& form = dialog.Form();
      form.amount.text = Text(n);
      form.price.text = Text(o);
      if (cash > 0) {
        form.fractions.checked = true;
        dialog.fractionsClick();
        form.desc.text = Text(cash);
        form.commission.text = Text(comm);
        form.compcomm.checked = company_paid;
        if (!to_account) {
          form.tran.checked = false;
          dialog.tranClick();
        }
      }
    });
    return books.Changes().Enter(name, CorporateChange::Split, date);
  }
  Outcome Basis(const std::string& name, double new_cost, double old_cost, DayNumber date) {
    ui.AnswerEntryDialog([=](EntryDialog& dialog) {
      dialog.Form().amount.text = Text(new_cost);
      dialog.Form().price.text = Text(old_cost);
    });
    return books.Changes().Enter(name, CorporateChange::BasisUpdate, date);
  }
  Outcome Clear(const std::string& name, DayNumber date) {
    ui.AnswerEntryDialog([=](EntryDialog& dialog) {
      dialog.Form().cleared.checked = true;
      dialog.clearedClick();
    });
    return books.Changes().Enter(name, CorporateChange::BasisUpdate, date);
  }
  std::vector<TSecurityTranRec> OfKind(const std::string& name, SecurityTranKind kind) {
    std::vector<TSecurityTranRec> found;
    for (const TSecurityTranRec& tran : Records(name)) {
      if (KindOf(tran) == kind) found.push_back(tran);
    }
    return found;
  }
  std::vector<double> Prices(const std::string& name) {
    std::vector<double> prices;
    for (const TPriceRec& price : club.prices.Select(OwnerFilter(Security(name).stkid))) prices.push_back(price.price);
    return prices;
  }
};

TEST_F(CorporateChangesTest, ThreeForTwoOf101SharesSellsHalfAShareForCash) {
  ASSERT_TRUE(Buy("Acme", 3030, 30, 10.10, Day(2026, 2, 1)));  // 101 shares
  Price("Acme", 33, Day(2026, 3, 1));
  Price("Acme", 36, Day(2026, 9, 1));
  const double cash_before = Cash().bal;
  ui.Clear();
  ASSERT_TRUE(Split("Acme", 3, 2, Day(2026, 6, 1), 10, 1));
  EXPECT_THAT(ui.Messages(), ElementsAre("Acme Split."));

  const TSecurityTranRec lot = Record("Acme", 0);
  EXPECT_DOUBLE_EQ(lot.price, 20);
  EXPECT_DOUBLE_EQ(lot.amount, 3020);  // 151 whole shares at 20
  EXPECT_DOUBLE_EQ(lot.comm, 3020.0 / 3030 * 10.10);
  EXPECT_FALSE(lot.sold);

  const std::vector<TSecurityTranRec> splits = OfKind("Acme", SecurityTranKind::Split);
  ASSERT_EQ(splits.size(), 1u);
  const TSecurityTranRec& split = splits[0];
  EXPECT_NEAR(split.amount, 50, 1e-9);  // 151 - 101
  EXPECT_EQ(split.price, 3);
  EXPECT_EQ(split.comm, 2);
  EXPECT_EQ(split.actid, Cash().actid);

  const std::vector<TSecurityTranRec> lots = OfKind("Acme", SecurityTranKind::Purchase);
  ASSERT_EQ(lots.size(), 2u);
  const TSecurityTranRec& fraction_lot = lots[1];
  EXPECT_EQ(StockTypeLabel(fraction_lot), "Split-Buy (Sold)");
  EXPECT_DOUBLE_EQ(fraction_lot.amount, 10);  // half a share at 20
  EXPECT_DOUBLE_EQ(fraction_lot.comm, 10.0 / 3030 * 10.10);
  EXPECT_EQ(fraction_lot.buytran, 0);
  EXPECT_EQ(fraction_lot.actid, split.stranid);
  EXPECT_EQ(fraction_lot.trandate, Day(2026, 2, 1));

  const std::vector<TSecurityTranRec> sales = OfKind("Acme", SecurityTranKind::Sale);
  ASSERT_EQ(sales.size(), 1u);
  EXPECT_EQ(StockTypeLabel(sales[0]), "Split-Sell");
  EXPECT_DOUBLE_EQ(sales[0].amount, 10);
  EXPECT_DOUBLE_EQ(sales[0].comm, 1);
  EXPECT_DOUBLE_EQ(SharesOf(sales[0]), 0.5);
  EXPECT_EQ(sales[0].buytran, fraction_lot.stranid);
  EXPECT_EQ(sales[0].trandate, Day(2026, 6, 1));

  // Prices on or before the split are two thirds of what they were.
  EXPECT_THAT(Prices("Acme"), ElementsAre(20, 22, 36));
  const TSecurityRec acme = Security("Acme");
  EXPECT_NEAR(acme.sharest, 151, 1e-9);
  // The half share sold took its cost with it: the cost of the lot that is left.
  EXPECT_NEAR(acme.tspent, 3020 + 3020.0 / 3030 * 10.10, 1e-9);
  EXPECT_NEAR(acme.pricep, acme.tspent / 151, 1e-9);
  EXPECT_DOUBLE_EQ(acme.pricec, 36);  // dated after the split, so not split
  EXPECT_NEAR(Cash().bal - cash_before, 9, 1e-9);  // "Acme Fraction Cash", 10 less 1 commission
  EXPECT_EQ(Postings().back().desc, "Acme Fraction Cash");
}

TEST_F(CorporateChangesTest, FractionComesFromTheEarliestLotsWithFractionalShares) {
  ASSERT_TRUE(Buy("Acme", 100, 10, 0, Day(2026, 1, 1)));   // 10 -> 15 whole
  ASSERT_TRUE(Buy("Acme", 110, 10, 0, Day(2026, 1, 2)));   // 11 -> 16.5
  ASSERT_TRUE(Buy("Acme", 130, 10, 0, Day(2026, 1, 3)));   // 13 -> 19.5
  ASSERT_TRUE(Buy("Acme", 70, 10, 0, Day(2026, 1, 4)));    //  7 -> 10.5
  // 41 shares -> 61.5: the half share is sold from the second lot alone.
  ASSERT_TRUE(Split("Acme", 3, 2, Day(2026, 2, 1), 6));
  EXPECT_NEAR(SharesOf(Record("Acme", 0)), 15, 1e-9);
  EXPECT_NEAR(SharesOf(Record("Acme", 1)), 16, 1e-9);
  EXPECT_NEAR(SharesOf(Record("Acme", 2)), 19.5, 1e-9);
  EXPECT_NEAR(SharesOf(Record("Acme", 3)), 10.5, 1e-9);
  const std::vector<TSecurityTranRec> sales = OfKind("Acme", SecurityTranKind::Sale);
  ASSERT_EQ(sales.size(), 1u);
  EXPECT_NEAR(SharesOf(sales[0]), 0.5, 1e-9);
  const TSecurityTranRec fraction_lot = Record("Acme", sales[0].buytran);
  EXPECT_TRUE(fraction_lot.tax);
  EXPECT_EQ(fraction_lot.buytran, 1);
  EXPECT_NEAR(Security("Acme").sharest, 61, 1e-9);
}

TEST_F(CorporateChangesTest, ALotOfWholeSharesAfterTheSplitGivesNoFractionThroughRounding) {
  ASSERT_TRUE(Buy("Acme", 252.50, 12.625, 0, Day(2026, 1, 1)));  // 20 shares -> 30, give or take rounding
  ASSERT_TRUE(Buy("Acme", 5.55, 9.25, 0, Day(2026, 2, 1)));      // 0.6 shares -> 0.9
  ASSERT_TRUE(Split("Acme", 3, 2, Day(2026, 3, 1), 8, 0));
  const std::vector<TSecurityTranRec> sales = OfKind("Acme", SecurityTranKind::Sale);
  ASSERT_EQ(sales.size(), 1u);
  EXPECT_NEAR(SharesOf(sales[0]), 0.9, 1e-9);
  EXPECT_NEAR(sales[0].amount, 8, 1e-9);
  EXPECT_NEAR(SharesOf(Record("Acme", 0)), 30, 1e-9);
  EXPECT_NEAR(Security("Acme").sharest, 30, 1e-9);
}

TEST_F(CorporateChangesTest, ALotWhoseWholeHoldingIsTheFractionIsSoldWithItAndHeldAgainWhenTheSplitGoes) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 10, Day(2026, 1, 1)));        // 100 -> 150 whole
  ASSERT_TRUE(Reinvest("Acme", 5, 10, 0.30, Day(2026, 2, 1)));  // 0.5 -> 0.75, all of the fraction
  const std::map<std::string, std::string> before = Snapshot();
  ASSERT_TRUE(Split("Acme", 3, 2, Day(2026, 6, 1), 7.5));

  const TSecurityTranRec emptied = Record("Acme", 1);
  EXPECT_TRUE(emptied.sold);
  EXPECT_EQ(emptied.amount, 0);
  EXPECT_EQ(emptied.comm, 0);
  const TSecurityTranRec fraction_lot = OfKind("Acme", SecurityTranKind::Purchase)[1];
  EXPECT_EQ(fraction_lot.buytran, 1);
  EXPECT_DOUBLE_EQ(fraction_lot.amount, 5);
  EXPECT_DOUBLE_EQ(fraction_lot.comm, 0.30);
  const TSecurityTranRec sale = OfKind("Acme", SecurityTranKind::Sale)[0];
  EXPECT_NEAR(SharesOf(sale), 0.75, 1e-9);
  EXPECT_DOUBLE_EQ(sale.amount, 7.5);
  std::vector<std::int32_t> open;
  for (const TSecurityTranRec& tran : Records("Acme")) {
    if (IsOpenLot(tran)) open.push_back(tran.stranid);
  }
  EXPECT_THAT(open, ElementsAre(0));

  // The running totals are those of the one open lot, and so are the reset's;
  // the dividend reinvested stays a dividend although its lot is gone.
  const auto expect_figures = [this](const char* when) {
    const TSecurityRec acme = Security("Acme");
    EXPECT_NEAR(acme.sharest, 150, 1e-9) << when;
    EXPECT_NEAR(acme.tspent, 1010, 1e-9) << when;
    EXPECT_NEAR(acme.pricep, 1010.0 / 150, 1e-9) << when;
    EXPECT_NEAR(acme.dividendt, 5, 1e-9) << when;
    EXPECT_NEAR(acme.dividendy, 5, 1e-9) << when;
  };
  expect_figures("after the split");
  ASSERT_TRUE(books.Securities().ResetSecurity("Acme", false));
  expect_figures("after a reset");

  ASSERT_TRUE(Delete("Acme", OfKind("Acme", SecurityTranKind::Split)[0].stranid));
  std::map<std::string, std::string> after = Snapshot();
  for (const auto& [key, bytes] : before) {
    if (key.starts_with("stkrecs/")) {
      EXPECT_EQ(after[key], bytes) << key;
    }
  }
  EXPECT_EQ(Records("Acme").size(), 2u);
  EXPECT_TRUE(IsOpenLot(Record("Acme", 1)));
  EXPECT_NEAR(Security("Acme").sharest, 100.5, 1e-9);
  EXPECT_NEAR(Security("Acme").tspent, 1015.30, 1e-9);
}

TEST_F(CorporateChangesTest, SplitWithoutCashWritesTheSplitAndTheLotsOnly) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 5, Day(2026, 1, 1)));
  ASSERT_TRUE(Buy("Acme", 500, 10, 5, Day(2026, 8, 1)));  // after the split: untouched
  const double cash_before = Cash().bal;
  ASSERT_TRUE(Split("Acme", 2, 1, Day(2026, 5, 1)));
  EXPECT_EQ(Records("Acme").size(), 3u);
  EXPECT_DOUBLE_EQ(Record("Acme", 0).price, 5);
  EXPECT_DOUBLE_EQ(Record("Acme", 0).amount, 1000);
  EXPECT_DOUBLE_EQ(Record("Acme", 0).comm, 5);
  EXPECT_DOUBLE_EQ(Record("Acme", 1).price, 10);
  const TSecurityTranRec split = OfKind("Acme", SecurityTranKind::Split)[0];
  EXPECT_EQ(split.actid, -1);
  EXPECT_EQ(split.transid, -1);
  EXPECT_NEAR(split.amount, 100, 1e-9);
  EXPECT_NEAR(Security("Acme").sharest, 250, 1e-9);
  EXPECT_NEAR(Security("Acme").tspent, 1510, 1e-9);
  EXPECT_EQ(Cash().bal, cash_before);
}

TEST_F(CorporateChangesTest, TwoSplitsWithoutCashOnOneDayAreBothKept) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 0, Day(2026, 1, 1)));
  ASSERT_TRUE(Split("Acme", 2, 1, Day(2026, 5, 1)));
  ASSERT_TRUE(Split("Acme", 3, 1, Day(2026, 5, 1)));
  const std::vector<TSecurityTranRec> splits = OfKind("Acme", SecurityTranKind::Split);
  ASSERT_EQ(splits.size(), 2u);
  EXPECT_NE(splits[0].stranid, splits[1].stranid);
  EXPECT_NEAR(Security("Acme").sharest, 600, 1e-9);
  // Deleting one undoes only its own ratio.
  ASSERT_TRUE(Delete("Acme", splits[0].stranid));
  EXPECT_EQ(OfKind("Acme", SecurityTranKind::Split).size(), 1u);
  EXPECT_NEAR(Security("Acme").sharest, 300, 1e-9);
}

TEST_F(CorporateChangesTest, DeletingASplitWithFractionsRestoresTheLotsByteForByte) {
  ASSERT_TRUE(Buy("Acme", 3030, 30, 10.10, Day(2026, 2, 1)));
  ASSERT_TRUE(Buy("Acme", 1020, 30, 3, Day(2026, 3, 1)));  // 34 -> 51, no fraction
  Price("Acme", 30, Day(2026, 3, 1));
  const std::map<std::string, std::string> before = Snapshot();
  const TAccountRec cash_before = Cash();
  ASSERT_TRUE(Split("Acme", 3, 2, Day(2026, 6, 1), 10, 1));
  const std::int32_t split = OfKind("Acme", SecurityTranKind::Split)[0].stranid;
  ASSERT_TRUE(Delete("Acme", split));

  std::map<std::string, std::string> after = Snapshot();
  // What may differ: the id counters, and the account transaction id counter.
  for (const auto& [key, bytes] : before) {
    if (key.starts_with("stkrecs/") || key.starts_with("prices/")) {
      EXPECT_EQ(after[key], bytes) << key;
    }
  }
  EXPECT_EQ(Records("Acme").size(), 2u);
  EXPECT_EQ(Postings().size(), 2u);
  EXPECT_DOUBLE_EQ(Cash().bal, cash_before.bal);
  EXPECT_NEAR(Security("Acme").sharest, 135, 1e-9);
  EXPECT_NEAR(Security("Acme").tspent, 4063.10, 1e-9);
  EXPECT_DOUBLE_EQ(Security("Acme").pricec, 30);
}

TEST_F(CorporateChangesTest, DeletingASplitWhoseFractionCashWentToNoAccountUndoesItsFractionsToo) {
  ASSERT_TRUE(Buy("Acme", 3030, 30, 10.10, Day(2026, 2, 1)));  // 101 shares
  const std::map<std::string, std::string> before = Snapshot();
  const TSecurityRec acme_before = Security("Acme");
  ASSERT_TRUE(Split("Acme", 3, 2, Day(2026, 6, 1), 10, 1, false, /*to_account=*/false));
  const TSecurityTranRec split = OfKind("Acme", SecurityTranKind::Split)[0];
  EXPECT_EQ(split.actid, -1);
  EXPECT_EQ(split.transid, -1);
  ASSERT_EQ(OfKind("Acme", SecurityTranKind::Sale).size(), 1u);  // the half share sold
  EXPECT_NEAR(Security("Acme").sharest, 151, 1e-9);

  ASSERT_TRUE(Delete("Acme", split.stranid));
  // The fraction lot and its sale are gone, the lot holds its 101 shares again.
  const std::map<std::string, std::string> after = Snapshot();
  for (const auto& [key, bytes] : before) {
    if (key.starts_with("stkrecs/") || key.starts_with("actrecs/")) {
      EXPECT_EQ(after.at(key), bytes) << key;
    }
  }
  EXPECT_EQ(Records("Acme").size(), 1u);
  EXPECT_DOUBLE_EQ(Record("Acme", 0).amount, 3030);
  EXPECT_DOUBLE_EQ(Record("Acme", 0).price, 30);
  EXPECT_NEAR(Security("Acme").sharest, 101, 1e-9);
  EXPECT_NEAR(Security("Acme").tspent, acme_before.tspent, 1e-9);
}

TEST_F(CorporateChangesTest, ASplitScalesTheCurrentPriceWhoseRecordIsGone) {
  ASSERT_TRUE(Buy("Acme", 10000, 10, 0, Day(2026, 1, 5)));  // 1000 shares
  Price("Acme", 12, Day(2026, 2, 1));
  const std::vector<TPriceRec> prices = club.prices.Select(OwnerFilter(Security("Acme").stkid));
  ASSERT_EQ(prices.size(), 2u);
  ui.AnswerNext("Selected Record will be removed permanently. Continue?", true);
  ASSERT_TRUE(books.Prices().DeletePrice("Acme", prices[1].tranid));
  ASSERT_EQ(Security("Acme").pricec, 12);

  ASSERT_TRUE(Split("Acme", 2, 1, Day(2026, 3, 1)));
  const TSecurityRec acme = Security("Acme");
  EXPECT_DOUBLE_EQ(acme.pricec, 6);
  EXPECT_NEAR(acme.sharest, 2000, 1e-9);
  EXPECT_NEAR(acme.pricec * acme.sharest, 12000, 1e-6);
  EXPECT_NEAR(acme.pricep, 5, 1e-12);
  EXPECT_THAT(Prices("Acme"), ElementsAre(5));
}

TEST_F(CorporateChangesTest, ASplitScalesACurrentPriceWithNoDateAndNotOneDatedAfterIt) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 0, Day(2026, 1, 5)));
  // A reset that finds no price takes the current price from the lots, undated.
  club.prices.RemoveAll(OwnerFilter(Security("Acme").stkid));
  ASSERT_TRUE(books.Securities().ResetSecurity("Acme", false));
  ASSERT_EQ(Security("Acme").pricedate, 0);
  ASSERT_EQ(Security("Acme").pricec, 10);
  ASSERT_TRUE(Split("Acme", 2, 1, Day(2026, 3, 1)));
  EXPECT_DOUBLE_EQ(Security("Acme").pricec, 5);

  Price("Acme", 8, Day(2026, 4, 1));
  ASSERT_TRUE(Split("Acme", 4, 1, Day(2026, 3, 15)));
  EXPECT_DOUBLE_EQ(Security("Acme").pricec, 8);  // dated after this split
  EXPECT_NEAR(Security("Acme").sharest, 800, 1e-9);
}

TEST_F(CorporateChangesTest, AReinvestmentPayingItsCommissionFromTheDividendHasOneShareCountEverywhere) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 0, Day(2026, 1, 5)));                                 // 100 shares
  ASSERT_TRUE(Reinvest("Acme", 105, 10, 5, Day(2026, 2, 1), "", /*company_paid=*/false));  // (105 - 5) / 10
  EXPECT_DOUBLE_EQ(SharesOf(Record("Acme", 1)), 10);
  EXPECT_NEAR(Security("Acme").sharest, 110, 1e-9);
  EXPECT_NEAR(Security("Acme").tspent, 1105, 1e-9);
  const std::vector<OpenLot> lots = books.Trades().OpenLots("Acme");
  ASSERT_EQ(lots.size(), 2u);
  EXPECT_DOUBLE_EQ(lots[1].shares, 10);
  EXPECT_DOUBLE_EQ(lots[1].cost, 105);
  EXPECT_EQ(StockRowTexts(books.Trades().Grid("Acme", std::nullopt)[1]).shares, "10");

  // 105 shares: the bought lot, and half the reinvested one with half its commission.
  ASSERT_TRUE(Sell("Acme", 1050, 10, 0, Day(2026, 3, 1)));
  const TSecurityTranRec sold = Record("Acme", 1), rest = Record("Acme", 3);
  EXPECT_TRUE(sold.sold);
  EXPECT_DOUBLE_EQ(sold.amount, 52.5);
  EXPECT_DOUBLE_EQ(sold.comm, 2.5);
  EXPECT_FALSE(rest.sold);
  EXPECT_DOUBLE_EQ(rest.amount, 52.5);
  EXPECT_DOUBLE_EQ(rest.comm, 2.5);
  EXPECT_DOUBLE_EQ(SharesOf(rest), 5);
  EXPECT_NEAR(Security("Acme").sharest, 5, 1e-9);
  EXPECT_NEAR(Security("Acme").tspent, 52.5, 1e-9);

  // 3 for 2: 7.5 shares, the running totals, the lot and a reset agreeing.
  ASSERT_TRUE(Split("Acme", 3, 2, Day(2026, 4, 1)));
  EXPECT_NEAR(SharesOf(Record("Acme", 3)), 7.5, 1e-9);
  EXPECT_NEAR(Security("Acme").sharest, 7.5, 1e-9);
  ASSERT_TRUE(books.Securities().ResetSecurity("Acme", false));
  EXPECT_NEAR(Security("Acme").sharest, 7.5, 1e-9);
  EXPECT_NEAR(Security("Acme").tspent, 52.5, 1e-9);

  // A clear dated before a later reinvestment leaves that reinvestment's 2 shares.
  ASSERT_TRUE(Reinvest("Acme", 21, 10, 1, Day(2026, 6, 1), "", /*company_paid=*/false));
  ASSERT_TRUE(Clear("Acme", Day(2026, 5, 1)));
  EXPECT_NEAR(OfKind("Acme", SecurityTranKind::Clear)[0].amount, 7.5, 1e-9);
  EXPECT_NEAR(Security("Acme").sharest, 2, 1e-9);
}

TEST_F(CorporateChangesTest, ASplitWithCashCutsAReinvestmentPayingItsCommissionFromTheDividendByItsShares) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 0, Day(2026, 1, 5)));                                 // 100 shares
  ASSERT_TRUE(Reinvest("Acme", 110, 10, 5, Day(2026, 2, 1), "", /*company_paid=*/false));  // 10.5 shares
  ASSERT_TRUE(Basis("Acme", 120, 100, Day(2026, 3, 1)));  // 132 with 6 from the dividend, at 12
  // 3 for 2: 150 and 15.75 shares, the 0.75 sold from the reinvested lot at
  // 8: 15 shares kept with 120/126 of its commission, 0.75 in the fraction lot.
  ASSERT_TRUE(Split("Acme", 3, 2, Day(2026, 4, 1), 9));
  const TSecurityTranRec kept = Record("Acme", 1);
  EXPECT_FALSE(kept.sold);
  EXPECT_DOUBLE_EQ(kept.price, 8);
  EXPECT_NEAR(kept.comm, 6 * 120.0 / 126, 1e-9);
  EXPECT_NEAR(kept.amount, 120 + 6 * 120.0 / 126, 1e-9);
  EXPECT_NEAR(SharesOf(kept), 15, 1e-9);
  const TSecurityTranRec fraction_sale = OfKind("Acme", SecurityTranKind::Sale).at(0);
  const TSecurityTranRec fraction_lot = Record("Acme", fraction_sale.buytran);
  EXPECT_EQ(fraction_lot.buytran, 1);
  EXPECT_NEAR(fraction_lot.amount, 6, 1e-9);
  EXPECT_NEAR(fraction_lot.comm, 6 * 6.0 / 126, 1e-9);
  EXPECT_NEAR(SharesOf(fraction_lot), 0.75, 1e-9);
  EXPECT_NEAR(SharesOf(fraction_sale), 0.75, 1e-9);
  EXPECT_NEAR(LotCost(kept) + LotCost(fraction_lot), 132, 1e-9);
  ASSERT_TRUE(Basis("Acme", 150, 100, Day(2026, 5, 1)));  // the sold fraction keeps its figures

  const double kept_cost = 1.5 * (120 + 6 * 120.0 / 126);
  const auto expect_totals = [this, kept_cost](const char* when) {
    const TSecurityRec acme = Security("Acme");
    EXPECT_NEAR(acme.sharest, 165, 1e-9) << when;
    EXPECT_NEAR(acme.tspent, 1800 + kept_cost, 1e-9) << when;
    EXPECT_NEAR(acme.dividendt, 110, 1e-9) << when;
  };
  expect_totals("after the changes");
  ASSERT_TRUE(books.Securities().ResetSecurity("Acme", false));
  expect_totals("after a reset");

  // The position as of each day before the changes: the lot and its fraction
  // hold the reinvested shares and cost, and the dividend stays what was paid.
  const std::vector<TSecurityTranRec> records = Records("Acme");
  const SecurityHistory history(records);
  const auto expect_position = [&](DayNumber date, double shares, double cost) {
    const TSecurityRec then = PositionAsOf(Security("Acme"), history, date, 2026);
    EXPECT_NEAR(then.sharest, shares, 1e-9) << FormatDate(date);
    EXPECT_NEAR(then.tspent, cost, 1e-9) << FormatDate(date);
    EXPECT_NEAR(then.dividendt, 110, 1e-9) << FormatDate(date);
  };
  expect_position(Day(2026, 2, 15), 110.5, 1110);
  expect_position(Day(2026, 3, 15), 110.5, 1332);
  expect_position(Day(2026, 4, 15), 165, 1200 + 120 + 6 * 120.0 / 126);
  expect_position(Day(2026, 5, 15), 165, 1800 + kept_cost);

  // Deleting the split gives the lot its fraction in today's terms: 198 with
  // 9 from the dividend at 18, 10.5 shares.
  ASSERT_TRUE(Delete("Acme", OfKind("Acme", SecurityTranKind::Split).at(0).stranid));
  EXPECT_TRUE(OfKind("Acme", SecurityTranKind::Sale).empty());
  const TSecurityTranRec whole = Record("Acme", 1);
  EXPECT_NEAR(whole.amount, 198, 1e-9);
  EXPECT_NEAR(whole.comm, 9, 1e-9);
  EXPECT_NEAR(whole.price, 18, 1e-9);
  EXPECT_NEAR(SharesOf(whole), 10.5, 1e-9);
  EXPECT_NEAR(Security("Acme").sharest, 110.5, 1e-9);
  EXPECT_NEAR(Security("Acme").tspent, 1998, 1e-9);
  EXPECT_NEAR(Security("Acme").dividendt, 110, 1e-9);
}

TEST_F(CorporateChangesTest, BasisUpdateScalesLotsAndPricesAndDeletionUndoesIt) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 5, Day(2026, 1, 1)));
  ASSERT_TRUE(Buy("Acme", 400, 20, 2, Day(2026, 9, 1)));
  Price("Acme", 12, Day(2026, 4, 1));
  ui.Clear();
  ASSERT_TRUE(Basis("Acme", 800, 1000, Day(2026, 5, 1)));
  EXPECT_THAT(ui.Messages(), ElementsAre("Acme Basis Updated."));
  EXPECT_DOUBLE_EQ(Record("Acme", 0).amount, 800);
  EXPECT_DOUBLE_EQ(Record("Acme", 0).price, 8);
  EXPECT_DOUBLE_EQ(Record("Acme", 0).comm, 5);
  EXPECT_DOUBLE_EQ(Record("Acme", 1).amount, 400);
  EXPECT_NEAR(Security("Acme").sharest, 120, 1e-9);
  EXPECT_NEAR(Security("Acme").tspent, 1207, 1e-9);
  const std::int32_t change = OfKind("Acme", SecurityTranKind::BasisChange)[0].stranid;
  ASSERT_TRUE(Delete("Acme", change));
  EXPECT_DOUBLE_EQ(Record("Acme", 0).amount, 1000);
  EXPECT_DOUBLE_EQ(Record("Acme", 0).price, 10);
  EXPECT_NEAR(Security("Acme").tspent, 1407, 1e-9);
}

TEST_F(CorporateChangesTest, ClearBeforeLaterPurchasesRemovesOnlyTheHoldingOnItsDate) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 0, Day(2026, 1, 1)));
  ASSERT_TRUE(Buy("Acme", 400, 20, 0, Day(2026, 9, 1)));
  ui.Clear();
  ASSERT_TRUE(Clear("Acme", Day(2026, 5, 1)));
  EXPECT_THAT(ui.Messages(), ElementsAre("Acme Security Cleared."));
  const TSecurityTranRec clear = OfKind("Acme", SecurityTranKind::Clear)[0];
  EXPECT_NEAR(clear.amount, 100, 1e-9);
  EXPECT_NEAR(Security("Acme").sharest, 20, 1e-9);
  // The cleared lot leaves with its cost, as a sale's lot does; the later one stays.
  EXPECT_NEAR(Security("Acme").tspent, 400, 1e-9);
  EXPECT_NEAR(clear.comm, 1000, 1e-9);
  EXPECT_TRUE(IsClosedByClear(Record("Acme", 0), clear.stranid));
  EXPECT_TRUE(IsOpenLot(Record("Acme", 1)));
  ASSERT_TRUE(books.Securities().ResetSecurity("Acme", false));
  EXPECT_NEAR(Security("Acme").sharest, 20, 1e-9);
  EXPECT_NEAR(Security("Acme").tspent, 400, 1e-9);

  // A later sale takes the lot bought after the clear, never the cleared one.
  ASSERT_TRUE(Sell("Acme", 5 * 30, 30, 0, Day(2026, 10, 1)));
  for (const TSecurityTranRec& tran : OfKind("Acme", SecurityTranKind::Sale)) EXPECT_EQ(tran.buytran, 1);

  // Deleting the clear opens the lot again with its cost.
  ui.AnswerNext("Selected Record will be removed permanently. Continue?", true);
  ASSERT_TRUE(books.Trades().DeleteRecord("Acme", clear.stranid, false));
  EXPECT_TRUE(IsOpenLot(Record("Acme", 0)));
  EXPECT_NEAR(Security("Acme").sharest, 115, 1e-9);
  EXPECT_NEAR(Security("Acme").tspent, 1300, 1e-9);
}

TEST_F(CorporateChangesTest, ASplitAndABasisUpdateRewriteALotBoughtOnTheirOwnDate) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 0, Day(2026, 5, 1)));
  ASSERT_TRUE(Split("Acme", 2, 1, Day(2026, 5, 1)));
  EXPECT_NEAR(Record("Acme", 0).price, 5, 1e-12);
  EXPECT_NEAR(Security("Acme").sharest, 200, 1e-9);
  ASSERT_TRUE(Basis("Acme", 50, 100, Day(2026, 5, 1)));
  EXPECT_NEAR(Record("Acme", 0).amount, 500, 1e-9);
  EXPECT_NEAR(Security("Acme").tspent, 500, 1e-9);
}

TEST_F(CorporateChangesTest, ASplitCannotBeDeletedOnceALotItRewroteIsSold) {
  ASSERT_TRUE(Buy("Acme", 1010, 10, 0, Day(2026, 1, 5)));
  ASSERT_TRUE(Split("Acme", 3, 2, Day(2026, 2, 1), 9));
  const std::int32_t split = OfKind("Acme", SecurityTranKind::Split)[0].stranid;
  ASSERT_TRUE(Sell("Acme", 50 * 8, 8, 0, Day(2026, 3, 1)));
  const std::map<std::string, std::string> before = Snapshot();
  ui.Clear();
  const Outcome deleted = books.Trades().DeleteRecord("Acme", split, false);
  EXPECT_TRUE(deleted.Refused());
  EXPECT_EQ(deleted.Message(), "Some or all shares have been sold. Cannot delete.");
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(CorporateChangesTest, AClearOfTheWholeHoldingLeavesNoSharesAndNoCost) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 0, Day(2026, 1, 1)));
  ui.AnswerNext("Do you want to hide security Acme?", false);
  ASSERT_TRUE(Clear("Acme", Day(2026, 5, 1)));
  EXPECT_EQ(Security("Acme").sharest, 0);
  EXPECT_EQ(Security("Acme").tspent, 0);
  EXPECT_EQ(Security("Acme").pricep, 0);
}

TEST_F(CorporateChangesTest, BadInputIsRefusedAndStoresNothing) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 0, Day(2026, 3, 1)));
  const std::map<std::string, std::string> before = Snapshot();
  ui.Clear();
  EXPECT_FALSE(Split("Acme", 0, 1, Day(2026, 5, 1)));
  EXPECT_FALSE(Split("Acme", -2, 1, Day(2026, 5, 1)));
  EXPECT_FALSE(Basis("Acme", 100, 0, Day(2026, 5, 1)));
  ui.Clear();
  EXPECT_FALSE(Split("Acme", 2, 1, Day(2026, 2, 1)));  // before the first lot
  EXPECT_THAT(ui.Messages(), ElementsAre("Acme does not have any shares."));
  ui.Clear();
  EXPECT_FALSE(Clear("Acme", Day(2026, 2, 1)));  // nothing held yet
  EXPECT_THAT(ui.Messages(), ElementsAre("Acme does not have any shares."));
  ui.Clear();
  EXPECT_FALSE(books.Changes().Enter("Bolt", CorporateChange::Split, Day(2026, 5, 1)));
  EXPECT_THAT(ui.Messages(), ElementsAre("Bolt does not have any shares."));
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(CorporateChangesTest, ResetAllStopsAtTheFirstHiddenSecurity) {
  AddSecurity("Cog", "COG");
  ASSERT_TRUE(Buy("Acme", 1000, 10, 0, Day(2026, 1, 1)));
  ASSERT_TRUE(Buy("Cog", 500, 5, 0, Day(2026, 1, 1)));
  ui.AnswerEvery("Do you want to hide", false);
  ASSERT_TRUE(Sell("Cog", 600, 6, 0, Day(2026, 2, 1)));
  ASSERT_TRUE(books.Securities().Hide("Cog"));
  TSecurityRec cog = *books.Securities().Find("Cog");
  cog.dividendt = 99;  // a figure only a reset of Cog would clear
  books.Securities().Save(cog);
  TSecurityRec acme = Security("Acme");
  acme.sharest = 1;
  books.Securities().Save(acme);
  ASSERT_TRUE(books.Securities().ResetAllSecurities());
  EXPECT_NEAR(Security("Acme").sharest, 100, 1e-9);
  EXPECT_EQ(books.Securities().Find("Cog")->dividendt, 99);
}

TEST_F(CorporateChangesTest, WriteOffRecordsALossForOpenLotsOnly) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 5, Day(2025, 1, 1)));   // sold below
  ASSERT_TRUE(Buy("Acme", 2000, 20, 10, Day(2025, 3, 1)));  // held over 547 days: long
  ASSERT_TRUE(Buy("Acme", 300, 30, 1, Day(2026, 6, 1)));    // short
  ASSERT_TRUE(Sell("Acme", 1100, 11, 0, Day(2025, 6, 1)));
  ui.Clear();
  ui.AnswerNext("Do you want to hide security?", false);
  Price("Acme", 0, Day(2026, 11, 1));
  EXPECT_THAT(ui.Messages(), ElementsAre("Security no longer has any value. Capital Loss Recorded.",
                                         "Do you want to hide security?"));
  std::vector<TSecurityTranRec> losses = OfKind("Acme", SecurityTranKind::CapitalGain);
  ASSERT_EQ(losses.size(), 2u);
  EXPECT_DOUBLE_EQ(losses[0].amount, -2010);
  EXPECT_EQ(losses[0].buytran, 1);
  EXPECT_EQ(StockTypeLabel(losses[0]), "LT Cap-Loss");
  EXPECT_DOUBLE_EQ(losses[1].amount, -301);
  EXPECT_EQ(StockTypeLabel(losses[1]), "ST Cap-Loss");
  const TSecurityRec acme = Security("Acme");
  EXPECT_NEAR(acme.tspent, 2311, 1e-9);  // a write-off moves no totals

  // A price for the worthless security takes the write-offs back.
  ui.AnswerNext("Do you want to hide security?", false);
  Price("Acme", 1, Day(2026, 11, 2));
  EXPECT_TRUE(OfKind("Acme", SecurityTranKind::CapitalGain).empty());
}

TEST_F(CorporateChangesTest, WriteOffTakesTheOpenReinvestmentLotsToo) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 5, Day(2025, 1, 1)));
  ASSERT_TRUE(Reinvest("Acme", 105, 10, 5, Day(2026, 6, 1), "", /*company_paid=*/false));
  ASSERT_TRUE(Reinvest("Acme", 60, 12, 1, Day(2026, 7, 1)));
  ASSERT_TRUE(Reinvest("Acme", 24, 12, 0, Day(2026, 8, 1)));
  ui.AnswerNext("Select Shares to Sell?", true);
  ui.AnswerLotChooser({3});
  ASSERT_TRUE(Sell("Acme", 26, 13, 0, Day(2026, 9, 1)));  // 2 shares: the last lot, sold whole
  ASSERT_TRUE(Record("Acme", 3).sold);
  ui.AnswerNext("Do you want to hide security?", false);
  Price("Acme", 0, Day(2026, 11, 1));
  std::vector<TSecurityTranRec> losses = OfKind("Acme", SecurityTranKind::CapitalGain);
  ASSERT_EQ(losses.size(), 3u);
  EXPECT_EQ(losses[0].buytran, 0);
  EXPECT_DOUBLE_EQ(losses[0].amount, -1005);
  EXPECT_EQ(StockTypeLabel(losses[0]), "LT Cap-Loss");
  // The commission taken from the dividend is part of the dividend's cost.
  EXPECT_EQ(losses[1].buytran, 1);
  EXPECT_DOUBLE_EQ(losses[1].amount, -105);
  EXPECT_EQ(StockTypeLabel(losses[1]), "ST Cap-Loss");
  EXPECT_EQ(losses[2].buytran, 2);
  EXPECT_DOUBLE_EQ(losses[2].amount, -61);
  // What is written off is what the security cost.
  EXPECT_NEAR(Security("Acme").tspent, 1005 + 105 + 61, 1e-9);
}

TEST_F(CorporateChangesTest, ResetDividendsRepostsTheDividendsOfHiddenSecuritiesLosingNoMoney) {
  AddSecurity("Cog", "COG");
  ASSERT_TRUE(Buy("Acme", 1000, 10, 0, Day(2026, 1, 1)));
  ASSERT_TRUE(Buy("Cog", 500, 5, 0, Day(2026, 1, 1)));
  ASSERT_TRUE(Dividend("Acme", 25, Day(2026, 3, 1)));
  ASSERT_TRUE(Dividend("Cog", 9, Day(2026, 3, 1)));
  ASSERT_TRUE(Dividend("Cog", 4, Day(2026, 3, 2), false));
  ui.AnswerNext("Do you want to hide security Cog?", false);
  ASSERT_TRUE(Sell("Cog", 600, 6, 0, Day(2026, 4, 1)));
  ASSERT_TRUE(books.Securities().Hide("Cog"));
  ASSERT_TRUE(CheckBooks(club).empty());
  const double balance = Cash().bal;
  const std::size_t postings = Postings().size();
  ui.AnswerNext("This option will delete all account dividend transactions from stocks and reset them from the "
                "security records. Continue?",
                true);
  ASSERT_TRUE(books.Changes().ResetDividends());
  EXPECT_DOUBLE_EQ(Cash().bal, balance);
  EXPECT_EQ(Postings().size(), postings);
  for (const std::string name : {"Acme", "Cog"}) {
    for (const TSecurityTranRec& dividend : OfKind(name, SecurityTranKind::Dividend)) {
      const auto posting = books.Accounts().FindTransaction(dividend.actid, dividend.transid);
      ASSERT_TRUE(posting) << name << " " << dividend.stranid;
      EXPECT_DOUBLE_EQ(posting->amount, dividend.amount);
    }
  }
  for (const BooksBreach& breach : CheckBooks(club)) ADD_FAILURE() << breach.text;
}

TEST_F(CorporateChangesTest, ResetDividendsRepostsTaxableAndNonTaxableOnce) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 0, Day(2026, 1, 1)));
  ASSERT_TRUE(Dividend("Acme", 25, Day(2026, 3, 1)));
  ASSERT_TRUE(Dividend("Acme", 7, Day(2026, 4, 1), false));
  ASSERT_TRUE(Dividend("Acme", 11, Day(2025, 4, 1)));  // another year: left alone
  const double balance = Cash().bal;
  ui.AnswerNext("This option will delete all account dividend transactions from stocks and reset them from the "
                "security records. Continue?",
                true);
  ui.Clear();
  ASSERT_TRUE(books.Changes().ResetDividends());
  EXPECT_EQ(ui.Messages().back(), "Security Dividend Records have been reset");
  EXPECT_DOUBLE_EQ(Cash().bal, balance);
  int taxable = 0, non_taxable = 0;
  for (const TAccountTranRec& posting : Postings()) {
    taxable += posting.desc == "Acme Dividend";
    non_taxable += posting.desc == "Acme NT-Dividend";
  }
  EXPECT_EQ(taxable, 2);
  EXPECT_EQ(non_taxable, 1);
  for (const TSecurityTranRec& dividend : OfKind("Acme", SecurityTranKind::Dividend)) {
    ASSERT_TRUE(books.Accounts().FindTransaction(dividend.actid, dividend.transid));
    EXPECT_DOUBLE_EQ(books.Accounts().FindTransaction(dividend.actid, dividend.transid)->amount, dividend.amount);
  }
}

TEST_F(CorporateChangesTest, ResetDividendsAnsweredNoChangesNothing) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 0, Day(2026, 1, 1)));
  ASSERT_TRUE(Dividend("Acme", 25, Day(2026, 3, 1)));
  const auto before = Snapshot();
  ui.AnswerNext("This option will delete all account dividend transactions from stocks and reset them from the "
                "security records. Continue?",
                false);
  EXPECT_FALSE(books.Changes().ResetDividends());
  EXPECT_EQ(Snapshot(), before);
}

}  // namespace
}  // namespace pellmark::ledger
