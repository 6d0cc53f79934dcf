#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "club/record_kinds.h"
#include "entry_dialog_fixture.h"
#include "forms/entry_dialog.h"
#include "support/scripted_interaction.h"

namespace pellmark {
namespace {

using ::testing::ElementsAre;
using testing::ClubRequest;

std::vector<std::string> Refusals(const EntryDialog& dialog) {
  OkOutcome outcome = dialog.PressOk();
  EXPECT_EQ(outcome.kind, OkOutcome::Kind::Refused);
  return outcome.messages;
}

EntryDialogResult Accepted(const EntryDialog& dialog) {
  OkOutcome outcome = dialog.PressOk();
  EXPECT_EQ(outcome.kind, OkOutcome::Kind::Accepted) << ::testing::PrintToString(outcome.messages);
  EXPECT_EQ(outcome.result.outcome, DialogOutcome::Ok);
  return outcome.result;
}

TEST(EntryDialogChecks, NewPurchaseReportsEveryBadFieldInOrder) {
  EntryDialog buy(ClubRequest(EntryMode::Buy));
  EntryForm& f = buy.Form();
  f.amount.text = "abc";
  f.price.text = "1/0";
  buy.priceExit();
  EXPECT_EQ(f.price.text, "1/0");
  f.commission.text = "-1";
  f.accountbox.selected = -1;
  f.tax.checked = true;
  buy.taxClick();
  f.desc.text = "12a";
  EXPECT_THAT(Refusals(buy), ElementsAre("Investment abc is invalid.", "Price 1/0 is invalid.",
                                         "Commission+Fees -1 is invalid.", "Account not selected.",
                                         "Check #: 12a is invalid."));
}

TEST(EntryDialogChecks, PurchaseReadBack) {
  EntryDialogRequest request = ClubRequest(EntryMode::Buy);
  request.security_tran.buytran = 17;
  EntryDialog buy(request);
  EntryForm& f = buy.Form();
  f.amount.text = "1000";
  f.price.text = "12 1/2";
  buy.priceExit();
  EXPECT_EQ(f.price.text, "12.50");
  f.commission.text = "0";
  f.accountbox.selected = 1;
  buy.accountboxChange();
  f.tax.checked = true;
  buy.taxClick();
  f.desc.text = "300";
  f.cleared.checked = true;  // "Clear Short"
  EntryDialogResult result = Accepted(buy);
  const TSecurityTranRec& rec = result.security_tran;
  EXPECT_EQ(rec.typ, 0);
  EXPECT_DOUBLE_EQ(rec.amount, 1000);
  EXPECT_DOUBLE_EQ(rec.price, 12.5);
  EXPECT_DOUBLE_EQ(rec.comm, 0);
  EXPECT_TRUE(rec.compc);
  EXPECT_EQ(rec.actid, 2);
  EXPECT_EQ(rec.stkid, 4);
  EXPECT_EQ(rec.buytran, 17);
  EXPECT_DOUBLE_EQ(rec.trandate, DayNumberFromCivil(testing::kEntryDate));
  EXPECT_EQ(result.check_number, 300);
  EXPECT_TRUE(result.check_ticked);

  f.tran.checked = false;
  buy.tranClick();
  EntryDialogResult without_account = Accepted(buy);
  EXPECT_EQ(without_account.security_tran.actid, -1);
  EXPECT_EQ(without_account.check_number, -1);
}

TEST(EntryDialogChecks, PricesAndTheSharesTheyBuyStayInTheOneRange) {
  EntryDialog buy(ClubRequest(EntryMode::Buy));
  EntryForm& f = buy.Form();
  f.amount.text = "500";
  f.commission.text = "0";
  f.accountbox.selected = 1;
  buy.accountboxChange();
  for (const char* price : {"1e-300", "0.00009", "1000000000001", "1e300"}) {
    f.price.text = price;
    EXPECT_THAT(Refusals(buy), ElementsAre(std::string("Price ") + price + " is invalid.")) << price;
  }
  f.price.text = "0.0001";
  EXPECT_DOUBLE_EQ(Accepted(buy).security_tran.price, 0.0001);
  f.amount.text = "1000000000";  // at 0.0001 a million million shares and more
  EXPECT_THAT(Refusals(buy), ElementsAre("Price 0.0001 is invalid."));

  EntryDialog price(ClubRequest(EntryMode::SecurityPrices));
  for (const char* bad : {"1e-300", "0.00005"}) {
    price.Form().amount.text = bad;
    EXPECT_THAT(Refusals(price), ElementsAre(std::string("Price ") + bad + " is invalid.")) << bad;
  }
  price.Form().amount.text = "0";  // the write-off stays
  EXPECT_DOUBLE_EQ(Accepted(price).price.price, 0);
}

TEST(EntryDialogChecks, ShortAndCompanyPaidFlags) {
  struct Case {
    EntryMode mode;
    bool short_tick, company_paid;
    bool compc;
    std::int32_t buytran;
  };
  const Case cases[] = {
      {EntryMode::Sell, true, false, true, -1},   {EntryMode::Sell, false, false, false, 5},
      {EntryMode::Sell, true, true, true, 5},     {EntryMode::Buy, true, false, true, 5},
      {EntryMode::Buy, false, true, true, 5},     {EntryMode::Buy, false, false, false, 5},
  };
  for (const Case& c : cases) {
    EntryDialogRequest request = ClubRequest(c.mode);
    request.security_tran.buytran = 5;
    EntryDialog dialog(request);
    EntryForm& f = dialog.Form();
    f.amount.text = "500";
    f.price.text = "5";
    f.commission.text = "2.5";
    f.cleared.checked = c.short_tick;
    f.compcomm.checked = c.company_paid;
    EntryDialogResult result = Accepted(dialog);
    EXPECT_EQ(result.security_tran.compc, c.compc) << static_cast<int>(c.mode) << c.short_tick << c.company_paid;
    EXPECT_EQ(result.security_tran.buytran, c.buytran) << static_cast<int>(c.mode) << c.short_tick << c.company_paid;
  }
}

TEST(EntryDialogChecks, ChangedPurchaseChecksItsDate) {
  EntryDialog buy(ClubRequest(EntryMode::Buy, true));
  EntryForm& f = buy.Form();
  f.Date.text = "13/45/1999";
  f.amount.text = "0";
  EXPECT_THAT(Refusals(buy), ElementsAre("Investment 0 is invalid.", "Price 0.0000 is invalid.",
                                         "13/45/1999 is an invalid date."));
  f.Date.text = "07/04/1999";
  f.amount.text = "10";
  f.price.text = "2";
  EntryDialogResult result = Accepted(buy);
  EXPECT_DOUBLE_EQ(result.security_tran.trandate, DayNumberFromCivil({1999, 7, 4}));
  EXPECT_EQ(result.security_tran.actid, 1);
  EXPECT_DOUBLE_EQ(result.security_tran.comm, 0);

  // A purchase paid from an account the list no longer offers keeps that account.
  EntryDialogRequest hidden_account = ClubRequest(EntryMode::Buy, true);
  hidden_account.security_tran = {};
  hidden_account.security_tran.actid = 6;
  hidden_account.security_tran.amount = 100;
  hidden_account.security_tran.price = 4;
  EntryDialog held(hidden_account);
  EXPECT_FALSE(held.Form().tran.checked);
  held.Form().commission.text = "0";
  EXPECT_EQ(Accepted(held).security_tran.actid, 6);
}

TEST(EntryDialogChecks, CapitalChangeTypesAndTerms) {
  struct Case {
    int captype, term;
    const char* amount;
    bool accepted;
    std::uint8_t typ;
    bool tax, compc;
  };
  const Case cases[] = {
      {kCapitalGain, kShortTermGain, "0", true, 5, true, false},
      {kCapitalGain, kMediumTermGain, "-25", true, 5, false, true},
      {kCapitalGain, kLongTermGain, "25", true, 5, false, false},
      {kCapitalReduction, kShortTermGain, "40", true, 4, false, false},
      {kCapitalReduction, kLongTermGain, "0", false, 0, false, false},
  };
  for (const Case& c : cases) {
    EntryDialog dialog(ClubRequest(EntryMode::CapitalChange));
    dialog.Form().captype.selected = c.captype;
    dialog.captypeClick();
    dialog.Form().allunits.selected = c.term;
    dialog.Form().amount.text = c.amount;
    OkOutcome outcome = dialog.PressOk();
    if (!c.accepted) {
      EXPECT_THAT(outcome.messages, ElementsAre("Amount 0 is invalid."));
      continue;
    }
    ASSERT_EQ(outcome.kind, OkOutcome::Kind::Accepted) << c.amount;
    EXPECT_EQ(outcome.result.security_tran.typ, c.typ) << c.amount;
    EXPECT_EQ(outcome.result.security_tran.tax, c.tax) << c.amount;
    EXPECT_EQ(outcome.result.security_tran.compc, c.compc) << c.amount;
    EXPECT_EQ(outcome.result.security_tran.actid, 1);
  }
}

TEST(EntryDialogChecks, DividendsReinvestmentsAndForeignTax) {
  EntryDialog dividend(ClubRequest(EntryMode::Dividends));
  dividend.Form().amount.text = "45.10";
  dividend.Form().tax.checked = false;
  EntryDialogResult paid = Accepted(dividend);
  EXPECT_EQ(paid.security_tran.typ, 2);
  EXPECT_FALSE(paid.security_tran.tax);
  EXPECT_DOUBLE_EQ(paid.security_tran.comm, 0);

  EntryDialog reinvest(ClubRequest(EntryMode::DividendReinvestment));
  EntryForm& f = reinvest.Form();
  f.amount.text = "30";
  f.price.text = "3/4";
  reinvest.priceExit();
  EXPECT_EQ(f.price.text, "0.75");
  f.commission.text = "1";
  f.tax.checked = false;
  reinvest.taxClick();
  f.allunits.selected = -1;
  EXPECT_THAT(Refusals(reinvest), ElementsAre("Security not selected."));
  f.allunits.selected = 1;
  EntryDialogResult bought = Accepted(reinvest);
  EXPECT_EQ(bought.security_tran.typ, 3);
  EXPECT_EQ(bought.security_tran.stkid, 7);
  EXPECT_FALSE(bought.security_tran.tax);
  EXPECT_TRUE(bought.security_tran.compc);
  EXPECT_EQ(bought.security_tran.actid, 1);

  EntryDialog foreign(ClubRequest(EntryMode::ForeignTax));
  foreign.Form().amount.text = "3.20";
  EntryDialogResult tax = Accepted(foreign);
  EXPECT_EQ(tax.security_tran.typ, 9);
  EXPECT_EQ(tax.security_tran.actid, -1);
}

TEST(EntryDialogChecks, PricesSplitsAndBasisUpdates) {
  EntryDialog price(ClubRequest(EntryMode::SecurityPrices));
  price.Form().amount.text = "12 3/8";
  price.amountExit();
  EXPECT_EQ(price.Form().amount.text, "12.375");
  EXPECT_DOUBLE_EQ(Accepted(price).price.price, 12.375);
  price.Form().amount.text = "0";
  EXPECT_DOUBLE_EQ(Accepted(price).price.price, 0);
  price.Form().amount.text = "-1";
  EXPECT_THAT(Refusals(price), ElementsAre("Price -1 is invalid."));

  EntryDialog split(ClubRequest(EntryMode::Split));
  EntryForm& s = split.Form();
  s.amount.text = "0";
  s.price.text = "x";
  s.fractions.checked = true;
  split.fractionsClick();
  s.desc.text = "-3";
  s.commission.text = "";
  s.accountbox.selected = -1;
  EXPECT_THAT(Refusals(split), ElementsAre("New Shares 0 is invalid.", "Old Shares x is invalid.",
                                           "Amount: -3 is invalid.", "Commission+Fees  is invalid.",
                                           "Account not selected."));
  s.amount.text = "3";
  s.price.text = "2";
  s.desc.text = "14.25";
  s.commission.text = "1";
  s.compcomm.checked = true;
  s.accountbox.selected = 0;
  EntryDialogResult fractions = Accepted(split);
  EXPECT_EQ(fractions.ratio, (RatioRec{3, 2, false}));
  EXPECT_EQ(fractions.security_tran.typ, 1);
  EXPECT_TRUE(fractions.security_tran.tax);
  EXPECT_TRUE(fractions.security_tran.compc);
  EXPECT_DOUBLE_EQ(fractions.security_tran.amount, 14.25);
  EXPECT_EQ(fractions.security_tran.actid, 1);
  s.fractions.checked = false;
  split.fractionsClick();
  EXPECT_FALSE(Accepted(split).security_tran.tax);

  EntryDialog basis(ClubRequest(EntryMode::BasisUpdate));
  basis.Form().amount.text = "junk";
  basis.Form().cleared.checked = true;
  basis.clearedClick();
  EXPECT_EQ(Accepted(basis).ratio, (RatioRec{0, 0, true}));
}

TEST(EntryDialogChecks, MemberModes) {
  EntryDialog dues(ClubRequest(EntryMode::MemberDues));
  dues.Form().amount.text = "";
  EXPECT_EQ(dues.PressOk().kind, OkOutcome::Kind::Cancelled);
  dues.Form().amount.text = "  ";  // only an empty amount cancels
  EXPECT_THAT(Refusals(dues), ElementsAre("Dues    is invalid."));
  dues.Form().amount.text = "0";
  EXPECT_THAT(Refusals(dues), ElementsAre("Dues 0 is invalid."));
  dues.Form().amount.text = "25";
  EntryDialogResult paid = Accepted(dues);
  EXPECT_EQ(paid.member_tran.typ, 0);
  EXPECT_DOUBLE_EQ(paid.member_tran.dues, 25);
  EXPECT_EQ(paid.member_tran.actid, 1);

  EntryDialogRequest total_request = ClubRequest(EntryMode::TotalDuesModification);
  total_request.current_total = 300;
  EntryDialog total(total_request);
  total.Form().amount.text = "250";
  EntryDialogResult correction = Accepted(total);
  EXPECT_EQ(correction.member_tran.typ, 3);
  EXPECT_DOUBLE_EQ(correction.member_tran.dues, -50);
  EXPECT_EQ(correction.member_tran.actid, -1);

  EntryDialog fee(ClubRequest(EntryMode::MemberFee));
  fee.Form().amount.text = "5";
  EXPECT_EQ(Accepted(fee).member_tran.typ, 6);
}

TEST(EntryDialogChecks, PayoffAgainstTheChosenValuation) {
  EntryDialog payoff(ClubRequest(EntryMode::MemberPayoff));
  EntryForm& f = payoff.Form();
  EXPECT_EQ(f.allunits.items[0], "$2,500.00 as of 05/31/1999");
  f.allunits.selected = 1;
  f.amount.text = "2300";
  f.price.text = "fee";
  f.desc.text = "-4";
  EXPECT_THAT(Refusals(payoff), ElementsAre("Fee fee is invalid.", "Payoff greater than Maximum payoff amount.",
                                            "Check #: -4 is invalid."));
  f.allunits.selected = 0;
  f.price.text = "10";
  f.desc.text = "1042";
  EntryDialogResult result = Accepted(payoff);
  EXPECT_EQ(result.member_tran.typ, 2);
  EXPECT_DOUBLE_EQ(result.member_tran.dues, 2300);
  EXPECT_DOUBLE_EQ(result.member_tran.fee, 10);
  EXPECT_DOUBLE_EQ(result.member_tran.cunit, 12.5);
  EXPECT_EQ(result.member_tran.unitind, 9);
  EXPECT_EQ(result.check_number, 1042);
}

TEST(EntryDialogChecks, AccountModes) {
  EntryDialog check(ClubRequest(EntryMode::Check));
  EntryForm& f = check.Form();
  f.amount.text = "-2";
  f.price.text = "0";
  EXPECT_THAT(Refusals(check), ElementsAre("Amount -2 is invalid.", "Description Required.", "Category not selected.",
                                           "Check # 0 is invalid."));
  f.amount.text = "75";
  f.desc.text = "Stamps";
  f.accountbox.selected = 1;  // the second expense category
  f.price.text = "1042";
  f.cleared.checked = true;
  EntryDialogResult written = Accepted(check);
  EXPECT_EQ(written.account_tran.typ, 0);
  EXPECT_EQ(written.account_tran.catid, 11);
  EXPECT_EQ(written.account_tran.checknum, 1042);
  EXPECT_EQ(written.account_tran.desc, "Stamps");
  EXPECT_TRUE(written.account_tran.cancel);

  EntryDialog deposit(ClubRequest(EntryMode::Deposit));
  EXPECT_THAT(deposit.Form().accountbox.items, ElementsAre("Dues", "Dividend Income"));
  deposit.Form().amount.text = "10";
  deposit.Form().desc.text = "A description longer than thirty characters";
  deposit.Form().accountbox.selected = 1;
  EntryDialogResult deposited = Accepted(deposit);
  EXPECT_EQ(deposited.account_tran.catid, 2);
  EXPECT_EQ(deposited.account_tran.checknum, -1);
  EXPECT_EQ(deposited.account_tran.desc, "A description longer than thir");

  EntryDialog charge(ClubRequest(EntryMode::ServiceCharge));
  charge.Form().amount.text = "3";
  charge.Form().desc.text = "Fee";
  EXPECT_EQ(Accepted(charge).account_tran.catid, 8);
  EntryDialog interest(ClubRequest(EntryMode::Interest));
  interest.Form().amount.text = "3";
  interest.Form().desc.text = "June";
  EXPECT_EQ(Accepted(interest).account_tran.typ, 4);

  EntryDialog transfer(ClubRequest(EntryMode::Transfer));
  transfer.Form().amount.text = "100";
  transfer.Form().desc.text = "Move";
  EXPECT_THAT(Refusals(transfer), ElementsAre("Transfer Account not selected."));
  transfer.Form().accountbox.selected = 0;
  EXPECT_THAT(Refusals(transfer), ElementsAre("Transfer in and out accounts are the same"));
  transfer.Form().accountbox.selected = 1;
  EntryDialogResult moved = Accepted(transfer);
  EXPECT_EQ(moved.account_tran.typ, 5);
  EXPECT_EQ(moved.account_tran.catid, 10);
  EXPECT_EQ(moved.account_tran.xferact, 2);
}

TEST(EntryDialogChecks, JunkInEveryBoxOfEveryModeKeepsTheDialogOpen) {
  const char* junk[] = {"abc", "", "   ", "1e999", "-5", "1/0", "12 3/x", "99999999999999", "1,5", "nan", "inf"};
  for (int number = 0; number < kEntryModeCount; ++number) {
    EntryMode mode = *EntryModeFromNumber(number);
    for (bool change : {false, true}) {
      for (const char* text : junk) {
        EntryDialog dialog(ClubRequest(mode, change));
        EntryForm& f = dialog.Form();
        f.Date.text = f.amount.text = f.price.text = f.commission.text = f.desc.text = text;
        dialog.priceExit();
        dialog.amountExit();
        OkOutcome outcome;
        EXPECT_NO_THROW(outcome = dialog.PressOk());
        bool negative_total = std::string(text) == "-5" &&
                              (mode == EntryMode::TotalDuesModification || mode == EntryMode::TotalEarningsModification);
        if (negative_total) continue;
        EXPECT_NE(outcome.kind, OkOutcome::Kind::Accepted) << number << " " << change << " \"" << text << "\"";
      }
    }
  }
}

TEST(EntryDialogChecks, ScriptedDialogsRunTheChecks) {
  testing::ScriptedInteraction ui;
  ui.AnswerEntryDialog([](EntryDialog& d) { d.Form().amount.text = "0"; });
  ui.AnswerEntryDialog([](EntryDialog& d) { d.Form().amount.text = "20"; });
  ui.AnswerEntryDialog([](EntryDialog&) {}, DialogOutcome::Aborted);
  EntryDialogRequest request = ClubRequest(EntryMode::MemberFee);
  EXPECT_EQ(ui.RunEntryDialog(request).outcome, DialogOutcome::Cancelled);
  EntryDialogResult fee = ui.RunEntryDialog(request);
  EXPECT_EQ(fee.outcome, DialogOutcome::Ok);
  EXPECT_DOUBLE_EQ(fee.member_tran.dues, 20);
  EXPECT_EQ(ui.RunEntryDialog(request).outcome, DialogOutcome::Aborted);
  EXPECT_THAT(ui.Messages(), ElementsAre("Fee 0 is invalid."));
  EXPECT_EQ(ui.BeepCount(), 1);
  EXPECT_EQ(ui.EntryRequests().size(), 3u);
}

TEST(EntryDialogChecks, AChangeKeepsTheStoredFiguresItsBoxesShowRounded) {
  EntryDialogRequest buy_request = ClubRequest(EntryMode::Buy, true);
  buy_request.security_tran.amount = 1000.125;
  buy_request.security_tran.price = 100.0 / 3;
  buy_request.security_tran.comm = 12.125;
  EntryDialog buy(buy_request);
  EXPECT_EQ(buy.Form().price.text, "33.3333");
  EntryDialogResult kept = Accepted(buy);
  EXPECT_EQ(kept.security_tran.amount, 1000.125);
  EXPECT_EQ(kept.security_tran.price, 100.0 / 3);
  EXPECT_EQ(kept.security_tran.comm, 12.125);
  buy.Form().price.text = "33.3333";  // typed again as shown: still the stored price
  EXPECT_EQ(Accepted(buy).security_tran.price, 100.0 / 3);
  buy.Form().price.text = "40";
  EXPECT_EQ(Accepted(buy).security_tran.price, 40);

  EntryDialogRequest price_request = ClubRequest(EntryMode::SecurityPrices, true);
  price_request.price.price = 12.125;
  EntryDialog price(price_request);
  EXPECT_EQ(price.Form().amount.text, "12.12");
  EXPECT_EQ(Accepted(price).price.price, 12.125);

  EntryDialogRequest deposit_request = ClubRequest(EntryMode::Deposit, true);
  deposit_request.account_tran.amount = 12.125;
  deposit_request.account_tran.catid = 1;
  deposit_request.account_tran.desc = "Old";
  EntryDialog deposit(deposit_request);
  EXPECT_EQ(Accepted(deposit).account_tran.amount, 12.125);
  deposit.Form().amount.text = "12.345";  // typed money is held in cents
  EXPECT_EQ(Accepted(deposit).account_tran.amount, 12.35);
  deposit.Form().amount.text = "0.004";
  EXPECT_THAT(Refusals(deposit), ElementsAre("Amount 0.004 is invalid."));
}

TEST(EntryDialogChecks, APayoffIsTakenUpToTheMaximumAsShownAndItsFeeNoHigher) {
  EntryDialogRequest request = ClubRequest(EntryMode::MemberPayoff);
  request.payoff_valuations[0].maximum = 249.99999999;
  EntryDialog payoff(request);
  EntryForm& f = payoff.Form();
  EXPECT_EQ(f.allunits.items[0], "$250.00 as of 05/31/1999");
  f.amount.text = "250";
  f.price.text = "250.01";
  f.tax.checked = false;
  payoff.taxClick();
  EXPECT_THAT(Refusals(payoff), ElementsAre("Fee cannot exceed the payoff amount."));
  f.price.text = "250";
  EntryDialogResult paid = Accepted(payoff);
  EXPECT_EQ(paid.member_tran.dues, 250);
  EXPECT_EQ(paid.member_tran.fee, 250);
  f.amount.text = "250.01";
  f.price.text = "0";
  EXPECT_THAT(Refusals(payoff), ElementsAre("Payoff greater than Maximum payoff amount."));
}

TEST(EntryDialogChecks, ReconcilingReadsBackOnlyTheClearedMark) {
  EntryDialogRequest request = ClubRequest(EntryMode::Transfer, true);
  request.from_reconciliation = true;
  request.account_tran.typ = Code(AccountTranKind::TransferIn);
  request.account_tran.amount = 30;
  request.account_tran.xferact = 2;
  request.account_tran.desc = "From savings";
  EntryDialog reconcile(request);
  const EntryForm& f = reconcile.Form();
  EXPECT_FALSE(f.read_only);
  EXPECT_FALSE(f.amount.enabled);
  EXPECT_FALSE(f.Date.enabled);
  EXPECT_FALSE(f.desc.enabled);
  EXPECT_FALSE(f.accountbox.enabled);
  EXPECT_TRUE(f.cleared.enabled);
  reconcile.Form().cleared.checked = true;
  reconcile.Form().amount.text = "31";
  EntryDialogResult cleared = Accepted(reconcile);
  EXPECT_TRUE(cleared.account_tran.cancel);
  EXPECT_EQ(cleared.account_tran.amount, 30);
  EXPECT_EQ(cleared.account_tran.typ, Code(AccountTranKind::TransferIn));
}

}  // namespace
}  // namespace pellmark
