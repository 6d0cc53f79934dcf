#include "net/internet_form.h"

#include <utility>

namespace pellmark::net {
namespace {

// The progress wrapping starts again from "()" once the status grows past this.
constexpr std::size_t kLongestProgress = 49;

}  // namespace

InternetForm::InternetForm(Interaction& ui, HttpTimeouts timeouts) : ui_(ui), timeouts_(timeouts) {}

void InternetForm::PrepareForQuotes(std::string url, const TClubInfoRec& info) {
  task_ = InternetTask::kQuotes;
  url_ = std::move(url);
  info_ = info;
  title_ = std::string(kQuotesTitle);
}

void InternetForm::Show() {
  state_ = ConnectionState::kNotConnected;
  result_ = InternetResult::kOpen;
  closed_ = false;
  first_progress_ = true;
  abort_requested_ = false;
  connect_enabled_ = true;
  reply_.clear();
  SetStatus(kPressConnect);
}

void InternetForm::Connect() {
  if (!connect_enabled_ || closed_) return;
  connect_enabled_ = false;
  abort_requested_ = false;
  // Whatever the connection type says, the line is the local network here.
  state_ = ConnectionState::kConnected;
  SetStatus(kTryingQuotes);

  T_HTTP http;
  http.timeouts = timeouts_;
  http.URL = url_;
  if (info_.usepxy) http.Proxy = info_.proxy;
  http.NoCache = info_.pxycsh;
  if (info_.usepas) {
    http.SetBasicAuthentication(info_.user, info_.passwd);
  } else {
    http.ClearAuthentication();
  }
  http.OnActionDone = [this] { _HTTPActionDone(); };
  http.OnTrace = [this](std::string_view line) {
    if (OnTrace) OnTrace(line);
  };
  http.KeepGoing = [this] {
    if (!ui_.KeepResponsive()) Abort();
    return !abort_requested_;
  };
  try {
    http.Get();
  } catch (const HttpError& error) {
    failure_reason_ = error.what();
    if (result_ == InternetResult::kAborted) return;
    ui_.Beep();
    connect_enabled_ = true;
    SetStatus(kQuotesFailed);
    return;
  }
  failure_reason_.clear();
  if (result_ == InternetResult::kAborted) return;
  reply_ = http.Body();
  result_ = InternetResult::kDone;
  closed_ = true;
  Changed(false);
}

void InternetForm::Abort() {
  abort_requested_ = true;
  result_ = InternetResult::kAborted;
  state_ = ConnectionState::kAborted;
  connect_enabled_ = false;
  closed_ = true;
  reply_.clear();
  Changed(false);
}

void InternetForm::SetStatus(std::string_view text) {
  status_ = std::string(text);
  Changed(false);
}

void InternetForm::_HTTPActionDone() {
  if (first_progress_ || status_.size() > kLongestProgress) {
    first_progress_ = false;
    status_ = "()";
  } else {
    status_ = "(" + status_ + ")";
  }
  Changed(true);
}

void InternetForm::Changed(bool progress) {
  if (OnChange) OnChange(progress);
}

}  // namespace pellmark::net
