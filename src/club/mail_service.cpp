#include "club/mail_service.h"

namespace pellmark {

std::string_view SecurityName(MailSecurity security) {
  switch (security) {
    case MailSecurity::kStartTls:
      return "starttls";
    case MailSecurity::kImplicitTls:
      return "tls";
    case MailSecurity::kNone:
      break;
  }
  return "none";
}

std::optional<MailSecurity> SecurityNamed(std::string_view name) {
  for (const MailSecurity security : {MailSecurity::kNone, MailSecurity::kStartTls, MailSecurity::kImplicitTls}) {
    if (SecurityName(security) == name) return security;
  }
  return std::nullopt;
}

}  // namespace pellmark
