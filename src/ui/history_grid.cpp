#include "ui/history_grid.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/named_widgets.h"

namespace pellmark::ui {

HistoryGrid::HistoryGrid(const QStringList& headers, int first_figure_column, const Names& names, QWidget* parent)
    : QGroupBox(parent), first_figure_column_(first_figure_column) {
  setObjectName(QString::fromLatin1(names.group));
  table_ = Named(new QTableWidget(0, static_cast<int>(headers.size()), this), names.grid);
  table_->setHorizontalHeaderLabels(headers);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  table_->setToolTip(tr("Double-Click or Enter to change, Delete to remove"));
  table_->installEventFilter(this);
  connect(table_, &QTableWidget::cellDoubleClicked, this, &HistoryGrid::changeRequested);

  all_ = Named(new QCheckBox(tr("&All"), this), names.all);
  connect(all_, &QCheckBox::clicked, this, &HistoryGrid::showAllClicked);
  count_ = Named(new QLabel(this), names.count);
  delete_record_ = Button(tr("De&lete Record"), QString::fromLatin1(names.delete_record), this);
  connect(delete_record_, &QPushButton::clicked, this, &HistoryGrid::deleteRequested);
  auto* footer = new QHBoxLayout;
  footer->addWidget(all_);
  footer->addWidget(new QLabel(tr("Items:"), this));
  footer->addWidget(count_);
  footer->addStretch(1);
  footer->addWidget(delete_record_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_, 1);
  layout->addLayout(footer);
}

bool HistoryGrid::ShowsAll() const { return all_->isChecked(); }

void HistoryGrid::SetShowsAll(bool all) { all_->setChecked(all); }

void HistoryGrid::ShowRows(const QList<QStringList>& rows) {
  table_->setRowCount(0);
  table_->setRowCount(static_cast<int>(rows.size()));
  for (int row = 0; row < table_->rowCount(); ++row) {
    const QStringList& cells = rows[row];
    for (int column = 0; column < cells.size(); ++column) {
      auto* cell = new QTableWidgetItem(cells[column]);
      if (column >= first_figure_column_) cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table_->setItem(row, column, cell);
    }
  }
  // Each column as wide as its contents, so no figure is cut, and never
  // narrower than the page laid it out; the last takes the rest.
  if (laid_out_widths_.isEmpty()) {
    for (int column = 0; column < table_->columnCount(); ++column) laid_out_widths_ << table_->columnWidth(column);
  }
  table_->resizeColumnsToContents();
  for (int column = 0; column < table_->columnCount(); ++column) {
    table_->setColumnWidth(column, std::max(table_->columnWidth(column), laid_out_widths_[column]));
  }
  count_->setText(QString::number(table_->rowCount()));
  if (table_->rowCount() > 0) {
    table_->selectRow(table_->rowCount() - 1);
    table_->scrollToBottom();
  }
  delete_record_->setEnabled(table_->rowCount() > 0);
}

bool HistoryGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched != table_ || event->type() != QEvent::KeyPress) return QGroupBox::eventFilter(watched, event);
  switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      emit changeRequested();
      return true;
    case Qt::Key_Delete:
      emit deleteRequested();
      return true;
    default:
      return QGroupBox::eventFilter(watched, event);
  }
}

}  // namespace pellmark::ui
