// The Reports page's "Valuation" group: an official valuation on the report
// date refreshes the summary panel; "Delete" removes the statement it chose.
// Its "Transaction" group opens the member reports of the report date.
#include <gmock/gmock.h>

#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <filesystem>

#include "forms/entry_dialog.h"
#include "reports/page_printer.h"
#include "store/whole_files.h"
#include "ui/command_group.h"
#include "ui/report_window.h"
#include "ui/reports_page.h"
#include "ui/statement_file_groups.h"
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
    ledger::MemberEntry ann;
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

TEST_F(ValuationGroupTest, TheTransactionGroupOpensTheMemberReportsOfTheReportDate) {
  auto* group = Find<CommandGroup>(*window, "rpttranselect");
  ASSERT_NE(group, nullptr);
  QStringList captions;
  for (QPushButton* button : group->Buttons()) captions << button->text();
  EXPECT_EQ(captions, (QStringList{QStringLiteral("D&ues Payment"), QStringLiteral("Member &Payoff"),
                                   QStringLiteral("Member &Roster"), QStringLiteral("Member &Vote"),
                                   QStringLiteral("Member Re&turns")}));
  window->Reports()->SetModal(false);
  window->Reports()->SetDate(DayNumberFromCivil({1999, 12, 31}));
  Click("rptvote");
  TReportWindow& report = window->Reports()->ReportWindow();
  EXPECT_EQ(report.windowTitle(), QStringLiteral("Membership Vote Report"));
  ASSERT_TRUE(report.GenerateReport());
  std::vector<std::string> texts;
  for (const auto& op : report.Printer().Pages().pages.at(0).ops) {
    if (const auto* text = std::get_if<reports::TextOp>(&op)) texts.push_back(text->text);
  }
  EXPECT_THAT(texts, ::testing::IsSupersetOf({std::string("Membership Voting Percentages as of 12/31/1999."),
                                              std::string("Ann Smith"), std::string("4.000"), std::string("$100.00"),
                                              std::string("100.00%")}));
  report.close();
  Click("rptpayoff");
  EXPECT_EQ(report.windowTitle(), QStringLiteral("Member Payoff Letter"));
  EXPECT_FALSE(report.OptionsMenu()->menuAction()->isVisible());  // no payouts, no choices
  report.close();
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

TEST_F(ValuationGroupTest, ToFileWritesTheTextStatementAndCopiesItWhereTheUserSaves) {
  Click("createofficial");
  ui.Clear();
  auto* ofiles = Find<QCheckBox>(*window, "ofiles");
  ASSERT_NE(ofiles, nullptr);
  ofiles->setChecked(true);
  EXPECT_TRUE(Find<QWidget>(*window, "Valuationgroup")->isHidden());
  EXPECT_FALSE(Find<QWidget>(*window, "ofilesgroups")->isHidden());

  const std::filesystem::path statement = folder.Path() / "V12311999.stm";
  window->Reports()->SetStatementChooser([&](const QString&) { return std::optional(statement); });
  const std::filesystem::path target = folder.Path() / "saved" / "mine.txt";
  std::filesystem::create_directory(target.parent_path());
  QString proposed;
  window->Reports()->FileGroups().SetSaveChooser([&](const QString& name) {
    proposed = name;
    return std::optional(target);
  });
  Click("statementfile");
  EXPECT_EQ(proposed, QStringLiteral("V12311999.txt"));
  EXPECT_THAT(ui.Messages(), ElementsAre("Valuation Statement has been saved to " + target.string() + "."));
  const std::string written = store::ReadWholeFile(store::DefaultFileLayer(), folder.Path() / "valuerpt.txt");
  EXPECT_EQ(store::ReadWholeFile(store::DefaultFileLayer(), target), written);
  EXPECT_NE(written.find("Ann Smith                       ------> 4.000 at $100.00"), std::string::npos) << written;

  ui.Clear();
  Click("votefile");
  EXPECT_EQ(proposed, QStringLiteral("Vote_12311999.txt"));
  EXPECT_THAT(ui.Messages(), ElementsAre("Vote Statement has been saved to " + target.string() + "."));
  ui.Clear();
  Click("rosterfile");
  EXPECT_EQ(proposed, QStringLiteral("Roster_12311999.txt"));
  EXPECT_EQ(store::ReadWholeFile(store::DefaultFileLayer(), target),
            store::ReadWholeFile(store::DefaultFileLayer(), folder.Path() / "rosterrpt.txt"));

  ofiles->setChecked(false);
  EXPECT_FALSE(Find<QWidget>(*window, "Valuationgroup")->isHidden());
  EXPECT_TRUE(Find<QWidget>(*window, "ofilesgroups")->isHidden());
}

TEST_F(ValuationGroupTest, HistoryCommandsShowTheirReportsForTheReportDate) {
  window->Reports()->SetModal(false);
  Click("accountrecords");
  TReportWindow& report_window = window->Reports()->ReportWindow();
  ASSERT_NE(report_window.CurrentReport(), nullptr);
  EXPECT_EQ(report_window.CurrentReport()->Kind(), 7);
  EXPECT_EQ(report_window.windowTitle(), QStringLiteral("Account Transactions"));
  report_window.close();
  Click("securityrecords");
  EXPECT_EQ(report_window.CurrentReport()->Kind(), 11);
  report_window.close();
  Click("pricehistory");
  EXPECT_EQ(report_window.CurrentReport()->Kind(), 9);
  EXPECT_EQ(report_window.windowTitle(), QStringLiteral("Price History Report"));
  report_window.close();
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
