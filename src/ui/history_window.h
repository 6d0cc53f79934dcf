// The History window: the journal of committed operations, newest first (time,
// label, the figures each moved), with "Undo to here", which undoes every
// operation back to the chosen one after a question.
//
//   HistoryWindow history(books, ui, this);
//   connect(&history, &HistoryWindow::booksChanged, this, &TPellmark::RefreshAfterUndo);
//   history.exec();
#pragma once

#include <QDialog>

#include "books/books.h"

class QPushButton;
class QTableWidget;

namespace pellmark::ui {

class HistoryWindow : public QDialog {
  Q_OBJECT

 public:
  HistoryWindow(Books& books, Interaction& ui, QWidget* parent = nullptr);

  // Fills the list again from the journal.
  void Refresh();
  // "Undo to here" on the selected row.
  void UndoToHere();

 signals:
  void booksChanged();

 private:
  Books& books_;
  Interaction& ui_;
  QTableWidget* list_;
  QPushButton* undo_to_here_;
};

}  // namespace pellmark::ui
