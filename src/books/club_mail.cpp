#include "books/club_mail.h"

#include <fmt/format.h>

#include <cmath>

#include "books/books.h"
#include "books/http_line.h"
#include "books/smtp_task.h"
#include "club/number_parse.h"
#include "net/smtp_client.h"

namespace pellmark {
namespace {

// The HELO name when the club has no user name: a bare "HELO" is refused by every server.
constexpr std::string_view kNoHeloName = "localhost";

std::string_view KindWords(ReportMailKind kind) {
  switch (kind) {
    case ReportMailKind::kDistribution:
      return " Distribution Statement";
    case ReportMailKind::kVote:
      return " Membership Vote";
    case ReportMailKind::kRoster:
      return " Membership Letter";
    case ReportMailKind::kValuation:
      break;
  }
  return " Valuation Statement";
}

// The time of day as the boundary carries it, "hh:mm:ss".
std::string TimeOfDay(double now) {
  const double fraction = now - std::floor(now);
  const auto seconds = static_cast<long>(std::floor(fraction * 86'400 + 0.5)) % 86'400;
  return fmt::format("{:02}:{:02}:{:02}", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

MailRun SendThroughDialog(ClubSession& club, const MailService& service, InternetTask task,
                          net::TPostMessage message, ConnectionDialog& dialog, Interaction& port) {
  const TClubInfoRec& info = club.Info();
  if (TrimBlanks(info.host).empty() || TrimBlanks(info.retadr).empty()) {
    return {Refuse(port, std::string(kNeedMailSettings)), {}};
  }
  const std::optional<net::HostAndPort> host = net::ParseMailHost(TrimBlanks(info.host));
  if (!host) return {Refuse(port, BadMailPortMessage(TrimBlanks(info.host))), {}};

  message.FromAddress = std::string(TrimBlanks(info.retadr));
  const std::string_view helo = TrimBlanks(info.user);
  const net::MailServer server{.host = host->host,
                               .port = host->port,
                               .helo_name = std::string(helo.empty() ? kNoHeloName : helo),
                               .security = service.security,
                               .login = service.login,
                               .password = service.password,
                               .reply_wait = service.reply_wait,
                               .ca_file = service.ca_file};
  SmtpTask mail(server, std::move(message), net::MailBoundary(TimeOfDay(club.ClockRef().Now())));
  HttpLine line;
  InternetForm form(port, line);
  if (task == InternetTask::kReports) {
    form.PrepareForReports(mail);
  } else {
    form.PrepareForSupportMail(mail);
  }
  form.Show();
  dialog.Run(form);
  MailRun run{Outcome::Cancelled(), form.MailResult()};
  if (form.Result() == InternetResult::kDone) {
    run.outcome = Outcome::Done();
  } else if (!run.delivery.sent && !run.delivery.failure_reason.empty()) {
    // The dialog showed why; the outcome carries its status line.
    run.outcome = Outcome::Refusal(form.Status());
  }
  return run;
}

}  // namespace

std::string BadMailPortMessage(std::string_view host) {
  return fmt::format("The mail host {} names no port from 1 to 65535.", host);
}

std::string RefusedRecipientMessage(const RefusedAddress& refused) {
  return fmt::format("The mail server refused {}: {}", refused.address, refused.reply);
}

std::string ReportMailSubject(std::string_view club_name, ReportMailKind kind, DayNumber date) {
  return std::string(club_name) + std::string(KindWords(kind)) + " for " + FormatDate(date);
}

MailRun Books::SendSupportMail(const MailService& service, const SupportMail& support, ConnectionDialog& dialog,
                               Interaction* ui) {
  Interaction& port = ui != nullptr ? *ui : club_.Ui();
  net::TPostMessage message;
  message.ToAddress = {service.support_address};
  message.Body = support.lines;
  message.Subject = std::string(kSupportSubject);
  if (support.attachment && !support.attachment->empty()) message.Attachments = {*support.attachment};
  MailRun run = SendThroughDialog(club_, service, InternetTask::kSupportMail, std::move(message), dialog, port);
  if (run.outcome) {
    port.PlayConfirmationSound();
    port.ShowInformation(kSupportSent);
    for (const RefusedAddress& refused : run.delivery.refused) port.ShowError(RefusedRecipientMessage(refused));
  }
  return run;
}

MailRun Books::SendReportMail(const MailService& service, const ReportMail& report, ConnectionDialog& dialog,
                              Interaction* ui) {
  Interaction& port = ui != nullptr ? *ui : club_.Ui();
  const std::string subject = ReportMailSubject(TrimBlanks(club_.Info().club), report.kind, report.date);
  net::TPostMessage message;
  for (const std::string& name : report.members) {
    if (const std::optional<TMemberRec> member = members_.Find(name)) message.ToAddress.push_back(member->email);
  }
  message.Body = {subject + " is attached."};
  message.Subject = subject;
  message.Attachments = report.attachments;
  MailRun run = SendThroughDialog(club_, service, InternetTask::kReports, std::move(message), dialog, port);
  if (run.outcome) {
    port.PlayConfirmationSound();
    port.ShowInformation(subject + " has been sent.");
    for (const RefusedAddress& refused : run.delivery.refused) port.ShowError(RefusedRecipientMessage(refused));
  }
  return run;
}

}  // namespace pellmark
