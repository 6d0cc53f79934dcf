// The Members page of the main window, over the member ledger of the core. It
// fills the three sheets of the page group: "Dues" (the member's summary, the
// dues grid `membergrid` with "All" and "Delete Record", the valuations of the
// dues date's year and the transaction commands `memberselect`), "Data" (the
// name switch `nametype` and the member's fields with New, Change, Commit and
// Abort) and "Special" (the maintenance commands `memspecialselect`). The page
// only reads widgets into the ledger's calls and shows what the ledger holds.
//
//   MembersPage members(club, *duesdate, [&] { return special->ForceDeletes(); }, this);
//   Sheet(group, tr("Dues"), ..., members.DuesArea());
//   members.ShowMember("Smith, Ann");
//   connect(&members, &MembersPage::postingDone, this, &TPellmark::RefreshClubSummary);
#pragma once

#include <QObject>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "books/books.h"
#include "club/club_session.h"
#include "books/member_form.h"
#include "ui/record_form.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QWidget;

namespace pellmark::ui {

class CommandGroup;
class DateEntry;
class HistoryGrid;

class MembersPage : public QObject {
  Q_OBJECT

 public:
  MembersPage(Books& books, DateEntry& duesdate, std::function<bool()> force_deletes, QObject* parent);

  // The contents of the three sheets, parented by the caller.
  QWidget* DuesArea() const { return dues_area_; }
  QWidget* DataArea() const { return data_area_; }
  QWidget* SpecialArea() const { return special_area_; }

  // Loads the member of this listing name (the one selected in the key list)
  // into the fields, the summary and the dues grid; nullopt clears them.
  void ShowMember(const std::optional<std::string>& listing_name);
  const std::optional<std::string>& SelectedMember() const { return member_; }
  // The year the dues grid shows, or nullopt when "All" is ticked.
  std::optional<std::int32_t> GridYear() const;

  // The handlers of the page, also reachable by their buttons.
  void memberselectClick(ledger::MemberAction action);
  void memspecialselectClick(int item);
  void ShowGauge(int percent);
  void membergridDblClick();
  void deleterecordClick();
  void nametypeClick();
  void membernewClick();
  void memberchangeClick();
  void memberaddClick();
  void membercancelClick();

 signals:
  // Members were added, renamed, hidden, shown or deleted: the key list must be
  // rebuilt, selecting `listing_name` when it is still listed.
  void memberListChanged(const QString& listing_name);
  // A posting or reset moved the club's figures; the purchase unit is already
  // looked up again for the dues date.
  void postingDone();

 private:
  QWidget* BuildDuesArea();
  QWidget* BuildDataArea();
  QWidget* BuildSpecialArea();
  void RefreshGrid();
  void RefreshValuations();
  void ShowSummary();
  void ShowFields(const std::optional<TMemberRec>& member);
  void ShowNameType(bool group);
  MemberFields ReadFields() const;
  void SetLocked(bool locked);
  void EnableCommands();
  void AfterPosting();
  void AfterListChange();
  std::optional<std::int32_t> SelectedDuesTran() const;
  void allduesClick();

  Books& books_;
  ClubSession& club_;
  ledger::MemberLedger& ledger_;
  DateEntry& duesdate_;
  std::function<bool()> force_deletes_;
  std::optional<std::string> member_;
  std::vector<ledger::DuesRow> rows_;
  // The data fields are read-only until New or Change unlocks them; `adding_`
  // tells a new member from a change of the shown one.
  bool locked_ = true;
  bool adding_ = false;

  QWidget* dues_area_;
  QWidget* data_area_;
  QWidget* special_area_;

  QGroupBox* summary_;
  QLabel* totalc_;
  QLabel* totale_;
  QLabel* tunits_;
  QLabel* vunit_;
  QLabel* accountvalue_;
  HistoryGrid* dues_grid_;
  QGroupBox* valuations_group_;
  QListWidget* valuationlist_;
  CommandGroup* memberselect_;

  QPushButton* nametype_;
  QLabel* lname_label_;
  QLabel* fname_label_;
  QLineEdit* lname_;
  QLineEdit* fname_;
  std::vector<QLineEdit*> contact_fields_;
  QLabel* minisummary_;
  RecordFormButtons form_buttons_;

  CommandGroup* memspecialselect_;
  // The progress of "Recaulate All Members", shown only while it runs.
  QProgressBar* gauge_;
};

}  // namespace pellmark::ui
