// T_HTTP: the small HTTP client of the quote run, on libcurl.
//
// A fetch sends a HEAD request, then a GET, each on a new connection that is
// closed afterwards, as HTTP/1.0:
//
//   HEAD /d/quotes.csv?s=IBM&f=sl1d1&e=.csv HTTP/1.0
//   Host: quotes.example.com
//   From: <Sender>                   when set
//   Referer: <Reference>             when set
//   User-Agent: <Agent>              when set
//   Pragma: no-cache                 with NoCache
//   Authorization: Basic <base64>    with basic authentication
//
// Through a proxy the request path is the whole URL and the connection goes to
// the proxy (port 80 when it names none). A status above 399 ends the fetch;
// redirects are followed, and the GET goes where the HEAD ended. The body
// arrives in chunks of at most kChunkSize bytes, with a progress event before
// and after each and one more at the end.
//
// libcurl decides the transport (proxies, https, redirects); the Host line is
// kept because no name-based server or proxy of today answers without it.
//
//   T_HTTP http;
//   http.URL = url;
//   http.NoCache = true;
//   http.KeepGoing = [&] { return !abort_pressed; };
//   http.Get();                       // throws HttpError
//   use(http.Body());
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "club/quote_service.h"

namespace pellmark::net {

// Why a fetch failed, worded for the trace: "Couldn't resolve hostname",
// "Error creating socket", "HTTP 404 Not Found", "Aborted", or libcurl's own text.
class HttpError : public std::runtime_error {
 public:
  enum class Kind { kResolve, kSocket, kProtocol, kAborted, kTimeout, kTransfer };
  HttpError(Kind kind, const std::string& text) : std::runtime_error(text), kind_(kind) {}
  Kind WhatKind() const { return kind_; }

 private:
  Kind kind_;
};

using HttpTimeouts = ConnectionWaits;

class T_HTTP {
 public:
  static constexpr std::size_t kChunkSize = 32512;
  // A quote reply is a few lines per security; a body beyond this is refused
  // rather than allowed to fill the memory.
  static constexpr std::size_t kDefaultBodyLimit = 64u << 20;

  T_HTTP();
  ~T_HTTP();
  T_HTTP(const T_HTTP&) = delete;
  T_HTTP& operator=(const T_HTTP&) = delete;

  std::string URL;
  // host, host:port or a URL; empty for none.
  std::string Proxy;
  std::string Sender;
  std::string Agent;
  std::string Reference;
  bool NoCache = false;

  // Progress while the body arrives.
  std::function<void()> OnActionDone;
  // Diagnostic lines (what was sent, what came back, why it failed).
  std::function<void(std::string_view)> OnTrace;
  // Asked every few milliseconds while waiting; false aborts the fetch.
  std::function<bool()> KeepGoing;

  HttpTimeouts timeouts;
  std::size_t body_limit = kDefaultBodyLimit;

  // "Authorization: Basic " + Base64(user + ":" + password) on every request.
  void SetBasicAuthentication(std::string_view user, std::string_view password);
  void ClearAuthentication();
  // The value sent after "Authorization: ", empty for none.
  const std::string& Authorization() const { return authorization_; }

  // HEAD, then GET where the HEAD ended. Throws HttpError; the reply fields
  // below then hold what had arrived.
  void Get();

  int StatusCode() const { return status_code_; }
  const std::string& StatusText() const { return status_text_; }
  std::optional<long long> ContentLength() const { return content_length_; }
  const std::string& ContentType() const { return content_type_; }
  const std::vector<std::string>& WwwAuthenticate() const { return www_authenticate_; }
  // The location named by the last reply, empty when none.
  const std::string& Location() const { return location_; }
  const std::string& Body() const { return body_; }

  // Reads one header line of a reply: the status line (any "HTTP/" version)
  // starts a new reply; a status above 399 ends the fetch with a protocol error.
  // False when the fetch is to stop.
  bool TakeHeaderLine(std::string_view line);

 private:
  static std::size_t HeaderCallback(char* data, std::size_t size, std::size_t count, void* self);
  static std::size_t BodyCallback(char* data, std::size_t size, std::size_t count, void* self);
  // One request on its own connection; returns the URL it ended at.
  std::string Request(const std::string& url, bool head);
  bool TakeBody(std::string_view chunk);
  void Trace(std::string_view text) const;
  void Progress() const;

  std::string authorization_;
  int status_code_ = 0;
  std::string status_text_;
  std::optional<long long> content_length_;
  std::string content_type_;
  std::vector<std::string> www_authenticate_;
  std::string location_;
  std::string body_;
  std::optional<HttpError> failure_;
};

// "Basic " + the Base64 encoding (RFC 2045) of user + ":" + password.
std::string BasicAuthorization(std::string_view user, std::string_view password);
// Base64 (RFC 2045 alphabet, "=" padding, no line breaks).
std::string Base64(std::string_view bytes);

// The URL as requested: "http://" in front when it names no protocol.
std::string WithProtocol(std::string_view url);

}  // namespace pellmark::net
