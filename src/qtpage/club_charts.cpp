#include "qtpage/club_charts.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QGraphicsScene>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QStackedLayout>
#include <algorithm>

#include "club/number_format.h"
#include "club/text_encoding.h"

namespace pellmark::qtpage {
namespace {

// Up to this many points each gets a marker; more would blot the line.
constexpr std::size_t kMarkedPoints = 60;
constexpr int kScreenDpi = 96;

QString FromCore(const std::string& text) { return QString::fromStdString(ToUtf8(text)); }

QFont TitleFont() {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPointSizeF(14);
  font.setBold(true);
  return font;
}

QFont AxisFont(double points, bool bold = false) {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

void StyleAxis(QAbstractAxis& axis, const QString& title) {
  axis.setLabelsFont(AxisFont(9));
  axis.setTitleFont(AxisFont(10, true));
  axis.setTitleText(title);
}

std::unique_ptr<QChart> NewChart(const std::string& title) {
  auto chart = std::make_unique<QChart>();
  chart->setTitle(FromCore(title));
  chart->setTitleFont(TitleFont());
  chart->legend()->hide();
  chart->setAnimationOptions(QChart::NoAnimation);
  return chart;
}

// Dollar labels of the figures' scale at its round steps, with thousands separators.
QCategoryAxis* DollarAxis(double low, double high, const QString& title) {
  const reports::DollarScale scale = reports::ScaleFor(low, high);
  auto* axis = new QCategoryAxis;
  StyleAxis(*axis, title);
  axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  // Each label closes a category a step wide; the first opens below the axis.
  axis->setStartValue(scale.low - scale.step);
  for (std::size_t i = 0; i < scale.labels.size(); ++i) {
    axis->append(FromCore(scale.labels[i]), scale.low + static_cast<double>(i) * scale.step);
  }
  return axis;
}

// Attaching a series may widen an axis to the series' own bounds: the scale's ends again.
void KeepScale(QCategoryAxis& axis) {
  axis.setRange(axis.endValue(axis.categoriesLabels().front()), axis.endValue(axis.categoriesLabels().back()));
}

}  // namespace

qint64 ChartMilliseconds(DayNumber date) {
  const QDate day = QDate(1899, 12, 30).addDays(static_cast<qint64>(date));
  return QDateTime(day, QTime(12, 0)).toMSecsSinceEpoch();
}

std::unique_ptr<QChart> MakeLineChart(const reports::ChartSeries& series) {
  if (!series.note.empty() || series.points.size() < 2) return nullptr;
  std::unique_ptr<QChart> chart = NewChart(series.title);
  auto* line = new QLineSeries;
  double low = series.points.front().value, high = low;
  for (const reports::ChartPoint& point : series.points) {
    line->append(static_cast<qreal>(ChartMilliseconds(point.date)), point.value);
    low = std::min(low, point.value);
    high = std::max(high, point.value);
  }
  QPen pen(QColor(0x1f, 0x5f, 0x9f));
  pen.setWidthF(2.0);
  line->setPen(pen);
  line->setPointsVisible(series.points.size() <= kMarkedPoints);
  chart->addSeries(line);

  auto* dates = new QDateTimeAxis;
  StyleAxis(*dates, QStringLiteral("Valuation date"));
  dates->setFormat(QStringLiteral("MM/dd/yyyy"));
  dates->setTickCount(static_cast<int>(std::min<std::size_t>(series.points.size(), 7)));
  chart->addAxis(dates, Qt::AlignBottom);
  line->attachAxis(dates);
  // A fiftieth of the span beyond each end, so the end markers are drawn whole.
  const qint64 first = ChartMilliseconds(series.points.front().date);
  const qint64 last = ChartMilliseconds(series.points.back().date);
  const qint64 margin = (last - first) / 50;
  dates->setRange(QDateTime::fromMSecsSinceEpoch(first - margin), QDateTime::fromMSecsSinceEpoch(last + margin));

  QCategoryAxis* values = DollarAxis(low, high, QStringLiteral("Value"));
  chart->addAxis(values, Qt::AlignLeft);
  line->attachAxis(values);
  KeepScale(*values);
  return chart;
}

std::unique_ptr<QChart> MakeHoldingsChart(const reports::HoldingsChart& holdings) {
  if (!holdings.note.empty() || holdings.slices.empty()) return nullptr;
  const QString count = holdings.slices.size() == 1 ? QStringLiteral("1 security")
                                                    : QStringLiteral("%1 securities").arg(holdings.slices.size());
  std::unique_ptr<QChart> chart =
      NewChart(holdings.title + ": " + FormatMoney(holdings.total) + " in " + count.toStdString());
  auto* set = new QBarSet(QStringLiteral("Value"));
  set->setColor(QColor(0x3a, 0x7d, 0x44));
  QStringList names;
  double low = 0, high = 0;
  // The bars rise from the bottom category: the largest, listed first, goes last.
  for (auto slice = holdings.slices.rbegin(); slice != holdings.slices.rend(); ++slice) {
    *set << slice->value;
    names << FromCore(slice->name + "  " + FormatMoney(slice->value));
    low = std::min(low, slice->value);
    high = std::max(high, slice->value);
  }
  auto* bars = new QHorizontalBarSeries;
  bars->append(set);
  bars->setBarWidth(0.6);
  chart->addSeries(bars);

  auto* categories = new QBarCategoryAxis;
  categories->append(names);
  StyleAxis(*categories, QString());
  chart->addAxis(categories, Qt::AlignLeft);
  bars->attachAxis(categories);

  QCategoryAxis* values = DollarAxis(low, high, QStringLiteral("Value at the current price"));
  chart->addAxis(values, Qt::AlignBottom);
  bars->attachAxis(values);
  KeepScale(*values);
  return chart;
}

// ---- ClubChartView ----

ClubChartView::ClubChartView(QWidget* parent) : QWidget(parent) {
  stack_ = new QStackedLayout(this);
  view_ = new QChartView(this);
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setObjectName(QStringLiteral("chartview"));
  note_ = new QLabel(this);
  note_->setObjectName(QStringLiteral("chartnote"));
  note_->setAlignment(Qt::AlignCenter);
  note_->setWordWrap(true);
  note_->setTextFormat(Qt::RichText);
  note_->setMargin(24);
  stack_->addWidget(view_);
  stack_->addWidget(note_);
  setMinimumSize(320, 220);
}

ClubChartView::~ClubChartView() = default;

void ClubChartView::ShowSeries(const reports::ChartSeries& series) {
  Show(MakeLineChart(series), series.title, series.note);
}

void ClubChartView::ShowHoldings(const reports::HoldingsChart& holdings) {
  Show(MakeHoldingsChart(holdings), holdings.title, holdings.note);
}

void ClubChartView::Show(std::unique_ptr<QChart> chart, const std::string& title, const std::string& note) {
  // The view hands back the chart it held without deleting it.
  QChart* old = view_->chart();
  if (chart) {
    view_->setChart(chart.release());
    stack_->setCurrentWidget(view_);
    note_->clear();
  } else {
    view_->setChart(new QChart);
    note_->setText(QStringLiteral("<p style='font-size:14pt'><b>%1</b></p><p style='font-size:11pt'>%2</p>")
                       .arg(FromCore(title).toHtmlEscaped(), FromCore(note).toHtmlEscaped()));
    note_->setProperty("note", FromCore(note));
    stack_->setCurrentWidget(note_);
  }
  delete old;
}

QChart* ClubChartView::Chart() const { return stack_->currentWidget() == view_ ? view_->chart() : nullptr; }

QString ClubChartView::Note() const {
  return stack_->currentWidget() == note_ ? note_->property("note").toString() : QString();
}

// ---- painting on pages ----

void PaintChart(QPainter& painter, const QRectF& area, int dpi, QChart& chart) {
  const QSizeF layout(area.width() * kScreenDpi / dpi, area.height() * kScreenDpi / dpi);
  QGraphicsScene scene;
  scene.addItem(&chart);
  chart.setGeometry(QRectF(QPointF(0, 0), layout));
  scene.setSceneRect(QRectF(QPointF(0, 0), layout));
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  scene.render(&painter, area, scene.sceneRect());
  painter.restore();
  // The scene would delete the chart with itself; its owner does that.
  scene.removeItem(&chart);
}

void PaintNote(QPainter& painter, const QRectF& area, int dpi, const QString& title, const QString& note) {
  painter.save();
  painter.setFont(TitleFont());
  const QRectF title_area(area.left(), area.top() + area.height() * 0.3, area.width(), area.height() * 0.1);
  painter.drawText(title_area, Qt::AlignHCenter | Qt::AlignBottom, title);
  painter.setFont(AxisFont(12));
  const QRectF note_area(area.left() + area.width() * 0.1, title_area.bottom() + dpi * 0.2, area.width() * 0.8,
                         area.height() * 0.4);
  painter.drawText(note_area, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, note);
  painter.restore();
}

}  // namespace pellmark::qtpage
