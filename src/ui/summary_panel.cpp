#include "ui/summary_panel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "club/number_format.h"
#include "ui/qt_interaction.h"

namespace pellmark::ui {

SummaryPanel::SummaryPanel(QWidget* parent) : QGroupBox(tr("Summary"), parent) {
  setObjectName(QStringLiteral("summary"));
  auto* layout = new QHBoxLayout(this);
  layout->setSpacing(24);
  auto add_value = [&](const QString& caption, const QString& name) {
    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    auto* title = new QLabel(caption, this);
    title->setObjectName(name + QStringLiteral("label"));
    auto* value = new QLabel(this);
    value->setObjectName(name);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont large = value->font();
    large.setPointSizeF(large.pointSizeF() * 1.3);
    large.setBold(true);
    value->setFont(large);
    column->addWidget(title);
    column->addWidget(value);
    layout->addLayout(column);
    return value;
  };
  total_assets_ = add_value(tr("Total Assets"), QStringLiteral("totalassets"));
  total_units_ = add_value(tr("Total Units"), QStringLiteral("totalunits"));
  actual_unit_ = add_value(tr("Actual Unit"), QStringLiteral("actualunit"));
  purchase_unit_ = add_value(tr("Purchase Unit"), QStringLiteral("purchaseunit"));
  layout->addStretch(1);
  Clear();
}

void SummaryPanel::Show(const valuation::ClubSummary& summary) {
  total_assets_->setText(FromCore(FormatMoney(summary.assets)));
  total_units_->setText(FromCore(FormatUnits(summary.units)));
  actual_unit_->setText(FromCore(FormatMoney(summary.actual_unit)));
  purchase_unit_->setText(FromCore(FormatMoney(summary.purchase_unit)));
}

void SummaryPanel::Clear() {
  for (QLabel* value : {total_assets_, total_units_, actual_unit_, purchase_unit_}) value->setText(QString());
}

}  // namespace pellmark::ui
