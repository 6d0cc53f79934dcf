#include "cash/account_ledger.h"

#include <algorithm>
#include <gmock/gmock.h>

#include "club/keys.h"
#include "club/record_kinds.h"
#include "books/account_form.h"
#include "forms/entry_dialog.h"
#include "forms/entry_mode_text.h"
#include "books/register_text.h"
#include "support/ledger_fixture.h"

namespace pellmark::ledger {
namespace {

using ::testing::ElementsAre;

class AccountTest : public testing::ClubFixture {
 protected:
  void SetUp() override {
    ClubFixture::SetUp();
    ASSERT_TRUE(accounts.CommitAccount(std::nullopt, {"Broker", "9-876", 500}));
    ui.Clear();
  }

  // Queues the dialog's answer: the amount, the description and, when given, the
  // list entry (category or transfer account) and the check number.
  void Answer(std::string amount, std::string desc, std::string listed = "", std::string number = "",
              bool cleared = false) {
    ui.AnswerEntryDialog([=](EntryDialog& dialog) {
      EntryForm& form = dialog.Form();
      form.amount.text = amount;
      form.desc.text = desc;
      if (!number.empty()) form.price.text = number;
      if (!listed.empty()) {
        auto& items = form.accountbox.items;
        form.accountbox.selected = static_cast<int>(std::find(items.begin(), items.end(), listed) - items.begin());
      }
      form.cleared.checked = cleared;
    });
  }

  TAccountRec Account(const std::string& name) { return *accounts.Find(name); }

  AccountLedger accounts{club};
};

TEST_F(AccountTest, ANewAccountStartsAtItsInitialBalance) {
  TAccountRec broker = Account("Broker");
  EXPECT_EQ(broker.actid, 2);
  EXPECT_EQ(broker.ibal, 500);
  EXPECT_EQ(broker.bal, 500);
  EXPECT_EQ(broker.lstchk, -1);
  EXPECT_EQ(broker.lstdate, Day(2026, 12, 7));
  EXPECT_EQ(club.Info().defact, 1);  // Cash stays the default

  EXPECT_FALSE(CommitAccount(club, accounts, std::nullopt, {"Account Name", "", "0"}));
  EXPECT_FALSE(CommitAccount(club, accounts, std::nullopt, {"Savings", "", "12x"}));
  EXPECT_FALSE(accounts.CommitAccount(std::nullopt, {"Broker", "", 0}));
  EXPECT_THAT(ui.Messages(), ElementsAre("No Account to add.", "Initial Balance 12x is invalid.",
                                         "Account Broker already exists."));
}

TEST_F(AccountTest, ChangingTheInitialBalanceMovesTheBalanceByTheDifference) {
  ASSERT_TRUE(accounts.CommitAccount(std::string("Broker"), {"Broker", "9-876", 650}));
  EXPECT_EQ(Account("Broker").bal, 650);
  ASSERT_TRUE(accounts.CommitAccount(std::string("Broker"), {"Brokerage", "9-876", 650}));
  EXPECT_FALSE(accounts.Find("Broker").has_value());
  EXPECT_EQ(Account("Brokerage").actid, 2);
  EXPECT_THAT(ui.Messages(), ElementsAre("Account Broker changed.", "Account Brokerage changed."));
}

TEST(AccountEntryModes, EachModeEntersTheKindThatOpensItAgain) {
  for (EntryMode mode : {EntryMode::Check, EntryMode::Deposit, EntryMode::Withdrawal, EntryMode::ServiceCharge,
                         EntryMode::Interest, EntryMode::Transfer}) {
    EXPECT_EQ(EntryModeOfKind(AccountKindOfMode(mode)), mode) << EntryModeTitle(mode);
  }
  EXPECT_EQ(AccountKindOfMode(EntryMode::Transfer), AccountTranKind::TransferOut);
  EXPECT_EQ(EntryModeOfKind(AccountTranKind::TransferIn), EntryMode::Transfer);
}

TEST_F(AccountTest, ATransferPostsBothHalvesAndDeletingItRemovesBoth) {
  Answer("100", "Fund the broker", "Broker");
  ASSERT_TRUE(accounts.EnterTransaction("Cash", EntryMode::Transfer, Day(2026, 12, 1)));
  TAccountRec cash = Account("Cash");
  TAccountRec broker = Account("Broker");
  EXPECT_EQ(cash.bal, -100);
  EXPECT_EQ(broker.bal, 600);
  EXPECT_EQ(cash.ostdeb, 100);
  EXPECT_EQ(broker.ostcred, 100);

  auto out = accounts.FindTransaction(cash.actid, 0);
  auto in = accounts.FindTransaction(broker.actid, 0);
  ASSERT_TRUE(out && in);
  EXPECT_EQ(out->typ, Code(AccountTranKind::TransferOut));
  EXPECT_EQ(out->catid, 10);
  EXPECT_EQ(out->xferact, broker.actid);
  EXPECT_EQ(out->checknum, in->tranid);
  EXPECT_EQ(in->typ, Code(AccountTranKind::TransferIn));
  EXPECT_EQ(in->catid, 6);
  EXPECT_EQ(in->xferact, cash.actid);
  EXPECT_EQ(in->checknum, out->tranid);

  EXPECT_FALSE(accounts.DeleteTransaction("Broker", in->tranid, false));
  EXPECT_THAT(ui.Messages(), ElementsAre("Only Transfer Out transactions can be deleted."));

  ui.AnswerNext("Selected Record will be removed permanently. Continue?", true);
  ASSERT_TRUE(accounts.DeleteTransaction("Cash", out->tranid, false));
  EXPECT_EQ(Account("Cash").bal, 0);
  EXPECT_EQ(Account("Broker").bal, 500);
  EXPECT_EQ(Account("Broker").ostcred, 0);
  EXPECT_TRUE(accounts.Transactions(cash.actid).empty());
  EXPECT_TRUE(accounts.Transactions(broker.actid).empty());
}

TEST_F(AccountTest, ChangingATransferMovesItsCounterpart) {
  Answer("100", "Fund the broker", "Broker");
  ASSERT_TRUE(accounts.EnterTransaction("Cash", EntryMode::Transfer, Day(2026, 12, 1)));
  ui.AnswerEntryDialog([](EntryDialog& dialog) {
    dialog.Form().amount.text = "40";
    dialog.Form().Date.text = "12/02/2026";
  });
  ASSERT_TRUE(accounts.ChangeTransaction("Cash", 0));
  EXPECT_EQ(Account("Cash").bal, -40);
  EXPECT_EQ(Account("Broker").bal, 540);
  auto in = accounts.FindTransaction(Account("Broker").actid, 0);
  ASSERT_TRUE(in.has_value());
  EXPECT_EQ(in->trandate, Day(2026, 12, 2));
  EXPECT_EQ(in->amount, 40);
  EXPECT_EQ(accounts.Transactions(Account("Cash").actid).size(), 1u);  // re-keyed, not doubled
}

TEST_F(AccountTest, TransfersNeedTwoActiveAccountsAndHiddenAccountsTakeNothing) {
  ASSERT_TRUE(accounts.CommitAccount(std::string("Broker"), {"Broker", "9-876", 0}));
  ui.Clear();
  ASSERT_TRUE(accounts.Hide("Broker"));
  EXPECT_FALSE(accounts.EnterTransaction("Cash", EntryMode::Transfer, Day(2026, 12, 1)));
  EXPECT_FALSE(accounts.EnterTransaction("Broker", EntryMode::Deposit, Day(2026, 12, 1)));
  EXPECT_THAT(ui.Messages(), ElementsAre("Account Broker is hidden.", "Need At Least two accounts to perform transfer.",
                                         "Account is hidden."));
}

TEST_F(AccountTest, ReconcilingACheckClearsItsOutstandingAmountOnly) {
  Answer("25.50", "Stamps", "Operating Expenses", "101");
  ASSERT_TRUE(accounts.EnterTransaction("Cash", EntryMode::Check, Day(2026, 12, 2)));
  Answer("10", "Dues", "Member Contributions");
  ASSERT_TRUE(accounts.EnterTransaction("Cash", EntryMode::Deposit, Day(2026, 12, 3)));
  EXPECT_EQ(Account("Cash").lstchk, 101);

  ui.AnswerEntryDialog([](EntryDialog& dialog) { dialog.Form().cleared.checked = true; });
  ui.AnswerEntryDialog([](EntryDialog&) {}, DialogOutcome::Aborted);
  EXPECT_TRUE(accounts.Reconcile("Cash"));  // the first item stays cleared after the abort
  TAccountRec cash = Account("Cash");
  EXPECT_DOUBLE_EQ(cash.bal, -15.5);
  EXPECT_EQ(cash.ostdeb, 0);
  EXPECT_EQ(cash.ostcred, 10);
  EXPECT_TRUE(accounts.FindTransaction(cash.actid, 0)->cancel);
  const std::vector<RegisterRow> rows = accounts.Register("Cash", 2026);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_TRUE(rows[0].cleared);
  EXPECT_FALSE(rows[1].cleared);
  EXPECT_EQ(rows[0].date, Day(2026, 12, 2));
  EXPECT_EQ(rows[0].check_number, 101);
  EXPECT_EQ(rows[1].check_number, std::nullopt);
  EXPECT_EQ(rows[1].kind, AccountTranKind::Deposit);
  EXPECT_EQ(rows[0].amount, 25.5);
  EXPECT_EQ(RegisterRowTexts(rows[0]).date, "12/02/2026");
  EXPECT_EQ(RegisterRowTexts(rows[1]).date, "12/03/2026  *");
  EXPECT_EQ(ui.EntryRequests().back().show_abort, true);
}

TEST_F(AccountTest, PostingsOfOtherLedgersAreProtectedUnlessForced) {
  TAccountTranRec dues;
  dues.typ = Code(AccountTranKind::Deposit);
  dues.amount = 250;
  dues.trandate = Day(2026, 12, 1);
  dues.catid = 1;
  dues.updateloc = Code(AccountOrigin::Member);
  TAccountRec cash = Account("Cash");
  ASSERT_TRUE(accounts.PostAccountTransaction(cash.actid, PostMode::NewOnAccount, dues, nullptr, kApply));
  EXPECT_EQ(Account("Cash").bal, 250);

  EXPECT_FALSE(accounts.DeleteTransaction("Cash", 0, false));
  EXPECT_THAT(ui.Messages(), ElementsAre("Need to perform a member dues change"));
  ui.AnswerNext("Selected Record will be removed permanently. Continue?", true);
  EXPECT_TRUE(accounts.DeleteTransaction("Cash", 0, true));
  EXPECT_EQ(Account("Cash").bal, 0);
}

TEST_F(AccountTest, ResetRebuildsTheFiguresFromTheRegister) {
  Answer("1000", "Dues", "Member Contributions");
  ASSERT_TRUE(accounts.EnterTransaction("Cash", EntryMode::Deposit, Day(2026, 11, 1)));
  Answer("12.25", "Interest", "");
  ASSERT_TRUE(accounts.EnterTransaction("Cash", EntryMode::Interest, Day(2026, 11, 30)));
  Answer("3", "Fee", "");
  ASSERT_TRUE(accounts.EnterTransaction("Cash", EntryMode::ServiceCharge, Day(2026, 11, 30)));
  Answer("40", "Supplies", "Operating Expenses", "7");
  ASSERT_TRUE(accounts.EnterTransaction("Cash", EntryMode::Check, Day(2027, 1, 3)));  // in the future

  TAccountRec before = Account("Cash");
  TAccountRec damaged = before;
  damaged.bal = 1;
  damaged.interest = 99;
  club.accounts.PutAt("_Cash", damaged);
  ui.Clear();
  ASSERT_TRUE(accounts.ResetAccount("Cash", true));
  TAccountRec after = Account("Cash");
  EXPECT_DOUBLE_EQ(after.bal, 0 + 1000 + 12.25 - 3 - 40);
  EXPECT_DOUBLE_EQ(after.interest, 12.25);
  EXPECT_DOUBLE_EQ(after.interesty, 12.25);
  EXPECT_EQ(after.lstchk, 7);
  EXPECT_EQ(after.lstdate, Day(2027, 1, 3));  // the first future date is the last it reaches
  after.lstdate = before.lstdate;
  EXPECT_EQ(EncodeRecord(after), EncodeRecord(before));
  EXPECT_THAT(ui.Messages(), ElementsAre("Account Cash has been reset."));
}

TEST_F(AccountTest, HidingIsRefusedForDefaultsBalancesAndTheLastAccount) {
  ASSERT_TRUE(accounts.CommitAccount(std::string("Broker"), {"Broker", "9-876", 0}));
  ui.Clear();
  EXPECT_FALSE(accounts.Hide("Cash"));
  ASSERT_TRUE(accounts.SetDefaultMember("Broker", true));
  EXPECT_FALSE(accounts.Hide("Cash"));
  ASSERT_TRUE(accounts.SetDefaultSecurity("Broker", true));
  ASSERT_TRUE(accounts.Hide("Cash"));
  EXPECT_FALSE(accounts.Hide("Broker"));
  EXPECT_EQ(club.Info().hidacts, 1);
  EXPECT_TRUE(club.accounts.Contains("~Cash"));
  ASSERT_TRUE(accounts.Unhide("Cash"));
  EXPECT_FALSE(accounts.SetDefaultMember("Broker", false));
  EXPECT_THAT(ui.Messages(),
              ElementsAre("Account is default member account. Select new default member account.",
                          "Account is default security account. Select new default security account.",
                          "Account Cash is hidden.", "At least one active account required. Cannot hide.",
                          "Account Cash is not hidden.", "Account Already set as default member account."));
  EXPECT_EQ(club.Info().hidacts, 0);
}

TEST_F(AccountTest, DeletingTheDefaultHandsItToTheBusiestAccount) {
  ASSERT_TRUE(accounts.CommitAccount(std::nullopt, {"Savings", "", 0}));
  Answer("5", "Interest", "");
  ASSERT_TRUE(accounts.EnterTransaction("Savings", EntryMode::Interest, Day(2026, 12, 1)));
  Answer("5", "Interest", "");
  ASSERT_TRUE(accounts.EnterTransaction("Savings", EntryMode::Interest, Day(2026, 12, 2)));
  ui.Clear();
  ui.AnswerNext("Account Cash will be removed permanently. Continue?", true);
  ASSERT_TRUE(accounts.Delete("Cash"));
  EXPECT_EQ(club.Info().defact, Account("Savings").actid);
  EXPECT_EQ(club.Info().defstkact, Account("Savings").actid);
  EXPECT_FALSE(accounts.Delete("Savings"));  // a balance other than its initial one
  EXPECT_THAT(ui.Messages(), ElementsAre("Account Cash will be removed permanently. Continue?", "Account Cash deleted.",
                                         "Account Savings has a balance. Cannot Delete."));
}

TEST_F(AccountTest, ABackDatedEntryAsksForTheAuditAndYesAsksTheBooksForIt) {
  club.Info().date = Day(2026, 11, 30);
  Answer("10", "Late dues", "Member Contributions");
  ui.AnswerNext(
      "The Account transaction just entered has a date earlier than the last Valuation Date. Do you want to perform an "
      "audit?",
      true);
  Outcome entered = accounts.EnterTransaction("Cash", EntryMode::Deposit, Day(2026, 11, 15));
  ASSERT_TRUE(entered);
  EXPECT_EQ(entered.audit_from, Day(2026, 11, 15));
  EXPECT_TRUE(ui.AllAnswersUsed());

  Answer("5", "On the valuation day", "Member Contributions");
  Outcome current = accounts.EnterTransaction("Cash", EntryMode::Deposit, Day(2026, 11, 30));
  ASSERT_TRUE(current);
  EXPECT_FALSE(current.audit_from.has_value());  // not before the valuation: no question
}

TEST_F(AccountTest, ValuationMarkerAndCategoryTotals) {
  ASSERT_TRUE(accounts.SetExcludedFromValuation("Broker", true));
  EXPECT_TRUE(Account("Broker").ExcludedFromValuation());
  EXPECT_EQ(books.Figures().Summary().assets, 0);
  Answer("10", "Dues", "Member Contributions");
  ASSERT_TRUE(accounts.EnterTransaction("Cash", EntryMode::Deposit, Day(2026, 12, 1)));
  Answer("15", "More dues", "Member Contributions");
  ui.AnswerNext(
      "The Account transaction just entered has a date earlier than the last Valuation Date. Do you want to perform an "
      "audit?",
      false);
  ASSERT_TRUE(accounts.EnterTransaction("Cash", EntryMode::Deposit, Day(2025, 12, 1)));
  EXPECT_EQ(accounts.CategoryTotal("Cash", 1, 2026), 10);
  EXPECT_EQ(accounts.CategoryTotal("Cash", 1, std::nullopt), 25);
  EXPECT_EQ(books.Figures().Summary().assets, 25);
}

}  // namespace
}  // namespace pellmark::ledger
