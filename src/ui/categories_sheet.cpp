#include "ui/categories_sheet.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <set>

#include "cash/account_ledger.h"
#include "club/number_format.h"
#include "books/category_form.h"
#include "ui/accounts_page.h"
#include "ui/named_widgets.h"
#include "ui/qt_interaction.h"

namespace pellmark::ui {
namespace {

using ledger::CategoryType;

std::int32_t CategoryOfRow(const QListWidget& list, int row) {
  return list.item(row)->data(Qt::UserRole).toInt();
}

}  // namespace

CategoriesSheet::CategoriesSheet(Books& books, QListWidget& catbox, const AccountsPage& accounts,
                                 QWidget* parent)
    : QWidget(parent), books_(books), ledger_(books.Categories()), catbox_(catbox), accounts_(accounts) {
  setObjectName(QStringLiteral("categorysheet"));

  auto* fields = new QGroupBox(tr("Category"), this);
  fields->setObjectName(QStringLiteral("categoryfields"));
  catname_ = Field(QStringLiteral("catname"), 25, fields);
  auto* type_group = new QGroupBox(tr("Category Type"), fields);
  type_group->setObjectName(QStringLiteral("cattypeselect"));
  cattypeselect_ = new QButtonGroup(type_group);
  auto* type_row = new QHBoxLayout(type_group);
  const std::pair<QString, CategoryType> types[] = {{tr("Dep&osit"), CategoryType::Deposit},
                                                     {tr("&Withdrawal"), CategoryType::Withdrawal}};
  for (const auto& [caption, type] : types) {
    auto* choice = new QRadioButton(caption, type_group);
    choice->setObjectName(type == CategoryType::Deposit ? QStringLiteral("cattypedeposit")
                                                        : QStringLiteral("cattypewithdrawal"));
    cattypeselect_->addButton(choice, static_cast<int>(type));
    type_row->addWidget(choice);
  }
  type_row->addStretch(1);
  cattax_ = new QCheckBox(tr("&Taxable"), fields);
  cattax_->setObjectName(QStringLiteral("cattax"));
  auto* form = new QFormLayout;
  form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
  form->addRow(tr("&Description:"), catname_);
  form->addRow(type_group);
  form->addRow(cattax_);

  catup_ = Button(tr("&Previous Category"), QStringLiteral("catup"), fields);
  catdown_ = Button(tr("Ne&xt Category"), QStringLiteral("catdown"), fields);
  form_buttons_ = RecordFormButtons::Create(fields, {tr("&New Category"), QStringLiteral("catnew")},
                                            {tr("C&hange Category"), QStringLiteral("catchange")},
                                            QStringLiteral("catadd"), QStringLiteral("catcancel"));
  connect(catup_, &QPushButton::clicked, this, &CategoriesSheet::catupClick);
  connect(catdown_, &QPushButton::clicked, this, &CategoriesSheet::catdownClick);
  form_buttons_.ConnectTo(this, &CategoriesSheet::catnewClick, &CategoriesSheet::catchangeClick,
                          &CategoriesSheet::cataddClick, &CategoriesSheet::catcancelClick);
  auto* navigation = new QHBoxLayout;
  navigation->addWidget(catup_);
  navigation->addWidget(catdown_);
  navigation->addStretch(1);
  auto* fields_layout = new QVBoxLayout(fields);
  fields_layout->addLayout(navigation);
  fields_layout->addLayout(form);
  fields_layout->addLayout(form_buttons_.Row());

  total_group_ = new QGroupBox(this);
  total_group_->setObjectName(QStringLiteral("cattotalgroup"));
  cattotal_ = new QLabel(total_group_);
  cattotal_->setObjectName(QStringLiteral("cattotal"));
  cattotal_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* total_layout = new QHBoxLayout(total_group_);
  total_layout->addWidget(new QLabel(tr("Total of the selected category:"), total_group_));
  total_layout->addWidget(cattotal_);
  total_layout->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(fields);
  layout->addWidget(total_group_);
  layout->addStretch(1);

  connect(&catbox_, &QListWidget::currentRowChanged, this, &CategoriesSheet::ShowCategory);
  connect(&accounts_, &AccountsPage::registerChanged, this, &CategoriesSheet::ShowTotal);
  SetLocked(true);
}

void CategoriesSheet::ListCategories(std::optional<std::int32_t> catid) {
  {
    const QSignalBlocker quiet(&catbox_);
    catbox_.clear();
    for (const TCategoryRec& category : ledger_.All()) {
      auto* item = new QListWidgetItem(FromCore(category.cat), &catbox_);
      item->setData(Qt::UserRole, category.catid);
    }
  }
  int selected = catbox_.count() > 0 ? 0 : -1;
  for (int row = 0; catid && row < catbox_.count(); ++row) {
    if (CategoryOfRow(catbox_, row) == *catid) selected = row;
  }
  catbox_.setCurrentRow(selected);
  ShowCategory();
}

std::optional<std::int32_t> CategoriesSheet::SelectedCategory() const {
  const int row = catbox_.currentRow();
  if (row < 0) return std::nullopt;
  return CategoryOfRow(catbox_, row);
}

void CategoriesSheet::ShowCategory() {
  const std::optional<std::int32_t> catid = SelectedCategory();
  const std::optional<TCategoryRec> category = catid ? ledger_.FindById(*catid) : std::nullopt;
  catname_->setText(category ? FromCore(category->cat) : QString());
  ClearType();
  if (category && cattypeselect_->button(category->typ) != nullptr) cattypeselect_->button(category->typ)->setChecked(true);
  cattax_->setChecked(category && category->tax);
  SetLocked(true);
  ShowTotal();
}

void CategoriesSheet::ShowTotal() {
  const std::optional<std::string>& account = accounts_.SelectedAccount();
  const std::optional<std::int32_t> year = accounts_.RegisterYear();
  const QString history = accounts_.RegisterCaption();
  total_group_->setTitle(account ? tr("%1 - %2").arg(history, FromCore(*account)) : history);
  const std::optional<std::int32_t> catid = SelectedCategory();
  if (!account || !catid) {
    cattotal_->clear();
    return;
  }
  cattotal_->setText(FromCore(FormatMoney(books_.Accounts().CategoryTotal(*account, *catid, year))));
}

void CategoriesSheet::ClearType() {
  cattypeselect_->setExclusive(false);
  for (QAbstractButton* choice : cattypeselect_->buttons()) choice->setChecked(false);
  cattypeselect_->setExclusive(true);
}

void CategoriesSheet::SetLocked(bool locked) {
  LockFields({catname_}, locked);
  for (QAbstractButton* choice : cattypeselect_->buttons()) choice->setEnabled(!locked);
  cattax_->setEnabled(!locked);
  for (QPushButton* button : {catup_, catdown_}) button->setEnabled(locked);
  form_buttons_.ShowLocked(locked, SelectedCategory().has_value());
  catbox_.setEnabled(locked);
}

void CategoriesSheet::catupClick() {
  if (catbox_.currentRow() > 0) catbox_.setCurrentRow(catbox_.currentRow() - 1);
}

void CategoriesSheet::catdownClick() {
  if (catbox_.currentRow() + 1 < catbox_.count()) catbox_.setCurrentRow(catbox_.currentRow() + 1);
}

void CategoriesSheet::catnewClick() {
  adding_ = true;
  catname_->setText(QString::fromLatin1(kCategoryPrompt));
  ClearType();
  cattax_->setChecked(false);
  SetLocked(false);
  catname_->setFocus();
  catname_->selectAll();
}

void CategoriesSheet::catchangeClick() {
  const std::optional<std::int32_t> catid = SelectedCategory();
  if (!catid || !ledger_.MayChange(*catid)) return;
  adding_ = false;
  SetLocked(false);
  catname_->setFocus();
}

void CategoriesSheet::cataddClick() {
  const int checked = cattypeselect_->checkedId();
  const CategoryFields fields{ToCore(catname_->text()),
                              checked < 0 ? CategoryType::None : static_cast<CategoryType>(checked),
                              cattax_->isChecked()};
  const std::optional<std::int32_t> changed = adding_ ? std::nullopt : SelectedCategory();
  std::set<std::int32_t> listed;
  for (int row = 0; row < catbox_.count(); ++row) listed.insert(CategoryOfRow(catbox_, row));
  if (!CommitCategory(books_.Club(), ledger_, changed, fields)) return;
  std::optional<std::int32_t> committed = changed;
  for (const TCategoryRec& category : ledger_.All()) {
    if (!changed && !listed.contains(category.catid)) committed = category.catid;
  }
  ListCategories(committed);
}

void CategoriesSheet::catcancelClick() {
  ShowCategory();
  form_buttons_.add_new->setFocus();
}

}  // namespace pellmark::ui
