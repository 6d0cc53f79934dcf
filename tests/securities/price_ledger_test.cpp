#include "securities/price_ledger.h"

#include <gmock/gmock.h>

#include "securities/security_fixture.h"
#include "securities/security_summary.h"

namespace pellmark::ledger {
namespace {

// The row as the grid shows it: "mm/dd/yyyy price".
std::string PriceLine(const PriceRow& row) { return FormatDate(row.date) + " " + FormatPrice(row.price); }

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class PriceLedgerTest : public testing::SecurityFixture {
 protected:
  void SetUp() override {
    SecurityFixture::SetUp();
    AddSecurity("Acme Corp", "ACME");
    AddSecurity("Bolt Inc", "BOLT");
    AddSecurity("Crane Co", "CRN");
  }
  std::vector<std::string> Prices(const std::string& name, std::optional<std::int32_t> year = std::nullopt) {
    std::vector<std::string> rows;
    for (const PriceRow& row : prices.PriceRows(name, year)) rows.push_back(PriceLine(row));
    return rows;
  }
  PriceLedger& prices = books.Prices();
};

TEST_F(PriceLedgerTest, ASecondPriceOfOneDateReplacesTheFirst) {
  Price("Acme Corp", 10, Day(2026, 12, 1));
  Price("Acme Corp", 10.25, Day(2026, 12, 1));
  EXPECT_THAT(Prices("Acme Corp"), ElementsAre("12/01/2026 10.25"));
  EXPECT_EQ(prices.PriceRows("Acme Corp", std::nullopt)[0].record.tranid, 1);
  EXPECT_EQ(Security("Acme Corp").pricec, 10.25);
  EXPECT_EQ(Security("Acme Corp").pricecount, 2);
}

TEST_F(PriceLedgerTest, TheCurrentPriceMovesForwardOnlyAndNeverIntoTheFuture) {
  Price("Acme Corp", 20, Day(2026, 12, 9));  // future, but the first price: current
  EXPECT_EQ(Security("Acme Corp").pricec, 20);
  EXPECT_EQ(Security("Acme Corp").pricedate, Day(2026, 12, 9));

  Price("Bolt Inc", 5, Day(2026, 12, 1));
  Price("Bolt Inc", 6, Day(2026, 12, 8));   // future: stored only
  Price("Bolt Inc", 4, Day(2026, 11, 30));  // older: stored only
  EXPECT_EQ(Security("Bolt Inc").pricec, 5);
  Price("Bolt Inc", 5.5, Day(2026, 12, 7));  // today: current
  EXPECT_EQ(Security("Bolt Inc").pricec, 5.5);
  EXPECT_EQ(Security("Bolt Inc").pricedate, Day(2026, 12, 7));
  EXPECT_THAT(Prices("Bolt Inc"),
              ElementsAre("11/30/2026 4.00", "12/01/2026 5.00", "12/07/2026 5.50", "12/08/2026 6.00"));
}

TEST_F(PriceLedgerTest, AGivenPriceThatIsNegativeOrNoNumberIsNotStored) {
  const auto before = Snapshot();
  for (double bad : {-1.0, std::nan("")}) {
    TPriceRec price;
    price.price = bad;
    price.trandate = Day(2026, 12, 1);
    EXPECT_EQ(prices.RecordPrice(Security("Acme Corp").stkid, PriceMode::NewWithoutDialog, price),
              PriceResult::Cancelled);
  }
  EXPECT_TRUE(prices.EnterPrice("Acme Corp", -2, Day(2026, 12, 1)).Refused());
  EXPECT_THAT(ui.Messages(), ElementsAre("Price -2.00 is invalid."));
  TPriceRec orphan;
  EXPECT_EQ(prices.RecordPrice(99, PriceMode::NewWithoutDialog, orphan), PriceResult::Cancelled);
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(PriceLedgerTest, PricesAllWalksTheActiveSecuritiesWithAbortAndSetsTheFlag) {
  ASSERT_TRUE(books.Securities().Hide("Bolt Inc"));
  AddSecurity("Drum Ltd", "DRM");
  ui.Clear();
  AnswerPrice("12 3/8");
  AnswerPrice("", DialogOutcome::Cancelled);
  AnswerPrice("", DialogOutcome::Aborted);
  ASSERT_TRUE(prices.PricesAll(Day(2026, 12, 4)));
  ASSERT_EQ(ui.EntryRequests().size(), 3u);
  EXPECT_EQ(ui.EntryRequests()[0].heading, "Acme Corp");
  EXPECT_EQ(ui.EntryRequests()[1].heading, "Crane Co");
  EXPECT_EQ(ui.EntryRequests()[2].heading, "Drum Ltd");
  EXPECT_TRUE(ui.EntryRequests()[0].show_abort);
  EXPECT_EQ(ui.EntryRequests()[0].mode, EntryMode::SecurityPrices);
  EXPECT_EQ(ui.EntryRequests()[0].price.trandate, Day(2026, 12, 4));
  EXPECT_THAT(Prices("Acme Corp"), ElementsAre("12/04/2026 12.375"));
  EXPECT_THAT(Prices("Crane Co"), IsEmpty());
  EXPECT_TRUE(club.Info().stks);
  EXPECT_EQ(ui.SoundCount(), 1);

  // Now the flag asks first; No leaves everything as it was.
  ui.Clear();
  ui.AnswerNext(kPriceUpdateQuestion, false);
  const auto before = Snapshot();
  EXPECT_TRUE(prices.PricesAll(Day(2026, 12, 5)).WasCancelled());
  EXPECT_EQ(Snapshot(), before);
  EXPECT_THAT(ui.Messages(), ElementsAre(kPriceUpdateQuestion));
}

TEST_F(PriceLedgerTest, PricesAllOfOneSecurityHasNoAbortAndStoringNothingLeavesTheFlag) {
  ASSERT_TRUE(books.Securities().Hide("Bolt Inc"));
  ASSERT_TRUE(books.Securities().Hide("Crane Co"));
  AnswerPrice("", DialogOutcome::Cancelled);
  EXPECT_TRUE(prices.PricesAll(Day(2026, 12, 4)).WasCancelled());
  ASSERT_EQ(ui.EntryRequests().size(), 1u);
  EXPECT_FALSE(ui.EntryRequests()[0].show_abort);
  EXPECT_FALSE(club.Info().stks);
}

TEST_F(PriceLedgerTest, PricesSelectedRefusesAHiddenSecurityAndTheDialogRefusesBadPrices) {
  ASSERT_TRUE(books.Securities().Hide("Bolt Inc"));
  ui.Clear();
  EXPECT_TRUE(prices.PricesSelected("Bolt Inc", Day(2026, 12, 4)).Refused());
  AnswerPrice("abc");
  AnswerPrice("-3");
  const auto before = Snapshot();
  EXPECT_TRUE(prices.PricesSelected("Acme Corp", Day(2026, 12, 4)).WasCancelled());
  EXPECT_TRUE(prices.PricesSelected("Acme Corp", Day(2026, 12, 4)).WasCancelled());
  EXPECT_EQ(Snapshot(), before);
  EXPECT_THAT(ui.Messages(), ElementsAre("Security is hidden.", "Price abc is invalid.", "Price -3 is invalid."));

  AnswerPrice("0");
  ui.AnswerNext("Do you want to hide security?", false);
  ASSERT_TRUE(prices.PricesSelected("Acme Corp", Day(2026, 12, 4)));
  EXPECT_FALSE(ui.EntryRequests().back().show_abort);
  EXPECT_EQ(Security("Acme Corp").pricec, 0);
  EXPECT_THAT(Prices("Acme Corp"), ElementsAre("12/04/2026 0.00"));
}

TEST_F(PriceLedgerTest, ChangingAPriceKeepsItsDateAndDeletingOneLeavesTheCurrentPrice) {
  Price("Acme Corp", 10, Day(2026, 11, 2));
  Price("Acme Corp", 11, Day(2026, 12, 1));
  ui.Clear();
  ui.AnswerEntryDialog([](EntryDialog& dialog) {
    EXPECT_EQ(dialog.Form().amount.text, "11.00");
    dialog.Form().amount.text = "11.5";
  });
  ASSERT_TRUE(prices.ChangePrice("Acme Corp", 1));
  EXPECT_TRUE(ui.EntryRequests()[0].change);
  EXPECT_THAT(Prices("Acme Corp"), ElementsAre("11/02/2026 10.00", "12/01/2026 11.50"));
  EXPECT_EQ(Security("Acme Corp").pricec, 11.5);
  EXPECT_EQ(Security("Acme Corp").pricecount, 2);
  EXPECT_TRUE(club.Info().stks);

  ui.AnswerNext("Selected Record will be removed permanently. Continue?", true);
  ASSERT_TRUE(prices.DeletePrice("Acme Corp", 1));
  EXPECT_THAT(Prices("Acme Corp"), ElementsAre("11/02/2026 10.00"));
  EXPECT_EQ(Security("Acme Corp").pricec, 11.5);
  EXPECT_TRUE(prices.DeletePrice("Acme Corp", 1).WasNotFound());
  EXPECT_THAT(ui.Messages().back(), "Security Acme Corp has no price 1.");
}

TEST_F(PriceLedgerTest, TheGridShowsOneYearOrAllWithAtMostTwoTrailingZerosRemoved) {
  Price("Acme Corp", 3.1416, Day(2025, 3, 1));
  Price("Acme Corp", 12.5, Day(2026, 1, 2));
  Price("Acme Corp", 12.375, Day(2026, 2, 2));
  Price("Acme Corp", 7, Day(2026, 3, 2));
  EXPECT_THAT(Prices("Acme Corp", 2026),
              ElementsAre("01/02/2026 12.50", "02/02/2026 12.375", "03/02/2026 7.00"));
  EXPECT_THAT(Prices("Acme Corp"), ElementsAre("03/01/2025 3.1416", "01/02/2026 12.50", "02/02/2026 12.375",
                                               "03/02/2026 7.00"));
  EXPECT_EQ(FormatPrice(0.1), "0.10");
  EXPECT_EQ(FormatPrice(1234.5678), "1234.5678");
  EXPECT_EQ(FormatPrice(2.345), "2.345");
}

TEST_F(PriceLedgerTest, ThePerformanceRatioCountsPriceAndDividendsAgainstTheAverageCost) {
  Price("Acme Corp", 12, Day(2026, 12, 1));
  Hold("Acme Corp", 100, 1000);  // average cost 10
  SecuritySummary up = SummarizeSecurity(Security("Acme Corp"));
  EXPECT_EQ(up.value, 1200);
  EXPECT_DOUBLE_EQ(up.performance, 0.2);

  TSecurityRec acme = Security("Acme Corp");
  acme.pricec = 9;
  acme.dividendt = 50;  // (100 * (9 - 10) + 50) / 1000 = -5%
  EXPECT_DOUBLE_EQ(SummarizeSecurity(acme).performance, -0.05);
  acme.dividendt = 100;
  EXPECT_EQ(SummarizeSecurity(acme).performance, 0);
  acme.dividendt = 0;
  acme.pricec = 10.0049;
  EXPECT_GT(SummarizeSecurity(acme).performance, 0);
  acme.sharest = 0;
  EXPECT_EQ(SummarizeSecurity(acme).performance, 0);
  acme.sharest = 5;
  acme.pricep = 0;  // shares at no cost have no ratio
  EXPECT_EQ(SummarizeSecurity(acme).performance, 0);
}

TEST_F(PriceLedgerTest, TotalAssetsCountActiveSecuritiesAtTheirCurrentPrice) {
  Price("Acme Corp", 12, Day(2026, 12, 1));
  Hold("Acme Corp", 100, 1000);
  ui.AnswerNext("Do you want to hide security?", false);
  Price("Bolt Inc", 0, Day(2026, 12, 1));
  Hold("Bolt Inc", 40, 400);
  ASSERT_TRUE(books.Securities().Hide("Bolt Inc"));
  TSecurityRec bolt = Security("Bolt Inc");
  bolt.pricec = 5;  // hidden: not counted whatever it holds
  books.Securities().Save(bolt);
  const double cash = books.Accounts().Find("Cash")->bal;
  EXPECT_DOUBLE_EQ(books.Figures().Summary().assets, cash + 1200);
}

}  // namespace
}  // namespace pellmark::ledger
