// Stories of the security ledger: each posting's records, lots, cash and totals
// against figures worked out by hand, the edge cases of lot relief and short
// sales, and every refusal leaving every stored byte as it was.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "club/holding_term.h"
#include "books/stock_text.h"
#include "securities/trade_fixture.h"

namespace pellmark::ledger {
namespace {

using ::testing::ElementsAre;

class SecurityLedgerTest : public testing::TradeFixture {};

constexpr const char* kSelectShares = "Select Shares to Sell?";
constexpr const char* kAuditQuestion =
    "The Stock transaction just entered has a date earlier than the last Valuation Date. Do you want to perform an audit?";

TEST_F(SecurityLedgerTest, APostingStoryKeepsTotalsCashAndCategoriesAsWorkedOutByHand) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 10, Day(2026, 1, 5)));
  ASSERT_TRUE(Buy("Acme", 1200, 12, 20, Day(2026, 2, 5), 101));
  // 150 shares at 15 from lots of 100 and 100, oldest first.
  ui.AnswerNext(kSelectShares, false);
  ASSERT_TRUE(Sell("Acme", 2250, 15, 30, Day(2026, 3, 5)));
  ASSERT_TRUE(Dividend("Acme", 25, Day(2026, 4, 1)));
  ui.AnswerNext(kAuditQuestion, false);  // dated before the club's first year
  ASSERT_TRUE(Dividend("Acme", 7, Day(2025, 4, 1), false));
  ASSERT_TRUE(Reinvest("Acme", 60, 12, 0, Day(2026, 5, 1)));

  const std::vector<TSecurityTranRec> records = Records("Acme");
  ASSERT_EQ(records.size(), 8u);
  // The first lot sold whole, the second cut into a sold 50 (same id) and an open 50.
  const TSecurityTranRec first = Record("Acme", 0), second = Record("Acme", 1), rest = Record("Acme", 3);
  EXPECT_TRUE(first.sold);
  EXPECT_TRUE(second.sold);
  EXPECT_DOUBLE_EQ(second.amount, 600);
  EXPECT_DOUBLE_EQ(second.comm, 10);
  EXPECT_FALSE(rest.sold);
  EXPECT_DOUBLE_EQ(rest.amount, 600);
  EXPECT_DOUBLE_EQ(rest.comm, 10);
  EXPECT_EQ(rest.trandate, Day(2026, 2, 5));
  const TSecurityTranRec sale1 = Record("Acme", 2), sale2 = Record("Acme", 4);
  EXPECT_EQ(sale1.buytran, 0);
  EXPECT_DOUBLE_EQ(sale1.amount, 1500);
  EXPECT_DOUBLE_EQ(sale1.comm, 20);
  EXPECT_EQ(sale2.buytran, 1);
  EXPECT_DOUBLE_EQ(sale2.amount, 750);
  EXPECT_DOUBLE_EQ(sale2.comm, 10);
  EXPECT_EQ(sale1.transid, sale2.transid);

  const TSecurityRec acme = Security("Acme");
  EXPECT_DOUBLE_EQ(acme.sharest, 55);
  EXPECT_DOUBLE_EQ(acme.tspent, 1010 + 1220 - 1010 - 610 + 60);
  EXPECT_DOUBLE_EQ(acme.pricep, 670.0 / 55);
  EXPECT_DOUBLE_EQ(acme.dividendt, 25 + 7 + 60);
  EXPECT_DOUBLE_EQ(acme.dividendy, 25 + 60);
  EXPECT_DOUBLE_EQ(acme.pricec, 12);  // the newest price recorded, the reinvestment's
  EXPECT_EQ(acme.trancount, 8);

  const std::vector<TAccountTranRec> cash = Postings();
  ASSERT_EQ(cash.size(), 5u);
  EXPECT_EQ(cash[0].desc, "Acme NT-Dividend");
  EXPECT_EQ(cash[1].desc, "100 Acme");
  EXPECT_EQ(KindOf(cash[1]), AccountTranKind::Withdrawal);
  EXPECT_EQ(cash[1].checknum, -1);
  EXPECT_EQ(KindOf(cash[2]), AccountTranKind::Check);
  EXPECT_EQ(cash[2].checknum, 101);
  EXPECT_EQ(cash[3].desc, "Acme Proceeds");
  EXPECT_DOUBLE_EQ(cash[3].amount, 2220);
  EXPECT_EQ(cash[4].desc, "Acme Dividend");
  for (const TAccountTranRec& posting : cash) EXPECT_EQ(OriginOf(posting), AccountOrigin::Security);
  EXPECT_DOUBLE_EQ(Cash().bal, -1010 - 1220 + 2220 + 25 + 7);
  EXPECT_EQ(Cash().lstchk, 101);
  EXPECT_DOUBLE_EQ(books.Accounts().CategoryTotal("Cash", Code(PredefinedCategory::Investments), std::nullopt), 2230);
  EXPECT_DOUBLE_EQ(books.Accounts().CategoryTotal("Cash", Code(PredefinedCategory::InvestmentIncome), std::nullopt), 2227);
  EXPECT_DOUBLE_EQ(books.Accounts().CategoryTotal("Cash", Code(PredefinedCategory::DividendIncome), std::nullopt), 25);

  // Deleting one sale record reopens its lot and takes its share of the
  // proceeds; deleting the other removes the proceeds.
  ASSERT_TRUE(Delete("Acme", 4));
  EXPECT_FALSE(Record("Acme", 1).sold);
  EXPECT_DOUBLE_EQ(Postings()[3].amount, 2220 - 740);
  EXPECT_DOUBLE_EQ(Security("Acme").sharest, 105);
  EXPECT_DOUBLE_EQ(Security("Acme").tspent, 1280);
  ASSERT_TRUE(Delete("Acme", 2));
  EXPECT_FALSE(Record("Acme", 0).sold);
  EXPECT_EQ(Postings().size(), 4u);
  EXPECT_DOUBLE_EQ(Security("Acme").sharest, 205);
  EXPECT_DOUBLE_EQ(Security("Acme").tspent, 2290);
  EXPECT_DOUBLE_EQ(Cash().bal, -1010 - 1220 + 25 + 7);

  // A reset rebuilds the same totals from the records.
  const TSecurityRec before = Security("Acme");
  ASSERT_TRUE(books.Securities().ResetSecurity("Acme", false));
  EXPECT_DOUBLE_EQ(Security("Acme").sharest, before.sharest);
  EXPECT_DOUBLE_EQ(Security("Acme").tspent, before.tspent);
  EXPECT_DOUBLE_EQ(Security("Acme").dividendt, before.dividendt);
  EXPECT_DOUBLE_EQ(Security("Acme").dividendy, before.dividendy);
}

TEST_F(SecurityLedgerTest, ASaleWithinACentOfOneLotTakesItWholeAndLeavesTheNextAlone) {
  ASSERT_TRUE(Buy("Acme", 1000, 30, 0, Day(2026, 1, 5)));  // 33.3333 shares, worth 1166.67 at 35
  ASSERT_TRUE(Buy("Acme", 100, 10, 0, Day(2026, 1, 6)));   // 10 shares
  const TSecurityTranRec second = Record("Acme", 1);
  for (const double proceeds : {1166.67, 1166.66}) {
    SCOPED_TRACE(proceeds);
    ui.AnswerNext(kSelectShares, false);
    ASSERT_TRUE(Sell("Acme", proceeds, 35, 0, Day(2026, 2, 5)));
    const std::vector<TSecurityTranRec> records = Records("Acme");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_TRUE(Record("Acme", 0).sold);
    EXPECT_EQ(EncodeRecord(Record("Acme", 1)), EncodeRecord(second));
    EXPECT_EQ(records[2].buytran, 0);
    EXPECT_DOUBLE_EQ(records[2].amount, proceeds);
    EXPECT_NEAR(Security("Acme").sharest, 10, 1e-12);
    EXPECT_NEAR(Security("Acme").tspent, 100, 1e-12);
    ASSERT_TRUE(Delete("Acme", records[2].stranid));
    EXPECT_NEAR(Security("Acme").sharest, 1000.0 / 30 + 10, 1e-12);
  }
  // A cent's worth more is another lot's business: it cuts the second lot.
  ui.AnswerNext(kSelectShares, false);
  ASSERT_TRUE(Sell("Acme", 1166.68, 35, 0, Day(2026, 2, 5)));
  std::vector<double> sales;
  for (const TSecurityTranRec& tran : Records("Acme")) {
    if (KindOf(tran) == SecurityTranKind::Sale) sales.push_back(tran.amount);
  }
  ASSERT_EQ(sales.size(), 2u);
  EXPECT_NEAR(sales[0], 1000.0 / 30 * 35, 1e-9);
  EXPECT_NEAR(sales[1], 1166.68 - 1000.0 / 30 * 35, 1e-9);
  EXPECT_GE(sales[1], 0.01);
}

TEST_F(SecurityLedgerTest, ChosenLotsAreRelievedInTheOrderChosenAndThePartOneIsCut) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 0, Day(2026, 1, 5)));
  ASSERT_TRUE(Buy("Acme", 1000, 10, 0, Day(2026, 2, 5)));
  ui.AnswerNext(kSelectShares, true);
  ui.AnswerLotChooser({1, 0});
  ASSERT_TRUE(Sell("Acme", 1500, 10, 0, Day(2026, 3, 5)));
  EXPECT_TRUE(Record("Acme", 1).sold);
  EXPECT_DOUBLE_EQ(Record("Acme", 1).amount, 1000);
  EXPECT_DOUBLE_EQ(Record("Acme", 0).amount, 500);
  EXPECT_EQ(Record("Acme", 2).buytran, 1);
  EXPECT_EQ(Record("Acme", 4).buytran, 0);
  EXPECT_FALSE(Record("Acme", 3).sold);
  EXPECT_EQ(Record("Acme", 3).trandate, Day(2026, 1, 5));
  ASSERT_EQ(books.Trades().OpenLots("Acme").size(), 1u);
  EXPECT_DOUBLE_EQ(books.Trades().OpenLots("Acme")[0].shares, 50);
}

TEST_F(SecurityLedgerTest, CancellingTheLotChooserWritesNothing) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 0, Day(2026, 1, 5)));
  const auto before = Snapshot();
  ui.AnswerNext(kSelectShares, true);
  ui.AnswerLotChooser({}, false);
  EXPECT_TRUE(Sell("Acme", 500, 10, 0, Day(2026, 3, 5)).WasCancelled());
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(SecurityLedgerTest, SellingTheWholeHoldingOrAHairMoreAsksNoLotQuestion) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 5, Day(2026, 1, 5)));
  ASSERT_TRUE(Buy("Acme", 1000, 10, 5, Day(2026, 1, 6)));
  ui.AnswerNext("Do you want to hide security Acme?", false);
  // 200.004 shares: within the tolerance, so all of it.
  ASSERT_TRUE(Sell("Acme", 2000.04, 10, 0, Day(2026, 3, 5)));
  EXPECT_THAT(ui.Messages(), ElementsAre("Do you want to hide security Acme?"));
  EXPECT_EQ(Security("Acme").sharest, 0);
  EXPECT_EQ(Security("Acme").tspent, 0);
  EXPECT_TRUE(books.Trades().OpenLots("Acme").empty());
  EXPECT_DOUBLE_EQ(Record("Acme", 3).amount, 1000.04);
}

// Within the tolerance of a lot's shares but not of the whole holding: the
// lot is cut exactly, so the open lots keep holding what `sharest` says.
TEST_F(SecurityLedgerTest, ASaleNearALotsSharesButNotTheWholeHoldingCutsTheLotExactly) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 10, Day(2026, 1, 5)));
  ASSERT_TRUE(Buy("Acme", 1000, 10, 10, Day(2026, 1, 6)));
  ui.AnswerNext(kSelectShares, false);
  ASSERT_TRUE(Sell("Acme", 999.97, 10, 0, Day(2026, 3, 5)));  // 99.997 shares
  const TSecurityTranRec lot = Record("Acme", 0), rest = Record("Acme", 2), sale = Record("Acme", 3);
  EXPECT_TRUE(lot.sold);
  EXPECT_DOUBLE_EQ(lot.amount, 999.97);
  EXPECT_NEAR(lot.comm, 9.9997, 1e-12);
  EXPECT_FALSE(rest.sold);
  EXPECT_EQ(rest.trandate, Day(2026, 1, 5));
  EXPECT_NEAR(rest.amount, 0.03, 1e-9);
  EXPECT_NEAR(rest.comm, 0.0003, 1e-12);
  EXPECT_EQ(sale.buytran, 0);
  EXPECT_DOUBLE_EQ(sale.amount, 999.97);
  double open = 0;
  for (const OpenLot& open_lot : books.Trades().OpenLots("Acme")) open += open_lot.shares;
  EXPECT_NEAR(open, 100.003, 1e-9);
  EXPECT_NEAR(Security("Acme").sharest, 100.003, 1e-9);
  EXPECT_NEAR(Security("Acme").tspent, 2020 - 999.97 - 9.9997, 1e-9);
}

// A sale of the whole holding closes every lot, also a last one smaller than
// the tolerance; the proceeds go to the lots oldest first.
TEST_F(SecurityLedgerTest, SellingTheWholeHoldingClosesEveryLotEvenATinyLastOne) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 0, Day(2026, 1, 5)));
  ASSERT_TRUE(Buy("Acme", 0.03, 10, 0, Day(2026, 1, 6)));  // 0.003 shares
  ui.AnswerNext("Do you want to hide security Acme?", false);
  ASSERT_TRUE(Sell("Acme", 1000, 10, 0, Day(2026, 3, 5)));  // 100 of 100.003 shares: all of them
  EXPECT_TRUE(books.Trades().OpenLots("Acme").empty());
  EXPECT_EQ(Security("Acme").sharest, 0);
  EXPECT_EQ(Security("Acme").tspent, 0);
  EXPECT_EQ(Record("Acme", 2).buytran, 0);
  EXPECT_DOUBLE_EQ(Record("Acme", 2).amount, 1000);
  EXPECT_EQ(Record("Acme", 3).buytran, 1);
  EXPECT_DOUBLE_EQ(Record("Acme", 3).amount, 0);
}

// A reset writes "<name> Dividend" on every dividend's posting, taxable or
// not: one dated like its record is found by its key, one dated otherwise by its id.
TEST_F(SecurityLedgerTest, AResetNamesEveryDividendPostingAfterTheSecurity) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 0, Day(2026, 1, 5)));
  ASSERT_TRUE(Dividend("Acme", 25, Day(2026, 3, 1), false));
  ASSERT_TRUE(Dividend("Acme", 7, Day(2026, 4, 1), false));
  const TSecurityTranRec first = Record("Acme", 1), second = Record("Acme", 2);
  TAccountTranRec moved = *books.Accounts().FindTransaction(second.actid, second.transid);
  ASSERT_TRUE(club.actrecs.Remove(club.actrecs.KeyOf(moved)));
  moved.trandate = Day(2026, 4, 3);
  club.actrecs.Put(moved);
  ASSERT_TRUE(books.Securities().ResetSecurity("Acme", false));
  EXPECT_EQ(books.Accounts().FindTransaction(first.actid, first.transid)->desc, "Acme Dividend");
  EXPECT_EQ(books.Accounts().FindTransaction(second.actid, second.transid)->desc, "Acme Dividend");
  EXPECT_EQ(Postings().size(), 3u);
}

TEST_F(SecurityLedgerTest, AHideAfterTheLastSaleHidesTheSecurity) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 0, Day(2026, 1, 5)));
  ui.AnswerNext("Do you want to hide security Acme?", true);
  ASSERT_TRUE(Sell("Acme", 1000, 10, 0, Day(2026, 3, 5)));
  EXPECT_FALSE(Security("Acme").active);
}

TEST_F(SecurityLedgerTest, AShortSaleChangesNoTotalsAndAPartialCoverLeavesAnOpenRemainder) {
  ASSERT_TRUE(Sell("Acme", 1000, 10, 10, Day(2026, 1, 5), true));
  TSecurityTranRec short_sale = Record("Acme", 0);
  EXPECT_TRUE(short_sale.compc);
  EXPECT_EQ(Security("Acme").sharest, 0);
  EXPECT_EQ(Security("Acme").pricedate, 0);  // no price recorded
  EXPECT_TRUE(club.prices.Select().empty());
  EXPECT_DOUBLE_EQ(Cash().bal, 990);

  ui.AnswerNext("Select Sold Shares?", false);
  ASSERT_TRUE(Cover("Acme", 480, 8, 2, Day(2026, 2, 5)));  // 60 of the 100 shares
  const TSecurityTranRec covering = Record("Acme", 1), covered = Record("Acme", 0), rest = Record("Acme", 2);
  EXPECT_EQ(covering.buytran, 0);
  EXPECT_TRUE(covering.sold);
  EXPECT_EQ(covered.buytran, 1);
  EXPECT_TRUE(covered.sold);
  EXPECT_DOUBLE_EQ(covered.amount, 600);
  EXPECT_DOUBLE_EQ(covered.comm, 6);
  EXPECT_FALSE(rest.sold);
  EXPECT_EQ(rest.buytran, -1);
  EXPECT_DOUBLE_EQ(rest.amount, 400);
  EXPECT_DOUBLE_EQ(rest.comm, 4);
  EXPECT_EQ(StockTypeLabel(covering), "Buy (Short)");
  EXPECT_EQ(StockTypeLabel(covered), "Short Sell (Buy)");
  EXPECT_EQ(Security("Acme").sharest, 0);
  EXPECT_DOUBLE_EQ(Cash().bal, 990 - 482);

  // Covering more than is short is refused; deleting the covering purchase reopens its short sale.
  const auto before = Snapshot();
  EXPECT_EQ(Cover("Acme", 480, 8, 0, Day(2026, 2, 6)).Message(), "Attempting to sell more shares than owned.");
  EXPECT_EQ(Snapshot(), before);
  ui.Clear();
  EXPECT_EQ(Delete("Acme", 0).Message(), "Short Sell has a buy associated with it. Cannot delete.");
  EXPECT_EQ(Snapshot(), before);
  ASSERT_TRUE(Delete("Acme", 1));
  EXPECT_FALSE(Record("Acme", 0).sold);
  EXPECT_EQ(Record("Acme", 0).buytran, -1);
  EXPECT_DOUBLE_EQ(Cash().bal, 990);
}

TEST_F(SecurityLedgerTest, AnUntaxedReinvestmentIntoAnotherSecurityCreditsThatSecurity) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 0, Day(2026, 1, 5)));
  ASSERT_TRUE(Reinvest("Acme", 50, 5, 2, Day(2026, 2, 5), "Bolt", false));
  EXPECT_TRUE(Records("Bolt").size() == 1u);
  const TSecurityTranRec into = Records("Bolt")[0];
  EXPECT_FALSE(into.tax);
  EXPECT_EQ(StockTypeLabel(into), "NO Tax-ReInv");
  const TSecurityRec bolt = Security("Bolt");
  EXPECT_DOUBLE_EQ(bolt.sharest, (50 - 2) / 5.0);  // commission taken from the dividend
  EXPECT_DOUBLE_EQ(bolt.tspent, 50);
  EXPECT_DOUBLE_EQ(bolt.dividendt, 50);
  EXPECT_DOUBLE_EQ(bolt.pricec, 5);
  EXPECT_EQ(Security("Acme").dividendt, 0);
  EXPECT_EQ(Records("Acme").size(), 1u);
  EXPECT_EQ(Postings().size(), 1u);  // reinvestments post no cash
}

TEST_F(SecurityLedgerTest, ACapitalGainOfZeroOrBelowIsALossAndMovesNoTotals) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 0, Day(2026, 1, 5)));
  ASSERT_TRUE(CapitalGain("Acme", 0, Day(2026, 2, 5)));
  ASSERT_TRUE(CapitalGain("Acme", -12.5, Day(2026, 2, 6)));
  EXPECT_EQ(StockTypeLabel(Record("Acme", 1)), "LT Cap-Loss");
  const StockRow loss = books.Trades().Grid("Acme", 2026)[2];
  EXPECT_EQ(loss.amount, -12.5);
  EXPECT_EQ(loss.kind, SecurityTranKind::CapitalGain);
  EXPECT_EQ(StockRowTexts(loss).amount, "(12.50)");
  EXPECT_EQ(StockRowTexts(loss).type, "LT Cap-Loss");
  EXPECT_EQ(Security("Acme").tspent, 1000);
  EXPECT_EQ(Security("Acme").sharest, 100);
  EXPECT_DOUBLE_EQ(Cash().bal, -1000 - 12.5);
  EXPECT_EQ(Postings().back().desc, "Acme Capital Gain");
}

TEST_F(SecurityLedgerTest, TheGridShowsTheYearOrEverything) {
  ui.AnswerNext(kAuditQuestion, false);
  ASSERT_TRUE(Buy("Acme", 1234.5, 12.375, 9.95, Day(2025, 12, 31)));
  ASSERT_TRUE(Dividend("Acme", 3, Day(2026, 1, 2)));
  const std::vector<StockRow> all = books.Trades().Grid("Acme", std::nullopt);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].date, Day(2025, 12, 31));
  EXPECT_EQ(all[0].kind, SecurityTranKind::Purchase);
  EXPECT_NEAR(*all[0].shares, 1234.5 / 12.375, 1e-9);  // the amount at the price
  EXPECT_EQ(all[0].amount, 1234.5);
  EXPECT_EQ(all[0].price, 12.375);
  EXPECT_EQ(all[0].commission, 9.95);
  EXPECT_EQ(all[1].kind, SecurityTranKind::Dividend);
  EXPECT_EQ(all[1].shares, std::nullopt);
  EXPECT_EQ(all[1].price, std::nullopt);
  EXPECT_EQ(all[1].amount, 3);
  const StockRowText bought = StockRowTexts(all[0]);
  EXPECT_EQ(bought.date, "12/31/2025");
  EXPECT_EQ(bought.type, "Buy");
  EXPECT_EQ(bought.shares, "99.758");
  EXPECT_EQ(bought.amount, "1234.50");
  EXPECT_EQ(bought.price, "12.375");
  EXPECT_EQ(bought.comm, "9.95");
  EXPECT_EQ(StockRowTexts(all[1]).shares, "");
  EXPECT_EQ(StockRowTexts(all[1]).price, "");
  EXPECT_EQ(books.Trades().Grid("Acme", 2026).size(), 1u);
  EXPECT_EQ(StockGridCaption(2026), "2026 Transaction History");
  EXPECT_EQ(StockGridCaption(std::nullopt), "Complete Transaction History");
  EXPECT_EQ(Postings()[0].desc, "99.7576 Acme");
}

TEST_F(SecurityLedgerTest, AChangeMovesItsCashAndReKeysOnANewDate) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 10, Day(2026, 1, 5)));
  ui.AnswerEntryDialog([](EntryDialog& dialog) {
    dialog.Form().amount.text = "1500";
    dialog.Form().Date.text = "01/09/2026";
  });
  ASSERT_TRUE(books.Trades().ChangeRecord("Acme", 0));
  ASSERT_EQ(Records("Acme").size(), 1u);
  EXPECT_EQ(Records("Acme")[0].trandate, Day(2026, 1, 9));
  EXPECT_DOUBLE_EQ(Security("Acme").sharest, 150);
  EXPECT_DOUBLE_EQ(Security("Acme").tspent, 1510);
  ASSERT_EQ(Postings().size(), 1u);
  EXPECT_DOUBLE_EQ(Postings()[0].amount, 1510);
  EXPECT_EQ(Postings()[0].trandate, Day(2026, 1, 9));
  EXPECT_EQ(Postings()[0].desc, "150 Acme");
  EXPECT_DOUBLE_EQ(Cash().bal, -1510);
}

TEST_F(SecurityLedgerTest, ABackDatedEntryAsksForTheAuditAndCarriesItsDate) {
  AddUnitValue(10, Day(2026, 6, 30));
  ui.AnswerNext(kAuditQuestion, true);
  Outcome entered = Buy("Acme", 1000, 10, 0, Day(2026, 6, 1));
  ASSERT_TRUE(entered);
  EXPECT_EQ(entered.audit_from, Day(2026, 6, 1));
  ui.AnswerNext("Selected Record will be removed permanently. Continue?", true);
  ui.AnswerNext("The Security transaction just deleted has a date earlier than the last Valuation Date. Do you want to perform an audit?", false);
  ui.AnswerNext("Do you want to hide security Acme?", false);
  Outcome deleted = books.Trades().DeleteRecord("Acme", 0, false);
  ASSERT_TRUE(deleted);
  EXPECT_FALSE(deleted.audit_from);
}

TEST_F(SecurityLedgerTest, EveryRefusalNamesItsReasonAndChangesNoByte) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 0, Day(2026, 1, 5)));
  ui.AnswerNext(kSelectShares, false);
  ASSERT_TRUE(Sell("Acme", 500, 10, 0, Day(2026, 2, 5)));
  TSecurityTranRec fractions;
  fractions.typ = Code(SecurityTranKind::Sale);
  fractions.tax = true;
  fractions.amount = 5;
  fractions.price = 10;
  fractions.trandate = Day(2026, 2, 6);
  fractions.stkid = Security("Bolt").stkid;
  fractions.stranid = 0;
  club.stkrecs.Put(fractions);
  Hold("Bolt", 3, 30);  // shares, but no price yet
  AddSecurity("Hidden", "");
  ASSERT_TRUE(books.Securities().Hide("Hidden"));
  ui.Clear();

  const auto before = Snapshot();
  struct Case {
    std::function<Outcome()> run;
    std::string message;
  };
  const std::vector<Case> cases = {
      {[&] {
         ui.AnswerNext("Do you want to record a short sell?", false);
         return Sell("Acme", 600, 10, 0, Day(2026, 3, 1));
       },
       "Attempting to sell more shares than owned."},
      {[&] { return books.Trades().Enter("Hidden", StockEntry::Buy, Day(2026, 3, 1)); }, "Security is hidden."},
      {[&] { return books.Trades().Enter("Bolt", StockEntry::Buy, Day(2026, 3, 1)); }, "Security has no value."},
      {[&] { return books.Trades().Enter("Hidden", StockEntry::Reinvestment, Day(2026, 3, 1)); }, "Security is hidden."},
      {[&] { return books.Trades().DeleteRecord("Acme", 0, false); }, "Some or all shares have been sold. Cannot delete."},
      {[&] { return books.Trades().DeleteRecord("Bolt", 0, false); },
       "Share Fractions Sells associated with splits cannot be deleted. Delete the Split"},
      {[&] { return books.Trades().DeleteRecord("Hidden", 0, false); }, "Security is hidden."},
      {[&] { return books.Trades().ChangeRecord("Hidden", 0); }, "Security is hidden."},
      {[&] { return books.Trades().DeleteRecord("Acme", 99, false); }, "Security Acme has no transaction 99."},
      {[&] { return books.Trades().Enter("Nowhere", StockEntry::Buy, Day(2026, 3, 1)); },
       "Security Nowhere does not exist."},
  };
  for (const Case& refusal : cases) {
    ui.Clear();
    Outcome outcome = refusal.run();
    EXPECT_FALSE(outcome) << refusal.message;
    EXPECT_EQ(outcome.Message(), refusal.message);
    EXPECT_EQ(ui.Messages().back(), refusal.message);
    EXPECT_EQ(Snapshot(), before) << refusal.message;
  }

  // The dialog's own refusals: a zero or negative price, a negative commission.
  for (const auto& [price, comm, message] : std::vector<std::tuple<double, double, std::string>>{
           {0, 0, "Price 0 is invalid."}, {-2, 0, "Price -2 is invalid."}, {10, -1, "Commission+Fees -1 is invalid."}}) {
    ui.Clear();
    Type(100, price, comm);
    EXPECT_TRUE(books.Trades().Enter("Acme", StockEntry::Buy, Day(2026, 3, 1)).WasCancelled());
    EXPECT_THAT(ui.Messages(), ElementsAre(message));
    EXPECT_EQ(Snapshot(), before);
  }
  // No shares for a reinvestment.
  AddSecurity("Empty", "");
  const auto with_empty = Snapshot();
  EXPECT_EQ(books.Trades().Enter("Empty", StockEntry::Reinvestment, Day(2026, 3, 1)).Message(),
            "Empty does not have any shares.");
  EXPECT_EQ(Snapshot(), with_empty);
  // A dividend is taken even without shares.
  EXPECT_TRUE(Dividend("Empty", 4, Day(2026, 3, 1)));
}

TEST_F(SecurityLedgerTest, ForceDeletesLiftsTheRefusalOfASoldLot) {
  ASSERT_TRUE(Buy("Acme", 1000, 10, 0, Day(2026, 1, 5)));
  ui.AnswerNext(kSelectShares, false);
  ASSERT_TRUE(Sell("Acme", 500, 10, 0, Day(2026, 2, 5)));
  ui.AnswerNext("Selected Record will be removed permanently. Continue?", true);
  ui.AnswerNext("Do you want to hide security Acme?", true);
  ASSERT_TRUE(books.Trades().DeleteRecord("Acme", 0, true));
  EXPECT_FALSE(Security("Acme").active);
  EXPECT_DOUBLE_EQ(Security("Acme").sharest, 0);
}

TEST(HoldingTermAcrossALeapDay, ExactlyAYearIsShortTermAndADayMoreIsNot) {
  const DayNumber bought = DayNumberFromCivil({2023, 3, 1});
  EXPECT_EQ(HoldingTerm(bought, DayNumberFromCivil({2024, 2, 29})), kShortTerm);   // 365 days
  EXPECT_EQ(HoldingTerm(bought, DayNumberFromCivil({2024, 3, 1})), kMediumTerm);   // 366 days
  EXPECT_EQ(HoldingTerm(bought, DayNumberFromCivil({2024, 8, 29})), kMediumTerm);  // 547 days
  EXPECT_EQ(HoldingTerm(bought, DayNumberFromCivil({2024, 8, 30})), kLongTerm);
}

}  // namespace
}  // namespace pellmark::ledger
