// The connection dialog's mail task over the SMTP client: one message, the
// club's server settings, the dialog's progress, trace and abort.
//
//   SmtpTask task(server, message, boundary);
//   form.PrepareForSupportMail(task);
#pragma once

#include <string>

#include "forms/internet_form.h"
#include "net/smtp_client.h"

namespace pellmark {

class SmtpTask : public MailTask {
 public:
  SmtpTask(net::MailServer server, net::TPostMessage message, std::string boundary)
      : server_(std::move(server)), message_(std::move(message)), boundary_(std::move(boundary)) {}

  MailSendResult Send(LineEvents& events) override;

 private:
  net::MailServer server_;
  net::TPostMessage message_;
  std::string boundary_;
};

}  // namespace pellmark
