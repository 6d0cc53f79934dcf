// Mail of the club: a support message to the maker's support address, and a
// report (a text statement, and its PDF when asked) to selected members. Both
// go through the connection dialog and the club's "Host:" ("host" or
// "host:port") and "Address:"; encryption, login, waits and the support
// address come from the user's MailService.
//
//   ConnectOnce dialog;
//   MailRun run = books.SendSupportMail(service, {.lines = {"Hello"}}, dialog);
//   for (const RefusedAddress& refused : run.delivery.refused) print(refused);
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "club/dates.h"
#include "club/outcome.h"
#include "forms/internet_form.h"

namespace pellmark {

inline constexpr std::string_view kNeedMailSettings =
    "Need to set Internet Mail parameters on Special:Options page to activate.";
inline constexpr std::string_view kSupportSubject = "Pellmark Support";
inline constexpr std::string_view kSupportSent = "Pellmark Support Email has been sent.";

// The mail host of the club names a port that is not a number from 1 to 65535.
std::string BadMailPortMessage(std::string_view host);
// A recipient the server refused while the others took the mail.
std::string RefusedRecipientMessage(const RefusedAddress& refused);

struct SupportMail {
  // The lines of the message box, Windows-1252.
  std::vector<std::string> lines;
  std::optional<std::filesystem::path> attachment;
};

// The report kinds of the Reports page's "Send", numbered as the page numbers them.
enum class ReportMailKind { kValuation = 1, kDistribution = 2, kVote = 3, kRoster = 5 };

struct ReportMail {
  ReportMailKind kind = ReportMailKind::kValuation;
  DayNumber date = 0;
  // The selected members in list order; a name without a record is passed over.
  std::vector<std::string> members;
  // The kind's text statement, and its PDF when asked for.
  std::vector<std::filesystem::path> attachments;
};

// club name + " Valuation Statement" (or the kind's own words) + " for " + "mm/dd/yyyy".
std::string ReportMailSubject(std::string_view club_name, ReportMailKind kind, DayNumber date);

struct MailRun {
  // Done when the server took the mail; refused ("Could not send ...") when the
  // last try failed; cancelled when the dialog was aborted.
  Outcome outcome;
  MailSendResult delivery;
};

}  // namespace pellmark
