#include "ui/tsecurity_input.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/named_widgets.h"
#include "ui/qt_interaction.h"

namespace pellmark::ui {
namespace {

void DrawList(QComboBox* box, const EntryList& list) {
  box->clear();
  for (const std::string& item : list.items) box->addItem(FromCore(item));
  box->setCurrentIndex(list.selected);
  box->setEnabled(list.enabled);
}

void DrawText(QLineEdit* box, const EntryControl& control) {
  if (box->text() != FromCore(control.text)) box->setText(FromCore(control.text));
  box->setEnabled(control.enabled);
}

void DrawTick(QCheckBox* box, const EntryControl& control) {
  box->setText(FromCore(control.caption));
  box->setChecked(control.checked);
  box->setEnabled(control.enabled);
  box->setVisible(control.visible);
}

}  // namespace

TsecurityInput::TsecurityInput(Interaction& ui, QWidget* parent) : QDialog(parent), ui_(ui) {
  setObjectName(QStringLiteral("TsecurityInput"));
  setModal(true);
  Build();
}

TsecurityInput::~TsecurityInput() = default;

void TsecurityInput::Build() {
  auto* outer = new QVBoxLayout(this);
  NameLabel_ = Named(new QLabel(this), "NameLabel");
  QFont heading = NameLabel_->font();
  heading.setBold(true);
  heading.setPointSizeF(heading.pointSizeF() * 1.2);
  NameLabel_->setFont(heading);
  outer->addWidget(NameLabel_);

  form_ = new QFormLayout;
  form_->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  outer->addLayout(form_);

  Date_ = Named(new QLineEdit(this), "Date");
  Date_->setPlaceholderText(QStringLiteral("mm/dd/yyyy"));
  form_->addRow(tr("Date"), Date_);
  ratio_ = Named(new QLabel(this), "ratio");
  form_->addRow(ratio_);
  typelabel_ = Named(new QLabel(this), "typelabel");
  amount_ = Named(new QLineEdit(this), "amount");
  form_->addRow(typelabel_, amount_);
  pricelabel_ = Named(new QLabel(this), "pricelabel");
  price_ = Named(new QLineEdit(this), "price");
  form_->addRow(pricelabel_, price_);

  captype_ = Named(new QGroupBox(this), "captype");
  auto* captype_row = new QHBoxLayout(captype_);
  reduction_ = Named(new QRadioButton(captype_), "captypeReduction");
  gain_ = Named(new QRadioButton(captype_), "captypeGain");
  captype_row->addWidget(reduction_);
  captype_row->addWidget(gain_);
  form_->addRow(captype_);
  payofflabel_ = Named(new QLabel(this), "payofflabel");
  allunits_ = Named(new QComboBox(this), "allunits");
  form_->addRow(payofflabel_, allunits_);

  commgroup_ = Named(new QGroupBox(this), "commgroup");
  auto* comm_row = new QHBoxLayout(commgroup_);
  commission_ = Named(new QLineEdit(commgroup_), "commission");
  compcomm_ = Named(new QCheckBox(commgroup_), "compcomm");
  comm_row->addWidget(commission_);
  comm_row->addWidget(compcomm_);
  form_->addRow(commgroup_);

  accountgroup_ = Named(new QGroupBox(this), "accountgroup");
  auto* account_column = new QVBoxLayout(accountgroup_);
  tran_ = Named(new QCheckBox(accountgroup_), "tran");
  accountbox_ = Named(new QComboBox(accountgroup_), "accountbox");
  account_column->addWidget(tran_);
  account_column->addWidget(accountbox_);
  form_->addRow(accountgroup_);

  tax_ = Named(new QCheckBox(this), "tax");
  form_->addRow(tax_);
  desclabel_ = Named(new QLabel(this), "desclabel");
  desc_ = Named(new QLineEdit(this), "desc");
  desc_->setMaxLength(30);
  form_->addRow(desclabel_, desc_);
  cleared_ = Named(new QCheckBox(this), "cleared");
  form_->addRow(cleared_);
  fractions_ = Named(new QCheckBox(this), "fractions");
  form_->addRow(fractions_);

  warnlabel_ = Named(new QLabel(this), "warnlabel");
  warnlabel_->setStyleSheet(QStringLiteral("color: #c00000;"));
  warnlabel_->setWordWrap(true);
  outer->addWidget(warnlabel_);

  auto* buttons = new QDialogButtonBox(this);
  ok_ = Named(buttons->addButton(QDialogButtonBox::Ok), "OK");
  cancel_ = Named(buttons->addButton(QDialogButtonBox::Cancel), "Cancel");
  abort_ = Named(buttons->addButton(tr("Abort"), QDialogButtonBox::DestructiveRole), "abort");
  secinphelp_ = Named(buttons->addButton(QDialogButtonBox::Help), "secinphelp");
  ok_->setDefault(true);
  outer->addWidget(buttons);

  connect(ok_, &QPushButton::clicked, this, &TsecurityInput::OkClick);
  connect(cancel_, &QPushButton::clicked, this, &TsecurityInput::CancelClick);
  connect(abort_, &QPushButton::clicked, this, &TsecurityInput::AbortClick);
  connect(secinphelp_, &QPushButton::clicked, this, [this] { emit helpRequested(model_->Form().help_topic); });
  connect(tran_, &QCheckBox::toggled, this, [this] { Handle([](EntryDialog& d) { d.tranClick(); }); });
  connect(tax_, &QCheckBox::toggled, this, [this] { Handle([](EntryDialog& d) { d.taxClick(); }); });
  connect(cleared_, &QCheckBox::toggled, this, [this] { Handle([](EntryDialog& d) { d.clearedClick(); }); });
  connect(fractions_, &QCheckBox::toggled, this, [this] { Handle([](EntryDialog& d) { d.fractionsClick(); }); });
  connect(gain_, &QRadioButton::toggled, this, [this] { Handle([](EntryDialog& d) { d.captypeClick(); }); });
  connect(accountbox_, &QComboBox::currentIndexChanged, this,
          [this] { Handle([](EntryDialog& d) { d.accountboxChange(); }); });
  connect(price_, &QLineEdit::editingFinished, this, [this] { Handle([](EntryDialog& d) { d.priceExit(); }); });
  connect(amount_, &QLineEdit::editingFinished, this, [this] { Handle([](EntryDialog& d) { d.amountExit(); }); });
}

void TsecurityInput::Prepare(const EntryDialogRequest& request) {
  model_ = std::make_unique<EntryDialog>(request);
  result_ = model_->Cancelled();
  Draw();
  adjustSize();
}

template <typename Handler>
void TsecurityInput::Handle(Handler handler) {
  if (drawing_ || !model_) return;
  ReadTyping();
  handler(*model_);
  Draw();
}

void TsecurityInput::ReadTyping() {
  EntryForm& f = model_->Form();
  f.Date.text = ToCore(Date_->text());
  f.amount.text = ToCore(amount_->text());
  f.price.text = ToCore(price_->text());
  f.commission.text = ToCore(commission_->text());
  f.desc.text = ToCore(desc_->text());
  f.compcomm.checked = compcomm_->isChecked();
  f.tran.checked = tran_->isChecked();
  f.tax.checked = tax_->isChecked();
  f.cleared.checked = cleared_->isChecked();
  f.fractions.checked = fractions_->isChecked();
  f.captype.selected = gain_->isChecked() ? kCapitalGain : kCapitalReduction;
  f.accountbox.selected = accountbox_->currentIndex();
  f.allunits.selected = allunits_->currentIndex();
}

void TsecurityInput::Draw() {
  drawing_ = true;
  const EntryForm& f = model_->Form();
  setWindowTitle(FromCore(f.title));
  NameLabel_->setText(FromCore(f.NameLabel.caption));
  DrawText(Date_, f.Date);
  ratio_->setText(FromCore(f.ratio.caption));
  form_->setRowVisible(ratio_, f.ratio.visible);
  typelabel_->setText(FromCore(f.typelabel.caption));
  DrawText(amount_, f.amount);
  form_->setRowVisible(amount_, f.amount.visible);
  pricelabel_->setText(FromCore(f.pricelabel.caption));
  DrawText(price_, f.price);
  form_->setRowVisible(price_, f.price.visible);

  reduction_->setText(FromCore(f.captype.items[kCapitalReduction]));
  gain_->setText(FromCore(f.captype.items[kCapitalGain]));
  (f.captype.selected == kCapitalGain ? gain_ : reduction_)->setChecked(true);
  captype_->setEnabled(f.captype.enabled);
  form_->setRowVisible(captype_, f.captype.visible);
  payofflabel_->setText(FromCore(f.payofflabel.caption));
  DrawList(allunits_, f.allunits);
  form_->setRowVisible(allunits_, f.allunits.visible);
  payofflabel_->setVisible(f.payofflabel.visible);

  commgroup_->setTitle(FromCore(f.commgroup.caption));
  commgroup_->setEnabled(f.commgroup.enabled);
  DrawText(commission_, f.commission);
  DrawTick(compcomm_, f.compcomm);
  form_->setRowVisible(commgroup_, f.commgroup.visible);

  accountgroup_->setTitle(FromCore(f.accountgroup.caption));
  accountgroup_->setEnabled(f.accountgroup.enabled);
  DrawTick(tran_, f.tran);
  DrawList(accountbox_, f.accountbox);
  form_->setRowVisible(accountgroup_, f.accountgroup.visible);

  DrawTick(tax_, f.tax);
  form_->setRowVisible(tax_, f.tax.visible);
  desclabel_->setText(FromCore(f.desclabel.caption));
  DrawText(desc_, f.desc);
  desc_->setMaximumWidth(f.desc_width == kNarrowDescription ? desc_->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 12
                                                            : QWIDGETSIZE_MAX);
  form_->setRowVisible(desc_, f.desc.visible);
  DrawTick(cleared_, f.cleared);
  form_->setRowVisible(cleared_, f.cleared.visible);
  DrawTick(fractions_, f.fractions);
  form_->setRowVisible(fractions_, f.fractions.visible);

  warnlabel_->setText(FromCore(f.warnlabel.caption));
  warnlabel_->setVisible(f.warnlabel.visible);
  abort_->setText(FromCore(f.abort.caption));
  abort_->setVisible(f.abort.visible);
  drawing_ = false;
}

void TsecurityInput::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  switch (model_->FirstFocus()) {
    case EntryDialog::Focus::Date: Date_->setFocus(); break;
    case EntryDialog::Focus::Amount: amount_->setFocus(); break;
    case EntryDialog::Focus::Price: price_->setFocus(); break;
    case EntryDialog::Focus::Description: desc_->setFocus(); break;
    case EntryDialog::Focus::None: ok_->setFocus(); break;
  }
}

void TsecurityInput::OkClick() {
  ReadTyping();
  // Leaving a box by pressing Enter reads its fraction first, as leaving it by Tab would.
  model_->priceExit();
  model_->amountExit();
  Draw();
  OkOutcome outcome = model_->PressOk();
  switch (outcome.kind) {
    case OkOutcome::Kind::Refused:
      for (const std::string& message : outcome.messages) ui_.ShowError(message);
      return;
    case OkOutcome::Kind::Cancelled:
      result_ = model_->Cancelled();
      reject();
      return;
    case OkOutcome::Kind::Accepted:
      result_ = outcome.result;
      accept();
      return;
  }
}

void TsecurityInput::CancelClick() {
  result_ = model_->Cancelled();
  reject();
}

void TsecurityInput::AbortClick() {
  result_ = model_->Aborted();
  reject();
}

}  // namespace pellmark::ui
