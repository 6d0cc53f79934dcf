#include "qtpage/qt_page_device.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>
#include <cmath>

#include <QApplication>
#include <optional>

#include "club/text_encoding.h"

namespace pellmark::qtpage {

namespace {

constexpr double kMetersPerInch = 0.0254;

// Windows-1252 as a QString; plain ASCII, the common case, without a detour.
QString FromCore(std::string_view text) {
  if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  }
  return QString::fromStdString(ToUtf8(text));
}

QColor ToQColor(reports::Rgb rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

}  // namespace

QString ReportFontFamily(const std::string& name) {
  if (name == "Arial") return QStringLiteral("Liberation Sans");
  if (name == "Courier New") return QStringLiteral("Liberation Mono");
  return QString::fromStdString(name);
}

QFont ReportQFont(const reports::Font& font, double dpi, double device_dpi) {
  QFont qfont(ReportFontFamily(font.family));
  qfont.setPointSizeF(font.points * dpi / (device_dpi > 0 ? device_dpi : dpi));
  qfont.setBold(font.bold);
  // Outlines at their design widths, so that the screen and the printer agree.
  qfont.setHintingPreference(QFont::PreferNoHinting);
  return qfont;
}

reports::PrinterGeometry GeometryOf(const QPrinter& printer) {
  if (!printer.isValid() || printer.resolution() <= 0) return reports::FallbackGeometry(reports::Orientation::kPortrait);
  reports::PrinterGeometry g;
  g.has_printer = true;
  g.dpi_x = g.dpi_y = printer.resolution();
  QRectF paper = printer.paperRect(QPrinter::DevicePixel);
  QRectF page = printer.pageRect(QPrinter::DevicePixel);
  g.offset_x = static_cast<int>(std::lround(page.left() - paper.left()));
  g.offset_y = static_cast<int>(std::lround(page.top() - paper.top()));
  g.paper_width = static_cast<int>(std::lround(paper.width()));
  g.paper_height = static_cast<int>(std::lround(paper.height()));
  return g;
}

reports::PrinterGeometry DefaultPrinterGeometry() {
  QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) return reports::FallbackGeometry(reports::Orientation::kPortrait);
  QPrinter printer(info, QPrinter::HighResolution);
  return GeometryOf(printer);
}

bool WithGuiApplication(const std::function<bool()>& work) {
  if (QCoreApplication::instance() != nullptr) return work();
  if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "pellmark-cli";
  static char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  return work();
}

// ---- QtPageDevice ----

QtPageDevice::QtPageDevice(reports::PrinterGeometry portrait) : geometry_(portrait) {}
QtPageDevice::~QtPageDevice() = default;

reports::PrinterGeometry QtPageDevice::Geometry(reports::Orientation orientation) const {
  reports::PrinterGeometry g = geometry_;
  if (orientation == reports::Orientation::kLandscape) {
    std::swap(g.dpi_x, g.dpi_y);
    std::swap(g.offset_x, g.offset_y);
    std::swap(g.paper_width, g.paper_height);
  }
  return g;
}

const QFontMetricsF& QtPageDevice::Metrics(const reports::Font& font) {
  int dpi = geometry_.dpi_y > 0 ? geometry_.dpi_y : 300;
  if (measure_.isNull() || measure_.logicalDpiY() != dpi) {
    measure_ = QImage(1, 1, QImage::Format_RGB32);
    measure_.setDotsPerMeterX(static_cast<int>(std::lround(dpi / kMetersPerInch)));
    measure_.setDotsPerMeterY(static_cast<int>(std::lround(dpi / kMetersPerInch)));
    metrics_.clear();
    last_metrics_ = nullptr;
  }
  if (last_metrics_ != nullptr && last_font_ == font) return *last_metrics_;
  auto key = std::make_pair(font.family, std::make_pair(font.points, font.bold));
  auto found = metrics_.find(key);
  if (found == metrics_.end()) {
    found = metrics_.emplace(key, std::make_unique<QFontMetricsF>(ReportQFont(font, dpi, dpi), &measure_)).first;
  }
  last_font_ = font;
  last_metrics_ = found->second.get();
  return *last_metrics_;
}

int QtPageDevice::TextWidth(const reports::Font& font, std::string_view text) {
  return static_cast<int>(std::lround(Metrics(font).horizontalAdvance(FromCore(text))));
}

int QtPageDevice::TextHeight(const reports::Font& font) {
  return static_cast<int>(std::lround(Metrics(font).height()));
}

int QtPageDevice::ExternalLeading(const reports::Font& font) {
  return std::max(0, static_cast<int>(std::lround(Metrics(font).leading())));
}

// ---- QtPageCanvas ----

QtPageCanvas::QtPageCanvas(QPainter& painter, int printer_dpi) : painter_(painter), printer_dpi_(printer_dpi) {}

void QtPageCanvas::DrawText(const reports::Font& font, reports::Rgb color, int x, int y, const std::string& text) {
  if (!font_set_ || !(font == font_)) {
    QFont qfont = ReportQFont(font, printer_dpi_, painter_.device()->logicalDpiY());
    painter_.setFont(qfont);
    ascent_ = QFontMetricsF(qfont, painter_.device()).ascent();
    font_ = font;
    font_set_ = true;
  }
  if (!color_set_ || color != color_) {
    painter_.setPen(ToQColor(color));
    color_ = color;
    color_set_ = true;
  }
  painter_.drawText(QPointF(x, y + ascent_), FromCore(text));
}

void QtPageCanvas::DrawLine(const reports::LineOp& line) {
  QPen pen(ToQColor(line.color));
  pen.setWidth(line.width);
  pen.setStyle(line.style == reports::PenStyle::kDotted ? Qt::DotLine : Qt::SolidLine);
  pen.setCapStyle(Qt::FlatCap);
  painter_.setPen(pen);
  color_set_ = false;  // the text's colour goes with the pen
  painter_.drawLine(QLineF(line.x1, line.y1, line.x2, line.y2));
}

// ---- PDF ----

namespace {

bool DrawPdf(QPdfWriter& writer, const reports::PageList& pages, const reports::PrinterGeometry& geometry,
             const QString& title) {
  writer.setResolution(geometry.dpi_y);
  writer.setPageSize(QPageSize(QSizeF(static_cast<double>(geometry.paper_width) / geometry.dpi_x,
                                      static_cast<double>(geometry.paper_height) / geometry.dpi_y),
                               QPageSize::Inch));
  writer.setPageMargins(QMarginsF(0, 0, 0, 0));
  writer.setTitle(title);
  writer.setCreator(QStringLiteral("Pellmark"));
  QPainter painter;
  if (!painter.begin(&writer)) return false;
  QtPageCanvas canvas(painter, geometry.dpi_y);
  for (std::size_t i = 0; i < pages.pages.size(); ++i) {
    if (i > 0) writer.newPage();
    painter.save();
    painter.translate(geometry.offset_x, geometry.offset_y);
    reports::Replay(pages, pages.pages[i], canvas);
    painter.restore();
  }
  return painter.end();
}

}  // namespace

bool WritePdf(const reports::PageList& pages, const reports::PrinterGeometry& geometry, const QString& path,
              const QString& title) {
  QPdfWriter writer(path);
  return DrawPdf(writer, pages, geometry, title);
}

std::optional<std::string> PdfBytes(const reports::PageList& pages, const reports::PrinterGeometry& geometry,
                                    const QString& title) {
  QBuffer buffer;
  if (!buffer.open(QIODevice::WriteOnly)) return std::nullopt;
  bool drawn = false;
  {
    // The writer finishes the file when it goes.
    QPdfWriter writer(&buffer);
    drawn = DrawPdf(writer, pages, geometry, title);
  }
  if (!drawn) return std::nullopt;
  return buffer.data().toStdString();
}

// ---- QtPrintJob ----

QtPrintJob::QtPrintJob(QPrinter& printer, reports::PrinterGeometry geometry) : printer_(printer), geometry_(geometry) {
  // The painter's origin is then the corner of the printable area, as the pages were recorded.
  printer_.setFullPage(false);
}

QtPrintJob::~QtPrintJob() = default;

int QtPrintJob::CopyCount() const { return printer_.copyCount(); }
void QtPrintJob::SetCopyCount(int copies) { printer_.setCopyCount(copies); }

void QtPrintJob::BeginDocument(const std::string& title) {
  printer_.setDocName(FromCore(title));
  painter_ = std::make_unique<QPainter>();
  if (!painter_->begin(&printer_)) {
    painter_.reset();
    throw std::runtime_error("The printer could not start the document.");
  }
}

void QtPrintJob::PrintPage(const reports::PageList& pages, const reports::RecordedPage& page) {
  QtPageCanvas canvas(*painter_, geometry_.dpi_y);
  painter_->save();
  // A printer of another resolution than the layout's is scaled to it.
  double scale = static_cast<double>(printer_.resolution()) / geometry_.dpi_y;
  painter_->scale(scale, scale);
  reports::Replay(pages, page, canvas);
  painter_->restore();
}

void QtPrintJob::NewPhysicalPage() { printer_.newPage(); }

void QtPrintJob::EndDocument() {
  if (painter_) painter_->end();
  painter_.reset();
}

void QtPrintJob::AbortDocument() {
  printer_.abort();
  if (painter_) painter_->end();
  painter_.reset();
}

bool QtPrintJob::Printing() const { return painter_ && painter_->isActive(); }

}  // namespace pellmark::qtpage
