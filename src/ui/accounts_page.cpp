#include "ui/accounts_page.h"

#include <algorithm>
#include <QCheckBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QKeyEvent>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include "club/dates.h"
#include "club/number_format.h"
#include "ui/date_entry.h"
#include "ui/qt_interaction.h"

namespace pellmark::ui {
namespace {

// Items of `accountspcselect`, in the group's order.
enum Maintenance { kResetSelected = 0, kResetAll, kHide, kUnhide, kDelete };

// The narrowest column of the register at 96 pixels per inch; the description
// takes at least twice as much.
constexpr int kColumnWidth = 76;

QPushButton* Button(const QString& caption, const QString& name, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

QLabel* Figure(const QString& name, QWidget* parent) {
  auto* figure = new QLabel(parent);
  figure->setObjectName(name);
  figure->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  figure->setTextInteractionFlags(Qt::TextSelectableByMouse);
  figure->setMinimumWidth(110);
  return figure;
}

}  // namespace

AccountsPage::AccountsPage(ClubSession& club, DateEntry& actdate, std::function<bool()> force_deletes,
                           QObject* parent)
    : QObject(parent), club_(club), ledger_(club), actdate_(actdate), force_deletes_(std::move(force_deletes)) {
  transactions_area_ = BuildTransactionsArea();
  data_area_ = BuildDataArea();
  special_area_ = BuildSpecialArea();
  connect(&actdate_, &DateEntry::listRefreshDue, this, [this] {
    if (!allaccount_->isChecked()) RefreshRegister();
  });
  SetLocked(true);
  ShowAccount(std::nullopt);
}

QWidget* AccountsPage::BuildTransactionsArea() {
  auto* area = new QWidget;
  area->setObjectName(QStringLiteral("accounttransactions"));

  grid_group_ = new QGroupBox(area);
  grid_group_->setObjectName(QStringLiteral("accountgridgroup"));
  accountgrid_ = new QTableWidget(0, 5, grid_group_);
  accountgrid_->setObjectName(QStringLiteral("accountgrid"));
  accountgrid_->setHorizontalHeaderLabels(
      {tr("Date"), tr("Type"), tr("Description"), tr("Check"), tr("Amount")});
  accountgrid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  accountgrid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  accountgrid_->setSelectionMode(QAbstractItemView::SingleSelection);
  accountgrid_->verticalHeader()->hide();
  accountgrid_->setWordWrap(false);
  accountgrid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  accountgrid_->horizontalHeader()->setStretchLastSection(true);
  // Columns wide enough for their widest text: a date with its mark, the longest
  // kind label, a full description.
  const QFontMetrics metrics = accountgrid_->fontMetrics();
  const int padding = 2 * metrics.averageCharWidth() + 8;
  const int minimum = static_cast<int>(kColumnWidth * accountgrid_->logicalDpiX() / 96.0);
  accountgrid_->setColumnWidth(0, std::max(minimum, metrics.horizontalAdvance(QStringLiteral("00/00/0000  *")) + padding));
  accountgrid_->setColumnWidth(1, std::max(minimum, metrics.horizontalAdvance(QStringLiteral("Transfer Out")) + padding));
  accountgrid_->setColumnWidth(2, std::max(2 * minimum, metrics.horizontalAdvance(QString(30, QLatin1Char('n'))) + padding));
  accountgrid_->setColumnWidth(3, minimum);
  accountgrid_->verticalHeader()->setDefaultSectionSize(metrics.height() + 6);
  accountgrid_->setToolTip(tr("Double-Click or Enter to change, Delete to remove"));
  accountgrid_->installEventFilter(this);
  connect(accountgrid_, &QTableWidget::cellDoubleClicked, this, [this] { accountgridDblClick(); });

  allaccount_ = new QCheckBox(tr("&All"), grid_group_);
  allaccount_->setObjectName(QStringLiteral("allaccount"));
  allaccount_->setChecked(club_.View().allaccount);
  connect(allaccount_, &QCheckBox::clicked, this, &AccountsPage::allaccountClick);
  accountcnt_ = new QLabel(grid_group_);
  accountcnt_->setObjectName(QStringLiteral("accountcnt"));
  deleterecord_ = Button(tr("De&lete Record"), QStringLiteral("deleterecord"), grid_group_);
  connect(deleterecord_, &QPushButton::clicked, this, &AccountsPage::deleterecordClick);
  auto* grid_footer = new QHBoxLayout;
  grid_footer->addWidget(allaccount_);
  grid_footer->addWidget(new QLabel(tr("Items:"), grid_group_));
  grid_footer->addWidget(accountcnt_);
  grid_footer->addStretch(1);
  grid_footer->addWidget(deleterecord_);
  auto* grid_layout = new QVBoxLayout(grid_group_);
  grid_layout->addWidget(accountgrid_, 1);
  grid_layout->addLayout(grid_footer);

  auto* figures = new QGroupBox(tr("Account"), area);
  figures->setObjectName(QStringLiteral("accountfigures"));
  bal_ = Figure(QStringLiteral("bal"), figures);
  ostcred_ = Figure(QStringLiteral("ostcred"), figures);
  ostdeb_ = Figure(QStringLiteral("ostdeb"), figures);
  lstdate_ = Figure(QStringLiteral("lstdate"), figures);
  interesty_ = Figure(QStringLiteral("interesty"), figures);
  interest_ = Figure(QStringLiteral("interest"), figures);
  auto* figures_form = new QFormLayout(figures);
  figures_form->addRow(tr("Balance:"), bal_);
  figures_form->addRow(tr("Outstanding Credits:"), ostcred_);
  figures_form->addRow(tr("Outstanding Debits:"), ostdeb_);
  figures_form->addRow(tr("Last Transaction:"), lstdate_);
  figures_form->addRow(tr("Interest This Year:"), interesty_);
  figures_form->addRow(tr("Total Interest:"), interest_);

  const struct {
    QString caption;
    const char* name;
    EntryMode kind;
  } kinds[] = {{tr("&Check"), "actcheck", EntryMode::Check},
               {tr("De&posit"), "actdeposit", EntryMode::Deposit},
               {tr("&Withdrawal"), "actwithdrawal", EntryMode::Withdrawal},
               {tr("&Service Charge"), "actcharge", EntryMode::ServiceCharge},
               {tr("&Earned Interest"), "actinterest", EntryMode::Interest},
               {tr("&Transfer"), "acttransfer", EntryMode::Transfer}};
  auto* accountselect = new QGroupBox(tr("Transactions"), area);
  accountselect->setObjectName(QStringLiteral("accountselect"));
  auto* select_layout = new QVBoxLayout(accountselect);
  for (const auto& item : kinds) {
    QPushButton* button = Button(item.caption, QString::fromLatin1(item.name), accountselect);
    connect(button, &QPushButton::clicked, this, [this, kind = item.kind] { accountselectClick(kind); });
    select_layout->addWidget(button);
  }
  QPushButton* reconcile = Button(tr("&Reconcile"), QStringLiteral("actreconcile"), accountselect);
  connect(reconcile, &QPushButton::clicked, this, &AccountsPage::reconcileClick);
  select_layout->addWidget(reconcile);
  select_layout->addStretch(1);

  auto* side = new QVBoxLayout;
  side->addWidget(figures);
  side->addWidget(accountselect, 1);
  auto* layout = new QHBoxLayout(area);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(grid_group_, 1);
  layout->addLayout(side);
  return area;
}

QWidget* AccountsPage::BuildDataArea() {
  auto* area = new QWidget;
  area->setObjectName(QStringLiteral("accountdata"));
  area->setStyleSheet(QStringLiteral("QLineEdit[readOnly=\"true\"] { background: palette(window); }"));

  auto* fields = new QGroupBox(tr("Account Information"), area);
  fields->setObjectName(QStringLiteral("accountinfo"));
  accountname_ = new QLineEdit(fields);
  accountname_->setObjectName(QStringLiteral("accountname"));
  accountname_->setMaxLength(25);
  accountnumber_ = new QLineEdit(fields);
  accountnumber_->setObjectName(QStringLiteral("accountnumber"));
  accountnumber_->setMaxLength(24);
  initialbalance_ = new QLineEdit(fields);
  initialbalance_->setObjectName(QStringLiteral("initialbalance"));
  initialbalance_->setMaximumWidth(160);
  auto* form = new QFormLayout;
  form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
  form->addRow(tr("Account &Name:"), accountname_);
  form->addRow(tr("Account N&umber:"), accountnumber_);
  form->addRow(tr("&Initial Balance:"), initialbalance_);

  accountnew_ = Button(tr("&New Account"), QStringLiteral("accountnew"), fields);
  accountchange_ = Button(tr("C&hange Account"), QStringLiteral("accountchange"), fields);
  accountadd_ = Button(tr("C&ommit Changes/Additions"), QStringLiteral("accountadd"), fields);
  accountcancel_ = Button(tr("A&bort Changes/Additions"), QStringLiteral("accountcancel"), fields);
  connect(accountnew_, &QPushButton::clicked, this, &AccountsPage::accountnewClick);
  connect(accountchange_, &QPushButton::clicked, this, &AccountsPage::accountchangeClick);
  connect(accountadd_, &QPushButton::clicked, this, &AccountsPage::accountaddClick);
  connect(accountcancel_, &QPushButton::clicked, this, &AccountsPage::accountcancelClick);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (QPushButton* button : {accountnew_, accountchange_, accountadd_, accountcancel_}) buttons->addWidget(button);
  auto* fields_layout = new QVBoxLayout(fields);
  fields_layout->addLayout(form);
  fields_layout->addLayout(buttons);

  auto* roles = new QGroupBox(tr("Use"), area);
  roles->setObjectName(QStringLiteral("accountroles"));
  curactsel_ = new QCheckBox(tr("Default &Member Account"), roles);
  curactsel_->setObjectName(QStringLiteral("curactsel"));
  curstkactsel_ = new QCheckBox(tr("Default &Security Account"), roles);
  curstkactsel_->setObjectName(QStringLiteral("curstkactsel"));
  valusage_ = new QCheckBox(tr("Do not Include in &Valuation"), roles);
  valusage_->setObjectName(QStringLiteral("valusage"));
  connect(curactsel_, &QCheckBox::clicked, this, &AccountsPage::curactselClick);
  connect(curstkactsel_, &QCheckBox::clicked, this, &AccountsPage::curstkactselClick);
  connect(valusage_, &QCheckBox::clicked, this, &AccountsPage::valusageClick);
  auto* roles_layout = new QVBoxLayout(roles);
  for (QCheckBox* box : {curactsel_, curstkactsel_, valusage_}) roles_layout->addWidget(box);

  auto* layout = new QVBoxLayout(area);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(fields);
  layout->addWidget(roles);
  layout->addStretch(1);
  return area;
}

QWidget* AccountsPage::BuildSpecialArea() {
  auto* area = new QWidget;
  area->setObjectName(QStringLiteral("accountspecial"));
  const std::pair<QString, const char*> items[] = {{tr("&Reset Selected Account"), "actreset"},
                                                   {tr("Reset &All Accounts"), "actresetall"},
                                                   {tr("&Hide Account"), "acthide"},
                                                   {tr("&Un-Hide Account"), "actunhide"},
                                                   {tr("&Delete Account"), "actdelete"}};
  auto* group = new QGroupBox(tr("Maintenance"), area);
  group->setObjectName(QStringLiteral("accountspcselect"));
  auto* group_layout = new QVBoxLayout(group);
  for (int item = kResetSelected; item <= kDelete; ++item) {
    QPushButton* button = Button(items[item].first, QString::fromLatin1(items[item].second), group);
    connect(button, &QPushButton::clicked, this, [this, item] { accountspcselectClick(item); });
    group_layout->addWidget(button);
  }
  group_layout->addStretch(1);
  auto* layout = new QHBoxLayout(area);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(group);
  layout->addStretch(1);
  return area;
}

bool AccountsPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched != accountgrid_ || event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
  switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      accountgridDblClick();
      return true;
    case Qt::Key_Delete:
      deleterecordClick();
      return true;
    default:
      return QObject::eventFilter(watched, event);
  }
}

std::optional<std::int32_t> AccountsPage::RegisterYear() const {
  if (allaccount_->isChecked()) return std::nullopt;
  return CivilFromDayNumber(actdate_.Date()).year;
}

void AccountsPage::ShowAccount(const std::optional<std::string>& name) {
  account_ = name;
  const std::optional<TAccountRec> account = name ? ledger_.Find(*name) : std::nullopt;
  if (!account) account_.reset();
  accountname_->setText(account ? FromCore(account->name) : QString());
  accountnumber_->setText(account ? FromCore(account->number) : QString());
  initialbalance_->setText(account ? FromCore(FormatFixed(account->ibal, 2)) : QString());
  SetLocked(true);
  ShowFigures(account);
  ShowRoles(account);
  RefreshRegister();
}

void AccountsPage::ShowFigures(const std::optional<TAccountRec>& account) {
  const auto money = [&](double TAccountRec::*figure) {
    return account ? FromCore(FormatMoney((*account).*figure)) : QString();
  };
  bal_->setText(money(&TAccountRec::bal));
  ostcred_->setText(money(&TAccountRec::ostcred));
  ostdeb_->setText(money(&TAccountRec::ostdeb));
  interesty_->setText(money(&TAccountRec::interesty));
  interest_->setText(money(&TAccountRec::interest));
  lstdate_->setText(account ? FromCore(FormatDate(account->lstdate)) : QString());
}

void AccountsPage::ShowRoles(const std::optional<TAccountRec>& account) {
  curactsel_->setChecked(account && account->actid == club_.Info().defact);
  curstkactsel_->setChecked(account && account->actid == club_.Info().defstkact);
  valusage_->setChecked(account && account->ExcludedFromValuation());
  for (QCheckBox* box : {curactsel_, curstkactsel_, valusage_}) box->setEnabled(account.has_value());
}

void AccountsPage::RefreshRegister() {
  const std::optional<std::int32_t> year = RegisterYear();
  grid_group_->setTitle(year ? tr("%1 Transaction History").arg(*year) : tr("Complete Transaction History"));
  accountgrid_->setRowCount(0);
  rows_.clear();
  try {
    if (account_) rows_ = ledger_.Register(*account_, year);
    accountgrid_->setRowCount(static_cast<int>(rows_.size()));
    for (int row = 0; row < accountgrid_->rowCount(); ++row) {
      const ledger::RegisterRow& item = rows_[static_cast<std::size_t>(row)];
      const std::string* cells[] = {&item.date, &item.kind, &item.desc, &item.check, &item.amount};
      for (int column = 0; column < 5; ++column) {
        auto* cell = new QTableWidgetItem(FromCore(*cells[column]));
        if (column >= 3) cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        accountgrid_->setItem(row, column, cell);
      }
    }
  } catch (const std::exception&) {
    club_.Ui().ShowError("Account grid updating failed");
  }
  accountcnt_->setText(QString::number(accountgrid_->rowCount()));
  if (accountgrid_->rowCount() > 0) {
    accountgrid_->selectRow(accountgrid_->rowCount() - 1);
    accountgrid_->scrollToBottom();
  }
  deleterecord_->setEnabled(accountgrid_->rowCount() > 0);
  emit registerChanged();
}

std::optional<std::int32_t> AccountsPage::SelectedTranId() const {
  const int row = accountgrid_->currentRow();
  if (row < 0 || row >= static_cast<int>(rows_.size())) return std::nullopt;
  return rows_[static_cast<std::size_t>(row)].record.tranid;
}

void AccountsPage::AfterPosting() {
  ShowAccount(account_);
  emit postingDone();
}

void AccountsPage::accountselectClick(EntryMode kind) {
  if (!account_) return;
  if (ledger_.EnterTransaction(*account_, kind, actdate_.Date())) AfterPosting();
}

void AccountsPage::reconcileClick() {
  if (!account_) return;
  if (ledger_.Reconcile(*account_)) AfterPosting();
}

void AccountsPage::accountgridDblClick() {
  const std::optional<std::int32_t> tranid = SelectedTranId();
  if (!account_ || !tranid) return;
  const int row = accountgrid_->currentRow();
  if (!ledger_.ChangeTransaction(*account_, *tranid)) return;
  AfterPosting();
  if (row < accountgrid_->rowCount()) accountgrid_->selectRow(row);
}

void AccountsPage::deleterecordClick() {
  const std::optional<std::int32_t> tranid = SelectedTranId();
  if (!account_ || !tranid) return;
  if (ledger_.DeleteTransaction(*account_, *tranid, force_deletes_())) AfterPosting();
}

void AccountsPage::accountspcselectClick(int item) {
  if (!account_) return;
  const std::string name = *account_;
  switch (item) {
    case kResetSelected:
      if (ledger_.ResetAccount(name, /*announce=*/true)) AfterPosting();
      break;
    case kResetAll:
      ledger_.ResetAllAccounts();
      AfterPosting();
      break;
    case kHide:
      if (ledger_.Hide(name)) emit accountListChanged(FromCore(name));
      break;
    case kUnhide:
      if (ledger_.Unhide(name)) emit accountListChanged(FromCore(name));
      break;
    case kDelete:
      if (ledger_.Delete(name)) {
        emit accountListChanged(QString());
        emit postingDone();
      }
      break;
  }
}

void AccountsPage::allaccountClick() {
  club_.View().allaccount = allaccount_->isChecked();
  RefreshRegister();
}

void AccountsPage::curactselClick(bool checked) {
  if (account_) ledger_.SetDefaultMember(*account_, checked);
  ShowRoles(account_ ? ledger_.Find(*account_) : std::nullopt);
}

void AccountsPage::curstkactselClick(bool checked) {
  if (account_) ledger_.SetDefaultSecurity(*account_, checked);
  ShowRoles(account_ ? ledger_.Find(*account_) : std::nullopt);
}

void AccountsPage::valusageClick(bool checked) {
  if (!account_) return;
  ledger_.SetExcludedFromValuation(*account_, checked);
  ShowRoles(ledger_.Find(*account_));
  emit postingDone();
}

void AccountsPage::SetLocked(bool locked) {
  locked_ = locked;
  for (QLineEdit* field : {accountname_, accountnumber_, initialbalance_}) {
    field->setReadOnly(locked);
    field->style()->unpolish(field);
    field->style()->polish(field);
  }
  accountnew_->setEnabled(locked);
  accountchange_->setEnabled(locked && account_.has_value());
  accountadd_->setEnabled(!locked);
  accountcancel_->setEnabled(!locked);
}

void AccountsPage::accountnewClick() {
  adding_ = true;
  accountname_->setText(QString::fromLatin1(ledger::kAccountPrompt));
  accountnumber_->clear();
  initialbalance_->setText(QStringLiteral("0.00"));
  SetLocked(false);
  accountname_->setFocus();
  accountname_->selectAll();
}

void AccountsPage::accountchangeClick() {
  if (!account_) return;
  adding_ = false;
  SetLocked(false);
  accountname_->setFocus();
}

void AccountsPage::accountaddClick() {
  const ledger::AccountFields fields{ToCore(accountname_->text()), ToCore(accountnumber_->text()),
                                     ToCore(initialbalance_->text())};
  const std::optional<std::string> existing = adding_ ? std::nullopt : account_;
  if (!ledger_.CommitAccount(existing, fields)) return;
  SetLocked(true);
  emit accountListChanged(accountname_->text());
  emit postingDone();
}

void AccountsPage::accountcancelClick() {
  ShowAccount(account_);
  accountnew_->setFocus();
}

}  // namespace pellmark::ui
