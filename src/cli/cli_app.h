// pellmark-cli: the club's operations driven from the command line.
//
//   pellmark-cli [--club DIR] [--today MM/DD/YYYY] [--json] [--yes|--no] COMMAND ...
//
// Exit status: 0 done; 1 refused by the program (its message on stderr);
// 2 usage error; 3 file or store error.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace pellmark::cli {

enum ExitStatus { kDone = 0, kRefused = 1, kUsage = 2, kFileError = 3 };

// Runs one command line; `in_is_terminal` says whether questions may be asked on
// `in`, `err_is_terminal` whether a progress line may be drawn on `err`.
int RunCli(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err,
           bool in_is_terminal, bool err_is_terminal = false);

// The command paths that run something ("accounts", "account add", "txn delete"
// ...), in the order they were added.
std::vector<std::string> CommandPaths();

}  // namespace pellmark::cli
