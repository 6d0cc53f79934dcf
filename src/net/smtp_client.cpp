#include "net/smtp_client.h"

#include <curl/curl.h>
#include <fmt/format.h>
#include <poll.h>

#include <algorithm>
#include <charconv>
#include <memory>
#include <mutex>

namespace pellmark::net {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
// How often a wait hands control back to keep_going.
constexpr int kPollMilliseconds = 50;
// A reply line longer than this is not from an SMTP server.
constexpr std::size_t kLongestReplyLine = 64 * 1024;
// The message goes out in pieces of this size, with a progress event after each.
constexpr std::size_t kSendPiece = 16 * 1024;

void InitCurl() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct ListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;
using AddressList = std::unique_ptr<curl_slist, ListDeleter>;

void Append(AddressList& list, const std::string& entry) {
  curl_slist* grown = curl_slist_append(list.get(), entry.c_str());
  if (grown == nullptr) throw std::bad_alloc();
  list.release();
  list.reset(grown);
}

std::string ConnectFailure(CURLcode code, const MailServer& server, const char* detail) {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
      return "Couldn't resolve hostname";
    case CURLE_COULDNT_CONNECT:
      return fmt::format("Could not connect to {}:{}", server.host, server.port);
    case CURLE_OPERATION_TIMEDOUT:
      return fmt::format("No connection to {}:{} within {} seconds", server.host, server.port,
                         server.reply_wait.count() / 1000.0);
    default:
      return detail[0] != '\0' ? detail : curl_easy_strerror(code);
  }
}

std::string UrlHost(const std::string& host) {
  return host.find(':') != std::string::npos ? "[" + host + "]" : host;
}

void Trace(const MailEvents& events, std::string_view line) {
  if (events.trace) events.trace(line);
}

// The plain dialogue on a connection libcurl opens and leaves to us.
class PlainDialogue {
 public:
  PlainDialogue(const MailServer& server, const MailEvents& events) : server_(server), events_(events) {}

  void Open() {
    InitCurl();
    easy_.reset(curl_easy_init());
    if (!easy_) throw std::bad_alloc();
    char error[CURL_ERROR_SIZE] = {};
    // libcurl connects only; the scheme just names a transport without a protocol
    // of its own, and no proxy stands between us and the mail server.
    const std::string url = fmt::format("http://{}:{}/", UrlHost(server_.host), server_.port);
    curl_easy_setopt(easy_.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy_.get(), CURLOPT_CONNECT_ONLY, 1L);
    curl_easy_setopt(easy_.get(), CURLOPT_PROXY, "");
    curl_easy_setopt(easy_.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy_.get(), CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(server_.reply_wait.count()));
    curl_easy_setopt(easy_.get(), CURLOPT_ERRORBUFFER, error);
    Trace(events_, fmt::format("Connecting to {}:{}", server_.host, server_.port));
    const CURLcode code = curl_easy_perform(easy_.get());
    curl_easy_setopt(easy_.get(), CURLOPT_ERRORBUFFER, nullptr);
    if (code != CURLE_OK) throw MailError(ConnectFailure(code, server_, error));
    curl_socket_t socket = CURL_SOCKET_BAD;
    curl_easy_getinfo(easy_.get(), CURLINFO_ACTIVESOCKET, &socket);
    if (socket == CURL_SOCKET_BAD) throw MailError("Error creating socket");
    socket_ = socket;
  }

  void Send(std::string_view bytes, bool is_message = false) {
    if (!is_message) Trace(events_, bytes.substr(0, bytes.size() - kLineEnd.size()));
    while (!bytes.empty()) {
      const std::string_view piece = bytes.substr(0, kSendPiece);
      std::size_t sent = 0;
      const CURLcode code = curl_easy_send(easy_.get(), piece.data(), piece.size(), &sent);
      if (code == CURLE_AGAIN) {
        Wait(POLLOUT);
        continue;
      }
      if (code != CURLE_OK) throw MailError("Connection closed by the server");
      bytes.remove_prefix(sent);
      if (is_message && events_.progress) events_.progress();
    }
  }

  SmtpReply Command(std::string_view command) {
    Send(std::string(command) + std::string(kLineEnd));
    return Reply();
  }

  SmtpReply Reply() {
    SmtpReplyReader reader;
    for (;;) {
      const std::string line = Line();
      Trace(events_, line);
      if (std::optional<SmtpReply> reply = reader.TakeLine(line)) {
        if (reply->code < 100) throw MailError("Unexpected reply: " + reply->Text());
        return *std::move(reply);
      }
    }
  }

 private:
  std::string Line() {
    for (;;) {
      if (const std::size_t end = buffer_.find('\n'); end != std::string::npos) {
        std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
      }
      if (buffer_.size() > kLongestReplyLine) throw MailError("Unexpected reply: a line without end");
      char chunk[4096];
      std::size_t received = 0;
      const CURLcode code = curl_easy_recv(easy_.get(), chunk, sizeof chunk, &received);
      if (code == CURLE_AGAIN) {
        Wait(POLLIN);
        continue;
      }
      if (code != CURLE_OK || received == 0) throw MailError("Connection closed by the server");
      buffer_.append(chunk, received);
    }
  }

  // Waits until the socket is ready, asking keep_going in between; the wait
  // for one reply or one piece of the message is limited by reply_wait.
  void Wait(short direction) {
    const auto deadline = std::chrono::steady_clock::now() + server_.reply_wait;
    for (;;) {
      if (events_.keep_going && !events_.keep_going()) throw MailError("Aborted");
      pollfd poller{.fd = socket_, .events = direction, .revents = 0};
      if (::poll(&poller, 1, kPollMilliseconds) > 0) return;
      if (std::chrono::steady_clock::now() >= deadline) {
        throw MailError(fmt::format("No reply from the server within {} seconds", server_.reply_wait.count() / 1000.0));
      }
    }
  }

  const MailServer& server_;
  const MailEvents& events_;
  Easy easy_;
  curl_socket_t socket_ = CURL_SOCKET_BAD;
  std::string buffer_;
};

void FailAtOrAbove(const SmtpReply& reply, int limit) {
  if (reply.code >= limit) throw MailError(reply.Text());
}

MailDelivery SendPlain(const MailServer& server, const TPostMessage& message, const std::string& data,
                       const MailEvents& events) {
  PlainDialogue dialogue(server, events);
  dialogue.Open();
  FailAtOrAbove(dialogue.Reply(), 400);
  if (dialogue.Command("HELO " + server.helo_name).code >= 300) throw MailError(std::string(kAuthenticationFailed));

  const std::vector<std::string> recipients = Recipients(message);
  if (message.FromAddress.empty() || recipients.empty()) throw MailError(std::string(kIncompleteHeader));
  FailAtOrAbove(dialogue.Command("RSET"), 400);
  FailAtOrAbove(dialogue.Command("MAIL FROM:<" + message.FromAddress + ">"), 400);
  MailDelivery delivery;
  for (const std::string& address : recipients) {
    const SmtpReply reply = dialogue.Command("RCPT TO:<" + address + ">");
    if (reply.code >= 400) {
      delivery.refused.push_back({address, reply.Text()});
    } else {
      delivery.accepted.push_back(address);
    }
  }
  if (delivery.accepted.empty()) throw MailError(delivery.refused.back().reply);
  FailAtOrAbove(dialogue.Command("DATA"), 400);
  Trace(events, "(the message)");
  dialogue.Send(data, /*is_message=*/true);
  FailAtOrAbove(dialogue.Reply(), 400);
  // The message is taken; a server that leaves without a proper goodbye does not undo that.
  try {
    const SmtpReply goodbye = dialogue.Command("QUIT");
    if (goodbye.code > 339) Trace(events, "QUIT refused: " + goodbye.Text());
  } catch (const MailError& error) {
    Trace(events, std::string("QUIT: ") + error.what());
  }
  return delivery;
}

// What libcurl's SMTP transport said, gathered from its protocol trace: the
// reply to each RCPT and the last reply of all.
struct CurlDialogue {
  const MailEvents* events = nullptr;
  std::string last_command;
  // From AUTH until its final reply every line sent is a secret or derived from one.
  bool in_login = false;
  SmtpReplyReader reader;
  SmtpReply last_reply;
  MailDelivery delivery;
  std::string_view content;
  std::size_t sent = 0;
  bool aborted = false;
};

int TakeTrace(CURL*, curl_infotype type, char* data, std::size_t size, void* self) {
  auto& dialogue = *static_cast<CurlDialogue*>(self);
  if (type != CURLINFO_HEADER_IN && type != CURLINFO_HEADER_OUT) return 0;
  std::string_view text(data, size);
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (type == CURLINFO_HEADER_OUT) {
      if (line.starts_with("AUTH")) dialogue.in_login = true;
      dialogue.last_command = std::string(line);
      Trace(*dialogue.events, dialogue.in_login ? "(login data)" : line);
      continue;
    }
    Trace(*dialogue.events, line);
    std::optional<SmtpReply> reply = dialogue.reader.TakeLine(line);
    if (!reply) continue;
    dialogue.last_reply = *reply;
    if (reply->code != 334) dialogue.in_login = false;
    if (dialogue.last_command.starts_with("RCPT TO:<")) {
      std::string address = dialogue.last_command.substr(9);
      if (!address.empty() && address.back() == '>') address.pop_back();
      if (reply->code >= 400) {
        dialogue.delivery.refused.push_back({std::move(address), reply->Text()});
      } else {
        dialogue.delivery.accepted.push_back(std::move(address));
      }
      dialogue.last_command.clear();
    }
  }
  return 0;
}

std::size_t ReadContent(char* buffer, std::size_t size, std::size_t count, void* self) {
  auto& dialogue = *static_cast<CurlDialogue*>(self);
  const std::size_t piece = std::min(size * count, dialogue.content.size() - dialogue.sent);
  std::copy_n(dialogue.content.data() + dialogue.sent, piece, buffer);
  dialogue.sent += piece;
  if (piece > 0 && dialogue.events->progress) dialogue.events->progress();
  return piece;
}

int KeepGoing(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto& dialogue = *static_cast<CurlDialogue*>(self);
  if (dialogue.events->keep_going && !dialogue.events->keep_going()) {
    dialogue.aborted = true;
    return 1;
  }
  return 0;
}

MailDelivery SendSecure(const MailServer& server, const TPostMessage& message, const std::string& content,
                        const MailEvents& events) {
  const std::vector<std::string> recipients = Recipients(message);
  if (message.FromAddress.empty() || recipients.empty()) throw MailError(std::string(kIncompleteHeader));
  InitCurl();
  Easy easy(curl_easy_init());
  if (!easy) throw std::bad_alloc();
  CURL* curl = easy.get();

  char* escaped_name = curl_easy_escape(curl, server.helo_name.c_str(), static_cast<int>(server.helo_name.size()));
  const std::string helo_name = escaped_name != nullptr ? escaped_name : "";
  curl_free(escaped_name);
  const std::string url = fmt::format("{}://{}:{}/{}", server.security == MailSecurity::kImplicitTls ? "smtps" : "smtp",
                                      UrlHost(server.host), server.port, helo_name);
  AddressList rcpt;
  for (const std::string& address : recipients) Append(rcpt, "<" + address + ">");
  const std::string from = "<" + message.FromAddress + ">";

  CurlDialogue dialogue{.events = &events, .content = content};
  char error[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROXY, "");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
  if (server.security == MailSecurity::kStartTls) curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
  if (!server.ca_file.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, server.ca_file.c_str());
  if (!server.login.empty()) {
    curl_easy_setopt(curl, CURLOPT_USERNAME, server.login.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, server.password.c_str());
  }
  curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.c_str());
  curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, rcpt.get());
  curl_easy_setopt(curl, CURLOPT_MAIL_RCPT_ALLLOWFAILS, 1L);
  curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(content.size()));
  curl_easy_setopt(curl, CURLOPT_READFUNCTION, ReadContent);
  curl_easy_setopt(curl, CURLOPT_READDATA, &dialogue);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(server.reply_wait.count()));
  curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT,
                   static_cast<long>((server.reply_wait.count() + 999) / 1000));
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, KeepGoing);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &dialogue);
  curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
  curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, TakeTrace);
  curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &dialogue);

  Trace(events, fmt::format("Connecting to {}:{}", server.host, server.port));
  const CURLcode code = curl_easy_perform(curl);
  if (code == CURLE_OK) return std::move(dialogue.delivery);
  if (dialogue.aborted) throw MailError("Aborted");
  if (code == CURLE_LOGIN_DENIED) throw MailError(std::string(kAuthenticationFailed));
  if (dialogue.last_reply.code >= 400) throw MailError(dialogue.last_reply.Text());
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
      throw MailError(ConnectFailure(code, server, error));
    case CURLE_OPERATION_TIMEDOUT:
      throw MailError(fmt::format("No reply from the server within {} seconds", server.reply_wait.count() / 1000.0));
    default:
      throw MailError(error[0] != '\0' ? error : curl_easy_strerror(code));
  }
}

}  // namespace

std::optional<HostAndPort> ParseMailHost(std::string_view text) {
  const std::size_t colon = text.rfind(':');
  // A bare IPv6 address has colons of its own; it takes a port only in brackets.
  const bool bracketed = text.starts_with('[');
  if (colon == std::string_view::npos || (!bracketed && text.find(':') != colon)) {
    return HostAndPort{std::string(text), 25};
  }
  if (bracketed && (colon == 0 || text[colon - 1] != ']')) {
    return HostAndPort{std::string(text.substr(1, text.find(']') - 1)), 25};
  }
  const std::string_view digits = text.substr(colon + 1);
  int port = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || port < 1 || port > 65535) {
    return std::nullopt;
  }
  std::string_view host = text.substr(0, colon);
  if (bracketed) host = host.substr(1, host.size() - 2);
  return HostAndPort{std::string(host), port};
}

std::optional<SmtpReply> SmtpReplyReader::TakeLine(std::string_view line) {
  pending_.lines.emplace_back(line);
  const bool more = (!line.empty() && line.front() == ' ') || (line.size() > 3 && line[3] == '-');
  if (more) return std::nullopt;
  // Three digits, no sign: "-25" is no reply code.
  const std::string_view digits = line.substr(0, 3);
  const bool coded = digits.size() == 3 && std::all_of(digits.begin(), digits.end(), [](char c) {
                       return c >= '0' && c <= '9';
                     });
  pending_.code = coded ? (digits[0] - '0') * 100 + (digits[1] - '0') * 10 + (digits[2] - '0') : 0;
  SmtpReply reply = std::move(pending_);
  pending_ = {};
  return reply;
}

MailDelivery SendMail(const MailServer& server, const TPostMessage& message, std::string_view boundary,
                      const MailEvents& events) {
  const std::string content = ComposeMessage(message, boundary);
  // libcurl stuffs the dots and ends the data itself.
  if (server.NeedsSecureTransport()) return SendSecure(server, message, content, events);
  return SendPlain(server, message, DataSection(content), events);
}

}  // namespace pellmark::net
