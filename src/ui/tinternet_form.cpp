#include "ui/tinternet_form.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "ui/named_widgets.h"
#include "ui/qt_interaction.h"

namespace pellmark::ui {

TInternetform::TInternetform(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TInternetform"));
  setWindowTitle(tr("Internet Connection Status"));
  title_ = Named(new QLabel(this), "title");
  QFont bold = title_->font();
  bold.setBold(true);
  title_->setFont(bold);
  status_ = Named(new QLabel(this), "status");
  status_->setMinimumWidth(360);
  status_->setFrameShape(QFrame::Panel);
  status_->setFrameShadow(QFrame::Sunken);
  ok_ = Button(tr("&Connect"), QStringLiteral("ok"), this);
  ok_->setDefault(true);
  abort_ = Button(tr("&Abort"), QStringLiteral("BitBtn1"), this);
  abort_->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
  connect(ok_, &QPushButton::clicked, this, &TInternetform::okClick);
  connect(abort_, &QPushButton::clicked, this, &TInternetform::BitBtn1Click);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(title_);
  layout->addWidget(status_);
  layout->addLayout(ButtonRow({ok_, abort_}));
}

void TInternetform::Run(InternetForm& form) {
  form_ = &form;
  form.OnChange = [this](bool) { Refresh(); };
  Refresh();
  if (!form.Closed()) exec();
  form.OnChange = nullptr;
  form_ = nullptr;
}

void TInternetform::Refresh() {
  title_->setText(FromCore(form_->Title()));
  status_->setText(FromCore(form_->Status()));
  ok_->setEnabled(form_->ConnectEnabled());
  if (form_->Closed() && isVisible()) {
    done(form_->Result() == InternetResult::kDone ? QDialog::Accepted : QDialog::Rejected);
  }
}

void TInternetform::okClick() { form_->Connect(); }

void TInternetform::BitBtn1Click() { form_->Abort(); }

void TInternetform::reject() {
  if (form_ != nullptr && !form_->Closed()) {
    form_->Abort();
    return;
  }
  QDialog::reject();
}

}  // namespace pellmark::ui
