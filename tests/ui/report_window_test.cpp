#include <QAction>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <filesystem>
#include <fstream>
#include <optional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "club/dates.h"
#include "reports/valuation_statement.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"
#include "ui/pellmark_window.h"
#include "qtpage/qt_page_device.h"
#include "ui/report_dialogs.h"
#include "ui/report_window.h"
#include "ui/reports_page.h"
#include "store/posix_file_layer.h"
#include "valuation/statement_file.h"
#include "ui/ui_test_support.h"

namespace pellmark::ui {
namespace {

using ::testing::ElementsAre;

valuation::Statement TwoMemberStatement() {
  valuation::Statement s;
  s.date = DayNumberFromCivil({1999, 12, 31});
  s.securities = {{10, 12.5, 4, 100, "Acme Widgets"}};
  s.dividends = 4;
  s.accounts = {{250.75, 1.25, "Brokerage"}};
  s.members = {{60, 500, 3, "Ann Smith"}, {40, 300, 2, "Bob Jones"}};
  s.summary = valuation::StatementSummary{20.5, 20, 2050, 100};
  s.unit_id = -1;  // a test statement's trailer
  return s;
}

// The reports' fonts must be the metric-compatible families, or page breaks
// and column widths would differ from machine to machine.
TEST(ReportFontsTest, ArialAndCourierNewAreTheLiberationFamilies) {
  EXPECT_EQ(QFontInfo(qtpage::ReportQFont({"Arial", 10}, 300, 96)).family(), QStringLiteral("Liberation Sans"));
  EXPECT_EQ(QFontInfo(qtpage::ReportQFont({"Courier New", 10}, 300, 96)).family(), QStringLiteral("Liberation Mono"));
  // 10 pt at 300 dpi is an em of 42 whole pixels; Liberation Sans's "9" is
  // 1139/2048 of it (23.4) and Liberation Mono's characters 1229/2048 (25.2).
  qtpage::QtPageDevice device(reports::FallbackGeometry(reports::Orientation::kPortrait));
  EXPECT_EQ(device.TextWidth({"Arial", 10}, "9"), 23);
  EXPECT_EQ(device.TextWidth({"Courier New", 10}, "9999"), 101);
}

class ReportWindowTest : public ::testing::Test {
 protected:
  ReportWindowTest() : window(ui, clock, MarginValues{}) {
    window.SetReport(std::make_unique<reports::ValuationStatementReport>(TwoMemberStatement(), "Elm Street Investors", false));
  }
  QString PageLabel() { return Find<QLabel>(window, "lblPage")->text(); }

  testing::ScriptedInteraction ui;
  FixedClock clock{DayNumberFromCivil({2000, 1, 3})};
  TReportWindow window;
};

TEST_F(ReportWindowTest, LaysTheReportOutAtFitToWidthWithItsOptions) {
  window.resize(800, 600);
  ASSERT_TRUE(window.GenerateReport());
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Valuation Statement"));
  EXPECT_EQ(window.Printer().PageCount(), 1);
  EXPECT_EQ(PageLabel(), QStringLiteral("1 of 1"));
  EXPECT_EQ(Find<QComboBox>(window, "ZoomList")->currentIndex(), 6);  // "Fit To Width"
  QStringList captions;
  for (QAction* action : window.OptionsMenu()->actions()) captions << action->text();
  EXPECT_EQ(captions, (QStringList{"&Non-Member", "&Membership Summary", "&All Members", "Ann Smith", "Bob Jones"}));
  EXPECT_TRUE(window.OptionsMenu()->menuAction()->isVisible());

  window.OptionsMenu()->actions()[2]->trigger();  // "&All Members"
  EXPECT_EQ(window.Printer().PageCount(), 2);
  EXPECT_FALSE(window.OptionsMenu()->actions()[0]->isChecked());
  EXPECT_TRUE(window.OptionsMenu()->actions()[1]->isChecked());  // the toggle stays
  QTest::mouseClick(Find<QWidget>(window, "btnNextPage"), Qt::LeftButton);
  EXPECT_EQ(PageLabel(), QStringLiteral("2 of 2"));
  QTest::mouseClick(Find<QWidget>(window, "btnNextPage"), Qt::LeftButton);
  EXPECT_EQ(PageLabel(), QStringLiteral("2 of 2"));
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(ReportWindowTest, NewMarginsGoToTheSettingsTheMainWindowReads) {
  ASSERT_TRUE(window.GenerateReport());
  window.ApplyMargins({0.5, 0.4, 1, 0.3});
  QSettings settings(QStringLiteral("Quillomer"), QStringLiteral("Pellmark"));
  EXPECT_EQ(settings.value(QStringLiteral("TOPMARGIN")).toString(), QStringLiteral("0.5"));
  EXPECT_EQ(settings.value(QStringLiteral("LEFTMARGIN")).toString(), QStringLiteral("1"));
  PageMargins read = ReadPageMargins();
  EXPECT_EQ(read.top, 0.5);
  EXPECT_EQ(read.bottom, 0.4);
  EXPECT_EQ(read.left, 1);
  EXPECT_EQ(read.right, 0.3);
  EXPECT_EQ(window.Printer().LeftOffset(), 225);  // laid out again at 1 in less the quarter inch
  window.ApplyMargins({0.25, 0.25, 0.75, 0.5});
}

TEST(TmarginTest, StaysOpenWhileAMarginIsOutOfRange) {
  testing::ScriptedInteraction ui;
  Tmargin dialog(ui);
  dialog.Show({0.25, 0.25, 0.75, 0.5});
  EXPECT_EQ(Find<QLineEdit>(dialog, "RightMargin")->text(), QStringLiteral("0.50"));
  Find<QLineEdit>(dialog, "TopMargin")->setText(QStringLiteral("2"));
  Find<QLineEdit>(dialog, "LeftMargin")->setText(QStringLiteral("-1"));
  dialog.open();
  dialog.done(QDialog::Rejected);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_THAT(ui.Messages(), ElementsAre("Top Margin must be between 0.00 and 1.00",
                                         "Left Margin must be between 0.00 and 1.00"));
  QTest::mouseClick(Find<QWidget>(dialog, "Defaults"), Qt::LeftButton);
  dialog.done(QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.Values(), (MarginValues{0.25, 0.25, 0.75, 0.5}));
}

// The PDF is read back with poppler's pdftotext, not with our own code.
TEST_F(ReportWindowTest, SavesEveryPageAsAPdfThatAnotherReaderReads) {
  const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
  ASSERT_FALSE(pdftotext.isEmpty()) << "pdftotext (poppler-utils) is missing: run scripts/install-deps";
  window.SetReport(std::make_unique<reports::ValuationStatementReport>(TwoMemberStatement(), "Elm Street Investors", false));
  window.GenerateReport();
  window.OptionsMenu()->actions()[2]->trigger();  // "&All Members": two pages
  testing::TempFolder folder;
  const QString pdf = QString::fromStdString((folder.Path() / "statement.pdf").string());
  ASSERT_TRUE(window.SavePdf(pdf));
  QProcess process;
  process.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  ASSERT_TRUE(process.waitForFinished(30000));
  const QString text = QString::fromUtf8(process.readAllStandardOutput());
  const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
  ASSERT_EQ(pages.size(), 2);
  EXPECT_TRUE(pages[0].contains(QStringLiteral("Valuation as of 12/31/1999: Prepared for Ann Smith"))) << text.toStdString();
  EXPECT_TRUE(pages[1].contains(QStringLiteral("Valuation as of 12/31/1999: Prepared for Bob Jones")));
  EXPECT_TRUE(pages[0].contains(QStringLiteral("Acme Widgets")));
  EXPECT_TRUE(pages[0].contains(QStringLiteral("$1500.75")));
  EXPECT_FALSE(window.SavePdf(QString::fromStdString((folder.Path() / "missing" / "x.pdf").string())));
  EXPECT_EQ(ui.Messages().size(), 1u);
}

}  // namespace
}  // namespace pellmark::ui

namespace pellmark::ui {
namespace {

class ReportsPageTest : public MainWindowTest {
 protected:
  void SetUp() override {
    window = OpenWindow();
    SetUpClub(*window);
    ASSERT_TRUE(window->ChooseTab(MainTab::kReports));
    page = window->findChild<ReportsPage*>();
    ASSERT_NE(page, nullptr);
    page->SetModal(false);
    page->SetStatementChooser([this](const QString& filter) {
      filters << filter;
      return chosen;
    });
    store::PosixFileLayer files;
    valuation::WriteStatementFile(files, folder.Path() / "V12311999.stm", TwoMemberStatement());
  }
  std::unique_ptr<TPellmark> window;
  ReportsPage* page = nullptr;
  QStringList filters;
  std::optional<std::filesystem::path> chosen;
};

TEST_F(ReportsPageTest, PrintShowsTheChosenStatementWithTheClubsName) {
  chosen = folder.Path() / "V12311999.stm";
  QTest::mouseClick(Find<QWidget>(*window, "valuationprint"), Qt::LeftButton);
  EXPECT_EQ(filters, QStringList{QStringLiteral("1999 Valuation Statements (*1999.stm);;All Valuation Statements "
                                                "(*.stm);;V1.xx Valuation Statments (*.sta)")});
  TReportWindow& report = page->ReportWindow();
  ASSERT_TRUE(report.GenerateReport());
  EXPECT_EQ(report.windowTitle(), QStringLiteral("Valuation Statement"));
  const auto& ops = report.Printer().Pages().pages.at(0).ops;
  EXPECT_EQ(std::get<reports::TextOp>(ops.at(0)).text, "Elm Street Investors");
  report.close();
}

TEST_F(ReportsPageTest, ADamagedStatementIsNamedAndAMissingOneIsNotShown) {
  std::ofstream(folder.Path() / "V01011999.stm", std::ios::binary) << "short";
  ui.Clear();
  chosen = folder.Path() / "V01011999.stm";
  QTest::mouseClick(Find<QWidget>(*window, "valuationprint"), Qt::LeftButton);
  EXPECT_THAT(ui.Messages(), ElementsAre("Valuation statement V01011999.stm is damaged: its length is not a whole "
                                         "number of 51-byte records."));
  chosen = folder.Path() / "V02021999.stm";
  QTest::mouseClick(Find<QWidget>(*window, "valuationprint"), Qt::LeftButton);
  EXPECT_EQ(ui.Messages().size(), 1u);
}

TEST_F(ReportsPageTest, DeleteAsksFirstAndRemovesOnlyOnYes) {
  chosen = folder.Path() / "V12311999.stm";
  const std::string question = chosen->string() + " will be removed permanently. Continue?";
  ui.AnswerNext(question, false);
  QTest::mouseClick(Find<QWidget>(*window, "valuationdelete"), Qt::LeftButton);
  EXPECT_TRUE(std::filesystem::exists(*chosen));
  ui.AnswerNext(question, true);
  QTest::mouseClick(Find<QWidget>(*window, "valuationdelete"), Qt::LeftButton);
  EXPECT_FALSE(std::filesystem::exists(*chosen));
  EXPECT_TRUE(ui.AllAnswersUsed());
}

}  // namespace
}  // namespace pellmark::ui

namespace pellmark::ui {
namespace {

// A printer that presses the progress dialog's Cancel while its first page prints.
class CancellingJob : public reports::PrintJob {
 public:
  explicit CancellingJob(TPPPrnPrgDlg& dialog) : dialog_(dialog) {}
  int CopyCount() const override { return 1; }
  void SetCopyCount(int) override {}
  void BeginDocument(const std::string&) override { printing_ = true; }
  void PrintPage(const reports::PageList&, const reports::RecordedPage&) override {
    ++pages;
    label = Find<QLabel>(dialog_, "lblPageNumber")->text();
    status = Find<QLabel>(dialog_, "lblStatus")->text();
    QTest::mouseClick(Find<QPushButton>(dialog_, "btnCancel"), Qt::LeftButton);
  }
  void NewPhysicalPage() override {}
  void EndDocument() override { printing_ = false; }
  void AbortDocument() override { printing_ = false; }
  bool Printing() const override { return printing_; }

  int pages = 0;
  QString label, status;

 private:
  TPPPrnPrgDlg& dialog_;
  bool printing_ = false;
};

TEST(PrintProgressTest, CancelStopsThePrintingBeforeTheNextPage) {
  FixedClock clock{DayNumberFromCivil({2000, 1, 3})};
  reports::FixedMetricsDevice device;
  reports::TPagePrinter printer(device, clock);
  printer.BeginDoc();
  printer.NewPage();
  printer.NewPage();
  printer.EndDoc();
  TPPPrnPrgDlg dialog(printer);
  CancellingJob job(dialog);
  EXPECT_FALSE(printer.Print(job, &dialog));
  EXPECT_EQ(job.pages, 1);
  EXPECT_EQ(job.label, QStringLiteral("Page 1 of 3"));
  EXPECT_EQ(job.status, QStringLiteral("Sending Pages To Printer"));
  EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
}  // namespace pellmark::ui
