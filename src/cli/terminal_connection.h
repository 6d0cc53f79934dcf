// The connection dialog on a terminal: Connect is pressed at once and each new
// status line printed; a failure is explained and ends the run as Abort would.
//
//   TerminalConnection dialog(*context.out);
//   books.FetchQuotes(service, dialog);
#pragma once

#include <ostream>

#include "forms/internet_form.h"

namespace pellmark::cli {

class TerminalConnection : public ConnectionDialog {
 public:
  explicit TerminalConnection(std::ostream& out) : out_(out) {}

  void Run(InternetForm& form) override;

 private:
  std::ostream& out_;
  ConnectOnce connect_once_;
};

}  // namespace pellmark::cli
