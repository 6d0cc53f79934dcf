// The Reports page's "Charts" sheet: the unit value at every official
// valuation, the value of the member chosen in `chartmember`, and the club's
// holdings by value. The figures are read again each time the sheet is shown,
// so a valuation made on the Reports sheet appears at once.
#pragma once

#include <QWidget>

#include "books/books.h"
#include "reports/chart_series.h"

class QComboBox;

namespace pellmark::qtpage {
class ClubChartView;
}

namespace pellmark::ui {

class ChartsSheet : public QWidget {
  Q_OBJECT

 public:
  explicit ChartsSheet(Books& books, QWidget* parent = nullptr);

  // Reads the club's figures and draws the three charts; the member chosen stays chosen.
  void Refresh();
  const reports::ClubCharts& Figures() const { return charts_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowMember(int index);

  Books& books_;
  reports::ClubCharts charts_;
  qtpage::ClubChartView* unit_value_ = nullptr;
  QComboBox* member_ = nullptr;
  qtpage::ClubChartView* member_value_ = nullptr;
  qtpage::ClubChartView* holdings_ = nullptr;
};

}  // namespace pellmark::ui
