#include "ui/pellmark_window.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <algorithm>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QStringList>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "books/listed_values.h"
#include "club/number_format.h"
#include "club/number_parse.h"
#include "club/store_operations.h"
#include "ui/accounts_page.h"
#include "ui/categories_sheet.h"
#include "ui/charts_sheet.h"
#include "ui/club_host.h"
#include "ui/date_entry.h"
#include "ui/help_window.h"
#include "ui/members_page.h"
#include "ui/history_window.h"
#include "ui/key_values.h"
#include "ui/operation_boundary.h"
#include "ui/qt_interaction.h"
#include "ui/reports_page.h"
#include "ui/securities_page.h"
#include "ui/reports_page.h"
#include "ui/stock_transactions_sheet.h"
#include "ui/special_page.h"
#include "ui/summary_panel.h"

namespace pellmark::ui {
namespace {

const char* const kHelpTopicProperty = "helptopic";

double MarginSetting(QSettings& settings, const char* name, const char* default_text, double default_value) {
  const QString text = settings.value(QString::fromLatin1(name), QString::fromLatin1(default_text)).toString();
  return ParseNumber(text.toStdString()).value_or(default_value);
}

}  // namespace

PageMargins ReadPageMargins() {
  QSettings settings(QStringLiteral("Quillomer"), QStringLiteral("Pellmark"));
  PageMargins defaults;
  return {MarginSetting(settings, "TOPMARGIN", "0.25", defaults.top),
          MarginSetting(settings, "BOTTOMMARGIN", "0.25", defaults.bottom),
          MarginSetting(settings, "LEFTMARGIN", "0.75", defaults.left),
          MarginSetting(settings, "RIGHTMARGIN", "0.50", defaults.right)};
}

TPellmark::TPellmark(std::filesystem::path club_folder, Interaction& ui, const Clock& clock, QWidget* parent)
    : QMainWindow(parent),
      club_folder_(std::move(club_folder)),
      ui_(ui),
      books_(std::make_unique<Books>(club_folder_, ui, clock)),
      club_(books_->Club()) {
  setObjectName(QStringLiteral("Pellmark"));
  setWindowTitle(QStringLiteral("Pellmark"));
  books_->Open();

  BuildMenus();
  summary_ = new SummaryPanel(this);
  BuildKeyPanel();
  BuildPages();

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->setChildrenCollapsible(false);
  splitter->addWidget(key_panel_);
  splitter->addWidget(pages_);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({240, 1000});

  TabSet1_ = new QTabBar(this);
  TabSet1_->setObjectName(QStringLiteral("TabSet1"));
  TabSet1_->setShape(QTabBar::RoundedSouth);
  TabSet1_->setExpanding(false);
  TabSet1_->setDrawBase(false);
  int shortcut = 1;
  for (const std::string& caption : MainTabCaptions()) {
    const int index = TabSet1_->addTab(FromCore(caption));
    TabSet1_->setTabToolTip(index, tr("%1 (Ctrl+%2)").arg(FromCore(caption)).arg(shortcut));
    auto* key = new QShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_0 + shortcut)), this);
    connect(key, &QShortcut::activated, this, [this, index] { ChooseTab(static_cast<MainTab>(index)); });
    ++shortcut;
  }
  connect(TabSet1_, &QTabBar::currentChanged, this, [this](int index) {
    if (index >= 0 && !TabSet1Change(static_cast<MainTab>(index))) {
      const QSignalBlocker quiet(TabSet1_);
      TabSet1_->setCurrentIndex(static_cast<int>(current_tab_));
    }
  });

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(8, 8, 8, 4);
  layout->setSpacing(6);
  layout->addWidget(summary_);
  layout->addWidget(splitter, 1);
  layout->addWidget(TabSet1_);
  setCentralWidget(central);
  // Made with the window: a status bar first asked for once the window is shown
  // would stay hidden, and its warnings with it.
  statusBar()->setObjectName(QStringLiteral("statusbar"));

  margins_ = ReadPageMargins();
  RefreshClubSummary();
  ChooseTab(club_.InfoExists() ? MainTab::kMembers : MainTab::kSpecial);
  resize(1280, 800);
  // Said once the window is up: the Special page then offers the restore, and refuses a new set-up.
  if (club_.InfoDamage()) {
    QTimer::singleShot(0, this, [this] {
      if (const std::optional<std::string>& damage = club_.InfoDamage()) ui_.ShowError(*damage);
    });
  }

  // Every user operation runs inside the handling of one event of the main
  // loop; its dialogs run loops of their own inside it. When the main loop has
  // nothing left to do, the operation is over and is committed as a whole.
  PellmarkApplication::SetActionFailed(this, [this](const std::exception& error) { ActionFailed(error); });
  connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this, [this] {
    if (QThread::currentThread()->loopLevel() > 1 || closed_) return;
    try {
      books_->Commit();
    } catch (const std::exception& error) {
      books_->Abandon();
      ui_.ShowError(error.what());
    }
  });
}

void TPellmark::ActionFailed(const std::exception& error) {
  books_->Abandon();
  ui_.ShowError(error.what());
}

TPellmark::~TPellmark() {
  PellmarkApplication::ClearActionFailed(this);
  // The pages hold the books by reference and let go of them as they are
  // destroyed, so they go before the books do.
  delete takeCentralWidget();
}

void TPellmark::BuildMenus() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  choose_folder_ = [this](const std::filesystem::path& current) -> std::optional<std::filesystem::path> {
    const QString folder =
        QFileDialog::getExistingDirectory(this, tr("Open Club"), QString::fromStdString(current.string()));
    if (folder.isEmpty()) return std::nullopt;
    return folder.toStdString();
  };
  QAction* open = file->addAction(tr("&Open Club..."), this, [this] {
    if (auto chosen = choose_folder_(club_folder_)) emit clubChosen(QString::fromStdString(chosen->string()));
  });
  open->setObjectName(QStringLiteral("openclub"));
  open->setShortcut(QKeySequence::Open);
  QMenu* recent = file->addMenu(tr("&Recent Clubs"));
  recent->setObjectName(QStringLiteral("recentclubs"));
  const std::filesystem::path here = std::filesystem::absolute(club_folder_).lexically_normal();
  for (const QString& folder : RecentClubs()) {
    if (std::filesystem::path(folder.toStdString()) == here) continue;
    recent->addAction(folder, this, [this, folder] { emit clubChosen(folder); });
  }
  recent->setEnabled(!recent->isEmpty());
  choose_save_file_ = [this](const std::filesystem::path& suggested,
                             const QString& filter) -> std::optional<std::filesystem::path> {
    const QString chosen =
        QFileDialog::getSaveFileName(this, tr("Export"), QString::fromStdString(suggested.string()), filter);
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.toStdString();
  };
  QMenu* exports = file->addMenu(tr("&Export"));
  exports->setObjectName(QStringLiteral("Export1"));
  QAction* valuation_data = exports->addAction(tr("&Valuation Data"), this, &TPellmark::exportClick);
  valuation_data->setObjectName(QStringLiteral("ValuationData1"));
  QAction* mail_labels = exports->addAction(tr("&Mail labels"), this, &TPellmark::Maillabels1Click);
  mail_labels->setObjectName(QStringLiteral("Maillabels1"));
  file->addSeparator();
  QAction* exit = file->addAction(tr("E&xit"), this, &QWidget::close);
  exit->setObjectName(QStringLiteral("exit"));
  exit->setShortcut(QKeySequence::Quit);

  // Every letter of "Edit" is a mnemonic of some page already; Ctrl+Z and
  // Ctrl+Shift+Z reach its commands from the keyboard.
  QMenu* edit = menuBar()->addMenu(tr("Edit"));
  edit->setObjectName(QStringLiteral("Edit1"));
  undo_action_ = edit->addAction(tr("&Undo"), this, [this] { UndoOrRedo(true); });
  undo_action_->setObjectName(QStringLiteral("Undo1"));
  undo_action_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  redo_action_ = edit->addAction(tr("&Redo"), this, [this] { UndoOrRedo(false); });
  redo_action_->setObjectName(QStringLiteral("Redo1"));
  redo_action_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
  edit->addSeparator();
  QAction* history = edit->addAction(tr("&History..."), this, &TPellmark::ShowHistory);
  history->setObjectName(QStringLiteral("History1"));
  connect(edit, &QMenu::aboutToShow, this, &TPellmark::RefreshEditMenu);
  RefreshEditMenu();

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  QAction* index = help->addAction(tr("&Index"), this, [this] { Help().ShowTopic(HelpWindow::kIndexTopic); });
  index->setObjectName(QStringLiteral("Index1"));
  QAction* page_help = help->addAction(tr("Help on This &Page"), this, &TPellmark::OpenHelpOfShownSheet);
  page_help->setObjectName(QStringLiteral("pagehelp"));
  page_help->setShortcut(QKeySequence::HelpContents);
  help->addSeparator();
  QAction* about = help->addAction(tr("&About"), this, [this] {
    ui_.ShowInformation(ToCore(tr("Pellmark %1\nThe books of an investment club.")
                                   .arg(QApplication::applicationVersion())));
  });
  about->setObjectName(QStringLiteral("About1"));
}

void TPellmark::BuildKeyPanel() {
  key_panel_ = new QWidget(this);
  key_panel_->setObjectName(QStringLiteral("keypanel"));
  key_caption_ = new QLabel(key_panel_);
  key_caption_->setObjectName(QStringLiteral("keycaption"));
  QFont bold = key_caption_->font();
  bold.setBold(true);
  key_caption_->setFont(bold);
  Keys_ = new QListWidget(key_panel_);
  Keys_->setObjectName(QStringLiteral("Keys"));
  Keys_->setToolTip(tr("Click to Select"));
  // One line per key: the list lays out and paints without measuring every name.
  Keys_->setUniformItemSizes(true);
  Keys_->setItemDelegate(new KeyValueDelegate(Keys_));
  connect(Keys_, &QListWidget::currentRowChanged, this, &TPellmark::KeysClick);
  catbox_ = new QListWidget(key_panel_);
  catbox_->setObjectName(QStringLiteral("catbox"));
  catbox_->hide();
  key_caption_->setBuddy(Keys_);

  auto* layout = new QVBoxLayout(key_panel_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(key_caption_);
  layout->addWidget(Keys_, 1);
  layout->addWidget(catbox_, 1);
  key_panel_->setMinimumWidth(260);  // a name of 30 characters and a value beside it
}

DateEntry* TPellmark::DateGroup(const QString& edit, const QString& calendar, const QString& year_label,
                                const QString& month_label, const QString& day_spin, const QString& month_spin,
                                const QString& year_spin) {
  return new DateEntry({edit, calendar, year_label, month_label, day_spin, month_spin, year_spin}, ui_,
                       club_.Today(), this);
}

QTabWidget* TPellmark::PageGroup(const QString& name) {
  auto* group = new QTabWidget(pages_);
  group->setObjectName(name);
  group->setDocumentMode(false);
  return group;
}

QWidget* TPellmark::Sheet(QTabWidget* group, const QString& caption, const QString& help_name, int topic,
                          DateEntry* date, QWidget* content) {
  auto* sheet = new QWidget(group);
  sheet->setObjectName(group->objectName() + caption.toLower() + QStringLiteral("sheet"));
  auto* help = new QPushButton(tr("Help"), sheet);
  help->setObjectName(help_name);
  help->setProperty(kHelpTopicProperty, topic);
  connect(help, &QPushButton::clicked, this, [this, topic] { Help().ShowTopic(topic); });

  auto* header = new QHBoxLayout;
  if (date != nullptr) {
    date->setParent(sheet);
    auto* date_caption = new QLabel(tr("&Date:"), sheet);
    date_caption->setBuddy(date->Field());
    header->addWidget(date_caption);
    header->addWidget(date);
  }
  header->addStretch(1);
  header->addWidget(help);

  auto* work_area = new QFrame(sheet);
  work_area->setObjectName(sheet->objectName() + QStringLiteral("area"));
  work_area->setFrameShape(QFrame::StyledPanel);
  if (content != nullptr) {
    auto* area_layout = new QVBoxLayout(work_area);
    area_layout->setContentsMargins(0, 0, 0, 0);
    area_layout->addWidget(content);
  }

  auto* layout = new QVBoxLayout(sheet);
  layout->setContentsMargins(16, 12, 16, 16);
  layout->setSpacing(10);
  layout->addLayout(header);
  layout->addWidget(work_area, 1);
  group->addTab(sheet, caption);
  return sheet;
}

void TPellmark::BuildPages() {
  pages_ = new QStackedWidget(this);
  pages_->setObjectName(QStringLiteral("pages"));
  // A page group is built when it is first shown; until then a blank stand-in
  // keeps its place, so the window is ready as soon as its first page is.
  for (std::size_t page = 0; page < MainTabCaptions().size(); ++page) pages_->addWidget(new QWidget(pages_));
  built_pages_.assign(MainTabCaptions().size(), false);
}

void TPellmark::BuildPage(MainTab tab) {
  const auto index = static_cast<std::size_t>(tab);
  if (built_pages_[index]) return;
  built_pages_[index] = true;
  QWidget* page = nullptr;
  switch (tab) {
    case MainTab::kMembers: page = BuildMembersPage(); break;
    case MainTab::kSecurities: page = BuildSecuritiesPage(); break;
    case MainTab::kAccounts: page = BuildAccountsPage(); break;
    case MainTab::kReports: page = BuildReportsPage(); break;
    case MainTab::kSpecial: page = BuildSpecialPage(); break;
  }
  QWidget* stand_in = pages_->widget(static_cast<int>(index));
  pages_->insertWidget(static_cast<int>(index), page);
  pages_->removeWidget(stand_in);
  delete stand_in;
}

QWidget* TPellmark::BuildMembersPage() {
  QTabWidget* members = PageGroup(QStringLiteral("MembersPage"));
  DateEntry* dues_date = DateGroup(QStringLiteral("duesdate"), QStringLiteral("duescal"), QStringLiteral("yearlabel"),
                                   QStringLiteral("monthlabel"), QStringLiteral("duesdatespin"),
                                   QStringLiteral("monthspin"), QStringLiteral("yearspin"));
  members_ = new MembersPage(*books_, *dues_date, [this] { return ForceDeletes(); }, this);
  Sheet(members, tr("Dues"), QStringLiteral("helpmemdues"), 2002, dues_date, members_->DuesArea());
  Sheet(members, tr("Data"), QStringLiteral("helpmemdata"), 2006, nullptr, members_->DataArea());
  Sheet(members, tr("Special"), QStringLiteral("helpmemspec"), 2007, nullptr, members_->SpecialArea());
  connect(members_, &MembersPage::memberListChanged, this, &TPellmark::ListMembers);
  connect(members_, &MembersPage::postingDone, this, &TPellmark::RefreshClubSummary);
  // The purchase unit of the summary follows the dues date.
  connect(dues_date, &DateEntry::dateChanged, this, [this](double date) {
    books_->Figures().RefreshPurchaseUnit(date);
    RefreshClubSummary();
  });
  return members;
}

QWidget* TPellmark::BuildSecuritiesPage() {
  QTabWidget* securities = PageGroup(QStringLiteral("SecuritiesPage"));
  DateEntry* price_date =
      DateGroup(QStringLiteral("pricedate"), QStringLiteral("pricecal"), QStringLiteral("pyearlabel"),
                QStringLiteral("pmonthlabel"), QStringLiteral("pricedatespin"), QStringLiteral("pmonthspin"),
                QStringLiteral("pyearspin"));
  securities_ = new SecuritiesPage(*books_, *price_date, this);
  Sheet(securities, tr("Prices"), QStringLiteral("helpsecprice"), 2502, price_date, securities_->PricesArea());
  Sheet(securities, tr("Data"), QStringLiteral("helpsecdata"), 2503, nullptr, securities_->DataArea());
  DateEntry* divcal = DateGroup(QStringLiteral("secdate"), QStringLiteral("divcal"), QStringLiteral("dyearlabel"),
                                QStringLiteral("dmonthlabel"), QStringLiteral("secdatespin"),
                                QStringLiteral("dmonthspin"), QStringLiteral("dyearspin"));
  trades_ = new StockTransactionsSheet(*books_, *divcal, [this] { return ForceDeletes(); }, this);
  Sheet(securities, tr("Transactions"), QStringLiteral("helpsectran"), 2504, divcal, trades_->Area());
  Sheet(securities, tr("Special"), QStringLiteral("helpsecspec"), 2513, nullptr, securities_->SpecialArea());
  connect(securities_, &SecuritiesPage::securityListChanged, this, &TPellmark::ListSecurities);
  connect(securities_, &SecuritiesPage::postingDone, this, &TPellmark::RefreshClubSummary);
  connect(securities_, &SecuritiesPage::stepRequested, this, &TPellmark::StepKeys);
  // A posting moves the security's figures on the other sheets, and a sale may hide it.
  connect(trades_, &StockTransactionsSheet::postingDone, this, [this] {
    ListSecurities(FromCore(securities_->SelectedSecurity().value_or("")));
    RefreshClubSummary();
  });
  return securities;
}

QWidget* TPellmark::BuildAccountsPage() {
  accounts_page_ = PageGroup(QStringLiteral("AccountsPage"));
  DateEntry* account_date =
      DateGroup(QStringLiteral("actdate"), QStringLiteral("actcal"), QStringLiteral("ayearlabel"),
                QStringLiteral("amonthlabel"), QStringLiteral("actdatespin"), QStringLiteral("amonthspin"),
                QStringLiteral("ayearspin"));
  accounts_ = new AccountsPage(*books_, *account_date, [this] { return ForceDeletes(); }, this);
  Sheet(accounts_page_, tr("Transactions"), QStringLiteral("helpacttran"), 1002, account_date,
        accounts_->TransactionsArea());
  Sheet(accounts_page_, tr("Data"), QStringLiteral("helpactdata"), 1003, nullptr, accounts_->DataArea());
  Sheet(accounts_page_, tr("Special"), QStringLiteral("helpactspec"), 1004, nullptr, accounts_->SpecialArea());
  categories_ = new CategoriesSheet(*books_, *catbox_, *accounts_);
  categories_sheet_ =
      Sheet(accounts_page_, tr("Categories"), QStringLiteral("helpactcats"), 1005, nullptr, categories_);
  connect(accounts_page_, &QTabWidget::currentChanged, this, [this] {
    if (current_tab_ == MainTab::kAccounts) ShowKeys(tr("Accounts"), true);
  });
  connect(accounts_, &AccountsPage::accountListChanged, this, &TPellmark::ListAccounts);
  connect(accounts_, &AccountsPage::postingDone, this, &TPellmark::RefreshClubSummary);
  return accounts_page_;
}

QWidget* TPellmark::BuildReportsPage() {
  QTabWidget* reports = PageGroup(QStringLiteral("ReportsPage"));
  report_date_ = DateGroup(QStringLiteral("reportdate"), QStringLiteral("reportcal"), QStringLiteral("ryearlabel"),
                           QStringLiteral("rmonthlabel"), QStringLiteral("reportdatespin"),
                           QStringLiteral("rmonthspin"), QStringLiteral("ryearspin"));
  reports_page_ = new ReportsPage(*books_, ui_, club_.ClockRef(), *report_date_);
  reports_page_->SetHelp([this](int topic) { Help().ShowTopic(topic); });
  Sheet(reports, tr("Reports"), QStringLiteral("helprptrpt"), 3001, report_date_, reports_page_);
  Sheet(reports, tr("Charts"), QStringLiteral("helprptcharts"), 3001, nullptr, new ChartsSheet(*books_));
  connect(reports_page_, &ReportsPage::valuationDone, this, &TPellmark::RefreshClubSummary);
  connect(reports_page_, &ReportsPage::yearClosed, this, [this] {
    RefreshClubSummary();
    if (special_ != nullptr) special_->ShowClubInformation();
  });
  return reports;
}

QWidget* TPellmark::BuildSpecialPage() {
  special_ = new SpecialPage(*books_, pages_);
  connect(special_, &SpecialPage::helpRequested, this, [this](int topic) { Help().ShowTopic(topic); });
  connect(special_, &SpecialPage::clubInformationCommitted, this, &TPellmark::RefreshClubSummary);
  connect(special_, &SpecialPage::booksRepaired, this, &TPellmark::RefreshClubSummary);
  connect(special_, &SpecialPage::exportRequested, this, &TPellmark::exportClick);
  // The reports belong to the report window of the Reports page.
  connect(special_, &SpecialPage::closeYearRequested, this, [this] {
    BuildPage(MainTab::kReports);
    reports_page_->CloseYear();
  });
  connect(special_, &SpecialPage::taxReportRequested, this, [this] {
    BuildPage(MainTab::kReports);
    reports_page_->TaxReportClick();
  });
  connect(special_, &SpecialPage::clubFilesReplaced, this, [this] {
    RefreshClubSummary();
    // The lists of the pages are filled again from the replaced files.
    ChooseTab(MainTab::kSpecial);
  });
  return special_;
}

void TPellmark::exportClick() {
  const std::optional<std::filesystem::path> file =
      choose_save_file_(club_folder_ / interchange::kExportFileName, tr("Text Files (*.txt)"));
  if (file) (void)books_->Export(*file);
}

void TPellmark::Maillabels1Click() {
  const std::optional<std::filesystem::path> file =
      choose_save_file_(club_folder_ / interchange::kMailLabelFileName, tr("CSV Files (*.csv)"));
  if (file) (void)books_->ExportMailLabels(*file);
}

HelpWindow& TPellmark::Help() {
  if (help_ == nullptr) help_ = new HelpWindow(this);
  return *help_;
}

void TPellmark::OpenHelpOfShownSheet() {
  for (QPushButton* button : pages_->currentWidget()->findChildren<QPushButton*>()) {
    if (button->property(kHelpTopicProperty).isValid() && button->isVisible()) {
      button->click();
      return;
    }
  }
  Help().ShowTopic(HelpWindow::kIndexTopic);
}

// Force Deletes is off at every start, so an unbuilt Special page means off.
bool TPellmark::ForceDeletes() const { return special_ != nullptr && special_->ForceDeletes(); }

bool TPellmark::ChooseTab(MainTab tab) {
  if (!TabSet1Change(tab)) return false;
  const QSignalBlocker quiet(TabSet1_);
  TabSet1_->setCurrentIndex(static_cast<int>(tab));
  return true;
}

bool TPellmark::TabSet1Change(MainTab tab) {
  if (!MayChooseTab(club_.InfoExists(), tab, ui_)) return false;
  TViewState& view = club_.View();
  if (Keys_->count() > 0) RememberListPosition(view, current_tab_, Keys_->currentRow());
  current_tab_ = tab;
  BuildPage(tab);
  if (categories_ != nullptr) categories_->ListCategories();

  switch (tab) {
    case MainTab::kMembers:
      ListMasterKeys(club_.members.Keys(KeyListFilter(view.showhiddenmembers)), tab);
      KeysClick(Keys_->currentRow());
      ShowKeys(tr("Members"), true);
      break;
    case MainTab::kSecurities:
      ListMasterKeys(club_.securities.Keys(KeyListFilter(view.showhiddensecurities)), tab);
      KeysClick(Keys_->currentRow());
      ShowKeys(tr("Securities"), true);
      break;
    case MainTab::kAccounts:
      ListMasterKeys(club_.accounts.Keys(KeyListFilter(view.showhiddenaccounts)), tab);
      if (Keys_->currentRow() < 0) SelectDefaultAccount();
      KeysClick(Keys_->currentRow());
      ShowKeys(tr("Accounts"), true);
      break;
    case MainTab::kReports:
      ListMasterKeys(club_.members.Keys(KeyListFilter(false)), tab);
      Keys_->setSelectionMode(QAbstractItemView::ExtendedSelection);
      report_date_->setEnabled(HasActiveKey(keylist_));
      ShowKeys(tr("Members"), false);
      break;
    case MainTab::kSpecial:
      ShowKeys(QString(), false);
      special_->ShowClubInformation();
      special_->ShowOptions();
      break;
  }
  pages_->setCurrentIndex(static_cast<int>(tab));
  return true;
}

void TPellmark::ListMasterKeys(std::vector<std::string> keys, MainTab tab) {
  keylist_ = std::move(keys);
  const std::vector<std::string> names = DisplayNames(keylist_);
  // Refilled without a click per change: the callers show the chosen key once.
  const QSignalBlocker quiet(Keys_);
  Keys_->clear();
  Keys_->setSelectionMode(QAbstractItemView::SingleSelection);
  for (const std::string& name : names) Keys_->addItem(FromCore(name));
  if (auto row = RememberedListPosition(club_.View(), tab, Keys_->count())) Keys_->setCurrentRow(*row);
  ShowListedValues();
}

void TPellmark::ShowListedValues() {
  std::optional<ListedValues> values;
  if (current_tab_ == MainTab::kMembers) values = MemberValues(*books_);
  if (current_tab_ == MainTab::kSecurities) values = HoldingValues(*books_);
  for (int row = 0; row < Keys_->count() && row < static_cast<int>(keylist_.size()); ++row) {
    QString shown;
    if (values) {
      const auto value = values->find(keylist_[static_cast<std::size_t>(row)].substr(1));
      if (value != values->end()) shown = FromCore(FormatMoney(value->second));
    }
    Keys_->item(row)->setData(kKeyValueRole, shown);
  }
}

void TPellmark::SelectDefaultAccount() {
  if (auto row = RowOfAccount(club_.accounts, keylist_, club_.Info().defact)) ChooseKeyRow(*row);
}

void TPellmark::ChooseKeyRow(int row) {
  const QSignalBlocker quiet(Keys_);
  Keys_->setCurrentRow(row);
}

void TPellmark::ListNamedKeys(std::vector<std::string> keys, MainTab tab, const QString& selected) {
  ListMasterKeys(std::move(keys), tab);
  const std::string name = ToCore(selected);
  const auto listed = std::find_if(keylist_.begin(), keylist_.end(),
                                   [&](const std::string& key) { return key.size() > 1 && key.substr(1) == name; });
  if (!name.empty() && listed != keylist_.end()) {
    ChooseKeyRow(static_cast<int>(listed - keylist_.begin()));
  } else if (tab == MainTab::kAccounts) {
    SelectDefaultAccount();
  }
  KeysClick(Keys_->currentRow());
}

void TPellmark::ListAccounts(const QString& selected) {
  ListNamedKeys(club_.accounts.Keys(KeyListFilter(club_.View().showhiddenaccounts)), MainTab::kAccounts, selected);
}

void TPellmark::ListMembers(const QString& selected) {
  ListNamedKeys(club_.members.Keys(KeyListFilter(club_.View().showhiddenmembers)), MainTab::kMembers, selected);
}

void TPellmark::ListSecurities(const QString& selected) {
  ListNamedKeys(club_.securities.Keys(KeyListFilter(club_.View().showhiddensecurities)), MainTab::kSecurities,
                selected);
}

void TPellmark::StepKeys(int step) {
  const int row = Keys_->currentRow() + step;
  if (row >= 0 && row < Keys_->count()) Keys_->setCurrentRow(row);
}

void TPellmark::KeysClick(int row) {
  const bool listed = row >= 0 && row < static_cast<int>(keylist_.size());
  if (current_tab_ == MainTab::kMembers) {
    members_->ShowMember(listed ? std::optional(keylist_[static_cast<std::size_t>(row)].substr(1)) : std::nullopt);
    return;
  }
  if (current_tab_ == MainTab::kSecurities) {
    const std::optional<std::string> name =
        listed ? std::optional(keylist_[static_cast<std::size_t>(row)].substr(1)) : std::nullopt;
    securities_->ShowSecurity(name);
    trades_->ShowSecurity(name);
    return;
  }
  if (current_tab_ != MainTab::kAccounts) return;
  if (row < 0 || row >= static_cast<int>(keylist_.size())) {
    accounts_->ShowAccount(std::nullopt);
    return;
  }
  accounts_->ShowAccount(keylist_[static_cast<std::size_t>(row)].substr(1));
}

void TPellmark::ShowKeys(const QString& caption, bool shown) {
  const bool categories = current_tab_ == MainTab::kAccounts && shown && accounts_page_ != nullptr &&
                          accounts_page_->currentWidget() == categories_sheet_;
  key_caption_->setText(categories ? tr("Categories") : caption);
  Keys_->setVisible(shown && !categories);
  catbox_->setVisible(categories);
  key_panel_->setVisible(shown);
}

void TPellmark::RefreshEditMenu() {
  const JournalEntry* undo = club_.UndoCandidate();
  const bool can_undo = undo != nullptr && undo->final_reason.empty();
  undo_action_->setEnabled(can_undo);
  undo_action_->setText(can_undo ? tr("&Undo \"%1\"").arg(FromCore(OperationLabel(undo->label))) : tr("&Undo"));
  const JournalEntry* redo = club_.RedoCandidate();
  redo_action_->setEnabled(redo != nullptr);
  redo_action_->setText(redo != nullptr ? tr("&Redo \"%1\"").arg(FromCore(OperationLabel(redo->label))) : tr("&Redo"));
}

void TPellmark::UndoOrRedo(bool undo) {
  static_cast<void>(undo ? books_->Undo() : books_->Redo());
  RefreshAfterUndo();
}

void TPellmark::RefreshAfterUndo() {
  RefreshClubSummary();
  ChooseTab(club_.InfoExists() ? current_tab_ : MainTab::kSpecial);
  RefreshEditMenu();
}

void TPellmark::ShowHistory() {
  HistoryWindow history(*books_, ui_, this);
  connect(&history, &HistoryWindow::booksChanged, this, &TPellmark::RefreshAfterUndo);
  history.exec();
}

void TPellmark::RefreshClubSummary() {
  if (undo_action_ != nullptr) RefreshEditMenu();
  if (club_.InfoExists()) {
    AccountFigures accounts = TakeAccountFigures(*books_);
    // A warning stays until the next posting, which shows its own or none; a
    // refresh that moved no account (a date changed) leaves it.
    if (noted_accounts_ && AccountsMoved(*noted_accounts_, accounts)) {
      QStringList warnings;
      for (const std::string& warning : PostingWarnings(*books_, *noted_accounts_)) warnings << FromCore(warning);
      if (warnings.isEmpty()) {
        statusBar()->clearMessage();
      } else {
        statusBar()->showMessage(warnings.join(QStringLiteral("  ")));
      }
    }
    noted_accounts_ = std::move(accounts);
    ShowListedValues();
    summary_->Show(books_->Figures().Summary());
    setWindowTitle(tr("Pellmark - %1").arg(FromCore(club_.Info().club)));
  } else {
    summary_->Clear();
  }
}

void TPellmark::BringToFront() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

void TPellmark::closeEvent(QCloseEvent* event) {
  FormClose();
  if (help_ != nullptr) help_->close();
  event->accept();
}

void TPellmark::FormClose() {
  if (closed_) return;
  closed_ = true;
  if (special_ != nullptr) special_->KeepOptions();
  if (Keys_->count() > 0) RememberListPosition(club_.View(), current_tab_, Keys_->currentRow());
  try {
    club_.Close();
  } catch (const std::exception& error) {
    ui_.ShowError(error.what());
  }
}

}  // namespace pellmark::ui
