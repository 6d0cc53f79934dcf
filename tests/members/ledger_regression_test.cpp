// Stories the ledger property test found, and the faults around them that
// treasurers reported, each kept as its own case.
#include <gmock/gmock.h>

#include <algorithm>

#include "cash/categories.h"
#include "club/keys.h"
#include "club/record_kinds.h"
#include "books/account_form.h"
#include "books/dues_text.h"
#include "forms/entry_dialog.h"
#include "books/register_text.h"
#include "members/member_ledger.h"
#include "support/ledger_fixture.h"

namespace pellmark::ledger {
namespace {

using ::testing::ElementsAre;

class LedgerRegression : public testing::ClubFixture {
 protected:
  void SetUp() override {
    ClubFixture::SetUp();  // Cash, and the starting unit 25.00 on 01/01/2026
    for (auto [last, first] : {std::pair{"Smith", "Ann"}, {"Jones", "Bob"}}) {
      MemberEntry person;
      person.lname = last;
      person.fname = first;
      ASSERT_TRUE(members.CommitMember(std::nullopt, person));
    }
    ui.Clear();
  }

  void AddAccount(const std::string& name) { ASSERT_TRUE(accounts.CommitAccount(std::nullopt, {name, "", 0})); }

  // Queues an account dialog: the amount typed, the description, and the entry
  // chosen in its list (category or transfer account) when one is named.
  void Answer(std::string amount, std::string listed = "", std::string desc = "note") {
    ui.AnswerEntryDialog([=](EntryDialog& dialog) {
      EntryForm& form = dialog.Form();
      if (!amount.empty()) form.amount.text = amount;
      if (form.desc.text.empty()) form.desc.text = desc;
      if (!listed.empty()) {
        auto& items = form.accountbox.items;
        form.accountbox.selected = static_cast<int>(std::find(items.begin(), items.end(), listed) - items.begin());
      }
    });
  }

  void Pay(std::string amount) {
    ui.AnswerEntryDialog([amount](EntryDialog& dialog) { dialog.Form().amount.text = amount; });
  }

  void PayOff(std::string amount, std::string fee) {
    ui.AnswerEntryDialog([=](EntryDialog& dialog) {
      dialog.Form().amount.text = amount;
      dialog.Form().price.text = fee;
      dialog.Form().tax.checked = false;
      dialog.taxClick();
    });
  }

  double TotalCash() {
    double total = 0;
    for (const TAccountRec& account : accounts.List(false)) total += account.bal;
    return total;
  }
  TAccountRec Account(const std::string& name) { return *accounts.Find(name); }
  TMemberRec Member(const std::string& name) { return *members.Find(name); }
  TMemberTranRec Only(const std::string& member) { return members.Transactions(Member(member).memid).front(); }

  // Every store item, to show that a refusal wrote nothing.
  std::vector<std::string> Bytes() {
    std::vector<std::string> items;
    club.actrecs.ForEach("", [&](const TAccountTranRec& tran) { items.push_back(EncodeRecord(tran)); });
    club.accounts.ForEach("", [&](const TAccountRec& account) { items.push_back(EncodeRecord(account)); });
    club.memrecs.ForEach("", [&](const TMemberTranRec& tran) { items.push_back(EncodeRecord(tran)); });
    club.members.ForEach("", [&](const TMemberRec& member) { items.push_back(EncodeRecord(member)); });
    return items;
  }

  MemberLedger members{club};
  AccountLedger accounts{club};
};

TEST_F(LedgerRegression, ChangingATransfersTargetMovesItsTransferIn) {
  Answer("100", "Member Contributions");
  ASSERT_TRUE(accounts.EnterTransaction("Cash", EntryMode::Deposit, Day(2026, 3, 1)));
  AddAccount("Broker");
  Answer("30", "Broker");
  ASSERT_TRUE(accounts.EnterTransaction("Cash", EntryMode::Transfer, Day(2026, 3, 2)));
  AddAccount("Savings");
  Answer("40", "Savings");
  ASSERT_TRUE(accounts.ChangeTransaction("Cash", 1));

  EXPECT_EQ(Account("Broker").bal, 0);
  EXPECT_TRUE(accounts.Transactions(Account("Broker").actid).empty());
  auto moved = accounts.Transactions(Account("Savings").actid);
  ASSERT_EQ(moved.size(), 1u);
  EXPECT_EQ(moved[0].typ, Code(AccountTranKind::TransferIn));
  EXPECT_EQ(moved[0].amount, 40);
  const TAccountTranRec out = *accounts.FindTransaction(Account("Cash").actid, 1);
  EXPECT_EQ(out.xferact, Account("Savings").actid);
  EXPECT_EQ(out.checknum, moved[0].tranid);
  EXPECT_EQ(TotalCash(), 100);

  ui.AnswerNext("Selected Record will be removed permanently. Continue?", true);
  ASSERT_TRUE(accounts.DeleteTransaction("Cash", 1, false));
  EXPECT_EQ(Account("Cash").bal, 100);
  EXPECT_EQ(Account("Savings").bal, 0);
  EXPECT_TRUE(accounts.Transactions(Account("Savings").actid).empty());
  EXPECT_EQ(TotalCash(), 100);
}

TEST_F(LedgerRegression, RedatingOneMembersPaymentLeavesTheCollectionsDepositToTheOthers) {
  Pay("20");  // Bob, first in list order
  Pay("10");  // Ann
  ASSERT_TRUE(members.Collect(MemberAction::DuesAll, std::nullopt, Day(2026, 3, 1)));
  ui.AnswerEntryDialog([&](EntryDialog& dialog) {
    dialog.Form().amount.text = "15";
    dialog.Form().Date.text = "03/05/2026";
  });
  ASSERT_TRUE(members.ChangeTransaction("Smith, Ann", 0));

  const TAccountTranRec shared = *club.actrecs.Find(TranKey(1, Only("Jones, Bob").tranid, Day(2026, 3, 1)));
  EXPECT_EQ(shared.amount, 20);
  const TMemberTranRec ann = Only("Smith, Ann");
  EXPECT_NE(ann.tranid, shared.tranid);
  const TAccountTranRec own = *club.actrecs.Find(TranKey(1, ann.tranid, Day(2026, 3, 5)));
  EXPECT_EQ(own.amount, 15);
  EXPECT_EQ(own.updateloc, Code(AccountOrigin::Member));
  EXPECT_EQ(Account("Cash").bal, 35);

  ui.Clear();
  ui.AnswerNext("Selected Record will be removed permanently. Continue?", true);
  ui.AnswerNext("Do you want to hide member Bob Jones?", false);
  ASSERT_TRUE(members.DeleteTransaction("Jones, Bob", 0, false));
  EXPECT_THAT(ui.Messages(), ElementsAre("Selected Record will be removed permanently. Continue?",
                                         "Do you want to hide member Bob Jones?"));
  EXPECT_EQ(Account("Cash").bal, 15);
  EXPECT_EQ(Member("Smith, Ann").totalc + Member("Jones, Bob").totalc, 15);
}

TEST_F(LedgerRegression, APostingOfAnotherLedgerIsChangedOnlyThere) {
  Pay("50");
  ASSERT_TRUE(members.Collect(MemberAction::DuesSelected, std::string("Smith, Ann"), Day(2026, 3, 1)));
  ui.Clear();
  const auto before = Bytes();
  const std::size_t dialogs = ui.EntryRequests().size();
  Outcome outcome = accounts.ChangeTransaction("Cash", 0);
  EXPECT_TRUE(outcome.Refused());
  EXPECT_THAT(ui.Messages(), ElementsAre("Need to perform a member dues change"));
  EXPECT_EQ(ui.EntryRequests().size(), dialogs);
  EXPECT_EQ(Bytes(), before);
}

TEST_F(LedgerRegression, ReconcilingClearsATransferIn) {
  AddAccount("Broker");
  Answer("30", "Broker");
  ASSERT_TRUE(accounts.EnterTransaction("Cash", EntryMode::Transfer, Day(2026, 3, 2)));
  ASSERT_EQ(Account("Broker").ostcred, 30);
  ui.AnswerEntryDialog([](EntryDialog& dialog) { dialog.Form().cleared.checked = true; });
  ASSERT_TRUE(accounts.Reconcile("Broker"));
  EXPECT_EQ(Account("Broker").ostcred, 0);
  EXPECT_TRUE(accounts.Transactions(Account("Broker").actid).front().cancel);
}

TEST_F(LedgerRegression, ReconcilingChangesTheClearedMarkAndNothingElse) {
  Answer("100", "Member Contributions");
  ASSERT_TRUE(accounts.EnterTransaction("Cash", EntryMode::Deposit, Day(2026, 3, 1)));
  ui.AnswerEntryDialog([](EntryDialog& dialog) {
    dialog.Form().cleared.checked = true;
    dialog.Form().amount.text = "999";
    dialog.Form().Date.text = "04/01/2026";
  });
  ASSERT_TRUE(accounts.Reconcile("Cash"));
  auto register_rows = accounts.Transactions(Account("Cash").actid);
  ASSERT_EQ(register_rows.size(), 1u);
  EXPECT_EQ(register_rows[0].amount, 100);
  EXPECT_EQ(register_rows[0].trandate, Day(2026, 3, 1));
  EXPECT_TRUE(register_rows[0].cancel);
  ASSERT_TRUE(accounts.ResetAccount("Cash", false));
  EXPECT_EQ(Account("Cash").bal, 100);
  EXPECT_EQ(Account("Cash").ostcred, 0);
}

TEST_F(LedgerRegression, ReconcilingLeavesAThreeCentItemOutstanding) {
  Answer("10", "Member Contributions");
  ASSERT_TRUE(accounts.EnterTransaction("Cash", EntryMode::Deposit, Day(2026, 3, 1)));
  Answer("0.03", "Member Contributions");
  ASSERT_TRUE(accounts.EnterTransaction("Cash", EntryMode::Deposit, Day(2026, 3, 2)));
  ui.AnswerEntryDialog([](EntryDialog& dialog) { dialog.Form().cleared.checked = true; });
  ui.AnswerEntryDialog([](EntryDialog&) {});
  ASSERT_TRUE(accounts.Reconcile("Cash"));
  EXPECT_NEAR(Account("Cash").ostcred, 0.03, 1e-9);
  EXPECT_EQ(RegisterRowTexts(accounts.Register("Cash", std::nullopt)[1]).date, "03/02/2026  *");
}

TEST_F(LedgerRegression, APayoffFeeAboveTheAmountIsRefused) {
  Pay("100");
  ASSERT_TRUE(members.Collect(MemberAction::DuesSelected, std::string("Smith, Ann"), Day(2026, 3, 1)));
  ui.Clear();
  const auto before = Bytes();
  PayOff("20", "25");
  EXPECT_TRUE(members.Collect(MemberAction::Payoff, std::string("Smith, Ann"), Day(2026, 3, 2)).WasCancelled());
  EXPECT_THAT(ui.Messages(), ElementsAre("Fee cannot exceed the payoff amount."));
  EXPECT_EQ(Bytes(), before);
  EXPECT_EQ(Account("Cash").bal, 100);
}

TEST_F(LedgerRegression, DuesOfOddCentsDeletedLeaveNoResidueAndTheAccountCanGo) {
  Pay("20.20");
  Pay("10.10");
  ASSERT_TRUE(members.Collect(MemberAction::DuesAll, std::nullopt, Day(2026, 3, 1)));
  ui.AnswerEvery("Selected Record will be removed permanently. Continue?", true);
  ui.AnswerEvery("Do you want to hide member", false);
  ASSERT_TRUE(members.DeleteTransaction("Smith, Ann", 0, false));
  EXPECT_EQ(accounts.Transactions(1).front().amount, 20.2);
  ASSERT_TRUE(members.DeleteTransaction("Jones, Bob", 0, false));
  EXPECT_TRUE(accounts.Transactions(1).empty());

  AddAccount("Broker");
  ASSERT_TRUE(accounts.SetDefaultMember("Broker", true));
  ASSERT_TRUE(accounts.SetDefaultSecurity("Broker", true));
  EXPECT_TRUE(accounts.Hide("Cash"));
  ui.AnswerNext("Account Cash will be removed permanently. Continue?", true);
  EXPECT_TRUE(accounts.Delete("Cash"));
}

TEST_F(LedgerRegression, ARecalculatedMemberStaysUnderTheKeyItWasReadFrom) {
  Pay("50");
  ASSERT_TRUE(members.Collect(MemberAction::DuesSelected, std::string("Smith, Ann"), Day(2026, 3, 1)));
  TMemberRec upgraded = Member("Smith, Ann");
  upgraded.mtype = 'G';  // an older record's type byte, its key still a person's
  upgraded.tunits = upgraded.totalc = 0;
  club.members.PutAt("_Smith, Ann", upgraded);

  members.RecalculateMember(upgraded.memid);
  EXPECT_THAT(club.members.Keys(), ElementsAre("_Jones, Bob", "_Smith, Ann"));
  EXPECT_EQ(club.members.Find("_Smith, Ann")->totalc, 50);
  ASSERT_TRUE(members.ResetMember("Smith, Ann", false));
  members.ResetAllMembers();
  EXPECT_EQ(club.members.Count(), 2);
}

TEST_F(LedgerRegression, APayoffOfTheMaximumAsShownIsAccepted) {
  AddUnitValue(30, Day(2026, 2, 1));
  Pay("250");
  ASSERT_TRUE(members.Collect(MemberAction::DuesSelected, std::string("Smith, Ann"), Day(2026, 3, 1)));
  PayOff("250", "0");
  ui.AnswerNext("Do you want to hide member Ann Smith?", false);
  ASSERT_TRUE(members.Collect(MemberAction::Payoff, std::string("Smith, Ann"), Day(2026, 3, 2)));
  EXPECT_NE(ui.EntryRequests().back().payoff_valuations.front().maximum, 250);  // 8.33333… units at 30
  EXPECT_EQ(Member("Smith, Ann").tunits, 0);
  EXPECT_EQ(Account("Cash").bal, 0);
}

TEST_F(LedgerRegression, AJanuaryPayoffIsOfferedTheDecemberValuation) {
  Pay("100");
  ASSERT_TRUE(members.Collect(MemberAction::DuesSelected, std::string("Smith, Ann"), Day(2026, 3, 1)));
  AddUnitValue(30, Day(2026, 12, 31));
  PayOff("120", "0");
  ui.AnswerNext("Do you want to hide member Ann Smith?", false);
  ASSERT_TRUE(members.Collect(MemberAction::Payoff, std::string("Smith, Ann"), Day(2027, 1, 5)));
  const auto& offered = ui.EntryRequests().back().payoff_valuations;
  ASSERT_EQ(offered.size(), 1u);
  EXPECT_EQ(offered[0].unit.date, Day(2026, 12, 31));
  EXPECT_EQ(members.Transactions(Member("Smith, Ann").memid).back().cunit, 30);
  EXPECT_EQ(Member("Smith, Ann").tunits, 0);
}

TEST_F(LedgerRegression, DeletingTheDefaultAccountHandsItsRolesToAnActiveAccount) {
  AddAccount("Broker");
  Answer("10", "Member Contributions");
  ASSERT_TRUE(accounts.EnterTransaction("Broker", EntryMode::Deposit, Day(2026, 3, 1)));
  Answer("10", "Operating Expenses");
  ASSERT_TRUE(accounts.EnterTransaction("Broker", EntryMode::Withdrawal, Day(2026, 3, 2)));
  ASSERT_TRUE(accounts.Hide("Broker"));
  AddAccount("Savings");
  ui.AnswerNext("Account Cash will be removed permanently. Continue?", true);
  ASSERT_TRUE(accounts.Delete("Cash"));
  EXPECT_EQ(club.Info().defact, Account("Savings").actid);
  EXPECT_EQ(club.Info().defstkact, Account("Savings").actid);
}

TEST_F(LedgerRegression, ALetterCaseRenameIsNoDuplicateOfItself) {
  AddAccount("Broker");
  ASSERT_TRUE(accounts.CommitAccount(std::string("Broker"), {"BROKER", "", 0}));
  EXPECT_EQ(Account("BROKER").name, "BROKER");
  EXPECT_EQ(club.accounts.Count(), 2);

  MemberEntry lower;
  lower.lname = "a";
  lower.fname = "Ann";
  ASSERT_TRUE(members.CommitMember(std::nullopt, lower));
  MemberEntry upper = lower;
  upper.lname = "A";
  ASSERT_TRUE(members.CommitMember(std::string("a, Ann"), upper));
  EXPECT_EQ(Member("A, Ann").lname, "A");
  EXPECT_EQ(club.members.Count(), 3);
  EXPECT_FALSE(accounts.CommitAccount(std::string("BROKER"), {"cash", "", 0}));
  EXPECT_EQ(ui.Messages().back(), "Account cash already exists.");
}

TEST_F(LedgerRegression, ASummaryFollowsValueMinusInvestment) {
  Pay("100");
  ASSERT_TRUE(members.Collect(MemberAction::DuesSelected, std::string("Smith, Ann"), Day(2026, 3, 1)));
  AddUnitValue(37.5, Day(2026, 4, 1));  // 4 units worth 150 against 100 paid in
  EXPECT_DOUBLE_EQ(members.Summary("Smith, Ann").gain, 0.5);
  AddUnitValue(20, Day(2026, 5, 1));  // worth 80
  EXPECT_DOUBLE_EQ(members.Summary("Smith, Ann").gain, -0.2);

  AddUnitValue(100, Day(2026, 6, 1));
  PayOff("300", "0");
  ASSERT_TRUE(members.Collect(MemberAction::Payoff, std::string("Smith, Ann"), Day(2026, 6, 2)));
  // 1 unit worth 100 left after taking out 300 of 100 paid in: contributions -200, a gain of 300.
  EXPECT_EQ(Member("Smith, Ann").totalc, -200);
  EXPECT_DOUBLE_EQ(members.Summary("Smith, Ann").gain, 1.5);
}

TEST_F(LedgerRegression, BackingOutAPayoffAndThenItsPaymentsLeavesNoUnits) {
  // Units of very different size: the large payment swallows the low binary
  // digits of the small one, so backing everything out leaves a residue of
  // about 1e-9 units that must not count as units.
  AddUnitValue(7, Day(2026, 2, 1));
  Pay("0.01");
  ASSERT_TRUE(members.Collect(MemberAction::DuesSelected, std::string("Smith, Ann"), Day(2026, 3, 1)));
  Pay("900000000");
  ASSERT_TRUE(members.Collect(MemberAction::DuesSelected, std::string("Smith, Ann"), Day(2026, 3, 2)));
  PayOff("0.01", "0");
  ASSERT_TRUE(members.Collect(MemberAction::Payoff, std::string("Smith, Ann"), Day(2026, 3, 3)));
  ui.AnswerEvery("Selected Record will be removed permanently. Continue?", true);
  ASSERT_TRUE(members.DeleteTransaction("Smith, Ann", 2, false));
  ui.AnswerNext("Do you want to hide member Ann Smith?", false);  // what is left is below 0.005 units
  ASSERT_TRUE(members.DeleteTransaction("Smith, Ann", 1, false));
  ui.AnswerNext("Do you want to hide member Ann Smith?", true);
  ASSERT_TRUE(members.DeleteTransaction("Smith, Ann", 0, false));
  EXPECT_EQ(Member("Smith, Ann").tunits, 0);
  EXPECT_FALSE(Member("Smith, Ann").active);
}

TEST_F(LedgerRegression, ThePayoutRowShowsTheUnitsRedeemed) {
  Pay("100");
  ASSERT_TRUE(members.Collect(MemberAction::DuesSelected, std::string("Smith, Ann"), Day(2026, 3, 1)));
  PayOff("50", "10");
  ASSERT_TRUE(members.Collect(MemberAction::Payoff, std::string("Smith, Ann"), Day(2026, 3, 2)));
  EXPECT_EQ(DuesRowTexts(members.DuesHistory("Smith, Ann", std::nullopt).back()).units, "(2.000)");
  EXPECT_EQ(Member("Smith, Ann").tunits, 2);
}

TEST_F(LedgerRegression, NamesThatCannotBeToldApartOrDoNotFitAreRefused) {
  const auto before = Bytes();
  for (const char* name : {"", " ", "a\nb", "tab\there"}) {
    EXPECT_TRUE(accounts.CommitAccount(std::nullopt, {name, "", 0}).Refused());
  }
  EXPECT_TRUE(accounts.CommitAccount(std::nullopt, {"Twenty-six characters long", "", 0}).Refused());
  MemberEntry blank;
  blank.lname = " ";
  blank.fname = "Ann";
  EXPECT_TRUE(members.CommitMember(std::nullopt, blank).Refused());
  MemberEntry group;
  group.group = true;
  group.name = "a\nb";
  EXPECT_TRUE(members.CommitMember(std::nullopt, group).Refused());
  CategoryLedger categories(club);
  EXPECT_TRUE(categories.Commit(std::nullopt, {"", CategoryType::Deposit, false}).Refused());
  EXPECT_THAT(ui.Messages(),
              ElementsAre("No Account to add.", "No Account to add.", "No Account to add.", "No Account to add.",
                          "Name Twenty-six characters long is 26 characters long; at most 25 fit.",
                          "No Member to Add.", "No Member to Add.", "No Category to add."));
  EXPECT_EQ(Bytes(), before);
}

TEST_F(LedgerRegression, AmountsAreHeldToCentsAndToTheDialogsLimits) {
  EXPECT_TRUE(CommitAccount(club, accounts, std::nullopt, {"Broker", "", "1e308"}).Refused());
  ASSERT_TRUE(CommitAccount(club, accounts, std::nullopt, {"Broker", "", "12.345"}));
  EXPECT_EQ(Account("Broker").ibal, 12.35);
  Pay("12.345");
  Pay("12.345");
  ASSERT_TRUE(members.Collect(MemberAction::DuesAll, std::nullopt, Day(2026, 3, 1)));
  EXPECT_EQ(ui.Messages().back(), "$24.70 total dues collected.");
  EXPECT_EQ(Account("Cash").bal, 24.7);
  EXPECT_EQ(Only("Smith, Ann").dues, 12.35);
  ui.AnswerEntryDialog([](EntryDialog& dialog) {
    dialog.Form().amount.text = "1e-300";
    dialog.Form().desc.text = "dust";
    dialog.Form().accountbox.selected = 0;
  });
  EXPECT_TRUE(accounts.EnterTransaction("Cash", EntryMode::Deposit, Day(2026, 3, 2)).WasCancelled());
  EXPECT_EQ(ui.Messages().back(), "Amount 1e-300 is invalid.");
}

}  // namespace
}  // namespace pellmark::ledger
