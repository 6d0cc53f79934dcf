// The mail message (TPostMessage) and its composition into the bytes that go
// after DATA: header lines in a fixed order, then either the plain body or a
// multipart/mixed body whose attachments are Base64 in lines of 60 characters.
//
//   TPostMessage message;
//   message.FromAddress = "treasurer@example.com";
//   message.ToAddress = {"ann@example.com", "bob@example.com"};
//   message.Subject = "Oak Club Valuation Statement for 12/31/2026";
//   message.Body = {"Oak Club Valuation Statement for 12/31/2026 is attached."};
//   message.Attachments = {folder / "valuerpt.txt"};
//   std::string content = ComposeMessage(message, MailBoundary("04:31:07"));   // throws MailError
//   std::string data = DataSection(content);   // dot-stuffed, ended by ".\r\n"
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pellmark::net {

// A mail that could not be made or sent; the text is what the dialog's trace
// and the command line show ("Incomplete Header", the server's reply text ...).
class MailError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr std::string_view kIncompleteHeader = "Incomplete Header";
inline constexpr std::string_view kPlainTextType = "Content-Type: text/plain;                        charset=us-ascii";
inline constexpr std::string_view kMultipartType = "Content-Type: multipart/mixed;                   boundary=";

struct TPostMessage {
  std::string FromAddress;
  std::string FromName;
  std::vector<std::string> ToAddress;
  std::vector<std::string> ToCarbonCopy;
  std::vector<std::string> ToBlindCarbonCopy;
  std::string Subject;
  std::vector<std::string> Body;
  std::vector<std::filesystem::path> Attachments;
  std::string LocalProgram;
  std::string ReplyTo;
  std::string Date;

  void Clear() { *this = TPostMessage{}; }
};

// The address RCPT TO names for one entry of an address list: the text between
// "<" and ">" when it has a "<", else the text after the first ":" when it has
// one, else the whole entry.
std::string RecipientAddress(std::string_view entry);

// Every non-empty recipient address of To, CC and BCC, in that order.
std::vector<std::string> Recipients(const TPostMessage& message);

// "====================54535" + time + "====", the time as the clock prints it.
std::string MailBoundary(std::string_view time_text);

// The message as RFC 5322 text with CRLF line ends, not yet dot-stuffed. Throws
// MailError naming an attachment that cannot be read. An entry that gives no
// address is left out of the "To:" and "CC:" headers as it is left out of RCPT TO.
std::string ComposeMessage(const TPostMessage& message, std::string_view boundary);

// Base64 of `bytes`, 45 input bytes (60 characters) per line, each line ended by CRLF.
std::string Base64Lines(std::string_view bytes);

// The content as sent after DATA: a line that begins with "." gets a second "."
// in front, and a line holding only "." ends it.
std::string DataSection(std::string_view content);

}  // namespace pellmark::net
