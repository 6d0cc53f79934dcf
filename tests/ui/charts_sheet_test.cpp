// The club's charts on screen (offscreen): a line has one point per figure and
// axes spanning its dates and dollars, the bars their named values, and the
// Reports page's "Charts" sheet shows the club's own figures or, for a line of
// one point or none, the words that say why there is no chart.
#include <gmock/gmock.h>

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCategoryAxis>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QHorizontalBarSeries>
#include <QLineSeries>
#include <QProcess>
#include <QStandardPaths>

#include "club/dates.h"
#include "forms/entry_dialog.h"
#include "qtpage/chart_pdf.h"
#include "qtpage/club_charts.h"
#include "support/temp_folder.h"
#include "ui/charts_sheet.h"
#include "window_fixture.h"

namespace pellmark::ui {
namespace {

using qtpage::ClubChartView;

DayNumber Day(int y, int m, int d) { return DayNumberFromCivil({y, m, d}); }

template <class Axis>
Axis* AxisOf(QChart& chart, Qt::Orientation orientation) {
  const QList<QAbstractAxis*> axes = chart.axes(orientation);
  return axes.size() == 1 ? qobject_cast<Axis*>(axes.front()) : nullptr;
}

// Pixels of the line's blue, give or take the antialiasing.
int LinePixels(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (std::abs(c.red() - 0x1f) < 12 && std::abs(c.green() - 0x5f) < 12 && std::abs(c.blue() - 0x9f) < 12) ++count;
    }
  }
  return count;
}

TEST(ClubChartViewTest, ALineHasAPointPerFigureAndAxesSpanningTheirDatesAndDollarsOrElseTheNote) {
  ClubChartView view;
  view.ShowSeries({"Unit Value at Each Official Valuation",
                   {{Day(2025, 1, 31), 10}, {Day(2025, 2, 28), 12.5}, {Day(2025, 3, 31), 11},
                    {Day(2025, 4, 30), 13.75}, {Day(2025, 5, 30), 9.5}},
                   ""});
  view.resize(1280, 800);
  EXPECT_GT(LinePixels(view.grab().toImage()), 500) << "the line is drawn";
  QChart* chart = view.Chart();
  ASSERT_NE(chart, nullptr);
  EXPECT_EQ(chart->title(), QStringLiteral("Unit Value at Each Official Valuation"));
  auto* line = qobject_cast<QLineSeries*>(chart->series().front());
  ASSERT_NE(line, nullptr);
  ASSERT_EQ(line->count(), 5);
  EXPECT_EQ(line->at(3), QPointF(static_cast<qreal>(qtpage::ChartMilliseconds(Day(2025, 4, 30))), 13.75));
  // The dates from the first to the last, and a fiftieth of that span beyond each.
  auto* dates = AxisOf<QDateTimeAxis>(*chart, Qt::Horizontal);
  ASSERT_NE(dates, nullptr);
  const qint64 first = qtpage::ChartMilliseconds(Day(2025, 1, 31)), last = qtpage::ChartMilliseconds(Day(2025, 5, 30));
  EXPECT_EQ(dates->min().toMSecsSinceEpoch(), first - (last - first) / 50);
  EXPECT_EQ(dates->max().toMSecsSinceEpoch(), last + (last - first) / 50);
  EXPECT_EQ(dates->format(), QStringLiteral("MM/dd/yyyy"));
  // Whole dollars just around $9.50 to $13.75.
  auto* dollars = AxisOf<QCategoryAxis>(*chart, Qt::Vertical);
  ASSERT_NE(dollars, nullptr);
  EXPECT_EQ(dollars->min(), 9.0);
  EXPECT_EQ(dollars->max(), 14.0);
  EXPECT_EQ(dollars->categoriesLabels(), (QStringList{"$9.00", "$10.00", "$11.00", "$12.00", "$13.00", "$14.00"}));
  EXPECT_EQ(view.Note(), QString());

  view.ShowSeries({"Value of Ann Smith's Units", {{Day(2025, 1, 31), 100}}, "Ann Smith held units at only one ..."});
  EXPECT_EQ(view.Chart(), nullptr);
  EXPECT_EQ(view.Note(), QStringLiteral("Ann Smith held units at only one ..."));
  EXPECT_EQ(LinePixels(view.grab().toImage()), 0);
}

TEST(ClubChartViewTest, HoldingsAreBarsNamedWithTheirValuesLargestOnTop) {
  ClubChartView view;
  view.ShowHoldings({"Holdings by Value", {{"Birch Bank", 550}, {"Acme Tools", 123.46}}, 673.46, ""});
  QChart* chart = view.Chart();
  ASSERT_NE(chart, nullptr);
  EXPECT_EQ(chart->title(), QStringLiteral("Holdings by Value: $673.46 in 2 securities"));
  auto* bars = qobject_cast<QHorizontalBarSeries*>(chart->series().front());
  ASSERT_NE(bars, nullptr);
  const QBarSet* set = bars->barSets().front();
  ASSERT_EQ(set->count(), 2);
  EXPECT_EQ(std::pair(set->at(0), set->at(1)), std::pair(123.46, 550.0));
  EXPECT_EQ(AxisOf<QBarCategoryAxis>(*chart, Qt::Vertical)->categories(),
            (QStringList{QStringLiteral("Acme Tools  $123.46"), QStringLiteral("Birch Bank  $550.00")}));
  EXPECT_EQ(AxisOf<QCategoryAxis>(*chart, Qt::Horizontal)->categoriesLabels(),
            (QStringList{"$0", "$200", "$400", "$600"}));
}

// Read back with poppler's pdftotext: a page per chart, the note in place of a missing one.
TEST(ChartsPdfTest, ANoteStandsInForAChartOfOnePointOrNoneOnItsPage) {
  const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
  ASSERT_FALSE(pdftotext.isEmpty()) << "pdftotext (poppler-utils) is missing: run scripts/install-deps";
  testing::TempFolder folder;
  const std::filesystem::path pdf = folder.Path() / "charts.pdf";
  const reports::ChartSeries two{"Unit Value at Each Official Valuation", {{Day(2026, 1, 31), 10}, {Day(2026, 2, 28), 11}}, ""};
  ASSERT_TRUE(qtpage::WriteChartsPdf(pdf, "Elm Street Investors", Day(2026, 12, 7),
                                     {two, reports::UnitValueSeries({}), reports::HoldingsByValue({})}));
  QProcess process;
  process.start(pdftotext, {QStringLiteral("-layout"), QString::fromStdString(pdf.string()), QStringLiteral("-")});
  ASSERT_TRUE(process.waitForFinished(30000));
  const QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
  ASSERT_EQ(pages.size(), 3);
  for (const QString& page : pages) EXPECT_TRUE(page.contains(QStringLiteral("Elm Street Investors"))) << page.toStdString();
  EXPECT_TRUE(pages[0].contains(QStringLiteral("$11.00"))) << "the chart's dollar axis";
  EXPECT_TRUE(pages[1].contains(QStringLiteral("No official valuation is on record yet: the unit value chart needs two.")))
      << pages[1].toStdString();
  EXPECT_TRUE(pages[2].contains(QStringLiteral("The club holds no securities: there are no holdings to chart.")))
      << pages[2].toStdString();
  EXPECT_FALSE(qtpage::WriteChartsPdf(folder.Path() / "missing" / "x.pdf", "Elm Street Investors", Day(2026, 12, 7), {two}));
}

class ChartsSheetTest : public ClubWindowTest {
 protected:
  ChartsSheetTest() : ClubWindowTest(MainTab::kReports, "ReportsPage", "") {}
};

TEST_F(ChartsSheetTest, ShowsTheClubsValuationsAndSaysWhyAChartIsMissing) {
  Books& books = window->TheBooks();
  ledger::MemberEntry ann;
  ann.lname = "Smith";
  ann.fname = "Ann";
  ASSERT_TRUE(books.Settle(books.Members().CommitMember(std::nullopt, ann)));
  ui.AnswerEntryDialog([](EntryDialog& dialog) { dialog.Form().amount.text = "100"; });  // 4 units at 25.00
  ASSERT_TRUE(books.Settle(books.Members().Collect(ledger::MemberAction::DuesAll, std::nullopt, Day(1999, 12, 1))));
  Click("createofficial");  // on 12/31/1999, after the starting unit value of 01/01/1999

  ShowSheet(1);
  auto* unit_value = Find<ClubChartView>(*window, "unitvaluechart");
  ASSERT_NE(unit_value, nullptr);
  ASSERT_NE(unit_value->Chart(), nullptr);
  auto* line = qobject_cast<QLineSeries*>(unit_value->Chart()->series().front());
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->count(), 2);
  EXPECT_EQ(line->at(0).x(), static_cast<qreal>(qtpage::ChartMilliseconds(Day(1999, 1, 1))));
  EXPECT_EQ(line->at(1), QPointF(static_cast<qreal>(qtpage::ChartMilliseconds(Day(1999, 12, 31))), 25.0));
  // $25.00 twice: a tenth either side.
  EXPECT_EQ(AxisOf<QCategoryAxis>(*unit_value->Chart(), Qt::Vertical)->categoriesLabels().front(),
            QStringLiteral("$22.00"));

  EXPECT_EQ(Find<QComboBox>(*window, "chartmember")->currentText(), QStringLiteral("Smith, Ann"));
  EXPECT_EQ(Find<ClubChartView>(*window, "memberchart")->Note(),
            QStringLiteral("Ann Smith held units at only one official valuation (12/31/1999, $100.00): the chart "
                           "needs two."));
  EXPECT_EQ(Find<ClubChartView>(*window, "holdingschart")->Note(),
            QStringLiteral("The club holds no securities: there are no holdings to chart."));
}

}  // namespace
}  // namespace pellmark::ui
