#include "ui/support_sheet.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "books/books.h"
#include "club/text_encoding.h"
#include "ui/mail_service_setting.h"
#include "ui/tinternet_form.h"

namespace pellmark::ui {

SupportSheet::SupportSheet(Books& books, QWidget* parent) : QWidget(parent), books_(books) {
  setObjectName(QStringLiteral("supportsheet"));
  memo_ = new QPlainTextEdit(this);
  memo_->setObjectName(QStringLiteral("Memo2"));
  fileattach_ = new QLabel(this);
  fileattach_->setObjectName(QStringLiteral("fileattach"));
  attach_ = new QPushButton(tr("Attach File"), this);
  attach_->setObjectName(QStringLiteral("attachsupfile"));
  clear_ = new QPushButton(tr("Clear Mail Buffer"), this);
  clear_->setObjectName(QStringLiteral("clearsupbuffer"));
  send_ = new QPushButton(tr("Send"), this);
  send_->setObjectName(QStringLiteral("sendsupport"));
  send_->setEnabled(false);
  connect(memo_, &QPlainTextEdit::textChanged, this, &SupportSheet::Memo2Change);
  connect(attach_, &QPushButton::clicked, this, &SupportSheet::attachsupfileClick);
  connect(clear_, &QPushButton::clicked, this, &SupportSheet::clearsupbufferClick);
  connect(send_, &QPushButton::clicked, this, &SupportSheet::sendsupportClick);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(attach_);
  buttons->addWidget(fileattach_, 1);
  buttons->addWidget(clear_);
  buttons->addWidget(send_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(memo_, 1);
  layout->addLayout(buttons);
}

void SupportSheet::Memo2Change() { send_->setEnabled(!memo_->toPlainText().isEmpty()); }

void SupportSheet::attachsupfileClick() {
  const QString file =
      QFileDialog::getOpenFileName(this, tr("Attach File"), QString::fromStdString(books_.Club().Folder().string()),
                                   tr("Text Files (*.txt);;All Files (*)"));
  if (!file.isEmpty()) fileattach_->setText(file);
}

void SupportSheet::clearsupbufferClick() {
  memo_->clear();
  fileattach_->clear();
  send_->setEnabled(false);
}

void SupportSheet::sendsupportClick() {
  const std::optional<MailService> service = MailServiceWithPassword(this);
  if (!service) return;
  const std::string text = memo_->toPlainText().toStdString();
  if (const std::string unstorable = UnstorableCharacters(text); !unstorable.empty()) {
    books_.Club().Ui().ShowError("The message holds characters mail cannot carry here: " + unstorable);
    return;
  }
  SupportMail support;
  const std::string stored = ToWindows1252(text);
  for (std::size_t start = 0; start <= stored.size();) {
    const std::size_t end = std::min(stored.find('\n', start), stored.size());
    support.lines.push_back(stored.substr(start, end - start));
    start = end + 1;
  }
  if (!fileattach_->text().isEmpty()) support.attachment = std::filesystem::path(fileattach_->text().toStdString());
  TInternetform dialog(window());
  const MailRun run = books_.SendSupportMail(*service, support, dialog);
  // The settings refused the send before the dialog opened: the message stays for another try.
  const bool dialog_ran = run.outcome.IsDone() || run.outcome.WasCancelled() || !run.delivery.failure_reason.empty();
  if (dialog_ran) clearsupbufferClick();
}

}  // namespace pellmark::ui
