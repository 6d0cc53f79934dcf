// Feeds arbitrary bytes to the reader of SMTP replies, line by line, as a broken
// or hostile server would send them. Nothing may crash; every complete reply
// holds the lines it was given, ends with a line that closes a reply, and has
// a code of 0 (not three digits) or 0-999.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "net/smtp_client.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  pellmark::net::SmtpReplyReader reader;
  std::size_t pending = 0;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    const std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    ++pending;
    const std::optional<pellmark::net::SmtpReply> reply = reader.TakeLine(line);
    if (!reply) continue;
    if (reply->lines.size() != pending || reply->lines.back() != line) std::abort();
    if (reply->code < 0 || reply->code > 999) std::abort();
    const bool continues = (!line.empty() && line.front() == ' ') || (line.size() > 3 && line[3] == '-');
    if (continues) std::abort();
    pending = 0;
  }
  return 0;
}
