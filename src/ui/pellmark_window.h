// TPellmark: the main window of the desktop program. It opens the club of its
// folder for the whole run and closes it with the window: the key list on the
// left, the club summary at the top, the five page groups chosen by the tab strip
// at the bottom ("Members", "Securities", "Accounts", "Reports", "Special").
//
//   QtInteraction ui(nullptr);
//   TPellmark window(folder, ui, *clock);   // store errors propagate as EQDBError
//   window.show();
#pragma once

#include <QMainWindow>
#include <filesystem>
#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "books/books.h"
#include "books/posting_warnings.h"
#include "forms/main_tabs.h"
#include "forms/margin_form.h"

class QAction;
class QLabel;
class QListWidget;
class QStackedWidget;
class QTabBar;
class QTabWidget;

namespace pellmark::ui {

class AccountsPage;
class CategoriesSheet;
class DateEntry;
class HelpWindow;
class MembersPage;
class ReportsPage;
class SecuritiesPage;
class ReportsPage;
class SpecialPage;
class StockTransactionsSheet;
class SummaryPanel;

// Page margins in inches, as the report window's page printer takes them.
using PageMargins = MarginValues;

// The margins kept in the user's settings ("TOPMARGIN" ... as text); a missing
// or unreadable value gives its default.
PageMargins ReadPageMargins();

class TPellmark : public QMainWindow {
  Q_OBJECT

 public:
  TPellmark(std::filesystem::path club_folder, Interaction& ui, const Clock& clock, QWidget* parent = nullptr);
  ~TPellmark() override;

  const std::filesystem::path& ClubFolder() const { return club_folder_; }
  ClubSession& Club() { return club_; }
  Books& TheBooks() { return *books_; }
  MainTab CurrentTab() const { return current_tab_; }
  const PageMargins& Margins() const { return margins_; }
  HelpWindow& Help();
  bool ForceDeletes() const;
  // The Reports page's commands; null until the page is first shown.
  ReportsPage* Reports() const { return reports_page_; }

  // Chooses a tab as the tab strip does; false when the change was refused.
  bool ChooseTab(MainTab tab);
  // Fills the summary panel from the club's figures and names the club in the title.
  void RefreshClubSummary();
  // The operation boundary's handler while this window is open: what the
  // failed action changed is dropped back to the last commit and the error shown.
  void ActionFailed(const std::exception& error);

  // What File › Open Club… asks with; by default a folder dialog. Returns the
  // chosen folder, nothing when the user cancelled.
  using FolderChooser = std::function<std::optional<std::filesystem::path>(const std::filesystem::path& current)>;
  void SetFolderChooser(FolderChooser chooser) { choose_folder_ = std::move(chooser); }
  // What the exports ask with; by default a save dialog starting at `suggested`
  // (in the club folder) with `filter` ("Text Files (*.txt)"). Nothing when cancelled.
  using SaveFileChooser = std::function<std::optional<std::filesystem::path>(
      const std::filesystem::path& suggested, const QString& filter)>;
  void SetSaveFileChooser(SaveFileChooser chooser) { choose_save_file_ = std::move(chooser); }

  // File › Export › "&Valuation Data" and the "Export" button of "Provide Data".
  void exportClick();
  // File › Export › "&Mail labels".
  void Maillabels1Click();

 signals:
  // File › Open Club… or a recent club chose another club folder.
  void clubChosen(const QString& folder);

 public slots:
  // A second start of the program asked this window to come forward.
  void BringToFront();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void BuildKeyPanel();
  void BuildPages();
  // Builds the page group of `tab` in its place the first time it is needed.
  void BuildPage(MainTab tab);
  QWidget* BuildMembersPage();
  QWidget* BuildSecuritiesPage();
  QWidget* BuildAccountsPage();
  QWidget* BuildReportsPage();
  QWidget* BuildSpecialPage();
  QTabWidget* PageGroup(const QString& name);
  QWidget* Sheet(QTabWidget* group, const QString& caption, const QString& help_name, int topic,
                 DateEntry* date = nullptr, QWidget* content = nullptr);
  DateEntry* DateGroup(const QString& edit, const QString& calendar, const QString& year_label,
                       const QString& month_label, const QString& day_spin, const QString& month_spin,
                       const QString& year_spin);
  void OpenHelpOfShownSheet();
  bool TabSet1Change(MainTab tab);
  void ListMasterKeys(std::vector<std::string> keys, MainTab tab);
  // Puts each listed member's or holding's value beside its name (none on other tabs).
  void ShowListedValues();
  void ShowKeys(const QString& caption, bool shown);
  // Loads the account of the key list's row into the Accounts page.
  void KeysClick(int row);
  // Lists the accounts again and selects `selected`, else the default member account.
  void ListAccounts(const QString& selected);
  void SelectDefaultAccount();
  // Sets the current key without the click that shows it.
  void ChooseKeyRow(int row);
  // Lists keys, chooses the one named (or the remembered one, or for accounts
  // the default account) and shows it.
  void ListNamedKeys(std::vector<std::string> keys, MainTab tab, const QString& selected);
  // Lists the members again and selects `selected` when it is still listed.
  void ListMembers(const QString& selected);
  // Lists the securities again and selects `selected` when it is still listed.
  void ListSecurities(const QString& selected);
  // Moves the key list's selection by `step` rows, staying within the list.
  void StepKeys(int step);
  void FormClose();
  // Edit: "Undo "<label>"" and "Redo "<label>"", disabled without a label
  // when there is nothing to undo or redo; the History window.
  void RefreshEditMenu();
  void UndoOrRedo(bool undo);
  void ShowHistory();
  // The pages show the books again after an undo or redo.
  void RefreshAfterUndo();

  std::filesystem::path club_folder_;
  Interaction& ui_;
  std::unique_ptr<Books> books_;
  // The accounts as the last refresh saw them: a posting that takes one below
  // zero or reuses a check number is noted in the status bar.
  std::optional<AccountFigures> noted_accounts_;
  ClubSession& club_;
  MainTab current_tab_ = MainTab::kSpecial;
  PageMargins margins_;
  bool closed_ = false;
  QAction* undo_action_ = nullptr;
  QAction* redo_action_ = nullptr;

  SummaryPanel* summary_;
  QWidget* key_panel_;
  QLabel* key_caption_;
  QListWidget* Keys_;
  QListWidget* catbox_;
  // The stored keys of the items listed in Keys, row for row.
  std::vector<std::string> keylist_;
  QStackedWidget* pages_;
  QTabBar* TabSet1_;
  // Which page groups are built, by tab; the pointers below stay null until theirs is.
  std::vector<bool> built_pages_;
  QTabWidget* accounts_page_ = nullptr;
  QWidget* categories_sheet_ = nullptr;
  AccountsPage* accounts_ = nullptr;
  MembersPage* members_ = nullptr;
  SecuritiesPage* securities_ = nullptr;
  StockTransactionsSheet* trades_ = nullptr;
  CategoriesSheet* categories_ = nullptr;
  DateEntry* report_date_ = nullptr;
  SpecialPage* special_ = nullptr;
  ReportsPage* reports_page_ = nullptr;
  HelpWindow* help_ = nullptr;
  FolderChooser choose_folder_;
  SaveFileChooser choose_save_file_;
};

}  // namespace pellmark::ui
