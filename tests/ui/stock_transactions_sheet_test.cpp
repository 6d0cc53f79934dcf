// The "Transactions" sheet of the Securities page: a buy and a sale of chosen
// lots entered through `stockselect`, shown in `stockgrid`, and a record deleted.
#include <QGroupBox>
#include <QListWidget>
#include <gmock/gmock.h>

#include "forms/entry_dialog.h"
#include "securities/security_records.h"
#include "window_fixture.h"

namespace pellmark::ui {
namespace {

using ::testing::ElementsAre;

constexpr int kTransactionsSheet = 2;

class StockTransactionsSheetTest : public ClubWindowTest {
 protected:
  StockTransactionsSheetTest() : ClubWindowTest(MainTab::kSecurities, "SecuritiesPage", "stockgrid") {}

  void SetUp() override {
    ClubWindowTest::SetUp();
    ledger::SecurityRecords securities(window->Club());
    ASSERT_TRUE(securities.CommitSecurity(std::nullopt, {"Acme Corp", "ACME"}));
    window->ChooseTab(MainTab::kSecurities);
    ShowSheet(kTransactionsSheet);
    auto* list = Find<QListWidget>(*window, "Keys");
    const QList<QListWidgetItem*> found = list->findItems(QStringLiteral("Acme Corp"), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.front()).center());
    ui.Clear();
  }

  void AnswerTrade(const char* amount, const char* price) {
    ui.AnswerEntryDialog([amount, price](EntryDialog& dialog) {
      dialog.Form().amount.text = amount;
      dialog.Form().price.text = price;
      dialog.Form().commission.text = "0";
    });
  }
};

TEST_F(StockTransactionsSheetTest, ABuyAndASaleOfChosenLotsShowInTheGrid) {
  AnswerTrade("1000", "10");
  Click("stockbuy");
  AnswerTrade("1200", "12");
  Click("stockbuy");
  EXPECT_THAT(GridRows(), ElementsAre("12/31/1999|Buy|100|1000.00|10.00|0.00", "12/31/1999|Buy|100|1200.00|12.00|0.00"));

  // 150 shares: the second lot chosen first, so the first is the one cut.
  ui.AnswerNext("Select Shares to Sell?", true);
  ui.AnswerLotChooser({1, 0});
  AnswerTrade("2250", "15");
  Click("stocksell");
  EXPECT_TRUE(ui.AllAnswersUsed());
  EXPECT_THAT(GridRows(), ElementsAre("12/31/1999|Buy (Sold)|50|500.00|10.00|0.00",
                                      "12/31/1999|Buy (Sold)|100|1200.00|12.00|0.00",
                                      "12/31/1999|Sell|100|1500.00|15.00|0.00", "12/31/1999|Buy|50|500.00|10.00|0.00",
                                      "12/31/1999|Sell|50|750.00|15.00|0.00"));
  EXPECT_EQ(Find<QGroupBox>(*window, "stockgridgroup")->title(), QStringLiteral("Complete Transaction History"));
  EXPECT_DOUBLE_EQ(window->Club().securities.Select()[0].sharest, 50);

  // Deleting the last sale record opens its lot again.
  ui.AnswerNext("Selected Record will be removed permanently. Continue?", true);
  Click("deletestock");
  EXPECT_THAT(GridRows(), ElementsAre("12/31/1999|Buy|50|500.00|10.00|0.00",
                                      "12/31/1999|Buy (Sold)|100|1200.00|12.00|0.00",
                                      "12/31/1999|Sell|100|1500.00|15.00|0.00", "12/31/1999|Buy|50|500.00|10.00|0.00"));
}

// The holding's value stands beside its name: its shares at the latest price,
// with thousands separators, refreshed by each trade.
TEST_F(StockTransactionsSheetTest, TheListShowsTheHoldingsValueAtItsLatestPrice) {
  EXPECT_THAT(ListedValues(), ElementsAre(QStringLiteral("Acme Corp|$0.00")));
  AnswerTrade("123456.78", "12.5");  // 9,876.5424 shares
  Click("stockbuy");
  EXPECT_THAT(ListedValues(), ElementsAre(QStringLiteral("Acme Corp|$123,456.78")));
  AnswerTrade("1500", "15");  // 100 more, and the price is now $15.00: 9,976.5424 x 15 = 149,648.136
  Click("stockbuy");
  EXPECT_THAT(ListedValues(), ElementsAre(QStringLiteral("Acme Corp|$149,648.14")));
}

TEST_F(StockTransactionsSheetTest, SplitAndBasisUpdateRewriteTheLotInTheGrid) {
  AnswerTrade("1000", "10");
  Click("stockbuy");
  ui.AnswerEvery("The Stock transaction just entered has a date earlier", false);
  ui.AnswerEntryDialog([](EntryDialog& dialog) {
    dialog.Form().amount.text = "2";
    dialog.Form().price.text = "1";
  });
  Click("stocksplit");
  EXPECT_THAT(GridRows(), ElementsAre("12/31/1999|Buy|200|1000.00|5.00|0.00", "12/31/1999|Stock Split|2 for 1|||"));
  ui.AnswerEntryDialog([](EntryDialog& dialog) {
    dialog.Form().amount.text = "800";
    dialog.Form().price.text = "1000";
  });
  Click("stockbasisupdate");
  EXPECT_THAT(GridRows(), ElementsAre("12/31/1999|Buy|200|800.00|4.00|0.00", "12/31/1999|Stock Split|2 for 1|||",
                                      "12/31/1999|Basis Change|800 to 1000|||"));
  EXPECT_DOUBLE_EQ(window->Club().securities.Select()[0].tspent, 800);
}

}  // namespace
}  // namespace pellmark::ui
