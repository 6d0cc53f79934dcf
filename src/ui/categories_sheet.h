// The "Categories" sheet of the Accounts page: the category list `catbox` (shown
// in the key panel in place of the key list) with "Previous Category" and "Next
// Category", the fields of the selected category (`catname`, `cattypeselect`,
// `cattax`) with New, Change, Commit and Abort, and the selected category's total
// in the register the Transactions sheet shows. Checks and storing are the
// category ledger's.
//
//   auto* categories = new CategoriesSheet(club, *catbox, *accounts_page, sheet);
//   categories->ListCategories();   // at every visit of the Accounts tab
#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>

#include "books/books.h"
#include "ui/record_form.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace pellmark::ui {

class AccountsPage;

class CategoriesSheet : public QWidget {
  Q_OBJECT

 public:
  CategoriesSheet(Books& books, QListWidget& catbox, const AccountsPage& accounts, QWidget* parent = nullptr);

  // Fills `catbox` with every category in name order and selects `catid`, else
  // the first category.
  void ListCategories(std::optional<std::int32_t> catid = std::nullopt);
  // The id of the category selected in `catbox`.
  std::optional<std::int32_t> SelectedCategory() const;
  // The selected category's total in the shown register of the selected account.
  void ShowTotal();

  // The handlers of the sheet, also reachable by their buttons.
  void catupClick();
  void catdownClick();
  void catnewClick();
  void catchangeClick();
  void cataddClick();
  void catcancelClick();

 private:
  void ShowCategory();
  void SetLocked(bool locked);
  void ClearType();

  Books& books_;
  ledger::CategoryLedger& ledger_;
  QListWidget& catbox_;
  const AccountsPage& accounts_;
  // The fields are read-only until New or Change unlocks them; `adding_` tells a
  // new category from a change of the selected one.
  bool adding_ = false;

  QLineEdit* catname_;
  QButtonGroup* cattypeselect_;
  QCheckBox* cattax_;
  QPushButton* catup_;
  QPushButton* catdown_;
  RecordFormButtons form_buttons_;
  QGroupBox* total_group_;
  QLabel* cattotal_;
};

}  // namespace pellmark::ui
