#include "forms/lot_chooser.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "club/dates.h"
#include "support/scripted_interaction.h"

namespace pellmark::securities {
namespace {

using ::testing::ElementsAre;

TSecurityTranRec Tran(std::uint8_t typ, double shares, double price, CivilDate date) {
  TSecurityTranRec rec;
  rec.typ = typ;
  rec.amount = shares * price;
  rec.price = price;
  rec.trandate = DayNumberFromCivil(date);
  return rec;
}

// A sale of `shares` at 20 against lots of 100 shares at 10 bought in January and February.
LotChooserRequest SaleOf(double shares) {
  LotChooserRequest request;
  request.mode = LotChooserMode::Sale;
  request.security.name = "Acme";
  request.transaction = Tran(1, shares, 20, {1999, 6, 1});
  request.candidates = {{"k-jan", Tran(0, 100, 10, {1999, 1, 4})}, {"k-feb", Tran(0, 100, 10, {1999, 2, 1})}};
  return request;
}

TEST(LotChooser, SaleModeCaptionsAndTheOpenLotsOnly) {
  LotChooserRequest request = SaleOf(150);
  TSecurityTranRec sold_lot = Tran(0, 40, 10, {1998, 3, 2});
  sold_lot.sold = true;
  TSecurityTranRec untaxed_reinvestment = Tran(3, 2.5, 12, {1999, 3, 1});
  TSecurityTranRec dividend = Tran(2, 1, 1, {1999, 3, 2});
  TSecurityTranRec short_sale = Tran(1, 10, 10, {1999, 3, 3});
  short_sale.compc = true;
  request.candidates.insert(request.candidates.begin(), {"k-sold", sold_lot});
  request.candidates.push_back({"k-reinv", untaxed_reinvestment});
  request.candidates.push_back({"k-div", dividend});
  request.candidates.push_back({"k-short", short_sale});

  LotChooser chooser(request);
  EXPECT_EQ(chooser.Title(), "Select Sell Shares");
  EXPECT_EQ(chooser.GroupCaption(), "Buy History");
  EXPECT_EQ(chooser.ButtonCaption(), "SELL");
  EXPECT_EQ(chooser.TotalCaption(), "Shares to Sell");
  EXPECT_EQ(chooser.StatusHeader(), "Sold?");
  EXPECT_EQ(chooser.NameLabel(), "Acme");
  EXPECT_EQ(chooser.tshares(), "150.0000");
  EXPECT_TRUE(chooser.CanAllocate());
  ASSERT_EQ(chooser.Rows().size(), 3u);
  const LotRow& reinvestment = chooser.Rows()[2];
  EXPECT_EQ(reinvestment.key, "k-reinv");
  EXPECT_EQ(reinvestment.date, "03/01/1999");
  EXPECT_EQ(reinvestment.type, "NO Tax-ReInv");
  EXPECT_EQ(reinvestment.shares, "2.5000");
  EXPECT_EQ(reinvestment.status, "");
  EXPECT_EQ(chooser.Rows()[0].type, "Buy");
}

TEST(LotChooser, CoverModeShowsOnlyOpenShortSales) {
  LotChooserRequest request;
  request.mode = LotChooserMode::Cover;
  request.transaction = Tran(0, 30, 8, {1999, 6, 1});
  TSecurityTranRec open_short = Tran(1, 20, 9, {1999, 1, 4});
  open_short.compc = true;
  TSecurityTranRec covered_short = open_short;
  covered_short.sold = true;
  TSecurityTranRec plain_sale = Tran(1, 5, 9, {1999, 1, 5});
  request.candidates = {{"a", open_short}, {"b", covered_short}, {"c", plain_sale}, {"d", Tran(0, 5, 1, {1999, 1, 6})}};

  LotChooser chooser(request);
  EXPECT_EQ(chooser.Title(), "Select Buy Shares");
  EXPECT_EQ(chooser.GroupCaption(), "Sell History");
  EXPECT_EQ(chooser.ButtonCaption(), "BUY");
  EXPECT_EQ(chooser.TotalCaption(), "Shares to Buy");
  EXPECT_EQ(chooser.StatusHeader(), "Bought?");
  ASSERT_EQ(chooser.Rows().size(), 1u);
  EXPECT_EQ(chooser.Rows()[0].type, "Short Sell");
  EXPECT_EQ(chooser.Rows()[0].shares, "20.0000");

  chooser.stockfilterClick(0);
  EXPECT_EQ(chooser.tshares(), "10.0000");
  LotChoiceOutcome refused = chooser.PressOk();
  EXPECT_FALSE(refused.accepted);
  EXPECT_EQ(refused.message, "All shares are not sold.");
}

TEST(LotChooser, LaterLotTakenWholeComesBeforeTheEarlierLotCut) {
  LotChooser chooser(SaleOf(150));
  chooser.stockfilterClick(1);
  EXPECT_EQ(chooser.Rows()[1].status, "100.0000");
  EXPECT_EQ(chooser.tshares(), "50.0000");
  EXPECT_TRUE(chooser.CanAllocate());
  chooser.stockfilterClick(0);
  EXPECT_EQ(chooser.Rows()[0].status, "50.0000");
  EXPECT_EQ(chooser.tshares(), "0.0000");
  EXPECT_FALSE(chooser.CanAllocate());

  LotChoiceOutcome ok = chooser.PressOk();
  ASSERT_TRUE(ok.accepted);
  EXPECT_THAT(ok.keys, ElementsAre("k-feb", "k-jan"));
  EXPECT_EQ(chooser.Result().outcome, DialogOutcome::Ok);
}

TEST(LotChooser, AReinvestmentWhoseCommissionCameFromTheDividendShowsTheSharesItBought) {
  LotChooserRequest request = SaleOf(110);
  TSecurityTranRec reinvestment = Tran(3, 10.5, 10, {1999, 3, 1});  // 105 of dividend
  reinvestment.comm = 5;                                             // of which 5 paid the commission
  request.candidates.push_back({"k-reinv", reinvestment});
  TSecurityTranRec company_paid = reinvestment;
  company_paid.compc = true;
  request.candidates.push_back({"k-paid", company_paid});
  LotChooser chooser(request);
  ASSERT_EQ(chooser.Rows().size(), 4u);
  EXPECT_EQ(chooser.Rows()[2].shares, "10.0000");
  EXPECT_EQ(chooser.Rows()[3].shares, "10.5000");
  chooser.stockfilterClick(0);
  chooser.stockfilterClick(2);
  EXPECT_EQ(chooser.Rows()[2].status, "10.0000");
  EXPECT_FALSE(chooser.CanAllocate());
  EXPECT_THAT(chooser.PressOk().keys, ElementsAre("k-jan", "k-reinv"));
}

TEST(LotChooser, RowLargerThanTheRemainderClosesTheAllocation) {
  LotChooser chooser(SaleOf(30));
  chooser.stockfilterClick(0);
  EXPECT_EQ(chooser.Rows()[0].status, "30.0000");
  EXPECT_FALSE(chooser.CanAllocate());
  chooser.stockfilterClick(1);  // the button is disabled: nothing happens
  EXPECT_EQ(chooser.Rows()[1].status, "");
  EXPECT_THAT(chooser.PressOk().keys, ElementsAre("k-jan"));
}

TEST(LotChooser, ARowIsAllocatedOnceAndUnallocatedRowsAreLeftOut) {
  LotChooserRequest request = SaleOf(250);
  request.candidates.push_back({"k-mar", Tran(0, 100, 10, {1999, 3, 1})});
  LotChooser chooser(request);
  chooser.stockfilterClick(2);
  chooser.stockfilterClick(2);
  EXPECT_EQ(chooser.tshares(), "150.0000");
  EXPECT_EQ(chooser.PressOk().message, "All shares are not sold.");
  chooser.stockfilterClick(0);
  chooser.stockfilterClick(1);
  // Whole rows in grid order, whatever the order of allocation; the cut row last.
  EXPECT_THAT(chooser.PressOk().keys, ElementsAre("k-jan", "k-mar", "k-feb"));
}

TEST(LotChooser, TakenWholeIsDecidedOnTheFourDecimalTexts) {
  // A sale of 43.33332 shares: 10 from one lot, the remaining 33.33332 from a lot
  // of `near_shares`. When the two print alike at four decimals the second lot
  // counts as taken whole and keeps its grid place; otherwise it is the cut lot
  // and goes last.
  struct Case {
    double near_shares;
    std::vector<std::string> keys;
  };
  for (const Case& c : {Case{33.33333, {"near", "ten"}}, Case{33.3334, {"ten", "near"}}}) {
    LotChooserRequest request;
    request.transaction = Tran(1, 43.33332, 3, {1999, 6, 1});
    request.candidates = {{"near", Tran(0, c.near_shares, 3, {1998, 1, 4})}, {"ten", Tran(0, 10, 3, {1999, 1, 4})}};
    LotChooser chooser(request);
    chooser.stockfilterClick(1);
    chooser.stockfilterClick(0);
    EXPECT_EQ(chooser.Rows()[0].status, "33.3333") << c.near_shares;
    EXPECT_EQ(chooser.PressOk().keys, c.keys) << c.near_shares;
  }
}

TEST(LotChooser, ScriptedAnswersRunTheChooserAndShowItsRefusal) {
  testing::ScriptedInteraction ui;
  ui.AnswerLotChooser({1, 0});
  ui.AnswerLotChooser({1});
  ui.AnswerLotChooser({0}, false);
  LotChooserResult chosen = ui.RunLotChooser(SaleOf(150));
  EXPECT_EQ(chosen.outcome, DialogOutcome::Ok);
  EXPECT_THAT(chosen.keys, ElementsAre("k-feb", "k-jan"));
  EXPECT_EQ(ui.RunLotChooser(SaleOf(150)).outcome, DialogOutcome::Cancelled);
  EXPECT_EQ(ui.RunLotChooser(SaleOf(10)).outcome, DialogOutcome::Cancelled);
  EXPECT_THAT(ui.Messages(), ElementsAre("All shares are not sold."));
  EXPECT_TRUE(ui.AllAnswersUsed());
}

}  // namespace
}  // namespace pellmark::securities
