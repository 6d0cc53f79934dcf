#include <gtest/gtest.h>

#include <string>

#include "club/record_kinds.h"
#include "entry_dialog_fixture.h"
#include "forms/entry_dialog.h"
#include "forms/entry_mode_text.h"

namespace pellmark {
namespace {

using testing::ClubRequest;

// The visible controls of a form with their captions, in a fixed order, so one
// line per mode states its whole layout.
std::string Layout(const EntryForm& f) {
  std::string out;
  auto add = [&out](bool shown, const std::string& part) {
    if (!shown) return;
    if (!out.empty()) out += " | ";
    out += part;
  };
  add(f.ratio.visible, "Ratio");
  add(f.amount.visible, f.typelabel.caption);
  add(f.price.visible, f.pricelabel.caption + "=" + f.price.text);
  add(f.commgroup.visible, "comm" + std::string(f.compcomm.enabled ? "+company" : ""));
  add(f.accountgroup.visible, f.accountgroup.caption + (f.tran.visible ? "+tran" : ""));
  add(f.tax.visible, f.tax.caption + (f.tax.checked ? "[x]" : "[ ]"));
  add(f.desc.visible, f.desclabel.caption + std::to_string(f.desc_width) + "=" + f.desc.text);
  add(f.cleared.visible, f.cleared.caption);
  add(f.captype.visible, "captype");
  add(f.allunits.visible, f.payofflabel.visible ? f.payofflabel.caption : "list");
  add(f.fractions.visible, f.fractions.caption);
  add(f.warnlabel.visible, "notice: " + f.warnlabel.caption);
  return out;
}

TEST(EntryDialogLayout, EachModeOfANewEntry) {
  struct Row {
    EntryMode mode;
    const char* title;
    int topic;
    const char* layout;
  };
  const Row rows[] = {
      {EntryMode::Buy, "Buy", 2505,
       "Investment | Price= | comm | Account+tran | Check[x] | Check #:70=1042 | Clear Short | notice: Investment "
       "should NOT Include Commission"},
      {EntryMode::Sell, "Sell", 2506,
       "Gross | Price= | comm | Account+tran | Short | notice: Gross should NOT Include Commission"},
      {EntryMode::Dividends, "Dividends", 2508, "Dividend | Account+tran | Taxable[x]"},
      {EntryMode::DividendReinvestment, "Dividend Reinvestment", 2509, "Dividend | Price= | comm+company | Taxable[x]"},
      {EntryMode::CapitalChange, "Capital Change", 2510, "Amount | Account+tran | captype"},
      {EntryMode::SecurityPrices, "Security Prices", 2502, "Price"},
      {EntryMode::MemberDues, "Member Dues", 2003, "Dues | Account+tran"},
      {EntryMode::Check, "Check", 1006, "Amount | Check #=1042 | Category | Description:235= | Cleared"},
      {EntryMode::Deposit, "Deposit", 1007, "Amount | Category+tran | Description:235= | Cleared"},
      {EntryMode::Withdrawal, "Withdrawal", 1008, "Amount | Category+tran | Description:235= | Cleared"},
      {EntryMode::ServiceCharge, "Service Charge", 1009, "Charge | Description:235= | Cleared"},
      {EntryMode::Interest, "Interest", 1007, "Interest | Description:235= | Cleared"},
      {EntryMode::Transfer, "Transfer", 1011, "Amount | Transfer Account+tran | Description:235= | Cleared"},
      {EntryMode::Split, "Split", 2511, "Ratio | New Shares | Old Shares= | Cash For Fractions"},
      {EntryMode::BasisUpdate, "Basis Update", 2512, "Ratio | New Cost | Old Cost= | Cleared"},
      {EntryMode::MemberPayoff, "Member Payoff", 2005,
       "Payoff | Fee=0.00 | Account+tran | Check[x] | Check #:70=1042 | Maximum Payoff | notice: Fee will be "
       "subtracted from Payoff Amount"},
      {EntryMode::MemberFee, "Member Fee", 2010, "Fee | Account+tran"},
      {EntryMode::TotalDuesModification, "Total Dues Modification", 2008, "Total Contributions"},
      {EntryMode::TotalEarningsModification, "Total Earnings Modification", 2009, "Total Earnings"},
      {EntryMode::ForeignTax, "Foreign Tax", 2514, "Tax"},
  };
  for (const Row& row : rows) {
    EntryDialogRequest request = ClubRequest(row.mode);
    request.check_ticked = true;
    EntryDialog dialog(request);
    const EntryForm& form = dialog.Form();
    SCOPED_TRACE(row.title);
    EXPECT_EQ(form.title, row.title);
    EXPECT_EQ(form.help_topic, row.topic);
    EXPECT_EQ(Layout(form), row.layout);
    EXPECT_EQ(form.NameLabel.caption, "Acme Widgets");
    EXPECT_EQ(form.Date.text, "06/15/1999");
    EXPECT_FALSE(form.Date.enabled);
    EXPECT_FALSE(form.read_only);
    EXPECT_FALSE(form.abort.visible);
    EXPECT_EQ(dialog.FirstFocus(), EntryDialog::Focus::Amount);
  }
}

TEST(EntryDialogLayout, ReconciliationHelpAndTheAbortButton) {
  EntryDialogRequest request = ClubRequest(EntryMode::Deposit);
  request.from_reconciliation = true;
  request.show_abort = true;
  EntryDialog dialog(request);
  EXPECT_EQ(dialog.Form().help_topic, 1012);
  EXPECT_TRUE(dialog.Form().abort.visible);
  EXPECT_EQ(dialog.Form().abort.caption, "Abort");
  EXPECT_EQ(EntryModeHelpTopic(EntryMode::Buy, true), 2505);
}

TEST(EntryDialogLayout, ChangeOfAStoredRecordAndItsReadOnlyNotices) {
  struct Row {
    const char* name;
    EntryMode mode;
    void (*set)(EntryDialogRequest&);
    const char* notice;  // empty: the record can be changed
    const char* layout;
  };
  const Row rows[] = {
      {"open lot", EntryMode::Buy, [](EntryDialogRequest&) {}, "",
       "Investment | Price=10.0000 | comm | Account+tran | Clear Short | notice: Investment should NOT Include "
       "Commission"},
      {"sold lot", EntryMode::Buy, [](EntryDialogRequest& r) { r.security_tran.sold = true; },
       "Some Shares Sold. Cannot Change.", nullptr},
      {"covering buy", EntryMode::Buy, [](EntryDialogRequest& r) { r.security_tran.compc = true; },
       "Buys to clear short sells can only be deleted.", nullptr},
      {"sale", EntryMode::Sell, [](EntryDialogRequest&) {}, "Security SELLs can only be deleted", nullptr},
      {"open short sale", EntryMode::Sell,
       [](EntryDialogRequest& r) {
         r.security_tran.typ = Code(SecurityTranKind::Sale);
         r.security_tran.compc = true;
       },
       "", "Gross | Price=10.0000 | comm | Account+tran | Short | notice: Gross should NOT Include Commission"},
      {"covered short sale", EntryMode::Sell,
       [](EntryDialogRequest& r) { r.security_tran.compc = r.security_tran.sold = true; },
       "Security SELLs can only be deleted", nullptr},
      {"split", EntryMode::Split, [](EntryDialogRequest&) {}, "Stock Splits can only be deleted", nullptr},
      {"basis update", EntryMode::BasisUpdate, [](EntryDialogRequest&) {}, "Stock Basis Updates can only be deleted",
       "Ratio | New Cost | Old Cost=1.00 | Cleared | notice: Stock Basis Updates can only be deleted"},
      {"clear", EntryMode::BasisUpdate, [](EntryDialogRequest& r) { r.ratio.clear = true; },
       "Stock Basis Updates can only be deleted", "Cleared | notice: Stock Basis Updates can only be deleted"},
      {"payoff", EntryMode::MemberPayoff, [](EntryDialogRequest&) {}, "Payoffs can only be deleted", nullptr},
      {"dues", EntryMode::MemberDues, [](EntryDialogRequest&) {}, "", "Dues | Account+tran"},
      {"total dues", EntryMode::TotalDuesModification, [](EntryDialogRequest&) {},
       "Total Contributions can only be deleted", nullptr},
      {"total earnings", EntryMode::TotalEarningsModification, [](EntryDialogRequest& r) { r.member_tran.typ = 4; },
       "Total Earnings can only be deleted", nullptr},
      {"earnings", EntryMode::TotalEarningsModification, [](EntryDialogRequest& r) { r.member_tran.typ = 5; },
       "Earnings Records cannot be modified", nullptr},
      {"transfer in", EntryMode::Transfer, [](EntryDialogRequest& r) { r.account_tran.typ = 6; },
       "Only Transfer Out transactions can be changed", nullptr},
      {"transfer out", EntryMode::Transfer, [](EntryDialogRequest& r) { r.account_tran.typ = 5; }, "",
       "Amount | Transfer Account+tran | Description:235=Rent | Cleared"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EntryDialogRequest request = ClubRequest(row.mode, true);
    request.security_tran.amount = 1000;
    request.security_tran.price = 10;
    request.security_tran.comm = 12.5;
    request.ratio = {2, 1, false};
    request.member_tran.dues = 50;
    request.account_tran.amount = 80;
    request.account_tran.desc = "Rent";
    row.set(request);
    EntryDialog dialog(request);
    const EntryForm& form = dialog.Form();
    bool read_only = row.notice[0] != '\0';
    EXPECT_EQ(form.read_only, read_only);
    if (read_only) {
      EXPECT_TRUE(form.warnlabel.visible);
      EXPECT_EQ(form.warnlabel.caption, row.notice);
      EXPECT_FALSE(form.amount.enabled);
      EXPECT_FALSE(form.Date.enabled);
      EXPECT_EQ(dialog.PressOk().kind, OkOutcome::Kind::Cancelled);
    } else {
      EXPECT_TRUE(form.Date.enabled);
      EXPECT_EQ(dialog.FirstFocus(), EntryDialog::Focus::Date);
    }
    if (row.layout) {
      EXPECT_EQ(Layout(form), row.layout);
    }
  }
}

TEST(EntryDialogLayout, ChangeFillsTheStoredFiguresAndHoldsTheAccount) {
  EntryDialogRequest request = ClubRequest(EntryMode::Buy, true);
  request.security_tran.amount = 1234.5;
  request.security_tran.price = 12.34567;
  request.security_tran.comm = 9.999;
  request.security_tran.actid = 2;
  EntryDialog buy(request);
  EXPECT_EQ(buy.Form().amount.text, "1234.50");
  EXPECT_EQ(buy.Form().price.text, "12.3457");
  EXPECT_EQ(buy.Form().commission.text, "10.00");
  EXPECT_EQ(buy.Form().accountbox.selected, 1);
  EXPECT_FALSE(buy.Form().accountbox.enabled);
  EXPECT_FALSE(buy.Form().tran.enabled);
  EXPECT_FALSE(buy.Form().desc.visible);

  request = ClubRequest(EntryMode::CapitalChange, true);
  request.security_tran.typ = 5;
  request.security_tran.compc = true;
  EntryDialog gain(request);
  EXPECT_EQ(gain.Form().captype.selected, kCapitalGain);
  EXPECT_EQ(gain.Form().allunits.selected, kMediumTermGain);
  EXPECT_TRUE(gain.Form().allunits.visible);
  EXPECT_FALSE(gain.Form().captype.enabled);

  request = ClubRequest(EntryMode::DividendReinvestment, true);
  request.security_tran.stkid = 7;
  EntryDialog untaxed(request);
  EXPECT_FALSE(untaxed.Form().tax.checked);
  EXPECT_TRUE(untaxed.Form().allunits.visible);
  EXPECT_EQ(untaxed.Form().allunits.items[untaxed.Form().allunits.selected], "Bolt Motors");
  EXPECT_FALSE(untaxed.Form().allunits.enabled);
}

TEST(EntryDialogLayout, TicksShowAndHideTheirControls) {
  EntryDialog buy(ClubRequest(EntryMode::Buy));
  EntryForm& f = buy.Form();
  EXPECT_EQ(f.accountbox.selected, 0);
  f.tax.checked = true;
  buy.taxClick();
  EXPECT_TRUE(f.desc.visible);
  EXPECT_EQ(f.desc.text, "1042");
  f.accountbox.selected = 1;  // Savings has written no check
  buy.accountboxChange();
  EXPECT_EQ(f.desc.text, "");
  f.tran.checked = false;
  buy.tranClick();
  EXPECT_EQ(f.accountbox.selected, -1);
  EXPECT_FALSE(f.accountbox.enabled);
  EXPECT_FALSE(f.tax.visible);
  EXPECT_FALSE(f.desc.visible);
  f.tran.checked = true;
  buy.tranClick();
  EXPECT_EQ(f.accountbox.selected, 1);
  EXPECT_TRUE(f.tax.visible);
  EXPECT_TRUE(f.desc.visible);

  EntryDialog reinvest(ClubRequest(EntryMode::DividendReinvestment));
  reinvest.Form().tax.checked = false;
  reinvest.taxClick();
  EXPECT_TRUE(reinvest.Form().allunits.visible);
  EXPECT_TRUE(reinvest.Form().payofflabel.visible);
  EXPECT_EQ(reinvest.Form().payofflabel.caption, "Bought Security");

  EntryDialog capital(ClubRequest(EntryMode::CapitalChange));
  capital.Form().captype.selected = kCapitalGain;
  capital.captypeClick();
  EXPECT_TRUE(capital.Form().allunits.visible);
  EXPECT_EQ(capital.Form().allunits.items[capital.Form().allunits.selected], "Long Term Capital Gain");

  EntryDialog split(ClubRequest(EntryMode::Split));
  split.Form().fractions.checked = true;
  split.fractionsClick();
  EXPECT_EQ(Layout(split.Form()), "Ratio | New Shares | Old Shares= | comm+company | Account+tran | Amount:70= | Cash For Fractions");

  EntryDialog basis(ClubRequest(EntryMode::BasisUpdate));
  basis.Form().cleared.checked = true;
  basis.clearedClick();
  EXPECT_EQ(Layout(basis.Form()), "Cleared");
  EXPECT_EQ(basis.FirstFocus(), EntryDialog::Focus::None);
}

TEST(EntryDialogLayout, AChangedSplitWithCashForFractionsIsReadOnlyThroughout) {
  EntryDialogRequest request = ClubRequest(EntryMode::Split, true);
  request.ratio = {3, 2, false};
  request.security_tran.transid = 12;  // the fraction sale
  EntryDialog dialog(request);
  const EntryForm& f = dialog.Form();
  EXPECT_TRUE(f.read_only);
  EXPECT_TRUE(f.accountgroup.visible);
  EXPECT_TRUE(f.desc.visible);
  EXPECT_FALSE(f.accountbox.enabled);
  EXPECT_FALSE(f.tran.enabled);
  EXPECT_FALSE(f.desc.enabled);
  EXPECT_FALSE(f.amount.enabled);
}

TEST(EntryDialogLayout, OnlyTheCheckHidesAccountTransaction) {
  for (EntryMode mode : {EntryMode::Deposit, EntryMode::Withdrawal, EntryMode::Transfer}) {
    EXPECT_TRUE(EntryDialog(ClubRequest(mode)).Form().tran.visible) << EntryModeTitle(mode);
  }
  EXPECT_FALSE(EntryDialog(ClubRequest(EntryMode::Check)).Form().tran.visible);
}

}  // namespace
}  // namespace pellmark
