#include "ui/accounts_page.h"

#include <algorithm>
#include <map>
#include <QCheckBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "club/dates.h"
#include "club/failure_log.h"
#include "club/number_format.h"
#include "club/record_kinds.h"
#include "books/account_form.h"
#include "books/register_text.h"
#include "ui/command_group.h"
#include "ui/date_entry.h"
#include "ui/history_grid.h"
#include "ui/named_widgets.h"
#include "ui/qt_interaction.h"

namespace pellmark::ui {
namespace {

// Items of `accountspcselect`, in the group's order.
enum Maintenance { kResetSelected = 0, kResetAll, kHide, kUnhide, kDelete };

// The narrowest column of the register at 96 pixels per inch; the description
// takes at least twice as much.
constexpr int kColumnWidth = 76;

// What the transaction does to the balance: debits (checks, withdrawals,
// charges, transfers out) take it away.
double SignedAmount(const TAccountTranRec& tran) { return IsDebit(KindOf(tran)) ? -tran.amount : tran.amount; }

}  // namespace

AccountsPage::AccountsPage(Books& books, DateEntry& actdate, std::function<bool()> force_deletes,
                           QObject* parent)
    : QObject(parent), books_(books), club_(books.Club()), ledger_(books.Accounts()), actdate_(actdate), force_deletes_(std::move(force_deletes)) {
  transactions_area_ = BuildTransactionsArea();
  data_area_ = BuildDataArea();
  special_area_ = BuildSpecialArea();
  connect(&actdate_, &DateEntry::listRefreshDue, this, [this] {
    if (!register_->ShowsAll()) RefreshRegister();
  });
  SetLocked(true);
  ShowAccount(std::nullopt);
}

QWidget* AccountsPage::BuildTransactionsArea() {
  auto* area = new QWidget;
  area->setObjectName(QStringLiteral("accounttransactions"));

  register_ = new HistoryGrid({tr("Date"), tr("Type"), tr("Description"), tr("Check"), tr("Amount"), tr("Balance")}, 3,
                              {"accountgridgroup", "accountgrid", "allaccount", "accountcnt", "deleterecord"}, area);
  QTableWidget* grid = register_->Table();
  grid->setWordWrap(false);
  // Columns wide enough for their widest text: a date with its mark, the longest
  // kind label; twenty characters of description keep the Balance column in view
  // (the column is widened by hand for longer ones).
  const QFontMetrics metrics = grid->fontMetrics();
  const int padding = 2 * metrics.averageCharWidth() + 8;
  const int minimum = static_cast<int>(kColumnWidth * grid->logicalDpiX() / 96.0);
  grid->setColumnWidth(0, std::max(minimum, metrics.horizontalAdvance(QStringLiteral("00/00/0000  *")) + padding));
  const QString widest_kind = FromCore(AccountKindLabel(AccountTranKind::TransferOut));
  grid->setColumnWidth(1, std::max(minimum, metrics.horizontalAdvance(widest_kind) + padding));
  grid->setColumnWidth(2, std::max(2 * minimum, metrics.horizontalAdvance(QString(20, QLatin1Char('n'))) + padding));
  grid->setColumnWidth(3, minimum);
  register_->SetShowsAll(club_.View().allaccount);
  connect(register_, &HistoryGrid::changeRequested, this, &AccountsPage::accountgridDblClick);
  connect(register_, &HistoryGrid::deleteRequested, this, &AccountsPage::deleterecordClick);
  connect(register_, &HistoryGrid::showAllClicked, this, &AccountsPage::allaccountClick);

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
  auto* accountselect = new CommandGroup(tr("Transactions"), QStringLiteral("accountselect"), area);
  for (const auto& item : kinds) {
    QPushButton* button = accountselect->Add(item.caption, QString::fromLatin1(item.name));
    connect(button, &QPushButton::clicked, this, [this, kind = item.kind] { accountselectClick(kind); });
  }
  connect(accountselect->Add(tr("&Reconcile"), QStringLiteral("actreconcile")), &QPushButton::clicked, this,
          &AccountsPage::reconcileClick);

  auto* side = new QVBoxLayout;
  side->addWidget(figures);
  side->addWidget(accountselect, 1);
  auto* layout = new QHBoxLayout(area);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(register_, 1);
  layout->addLayout(side);
  return area;
}

QWidget* AccountsPage::BuildDataArea() {
  auto* area = new QWidget;
  area->setObjectName(QStringLiteral("accountdata"));

  auto* fields = new QGroupBox(tr("Account Information"), area);
  fields->setObjectName(QStringLiteral("accountinfo"));
  accountname_ = Field(QStringLiteral("accountname"), 25, fields);
  accountnumber_ = Field(QStringLiteral("accountnumber"), 24, fields);
  initialbalance_ = new QLineEdit(fields);
  initialbalance_->setObjectName(QStringLiteral("initialbalance"));
  initialbalance_->setMaximumWidth(160);
  auto* form = new QFormLayout;
  form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
  form->addRow(tr("Account &Name:"), accountname_);
  form->addRow(tr("Account N&umber:"), accountnumber_);
  form->addRow(tr("&Initial Balance:"), initialbalance_);

  form_buttons_ = RecordFormButtons::Create(fields, {tr("&New Account"), QStringLiteral("accountnew")},
                                            {tr("C&hange Account"), QStringLiteral("accountchange")},
                                            QStringLiteral("accountadd"), QStringLiteral("accountcancel"));
  form_buttons_.ConnectTo(this, &AccountsPage::accountnewClick, &AccountsPage::accountchangeClick,
                          &AccountsPage::accountaddClick, &AccountsPage::accountcancelClick);
  auto* fields_layout = new QVBoxLayout(fields);
  fields_layout->addLayout(form);
  fields_layout->addLayout(form_buttons_.Row());

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
  auto* group = new CommandGroup(tr("Maintenance"), QStringLiteral("accountspcselect"), area);
  for (int item = kResetSelected; item <= kDelete; ++item) {
    QPushButton* button = group->Add(items[item].first, QString::fromLatin1(items[item].second));
    connect(button, &QPushButton::clicked, this, [this, item] { accountspcselectClick(item); });
  }
  auto* layout = new QHBoxLayout(area);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(group);
  layout->addStretch(1);
  return area;
}

std::optional<std::int32_t> AccountsPage::RegisterYear() const {
  if (register_->ShowsAll()) return std::nullopt;
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

QString AccountsPage::RegisterCaption() const {
  const std::optional<std::int32_t> year = RegisterYear();
  return year ? tr("%1 Transaction History").arg(*year) : tr("Complete Transaction History");
}

void AccountsPage::RefreshRegister() {
  register_->setTitle(RegisterCaption());
  rows_.clear();
  try {
    if (account_) rows_ = ledger_.Register(*account_, RegisterYear());
  } catch (const std::exception& error) {
    LogFailure("Account grid updating failed", error);
    club_.Ui().ShowError("Account grid updating failed");
  }
  // The running balance counts from the opening balance through every year, as a bank statement does.
  std::map<std::int32_t, double> balances;
  try {
    if (account_) {
      const std::optional<TAccountRec> account = ledger_.Find(*account_);
      double balance = account ? account->ibal : 0;
      for (const ledger::RegisterRow& row : RegisterYear() ? ledger_.Register(*account_, std::nullopt) : rows_) {
        balance += SignedAmount(row.record);
        balances[row.record.tranid] = balance;
      }
    }
  } catch (const std::exception& error) {
    LogFailure("Account grid updating failed", error);
  }
  QList<QStringList> cells;
  for (const ledger::RegisterRow& row : rows_) {
    const auto balance = balances.find(row.record.tranid);
    const RegisterRowText text = RegisterRowTexts(row);
    cells.append({FromCore(text.date), FromCore(text.kind), FromCore(text.desc), FromCore(text.check),
                  FromCore(FormatMoney(SignedAmount(row.record))),
                  balance == balances.end() ? QString() : FromCore(FormatMoney(balance->second))});
  }
  register_->ShowRows(cells);
  for (int r = 0; r < register_->Table()->rowCount(); ++r) {
    QTableWidgetItem* date = register_->Table()->item(r, 0);
    if (date != nullptr && date->text().endsWith(QLatin1Char('*'))) date->setToolTip(tr("Not cleared"));
  }
  emit registerChanged();
}

std::optional<std::int32_t> AccountsPage::SelectedTranId() const {
  const int row = register_->Table()->currentRow();
  if (row < 0 || row >= static_cast<int>(rows_.size())) return std::nullopt;
  return rows_[static_cast<std::size_t>(row)].record.tranid;
}

void AccountsPage::AfterPosting() {
  ShowAccount(account_);
  emit postingDone();
}

void AccountsPage::accountselectClick(EntryMode kind) {
  if (!account_) return;
  if (books_.Perform([&] { return ledger_.EnterTransaction(*account_, kind, actdate_.Date()); })) {
    AfterPosting();
  }
}

void AccountsPage::reconcileClick() {
  if (!account_) return;
  if (ledger_.Reconcile(*account_)) AfterPosting();
}

void AccountsPage::accountgridDblClick() {
  const std::optional<std::int32_t> tranid = SelectedTranId();
  if (!account_ || !tranid) return;
  QTableWidget* grid = register_->Table();
  const int row = grid->currentRow();
  if (!books_.Perform([&] { return ledger_.ChangeTransaction(*account_, *tranid); })) return;
  AfterPosting();
  if (row < grid->rowCount()) grid->selectRow(row);
}

void AccountsPage::deleterecordClick() {
  const std::optional<std::int32_t> tranid = SelectedTranId();
  if (!account_ || !tranid) return;
  if (books_.Perform([&] { return ledger_.DeleteTransaction(*account_, *tranid, force_deletes_()); })) {
    AfterPosting();
  }
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
  club_.View().allaccount = register_->ShowsAll();
  RefreshRegister();
}

void AccountsPage::curactselClick(bool checked) {
  // A refusal has been shown; the box shows the stored role again either way.
  if (account_) static_cast<void>(ledger_.SetDefaultMember(*account_, checked));
  ShowRoles(account_ ? ledger_.Find(*account_) : std::nullopt);
}

void AccountsPage::curstkactselClick(bool checked) {
  if (account_) static_cast<void>(ledger_.SetDefaultSecurity(*account_, checked));
  ShowRoles(account_ ? ledger_.Find(*account_) : std::nullopt);
}

void AccountsPage::valusageClick(bool checked) {
  if (!account_) return;
  if (!ledger_.SetExcludedFromValuation(*account_, checked)) return;
  ShowRoles(ledger_.Find(*account_));
  emit postingDone();
}

void AccountsPage::SetLocked(bool locked) {
  locked_ = locked;
  LockFields({accountname_, accountnumber_, initialbalance_}, locked);
  form_buttons_.ShowLocked(locked, account_.has_value());
}

void AccountsPage::accountnewClick() {
  adding_ = true;
  accountname_->setText(QString::fromLatin1(kAccountPrompt));
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
  const AccountFields fields{ToCore(accountname_->text()), ToCore(accountnumber_->text()),
                             ToCore(initialbalance_->text())};
  const std::optional<std::string> existing = adding_ ? std::nullopt : account_;
  if (!CommitAccount(club_, ledger_, existing, fields)) return;
  SetLocked(true);
  emit accountListChanged(accountname_->text());
  emit postingDone();
}

void AccountsPage::accountcancelClick() {
  ShowAccount(account_);
  form_buttons_.add_new->setFocus();
}

}  // namespace pellmark::ui
