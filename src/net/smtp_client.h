// The SMTP client (TNMSMTP): one send is connect, transaction, disconnect.
//
// A server that asks for nothing more gets the plain dialogue, byte for byte:
//
//   <- 220 greeting                  400 or more fails with the reply text
//   -> HELO <UserID>                 300 or more: "Authentication failed"
//   -> RSET                          400 or more fails
//   -> MAIL FROM:<from>              400 or more fails
//   -> RCPT TO:<address>             per recipient; a refused one is reported,
//                                    the others still get the message
//   -> DATA                          400 or more fails
//   -> the message, dot-stuffed, "." 400 or more fails
//   -> QUIT
//
// Replies may span lines ("250-first" ... "250 last"). When the settings ask
// for STARTTLS, implicit TLS or a login, the same message bytes go through
// libcurl's SMTP transport instead (EHLO, STARTTLS, AUTH, MAIL, RCPT, DATA).
//
//   MailServer server{.host = "mail.example.com", .helo_name = "oakclub"};
//   MailDelivery delivery = SendMail(server, message, MailBoundary(time), events);   // throws MailError
//   for (const RefusedRecipient& refused : delivery.refused) report(refused);
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "club/mail_service.h"
#include "net/mail_message.h"

namespace pellmark::net {

inline constexpr std::string_view kAuthenticationFailed = "Authentication failed";

struct MailServer {
  std::string host;
  int port = 25;
  // Sent with HELO (EHLO through libcurl).
  std::string helo_name;
  MailSecurity security = MailSecurity::kNone;
  // A login (AUTH) when not empty.
  std::string login;
  std::string password;
  // How long to wait for a connection and for each reply.
  std::chrono::milliseconds reply_wait{60'000};
  // Certificates to trust besides the system's, for a server with its own authority.
  std::string ca_file;

  // Whether the settings ask for more than the plain dialogue.
  bool NeedsSecureTransport() const { return security != MailSecurity::kNone || !login.empty(); }
};

// "host" or "host:port" (port 1-65535, 25 when none); nullopt when the port is not a number in range.
struct HostAndPort {
  std::string host;
  int port = 25;
};
std::optional<HostAndPort> ParseMailHost(std::string_view text);

struct RefusedRecipient {
  std::string address;
  // The server's reply, e.g. "550 5.1.1 <ann@example.com>: Recipient address rejected".
  std::string reply;
  friend bool operator==(const RefusedRecipient&, const RefusedRecipient&) = default;
};

struct MailDelivery {
  std::vector<std::string> accepted;
  std::vector<RefusedRecipient> refused;
};

struct MailEvents {
  // Diagnostic lines: what was sent (the message itself left out) and what came back.
  std::function<void(std::string_view)> trace;
  // Asked every few milliseconds while waiting; false aborts the send.
  std::function<bool()> keep_going;
  // A piece of the message went out.
  std::function<void()> progress;
};

// Sends `message` and returns who accepted it and who refused it. Throws
// MailError when the message could not be made or the server did not take it
// ("Incomplete Header", "Authentication failed", the server's reply text,
// the connection's failure, "Aborted"); when every recipient is refused, with
// the last refusal's text.
MailDelivery SendMail(const MailServer& server, const TPostMessage& message, std::string_view boundary,
                      const MailEvents& events = {});

// One reply of the server: its code and the lines that made it.
struct SmtpReply {
  int code = 0;
  std::vector<std::string> lines;
  // The last line, as the failure text shows it.
  std::string Text() const { return lines.empty() ? std::string() : lines.back(); }
};

// Gathers reply lines: a line whose fourth character is "-" or that begins
// with a blank is followed by more lines of the same reply.
class SmtpReplyReader {
 public:
  // Takes one line without its line end; the complete reply once its last line arrived.
  std::optional<SmtpReply> TakeLine(std::string_view line);

 private:
  SmtpReply pending_;
};

}  // namespace pellmark::net
