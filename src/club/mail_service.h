// How the program reaches a mail server beyond the club's "Host:" and
// "Address:": encryption, a login, how long to wait and where support mail
// goes. Settings of the user, not of the club: the desktop program keeps them
// in its user settings, the command line takes them as options. The password
// is never stored anywhere: the desktop program asks for it once per run, the
// command line reads it from PELLMARK_SMTP_PASSWORD.
//
//   MailService service{.security = MailSecurity::kStartTls, .login = "treasurer", .password = asked};
//   books.SendSupportMail(service, {.lines = body}, dialog);
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace pellmark {

inline constexpr std::string_view kDefaultSupportAddress = "support@quillomer.com";

enum class MailSecurity { kNone, kStartTls, kImplicitTls };

struct MailService {
  MailSecurity security = MailSecurity::kNone;
  // A login (AUTH) when not empty.
  std::string login;
  std::string password;
  std::chrono::milliseconds reply_wait{60'000};
  std::string support_address{kDefaultSupportAddress};
  // Certificates to trust besides the system's, for a server with its own authority.
  std::string ca_file;
};

// "none", "starttls", "tls" as the settings and the command line write them.
std::string_view SecurityName(MailSecurity security);
std::optional<MailSecurity> SecurityNamed(std::string_view name);

}  // namespace pellmark
