// The club summary panel of the main window: total assets, total units, the
// actual unit value and the purchase unit value, always in view.
#pragma once

#include <QGroupBox>

#include "valuation/club_summary.h"

class QLabel;

namespace pellmark::ui {

class SummaryPanel : public QGroupBox {
  Q_OBJECT

 public:
  explicit SummaryPanel(QWidget* parent = nullptr);

  void Show(const valuation::ClubSummary& summary);
  void Clear();

 private:
  QLabel* total_assets_;
  QLabel* total_units_;
  QLabel* actual_unit_;
  QLabel* purchase_unit_;
};

}  // namespace pellmark::ui
