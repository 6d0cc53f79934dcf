// Runs one pellmark-cli command line in-process and captures what it printed.
#pragma once

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"

namespace pellmark::cli {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

inline CliRun RunLine(std::vector<std::string> args) {
  args.insert(args.begin(), "pellmark-cli");
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  int status = RunCli(static_cast<int>(argv.size()), argv.data(), in, out, err, false);
  return {status, out.str(), err.str()};
}

// The same on the club in `club`, with today fixed.
inline CliRun RunInClub(const std::filesystem::path& club, std::vector<std::string> args,
                        const std::string& today = "12/07/2026") {
  args.insert(args.begin(), {"--club", club.string(), "--today", today});
  return RunLine(std::move(args));
}

}  // namespace pellmark::cli
