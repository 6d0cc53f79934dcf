// The Reports page's "Club" group: each button lays its report of the report
// calendar's date out in the report window; a category outside the table is
// named and no window opens.
#include <gmock/gmock.h>

#include "club/record_kinds.h"
#include "forms/entry_dialog.h"
#include "ui/report_window.h"
#include "ui/reports_page.h"
#include "window_fixture.h"

namespace pellmark::ui {
namespace {

using ::testing::ElementsAre;

class ClubGroupTest : public ClubWindowTest {
 protected:
  ClubGroupTest() : ClubWindowTest(MainTab::kReports, "ReportsPage", "") {}

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
    window->Reports()->SetModal(false);
    ui.Clear();
  }
  // The texts of the report window's first page but its blank lines, in drawing order.
  std::vector<std::string> FirstPage() {
    TReportWindow& report = window->Reports()->ReportWindow();
    EXPECT_TRUE(report.GenerateReport());
    std::vector<std::string> texts;
    for (const auto& op : report.Printer().Pages().pages.at(0).ops) {
      const auto* text = std::get_if<reports::TextOp>(&op);
      if (text != nullptr && text->text != " ") texts.push_back(text->text);
    }
    return texts;
  }
};

TEST_F(ClubGroupTest, EachButtonOpensItsReportOfTheCalendarsDate) {
  const std::string date = FormatDate(window->Reports()->Date());
  struct Case {
    const char* button;
    const char* caption;
    std::string title;
  };
  const Case cases[] = {
      {"rptbalance", "Balance Sheet", "Club Balance Sheet as of " + date + "."},
      {"rptincome", "Income and Expense Report", "Club Income/Expense Statement from 01/01/1999 thru " + date + "."},
      {"rptgains", "Capital Gains Report", "Club Capital Gains from 01/01/1999 thru " + date + "."},
      {"rptdistribution", "Earnings Distribution Report", "Club Earnings Distribution as of " + date + "."},
  };
  ASSERT_NE(Find<QWidget>(*window, "rptclubselect"), nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    Click(c.button);
    TReportWindow& report = window->Reports()->ReportWindow();
    EXPECT_EQ(report.windowTitle().toStdString(), c.caption);
    const std::vector<std::string> texts = FirstPage();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[0], "Elm Street Investors");
    EXPECT_EQ(texts[1], c.title);
    report.close();
  }
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_FALSE(ui.Busy());
}

TEST_F(ClubGroupTest, ACategoryOutsideTheTableIsNamedAndNoReportOpens) {
  TAccountTranRec stray;
  stray.actid = 1;
  stray.amount = 5;
  stray.catid = 42;
  stray.trandate = DayNumberFromCivil({1999, 6, 1});
  stray.tranid = 77;
  window->Club().actrecs.Put(stray);
  Click("rptincome");
  EXPECT_THAT(ui.Messages(), ElementsAre("Cash (Invalid Category: 42)"));
  EXPECT_FALSE(window->Reports()->ReportWindow().isVisible());
}

}  // namespace
}  // namespace pellmark::ui
