// The Special page group of the main window: the "Setup" sheet with the club
// information and the internet settings, and the "Options" sheet. The page reads
// its fields into the club session's set-up commit and shows what the session
// holds; the checks and the storing are the session's.
#pragma once

#include <QTabWidget>

#include <filesystem>
#include <functional>
#include <optional>

#include "books/books.h"
#include "forms/club_setup_form.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace pellmark::ui {

class SpecialPage : public QTabWidget {
  Q_OBJECT

 public:
  SpecialPage(Books& books, QWidget* parent = nullptr);

  // Shows the club information (or the first set-up's defaults) locked.
  void ShowClubInformation();
  // The Options sheet from the club information and the view state.
  void ShowOptions();
  // Copies the "Show Hidden ..." boxes into the view state.
  void KeepOptions();

  bool ForceDeletes() const;

  // What "Import" of "Obtain Data" asks the text file with; by default an
  // open dialog in `folder` with `filter`. Nothing when cancelled.
  using OpenFileChooser =
      std::function<std::optional<std::filesystem::path>(const std::filesystem::path& folder, const QString& filter)>;
  void SetOpenFileChooser(OpenFileChooser chooser) { choose_open_file_ = std::move(chooser); }
  // "Import" of "Obtain Data": the source of the `importtype` choice loaded into the club.
  void importClick();

  // The set-up handlers, also reachable by their buttons.
  void clubinfochangeClick();
  void internetchangeClick();
  void clubinfocommitClick();
  void clubinfoabortClick();

 signals:
  // The club information was committed (the first time or again).
  void clubInformationCommitted();
  void helpRequested(int topic);
  // "Check Books" ran its mends: the figures shown elsewhere may have changed.
  void booksRepaired();
  // "Export" of "Provide Data": the window asks for the file.
  void exportRequested();
  // A restore or a reset replaced the club's files: everything shown is stale.
  void clubFilesReplaced();
  // "Close Year" and "Tax Report" of the "Maintenance" group: the reports they show belong to the window.
  void closeYearRequested();
  void taxReportRequested();

 private:
  QWidget* BuildSetupSheet();
  QGroupBox* BuildClubGroup();
  QGroupBox* BuildInternetGroup();
  QWidget* BuildOptionsSheet();
  QPushButton* HelpButton(const QString& name, int topic);
  void DisplayFields(const ClubInfoFields& fields);
  ClubInfoFields ReadFields() const;
  void SetLocked(bool locked);
  void ClearConnectionType();
  // The style sheet reads the read-only property only when a field is polished again.
  void useproxyClick();
  void useloginClick();
  void dialoptClick();
  void stksortClick();
  // "Check Books": lists what does not agree between the stores and offers to
  // run the mends that a reset can make.
  void checkbooksClick();
  void usecolorClick();
  // "Backup Files", "Restore Backup" and "RESET" of the Options sheet.
  void backupdataClick();
  void restoredataClick();
  void ClubResetClick();
  void AfterReplacement();
  QGroupBox* BuildObtainDataGroup();

  Books& books_;
  ClubSession& club_;
  bool locked_ = true;
  OpenFileChooser choose_open_file_;
  QButtonGroup* importtype_ = nullptr;
  QProgressBar* gauge_ = nullptr;

  QLineEdit* club_name_;
  QLineEdit* club_address_;
  QLineEdit* tax_id_;
  QLineEdit* track_year_;
  QLabel* start_unit_label_;
  QLineEdit* start_unit_;
  QPushButton* clubinfochange_;
  QPushButton* clubinfocommit_;
  QPushButton* clubinfoabort_;
  QGroupBox* internet_group_;
  QLineEdit* smtp_server_;
  QLineEdit* home_address_;
  QCheckBox* useproxy_;
  QLineEdit* proxy_;
  QCheckBox* proxycache_;
  QCheckBox* uselogin_;
  QLineEdit* username_;
  QLineEdit* password_;
  QButtonGroup* dialopt_;
  QComboBox* dialentries_;
  QLineEdit* quotehost_;
  QLineEdit* quoteurl_;
  QComboBox* mailsecurity_;
  QLineEdit* maillogin_;
  QLineEdit* mailreplywait_;
  QLineEdit* supportaddress_;
  QButtonGroup* closeopt_;
  QPushButton* internetchange_;
  QPushButton* internetcommit_;
  QPushButton* internetabort_;

  QCheckBox* forcedeletes_;
  QCheckBox* usecolor_;
  QCheckBox* stksort_;
  QCheckBox* hiddenmember_;
  QCheckBox* hiddensecurity_;
  QCheckBox* hiddenaccount_;
  QLabel* hidmemlab_;
  QLabel* hidseclab_;
  QLabel* hidactlab_;
};

}  // namespace pellmark::ui
