#include "books/http_line.h"

#include "net/http_client.h"

namespace pellmark {

InternetLine::Reply HttpLine::Fetch(const std::string& url, const TClubInfoRec& info, LineEvents& events) {
  net::T_HTTP http;
  http.timeouts = waits_;
  http.URL = url;
  if (info.usepxy) http.Proxy = info.proxy;
  http.NoCache = info.pxycsh;
  if (info.usepas) {
    http.SetBasicAuthentication(info.user, info.passwd);
  } else {
    http.ClearAuthentication();
  }
  http.OnActionDone = [&events] { events.Progress(); };
  http.OnTrace = [&events](std::string_view line) { events.Trace(line); };
  http.KeepGoing = [&events] { return events.KeepGoing(); };
  try {
    http.Get();
  } catch (const net::HttpError& error) {
    return {.body = std::nullopt, .failure_reason = error.what()};
  }
  return {.body = http.Body(), .failure_reason = {}};
}

}  // namespace pellmark
