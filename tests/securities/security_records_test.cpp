#include "securities/security_records.h"

#include <gmock/gmock.h>

#include "club/record_kinds.h"
#include "books/security_form.h"
#include "securities/security_fixture.h"

namespace pellmark::ledger {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SecurityRecordsTest : public testing::SecurityFixture {
 protected:
  SecurityRecords& securities = books.Securities();
};

TEST_F(SecurityRecordsTest, ANewSecurityStartsEmptyWithTheNextId) {
  ASSERT_TRUE(securities.CommitSecurity(std::nullopt, {"Acme Corp", "ACME"}));
  ASSERT_TRUE(CommitSecurity(securities, std::nullopt, {"Bolt Inc", "Symbol"}));
  TSecurityRec acme = Security("Acme Corp");
  EXPECT_EQ(acme.stkid, 1);
  EXPECT_EQ(acme.symbol, "ACME");
  EXPECT_EQ(acme.pricec, 0);
  EXPECT_EQ(acme.pricedate, 0);
  EXPECT_EQ(acme.pricecount, 0);
  EXPECT_EQ(acme.trancount, 0);
  EXPECT_TRUE(acme.active);
  EXPECT_EQ(Security("Bolt Inc").stkid, 2);
  EXPECT_EQ(Security("Bolt Inc").symbol, "");  // the prompt is no symbol
  EXPECT_THAT(club.securities.Keys(), ElementsAre("_Acme Corp", "_Bolt Inc"));
  EXPECT_THAT(ui.Messages(), ElementsAre("Security Acme Corp added.", "Security Bolt Inc added."));
  EXPECT_EQ(ui.SoundCount(), 2);
}

TEST_F(SecurityRecordsTest, AddingIsRefusedWithoutANameOrWhenTheNameIsTakenEvenByAHiddenSecurity) {
  AddSecurity("Acme Corp", "ACME");
  ASSERT_TRUE(securities.Hide("Acme Corp"));
  ui.Clear();
  const auto before = Snapshot();
  EXPECT_TRUE(CommitSecurity(securities, std::nullopt, {"Security Name", "X"}).Refused());
  EXPECT_TRUE(securities.CommitSecurity(std::nullopt, {"  ", "X"}).Refused());
  EXPECT_TRUE(securities.CommitSecurity(std::nullopt, {"ACME CORP", "X"}).Refused());
  EXPECT_TRUE(securities.CommitSecurity(std::nullopt, {"A name of twenty-six chars", "X"}).Refused());
  EXPECT_TRUE(securities.CommitSecurity(std::nullopt, {"Bolt", "ELEVENCHARS"}).Refused());
  EXPECT_THAT(ui.Messages(),
              ElementsAre("No Security to add.", "No Security to add.", "Security ACME CORP already exists.",
                          "Name A name of twenty-six chars is 26 characters long; at most 25 fit.",
                          "Symbol ELEVENCHARS is 11 characters long; at most 10 fit."));
  EXPECT_EQ(ui.BeepCount(), 5);
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(SecurityRecordsTest, ChangingTheNameRekeysAndKeepsTheRecordAndItsHiddenState) {
  AddSecurity("Acme Corp", "ACME");
  AddSecurity("Bolt Inc", "BOLT");
  Price("Acme Corp", 12.5, Day(2026, 12, 1));
  ASSERT_TRUE(securities.CommitSecurity(std::string("Acme Corp"), {"Acme Corp", "ACM"}));
  EXPECT_EQ(Security("Acme Corp").symbol, "ACM");
  ASSERT_TRUE(securities.CommitSecurity(std::string("Acme Corp"), {"Acme Holdings", "ACM"}));
  EXPECT_FALSE(securities.Find("Acme Corp"));
  EXPECT_EQ(Security("Acme Holdings").stkid, 1);
  EXPECT_EQ(Security("Acme Holdings").pricec, 12.5);

  ASSERT_TRUE(securities.Hide("Bolt Inc"));
  ASSERT_TRUE(securities.CommitSecurity(std::string("Bolt Inc"), {"Bolt Industries", "BOLT"}));
  EXPECT_THAT(club.securities.Keys(), ElementsAre("_Acme Holdings", "~Bolt Industries"));
  EXPECT_EQ(club.Info().hidstks, 1);

  // A letter case change is the same security; another security's name is taken.
  ASSERT_TRUE(securities.CommitSecurity(std::string("Acme Holdings"), {"ACME Holdings", "ACM"}));
  ui.Clear();
  const auto before = Snapshot();
  EXPECT_TRUE(securities.CommitSecurity(std::string("ACME Holdings"), {"Bolt Industries", "X"}).Refused());
  EXPECT_THAT(ui.Messages(), ElementsAre("Security Bolt Industries already exists."));
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(SecurityRecordsTest, HidingNeedsNoValueHeldAndUnhidingReturnsIt) {
  AddSecurity("Acme Corp", "ACME");
  Price("Acme Corp", 10, Day(2026, 12, 1));
  Hold("Acme Corp", 100, 900);
  const auto before = Snapshot();
  EXPECT_TRUE(securities.Hide("Acme Corp").Refused());
  EXPECT_EQ(Snapshot(), before);

  // Shares at a price of 0 are worth nothing and may be hidden.
  TSecurityRec acme = Security("Acme Corp");
  acme.pricec = 0;
  securities.Save(acme);
  ASSERT_TRUE(securities.Hide("Acme Corp"));
  EXPECT_TRUE(securities.Hide("Acme Corp").Refused());
  EXPECT_THAT(club.securities.Keys(), ElementsAre("~Acme Corp"));
  EXPECT_FALSE(Security("Acme Corp").active);
  EXPECT_EQ(club.Info().hidstks, 1);
  club.View().showhiddensecurities = true;

  ASSERT_TRUE(securities.Unhide("Acme Corp"));
  EXPECT_TRUE(securities.Unhide("Acme Corp").Refused());
  EXPECT_THAT(club.securities.Keys(), ElementsAre("_Acme Corp"));
  EXPECT_EQ(club.Info().hidstks, 0);
  EXPECT_FALSE(club.View().showhiddensecurities);
  EXPECT_THAT(ui.Messages(), ElementsAre("Total shares not zero.  Cannot hide.", "Security Acme Corp is hidden.",
                                         "Security Acme Corp is hidden.", "Security Acme Corp is not hidden.",
                                         "Security Acme Corp is not hidden."));
}

TEST_F(SecurityRecordsTest, DeletingTakesTheTransactionsAndPricesSoANewSecurityInheritsNothing) {
  AddSecurity("Acme Corp", "ACME");
  AddSecurity("Bolt Inc", "BOLT");
  Price("Bolt Inc", 7, Day(2026, 11, 2));
  Price("Acme Corp", 5, Day(2026, 11, 2));
  TSecurityTranRec dividend;
  dividend.stkid = Security("Bolt Inc").stkid;
  dividend.typ = Code(SecurityTranKind::Dividend);
  dividend.trandate = Day(2026, 11, 3);
  club.stkrecs.Put(dividend);
  Hold("Bolt Inc", 3, 21);
  ui.Clear();

  EXPECT_TRUE(securities.Delete("Bolt Inc").Refused());
  Hold("Bolt Inc", 0, 0);
  ui.AnswerNext("Security Bolt Inc will be removed permanently. Continue?", false);
  const auto before = Snapshot();
  EXPECT_TRUE(securities.Delete("Bolt Inc").WasCancelled());
  EXPECT_EQ(Snapshot(), before);

  ui.AnswerNext("Security Bolt Inc will be removed permanently. Continue?", true);
  ASSERT_TRUE(securities.Delete("Bolt Inc"));
  EXPECT_THAT(club.stkrecs.Keys(), IsEmpty());
  EXPECT_THAT(club.prices.Keys(), ElementsAre(TranKey(1, 0, Day(2026, 11, 2))));
  EXPECT_THAT(ui.Messages(), ElementsAre("Security Bolt Inc has shares. Cannot Delete.",
                                         "Security Bolt Inc will be removed permanently. Continue?",
                                         "Security Bolt Inc will be removed permanently. Continue?",
                                         "Security Bolt Inc deleted."));

  AddSecurity("Crane Co", "CRN");
  EXPECT_EQ(Security("Crane Co").stkid, 2);
  EXPECT_THAT(books.Prices().PriceRows("Crane Co", std::nullopt), IsEmpty());
}

TEST_F(SecurityRecordsTest, DeletingAHiddenSecurityLowersTheHiddenCount) {
  AddSecurity("Acme Corp", "ACME");
  ASSERT_TRUE(securities.Hide("Acme Corp"));
  ui.AnswerNext("Security Acme Corp will be removed permanently. Continue?", true);
  ASSERT_TRUE(securities.Delete("Acme Corp"));
  EXPECT_EQ(club.Info().hidstks, 0);
  EXPECT_THAT(club.securities.Keys(), IsEmpty());
}

TEST_F(SecurityRecordsTest, AResetTakesTheNewestPriceUpToTodayAndRefusesAHiddenSecurity) {
  AddSecurity("Acme Corp", "ACME");
  Price("Acme Corp", 10, Day(2026, 11, 2));
  Price("Acme Corp", 11, Day(2026, 12, 7));
  Price("Acme Corp", 99, Day(2026, 12, 8));  // tomorrow: stored, not current
  TSecurityRec spoilt = Security("Acme Corp");
  spoilt.pricec = 3;
  spoilt.pricedate = Day(2020, 1, 1);
  spoilt.dividendt = 4;
  securities.Save(spoilt);
  ui.Clear();

  ASSERT_TRUE(securities.ResetSecurity("Acme Corp", true));
  TSecurityRec acme = Security("Acme Corp");
  EXPECT_EQ(acme.pricec, 11);
  EXPECT_EQ(acme.pricedate, Day(2026, 12, 7));
  EXPECT_EQ(acme.dividendt, 0);
  EXPECT_EQ(acme.pricecount, 3);

  ASSERT_TRUE(securities.Hide("Acme Corp"));
  EXPECT_TRUE(securities.ResetSecurity("Acme Corp", true).Refused());
  EXPECT_THAT(ui.Messages(), ElementsAre("Security Acme Corp has been reset.", "Security Acme Corp is hidden.",
                                         "Security is hidden."));
}

TEST_F(SecurityRecordsTest, ResetAllResetsEachActiveSecurityAndNoneOfTheHiddenOnes) {
  for (const char* name : {"Acme Corp", "Bolt Inc", "Crane Co"}) {
    AddSecurity(name, "");
    Price(name, 10, Day(2026, 11, 2));
  }
  ASSERT_TRUE(securities.Hide("Bolt Inc"));
  for (const char* name : {"Acme Corp", "Bolt Inc", "Crane Co"}) {
    TSecurityRec security = Security(name);
    security.pricec = 1;
    security.pricedate = Day(2026, 1, 5);
    securities.Save(security);
  }
  ui.Clear();
  ASSERT_TRUE(securities.ResetAllSecurities());
  EXPECT_EQ(Security("Acme Corp").pricec, 10);
  EXPECT_EQ(Security("Crane Co").pricec, 10);
  EXPECT_EQ(Security("Bolt Inc").pricec, 1);
  EXPECT_EQ(Security("Bolt Inc").pricedate, Day(2026, 1, 5));
  EXPECT_THAT(ui.Messages(), ElementsAre("All active securities have been reset."));
  EXPECT_EQ(ui.SoundCount(), 1);
}

TEST_F(SecurityRecordsTest, AMissingSecurityIsNamed) {
  EXPECT_TRUE(securities.Hide("Nothing").WasNotFound());
  EXPECT_THAT(ui.Messages(), ElementsAre("Security Nothing does not exist."));
}

}  // namespace
}  // namespace pellmark::ledger
