// A record's history in a titled group: a read-only grid of one line a row, the
// "All" box that widens it from one year to the complete history, the count of
// rows and "Delete Record". The account register and the member's dues grid are
// both this; the page chooses the rows and the title and acts on the requests.
//
//   auto* grid = new HistoryGrid({tr("Date"), tr("Type"), tr("Amount"), tr("Units")}, 2,
//                                {"membergridgroup", "membergrid", "alldues", "duescnt", "memdeleterecord"}, area);
//   connect(grid, &HistoryGrid::changeRequested, this, &MembersPage::membergridDblClick);
//   grid->setTitle(tr("%1 Dues History").arg(year));
//   grid->ShowRows({{"12/31/1999", "Payment", "50.00", "2.000"}});
#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace pellmark::ui {

class HistoryGrid : public QGroupBox {
  Q_OBJECT

 public:
  // The object names of the group and of its widgets.
  struct Names {
    const char* group;
    const char* grid;
    const char* all;
    const char* count;
    const char* delete_record;
  };

  // Columns from `first_figure_column` on hold figures and align right.
  HistoryGrid(const QStringList& headers, int first_figure_column, const Names& names, QWidget* parent);

  // The grid itself, for the page's column widths and selection.
  QTableWidget* Table() const { return table_; }

  bool ShowsAll() const;
  void SetShowsAll(bool all);

  // Replaces the rows and their count, selects the last row and scrolls to it;
  // "Delete Record" is offered while there is a row.
  void ShowRows(const QList<QStringList>& rows);

 signals:
  // Double-click or Enter on a row.
  void changeRequested();
  // "Delete Record" or the Delete key on the grid.
  void deleteRequested();
  // The user ticked or unticked "All".
  void showAllClicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int first_figure_column_;
  QTableWidget* table_;
  QCheckBox* all_;
  QLabel* count_;
  QPushButton* delete_record_;
  // The widths the page gave the columns, kept at the first rows shown.
  QList<int> laid_out_widths_;
};

}  // namespace pellmark::ui
