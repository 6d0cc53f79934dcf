// A summer of three official valuations audited after back-dated postings,
// every unit value worked out by hand.
#include <gmock/gmock.h>

#include "valuation/valuation_fixture.h"

namespace pellmark::valuation {
namespace {

using ::testing::ElementsAre;

constexpr const char* kMemberQuestion =
    "The Member transaction just entered has a date earlier than the last Valuation Date. Do you want to perform an "
    "audit?";

class AuditStory : public testing::ValuationFixture {
 protected:
  // June: Ann 100 and Bob 50 at the starting 25.00 (4 and 2 units); 30 June
  // 150 / 6 = 25.00. July: Ann 100 at 25.00 (4 units), 150 interest; 31 July
  // 400 / 10 = 40.00. August: Bob 275 at 40.00 (6.875 units); 31 August
  // 675 / 16.875 = 40.00.
  void SetUp() override {
    ValuationFixture::SetUp();
    Dues(Day(2026, 6, 1), {{"Smith, Ann", "100"}, {"Jones, Bob", "50"}});
    ASSERT_EQ(Official(Day(2026, 6, 30)).figures->unit_value, 25);
    Dues(Day(2026, 7, 10), {{"Smith, Ann", "100"}});
    Post(AccountTranKind::Deposit, 150, PredefinedCategory::InterestIncome, Day(2026, 7, 20));
    ASSERT_EQ(Official(Day(2026, 7, 31)).figures->unit_value, 40);
    Dues(Day(2026, 8, 10), {{"Jones, Bob", "275"}});
    ASSERT_EQ(Official(Day(2026, 8, 31)).figures->unit_value, 40);
    ASSERT_EQ(Member("Jones, Bob").tunits, 8.875);
    ui.Clear();
  }

  std::vector<double> UnitValues() {
    std::vector<double> values;
    for (const TUnitValueRec& unit : Units()) values.push_back(unit.unitval);
    return values;
  }
  std::vector<std::int32_t> UnitIds() {
    std::vector<std::int32_t> ids;
    for (const TUnitValueRec& unit : Units()) ids.push_back(unit.unitid);
    return ids;
  }
  TMemberTranRec DuesOf(const std::string& name, DayNumber date) {
    for (const TMemberTranRec& tran : books.Members().Transactions(Member(name).memid)) {
      if (tran.trandate == date) return tran;
    }
    ADD_FAILURE() << "no transaction of " << name;
    return {};
  }
};

TEST_F(AuditStory, BackDatedInterestRepricesTheLaterDuesOfTheYear) {
  const std::vector<std::int32_t> before = UnitIds();
  const std::int32_t next_id = club.Info().unitind;
  // 150 more interest on 20 June, audited from that date: 30 June 300 / 6 =
  // 50.00, so Ann's July 100 buys 2 units; 31 July 550 / 8 = 68.75, so Bob's
  // August 275 buys 4 units; 31 August 825 / 12 = 68.75.
  Post(AccountTranKind::Deposit, 150, PredefinedCategory::InterestIncome, Day(2026, 6, 20));
  ASSERT_TRUE(books.Settle(Outcome::Done().AuditFrom(Day(2026, 6, 20))));

  EXPECT_THAT(ui.Messages(), ElementsAre(kAuditCompleted));
  EXPECT_EQ(ui.SoundCount(), 1);
  EXPECT_THAT(UnitValues(), ElementsAre(25, 50, 68.75, 68.75));
  EXPECT_THAT(UnitIds(), ElementsAre(before[0], next_id, next_id + 1, next_id + 2));
  EXPECT_EQ(club.Info().unitind, next_id + 3);
  EXPECT_EQ(club.Info().vunit, 68.75);
  EXPECT_EQ(club.Info().unitkey, next_id + 2);
  EXPECT_EQ(club.Info().date, Day(2026, 8, 31));

  const TMemberTranRec ann_july = DuesOf("Smith, Ann", Day(2026, 7, 10));
  EXPECT_EQ(ann_july.cunit, 50);
  EXPECT_EQ(ann_july.unitind, next_id);
  const TMemberTranRec bob_august = DuesOf("Jones, Bob", Day(2026, 8, 10));
  EXPECT_EQ(bob_august.cunit, 68.75);
  EXPECT_EQ(bob_august.unitind, next_id + 1);
  EXPECT_EQ(Member("Smith, Ann").tunits, 6);
  EXPECT_EQ(Member("Jones, Bob").tunits, 6);
  // The audit's valuations wrote their statements.
  EXPECT_EQ(ReadStatement(Day(2026, 8, 31)).summary->new_unit_value, 68.75);
}

TEST_F(AuditStory, BackDatedDuesAnsweredYesRepriceTheLaterDues) {
  // Bob's 150 on 20 June buys 6 units at 25.00; 30 June 300 / 12 = 25.00;
  // 31 July 550 / 16 = 34.375, so Bob's August 275 buys 8 units; 31 August
  // 825 / 24 = 34.375.
  ui.AnswerNext(kMemberQuestion, true);
  Dues(Day(2026, 6, 20), {{"Jones, Bob", "150"}});

  EXPECT_THAT(ui.Messages(), ElementsAre("$150.00 total dues collected.", kMemberQuestion, kAuditCompleted));
  EXPECT_THAT(UnitValues(), ElementsAre(25, 25, 34.375, 34.375));
  EXPECT_EQ(DuesOf("Jones, Bob", Day(2026, 8, 10)).cunit, 34.375);
  EXPECT_EQ(Member("Jones, Bob").tunits, 16);
  EXPECT_EQ(club.Info().vunit, 34.375);
}

TEST_F(AuditStory, BackDatedDuesAnsweredNoLeaveTheValuations) {
  ui.AnswerNext(kMemberQuestion, false);
  Dues(Day(2026, 6, 20), {{"Jones, Bob", "150"}});
  EXPECT_THAT(ui.Messages(), ElementsAre("$150.00 total dues collected.", kMemberQuestion));
  EXPECT_THAT(UnitValues(), ElementsAre(25, 25, 40, 40));
}

TEST_F(AuditStory, AnAuditAfterTheNewestValuationRerunsNothing) {
  const std::vector<std::int32_t> before = UnitIds();
  ASSERT_TRUE(books.AuditValuations(Day(2026, 9, 1)));
  EXPECT_THAT(ui.Messages(), ElementsAre(kAuditCompleted));
  EXPECT_EQ(UnitIds(), before);
}

TEST_F(AuditStory, AnAuditFromAPreviousYearStartsOnTheFirstOfJanuary) {
  Post(AccountTranKind::Deposit, 150, PredefinedCategory::InterestIncome, Day(2026, 6, 20));
  const std::int32_t next_id = club.Info().unitind;
  ASSERT_TRUE(books.AuditValuations(Day(2025, 3, 1), /*announce=*/false));
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(ui.SoundCount(), 0);
  // The starting record of 1 January is re-run too: nothing before it, 0 units.
  EXPECT_THAT(UnitValues(), ElementsAre(25, 50, 68.75, 68.75));
  EXPECT_EQ(club.Info().unitind, next_id + 3);
  EXPECT_FALSE(club.AuditMode());
}

TEST_F(AuditStory, RecalculationRestoresCorruptedUnitValuesFromTheFirstOne) {
  // Damage: the July valuation's value, Ann's July dues and Bob's June dues.
  std::vector<TUnitValueRec> units = Units();
  units[2].unitval = 1000;
  club.unitfile.Put(units[2]);
  TMemberTranRec ann_july = DuesOf("Smith, Ann", Day(2026, 7, 10));
  ann_july.cunit = 1000;
  club.memrecs.Put(ann_july);
  TMemberTranRec bob_june = DuesOf("Jones, Bob", Day(2026, 6, 1));
  bob_june.cunit = 10;
  bob_june.unitind = 77;
  club.memrecs.Put(bob_june);
  books.Members().ResetAllMembers();
  books.Commit();
  ui.Clear();
  const std::int32_t next_id = club.Info().unitind;

  ui.AnswerNext(kRecalculateQuestion, true);
  ASSERT_TRUE(books.RecalculateAllMembers());

  EXPECT_THAT(ui.Messages(), ElementsAre(kRecalculateQuestion, kRecalculated));
  EXPECT_EQ(ui.LastProgress(), 0);
  EXPECT_EQ(club.Info().year, 2026);
  EXPECT_FALSE(club.AuditMode());
  // The clean history: 25, 25, 40, 40. The audit from 30 June re-ran three
  // valuations, the one from 31 July two, the one from 31 August one.
  EXPECT_THAT(UnitValues(), ElementsAre(25, 25, 40, 40));
  const std::vector<std::int32_t> ids = UnitIds();
  EXPECT_EQ(club.Info().unitind, next_id + 6);
  EXPECT_EQ(ids[1], next_id);
  EXPECT_EQ(ids[2], next_id + 3);
  EXPECT_EQ(ids[3], next_id + 5);
  EXPECT_EQ(club.Info().unitkey, ids[3]);
  EXPECT_EQ(club.Info().vunit, 40);

  // Dues between two valuations carry the earlier one's new value and id.
  EXPECT_EQ(DuesOf("Jones, Bob", Day(2026, 6, 1)).cunit, 25);
  EXPECT_EQ(DuesOf("Jones, Bob", Day(2026, 6, 1)).unitind, Units()[0].unitid);
  EXPECT_EQ(DuesOf("Smith, Ann", Day(2026, 7, 10)).cunit, 25);
  EXPECT_EQ(DuesOf("Smith, Ann", Day(2026, 7, 10)).unitind, ids[1]);
  EXPECT_EQ(DuesOf("Jones, Bob", Day(2026, 8, 10)).cunit, 40);
  EXPECT_EQ(DuesOf("Jones, Bob", Day(2026, 8, 10)).unitind, ids[2]);
  EXPECT_EQ(Member("Smith, Ann").tunits, 8);
  EXPECT_EQ(Member("Jones, Bob").tunits, 8.875);
}

TEST_F(AuditStory, RecalculationAnsweredNoChangesNothing) {
  const std::vector<std::int32_t> before = UnitIds();
  ui.AnswerNext(kRecalculateQuestion, false);
  EXPECT_TRUE(books.RecalculateAllMembers().WasCancelled());
  EXPECT_EQ(UnitIds(), before);
  EXPECT_THAT(ui.Messages(), ElementsAre(kRecalculateQuestion));
}

class RecalculationAcrossAYearEnd : public testing::ValuationFixture {};

TEST_F(RecalculationAcrossAYearEnd, DuesAfterADecemberValuationBuyAtItAndFeesKeepNoUnitValue) {
  // A valuation of 15 December 2025 at 20.00 before the club's 1 January one;
  // Ann's 100 of 20 December stored at a wrong 99.00, a fee of 21 December
  // without units, and the 100 in Cash.
  TUnitValueRec december;
  december.unitval = 20;
  december.date = Day(2025, 12, 15);
  december.unitid = AllocateTranId(club.Info().unitind);
  club.unitfile.Put(december);
  club.WriteClubInfo();
  const std::int32_t memid = Member("Smith, Ann").memid;
  TMemberTranRec payment;
  payment.memid = memid;
  payment.typ = Code(MemberTranKind::Payment);
  payment.dues = 100;
  payment.cunit = 99;
  payment.trandate = Day(2025, 12, 20);
  payment.duestran = 900;
  club.memrecs.Put(payment);
  TMemberTranRec fee;
  fee.memid = memid;
  fee.typ = Code(MemberTranKind::Fee);
  fee.dues = 5;
  fee.trandate = Day(2025, 12, 21);
  fee.duestran = 901;
  club.memrecs.Put(fee);
  Post(AccountTranKind::Deposit, 100, PredefinedCategory::MemberContributions, Day(2025, 12, 20));
  books.Members().ResetAllMembers();
  books.Commit();

  ui.AnswerNext(kRecalculateQuestion, true);
  ASSERT_TRUE(books.RecalculateAllMembers());

  const TMemberTranRec repriced = *club.memrecs.Find(club.memrecs.KeyOf(payment));
  EXPECT_EQ(repriced.cunit, 20);
  EXPECT_EQ(repriced.unitind, december.unitid);
  const TMemberTranRec untouched = *club.memrecs.Find(club.memrecs.KeyOf(fee));
  EXPECT_EQ(untouched.cunit, 0);
  EXPECT_EQ(untouched.unitind, -1);
  EXPECT_EQ(Member("Smith, Ann").tunits, 5);
  // 1 January 2026: 100 over 5 units.
  EXPECT_EQ(Units().back().unitval, 20);
  EXPECT_EQ(Units().back().date, Day(2026, 1, 1));
  EXPECT_EQ(club.Info().year, 2026);
}

}  // namespace
}  // namespace pellmark::valuation
