#include "qtpage/chart_pdf.h"

#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "club/text_encoding.h"
#include "qtpage/club_charts.h"
#include "qtpage/qt_page_device.h"

namespace pellmark::qtpage {
namespace {

constexpr int kPdfDpi = 300;

QString FromCore(const std::string& text) { return QString::fromStdString(ToUtf8(text)); }

// The chart, or its note, of one page.
void PaintPage(QPainter& painter, const QRectF& area, const ChartPage& page) {
  std::unique_ptr<QChart> chart;
  std::string title, note;
  if (const auto* series = std::get_if<reports::ChartSeries>(&page)) {
    chart = MakeLineChart(*series);
    title = series->title;
    note = series->note;
  } else {
    const auto& holdings = std::get<reports::HoldingsChart>(page);
    chart = MakeHoldingsChart(holdings);
    title = holdings.title;
    note = holdings.note;
  }
  if (chart) {
    PaintChart(painter, area, kPdfDpi, *chart);
  } else {
    PaintNote(painter, area, kPdfDpi, FromCore(title), FromCore(note));
  }
}

}  // namespace

bool WriteChartsPdf(const std::filesystem::path& file, const std::string& club_name, DayNumber date,
                    const std::vector<ChartPage>& pages) {
  return WithGuiApplication([&] {
    QPdfWriter writer(QString::fromStdString(file.string()));
    writer.setResolution(kPdfDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Landscape,
                                     QMarginsF(0.5, 0.5, 0.5, 0.5), QPageLayout::Inch));
    writer.setTitle(FromCore(club_name) + QStringLiteral(" Charts"));
    writer.setCreator(QStringLiteral("Pellmark"));
    QPainter painter;
    if (!painter.begin(&writer)) return false;
    const QRectF page_area(QPointF(0, 0), QSizeF(writer.width(), writer.height()));
    QFont heading(QStringLiteral("Liberation Sans"));
    heading.setPointSizeF(12);
    heading.setBold(true);
    const qreal heading_height = kPdfDpi * 0.35;
    for (std::size_t i = 0; i < pages.size(); ++i) {
      if (i > 0) writer.newPage();
      painter.setFont(heading);
      painter.setPen(Qt::black);
      const QRectF heading_area(page_area.left(), page_area.top(), page_area.width(), heading_height);
      painter.drawText(heading_area, Qt::AlignLeft | Qt::AlignVCenter, FromCore(club_name));
      painter.drawText(heading_area, Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(FormatDate(date)));
      PaintPage(painter, page_area.adjusted(0, heading_height, 0, 0), pages[i]);
    }
    return painter.end();
  });
}

}  // namespace pellmark::qtpage
