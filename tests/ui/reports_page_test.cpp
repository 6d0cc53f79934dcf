// The Reports page's "Valuation" group: an official valuation on the report
// date refreshes the summary panel; "Delete" removes the statement it chose.
#include <gmock/gmock.h>

#include <filesystem>

#include "forms/entry_dialog.h"
#include "ui/report_window.h"
#include "ui/reports_page.h"
#include "window_fixture.h"

namespace pellmark::ui {
namespace {

using ::testing::ElementsAre;

class ValuationGroupTest : public ClubWindowTest {
 protected:
  ValuationGroupTest() : ClubWindowTest(MainTab::kReports, "ReportsPage", "") {}

  void SetUp() override {
    ClubWindowTest::SetUp();
    Books& books = window->TheBooks();
    ledger::MemberFields ann;
    ann.lname = "Smith";
    ann.fname = "Ann";
    ASSERT_TRUE(books.Settle(books.Members().CommitMember(std::nullopt, ann)));
    ui.AnswerEntryDialog([](EntryDialog& dialog) { dialog.Form().amount.text = "100"; });  // 4 units at 25.00
    ASSERT_TRUE(books.Settle(books.Members().Collect(ledger::MemberAction::DuesAll, std::nullopt,
                                                     DayNumberFromCivil({1999, 12, 1}))));
    window->RefreshClubSummary();
    ui.Clear();
  }
};

TEST_F(ValuationGroupTest, CreateOfficialValuesTheClubAndShowsItsFigures) {
  auto* group = Find<QWidget>(*window, "Valuationgroup");
  ASSERT_NE(group, nullptr);
  Click("createofficial");
  EXPECT_THAT(ui.Messages(), ElementsAre("Valuation Statement V12311999.stm created. Valuation Updated"));
  EXPECT_TRUE(std::filesystem::exists(folder.Path() / "V12311999.stm"));
  EXPECT_EQ(window->Club().unitfile.Count(), 2);
  EXPECT_EQ(Text("totalassets"), QStringLiteral("$100.00"));
  EXPECT_EQ(Text("totalunits"), QStringLiteral("4.000"));
  EXPECT_EQ(Text("actualunit"), QStringLiteral("$25.00"));
  EXPECT_EQ(Text("purchaseunit"), QStringLiteral("$25.00"));
  EXPECT_FALSE(ui.Busy());

  const std::filesystem::path statement = folder.Path() / "V12311999.stm";
  window->Reports()->SetStatementChooser([&](const QString& filter) {
    EXPECT_TRUE(filter.startsWith(QStringLiteral("1999 Valuation Statements"))) << filter.toStdString();
    return std::optional(statement);
  });
  ui.AnswerNext(statement.string() + " will be removed permanently. Continue?", true);
  Click("valuationdelete");
  EXPECT_FALSE(std::filesystem::exists(statement));
  EXPECT_EQ(window->Club().unitfile.Count(), 2);
}

TEST_F(ValuationGroupTest, CreateTestAsksAboutStaleDuesAndRecordsNothing) {
  window->Club().Info().dues = false;
  ui.AnswerNext("Member Dues Not updated, Continue?", false);
  Click("createtest");
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "V12311999.stm"));
  ui.AnswerNext("Member Dues Not updated, Continue?", true);
  Click("createtest");
  EXPECT_TRUE(std::filesystem::exists(folder.Path() / "V12311999.stm"));
  EXPECT_EQ(window->Club().unitfile.Count(), 1);
}

TEST_F(ValuationGroupTest, AuditValuationsRerunsTheValuationsFromTheReportDateAndPutsTheDateBack) {
  Click("createofficial");
  const std::int32_t official_id = window->Club().Info().unitkey;
  ui.Clear();
  const DayNumber december1 = DayNumberFromCivil({1999, 12, 1});
  window->Reports()->SetDate(december1);
  Click("valuationaudit");
  EXPECT_THAT(ui.Messages(), ElementsAre("The Audit was completed successfully."));
  EXPECT_EQ(ui.SoundCount(), 1);
  EXPECT_EQ(window->Reports()->Date(), december1);
  // The 31 December valuation ran again under a new id; the starting one stays.
  EXPECT_EQ(window->Club().unitfile.Count(), 2);
  EXPECT_EQ(window->Club().Info().unitkey, official_id + 1);
  EXPECT_EQ(Text("purchaseunit"), QStringLiteral("$25.00"));
  EXPECT_FALSE(window->Club().AuditMode());
}

}  // namespace
}  // namespace pellmark::ui

namespace pellmark::ui {
namespace {

using ::testing::ElementsAre;

class CloseYearTest : public ValuationGroupTest {};

// "Close Year" closes the year of the 31 December valuation, then the report
// window shows the year's tax report and the closing message follows.
TEST_F(CloseYearTest, CloseYearShowsTheTaxReportThenTheClosingMessage) {
  Click("createofficial");
  ui.Clear();
  window->Reports()->SetModal(false);
  ui.AnswerNext("Have all transactions for 1999 been entered and verified?", true);
  window->Reports()->CloseYear();
  EXPECT_THAT(ui.Messages(), ElementsAre("Have all transactions for 1999 been entered and verified?",
                                         "Year 1999 has been closed.  Tax Report Created."));
  EXPECT_TRUE(std::filesystem::exists(folder.Path() / "club1999.tax"));
  EXPECT_EQ(window->Club().Info().year, 2000);
  ASSERT_NE(window->Reports()->ReportWindow().CurrentReport(), nullptr);
  EXPECT_EQ(window->Reports()->ReportWindow().CurrentReport()->Kind(), 12);

  // A second close looks for the next year's statement.
  ui.Clear();
  window->Reports()->CloseYear();
  EXPECT_THAT(ui.Messages(), ElementsAre("Need to create an Official Valuation Statement for 12/31/2000"));
}

}  // namespace
}  // namespace pellmark::ui
