// The Accounts page of the main window, over the account ledger of the core.
// It fills three sheets of the page group: "Transactions" (the register grid
// `accountgrid`, the account's figures and the transaction commands
// `accountselect`), "Data" (name, number and initial balance with New, Change,
// Commit and Abort, and the role boxes `curactsel`, `curstkactsel`, `valusage`)
// and "Special" (the maintenance commands `accountspcselect`). The page only
// reads widgets into the ledger's calls and shows what the ledger holds.
//
//   AccountsPage accounts(club, *actdate, [&] { return special->ForceDeletes(); }, this);
//   Sheet(group, tr("Transactions"), ..., accounts.TransactionsArea());
//   accounts.ShowAccount("Cash");
//   connect(&accounts, &AccountsPage::postingDone, this, &TPellmark::RefreshClubSummary);
#pragma once

#include <QObject>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "books/books.h"
#include "club/club_session.h"
#include "club/entry_dialog_mode.h"
#include "ui/record_form.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace pellmark::ui {

class DateEntry;
class HistoryGrid;

class AccountsPage : public QObject {
  Q_OBJECT

 public:
  AccountsPage(Books& books, DateEntry& actdate, std::function<bool()> force_deletes, QObject* parent);

  // The contents of the three sheets, parented by the caller.
  QWidget* TransactionsArea() const { return transactions_area_; }
  QWidget* DataArea() const { return data_area_; }
  QWidget* SpecialArea() const { return special_area_; }

  // Loads the named account (the one selected in the key list) into the fields,
  // the figures, the role boxes and the register; nullopt clears them.
  void ShowAccount(const std::optional<std::string>& name);
  const std::optional<std::string>& SelectedAccount() const { return account_; }
  // The year the register shows, or nullopt when "All" is ticked.
  std::optional<std::int32_t> RegisterYear() const;
  // The register's title: "1999 Transaction History" or "Complete Transaction History".
  QString RegisterCaption() const;

  // The handlers of the page, also reachable by their buttons.
  void accountselectClick(EntryMode kind);
  void reconcileClick();
  void accountspcselectClick(int item);
  void accountgridDblClick();
  void deleterecordClick();
  void accountnewClick();
  void accountchangeClick();
  void accountaddClick();
  void accountcancelClick();

 signals:
  // Accounts were added, renamed, hidden, shown or deleted: the key list must be
  // rebuilt, selecting `name` when it is still listed.
  void accountListChanged(const QString& name);
  // A posting, reset or role change moved the club's figures.
  void postingDone();
  // The register was filled again (another account, year or "All").
  void registerChanged();

 private:
  QWidget* BuildTransactionsArea();
  QWidget* BuildDataArea();
  QWidget* BuildSpecialArea();
  void RefreshRegister();
  void ShowFigures(const std::optional<TAccountRec>& account);
  void ShowRoles(const std::optional<TAccountRec>& account);
  void SetLocked(bool locked);
  void AfterPosting();
  std::optional<std::int32_t> SelectedTranId() const;
  void allaccountClick();
  void curactselClick(bool checked);
  void curstkactselClick(bool checked);
  void valusageClick(bool checked);

  Books& books_;
  ClubSession& club_;
  ledger::AccountLedger& ledger_;
  DateEntry& actdate_;
  std::function<bool()> force_deletes_;
  std::optional<std::string> account_;
  std::vector<ledger::RegisterRow> rows_;
  // The data fields are read-only until New or Change unlocks them; `adding_`
  // tells a new account from a change of the shown one.
  bool locked_ = true;
  bool adding_ = false;

  QWidget* transactions_area_;
  QWidget* data_area_;
  QWidget* special_area_;

  HistoryGrid* register_;
  QLabel* bal_;
  QLabel* ostcred_;
  QLabel* ostdeb_;
  QLabel* lstdate_;
  QLabel* interesty_;
  QLabel* interest_;

  QLineEdit* accountname_;
  QLineEdit* accountnumber_;
  QLineEdit* initialbalance_;
  RecordFormButtons form_buttons_;
  QCheckBox* curactsel_;
  QCheckBox* curstkactsel_;
  QCheckBox* valusage_;
};

}  // namespace pellmark::ui
