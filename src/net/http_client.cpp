#include "net/http_client.h"

#include <curl/curl.h>
#include <fmt/format.h>

#include <cctype>
#include <memory>
#include <mutex>

#include "club/number_parse.h"

namespace pellmark::net {
namespace {

// libcurl's global set-up, once per program.
void InitCurl() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct ListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;
using Multi = std::unique_ptr<CURLM, MultiDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;

// How often the wait for the network hands control back to KeepGoing.
constexpr int kPollMilliseconds = 50;
constexpr long kMaxRedirects = 10;

void Append(HeaderList& list, const std::string& line) {
  curl_slist* grown = curl_slist_append(list.get(), line.c_str());
  if (grown == nullptr) throw std::bad_alloc();
  list.release();
  list.reset(grown);
}

std::string LowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// Whether host, host:port or a URL names a port after its host.
bool NamesPort(std::string_view proxy) {
  if (const std::size_t scheme = proxy.find("://"); scheme != std::string_view::npos) proxy.remove_prefix(scheme + 3);
  proxy = proxy.substr(0, proxy.find('/'));
  if (const std::size_t at = proxy.rfind('@'); at != std::string_view::npos) proxy.remove_prefix(at + 1);
  if (!proxy.empty() && proxy.front() == '[') {
    const std::size_t close = proxy.find(']');
    return close != std::string_view::npos && close + 1 < proxy.size() && proxy[close + 1] == ':';
  }
  return proxy.find(':') != std::string_view::npos;
}

HttpError FailureOf(CURLcode code, const char* detail) {
  const std::string text = detail[0] != '\0' ? detail : curl_easy_strerror(code);
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return HttpError(HttpError::Kind::kResolve, "Couldn't resolve hostname");
    case CURLE_COULDNT_CONNECT:
      return HttpError(HttpError::Kind::kSocket, "Error creating socket");
    case CURLE_OPERATION_TIMEDOUT:
      return HttpError(HttpError::Kind::kTimeout, text);
    default:
      return HttpError(HttpError::Kind::kTransfer, text);
  }
}

}  // namespace

std::string Base64(std::string_view bytes) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string encoded;
  encoded.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t left = bytes.size() - i;
    std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
    if (left > 1) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (left > 2) group |= static_cast<unsigned char>(bytes[i + 2]);
    encoded += kAlphabet[(group >> 18) & 63];
    encoded += kAlphabet[(group >> 12) & 63];
    encoded += left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
    encoded += left > 2 ? kAlphabet[group & 63] : '=';
  }
  return encoded;
}

std::string BasicAuthorization(std::string_view user, std::string_view password) {
  return "Basic " + Base64(std::string(user) + ":" + std::string(password));
}

std::string WithProtocol(std::string_view url) {
  if (url.find("://") != std::string_view::npos) return std::string(url);
  return "http://" + std::string(url);
}

T_HTTP::T_HTTP() { InitCurl(); }

T_HTTP::~T_HTTP() = default;

void T_HTTP::SetBasicAuthentication(std::string_view user, std::string_view password) {
  authorization_ = BasicAuthorization(user, password);
}

void T_HTTP::ClearAuthentication() { authorization_.clear(); }

void T_HTTP::Trace(std::string_view text) const {
  if (OnTrace) OnTrace(text);
}

void T_HTTP::Progress() const {
  if (OnActionDone) OnActionDone();
}

bool T_HTTP::TakeHeaderLine(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (line.empty()) return true;
  Trace(line);
  if (line.starts_with("HTTP/")) {
    // A new reply (the next hop of a redirect): what the last one said goes.
    status_code_ = 0;
    status_text_.clear();
    content_length_.reset();
    content_type_.clear();
    www_authenticate_.clear();
    location_.clear();
    std::string_view rest = line.substr(std::min(line.size(), line.find(' ')));
    rest = TrimBlanks(rest);
    const std::string_view code = rest.substr(0, rest.find(' '));
    status_code_ = ParseInteger(code, PlusSign::kRefused).value_or(0);
    status_text_ = std::string(TrimBlanks(rest.substr(code.size())));
    if (status_code_ > 399) {
      failure_.emplace(HttpError::Kind::kProtocol, fmt::format("HTTP {} {}", status_code_, status_text_));
      return false;
    }
    return true;
  }
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return true;
  const std::string name = LowerCase(TrimBlanks(line.substr(0, colon)));
  const std::string_view value = TrimBlanks(line.substr(colon + 1), kSpacesAndTabs);
  if (name == "location") {
    location_ = std::string(value);
  } else if (name == "content-length") {
    if (const auto length = ParseInteger(value, PlusSign::kRefused)) content_length_ = *length;
  } else if (name == "content-type") {
    content_type_ = std::string(value);
  } else if (name == "www-authenticate") {
    www_authenticate_.emplace_back(value);
  }
  return true;
}

bool T_HTTP::TakeBody(std::string_view chunk) {
  if (body_.size() + chunk.size() > body_limit) {
    failure_.emplace(HttpError::Kind::kTransfer, fmt::format("Reply larger than {} bytes", body_limit));
    return false;
  }
  Progress();
  body_.append(chunk);
  Progress();
  return true;
}

std::size_t T_HTTP::HeaderCallback(char* data, std::size_t size, std::size_t count, void* self) {
  const std::size_t bytes = size * count;
  return static_cast<T_HTTP*>(self)->TakeHeaderLine(std::string_view(data, bytes)) ? bytes : 0;
}

std::size_t T_HTTP::BodyCallback(char* data, std::size_t size, std::size_t count, void* self) {
  const std::size_t bytes = size * count;
  return static_cast<T_HTTP*>(self)->TakeBody(std::string_view(data, bytes)) ? bytes : 0;
}

std::string T_HTTP::Request(const std::string& url, bool head) {
  Easy easy(curl_easy_init());
  Multi multi(curl_multi_init());
  if (!easy || !multi) throw HttpError(HttpError::Kind::kSocket, "Error creating socket");
  CURL* e = easy.get();
  char detail[CURL_ERROR_SIZE] = {};

  // The Part's lines in the Part's order; libcurl adds only the Host line
  // (its Accept line is removed, its own user agent and authorization are not used).
  HeaderList headers;
  Append(headers, "Accept:");
  if (!Sender.empty()) Append(headers, "From: " + Sender);
  if (!Reference.empty()) Append(headers, "Referer: " + Reference);
  if (!Agent.empty()) Append(headers, "User-Agent: " + Agent);
  if (NoCache) Append(headers, "Pragma: no-cache");
  if (!authorization_.empty()) Append(headers, "Authorization: " + authorization_);
  HeaderList proxy_headers;
  Append(proxy_headers, "Proxy-Connection:");

  curl_easy_setopt(e, CURLOPT_URL, url.c_str());
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
  curl_easy_setopt(e, CURLOPT_NOBODY, head ? 1L : 0L);
  curl_easy_setopt(e, CURLOPT_FRESH_CONNECT, 1L);
  curl_easy_setopt(e, CURLOPT_FORBID_REUSE, 1L);
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(e, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(e, CURLOPT_PROXYHEADER, proxy_headers.get());
  curl_easy_setopt(e, CURLOPT_HEADEROPT, static_cast<long>(CURLHEADER_SEPARATE));
  curl_easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  curl_easy_setopt(e, CURLOPT_BUFFERSIZE, static_cast<long>(kChunkSize));
  curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &T_HTTP::HeaderCallback);
  curl_easy_setopt(e, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &T_HTTP::BodyCallback);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(e, CURLOPT_ERRORBUFFER, detail);
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts.connect.count()));
  // A peer that sends nothing for the stall time has gone away.
  curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, static_cast<long>((timeouts.stall.count() + 999) / 1000));
  // The environment's proxy variables do not apply: the club's settings say.
  curl_easy_setopt(e, CURLOPT_PROXY, Proxy.c_str());
  if (!Proxy.empty() && !NamesPort(Proxy)) curl_easy_setopt(e, CURLOPT_PROXYPORT, 80L);

  Trace(fmt::format("{} {}{}", head ? "HEAD" : "GET", url, Proxy.empty() ? "" : " through " + Proxy));
  failure_.reset();
  curl_multi_add_handle(multi.get(), e);
  int running = 1;
  bool aborted = false;
  while (running != 0) {
    if (const CURLMcode code = curl_multi_perform(multi.get(), &running); code != CURLM_OK) {
      curl_multi_remove_handle(multi.get(), e);
      throw HttpError(HttpError::Kind::kTransfer, curl_multi_strerror(code));
    }
    if (running != 0) curl_multi_poll(multi.get(), nullptr, 0, kPollMilliseconds, nullptr);
    if (KeepGoing && !KeepGoing()) {
      aborted = true;
      break;
    }
  }
  CURLcode result = CURLE_OK;
  int queued = 0;
  while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
    if (message->msg == CURLMSG_DONE) result = message->data.result;
  }
  char* ended_at = nullptr;
  curl_easy_getinfo(e, CURLINFO_EFFECTIVE_URL, &ended_at);
  const std::string effective = ended_at != nullptr ? ended_at : url;
  curl_multi_remove_handle(multi.get(), e);

  if (aborted) throw HttpError(HttpError::Kind::kAborted, "Aborted");
  if (failure_) throw *failure_;
  if (result != CURLE_OK) throw FailureOf(result, detail);
  return effective;
}

void T_HTTP::Get() {
  body_.clear();
  const std::string at = Request(WithProtocol(URL), /*head=*/true);
  Request(at, /*head=*/false);
  // The buffer is rewound for the reader.
  Progress();
}

}  // namespace pellmark::net
