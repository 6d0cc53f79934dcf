#include "ui/members_page.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "club/dates.h"
#include "club/failure_log.h"
#include "club/number_format.h"
#include "books/dues_text.h"
#include "forms/summary_text.h"
#include "ui/command_group.h"
#include "ui/date_entry.h"
#include "ui/history_grid.h"
#include "ui/gauge_interaction.h"
#include "ui/named_widgets.h"
#include "ui/qt_interaction.h"

namespace pellmark::ui {
namespace {

// Items of `memspecialselect`, in the group's order.
enum Maintenance { kResetSelected = 0, kResetAll, kHide, kUnhide, kDelete, kRecalculateAll };

// Column width of the dues grid at 96 pixels per inch.
constexpr int kColumnWidth = 76;

constexpr int kPersonNameLength = 15;
constexpr int kGroupNameLength = 30;

// The member's contact fields: object name, prompt, caption with its mnemonic,
// length, and where the text goes in the ledger's fields and comes from in the
// record.
struct ContactField {
  const char* name;
  const char* prompt;
  const char* caption;
  int length;
  std::string MemberFields::*entered;
  std::string TMemberRec::*stored;
};

const ContactField kContactFields[] = {
    {"addr", "Address", "&Address", 30, &MemberFields::addr, &TMemberRec::addr},
    {"city", "City", "Cit&y", 20, &MemberFields::city, &TMemberRec::city},
    {"state", "State", "&State", 2, &MemberFields::state, &TMemberRec::state},
    {"zip", "Zip", "&Zip", 10, &MemberFields::zip, &TMemberRec::zip},
    {"idnum", "Social Sec.", "Social Se&c.", 11, &MemberFields::idnum, &TMemberRec::idnum},
    {"hphone", "Home Phone", "Home &Phone", 17, &MemberFields::hphone, &TMemberRec::hphone},
    {"wphone", "Work Phone", "&Work Phone", 17, &MemberFields::wphone, &TMemberRec::wphone},
    {"fphone", "Fax", "Fa&x", 17, &MemberFields::fphone, &TMemberRec::fphone},
    {"ophone", "Other Phone", "Other Phon&e", 17, &MemberFields::ophone, &TMemberRec::ophone},
    {"email", "E-Mail", "E-Ma&il", 30, &MemberFields::email, &TMemberRec::email},
};
// The address lines stand under the name; the numbers and the e-mail beside them.
constexpr std::size_t kAddressLines = 4;

}  // namespace

MembersPage::MembersPage(Books& books, DateEntry& duesdate, std::function<bool()> force_deletes,
                         QObject* parent)
    : QObject(parent), books_(books), club_(books.Club()), ledger_(books.Members()), duesdate_(duesdate), force_deletes_(std::move(force_deletes)) {
  dues_area_ = BuildDuesArea();
  data_area_ = BuildDataArea();
  special_area_ = BuildSpecialArea();
  connect(&duesdate_, &DateEntry::listRefreshDue, this, [this] {
    if (!dues_grid_->ShowsAll()) RefreshGrid();
    ShowSummary();
  });
  connect(&duesdate_, &DateEntry::dateChanged, this, &MembersPage::RefreshValuations);
  ShowMember(std::nullopt);
}

QWidget* MembersPage::BuildDuesArea() {
  auto* area = new QWidget;
  area->setObjectName(QStringLiteral("memberdues"));

  summary_ = new QGroupBox(area);
  summary_->setObjectName(QStringLiteral("membersummary"));
  totalc_ = Figure(QStringLiteral("totalc"), summary_);
  totale_ = Figure(QStringLiteral("totale"), summary_);
  tunits_ = Figure(QStringLiteral("tunits"), summary_);
  vunit_ = Figure(QStringLiteral("vunit"), summary_);
  accountvalue_ = Figure(QStringLiteral("accountvalue"), summary_);
  auto* summary_form = new QFormLayout(summary_);
  summary_form->addRow(tr("Contributions"), totalc_);
  summary_form->addRow(tr("Earnings"), totale_);
  summary_form->addRow(tr("Total Units"), tunits_);
  summary_form->addRow(tr("Unit Value"), vunit_);
  summary_form->addRow(tr("Account Value"), accountvalue_);

  dues_grid_ = new HistoryGrid({tr("Date"), tr("Type"), tr("Amount"), tr("Units")}, 2,
                               {"membergridgroup", "membergrid", "alldues", "duescnt", "memdeleterecord"}, area);
  QTableWidget* grid = dues_grid_->Table();
  // At least the default width at 96 pixels per inch, scaled; wide enough for a date.
  const QFontMetrics metrics = grid->fontMetrics();
  const int width = std::max(kColumnWidth * grid->logicalDpiX() / 96,
                             metrics.horizontalAdvance(QStringLiteral("00/00/0000")) + 2 * metrics.averageCharWidth());
  for (int column = 0; column < grid->columnCount(); ++column) grid->setColumnWidth(column, width);
  dues_grid_->SetShowsAll(club_.View().alldues);
  connect(dues_grid_, &HistoryGrid::changeRequested, this, &MembersPage::membergridDblClick);
  connect(dues_grid_, &HistoryGrid::deleteRequested, this, &MembersPage::deleterecordClick);
  connect(dues_grid_, &HistoryGrid::showAllClicked, this, &MembersPage::allduesClick);

  valuations_group_ = new QGroupBox(tr("Valuations"), area);
  valuations_group_->setObjectName(QStringLiteral("valuationgroup"));
  valuationlist_ = new QListWidget(valuations_group_);
  valuationlist_->setObjectName(QStringLiteral("valuationlist"));
  valuationlist_->setFocusPolicy(Qt::NoFocus);
  valuationlist_->setSelectionMode(QAbstractItemView::NoSelection);
  valuationlist_->setUniformItemSizes(true);
  auto* valuations_layout = new QVBoxLayout(valuations_group_);
  valuations_layout->addWidget(valuationlist_);

  const struct {
    QString caption;
    const char* name;
    ledger::MemberAction action;
  } actions[] = {{tr("D&ues - All"), "duesall", ledger::MemberAction::DuesAll},
                 {tr("Dues - &Selected"), "duesselected", ledger::MemberAction::DuesSelected},
                 {tr("&Payoff"), "mempayoff", ledger::MemberAction::Payoff},
                 {tr("&Total Dues"), "totaldues", ledger::MemberAction::TotalDues},
                 {tr("Total Ea&rnings"), "totalearnings", ledger::MemberAction::TotalEarnings},
                 {tr("F&ees"), "memfees", ledger::MemberAction::Fees}};
  memberselect_ = new CommandGroup(tr("Transactions"), QStringLiteral("memberselect"), area);
  for (const auto& item : actions) {
    QPushButton* button = memberselect_->Add(item.caption, QString::fromLatin1(item.name));
    connect(button, &QPushButton::clicked, this, [this, action = item.action] { memberselectClick(action); });
  }

  auto* left = new QVBoxLayout;
  left->addWidget(summary_);
  left->addWidget(valuations_group_, 1);
  auto* layout = new QHBoxLayout(area);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addLayout(left);
  layout->addWidget(dues_grid_, 1);
  layout->addWidget(memberselect_);
  return area;
}

QWidget* MembersPage::BuildDataArea() {
  auto* area = new QWidget;
  area->setObjectName(QStringLiteral("memberdata"));

  auto* fields = new QGroupBox(tr("Member Information"), area);
  fields->setObjectName(QStringLiteral("memberinfo"));
  nametype_ = Button(tr("Person"), QStringLiteral("nametype"), fields);
  nametype_->setCheckable(true);
  nametype_->setToolTip(tr("Switches between a person (first and last name) and a group (one name)"));
  connect(nametype_, &QPushButton::clicked, this, &MembersPage::nametypeClick);
  lname_ = Field(QStringLiteral("lname"), kPersonNameLength, fields);
  fname_ = Field(QStringLiteral("fname"), kPersonNameLength, fields);
  lname_label_ = new QLabel(fields);
  lname_label_->setBuddy(lname_);
  fname_label_ = new QLabel(fields);
  fname_label_->setBuddy(fname_);

  auto* name_type_label = new QLabel(tr("Name &Type"), fields);
  name_type_label->setBuddy(nametype_);
  auto* grid = new QGridLayout;
  grid->addWidget(name_type_label, 0, 0, Qt::AlignRight);
  grid->addWidget(nametype_, 0, 1, Qt::AlignLeft);
  grid->addWidget(lname_label_, 1, 0, Qt::AlignRight);
  grid->addWidget(lname_, 1, 1);
  grid->addWidget(fname_label_, 2, 0, Qt::AlignRight);
  grid->addWidget(fname_, 2, 1);
  for (std::size_t index = 0; index < std::size(kContactFields); ++index) {
    const ContactField& contact = kContactFields[index];
    QLineEdit* field = Field(QString::fromLatin1(contact.name), contact.length, fields);
    field->setPlaceholderText(QString::fromLatin1(contact.prompt));
    auto* label = new QLabel(QString::fromLatin1(contact.caption), fields);
    label->setBuddy(field);
    const bool address = index < kAddressLines;
    const int row = static_cast<int>(address ? 3 + index : 1 + index - kAddressLines);
    const int column = address ? 0 : 2;
    grid->addWidget(label, row, column, Qt::AlignRight);
    grid->addWidget(field, row, column + 1);
    contact_fields_.push_back(field);
  }
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);

  form_buttons_ = RecordFormButtons::Create(fields, {tr("&New Member"), QStringLiteral("membernew")},
                                            {tr("Chan&ge Member"), QStringLiteral("memberchange")},
                                            QStringLiteral("memberadd"), QStringLiteral("membercancel"));
  form_buttons_.ConnectTo(this, &MembersPage::membernewClick, &MembersPage::memberchangeClick,
                          &MembersPage::memberaddClick, &MembersPage::membercancelClick);
  auto* fields_layout = new QVBoxLayout(fields);
  fields_layout->addLayout(grid);
  fields_layout->addLayout(form_buttons_.Row());

  auto* mini = new QGroupBox(tr("Mini-Summary"), area);
  mini->setObjectName(QStringLiteral("minisummarygroup"));
  minisummary_ = new QLabel(mini);
  minisummary_->setObjectName(QStringLiteral("minisummary"));
  auto* mini_layout = new QHBoxLayout(mini);
  mini_layout->addWidget(minisummary_);
  mini_layout->addStretch(1);

  auto* layout = new QVBoxLayout(area);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(fields);
  layout->addWidget(mini);
  layout->addStretch(1);
  return area;
}

QWidget* MembersPage::BuildSpecialArea() {
  auto* area = new QWidget;
  area->setObjectName(QStringLiteral("memberspecial"));
  const std::pair<QString, const char*> items[] = {{tr("&Reset Selected Member"), "memreset"},
                                                   {tr("Reset &All Members"), "memresetall"},
                                                   {tr("H&ide Member"), "memhide"},
                                                   {tr("&Un-Hide Member"), "memunhide"},
                                                   {tr("&Delete Member"), "memdelete"},
                                                   {tr("Re&caulate All Members"), "memrecalculate"}};
  memspecialselect_ = new CommandGroup(tr("Maintenance"), QStringLiteral("memspecialselect"), area);
  gauge_ = Named(new QProgressBar(area), "Gauge2");
  gauge_->setRange(0, 100);
  gauge_->hide();
  for (int item = kResetSelected; item <= kRecalculateAll; ++item) {
    QPushButton* button = memspecialselect_->Add(items[item].first, QString::fromLatin1(items[item].second));
    connect(button, &QPushButton::clicked, this, [this, item] { memspecialselectClick(item); });
  }
  auto* layout = new QHBoxLayout(area);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(memspecialselect_);
  layout->addWidget(gauge_, 0, Qt::AlignTop);
  layout->addStretch(1);
  return area;
}

void MembersPage::ShowGauge(int percent) {
  gauge_->setValue(percent);
  gauge_->setVisible(percent > 0);
}

std::optional<std::int32_t> MembersPage::GridYear() const {
  if (dues_grid_->ShowsAll()) return std::nullopt;
  return CivilFromDayNumber(duesdate_.Date()).year;
}

void MembersPage::ShowMember(const std::optional<std::string>& listing_name) {
  const std::optional<TMemberRec> member = listing_name ? ledger_.Find(*listing_name) : std::nullopt;
  member_ = member ? listing_name : std::nullopt;
  ShowFields(member);
  SetLocked(true);
  ShowSummary();
  RefreshGrid();
  RefreshValuations();
}

void MembersPage::ShowFields(const std::optional<TMemberRec>& member) {
  const bool group = member && member->mtype == 'G';
  ShowNameType(group);
  lname_->setText(member && !group ? FromCore(member->lname) : QString());
  fname_->setText(member ? FromCore(group ? MemberName(*member) : member->fname) : QString());
  for (std::size_t index = 0; index < contact_fields_.size(); ++index) {
    contact_fields_[index]->setText(member ? FromCore((*member).*kContactFields[index].stored) : QString());
  }
}

void MembersPage::ShowNameType(bool group) {
  nametype_->setChecked(group);
  nametype_->setText(group ? tr("Group") : tr("Person"));
  lname_->setVisible(!group);
  lname_label_->setVisible(!group);
  lname_label_->setText(tr("&Last Name"));
  fname_label_->setText(group ? tr("Na&me") : tr("Fi&rst Name"));
  fname_->setMaxLength(group ? kGroupNameLength : kPersonNameLength);
}

void MembersPage::ShowSummary() {
  const bool shown = member_.has_value();
  const ledger::MemberSummary summary = shown ? ledger_.Summary(*member_) : ledger::MemberSummary{};
  const auto money = [&](double figure) { return shown ? FromCore(FormatMoney(figure)) : QString(); };
  summary_->setTitle(shown ? FromCore(SummaryCaption(summary.gain)) : tr("Summary"));
  totalc_->setText(money(summary.contributions));
  totale_->setText(money(summary.earnings));
  tunits_->setText(shown ? FromCore(FormatUnits(summary.units)) : QString());
  vunit_->setText(money(summary.unit_value));
  accountvalue_->setText(money(summary.account_value));
  minisummary_->setText(shown ? FromCore(PerformanceText(summary.gain)) : QString());
}

void MembersPage::RefreshGrid() {
  const std::optional<std::int32_t> year = GridYear();
  dues_grid_->setTitle(year ? tr("%1 Dues History").arg(*year) : tr("Complete Dues History"));
  rows_.clear();
  try {
    if (member_) rows_ = ledger_.DuesHistory(*member_, year);
  } catch (const std::exception& error) {
    LogFailure("Member grid updating failed", error);
    club_.Ui().ShowError("Member grid updating failed");
  }
  QList<QStringList> cells;
  for (const ledger::DuesRow& row : rows_) {
    const DuesRowText text = DuesRowTexts(row);
    cells.append({FromCore(text.date), FromCore(text.kind), FromCore(text.amount), FromCore(text.units)});
  }
  dues_grid_->ShowRows(cells);
  EnableCommands();
}

void MembersPage::RefreshValuations() {
  valuationlist_->clear();
  const std::int32_t year = CivilFromDayNumber(duesdate_.Date()).year;
  for (const std::string& line : ValuationLines(ledger_.ValuationsOf(year), year)) {
    valuationlist_->addItem(FromCore(line));
  }
}

void MembersPage::EnableCommands() {
  const bool any_member = !ledger_.List(false).empty();
  memberselect_->setEnabled(any_member);
  const std::vector<QPushButton*>& member_commands = memberselect_->Buttons();
  for (QPushButton* command : member_commands) {
    command->setEnabled(command == member_commands.front() || member_.has_value());
  }
  for (int item = kResetSelected; item <= kRecalculateAll; ++item) {
    const bool enabled = item == kResetAll || item == kRecalculateAll || member_.has_value();
    memspecialselect_->Buttons()[static_cast<std::size_t>(item)]->setEnabled(enabled);
  }
}

std::optional<std::int32_t> MembersPage::SelectedDuesTran() const {
  const int row = dues_grid_->Table()->currentRow();
  if (row < 0 || row >= static_cast<int>(rows_.size())) return std::nullopt;
  return rows_[static_cast<std::size_t>(row)].record.duestran;
}

void MembersPage::AfterPosting() {
  ShowMember(member_);
  books_.Figures().RefreshPurchaseUnit(duesdate_.Date());
  emit postingDone();
}

void MembersPage::AfterListChange() {
  books_.Figures().RefreshPurchaseUnit(duesdate_.Date());
  emit memberListChanged(member_ ? FromCore(*member_) : QString());
  emit postingDone();
}

void MembersPage::memberselectClick(ledger::MemberAction action) {
  if (action != ledger::MemberAction::DuesAll && !member_) return;
  const std::optional<std::string> selected = action == ledger::MemberAction::DuesAll ? std::nullopt : member_;
  if (!books_.Perform([&] { return ledger_.Collect(action, selected, duesdate_.Date()); })) {
    return;
  }
  // A payoff that empties the member may hide him.
  if (action == ledger::MemberAction::Payoff) {
    AfterListChange();
  } else {
    AfterPosting();
  }
}

void MembersPage::membergridDblClick() {
  const std::optional<std::int32_t> duestran = SelectedDuesTran();
  if (!member_ || !duestran) return;
  QTableWidget* grid = dues_grid_->Table();
  const int row = grid->currentRow();
  if (!books_.Perform([&] { return ledger_.ChangeTransaction(*member_, *duestran); })) return;
  AfterPosting();
  if (row < grid->rowCount()) grid->selectRow(row);
}

void MembersPage::deleterecordClick() {
  const std::optional<std::int32_t> duestran = SelectedDuesTran();
  if (!member_ || !duestran) return;
  // A deletion that empties the member may hide him.
  if (books_.Perform([&] { return ledger_.DeleteTransaction(*member_, *duestran, force_deletes_()); })) {
    AfterListChange();
  }
}

void MembersPage::memspecialselectClick(int item) {
  if (item == kRecalculateAll) {
    GaugeInteraction ui(club_.Ui(), [this](int percent) { ShowGauge(percent); });
    const Outcome outcome = books_.RecalculateAllMembers(&ui);
    ShowGauge(0);
    if (outcome) AfterPosting();
    return;
  }
  if (item == kResetAll) {
    ledger_.ResetAllMembers();
    AfterPosting();
    return;
  }
  if (!member_) return;
  const std::string name = *member_;
  switch (item) {
    case kResetSelected:
      if (ledger_.ResetMember(name, /*announce=*/true)) AfterPosting();
      break;
    case kHide:
      if (ledger_.Hide(name)) AfterListChange();
      break;
    case kUnhide:
      if (ledger_.Unhide(name)) AfterListChange();
      break;
    case kDelete:
      if (ledger_.Delete(name)) {
        member_.reset();
        AfterListChange();
      }
      break;
  }
}

void MembersPage::allduesClick() {
  club_.View().alldues = dues_grid_->ShowsAll();
  RefreshGrid();
}

void MembersPage::SetLocked(bool locked) {
  locked_ = locked;
  std::vector<QLineEdit*> fields = contact_fields_;
  fields.push_back(lname_);
  fields.push_back(fname_);
  LockFields(fields, locked);
  nametype_->setEnabled(!locked);
  form_buttons_.ShowLocked(locked, member_.has_value());
}

void MembersPage::nametypeClick() {
  const bool group = nametype_->isChecked();
  const QString shown_prompt = FromCore(group ? kFirstNamePrompt : kGroupNamePrompt);
  ShowNameType(group);
  if (fname_->text() == shown_prompt) {
    fname_->setText(FromCore(group ? kGroupNamePrompt : kFirstNamePrompt));
  }
  if (!group && lname_->text().isEmpty()) lname_->setText(FromCore(kLastNamePrompt));
  (group ? fname_ : lname_)->setFocus();
  (group ? fname_ : lname_)->selectAll();
}

void MembersPage::membernewClick() {
  adding_ = true;
  ShowFields(std::nullopt);
  lname_->setText(FromCore(kLastNamePrompt));
  fname_->setText(FromCore(kFirstNamePrompt));
  SetLocked(false);
  lname_->setFocus();
  lname_->selectAll();
}

void MembersPage::memberchangeClick() {
  if (!member_) return;
  adding_ = false;
  SetLocked(false);
  (nametype_->isChecked() ? fname_ : lname_)->setFocus();
}

MemberFields MembersPage::ReadFields() const {
  MemberFields fields;
  fields.group = nametype_->isChecked();
  if (fields.group) {
    fields.name = ToCore(fname_->text());
  } else {
    fields.lname = ToCore(lname_->text());
    fields.fname = ToCore(fname_->text());
  }
  for (std::size_t index = 0; index < contact_fields_.size(); ++index) {
    fields.*kContactFields[index].entered = ToCore(contact_fields_[index]->text());
  }
  return fields;
}

void MembersPage::memberaddClick() {
  const MemberFields fields = ReadFields();
  const std::optional<std::string> existing = adding_ ? std::nullopt : member_;
  if (!CommitMember(ledger_, existing, fields)) return;
  member_ = ledger::ListingName(ReadMember(fields));
  SetLocked(true);
  emit memberListChanged(FromCore(*member_));
}

void MembersPage::membercancelClick() {
  ShowMember(member_);
  form_buttons_.add_new->setFocus();
}

}  // namespace pellmark::ui
