// The Reports page's "Valuation" group (`Valuationgroup`) over the valuation of
// the core: "Create Official" and "Create Test" value the club on the report
// calendar's date; "Delete" removes a statement file chosen in the club folder.
// After each action the summary panel is refreshed (`valuationDone`).
//
//   ReportsPage reports(books, *reportdate, this);
//   Sheet(group, tr("Reports"), ..., reports.Area());
//   connect(&reports, &ReportsPage::valuationDone, this, &TPellmark::RefreshClubSummary);
#pragma once

#include <QObject>
#include <filesystem>
#include <functional>
#include <optional>

#include "books/books.h"

class QWidget;

namespace pellmark::ui {

class CommandGroup;
class DateEntry;

class ReportsPage : public QObject {
  Q_OBJECT

 public:
  ReportsPage(Books& books, DateEntry& reportdate, QObject* parent);

  // The sheet's contents, parented by the caller.
  QWidget* Area() const { return area_; }

  // What "Delete" asks with: by default a file dialog in the club folder showing
  // the statements ("V*.stm"). Returns the chosen file, nothing when cancelled.
  using StatementChooser = std::function<std::optional<std::filesystem::path>(const std::filesystem::path& folder)>;
  void SetStatementChooser(StatementChooser chooser) { choose_statement_ = std::move(chooser); }

  // The items of `Valuationgroup`.
  void CreateValuation(bool official);
  void DeleteStatement();

 signals:
  // A valuation or deletion ran: the summary panel shows the club's figures again.
  void valuationDone();

 private:
  Books& books_;
  DateEntry& reportdate_;
  QWidget* area_;
  CommandGroup* Valuationgroup_;
  StatementChooser choose_statement_;
};

}  // namespace pellmark::ui
