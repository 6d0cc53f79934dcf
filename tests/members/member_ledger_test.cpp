#include "members/member_ledger.h"

#include <gmock/gmock.h>

#include "club/holding_term.h"
#include "club/keys.h"
#include "club/record_kinds.h"
#include "club/store_operations.h"
#include "books/dues_text.h"
#include "forms/entry_dialog.h"
#include "books/member_form.h"
#include "books/register_text.h"
#include "support/ledger_fixture.h"

namespace pellmark::ledger {
namespace {

using ::testing::ElementsAre;

class MemberTest : public testing::ClubFixture {
 protected:
  void SetUp() override {
    ClubFixture::SetUp();  // starting unit 25.00 on 01/01/2026
    AddPerson("Smith", "Ann");
    AddPerson("Jones", "Bob");
    MemberEntry group;
    group.group = true;
    group.name = "Elm Street Trust";
    ASSERT_TRUE(members.CommitMember(std::nullopt, group));
    ui.Clear();
  }

  void AddPerson(const std::string& last, const std::string& first) {
    MemberEntry person;
    person.lname = last;
    person.fname = first;
    ASSERT_TRUE(members.CommitMember(std::nullopt, person));
  }

  void Pay(std::string amount) {
    ui.AnswerEntryDialog([amount](EntryDialog& dialog) { dialog.Form().amount.text = amount; });
  }

  TMemberRec Member(const std::string& name) { return *members.Find(name); }
  TAccountRec Cash() { return *accounts.Find("Cash"); }

  MemberLedger members{club};
  AccountLedger accounts{club};
};

TEST_F(MemberTest, MembersAreKeyedByTheirListingNames) {
  EXPECT_TRUE(club.members.Contains("_Smith, Ann"));
  EXPECT_TRUE(club.members.Contains("_Elm Street Trust"));
  EXPECT_EQ(Member("Elm Street Trust").mtype, 'G');
  EXPECT_EQ(Member("Jones, Bob").memid, 2);

  MemberFields prompt;
  prompt.lname = "Last Name";
  prompt.fname = "First Name";
  EXPECT_FALSE(CommitMember(members, std::nullopt, prompt));
  MemberEntry again;
  again.lname = "Smith";
  again.fname = "Ann";
  EXPECT_FALSE(members.CommitMember(std::nullopt, again));
  EXPECT_THAT(ui.Messages(), ElementsAre("No Member to Add.", "Member Ann Smith already exists."));
}

TEST_F(MemberTest, DuesAllPaysIntoOneDepositWithASharedTransactionId) {
  Pay("100");
  Pay("50");
  Pay("25");
  ASSERT_TRUE(members.Collect(MemberAction::DuesAll, std::nullopt, Day(2026, 2, 1)));
  EXPECT_THAT(ui.Messages(), ElementsAre("$175.00 total dues collected."));
  EXPECT_TRUE(club.Info().dues);

  auto deposits = accounts.Transactions(Cash().actid);
  ASSERT_EQ(deposits.size(), 1u);
  EXPECT_EQ(deposits[0].amount, 175);
  EXPECT_EQ(deposits[0].typ, Code(AccountTranKind::Deposit));
  EXPECT_EQ(deposits[0].catid, 1);
  EXPECT_EQ(deposits[0].updateloc, Code(AccountOrigin::Member));
  EXPECT_EQ(deposits[0].desc, "Member Contributions");
  EXPECT_EQ(Cash().bal, 175);
  EXPECT_EQ(Cash().trancount, 1);

  for (const char* name : {"Smith, Ann", "Jones, Bob", "Elm Street Trust"}) {
    auto transactions = members.Transactions(Member(name).memid);
    ASSERT_EQ(transactions.size(), 1u) << name;
    EXPECT_EQ(transactions[0].tranid, deposits[0].tranid);
    EXPECT_EQ(transactions[0].cunit, 25);
    EXPECT_EQ(transactions[0].unitind, 0);
  }
  EXPECT_EQ(Member("Elm Street Trust").tunits, 4);  // list order: the group first
  EXPECT_EQ(Member("Smith, Ann").totalc, 25);
  EXPECT_TRUE(ui.EntryRequests().front().show_abort);

  ui.AnswerNext("No Valuation Statement Created since last dues collection. Continue?", false);
  EXPECT_FALSE(members.Collect(MemberAction::DuesAll, std::nullopt, Day(2026, 3, 1)));
}

TEST_F(MemberTest, CancelSkipsAMemberAndAbortEndsTheRunKeepingWhatWasPosted) {
  Pay("100");
  ui.AnswerEntryDialog([](EntryDialog&) {}, DialogOutcome::Cancelled);
  ui.AnswerEntryDialog([](EntryDialog&) {}, DialogOutcome::Aborted);
  ASSERT_TRUE(members.Collect(MemberAction::DuesAll, std::nullopt, Day(2026, 2, 1)));
  EXPECT_EQ(Member("Elm Street Trust").totalc, 100);  // the first in list order
  EXPECT_EQ(Member("Jones, Bob").totalc, 0);
  EXPECT_EQ(Cash().bal, 100);
}

TEST_F(MemberTest, DuesBuyAtTheValuationInForceOnTheirDate) {
  AddUnitValue(30, Day(2026, 3, 31));
  AddUnitValue(40, Day(2026, 6, 30));
  const std::string audit_question =
      "The Member transaction just entered has a date earlier than the last Valuation Date. Do you want to perform an "
      "audit?";
  Pay("120");
  ui.AnswerNext(audit_question, false);
  ASSERT_TRUE(members.Collect(MemberAction::DuesSelected, std::string("Smith, Ann"), Day(2026, 5, 15)));
  EXPECT_EQ(Member("Smith, Ann").tunits, 4);  // at 30, the older of the two
  ui.AnswerNext(audit_question, false);
  Pay("50");
  ASSERT_TRUE(members.Collect(MemberAction::DuesSelected, std::string("Jones, Bob"), Day(2025, 12, 1)));
  EXPECT_EQ(Member("Jones, Bob").tunits, 2);  // before every valuation: the oldest (25)
  const std::vector<TUnitValueRec> valuations = members.ValuationsOf(2026);
  ASSERT_EQ(valuations.size(), 3u);  // newest first
  EXPECT_EQ(valuations[0].date, Day(2026, 6, 30));
  EXPECT_EQ(valuations[0].unitval, 40);
  EXPECT_EQ(valuations[2].date, Day(2026, 1, 1));
  EXPECT_EQ(valuations[2].unitval, 25);
  EXPECT_TRUE(members.ValuationsOf(2024).empty());
}

TEST_F(MemberTest, AFullPayoffWithAFeeEmptiesTheMemberAndWithdrawsTheNetAmount) {
  Pay("250");
  ASSERT_TRUE(members.Collect(MemberAction::DuesSelected, std::string("Smith, Ann"), Day(2026, 2, 1)));
  ASSERT_EQ(Member("Smith, Ann").tunits, 10);
  ui.Clear();

  ui.AnswerEntryDialog([](EntryDialog& dialog) {
    dialog.Form().amount.text = "250";
    dialog.Form().price.text = "10";
    dialog.Form().tax.checked = false;  // no check: a withdrawal
    dialog.taxClick();
  });
  ui.AnswerNext("Do you want to hide member Ann Smith?", true);
  ASSERT_TRUE(members.Collect(MemberAction::Payoff, std::string("Smith, Ann"), Day(2026, 2, 1)));

  TMemberRec ann = *members.Find("Smith, Ann");
  EXPECT_EQ(ann.tunits, 0);
  EXPECT_EQ(ann.totalc, 0);
  EXPECT_FALSE(ann.active);
  auto payout = members.Transactions(ann.memid).back();
  EXPECT_EQ(payout.typ, Code(MemberTranKind::Payout));
  EXPECT_EQ(payout.fee, 10);
  EXPECT_EQ(payout.cunit, 25);
  EXPECT_EQ(payout.gain, kShortTerm);

  auto register_rows = accounts.Register("Cash", std::nullopt);
  ASSERT_EQ(register_rows.size(), 2u);
  EXPECT_EQ(RegisterRowTexts(register_rows[1]).kind, "Withdrawal");
  EXPECT_EQ(register_rows[1].record.amount, 240);
  EXPECT_EQ(register_rows[1].record.catid, 9);
  EXPECT_EQ(register_rows[1].record.desc, "Ann Smith Payoff");
  EXPECT_EQ(Cash().bal, 10);
  EXPECT_EQ(ui.EntryRequests().back().payoff_valuations.at(0).maximum, 250);
}

TEST_F(MemberTest, PayoffRefusals) {
  EXPECT_FALSE(members.Collect(MemberAction::Payoff, std::string("Smith, Ann"), Day(2026, 2, 1)));
  Pay("100");
  ASSERT_TRUE(members.Collect(MemberAction::DuesSelected, std::string("Smith, Ann"), Day(2026, 2, 1)));
  ui.AnswerEntryDialog([](EntryDialog& dialog) {
    dialog.Form().amount.text = "100.01";
    dialog.Form().tax.checked = false;
    dialog.taxClick();
  });
  EXPECT_FALSE(members.Collect(MemberAction::Payoff, std::string("Smith, Ann"), Day(2026, 2, 1)));
  EXPECT_THAT(ui.Messages(), ElementsAre("Ann Smith has no assets.", "Payoff greater than Maximum payoff amount."));
  EXPECT_EQ(Member("Smith, Ann").tunits, 4);
}

TEST_F(MemberTest, APayoffAsksOnlyAboutShortSalesStillOpen) {
  Pay("100");
  ASSERT_TRUE(members.Collect(MemberAction::DuesSelected, std::string("Smith, Ann"), Day(2026, 2, 1)));
  TSecurityTranRec sale;
  sale.typ = Code(SecurityTranKind::Sale);
  sale.stkid = 1;
  sale.tax = sale.compc = true;  // split fractions sold, the company paying the commission
  sale.stranid = 0;
  sale.trandate = Day(2026, 1, 10);
  club.stkrecs.Put(sale);
  ui.Clear();
  ui.AnswerEntryDialog([](EntryDialog&) {}, DialogOutcome::Cancelled);
  EXPECT_FALSE(members.Collect(MemberAction::Payoff, std::string("Smith, Ann"), Day(2026, 2, 2)));
  EXPECT_TRUE(ui.Messages().empty());

  sale.tax = false;  // a short sale, not yet covered
  sale.stranid = 1;
  sale.trandate = Day(2026, 1, 11);
  club.stkrecs.Put(sale);
  const std::string question =
      "There are outstanding short sells. This has artifically inflated the current valuation unit value.  Continue "
      "the payoff?";
  ui.AnswerNext(question, false);
  EXPECT_FALSE(members.Collect(MemberAction::Payoff, std::string("Smith, Ann"), Day(2026, 2, 2)));
  EXPECT_THAT(ui.Messages(), ElementsAre(question));
  EXPECT_TRUE(ui.AllAnswersUsed());
  EXPECT_EQ(Member("Smith, Ann").tunits, 4);
}

TEST_F(MemberTest, TotalDuesOfTheCurrentTotalWritesZeroAndChangesNothing) {
  Pay("100");
  ASSERT_TRUE(members.Collect(MemberAction::DuesSelected, std::string("Smith, Ann"), Day(2026, 2, 1)));
  ui.AnswerEntryDialog([](EntryDialog& dialog) { dialog.Form().amount.text = "100"; });
  ASSERT_TRUE(members.Collect(MemberAction::TotalDues, std::string("Smith, Ann"), Day(2026, 2, 2)));
  auto last = members.Transactions(Member("Smith, Ann").memid).back();
  EXPECT_EQ(last.typ, Code(MemberTranKind::NuPayment));
  EXPECT_EQ(last.dues, 0);
  EXPECT_EQ(last.cunit, 0);
  EXPECT_EQ(last.unitind, -1);
  EXPECT_EQ(Member("Smith, Ann").totalc, 100);
  EXPECT_EQ(Member("Smith, Ann").tunits, 4);

  ui.AnswerEntryDialog([](EntryDialog& dialog) { dialog.Form().amount.text = "-7.5"; });
  ASSERT_TRUE(members.Collect(MemberAction::TotalEarnings, std::string("Smith, Ann"), Day(2026, 2, 3)));
  EXPECT_EQ(Member("Smith, Ann").totale, -7.5);
  EXPECT_EQ(Member("Smith, Ann").tunits, 4);
}

TEST_F(MemberTest, ChangingAPaymentChangesUnitsByTheDifferenceAndItsDeposit) {
  Pay("100");
  Pay("50");
  ui.AnswerEntryDialog([](EntryDialog&) {}, DialogOutcome::Cancelled);
  ASSERT_TRUE(members.Collect(MemberAction::DuesAll, std::nullopt, Day(2026, 2, 1)));
  ui.Clear();
  const std::int32_t bob = Member("Jones, Bob").memid;
  ui.AnswerEntryDialog([](EntryDialog& dialog) { dialog.Form().amount.text = "75"; });
  ASSERT_TRUE(members.ChangeTransaction("Jones, Bob", 0));
  EXPECT_EQ(Member("Jones, Bob").tunits, 3);
  EXPECT_EQ(Member("Jones, Bob").totalc, 75);
  EXPECT_EQ(accounts.Transactions(Cash().actid).at(0).amount, 175);
  EXPECT_EQ(Cash().bal, 175);

  ui.AnswerNext("Selected Record will be removed permanently. Continue?", true);
  ui.AnswerNext("Do you want to hide member Bob Jones?", false);
  ASSERT_TRUE(members.DeleteTransaction("Jones, Bob", 0, false));
  EXPECT_TRUE(members.Transactions(bob).empty());
  EXPECT_EQ(accounts.Transactions(Cash().actid).at(0).amount, 100);  // shared deposit reduced
  ui.AnswerNext("Selected Record will be removed permanently. Continue?", true);
  ui.AnswerNext("Do you want to hide member Elm Street Trust?", false);
  ASSERT_TRUE(members.DeleteTransaction("Elm Street Trust", 0, false));
  EXPECT_TRUE(accounts.Transactions(Cash().actid).empty());  // the last part: deleted
  EXPECT_EQ(Cash().bal, 0);
}

TEST_F(MemberTest, HidingNeedsAMemberWithoutUnits) {
  Pay("100");
  ASSERT_TRUE(members.Collect(MemberAction::DuesSelected, std::string("Smith, Ann"), Day(2026, 2, 1)));
  ui.Clear();
  EXPECT_FALSE(members.Hide("Smith, Ann"));
  ASSERT_TRUE(members.Hide("Jones, Bob"));
  EXPECT_FALSE(members.Hide("Jones, Bob"));
  EXPECT_EQ(club.Info().hidmems, 1);
  EXPECT_FALSE(members.Collect(MemberAction::Fees, std::string("Jones, Bob"), Day(2026, 2, 1)));
  EXPECT_FALSE(members.Delete("Smith, Ann"));
  EXPECT_THAT(ui.Messages(), ElementsAre("Member has assets. Cannot hide.", "Member Bob Jones is hidden.",
                                         "Member Bob Jones is hidden.", "Member is Hidden.",
                                         "Member Ann Smith has assets. Cannot Delete."));
}

TEST_F(MemberTest, UnhidingTheLastHiddenMemberStopsShowingHiddenMembers) {
  ASSERT_TRUE(members.Hide("Jones, Bob"));
  ASSERT_TRUE(members.Hide("Elm Street Trust"));
  club.View().showhiddenmembers = true;
  ASSERT_TRUE(members.Unhide("Jones, Bob"));
  EXPECT_TRUE(club.View().showhiddenmembers);  // one is still hidden
  ui.AnswerNext("Member Elm Street Trust will be removed permanently. Continue?", true);
  ASSERT_TRUE(members.Delete("Elm Street Trust"));
  EXPECT_EQ(club.Info().hidmems, 0);
  EXPECT_FALSE(club.View().showhiddenmembers);

  ASSERT_TRUE(members.Hide("Jones, Bob"));
  club.View().showhiddenmembers = true;
  ASSERT_TRUE(members.Unhide("Jones, Bob"));
  EXPECT_FALSE(club.View().showhiddenmembers);
}

TEST_F(MemberTest, TheListingNameOfTheFieldsIsTheNameTheListShows) {
  MemberEntry person;
  person.lname = "Smith";
  person.fname = "Ann";
  EXPECT_EQ(ListingName(person), "Smith, Ann");
  MemberEntry group;
  group.group = true;
  group.name = "Elm Street Investment Partners, a long name";
  EXPECT_EQ(ListingName(group), "Elm Street Investment Partners");
}

TEST_F(MemberTest, ResetRebuildsTheTotalsFromTheTransactions) {
  Pay("100");
  ASSERT_TRUE(members.Collect(MemberAction::DuesSelected, std::string("Smith, Ann"), Day(2026, 2, 1)));
  ui.AnswerEntryDialog([](EntryDialog& dialog) { dialog.Form().amount.text = "5"; });
  ASSERT_TRUE(members.Collect(MemberAction::Fees, std::string("Smith, Ann"), Day(2026, 2, 2)));
  TMemberRec before = Member("Smith, Ann");
  TMemberRec damaged = before;
  damaged.tunits = 99;
  damaged.totalc = -1;
  club.members.PutAt("_Smith, Ann", damaged);
  ui.Clear();
  ASSERT_TRUE(members.ResetMember("Smith, Ann", true));
  EXPECT_EQ(EncodeRecord(Member("Smith, Ann")), EncodeRecord(before));
  EXPECT_THAT(ui.Messages(), ElementsAre("Member Ann Smith has been reset."));
  EXPECT_EQ(accounts.Register("Cash", std::nullopt).back().record.desc, "Member Fee");
}

TEST_F(MemberTest, TheDuesGridShowsUnitsByKind) {
  Pay("100");
  ASSERT_TRUE(members.Collect(MemberAction::DuesSelected, std::string("Smith, Ann"), Day(2026, 2, 1)));
  ui.AnswerEntryDialog([](EntryDialog& dialog) {
    dialog.Form().amount.text = "50";
    dialog.Form().price.text = "2";
    dialog.Form().tax.checked = false;
    dialog.taxClick();
  });
  ASSERT_TRUE(members.Collect(MemberAction::Payoff, std::string("Smith, Ann"), Day(2026, 2, 2)));
  ui.AnswerEntryDialog([](EntryDialog& dialog) { dialog.Form().amount.text = "5"; });
  ASSERT_TRUE(members.Collect(MemberAction::Fees, std::string("Smith, Ann"), Day(2026, 2, 3)));
  auto rows = members.DuesHistory("Smith, Ann", 2026);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].kind, MemberTranKind::Payment);
  EXPECT_EQ(rows[0].units, 4.0);
  EXPECT_EQ(rows[1].kind, MemberTranKind::Payout);
  EXPECT_EQ(rows[1].date, Day(2026, 2, 2));
  EXPECT_EQ(rows[1].units, 2.0);  // the units redeemed: dues / cunit; the fee redeems none
  EXPECT_EQ(rows[2].kind, MemberTranKind::Fee);
  EXPECT_EQ(rows[2].units, std::nullopt);
  EXPECT_EQ(DuesRowTexts(rows[0]).kind, "Payment");
  EXPECT_EQ(DuesRowTexts(rows[0]).units, "4.000");
  EXPECT_EQ(DuesRowTexts(rows[1]).kind, "Payout");
  EXPECT_EQ(DuesRowTexts(rows[1]).amount, "50.00");
  EXPECT_EQ(DuesRowTexts(rows[1]).units, "(2.000)");
  EXPECT_EQ(DuesRowTexts(rows[2]).kind, "Fee");
  EXPECT_EQ(DuesRowTexts(rows[2]).units, "");
  EXPECT_TRUE(members.DuesHistory("Smith, Ann", 2025).empty());

  MemberSummary summary = members.Summary("Smith, Ann");
  EXPECT_EQ(summary.units, 2);
  EXPECT_EQ(summary.account_value, 50);
  EXPECT_EQ(summary.gain, 0);  // 2 units at 25 against 50 contributed
}

}  // namespace
}  // namespace pellmark::ledger
