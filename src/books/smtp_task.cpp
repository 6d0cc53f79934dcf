#include "books/smtp_task.h"

namespace pellmark {

MailSendResult SmtpTask::Send(LineEvents& events) {
  MailSendResult result;
  try {
    const net::MailDelivery delivery =
        net::SendMail(server_, message_, boundary_,
                      {.trace = [&events](std::string_view line) { events.Trace(line); },
                       .keep_going = [&events] { return events.KeepGoing(); },
                       .progress = [&events] { events.Progress(); }});
    result.sent = true;
    result.accepted = delivery.accepted;
    for (const net::RefusedRecipient& refused : delivery.refused) {
      result.refused.push_back({refused.address, refused.reply});
    }
  } catch (const net::MailError& error) {
    result.failure_reason = error.what();
  }
  return result;
}

}  // namespace pellmark
