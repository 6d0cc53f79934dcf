// The unit value chart of 240 monthly official valuations (20 years) drawn
// with Qt Charts to a one-page PDF, the median of `runs`; goal: at most
// 100 ms. Its peer draws the same points as one polyline under a title
// through QPainter on a QPdfWriter directly, for the cost of the chart's own
// layout beside the PDF writing both share.
#pragma once

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "club/dates.h"
#include "qtpage/chart_pdf.h"
#include "reports/chart_series.h"

namespace pellmark::bench {

inline double ChartMedianSeconds(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

inline void UnitValueChartBench(int runs) {
  std::vector<TUnitValueRec> units;
  for (int month = 0; month < 240; ++month) {
    TUnitValueRec unit;
    unit.unitid = month + 1;
    unit.date = DayNumberFromCivil({2007 + month / 12, month % 12 + 1, 28});
    unit.unitval = std::round((10 + month * 0.05 + 2 * std::sin(month / 7.0)) * 10000) / 10000;
    units.push_back(unit);
  }
  const reports::ChartSeries series = reports::UnitValueSeries(reports::OfficialUnitValues(units));
  QTemporaryDir dir;
  const std::string ours = dir.filePath(QStringLiteral("chart.pdf")).toStdString();
  const double chart = ChartMedianSeconds(runs, [&] {
    if (!qtpage::WriteChartsPdf(ours, "Bench Investors", units.back().date, {series})) std::abort();
  });
  const QString peer_file = dir.filePath(QStringLiteral("peer.pdf"));
  const double peer = ChartMedianSeconds(runs, [&] {
    QPdfWriter writer(peer_file);
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Landscape, QMarginsF(0.5, 0.5, 0.5, 0.5),
                                     QPageLayout::Inch));
    QPainter painter(&writer);
    painter.drawText(QRectF(0, 0, writer.width(), 100), Qt::AlignCenter, QString::fromStdString(series.title));
    QPainterPath path;
    const double first = series.points.front().date, last = series.points.back().date;
    for (std::size_t i = 0; i < series.points.size(); ++i) {
      const QPointF at(writer.width() * (series.points[i].date - first) / (last - first),
                       writer.height() - 100 - series.points[i].value * 50);
      i == 0 ? path.moveTo(at) : path.lineTo(at);
    }
    painter.drawPath(path);
  });
  std::printf("unit value chart, %zu valuations, to PDF %8.1f ms (goal <= 100)   one polyline to PDF %8.1f ms   "
              "ratio %.2f\n",
              series.points.size(), chart * 1e3, peer * 1e3, chart / peer);
}

}  // namespace pellmark::bench
