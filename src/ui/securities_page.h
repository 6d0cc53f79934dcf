// The Securities page of the main window, over the club's security records and
// prices. It fills three sheets of the page group: "Prices" (the summary, the
// price history `pricegrid`, the entry commands `priceselect` and "Import"),
// "Data" (name and symbol with New, Change, Commit and Abort, the previous and
// next security, the small summary) and "Special" (`secspecialselect`). The
// "Transactions" sheet belongs to the security ledger. The page only reads
// widgets into the core's calls and shows what the core holds.
//
//   SecuritiesPage securities(books, *pricedate, this);
//   Sheet(group, tr("Prices"), ..., securities.PricesArea());
//   securities.ShowSecurity("Acme Corp");
//   connect(&securities, &SecuritiesPage::postingDone, this, &TPellmark::RefreshClubSummary);
#pragma once

#include <QObject>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "books/books.h"
#include "forms/internet_form.h"
#include "securities/price_ledger.h"
#include "securities/security_records.h"
#include "ui/record_form.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QWidget;

namespace pellmark::ui {

class CommandGroup;
class DateEntry;
class HistoryGrid;

class SecuritiesPage : public QObject {
  Q_OBJECT

 public:
  SecuritiesPage(Books& books, DateEntry& pricedate, QObject* parent);

  QWidget* PricesArea() const { return prices_area_; }
  QWidget* DataArea() const { return data_area_; }
  QWidget* SpecialArea() const { return special_area_; }

  // Loads the named security (the one selected in the key list) into the
  // fields, the summaries and the price grid; nullopt clears them.
  void ShowSecurity(const std::optional<std::string>& name);
  const std::optional<std::string>& SelectedSecurity() const { return security_; }
  // The year the price grid shows, or nullopt when "All" is ticked.
  std::optional<std::int32_t> GridYear() const;

  // What "Import" asks for the price file; by default an open-file dialog in the
  // club folder. Nothing when the user cancelled.
  using FileChooser = std::function<std::optional<std::filesystem::path>(const std::filesystem::path& folder)>;
  void SetFileChooser(FileChooser chooser) { choose_file_ = std::move(chooser); }

  // What "Online" shows for the connection, until the form closes; by default
  // the TInternetform dialog over the window.
  using ConnectionRunner = std::function<void(InternetForm& form)>;
  void SetConnectionRunner(ConnectionRunner runner) { run_connection_ = std::move(runner); }

  // The handlers of the page, also reachable by their buttons.
  void priceselectClick(ledger::PriceSelect choice);
  void secspecialselectClick(ledger::SecuritySpecial choice);
  // "Reset Dividends": the open year's dividend postings made again from the records.
  void SpeedButton1Click();
  void pricegridDblClick();
  void deletepriceClick();
  void importpriceClick();
  // "Online": the latest prices from the quote service of the user's settings.
  void onlinequoteClick();
  void securitynewClick();
  void securitychangeClick();
  void securityaddClick();
  void securitycancelClick();

 signals:
  // Securities were added, renamed, hidden, shown or deleted: the key list must
  // be rebuilt, selecting `name` when it is still listed.
  void securityListChanged(const QString& name);
  // "Previous" (-1) or "Next" (+1) security of the key list.
  void stepRequested(int step);
  // Prices or totals changed the club's figures.
  void postingDone();

 private:
  QWidget* BuildPricesArea();
  QWidget* BuildDataArea();
  QWidget* BuildSpecialArea();
  QLabel* HiddenLabel(QWidget* parent, const char* name);
  void RefreshGrid();
  void ShowSummary(const std::optional<TSecurityRec>& security);
  void ShowHiddenLabels();
  void SetLocked(bool locked);
  void AfterPrices();
  std::optional<std::int32_t> SelectedPriceId() const;
  void allpriceClick();
  // The "Processing" and "Quotes" labels with the gauge at `percent`; 0 hides them.
  void ShowQuoteGauge(int percent);

  Books& books_;
  ClubSession& club_;
  ledger::SecurityRecords& securities_;
  ledger::PriceLedger& prices_;
  DateEntry& pricedate_;
  FileChooser choose_file_;
  ConnectionRunner run_connection_;
  std::optional<std::string> security_;
  std::vector<ledger::PriceRow> rows_;
  bool adding_ = false;

  QWidget* prices_area_;
  QWidget* data_area_;
  QWidget* special_area_;

  QGroupBox* summary_;
  QLabel* pricec_;
  QLabel* sharest_;
  QLabel* tspent_;
  QLabel* value_;
  QLabel* dividendy_;
  QLabel* dividendt_;
  HistoryGrid* price_grid_;
  CommandGroup* priceselect_;
  QPushButton* onlinequote_;
  QLabel* processlabel_;
  QLabel* quoteslabel_;
  QProgressBar* quotegauge_;

  QLineEdit* StockName_;
  QLineEdit* Symbol_;
  RecordFormButtons form_buttons_;
  QGroupBox* mini_group_;
  QLabel* secminisummary_;
  CommandGroup* secspecialselect_;
  std::vector<QLabel*> hidden_labels_;
};

}  // namespace pellmark::ui
