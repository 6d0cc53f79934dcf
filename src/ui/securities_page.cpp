#include "ui/securities_page.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "club/dates.h"
#include "club/failure_log.h"
#include "club/number_format.h"
#include "books/price_text.h"
#include "books/security_form.h"
#include "forms/summary_text.h"
#include "securities/security_summary.h"
#include "ui/command_group.h"
#include "ui/date_entry.h"
#include "ui/history_grid.h"
#include "ui/gauge_interaction.h"
#include "ui/named_widgets.h"
#include "ui/qt_interaction.h"
#include "ui/quote_service_setting.h"
#include "ui/tinternet_form.h"

namespace pellmark::ui {
namespace {

std::optional<std::filesystem::path> ChooseImportFile(const std::filesystem::path& folder) {
  const QString file = QFileDialog::getOpenFileName(nullptr, QObject::tr("Open"), QString::fromStdString(folder.string()),
                                                    QObject::tr("Text Files (*.TXT *.txt);;All Files (*)"));
  if (file.isEmpty()) return std::nullopt;
  return std::filesystem::path(file.toStdString());
}

// The connection dialog of the quote run as the page's runner shows it.
class RunnerDialog : public ConnectionDialog {
 public:
  explicit RunnerDialog(const SecuritiesPage::ConnectionRunner& run) : run_(run) {}
  void Run(InternetForm& form) override { run_(form); }

 private:
  const SecuritiesPage::ConnectionRunner& run_;
};

}  // namespace

SecuritiesPage::SecuritiesPage(Books& books, DateEntry& pricedate, QObject* parent)
    : QObject(parent),
      books_(books),
      club_(books.Club()),
      securities_(books.Securities()),
      prices_(books.Prices()),
      pricedate_(pricedate),
      choose_file_(ChooseImportFile) {
  run_connection_ = [this](InternetForm& form) {
    TInternetform dialog(prices_area_->window());
    dialog.Run(form);
  };
  prices_area_ = BuildPricesArea();
  data_area_ = BuildDataArea();
  special_area_ = BuildSpecialArea();
  connect(&pricedate_, &DateEntry::listRefreshDue, this, [this] {
    if (!price_grid_->ShowsAll()) RefreshGrid();
  });
  ShowSecurity(std::nullopt);
  ShowQuoteGauge(0);
}

QLabel* SecuritiesPage::HiddenLabel(QWidget* parent, const char* name) {
  QLabel* label = Named(new QLabel(tr("~ Indicates Hidden Security"), parent), name);
  hidden_labels_.push_back(label);
  return label;
}

QWidget* SecuritiesPage::BuildPricesArea() {
  auto* area = new QWidget;
  area->setObjectName(QStringLiteral("securityprices"));

  summary_ = new QGroupBox(tr("Summary"), area);
  summary_->setObjectName(QStringLiteral("securitysummary"));
  pricec_ = Figure(QStringLiteral("pricec"), summary_);
  sharest_ = Figure(QStringLiteral("sharest"), summary_);
  tspent_ = Figure(QStringLiteral("tspent"), summary_);
  value_ = Figure(QStringLiteral("secvalue"), summary_);
  dividendy_ = Figure(QStringLiteral("dividendy"), summary_);
  dividendt_ = Figure(QStringLiteral("dividendt"), summary_);
  auto* summary_form = new QFormLayout(summary_);
  summary_form->addRow(tr("Current Price"), pricec_);
  summary_form->addRow(tr("Total Shares"), sharest_);
  summary_form->addRow(tr("Cost"), tspent_);
  summary_form->addRow(tr("Value"), value_);
  summary_form->addRow(tr("Dividends This Year"), dividendy_);
  summary_form->addRow(tr("Total Dividends"), dividendt_);

  price_grid_ = new HistoryGrid({tr("Date"), tr("Price")}, 1,
                                {"pricegridgroup", "pricegrid", "allprice", "pricecnt", "deleteprice"}, area);
  price_grid_->Table()->setToolTip(tr("Double-Click to change"));
  const QFontMetrics metrics = price_grid_->Table()->fontMetrics();
  for (int column = 0; column < 2; ++column) {
    price_grid_->Table()->setColumnWidth(
        column, metrics.horizontalAdvance(QStringLiteral("00/00/0000")) + 4 * metrics.averageCharWidth());
  }
  price_grid_->SetShowsAll(club_.View().allprice);
  connect(price_grid_, &HistoryGrid::changeRequested, this, &SecuritiesPage::pricegridDblClick);
  connect(price_grid_, &HistoryGrid::deleteRequested, this, &SecuritiesPage::deletepriceClick);
  connect(price_grid_, &HistoryGrid::showAllClicked, this, &SecuritiesPage::allpriceClick);

  priceselect_ = new CommandGroup(tr("Prices"), QStringLiteral("priceselect"), area);
  connect(priceselect_->Add(tr("&Prices - All"), QStringLiteral("pricesall")), &QPushButton::clicked, this,
          [this] { priceselectClick(ledger::PriceSelect::All); });
  connect(priceselect_->Add(tr("Prices - &Selected"), QStringLiteral("pricesselected")), &QPushButton::clicked,
          this, [this] { priceselectClick(ledger::PriceSelect::Selected); });
  QPushButton* import = Button(tr("&Import"), QStringLiteral("importprice"), area);
  import->setToolTip(tr("Prices from File"));
  connect(import, &QPushButton::clicked, this, &SecuritiesPage::importpriceClick);
  onlinequote_ = Button(tr("&Online"), QStringLiteral("onlinequote"), area);
  onlinequote_->setToolTip(tr("Prices from Internet"));
  connect(onlinequote_, &QPushButton::clicked, this, &SecuritiesPage::onlinequoteClick);
  processlabel_ = Named(new QLabel(tr("Processing"), area), "processlabel");
  quoteslabel_ = Named(new QLabel(tr("Quotes"), area), "quoteslabel");
  quotegauge_ = Named(new QProgressBar(area), "quotegauge");
  quotegauge_->setRange(0, 100);

  auto* left = new QVBoxLayout;
  left->addWidget(summary_);
  left->addWidget(HiddenLabel(area, "pricehiddenlabel"));
  left->addStretch(1);
  auto* side = new QVBoxLayout;
  side->addWidget(priceselect_);
  side->addWidget(import);
  side->addWidget(onlinequote_);
  side->addWidget(processlabel_);
  side->addWidget(quoteslabel_);
  side->addWidget(quotegauge_);
  side->addStretch(1);
  auto* layout = new QHBoxLayout(area);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addLayout(left);
  layout->addWidget(price_grid_, 1);
  layout->addLayout(side);
  return area;
}

QWidget* SecuritiesPage::BuildDataArea() {
  auto* area = new QWidget;
  area->setObjectName(QStringLiteral("securitydata"));

  auto* fields = new QGroupBox(tr("Security Information"), area);
  fields->setObjectName(QStringLiteral("securityinfo"));
  StockName_ = Field(QStringLiteral("StockName"), static_cast<int>(ledger::kSecurityNameWidth), fields);
  Symbol_ = Field(QStringLiteral("Symbol"), static_cast<int>(ledger::kSymbolWidth), fields);
  Symbol_->setMaximumWidth(160);
  auto* form = new QFormLayout;
  form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
  form->addRow(tr("Security Na&me:"), StockName_);
  form->addRow(tr("S&ymbol:"), Symbol_);

  form_buttons_ = RecordFormButtons::Create(fields, {tr("&New Security"), QStringLiteral("securitynew")},
                                            {tr("&Change Security"), QStringLiteral("securitychange")},
                                            QStringLiteral("securityadd"), QStringLiteral("securitycancel"));
  form_buttons_.ConnectTo(this, &SecuritiesPage::securitynewClick, &SecuritiesPage::securitychangeClick,
                          &SecuritiesPage::securityaddClick, &SecuritiesPage::securitycancelClick);
  QPushButton* up = Button(tr("&Previous"), QStringLiteral("securityup"), fields);
  QPushButton* down = Button(tr("Ne&xt"), QStringLiteral("securitydown"), fields);
  connect(up, &QPushButton::clicked, this, [this] { emit stepRequested(-1); });
  connect(down, &QPushButton::clicked, this, [this] { emit stepRequested(+1); });
  auto* fields_layout = new QVBoxLayout(fields);
  fields_layout->addLayout(form);
  fields_layout->addLayout(ButtonRow({up, down}));
  fields_layout->addLayout(form_buttons_.Row());

  mini_group_ = new QGroupBox(tr("Mini-Summary"), area);
  mini_group_->setObjectName(QStringLiteral("secminisummarygroup"));
  secminisummary_ = Named(new QLabel(mini_group_), "secminisummary");
  auto* mini_layout = new QVBoxLayout(mini_group_);
  mini_layout->addWidget(secminisummary_);

  auto* layout = new QVBoxLayout(area);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(fields);
  layout->addWidget(mini_group_);
  layout->addWidget(HiddenLabel(area, "datahiddenlabel"));
  layout->addStretch(1);
  return area;
}

QWidget* SecuritiesPage::BuildSpecialArea() {
  auto* area = new QWidget;
  area->setObjectName(QStringLiteral("securityspecial"));
  const struct {
    QString caption;
    const char* name;
    ledger::SecuritySpecial choice;
  } items[] = {{tr("&Reset Selected Security"), "secreset", ledger::SecuritySpecial::ResetSelected},
               {tr("Reset &All Securities"), "secresetall", ledger::SecuritySpecial::ResetAll},
               {tr("Hi&de Security"), "sechide", ledger::SecuritySpecial::Hide},
               {tr("&Un-Hide Security"), "secunhide", ledger::SecuritySpecial::Unhide},
               {tr("Dele&te Security"), "secdelete", ledger::SecuritySpecial::Delete}};
  secspecialselect_ = new CommandGroup(tr("Maintenance"), QStringLiteral("secspecialselect"), area);
  for (const auto& item : items) {
    QPushButton* button = secspecialselect_->Add(item.caption, QString::fromLatin1(item.name));
    connect(button, &QPushButton::clicked, this, [this, choice = item.choice] { secspecialselectClick(choice); });
  }
  auto* reset_dividends = new QPushButton(tr("Reset Di&vidends"), area);
  reset_dividends->setObjectName(QStringLiteral("SpeedButton1"));
  connect(reset_dividends, &QPushButton::clicked, this, &SecuritiesPage::SpeedButton1Click);
  auto* column = new QVBoxLayout;
  column->addWidget(secspecialselect_);
  column->addWidget(reset_dividends);
  column->addWidget(HiddenLabel(area, "specialhiddenlabel"));
  column->addStretch(1);
  auto* layout = new QHBoxLayout(area);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addLayout(column);
  layout->addStretch(1);
  return area;
}

std::optional<std::int32_t> SecuritiesPage::GridYear() const {
  if (price_grid_->ShowsAll()) return std::nullopt;
  return CivilFromDayNumber(pricedate_.Date()).year;
}

void SecuritiesPage::ShowSecurity(const std::optional<std::string>& name) {
  security_ = name;
  const std::optional<TSecurityRec> security = name ? securities_.Find(*name) : std::nullopt;
  if (!security) security_.reset();
  StockName_->setText(security ? FromCore(security->name) : QString());
  Symbol_->setText(security ? FromCore(security->symbol) : QString());
  SetLocked(true);
  ShowSummary(security);
  ShowHiddenLabels();
  RefreshGrid();
  // Prices - All needs no selection; the other commands act on the security shown.
  priceselect_->Buttons()[1]->setEnabled(security.has_value());
  for (QPushButton* button : secspecialselect_->Buttons()) button->setEnabled(security.has_value());
  secspecialselect_->Buttons()[1]->setEnabled(true);
}

void SecuritiesPage::ShowSummary(const std::optional<TSecurityRec>& security) {
  const ledger::SecuritySummary summary = security ? ledger::SummarizeSecurity(*security) : ledger::SecuritySummary{};
  const auto money = [&](double figure) { return security ? FromCore(FormatMoney(figure)) : QString(); };
  summary_->setTitle(security ? FromCore(SummaryCaption(summary.performance)) : tr("Summary"));
  pricec_->setText(security ? QStringLiteral("$") + FromCore(ledger::FormatPrice(summary.price)) : QString());
  sharest_->setText(security ? FromCore(FormatFixed(summary.shares, 3)) : QString());
  tspent_->setText(money(summary.cost));
  value_->setText(money(summary.value));
  dividendy_->setText(money(summary.dividends_year));
  dividendt_->setText(money(summary.dividends_total));
  secminisummary_->setText(security ? FromCore(PerformanceText(summary.performance)) : QString());
}

void SecuritiesPage::ShowHiddenLabels() {
  const bool listed = club_.View().showhiddensecurities && club_.Info().hidstks > 0;
  for (QLabel* label : hidden_labels_) label->setVisible(listed);
}

void SecuritiesPage::RefreshGrid() {
  const std::optional<std::int32_t> year = GridYear();
  price_grid_->setTitle(year ? tr("%1 Price History").arg(*year) : tr("Complete Price History"));
  rows_.clear();
  try {
    if (security_) rows_ = prices_.PriceRows(*security_, year);
  } catch (const std::exception& error) {
    LogFailure("Price grid updating failed", error);
    club_.Ui().ShowError("Price grid updating failed");
  }
  QList<QStringList> cells;
  for (const ledger::PriceRow& row : rows_) {
    const PriceRowText text = PriceRowTexts(row);
    cells.append({FromCore(text.date), FromCore(text.price)});
  }
  price_grid_->ShowRows(cells);
}

std::optional<std::int32_t> SecuritiesPage::SelectedPriceId() const {
  const int row = price_grid_->Table()->currentRow();
  if (row < 0 || row >= static_cast<int>(rows_.size())) return std::nullopt;
  return rows_[static_cast<std::size_t>(row)].record.tranid;
}

void SecuritiesPage::AfterPrices() {
  ShowSecurity(security_);
  emit postingDone();
}

void SecuritiesPage::priceselectClick(ledger::PriceSelect choice) {
  if (choice == ledger::PriceSelect::Selected && !security_) return;
  const Outcome outcome = books_.Perform([&] {
    return prices_.PriceSelectClick(choice, security_.value_or(std::string()), pricedate_.Date());
  });
  // The walk may have stored prices before an Abort; the screen shows them either way.
  static_cast<void>(outcome);
  AfterPrices();
}

void SecuritiesPage::pricegridDblClick() {
  const std::optional<std::int32_t> tranid = SelectedPriceId();
  if (!security_ || !tranid) return;
  QTableWidget* grid = price_grid_->Table();
  const int row = grid->currentRow();
  if (!books_.Perform([&] { return prices_.ChangePrice(*security_, *tranid); })) return;
  AfterPrices();
  if (row < grid->rowCount()) grid->selectRow(row);
}

void SecuritiesPage::deletepriceClick() {
  const std::optional<std::int32_t> tranid = SelectedPriceId();
  if (!security_ || !tranid) return;
  if (books_.Perform([&] { return prices_.DeletePrice(*security_, *tranid); })) AfterPrices();
}

void SecuritiesPage::importpriceClick() {
  if (!books_.Perform([&] { return prices_.AskBeforePriceUpdate(); })) return;
  const std::optional<std::filesystem::path> file = choose_file_(club_.Folder());
  if (!file) return;
  static_cast<void>(books_.Perform([&] { return prices_.ImportPrices(*file); }));
  AfterPrices();
}

void SecuritiesPage::SpeedButton1Click() {
  if (books_.Perform([&] { return books_.Changes().ResetDividends(); })) emit postingDone();
}

void SecuritiesPage::secspecialselectClick(ledger::SecuritySpecial choice) {
  if (!security_ && choice != ledger::SecuritySpecial::ResetAll) return;
  const std::string name = security_.value_or(std::string());
  if (!books_.Perform([&] { return securities_.Special(choice, name); })) return;
  switch (choice) {
    case ledger::SecuritySpecial::ResetSelected:
    case ledger::SecuritySpecial::ResetAll:
      AfterPrices();
      break;
    case ledger::SecuritySpecial::Hide:
    case ledger::SecuritySpecial::Unhide:
      emit securityListChanged(FromCore(name));
      emit postingDone();
      break;
    case ledger::SecuritySpecial::Delete:
      emit securityListChanged(QString());
      emit postingDone();
      break;
  }
}

void SecuritiesPage::allpriceClick() {
  club_.View().allprice = price_grid_->ShowsAll();
  RefreshGrid();
}

void SecuritiesPage::SetLocked(bool locked) {
  LockFields({StockName_, Symbol_}, locked);
  form_buttons_.ShowLocked(locked, security_.has_value());
}

void SecuritiesPage::securitynewClick() {
  adding_ = true;
  StockName_->setText(QString::fromLatin1(kSecurityNamePrompt));
  Symbol_->setText(QString::fromLatin1(kSymbolPrompt));
  ShowSummary(std::nullopt);
  price_grid_->ShowRows({});
  SetLocked(false);
  StockName_->setFocus();
  StockName_->selectAll();
}

void SecuritiesPage::securitychangeClick() {
  if (!security_) return;
  adding_ = false;
  SetLocked(false);
  StockName_->setFocus();
}

void SecuritiesPage::securityaddClick() {
  const SecurityFields fields{ToCore(StockName_->text()), ToCore(Symbol_->text())};
  const std::optional<std::string> existing = adding_ ? std::nullopt : security_;
  if (!books_.Perform([&] { return CommitSecurity(securities_, existing, fields); })) return;
  SetLocked(true);
  emit securityListChanged(StockName_->text());
}

void SecuritiesPage::securitycancelClick() {
  ShowSecurity(security_);
  form_buttons_.add_new->setFocus();
}

void SecuritiesPage::onlinequoteClick() {
  GaugeInteraction ui(club_.Ui(), [this](int percent) { ShowQuoteGauge(percent); });
  RunnerDialog dialog(run_connection_);
  onlinequote_->setEnabled(false);
  // Prices entered before an unreadable line stay, so the screen shows them whatever the outcome.
  static_cast<void>(books_.FetchQuotes(QuoteServiceSetting(), dialog, &ui));
  ShowQuoteGauge(0);
  onlinequote_->setEnabled(true);
  AfterPrices();
}

void SecuritiesPage::ShowQuoteGauge(int percent) {
  for (QWidget* widget : {static_cast<QWidget*>(processlabel_), static_cast<QWidget*>(quoteslabel_),
                          static_cast<QWidget*>(quotegauge_)}) {
    widget->setVisible(percent > 0);
  }
  quotegauge_->setValue(percent);
}

}  // namespace pellmark::ui
