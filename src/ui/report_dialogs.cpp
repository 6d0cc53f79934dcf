#include "ui/report_dialogs.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt_interaction.h"

namespace pellmark::ui {

// ---- Tmargin ----

Tmargin::Tmargin(Interaction& ui, QWidget* parent) : QDialog(parent), ui_(ui) {
  setObjectName(QStringLiteral("margin"));
  setWindowTitle(tr("Page Layout"));
  auto* form = new QFormLayout;
  auto edit = [&](const char* name, const QString& label) {
    auto* line = new QLineEdit(this);
    line->setObjectName(QString::fromLatin1(name));
    form->addRow(label, line);
    return line;
  };
  top_ = edit("TopMargin", tr("Top Margin:"));
  bottom_ = edit("BottomMargin", tr("Bottom Margin:"));
  left_ = edit("LeftMargin", tr("Left Margin:"));
  right_ = edit("RightMargin", tr("Right Margin:"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  QPushButton* defaults = buttons->addButton(tr("Defaults"), QDialogButtonBox::ResetRole);
  defaults->setObjectName(QStringLiteral("Defaults"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(defaults, &QPushButton::clicked, this, [this] { SetForm(MarginForm::Defaults()); });
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

void Tmargin::Show(const MarginValues& margins) { SetForm(MarginForm::Showing(margins)); }

MarginForm Tmargin::Form() const {
  return {ToCore(top_->text()), ToCore(bottom_->text()), ToCore(left_->text()), ToCore(right_->text())};
}

void Tmargin::SetForm(const MarginForm& form) {
  top_->setText(FromCore(form.top));
  bottom_->setText(FromCore(form.bottom));
  left_->setText(FromCore(form.left));
  right_->setText(FromCore(form.right));
}

// OK and Cancel alike: the dialog stays open while any edit is invalid.
void Tmargin::done(int result) {
  std::vector<std::string> errors = Form().Errors();
  for (const std::string& error : errors) ui_.ShowError(error);
  if (errors.empty()) QDialog::done(result);
}

// ---- TPPPrnPrgDlg ----

TPPPrnPrgDlg::TPPPrnPrgDlg(reports::TPagePrinter& printer, QWidget* parent) : QDialog(parent), printer_(printer) {
  setObjectName(QStringLiteral("PPPrnPrgDlg"));
  setWindowTitle(tr("Print Progress"));
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("lblStatus"));
  page_ = new QLabel(this);
  page_->setObjectName(QStringLiteral("lblPageNumber"));
  bar_ = new QProgressBar(this);
  bar_->setObjectName(QStringLiteral("ProgBar"));
  cancel_ = new QPushButton(tr("&Cancel"), this);
  cancel_->setObjectName(QStringLiteral("btnCancel"));
  connect(cancel_, &QPushButton::clicked, this, [this] { printer_.RequestCancel(); });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(status_);
  layout->addWidget(page_);
  layout->addWidget(bar_);
  layout->addWidget(cancel_, 0, Qt::AlignHCenter);
}

void TPPPrnPrgDlg::Show(bool show_cancel) {
  cancel_->setEnabled(show_cancel);
  cancel_->setVisible(show_cancel);
  if (!show_cancel) setFixedHeight(98 * logicalDpiY() / 96);
  show();
}

void TPPPrnPrgDlg::Update(const reports::PrintProgressState& state) {
  setWindowTitle(FromCore(state.caption));
  status_->setText(FromCore(state.status));
  page_->setText(FromCore(state.page_label));
  bar_->setMaximum(state.maximum);
  bar_->setValue(state.position);
}

void TPPPrnPrgDlg::PumpMessages() { QCoreApplication::processEvents(); }

void TPPPrnPrgDlg::Close() { hide(); }

}  // namespace pellmark::ui
