// The model of TInternetform, "Internet Connection Status": the connection dialog of the
// quote run and of the report and support mail, as a model the desktop dialog
// and the command line both drive.
//
// On show the "Connect" button is enabled and the status asks for it. Connect
// opens the line and runs the task; done closes the dialog with result 6; a
// failure beeps, shows "Could not get Quotes from internet" (or the mail
// tasks' own status) and enables Connect again. Abort closes it with result 7, also while a fetch runs.
//
// This platform has no dial-up networking: every connection type takes the
// local network, so the dialog never dials and never hangs up. The line itself
// (HTTP with the club's proxy and authentication) is given by the books.
//
//   InternetForm form(ui, line);
//   form.PrepareForQuotes(url, club.Info());
//   form.Show();
//   form.Connect();                    // the dialog's "Connect"
//   if (form.Result() == InternetResult::kDone) use(form.Reply());
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "club/interaction.h"
#include "club/records.h"

namespace pellmark {

enum class InternetTask { kQuotes = 1, kReports = 2, kSupportMail = 3 };
enum class ConnectionState { kNotConnected = -1, kConnected = 1, kAborted = 2 };
enum class InternetResult { kOpen = 0, kDone = 6, kAborted = 7 };

inline constexpr std::string_view kQuotesTitle = "Getting Online Quotes";
inline constexpr std::string_view kPressConnect = "Press CONNECT Button to begin";
inline constexpr std::string_view kTryingQuotes = "Trying to get quotes from the internet";
inline constexpr std::string_view kQuotesFailed = "Could not get Quotes from internet";
inline constexpr std::string_view kReportsTitle = "Sending Report via EMAIL";
inline constexpr std::string_view kSendingReports = "Sending Reports";
inline constexpr std::string_view kReportsFailed = "Could not send EMAIL to internet";
inline constexpr std::string_view kSupportTitle = "Sending Customer Support EMAIL";
inline constexpr std::string_view kSendingSupport = "Sending Support Email";
inline constexpr std::string_view kSupportFailed = "Could not send Support EMAIL to internet";

// What a fetch tells the form while it runs.
class LineEvents {
 public:
  virtual ~LineEvents() = default;
  // A part of the reply arrived.
  virtual void Progress() = 0;
  // A diagnostic line (what was sent, what came back, why it failed).
  virtual void Trace(std::string_view line) = 0;
  // Asked every few milliseconds while waiting; false stops the fetch.
  virtual bool KeepGoing() = 0;
};

// The line the form connects through.
class InternetLine {
 public:
  struct Reply {
    std::optional<std::string> body;  // none when the fetch failed or was stopped
    std::string failure_reason;       // why, for the trace
  };
  virtual ~InternetLine() = default;
  // The reply at `url`, fetched with the internet settings of `info`.
  virtual Reply Fetch(const std::string& url, const TClubInfoRec& info, LineEvents& events) = 0;
};

// A recipient the mail server refused, with its reply.
struct RefusedAddress {
  std::string address;
  std::string reply;
  friend bool operator==(const RefusedAddress&, const RefusedAddress&) = default;
};

// What became of a mail the dialog sent.
struct MailSendResult {
  bool sent = false;
  std::string failure_reason;  // why not, for the trace
  std::vector<std::string> accepted;
  std::vector<RefusedAddress> refused;
};

// The mail the dialog sends once the line is open: a report or a support message,
// composed by the books.
class MailTask {
 public:
  virtual ~MailTask() = default;
  virtual MailSendResult Send(LineEvents& events) = 0;
};

class InternetForm : private LineEvents {
 public:
  // `ui` beeps and keeps the window responsive while the fetch waits.
  InternetForm(Interaction& ui, InternetLine& line);

  // The quotes task: the URL and a copy of the club's internet settings.
  void PrepareForQuotes(std::string url, const TClubInfoRec& info);
  // The report and support mail tasks; `mail` lives while the dialog is shown.
  void PrepareForReports(MailTask& mail);
  void PrepareForSupportMail(MailTask& mail);
  // The dialog opens: Connect enabled, the status asks for it, no result yet.
  void Show();
  // "Connect": opens the line and runs the task.
  void Connect();
  // Abort: result 7; a running fetch stops at its next wait.
  void Abort();

  const std::string& Title() const { return title_; }
  const std::string& Status() const { return status_; }
  bool ConnectEnabled() const { return connect_enabled_; }
  bool Closed() const { return closed_; }
  InternetTask Task() const { return task_; }
  ConnectionState State() const { return state_; }
  InternetResult Result() const { return result_; }
  const std::string& URL() const { return url_; }
  // The reply body of a done quotes task.
  const std::string& Reply() const { return reply_; }
  // Why the last fetch or send failed, for the trace; empty after success.
  const std::string& FailureReason() const { return failure_reason_; }
  // Who took the mail of the last send and who refused it.
  const MailSendResult& MailResult() const { return mail_result_; }

  // Called after every change of what the dialog shows; `progress` tells a
  // progress event (the status in growing parentheses) from a new status line.
  std::function<void(bool progress)> OnChange;
  // Diagnostic lines of the line.
  std::function<void(std::string_view)> OnTrace;

 private:
  void Progress() override;
  void Trace(std::string_view line) override;
  bool KeepGoing() override;
  void SetStatus(std::string_view text);
  void Changed(bool progress);
  void ConnectForQuotes();
  void ConnectForMail();

  Interaction& ui_;
  InternetLine& line_;
  InternetTask task_ = InternetTask::kQuotes;
  std::string url_;
  TClubInfoRec info_;
  ConnectionState state_ = ConnectionState::kNotConnected;
  InternetResult result_ = InternetResult::kOpen;
  std::string title_;
  std::string status_;
  bool connect_enabled_ = false;
  bool closed_ = false;
  bool first_progress_ = true;
  bool abort_requested_ = false;
  std::string reply_;
  std::string failure_reason_;
  MailTask* mail_ = nullptr;
  MailSendResult mail_result_;
};

// Shows the connection dialog, prepared for its task, until it closes: done or aborted.
class ConnectionDialog {
 public:
  virtual ~ConnectionDialog() = default;
  virtual void Run(InternetForm& form) = 0;
};

// The dialog without a window, for the command line: Connect is pressed once,
// and a failed connection closes the dialog as by Abort.
class ConnectOnce : public ConnectionDialog {
 public:
  void Run(InternetForm& form) override;
};

}  // namespace pellmark
