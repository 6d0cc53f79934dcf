#include "ui/stock_transactions_sheet.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "club/dates.h"
#include "club/failure_log.h"
#include "books/stock_text.h"
#include "ui/command_group.h"
#include "ui/date_entry.h"
#include "ui/history_grid.h"
#include "ui/qt_interaction.h"

namespace pellmark::ui {

StockTransactionsSheet::StockTransactionsSheet(Books& books, DateEntry& divcal, std::function<bool()> force_deletes,
                                               QObject* parent)
    : QObject(parent),
      books_(books),
      club_(books.Club()),
      ledger_(books.Trades()),
      divcal_(divcal),
      force_deletes_(std::move(force_deletes)) {
  area_ = new QWidget;
  area_->setObjectName(QStringLiteral("stocktransactions"));
  grid_ = new HistoryGrid({tr("Date"), tr("Type"), tr("Shares"), tr("Amount"), tr("Price"), tr("Commission")}, 2,
                          {"stockgridgroup", "stockgrid", "Allstock", "seccnt", "deletestock"}, area_);
  grid_->Table()->setToolTip(tr("Double-Click to change"));
  grid_->Table()->setWordWrap(false);
  const QFontMetrics metrics = grid_->Table()->fontMetrics();
  grid_->Table()->setColumnWidth(1, metrics.horizontalAdvance(QStringLiteral("Split-Buy (Sold)")) + 16);
  grid_->SetShowsAll(club_.View().Allstock);
  connect(grid_, &HistoryGrid::changeRequested, this, &StockTransactionsSheet::stockgridDblClick);
  connect(grid_, &HistoryGrid::deleteRequested, this, &StockTransactionsSheet::deletestockClick);
  connect(grid_, &HistoryGrid::showAllClicked, this, [this] {
    club_.View().Allstock = grid_->ShowsAll();
    RefreshGrid();
  });
  connect(&divcal_, &DateEntry::listRefreshDue, this, [this] {
    if (!grid_->ShowsAll()) RefreshGrid();
  });

  const struct {
    QString caption;
    const char* name;
    ledger::StockEntry choice;
  } entries[] = {{tr("&Buy"), "stockbuy", ledger::StockEntry::Buy},
                 {tr("&Sell"), "stocksell", ledger::StockEntry::Sell},
                 {tr("&Dividends"), "stockdividends", ledger::StockEntry::Dividends},
                 {tr("&Reinvestment"), "stockreinvestment", ledger::StockEntry::Reinvestment},
                 {tr("&Capital Change"), "stockcapitalchange", ledger::StockEntry::CapitalChange}};
  auto* stockselect = new CommandGroup(tr("Transactions"), QStringLiteral("stockselect"), area_);
  for (const auto& entry : entries) {
    connect(stockselect->Add(entry.caption, QString::fromLatin1(entry.name)), &QPushButton::clicked, this,
            [this, choice = entry.choice] { stockselectClick(choice); });
  }
  connect(stockselect->Add(tr("S&plit"), QStringLiteral("stocksplit")), &QPushButton::clicked, this,
          [this] { changeClick(ledger::CorporateChange::Split); });
  connect(stockselect->Add(tr("Basis &Update"), QStringLiteral("stockbasisupdate")), &QPushButton::clicked, this,
          [this] { changeClick(ledger::CorporateChange::BasisUpdate); });
  connect(stockselect->Add(tr("&Foreign Taxes"), QStringLiteral("stockforeigntaxes")), &QPushButton::clicked, this,
          [this] { stockselectClick(ledger::StockEntry::ForeignTaxes); });
  auto* side = new QVBoxLayout;
  side->addWidget(stockselect);
  side->addStretch(1);
  auto* layout = new QHBoxLayout(area_);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(grid_, 1);
  layout->addLayout(side);
}

std::optional<std::int32_t> StockTransactionsSheet::GridYear() const {
  if (grid_->ShowsAll()) return std::nullopt;
  return CivilFromDayNumber(divcal_.Date()).year;
}

void StockTransactionsSheet::ShowSecurity(const std::optional<std::string>& name) {
  security_ = name;
  RefreshGrid();
}

void StockTransactionsSheet::RefreshGrid() {
  const std::optional<std::int32_t> year = GridYear();
  grid_->setTitle(FromCore(StockGridCaption(year)));
  rows_.clear();
  try {
    if (security_) rows_ = ledger_.Grid(*security_, year);
  } catch (const std::exception& error) {
    LogFailure("Security grid updating failed", error);
    club_.Ui().ShowError("Security grid updating failed");
  }
  QList<QStringList> cells;
  for (const ledger::StockRow& row : rows_) {
    const StockRowText text = StockRowTexts(row);
    cells.append({FromCore(text.date), FromCore(text.type), FromCore(text.shares), FromCore(text.amount),
                  FromCore(text.price), FromCore(text.comm)});
  }
  grid_->ShowRows(cells);
}

std::optional<std::int32_t> StockTransactionsSheet::SelectedRecord() const {
  const int row = grid_->Table()->currentRow();
  if (row < 0 || row >= static_cast<int>(rows_.size())) return std::nullopt;
  return rows_[static_cast<std::size_t>(row)].record.stranid;
}

void StockTransactionsSheet::AfterPosting() {
  RefreshGrid();
  emit postingDone();
}

void StockTransactionsSheet::stockselectClick(ledger::StockEntry choice) {
  if (!security_) return;
  if (books_.Perform([&] { return ledger_.Enter(*security_, choice, divcal_.Date()); })) {
    AfterPosting();
  }
}

void StockTransactionsSheet::changeClick(ledger::CorporateChange choice) {
  if (!security_) return;
  if (books_.Perform([&] { return books_.Changes().Enter(*security_, choice, divcal_.Date()); })) {
    AfterPosting();
  }
}

void StockTransactionsSheet::stockgridDblClick() {
  const std::optional<std::int32_t> stranid = SelectedRecord();
  if (!security_ || !stranid) return;
  const int row = grid_->Table()->currentRow();
  if (!books_.Perform([&] { return ledger_.ChangeRecord(*security_, *stranid); })) {
    return;
  }
  AfterPosting();
  if (row < grid_->Table()->rowCount()) grid_->Table()->selectRow(row);
}

void StockTransactionsSheet::deletestockClick() {
  const std::optional<std::int32_t> stranid = SelectedRecord();
  if (!security_ || !stranid) return;
  if (books_.Perform([&] { return ledger_.DeleteRecord(*security_, *stranid, force_deletes_()); })) {
    AfterPosting();
  }
}

}  // namespace pellmark::ui
