// A club set up through the Special page in a shown main window, opened at one
// tab, with the scripted interaction cleared: the start of every page test.
// Helpers read the page's grid and the key list, and click as the user would.
//
//   class AccountsPageTest : public ClubWindowTest {
//    protected:
//     AccountsPageTest() : ClubWindowTest(MainTab::kAccounts, "AccountsPage", "accountgrid") {}
//   };
#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <QTableWidget>

#include "ui/key_values.h"
#include "ui_test_support.h"

namespace pellmark::ui {

class ClubWindowTest : public MainWindowTest {
 protected:
  // `page` names the tab's sheet group, `grid` the grid that GridRows reads.
  ClubWindowTest(MainTab tab, const char* page, const char* grid) : tab_(tab), page_(page), grid_(grid) {}

  void SetUp() override {
    window = OpenWindow();
    window->show();
    SetUpClub(*window);  // starting unit $25.00 on 01/01/1999, today 12/31/1999
    window->ChooseTab(tab_);
    ui.Clear();
  }

  // The grid's rows, each as its cells joined by "|".
  QStringList GridRows() {
    auto* grid = Find<QTableWidget>(*window, grid_);
    QStringList rows;
    for (int row = 0; row < grid->rowCount(); ++row) {
      QStringList cells;
      for (int column = 0; column < grid->columnCount(); ++column) cells << grid->item(row, column)->text();
      rows << cells.join(QLatin1Char('|'));
    }
    return rows;
  }

  // The key list's entries in their order.
  QStringList ListedNames() {
    auto* list = Find<QListWidget>(*window, "Keys");
    QStringList names;
    for (int row = 0; row < list->count(); ++row) names << list->item(row)->text();
    return names;
  }

  // The key list's entries as "name|value": the value column of the Members and
  // Securities lists, blank where none is shown.
  QStringList ListedValues() {
    auto* list = Find<QListWidget>(*window, "Keys");
    QStringList entries;
    for (int row = 0; row < list->count(); ++row) {
      entries << list->item(row)->text() + QLatin1Char('|') + list->item(row)->data(kKeyValueRole).toString();
    }
    return entries;
  }

  QString Text(const char* label) { return Find<QLabel>(*window, label)->text(); }

  void ShowSheet(int sheet) { Find<QTabWidget>(*window, page_)->setCurrentIndex(sheet); }

  // Clicks the named button, which must be there and enabled.
  void Click(const char* button) {
    auto* found = Find<QAbstractButton>(*window, button);
    ASSERT_NE(found, nullptr);
    ASSERT_TRUE(found->isEnabled()) << button;
    QTest::mouseClick(found, Qt::LeftButton);
  }

  std::unique_ptr<TPellmark> window;

 private:
  MainTab tab_;
  const char* page_;
  const char* grid_;
};

}  // namespace pellmark::ui
