// The "Transactions" sheet of the Securities page over the security ledger:
// the history grid `stockgrid` of the selected security (the year of the
// sheet's calendar `divcal`, or all with "All"), the entry commands
// `stockselect`, double-click to change a record and `deletestock`. Dialogs
// (the entry dialog, the lot chooser) and questions come through the club's
// interaction port; the sheet only reads the grid into the ledger's calls.
//
//   StockTransactionsSheet trades(books, *divcal, [this] { return ForceDeletes(); }, this);
//   Sheet(group, tr("Transactions"), ..., trades.Area());
//   trades.ShowSecurity("Acme Corp");
#pragma once

#include <QObject>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "books/books.h"
#include "securities/security_ledger.h"

class QWidget;

namespace pellmark::ui {

class DateEntry;
class HistoryGrid;

class StockTransactionsSheet : public QObject {
  Q_OBJECT

 public:
  StockTransactionsSheet(Books& books, DateEntry& divcal, std::function<bool()> force_deletes, QObject* parent);

  QWidget* Area() const { return area_; }
  // The security whose records the grid shows; nullopt empties it.
  void ShowSecurity(const std::optional<std::string>& name);
  // The year the grid shows, or nullopt when "All" is ticked.
  std::optional<std::int32_t> GridYear() const;

  // The handlers of the sheet, also reachable by their buttons.
  void stockselectClick(ledger::StockEntry choice);
  // "Split" and "Basis Update" (a clear when "Cleared" is ticked).
  void changeClick(ledger::CorporateChange choice);
  void stockgridDblClick();
  void deletestockClick();

 signals:
  // Records changed the security's figures and the club's (a security may
  // also have been hidden, which changes the key list).
  void postingDone();

 private:
  void RefreshGrid();
  std::optional<std::int32_t> SelectedRecord() const;
  void AfterPosting();

  Books& books_;
  ClubSession& club_;
  ledger::SecurityLedger& ledger_;
  DateEntry& divcal_;
  std::function<bool()> force_deletes_;
  std::optional<std::string> security_;
  std::vector<ledger::StockRow> rows_;
  QWidget* area_;
  HistoryGrid* grid_;
};

}  // namespace pellmark::ui
