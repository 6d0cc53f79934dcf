#include "net/mail_message.h"

#include <fstream>
#include <iterator>

#include "net/http_client.h"

namespace pellmark::net {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
// 45 input bytes make one line of 60 Base64 characters.
constexpr std::size_t kBytesPerLine = 45;

std::string ReadAttachment(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw MailError("Cannot open attachment " + file.string());
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) throw MailError("Cannot read attachment " + file.string());
  return bytes;
}

// The entries of a list that name an address, joined by "," without spaces.
std::string AddressHeader(const std::vector<std::string>& entries) {
  std::string joined;
  for (const std::string& entry : entries) {
    if (RecipientAddress(entry).empty()) continue;
    if (!joined.empty()) joined += ',';
    joined += entry;
  }
  return joined;
}

void AddHeader(std::vector<std::string>& headers, std::string_view name, std::string_view value) {
  if (!value.empty()) headers.push_back(std::string(name) + ": " + std::string(value));
}

void AppendBody(std::string& content, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    content += line;
    content += kLineEnd;
  }
}

}  // namespace

std::string RecipientAddress(std::string_view entry) {
  if (const std::size_t open = entry.find('<'); open != std::string_view::npos) {
    const std::size_t close = entry.find('>', open + 1);
    return std::string(entry.substr(open + 1, close == std::string_view::npos ? close : close - open - 1));
  }
  if (const std::size_t colon = entry.find(':'); colon != std::string_view::npos) {
    return std::string(entry.substr(colon + 1));
  }
  return std::string(entry);
}

std::vector<std::string> Recipients(const TPostMessage& message) {
  std::vector<std::string> addresses;
  for (const auto* list : {&message.ToAddress, &message.ToCarbonCopy, &message.ToBlindCarbonCopy}) {
    for (const std::string& entry : *list) {
      std::string address = RecipientAddress(entry);
      if (!address.empty()) addresses.push_back(std::move(address));
    }
  }
  return addresses;
}

std::string MailBoundary(std::string_view time_text) {
  return "====================54535" + std::string(time_text) + "====";
}

std::string Base64Lines(std::string_view bytes) {
  std::string lines;
  lines.reserve((bytes.size() / kBytesPerLine + 1) * 62);
  for (std::size_t start = 0; start < bytes.size(); start += kBytesPerLine) {
    lines += Base64(bytes.substr(start, kBytesPerLine));
    lines += kLineEnd;
  }
  return lines;
}

std::string ComposeMessage(const TPostMessage& message, std::string_view boundary) {
  // Every attachment is read first, so that one that cannot be read fails the send before a byte goes out.
  std::vector<std::string> attachments;
  attachments.reserve(message.Attachments.size());
  for (const std::filesystem::path& file : message.Attachments) attachments.push_back(ReadAttachment(file));

  std::vector<std::string> headers;
  headers.push_back("From: " + message.FromName + "<" + message.FromAddress + ">");
  AddHeader(headers, "To", AddressHeader(message.ToAddress));
  AddHeader(headers, "CC", AddressHeader(message.ToCarbonCopy));
  headers.push_back("Subject: " + message.Subject);
  AddHeader(headers, "X-Mailer", message.LocalProgram);
  AddHeader(headers, "Reply-To", message.ReplyTo);
  AddHeader(headers, "Date", message.Date);
  headers.push_back("Mime-Version: 1.0");
  if (attachments.empty()) {
    headers.emplace_back(kPlainTextType);
  } else {
    headers.push_back(std::string(kMultipartType) + "\"" + std::string(boundary) + "\"");
  }

  std::string content;
  for (const std::string& header : headers) {
    content += header;
    content += kLineEnd;
  }
  content += kLineEnd;
  if (attachments.empty()) {
    AppendBody(content, message.Body);
    return content;
  }

  const std::string separator = "--" + std::string(boundary);
  content += separator;
  content += kLineEnd;
  content += kPlainTextType;
  content += kLineEnd;
  content += kLineEnd;
  AppendBody(content, message.Body);
  for (std::size_t i = 0; i < attachments.size(); ++i) {
    const std::string name = message.Attachments[i].filename().string();
    content += kLineEnd;
    content += separator;
    content += kLineEnd;
    content += "Content-Type: application/octet-stream;          name=\"" + name + "\"";
    content += kLineEnd;
    content += "Content-Transfer-Encoding: base64";
    content += kLineEnd;
    content += "Content-Disposition: attachment;                 filename=\"" + name + "\"";
    content += kLineEnd;
    content += kLineEnd;
    content += Base64Lines(attachments[i]);
  }
  content += separator + "--";
  content += kLineEnd;
  return content;
}

std::string DataSection(std::string_view content) {
  std::string data;
  data.reserve(content.size() + content.size() / 64 + 8);
  bool line_start = true;
  for (const char c : content) {
    if (line_start && c == '.') data += '.';
    data += c;
    line_start = c == '\n';
  }
  if (!line_start) data += kLineEnd;
  data += ".";
  data += kLineEnd;
  return data;
}

}  // namespace pellmark::net
