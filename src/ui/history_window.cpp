#include "ui/history_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "club/journal_labels.h"
#include "ui/qt_interaction.h"

namespace pellmark::ui {
namespace {

enum Column { kTime, kLabel, kMoved, kColumns };

}  // namespace

HistoryWindow::HistoryWindow(Books& books, Interaction& ui, QWidget* parent)
    : QDialog(parent), books_(books), ui_(ui), list_(new QTableWidget(this)), undo_to_here_(new QPushButton(this)) {
  setObjectName(QStringLiteral("historywindow"));
  setWindowTitle(tr("History"));
  list_->setObjectName(QStringLiteral("historylist"));
  list_->setColumnCount(kColumns);
  list_->setHorizontalHeaderLabels({tr("Time"), tr("Operation"), tr("Figures moved")});
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->verticalHeader()->hide();
  list_->horizontalHeader()->setStretchLastSection(true);
  undo_to_here_->setObjectName(QStringLiteral("undotohere"));
  undo_to_here_->setText(tr("Undo to here"));
  auto* close = new QPushButton(tr("Close"), this);
  close->setObjectName(QStringLiteral("historyclose"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(undo_to_here_);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addLayout(buttons);
  connect(undo_to_here_, &QPushButton::clicked, this, &HistoryWindow::UndoToHere);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  connect(list_, &QTableWidget::itemSelectionChanged, this, [this] {
    const QList<QTableWidgetItem*> chosen = list_->selectedItems();
    undo_to_here_->setEnabled(!chosen.isEmpty() && chosen.front()->data(Qt::UserRole + 1).toBool());
  });
  resize(820, 420);
  Refresh();
}

void HistoryWindow::Refresh() {
  const std::span<const JournalEntry> journal = books_.Club().Journal();
  const std::vector<std::uint64_t> undoable = UndoableEntries(journal);
  list_->setRowCount(static_cast<int>(journal.size()));
  int row = 0;
  for (auto entry = journal.rbegin(); entry != journal.rend(); ++entry, ++row) {
    const bool can = std::find(undoable.begin(), undoable.end(), entry->id) != undoable.end();
    const QString texts[kColumns] = {FromCore(FormatJournalTime(entry->time)), FromCore(entry->label),
                                     FromCore(DescribeFigures(*entry))};
    for (int column = 0; column < kColumns; ++column) {
      auto* item = new QTableWidgetItem(texts[column]);
      item->setData(Qt::UserRole, QVariant::fromValue<qulonglong>(entry->id));
      item->setData(Qt::UserRole + 1, can);
      if (!can) item->setForeground(palette().brush(QPalette::Disabled, QPalette::Text));
      list_->setItem(row, column, item);
    }
  }
  list_->resizeColumnToContents(kTime);
  list_->setColumnWidth(kLabel, 380);
  undo_to_here_->setEnabled(false);
}

void HistoryWindow::UndoToHere() {
  const QList<QTableWidgetItem*> chosen = list_->selectedItems();
  if (chosen.isEmpty()) return;
  const std::uint64_t id = chosen.front()->data(Qt::UserRole).toULongLong();
  const std::string label = ToCore(list_->item(chosen.front()->row(), kLabel)->text());
  if (!ui_.Confirm("Undo every operation back to \"" + label + "\", that one too?")) return;
  static_cast<void>(books_.UndoTo(id));
  emit booksChanged();
  Refresh();
}

}  // namespace pellmark::ui
