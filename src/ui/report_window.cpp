#include "ui/report_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QVBoxLayout>

#include "forms/margin_form.h"
#include "qtpage/page_preview.h"
#include "ui/qt_interaction.h"
#include "ui/report_dialogs.h"

namespace pellmark::ui {

namespace {

const QStringList kZoomEntries = {QStringLiteral("200%"),         QStringLiteral("175%"),          QStringLiteral("150%"),
                                  QStringLiteral("125%"),         QStringLiteral("100%"),          QStringLiteral("50%"),
                                  QStringLiteral("Fit To Width"), QStringLiteral("Fit To Height"), QStringLiteral("Whole Page")};
constexpr int kFitToWidth = 6;

}  // namespace

void WritePageMargins(const MarginValues& margins) {
  QSettings settings(QStringLiteral("Quillomer"), QStringLiteral("Pellmark"));
  settings.setValue(QStringLiteral("TOPMARGIN"), QString::fromStdString(MarginSettingText(margins.top)));
  settings.setValue(QStringLiteral("BOTTOMMARGIN"), QString::fromStdString(MarginSettingText(margins.bottom)));
  settings.setValue(QStringLiteral("LEFTMARGIN"), QString::fromStdString(MarginSettingText(margins.left)));
  settings.setValue(QStringLiteral("RIGHTMARGIN"), QString::fromStdString(MarginSettingText(margins.right)));
}

TReportWindow::TReportWindow(Interaction& ui, const Clock& clock, const MarginValues& margins, QWidget* parent)
    : QDialog(parent),
      ui_(ui),
      device_(qtpage::DefaultPrinterGeometry()),
      printer_(device_, clock),
      qprinter_(QPrinter::HighResolution) {
  setObjectName(QStringLiteral("ReportWindow"));
  setModal(true);
  setAutoFillBackground(true);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  const double scale = logicalDpiX() / 96.0;
  resize(static_cast<int>(640 * scale), static_cast<int>(480 * scale));
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }

  printer_.SetFont({"Arial", 10});
  printer_.SetMeasureUnit(reports::TMeasureUnit::muInches);
  printer_.SetMarginTop(margins.top);
  printer_.SetMarginBottom(margins.bottom);
  printer_.SetMarginLeft(margins.left);
  printer_.SetMarginRight(margins.right);
  printer_.SetTitle("PagePrinter Testing");
  printer_.SetWordWrap(false);
  printer_.SetShowMargins(false);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  BuildMenus(layout);
  auto* bar = new QHBoxLayout;
  prev_ = new QPushButton(QStringLiteral("<"), this);
  prev_->setObjectName(QStringLiteral("btnPrevPage"));
  prev_->setToolTip(tr("Previous page"));
  next_ = new QPushButton(QStringLiteral(">"), this);
  next_->setObjectName(QStringLiteral("btnNextPage"));
  next_->setToolTip(tr("Next page"));
  page_label_ = new QLabel(this);
  page_label_->setObjectName(QStringLiteral("lblPage"));
  zoom_list_ = new QComboBox(this);
  zoom_list_->setObjectName(QStringLiteral("ZoomList"));
  zoom_list_->setEditable(true);
  zoom_list_->addItems(kZoomEntries);
  zoom_list_->setInsertPolicy(QComboBox::NoInsert);
  bar->addWidget(prev_);
  bar->addWidget(next_);
  bar->addWidget(page_label_);
  bar->addStretch();
  bar->addWidget(zoom_list_);
  layout->addLayout(bar);
  preview_ = new qtpage::PagePreview(printer_, this);
  layout->addWidget(preview_, 1);

  zoom_timer_ = new QTimer(this);
  zoom_timer_->setObjectName(QStringLiteral("ZoomTimer"));
  zoom_timer_->setSingleShot(true);
  zoom_timer_->setInterval(50);
  connect(zoom_timer_, &QTimer::timeout, this, &TReportWindow::ZoomTimerTick);
  connect(zoom_list_, &QComboBox::activated, this, [this](int) { ApplyZoom(); });
  connect(prev_, &QPushButton::clicked, this, [this] {
    if (printer_.PageNumber() > 1) ShowPage(printer_.PageNumber() - 1);
  });
  connect(next_, &QPushButton::clicked, this, [this] {
    if (printer_.PageNumber() < printer_.PageCount()) ShowPage(printer_.PageNumber() + 1);
  });
}

TReportWindow::~TReportWindow() = default;

void TReportWindow::BuildMenus(QLayout* layout) {
  auto* menus = new QMenuBar(this);
  QAction* back = menus->addAction(tr("&Return"));
  back->setObjectName(QStringLiteral("Return"));
  connect(back, &QAction::triggered, this, &QDialog::close);

  QMenu* file = menus->addMenu(tr("&File"));
  QAction* pdf = file->addAction(tr("Save as &PDF…"));
  pdf->setObjectName(QStringLiteral("SavePdf"));
  connect(pdf, &QAction::triggered, this, &TReportWindow::SavePdfClick);

  QMenu* print = menus->addMenu(tr("&Print"));
  QAction* print_all = print->addAction(tr("&Print"));
  print_all->setObjectName(QStringLiteral("Print"));
  connect(print_all, &QAction::triggered, this, &TReportWindow::PrintClick);
  QAction* setup = print->addAction(tr("Printer &Setup"));
  setup->setObjectName(QStringLiteral("PrinterSetup"));
  connect(setup, &QAction::triggered, this, &TReportWindow::PrinterSetupClick);
  QAction* page_setup = print->addAction(tr("P&age Setup"));
  page_setup->setObjectName(QStringLiteral("PageSetup"));
  connect(page_setup, &QAction::triggered, this, &TReportWindow::PageSetupClick);

  options_menu_ = menus->addMenu(tr("&Options"));
  options_menu_->setObjectName(QStringLiteral("Options"));
  options_menu_->menuAction()->setVisible(false);

  QAction* help = menus->addAction(tr("&Help"));
  help->setObjectName(QStringLiteral("Help"));
  connect(help, &QAction::triggered, this, [this] {
    if (open_help_) open_help_(3001);
  });
  layout->setMenuBar(menus);
}

void TReportWindow::SetReport(std::unique_ptr<reports::Report> report) {
  report_ = std::move(report);
  laid_out_ = false;
  printer_.ClearContents();
  setWindowTitle(report_ ? FromCore(report_->Caption()) : QString());
  FillOptions();
  RefreshPageLabel();
}

void TReportWindow::FillOptions() {
  options_menu_->clear();
  const bool visible = report_ && report_->options.Visible();
  options_menu_->menuAction()->setVisible(visible);
  if (!visible) return;
  const auto& items = report_->options.Items();
  for (std::size_t i = 0; i < items.size(); ++i) {
    QAction* action = options_menu_->addAction(FromCore(items[i].caption));
    action->setCheckable(true);
    action->setChecked(items[i].checked);
    action->setData(items[i].tag);
    connect(action, &QAction::triggered, this, [this, i] { OptionClicked(static_cast<int>(i)); });
  }
}

void TReportWindow::OptionClicked(int index) {
  report_->options.Click(static_cast<std::size_t>(index));
  const auto& items = report_->options.Items();
  const auto actions = options_menu_->actions();
  for (std::size_t i = 0; i < items.size() && i < static_cast<std::size_t>(actions.size()); ++i) {
    actions[static_cast<int>(i)]->setChecked(items[i].checked);
  }
  printer_.ClearContents();
  GenerateReport();
}

bool TReportWindow::GenerateReport() {
  if (!report_) return false;
  laid_out_ = true;
  const bool done = reports::GenerateReport(*report_, printer_, ui_);
  preview_->setVisible(true);
  if (!first_layout_done_) {
    zoom_list_->setCurrentIndex(kFitToWidth);
    printer_.ZoomToWidth(preview_->Viewport());
    first_layout_done_ = true;
  }
  preview_->Refresh();
  RefreshPageLabel();
  zoom_timer_->start();
  return done;
}

void TReportWindow::ShowPage(int page) {
  printer_.SetPageNumber(page);
  preview_->viewport()->update();
  RefreshPageLabel();
}

void TReportWindow::RefreshPageLabel() {
  page_label_->setText(QStringLiteral("%1 of %2").arg(printer_.PageNumber()).arg(printer_.PageCount()));
}

void TReportWindow::ApplyZoom() {
  const int entry = zoom_list_->currentIndex();
  const QString text = zoom_list_->currentText();
  if (entry == kFitToWidth || text == kZoomEntries[kFitToWidth]) {
    printer_.ZoomToWidth(preview_->Viewport());
  } else if (text == kZoomEntries[kFitToWidth + 1]) {
    printer_.ZoomToHeight(preview_->Viewport());
  } else if (text == kZoomEntries[kFitToWidth + 2]) {
    printer_.ZoomToPage(preview_->Viewport());
  } else {
    QString number = text;
    number.remove(QLatin1Char('%'));
    bool ok = false;
    const int percent = number.trimmed().toInt(&ok);
    if (ok) printer_.SetZoomPercent(percent);
  }
  preview_->Refresh();
  zoom_timer_->start();
}

void TReportWindow::ZoomTimerTick() {
  zoom_list_->setEditText(QStringLiteral("%1%").arg(printer_.ZoomPercent()));
  RefreshPageLabel();
}

void TReportWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!laid_out_) {
    preview_->setVisible(false);
    QTimer::singleShot(0, this, [this] {
      if (!laid_out_) GenerateReport();
    });
  }
}

void TReportWindow::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (first_layout_done_ && zoom_list_->currentIndex() >= 0) ApplyZoom();
}

void TReportWindow::closeEvent(QCloseEvent* event) {
  report_.reset();
  options_menu_->clear();
  options_menu_->menuAction()->setVisible(false);
  QDialog::closeEvent(event);
}

void TReportWindow::PrintClick() {
  if (!qprinter_.isValid()) {
    ui_.ShowError("No printer is available. Use File, Save as PDF to keep the report.");
    return;
  }
  TPPPrnPrgDlg progress(printer_, this);
  qtpage::QtPrintJob job(qprinter_, device_.Geometry(printer_.GetOrientation()));
  try {
    printer_.Print(job, &progress);
  } catch (const std::exception& error) {
    ui_.ShowError(error.what());
  }
}

void TReportWindow::PrinterSetupClick() {
  QPageSetupDialog dialog(&qprinter_, this);
  if (dialog.exec() != QDialog::Accepted) return;
  device_.SetGeometry(qtpage::GeometryOf(qprinter_));
  printer_.ClearContents();
  GenerateReport();
}

void TReportWindow::PageSetupClick() {
  Tmargin dialog(ui_, this);
  MarginValues current{printer_.MarginTop(), printer_.MarginBottom(), printer_.MarginLeft(), printer_.MarginRight()};
  dialog.Show(current);
  if (dialog.exec() != QDialog::Accepted) return;
  const MarginValues chosen = dialog.Values();
  if (chosen != current) ApplyMargins(chosen);
}

void TReportWindow::ApplyMargins(const MarginValues& margins) {
  printer_.SetMarginTop(margins.top);
  printer_.SetMarginBottom(margins.bottom);
  printer_.SetMarginLeft(margins.left);
  printer_.SetMarginRight(margins.right);
  WritePageMargins({printer_.MarginTop(), printer_.MarginBottom(), printer_.MarginLeft(), printer_.MarginRight()});
  printer_.ClearContents();
  GenerateReport();
}

bool TReportWindow::SavePdf(const QString& path) {
  if (qtpage::WritePdf(printer_.Pages(), device_.Geometry(printer_.GetOrientation()), path, windowTitle())) return true;
  ui_.ShowError("Could not write " + ToCore(path));
  return false;
}

void TReportWindow::SavePdfClick() {
  QString proposed = windowTitle().isEmpty() ? QStringLiteral("report.pdf") : windowTitle() + QStringLiteral(".pdf");
  const QString path = QFileDialog::getSaveFileName(this, tr("Save as PDF"), proposed, tr("PDF Files (*.pdf)"));
  if (!path.isEmpty()) SavePdf(path);
}

}  // namespace pellmark::ui
