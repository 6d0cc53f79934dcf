// The club's charts drawn with Qt Charts from the figures of
// reports/chart_series.h: a line over time with dates along the bottom and
// dollars up the side, and the holdings as bars. Figures that cannot make a
// chart (a line of one point or none, no holdings) show their note instead.
//
//   ClubChartView view;
//   view.ShowSeries(charts.unit_value);   // the chart, or the note in words
//   view.Chart()                          // nullptr while the note shows
#pragma once

#include <QChart>
#include <QWidget>
#include <memory>

#include "reports/chart_series.h"

class QChartView;
class QLabel;
class QPainter;
class QStackedLayout;

namespace pellmark::qtpage {

// A line chart of the series: one point per figure, the date axis from the
// first date to the last, the value axis round dollars around the figures.
// Nothing when the series has a note.
std::unique_ptr<QChart> MakeLineChart(const reports::ChartSeries& series);
// Bars of the holdings, the largest on top, each named with its value.
// Nothing when the chart has a note.
std::unique_ptr<QChart> MakeHoldingsChart(const reports::HoldingsChart& holdings);

// A chart's date as the date axis takes it: noon of that day, local time.
qint64 ChartMilliseconds(DayNumber date);

class ClubChartView : public QWidget {
  Q_OBJECT

 public:
  explicit ClubChartView(QWidget* parent = nullptr);
  ~ClubChartView() override;

  void ShowSeries(const reports::ChartSeries& series);
  void ShowHoldings(const reports::HoldingsChart& holdings);

  // The chart shown; nullptr while a note stands in its place.
  QChart* Chart() const;
  // The note shown in place of a chart; empty while a chart shows.
  QString Note() const;

 private:
  void Show(std::unique_ptr<QChart> chart, const std::string& title, const std::string& note);

  QStackedLayout* stack_ = nullptr;
  QChartView* view_ = nullptr;
  QLabel* note_ = nullptr;
};

// Paints the chart into `area`: laid out at the area's size in screen pixels
// (96 to the inch, for the painter's `dpi`) and scaled to fill it.
void PaintChart(QPainter& painter, const QRectF& area, int dpi, QChart& chart);
// Paints the title and, under it, the note that stands in for a chart.
void PaintNote(QPainter& painter, const QRectF& area, int dpi, const QString& title, const QString& note);

}  // namespace pellmark::qtpage
