#include "ui/charts_sheet.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "club/text_encoding.h"
#include "qtpage/club_charts.h"

namespace pellmark::ui {
namespace {

qtpage::ClubChartView* NewView(const QString& name, QWidget* parent) {
  auto* view = new qtpage::ClubChartView(parent);
  view->setObjectName(name);
  return view;
}

}  // namespace

ChartsSheet::ChartsSheet(Books& books, QWidget* parent) : QWidget(parent), books_(books) {
  setObjectName(QStringLiteral("chartsarea"));
  unit_value_ = NewView(QStringLiteral("unitvaluechart"), this);
  member_value_ = NewView(QStringLiteral("memberchart"), this);
  holdings_ = NewView(QStringLiteral("holdingschart"), this);
  member_ = new QComboBox(this);
  member_->setObjectName(QStringLiteral("chartmember"));
  member_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  auto* member_caption = new QLabel(tr("&Member:"), this);
  member_caption->setBuddy(member_);

  auto* chooser = new QHBoxLayout;
  chooser->addWidget(member_caption);
  chooser->addWidget(member_);
  chooser->addStretch(1);
  auto* member_column = new QVBoxLayout;
  member_column->addLayout(chooser);
  member_column->addWidget(member_value_, 1);

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(unit_value_, 0, 0);
  layout->addLayout(member_column, 0, 1);
  layout->addWidget(holdings_, 1, 0, 1, 2);
  layout->setRowStretch(0, 1);
  layout->setRowStretch(1, 1);
  layout->setColumnStretch(0, 1);
  layout->setColumnStretch(1, 1);
  connect(member_, &QComboBox::currentIndexChanged, this, &ChartsSheet::ShowMember);
}

void ChartsSheet::showEvent(QShowEvent* event) {
  Refresh();
  QWidget::showEvent(event);
}

void ChartsSheet::Refresh() {
  charts_ = reports::ReadClubCharts(books_.Club());
  unit_value_->ShowSeries(charts_.unit_value);
  holdings_->ShowHoldings(charts_.holdings);
  const QString chosen = member_->currentData().toString();
  {
    const QSignalBlocker quiet(member_);
    member_->clear();
    for (std::size_t i = 0; i < charts_.members.size(); ++i) {
      const reports::MemberSeries& member = charts_.members[i];
      const QString listing = QString::fromStdString(ToUtf8(member.listing_name));
      member_->addItem(member.active ? listing : listing + tr(" (hidden)"), listing);
    }
    const int again = member_->findData(chosen);
    member_->setCurrentIndex(again >= 0 ? again : (charts_.members.empty() ? -1 : 0));
  }
  ShowMember(member_->currentIndex());
}

void ChartsSheet::ShowMember(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= charts_.members.size()) {
    member_value_->ShowSeries({"Value of a Member's Units", {}, "The club has no members to chart."});
    return;
  }
  member_value_->ShowSeries(charts_.members[static_cast<std::size_t>(index)].series);
}

}  // namespace pellmark::ui
