#include "cli/cli_app.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <vector>

namespace pellmark::cli {
namespace {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

CliRun RunLine(std::vector<std::string> args) {
  args.insert(args.begin(), "pellmark-cli");
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  int status = RunCli(static_cast<int>(argv.size()), argv.data(), in, out, err, false);
  return {status, out.str(), err.str()};
}

TEST(CliGlobalOptions, HelpListsTheGlobalOptions) {
  CliRun run = RunLine({"--help"});
  EXPECT_EQ(run.status, kDone);
  for (const char* option : {"--club", "--today", "--yes", "--no", "--version"}) {
    EXPECT_NE(run.out.find(option), std::string::npos) << option;
  }
}

TEST(CliGlobalOptions, VersionPrintsTheProgramName) {
  CliRun run = RunLine({"--version"});
  EXPECT_EQ(run.status, kDone);
  EXPECT_EQ(run.out.rfind("pellmark-cli ", 0), 0u);
}

TEST(CliGlobalOptions, AnInvalidTodayIsAUsageError) {
  CliRun run = RunLine({"--today", "13/45/1999", "info"});
  EXPECT_EQ(run.status, kUsage);
  EXPECT_EQ(run.err, "pellmark-cli: --today: '13/45/1999' is not a valid date (mm/dd/yyyy)\n");
}

TEST(CliGlobalOptions, YesAndNoExcludeEachOther) {
  EXPECT_EQ(RunLine({"--yes", "--no", "info"}).status, kUsage);
}

TEST(CliGlobalOptions, UnknownCommandsAndMissingCommandsAreUsageErrors) {
  EXPECT_EQ(RunLine({"frobnicate"}).status, kUsage);
  EXPECT_EQ(RunLine({}).status, kUsage);
}

TEST(CliInfo, AMissingClubFolderIsAUsageError) {
  CliRun run = RunLine({"--club", "/nonexistent/pellmark/club", "info"});
  EXPECT_EQ(run.status, kUsage);
  EXPECT_NE(run.err.find("/nonexistent/pellmark/club"), std::string::npos);
}

}  // namespace
}  // namespace pellmark::cli
