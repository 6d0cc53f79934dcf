// TReportWindow: the one modal window where every report is laid out,
// previewed, printed and saved as PDF. A report is handed over with SetReport;
// the layout (genreport) runs when the window is first shown, after a choice in
// "&Options" and after a change of margins.
//
//   TReportWindow window(ui, clock, ReadPageMargins(), parent);
//   window.SetReport(std::make_unique<ValuationStatementReport>(statement, info.club, info.sort));
//   window.exec();
#pragma once

#include <QDialog>
#include <QPrinter>
#include <functional>
#include <memory>

#include "club/clock.h"
#include "club/interaction.h"
#include "forms/margin_form.h"
#include "reports/page_printer.h"
#include "reports/report.h"
#include "qtpage/qt_page_device.h"

class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;

namespace pellmark::qtpage {
class PagePreview;
}

namespace pellmark::ui {

class TReportWindow : public QDialog {
  Q_OBJECT

 public:
  TReportWindow(Interaction& ui, const Clock& clock, const MarginValues& margins, QWidget* parent = nullptr);
  ~TReportWindow() override;

  // The report's set-up: its caption and its "&Options"; the pages are cleared.
  void SetReport(std::unique_ptr<reports::Report> report);
  reports::Report* CurrentReport() { return report_.get(); }
  reports::TPagePrinter& Printer() { return printer_; }
  qtpage::PagePreview& Preview() { return *preview_; }
  // genreport: lays the report out; false when "Report Generation failed" was shown.
  bool GenerateReport();
  // Every recorded page into a PDF file; false (after a message) when it cannot be written.
  bool SavePdf(const QString& path);
  // Shows a page (1 …) and says so in lblPage.
  void ShowPage(int page);
  // What "P&age Setup" does after OK: new margins are kept in the user's
  // settings and the report is laid out again.
  void ApplyMargins(const MarginValues& margins);
  // Where the help window is opened (topic 3001).
  void SetHelp(std::function<void(int)> open_topic) { open_help_ = std::move(open_topic); }
  // The Options menu, for tests and the CLI's choices.
  QMenu* OptionsMenu() { return options_menu_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus(QLayout* layout);
  void FillOptions();
  void OptionClicked(int index);
  void ApplyZoom();
  void ZoomTimerTick();
  void RefreshPageLabel();
  void PrintClick();
  void PrinterSetupClick();
  void PageSetupClick();
  void SavePdfClick();

  Interaction& ui_;
  qtpage::QtPageDevice device_;
  reports::TPagePrinter printer_;
  std::unique_ptr<reports::Report> report_;
  QPrinter qprinter_;
  bool first_layout_done_ = false;
  bool laid_out_ = false;
  std::function<void(int)> open_help_;

  qtpage::PagePreview* preview_;
  QMenu* options_menu_ = nullptr;
  QPushButton* prev_;
  QPushButton* next_;
  QLabel* page_label_;
  QComboBox* zoom_list_;
  QTimer* zoom_timer_;
};

// The margins the page printer starts with are kept in the user's settings
// ("TOPMARGIN" … as their shortest decimal text).
void WritePageMargins(const MarginValues& margins);

}  // namespace pellmark::ui
