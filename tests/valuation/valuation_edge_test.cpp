// The edges of a valuation: its dates, the staleness question, what it backs
// out, short positions, kept-out accounts, back-dated and repeated official
// valuations, no units, numbers beyond the statement's reals, the past-dated
// rebuild of a security across a split and a basis change, and "Delete".
#include <gmock/gmock.h>

#include <fstream>

#include "club/keys.h"
#include "club/real48.h"
#include "valuation/valuation_fixture.h"

namespace pellmark::valuation {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ValuationEdges : public testing::ValuationFixture {
 protected:
  // Every stored item of the nine stores and the club information.
  std::map<std::string, std::string> Everything() {
    std::map<std::string, std::string> items = Snapshot();
    auto take = [&items](const char* store, auto& table) {
      table.ForEachKeyed("", [&](const std::string& key, const auto& record) {
        items[std::string(store) + "/" + key] = EncodeRecord(record);
      });
    };
    take("members", club.members);
    take("memrecs", club.memrecs);
    take("unitfile", club.unitfile);
    return items;
  }
  std::vector<std::string> StatementFiles() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
      if (entry.path().extension() == ".stm") names.push_back(entry.path().filename().string());
    }
    return names;
  }
  void Write(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
  }
  void PricesAndDuesNew() {
    club.Info().dues = club.Info().stks = true;
    club.WriteClubInfo();
    books.Commit();
  }
};

TEST_F(ValuationEdges, DatesBeforeTheOpenYearOrAfterTomorrowAreRefusedAndWriteNothing) {
  Dues(Day(2026, 11, 2), {{"Smith, Ann", "100"}});
  ui.Clear();
  const auto before = Everything();
  EXPECT_TRUE(Official(Day(2025, 12, 31)).outcome.Refused());
  EXPECT_TRUE(Official(Day(2026, 12, 9)).outcome.Refused());
  EXPECT_TRUE(Test(Day(2027, 1, 1)).outcome.Refused());
  EXPECT_THAT(ui.Messages(), ElementsAre("Valuations for previous years not allowed.",
                                         "Future Valuations are not allowed.", "Future Valuations are not allowed."));
  EXPECT_EQ(Everything(), before);
  EXPECT_THAT(StatementFiles(), IsEmpty());
}

TEST_F(ValuationEdges, TomorrowIsCurrentAndYesterdayIsPastDated) {
  Dues(Day(2026, 11, 2), {{"Smith, Ann", "100"}});
  AddSecurity("Acme", "ACM");  // active, prices not new: a current valuation asks
  ui.Clear();
  ui.AnswerNext("Security Prices Not updated, Continue?", true);
  ValuationResult tomorrow = Test(Day(2026, 12, 8));
  ASSERT_TRUE(tomorrow.outcome);
  EXPECT_TRUE(tomorrow.figures->current);
  ValuationResult yesterday = Test(Day(2026, 12, 6));
  ASSERT_TRUE(yesterday.outcome);
  EXPECT_FALSE(yesterday.figures->current);
  EXPECT_THAT(ui.Messages(), ElementsAre("Security Prices Not updated, Continue?", "Valuation Statement V12082026.stm created.",
                                         "Valuation Statement V12062026.stm created."));
}

TEST_F(ValuationEdges, TheStalenessQuestionNamesWhatIsNotNew) {
  Dues(Day(2026, 11, 2), {{"Smith, Ann", "100"}});
  ASSERT_TRUE(Official(Day(2026, 11, 30)).outcome);  // clears both flags
  ui.Clear();
  const DayNumber today = Day(2026, 12, 7);
  ui.AnswerNext("Member Dues Not updated, Continue?", false);
  EXPECT_TRUE(Test(today).outcome.WasCancelled());
  AddSecurity("Acme", "ACM");
  ui.AnswerNext("Security Prices and Member Dues Not updated, Continue?", false);
  EXPECT_TRUE(Official(today).outcome.WasCancelled());
  club.Info().dues = true;
  ui.AnswerNext("Security Prices Not updated, Continue?", false);
  EXPECT_TRUE(Test(today).outcome.WasCancelled());
  EXPECT_FALSE(std::filesystem::exists(StatementPath(today)));
  EXPECT_EQ(Units().size(), 2u);
  club.Info().stks = true;
  ui.Clear();
  EXPECT_TRUE(Test(today).outcome);
  EXPECT_THAT(ui.Messages(), ElementsAre("Valuation Statement V12072026.stm created."));
}

TEST_F(ValuationEdges, ContributionsOfTheValuationDateStayOutAndTheirMembersWithThem) {
  const DayNumber today = Day(2026, 12, 7);
  Dues(Day(2026, 11, 2), {{"Smith, Ann", "100"}});
  Dues(today, {{"Smith, Ann", "50"}, {"Jones, Bob", "25"}});
  Post(AccountTranKind::Deposit, 20, PredefinedCategory::OtherIncome, today);
  ui.Clear();
  ValuationResult result = Test(today);
  ASSERT_TRUE(result.outcome);
  Statement statement = ReadStatement(today);
  ASSERT_EQ(statement.accounts.size(), 1u);
  EXPECT_EQ(statement.accounts[0].balance, 120);  // 100 + 20; the 75 of today's dues is out
  ASSERT_EQ(statement.members.size(), 1u);        // Bob's only units are today's
  EXPECT_EQ(statement.members[0].name, "Ann Smith");
  EXPECT_EQ(statement.members[0].units, 4);
  EXPECT_EQ(statement.members[0].contributions, 100);
  EXPECT_EQ(result.figures->unit_value, 30);
  EXPECT_EQ(Member("Smith, Ann").tunits, 6);  // the stored figures stay
}

TEST_F(ValuationEdges, AShortPositionIsListedNegativeAndLowersTheValue) {
  Dues(Day(2026, 11, 2), {{"Smith, Ann", "100"}});
  AddSecurity("Shorted", "SHT");
  Price("Shorted", 5, Day(2026, 11, 10));
  Hold("Shorted", -10, 0);
  PricesAndDuesNew();
  ValuationResult result = Test(Day(2026, 12, 7));
  ASSERT_TRUE(result.outcome);
  Statement statement = ReadStatement(Day(2026, 12, 7));
  ASSERT_EQ(statement.securities.size(), 1u);
  EXPECT_EQ(statement.securities[0].shares, -10);
  EXPECT_EQ(statement.securities[0].price, 5);
  EXPECT_EQ(result.figures->total_value, 50);  // 100 cash - 50 owed in shares
  EXPECT_EQ(result.figures->unit_value, 12.5);
}

TEST_F(ValuationEdges, TheTotalValueAddsSharesTimesPriceAsTheStatementHoldsThem) {
  Dues(Day(2026, 11, 2), {{"Smith, Ann", "100"}});
  AddSecurity("Thirds", "THD");
  Price("Thirds", 7.0 / 3, Day(2026, 11, 10));
  Hold("Thirds", 10.0 / 3, 10);
  PricesAndDuesNew();
  ValuationResult result = Test(Day(2026, 12, 7));
  ASSERT_TRUE(result.outcome);
  // The members read the figures of the statement: the value is made of them.
  const double held = RoundThroughReal48(10.0 / 3) * RoundThroughReal48(7.0 / 3);
  ASSERT_NE(held, (10.0 / 3) * (7.0 / 3));
  EXPECT_EQ(result.figures->total_value, 100 + held);
}

TEST_F(ValuationEdges, AnAccountKeptOutOfValuationsIsNeverListed) {
  Dues(Day(2026, 11, 2), {{"Smith, Ann", "100"}});
  ASSERT_TRUE(books.Accounts().CommitAccount(std::nullopt, {"Escrow", "77", 500.00}));
  ASSERT_TRUE(books.Accounts().SetExcludedFromValuation("Escrow", true));
  PricesAndDuesNew();
  ui.Clear();
  ValuationResult result = Test(Day(2026, 12, 7));
  ASSERT_TRUE(result.outcome);
  Statement statement = ReadStatement(Day(2026, 12, 7));
  ASSERT_EQ(statement.accounts.size(), 1u);
  EXPECT_EQ(statement.accounts[0].name, "Cash");
  EXPECT_EQ(result.figures->total_value, 100);
}

TEST_F(ValuationEdges, AnOfficialValuationBeforeTheNewestLeavesTheClubFieldsAlone) {
  Dues(Day(2026, 11, 2), {{"Smith, Ann", "100"}});
  ASSERT_TRUE(Official(Day(2026, 11, 30)).outcome);
  PricesAndDuesNew();
  const TClubInfoRec before = club.Info();
  ValuationResult earlier = Official(Day(2026, 11, 15));
  ASSERT_TRUE(earlier.outcome);
  EXPECT_EQ(earlier.figures->unitid, 2);
  const std::vector<TUnitValueRec> units = Units();
  ASSERT_EQ(units.size(), 3u);
  EXPECT_EQ(units[1].date, Day(2026, 11, 15));
  EXPECT_EQ(units[1].unitid, 2);
  EXPECT_EQ(club.Info().vunit, before.vunit);
  EXPECT_EQ(club.Info().unitkey, before.unitkey);
  EXPECT_EQ(club.Info().date, before.date);
  EXPECT_TRUE(club.Info().dues);
  EXPECT_TRUE(club.Info().stks);
  EXPECT_EQ(club.Info().unitind, 3);
}

TEST_F(ValuationEdges, RepeatingAnOfficialValuationKeepsOneUnitRecordAndRepointsItsDues) {
  const DayNumber nov30 = Day(2026, 11, 30);
  Dues(Day(2026, 11, 2), {{"Smith, Ann", "100"}});  // 4 units at 25
  ASSERT_TRUE(Official(nov30).outcome);             // 100 / 4 = 25, id 1
  Dues(Day(2026, 12, 1), {{"Smith, Ann", "50"}});   // 2 units at 25 of id 1
  Post(AccountTranKind::Interest, 20, PredefinedCategory::InterestIncome, Day(2026, 11, 20));
  ui.Clear();

  // Again: Cash on 30 November is 120 (the December dues backed out), over Ann's 4 units: 30.
  ValuationResult again = Official(nov30);
  ASSERT_TRUE(again.outcome);
  EXPECT_TRUE(again.figures->recalculation);
  EXPECT_EQ(again.figures->unit_value, 30);
  EXPECT_THAT(ui.Messages(),
              ElementsAre("Pellmark has detected that you are re-calculating Valuation for 11/30/2026.  An audit will "
                          "be performed after the New Valuation Unit value is calculated.",
                          "Valuation Statement V11302026.stm created. Valuation Updated"));
  const std::vector<TUnitValueRec> units = Units();
  ASSERT_EQ(units.size(), 2u);
  EXPECT_EQ(units[1].date, nov30);
  EXPECT_EQ(units[1].unitid, 2);
  EXPECT_EQ(units[1].unitval, 30);
  const TMemberTranRec december = books.Members().Transactions(Member("Smith, Ann").memid).back();
  EXPECT_EQ(december.unitind, 2);
  EXPECT_EQ(december.cunit, 30);
  EXPECT_EQ(Member("Smith, Ann").tunits, 4 + RoundThroughReal48(50.0 / 30.0));
  EXPECT_EQ(club.Info().unitkey, 2);
  EXPECT_EQ(club.Info().vunit, 30);
  EXPECT_EQ(ReadStatement(nov30).unit_id, 2);
}

TEST_F(ValuationEdges, WithoutUnitsNothingIsWrittenAndAnOlderStatementStays) {
  const std::string older = "an older statement of the day";
  Write(StatementPath(Day(2026, 12, 7)), older);
  const auto before = Everything();
  ui.AnswerNext("Member Dues Not updated, Continue?", true);
  ValuationResult result = Official(Day(2026, 12, 7));
  EXPECT_TRUE(result.outcome.Refused());
  EXPECT_THAT(ui.Messages(), ElementsAre("Member Dues Not updated, Continue?",
                                         "No Valuation Units.  Valuation Statement not created"));
  EXPECT_EQ(FileBytes(StatementPath(Day(2026, 12, 7))), older);
  EXPECT_EQ(Everything(), before);
  EXPECT_EQ(Units().size(), 1u);
}

TEST_F(ValuationEdges, ANumberBeyondTheStatementsRealsFailsAndRecordsNothing) {
  Dues(Day(2026, 11, 2), {{"Smith, Ann", "100"}});
  PricesAndDuesNew();
  ASSERT_TRUE(Test(Day(2026, 12, 7)).outcome);
  const std::string good = FileBytes(StatementPath(Day(2026, 12, 7)));
  AddSecurity("Bubble", "BBL");
  Price("Bubble", 1e300, Day(2026, 11, 10));
  Hold("Bubble", 1, 1);
  PricesAndDuesNew();
  const auto before = Everything();
  ui.Clear();
  ValuationResult result = Official(Day(2026, 12, 7));
  EXPECT_TRUE(result.outcome.Refused());
  EXPECT_EQ(result.outcome.Message(), kCreationFailed);
  // The system's message, then whose figure the statement cannot hold.
  const std::string cause = "The price 1e+300 of security Bubble is beyond what a valuation statement can hold.";
  EXPECT_THAT(ui.Messages(), ElementsAre(kCreationFailed, cause));
  EXPECT_EQ(ui.Events().back().kind, testing::ScriptedInteraction::Kind::Information);
  EXPECT_EQ(Everything(), before);
  EXPECT_EQ(FileBytes(StatementPath(Day(2026, 12, 7))), good);
}

// A 2-for-1 split on 1 June and a basis change from 500 to 600 on 1 July, as
// their routines leave the lot and the prices: a valuation before them sees the
// holding as it was.
TEST_F(ValuationEdges, APastDatedValuationWalksBackLaterSplitsAndBasisChanges) {
  Dues(Day(2026, 2, 2), {{"Smith, Ann", "1000"}});  // 40 units at 25
  AddSecurity("Acme", "ACM");
  Record("Acme", SecurityTranKind::Purchase, 600, 3, 0, Day(2026, 3, 2));  // was 100 at 5.00
  Post(AccountTranKind::Withdrawal, 500, PredefinedCategory::Investments, Day(2026, 3, 2));
  Price("Acme", 3.6, Day(2026, 5, 15));  // was 6.00
  Record("Acme", SecurityTranKind::Split, 100, 2, 1, Day(2026, 6, 1));
  Record("Acme", SecurityTranKind::BasisChange, 0, 600, 500, Day(2026, 7, 1));
  Hold("Acme", 200, 600);
  ui.Clear();

  // Before both: 100 shares at 6.00 that cost 5.00 each; 600 + 500 over 40 units.
  ASSERT_TRUE(Official(Day(2026, 5, 31)).outcome);
  Statement may = ReadStatement(Day(2026, 5, 31));
  ASSERT_EQ(may.securities.size(), 1u);
  EXPECT_EQ(may.securities[0].shares, 100);
  EXPECT_EQ(may.securities[0].price, 6);
  EXPECT_EQ(may.securities[0].cost_per_share, 5);
  EXPECT_EQ(may.summary->new_unit_value, 27.5);
  // Between them: 200 shares at 3.00 that cost 2.50 each.
  ASSERT_TRUE(Official(Day(2026, 6, 15)).outcome);
  Statement june = ReadStatement(Day(2026, 6, 15));
  EXPECT_EQ(june.securities.at(0).shares, 200);
  EXPECT_EQ(june.securities.at(0).price, 3);
  EXPECT_EQ(june.securities.at(0).cost_per_share, 2.5);
  EXPECT_EQ(june.summary->new_unit_value, 27.5);
}

TEST_F(ValuationEdges, DividendsOfTheYearCountEverySecurityUpToTheDate) {
  Dues(Day(2026, 2, 2), {{"Smith, Ann", "1000"}});
  AddSecurity("Acme", "ACM");
  AddSecurity("Gone", "GNE");
  Buy("Acme", 10, 10, 0, Day(2026, 2, 3));
  Record("Acme", SecurityTranKind::Dividend, 10, 0, 0, Day(2026, 3, 1));
  TSecurityTranRec reinvested = Record("Acme", SecurityTranKind::Reinvestment, 20, 10, 0, Day(2026, 6, 1));
  reinvested.compc = true;
  club.stkrecs.Put(reinvested);
  Record("Acme", SecurityTranKind::Dividend, 40, 0, 0, Day(2026, 12, 1));  // after the date
  Record("Gone", SecurityTranKind::Dividend, 5, 0, 0, Day(2026, 4, 1));
  Record("Gone", SecurityTranKind::Dividend, 7, 0, 0, Day(2025, 12, 1));  // the year before
  ASSERT_TRUE(books.Securities().Hide("Gone"));
  ui.Clear();
  ASSERT_TRUE(Official(Day(2026, 11, 30)).outcome);
  Statement statement = ReadStatement(Day(2026, 11, 30));
  EXPECT_EQ(statement.dividends, 35);
  ASSERT_EQ(statement.securities.size(), 1u);
  EXPECT_EQ(statement.securities[0].dividends, 30);
  EXPECT_EQ(statement.securities[0].shares, 12);  // 10 bought, 2 reinvested
}

TEST_F(ValuationEdges, DeleteRemovesOnlyAStatementFileAndAsksFirst) {
  Dues(Day(2026, 11, 2), {{"Smith, Ann", "100"}});
  ASSERT_TRUE(Official(Day(2026, 11, 30)).outcome);
  ui.Clear();
  Valuations& valuations = books.Valuations();
  const std::filesystem::path statement = StatementPath(Day(2026, 11, 30));
  EXPECT_TRUE(valuations.DeleteStatement(folder.Path() / "clubmem.qdb").Refused());
  EXPECT_TRUE(valuations.DeleteStatement(folder.Path() / "V01012026.stm").WasNotFound());
  const std::string question = statement.string() + " will be removed permanently. Continue?";
  ui.AnswerNext(question, false);
  EXPECT_TRUE(books.Perform([&] { return valuations.DeleteStatement(statement); }).WasCancelled());
  EXPECT_TRUE(std::filesystem::exists(statement));
  ui.AnswerNext(question, true);
  EXPECT_TRUE(valuations.DeleteStatement(statement));
  // The removal is the operation's: its commit takes the file away.
  EXPECT_TRUE(std::filesystem::exists(statement));
  books.Commit();
  EXPECT_FALSE(std::filesystem::exists(statement));
  EXPECT_EQ(books.Club().Journal().back().label, "Delete valuation statement " + statement.filename().string());
  EXPECT_TRUE(std::filesystem::exists(folder.Path() / "clubmem.qdb"));
  EXPECT_EQ(Units().size(), 2u);  // the unit record of the date stays
  EXPECT_THAT(ui.Messages(), ElementsAre("clubmem.qdb is not a valuation statement.",
                                         "Valuation statement V01012026.stm does not exist.", question, question));
}

}  // namespace
}  // namespace pellmark::valuation
