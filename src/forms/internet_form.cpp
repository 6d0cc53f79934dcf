#include "forms/internet_form.h"

#include <utility>

namespace pellmark {
namespace {

// The progress wrapping starts again from "()" once the status grows past this.
constexpr std::size_t kLongestProgress = 49;

}  // namespace

InternetForm::InternetForm(Interaction& ui, InternetLine& line) : ui_(ui), line_(line) {}

void InternetForm::PrepareForQuotes(std::string url, const TClubInfoRec& info) {
  task_ = InternetTask::kQuotes;
  url_ = std::move(url);
  info_ = info;
  title_ = std::string(kQuotesTitle);
}

void InternetForm::PrepareForReports(MailTask& mail) {
  task_ = InternetTask::kReports;
  mail_ = &mail;
  title_ = std::string(kReportsTitle);
}

void InternetForm::PrepareForSupportMail(MailTask& mail) {
  task_ = InternetTask::kSupportMail;
  mail_ = &mail;
  title_ = std::string(kSupportTitle);
}

void InternetForm::Show() {
  state_ = ConnectionState::kNotConnected;
  result_ = InternetResult::kOpen;
  closed_ = false;
  first_progress_ = true;
  abort_requested_ = false;
  connect_enabled_ = true;
  reply_.clear();
  mail_result_ = {};
  SetStatus(kPressConnect);
}

void InternetForm::Connect() {
  if (!connect_enabled_ || closed_) return;
  connect_enabled_ = false;
  abort_requested_ = false;
  // Whatever the connection type says, the line is the local network here.
  state_ = ConnectionState::kConnected;
  if (task_ == InternetTask::kQuotes) {
    ConnectForQuotes();
  } else {
    ConnectForMail();
  }
}

void InternetForm::ConnectForMail() {
  const bool reports = task_ == InternetTask::kReports;
  SetStatus(reports ? kSendingReports : kSendingSupport);
  mail_result_ = mail_->Send(*this);
  failure_reason_ = mail_result_.failure_reason;
  if (result_ == InternetResult::kAborted) return;
  if (!mail_result_.sent) {
    ui_.Beep();
    connect_enabled_ = true;
    SetStatus(reports ? kReportsFailed : kSupportFailed);
    return;
  }
  result_ = InternetResult::kDone;
  closed_ = true;
  Changed(false);
}

void InternetForm::ConnectForQuotes() {
  SetStatus(kTryingQuotes);

  InternetLine::Reply reply = line_.Fetch(url_, info_, *this);
  failure_reason_ = std::move(reply.failure_reason);
  if (result_ == InternetResult::kAborted) return;
  if (!reply.body) {
    ui_.Beep();
    connect_enabled_ = true;
    SetStatus(kQuotesFailed);
    return;
  }
  reply_ = std::move(*reply.body);
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

void InternetForm::Progress() {
  if (first_progress_ || status_.size() > kLongestProgress) {
    first_progress_ = false;
    status_ = "()";
  } else {
    status_ = "(" + status_ + ")";
  }
  Changed(true);
}

void InternetForm::Trace(std::string_view line) {
  if (OnTrace) OnTrace(line);
}

bool InternetForm::KeepGoing() {
  if (!ui_.KeepResponsive()) Abort();
  return !abort_requested_;
}

void InternetForm::SetStatus(std::string_view text) {
  status_ = std::string(text);
  Changed(false);
}

void InternetForm::Changed(bool progress) {
  if (OnChange) OnChange(progress);
}

void ConnectOnce::Run(InternetForm& form) {
  form.Connect();
  if (!form.Closed()) form.Abort();
}

}  // namespace pellmark
