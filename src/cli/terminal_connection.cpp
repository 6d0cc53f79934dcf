#include "cli/terminal_connection.h"

#include <string>

#include "club/text_encoding.h"

namespace pellmark::cli {

void TerminalConnection::Run(InternetForm& form) {
  std::string last = form.Status();
  form.OnChange = [&](bool progress) {
    // The progress parentheses are for a window's status line, not a terminal.
    if (progress || form.Status() == last || form.Status().starts_with("(")) return;
    last = form.Status();
    out_ << ToUtf8(last) << '\n' << std::flush;
  };
  connect_once_.Run(form);
  if (form.Result() != InternetResult::kDone && !form.FailureReason().empty()) {
    out_ << ToUtf8(form.FailureReason()) << '\n';
  }
  form.OnChange = nullptr;
}

}  // namespace pellmark::cli
