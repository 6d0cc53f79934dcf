// The page printer's Qt side: text measured with QFontMetricsF at the printer's
// resolution, recorded pages replayed through QPainter onto the preview, a
// printer or a PDF file.
//
// The reports name "Arial" and "Courier New"; they are drawn with the
// metric-compatible Liberation families, so page breaks and column widths are
// the same on every machine.
//
//   QtPageDevice device(DefaultPrinterGeometry());
//   TPagePrinter printer(device, clock);   ... lay out ...
//   WritePdf(printer.Pages(), device.Geometry(printer.GetOrientation()), "out.pdf", "Valuation Statement");
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "reports/page_device.h"
#include "reports/page_printer.h"
#include "reports/recorded_page.h"

class QPainter;
class QPrinter;

namespace pellmark::qtpage {

// The installed family that stands for a report's font name: "Arial" is
// "Liberation Sans", "Courier New" "Liberation Mono"; other names are kept.
QString ReportFontFamily(const std::string& name);

// A report font whose size is `points` on a device of `dpi` when painted on a
// device of `device_dpi` (the preview's screen, a printer of another resolution).
QFont ReportQFont(const reports::Font& font, double dpi, double device_dpi);

// The printer's geometry when it is usable, else the fallback of a letter page at 300 dpi.
reports::PrinterGeometry GeometryOf(const QPrinter& printer);
// The system's default printer, or the fallback when there is none.
reports::PrinterGeometry DefaultPrinterGeometry();

// Runs `work` with an application for the fonts and the charts' graphics
// items: the one running, else one made for the call on the offscreen
// platform (unless QT_QPA_PLATFORM names another), as the command line needs.
// Returns what `work` returned.
bool WithGuiApplication(const std::function<bool()>& work);

class QtPageDevice : public reports::PageDevice {
 public:
  explicit QtPageDevice(reports::PrinterGeometry portrait);
  ~QtPageDevice() override;
  void SetGeometry(reports::PrinterGeometry portrait) { geometry_ = portrait; }
  reports::PrinterGeometry Geometry(reports::Orientation orientation) const override;
  int TextWidth(const reports::Font& font, std::string_view text) override;
  int TextHeight(const reports::Font& font) override;
  int ExternalLeading(const reports::Font& font) override;

 private:
  const QFontMetricsF& Metrics(const reports::Font& font);
  reports::PrinterGeometry geometry_;
  QImage measure_;  // a device at the printer's resolution, for the metrics
  reports::Font last_font_;
  const QFontMetricsF* last_metrics_ = nullptr;
  std::map<std::pair<std::string, std::pair<double, bool>>, std::unique_ptr<QFontMetricsF>> metrics_;
};

// Replays onto a painter whose coordinates are the printer's pixels from the
// corner of its printable area (translate and scale before replaying).
class QtPageCanvas : public reports::PageCanvas {
 public:
  QtPageCanvas(QPainter& painter, int printer_dpi);
  void DrawText(const reports::Font& font, reports::Rgb color, int x, int y, const std::string& text) override;
  void DrawLine(const reports::LineOp& line) override;

 private:
  QPainter& painter_;
  int printer_dpi_;
  // The painter's font and text colour, set again only when they change.
  reports::Font font_;
  bool font_set_ = false;
  qreal ascent_ = 0;
  reports::Rgb color_ = reports::kBlack;
  bool color_set_ = false;
};

// Every recorded page into a PDF of the printer's paper size; false when the
// file cannot be written.
bool WritePdf(const reports::PageList& pages, const reports::PrinterGeometry& geometry, const QString& path,
              const QString& title);
// The same PDF as bytes, for a file the books save in a unit of work; nothing
// when it cannot be made.
std::optional<std::string> PdfBytes(const reports::PageList& pages, const reports::PrinterGeometry& geometry,
                                    const QString& title);

// Print's printer side over a QPrinter.
class QtPrintJob : public reports::PrintJob {
 public:
  QtPrintJob(QPrinter& printer, reports::PrinterGeometry geometry);
  ~QtPrintJob() override;
  int CopyCount() const override;
  void SetCopyCount(int copies) override;
  void BeginDocument(const std::string& title) override;
  void PrintPage(const reports::PageList& pages, const reports::RecordedPage& page) override;
  void NewPhysicalPage() override;
  void EndDocument() override;
  void AbortDocument() override;
  bool Printing() const override;

 private:
  QPrinter& printer_;
  reports::PrinterGeometry geometry_;
  std::unique_ptr<QPainter> painter_;
};

}  // namespace pellmark::qtpage
