#include "qtpage/page_preview.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "qtpage/qt_page_device.h"

namespace pellmark::qtpage {

PagePreview::PagePreview(reports::TPagePrinter& printer, QWidget* parent) : QAbstractScrollArea(parent), printer_(printer) {
  setObjectName(QStringLiteral("lineprinter1"));
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

reports::PreviewViewport PagePreview::Viewport() const {
  reports::PreviewViewport v;
  v.client_width = width() - 2 * frameWidth();
  v.client_height = height() - 2 * frameWidth();
  v.vscroll_width = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  v.hscroll_height = v.vscroll_width;
  v.screen_dpi_x = logicalDpiX();
  v.screen_dpi_y = logicalDpiY();
  return v;
}

void PagePreview::UpdateScrollRanges() {
  int extra = 2 * printer_.ShadowOffset() + 2;
  int width = printer_.SheetWidth(logicalDpiX()) + extra;
  int height = printer_.SheetHeight(logicalDpiY()) + extra;
  horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
  verticalScrollBar()->setRange(0, std::max(0, height - viewport()->height()));
  horizontalScrollBar()->setPageStep(viewport()->width());
  verticalScrollBar()->setPageStep(viewport()->height());
}

void PagePreview::Refresh() {
  UpdateScrollRanges();
  QScrollBar* h = horizontalScrollBar();
  QScrollBar* v = verticalScrollBar();
  switch (printer_.ZoomLocation()) {
    case reports::TZoomLocation::zlTopLeft:
      h->setValue(0);
      v->setValue(0);
      break;
    case reports::TZoomLocation::zlTopCenter:
      h->setValue(h->maximum() / 2);
      v->setValue(0);
      break;
    case reports::TZoomLocation::zlCenter:
      h->setValue(h->maximum() / 2);
      v->setValue(v->maximum() / 2);
      break;
  }
  viewport()->update();
}

void PagePreview::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollRanges();
}

void PagePreview::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  const QRect client = viewport()->rect();
  const QColor control = palette().color(QPalette::Window);
  if (printer_.GradientBackground()) {
    QLinearGradient gradient(0, 0, 0, client.height());
    gradient.setColorAt(0, Qt::black);
    gradient.setColorAt(1, control);
    painter.fillRect(client, gradient);
  } else {
    painter.fillRect(client, control);
  }

  const reports::PrinterGeometry g = printer_.Geometry();
  const int sheet_w = printer_.SheetWidth(logicalDpiX());
  const int sheet_h = printer_.SheetHeight(logicalDpiY());
  const int shadow = printer_.ShadowOffset();
  const int extra = shadow + 1;
  // Centred while it fits, else scrolled.
  int left = sheet_w + 2 * extra <= client.width() ? (client.width() - sheet_w) / 2 : extra - horizontalScrollBar()->value();
  int top = sheet_h + 2 * extra <= client.height() ? (client.height() - sheet_h) / 2 : extra - verticalScrollBar()->value();
  const QRect sheet(left, top, sheet_w, sheet_h);
  if (shadow != 0) {
    const reports::Rgb c = printer_.ShadowColor();
    const QColor shadow_color((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
    painter.fillRect(QRect(sheet.right() + 1, sheet.top() + shadow, shadow, sheet_h), shadow_color);
    painter.fillRect(QRect(sheet.left() + shadow, sheet.bottom() + 1, sheet_w, shadow), shadow_color);
  }
  painter.fillRect(sheet, Qt::white);
  painter.setPen(Qt::black);
  painter.drawRect(sheet.adjusted(0, 0, -1, -1));

  const double scale_x = static_cast<double>(sheet_w) / std::max(g.paper_width, 1);
  const double scale_y = static_cast<double>(sheet_h) / std::max(g.paper_height, 1);
  const int page = printer_.PageNumber();
  if (page >= 1 && page <= printer_.PageCount()) {
    painter.save();
    painter.setClipRect(sheet.adjusted(1, 1, -1, -1));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(sheet.left() + 1 + g.offset_x * scale_x, sheet.top() + 1 + g.offset_y * scale_y);
    painter.scale(scale_x, scale_y);
    QtPageCanvas canvas(painter, g.dpi_y);
    reports::Replay(printer_.Pages(), printer_.Pages().pages[static_cast<std::size_t>(page - 1)], canvas);
    painter.restore();
  }
  if (printer_.ShowMargins()) {
    QPen pen(QColor(0xC0, 0xC0, 0xC0));
    pen.setStyle(Qt::DotLine);
    painter.setPen(pen);
    const double inch_x = g.dpi_x * scale_x, inch_y = g.dpi_y * scale_y;
    const double mm = printer_.MeasureUnit() == reports::TMeasureUnit::muMillimeters ? 25.4 : 1;
    QRectF margins(sheet.left() + printer_.MarginLeft() / mm * inch_x, sheet.top() + printer_.MarginTop() / mm * inch_y,
                   sheet_w - (printer_.MarginLeft() + printer_.MarginRight()) / mm * inch_x,
                   sheet_h - (printer_.MarginTop() + printer_.MarginBottom()) / mm * inch_y);
    painter.drawRect(margins);
  }
}

}  // namespace pellmark::qtpage
