// Runs one pellmark-cli command line in-process and captures what it printed.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
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

// What poppler's pdftotext reads from the file, pages separated by form feeds.
inline std::string PdfText(const std::string& pdf) {
  std::string text;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(("pdftotext -layout '" + pdf + "' -").c_str(), "r"), pclose);
  if (!pipe) return text;
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) text.append(buffer, n);
  return text;
}

}  // namespace pellmark::cli
