#include "cli/cli_app.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "cli/cli_runner.h"
#include "support/temp_folder.h"

namespace pellmark::cli {
namespace {

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

namespace pellmark::cli {
namespace {

class CliClubTest : public ::testing::Test {
 protected:
  std::string Club() const { return folder.Path().string(); }
  pellmark::testing::TempFolder folder;
};

TEST_F(CliClubTest, InitSetsUpTheClubAndInfoShowsItsFields) {
  CliRun init = RunLine({"--club", Club(), "--today", "12/07/2026", "init", "--name", "Caf\xC3\xA9 Investors",
                         "--year", "1999", "--start-unit", "10"});
  EXPECT_EQ(init.status, kDone) << init.err;
  EXPECT_EQ(init.err, "Club Information added.\n");

  CliRun info = RunLine({"--club", Club(), "info"});
  ASSERT_EQ(info.status, kDone) << info.err;
  auto json = nlohmann::json::parse(info.out);
  EXPECT_EQ(json["club"], "Caf\xC3\xA9 Investors");
  EXPECT_EQ(json["year"], 1999);
  EXPECT_EQ(json["vunit"], 10.0);
  EXPECT_EQ(json["unitind"], 1);
  EXPECT_EQ(json["defact"], 1);
  EXPECT_EQ(json["contyp"], -1);
  EXPECT_EQ(json.size(), 28u);
}

TEST_F(CliClubTest, InitRefusalsExitWithStatusOne) {
  CliRun bad_year = RunLine({"--club", Club(), "init", "--name", "X", "--year", "19x7"});
  EXPECT_EQ(bad_year.status, kRefused);
  EXPECT_EQ(bad_year.err, "Invalid Track Year\n");
  CliRun bad_unit = RunLine({"--club", Club(), "init", "--name", "X", "--year", "1999", "--start-unit", "ten"});
  EXPECT_EQ(bad_unit.status, kRefused);
  EXPECT_EQ(bad_unit.err, "Invalid Start Unit Value\n");

  ASSERT_EQ(RunLine({"--club", Club(), "init", "--name", "X", "--year", "1999"}).status, kDone);
  CliRun again = RunLine({"--club", Club(), "init", "--name", "Y", "--year", "2000"});
  EXPECT_EQ(again.status, kRefused);
  EXPECT_EQ(again.err, "The club \"X\" is already set up; change it on the Special page.\n");
}

TEST_F(CliClubTest, InfoOnAClubNotSetUpIsRefused) {
  CliRun info = RunLine({"--club", Club(), "info"});
  EXPECT_EQ(info.status, kRefused);
  EXPECT_NE(info.err.find("has not been set up."), std::string::npos);
}

TEST_F(CliClubTest, OpenRunsTheUpgradesOfAnOldClubAndReportsThem) {
  std::string old_info(134, '\0');
  old_info[0] = 3;
  old_info.replace(1, 3, "Old");
  std::ofstream(folder.Path() / "clubinfo.qdb", std::ios::binary) << old_info;
  CliRun open = RunLine({"--club", Club(), "open"});
  EXPECT_EQ(open.status, kDone) << open.err;
  EXPECT_EQ(open.err, "Pellmark Data File Formats will be updated\n");
  CliRun again = RunLine({"--club", Club(), "open"});
  EXPECT_EQ(again.err, "");  // converted once
}

}  // namespace
}  // namespace pellmark::cli

namespace pellmark::cli {
namespace {

TEST(CliDemo, TheDemoClubHoldsAYearOfDuesAndTheBanksActivity) {
  pellmark::testing::TempFolder folder;
  const std::string club = (folder.Path() / "demo").string();
  ASSERT_EQ(RunLine({"--today", "12/07/2026", "demo", club}).status, kDone);

  CliRun members = RunLine({"--club", club, "members"});
  EXPECT_NE(members.out.find("Elm Street Family Trust              120.000      $1,200.00"), std::string::npos)
      << members.out;
  EXPECT_NE(members.out.find("Smith, Ann                            60.000        $600.00"), std::string::npos);
  CliRun ann = RunLine({"--club", club, "dues-history", "Smith, Ann", "--year", "2026"});
  EXPECT_EQ(ann.out.substr(0, ann.out.find('\n')), "2026 Dues History (12)");

  CliRun accounts = RunLine({"--club", club, "accounts"});
  EXPECT_NE(accounts.out.find("Bank                      0072-558190                     $991.25"), std::string::npos)
      << accounts.out;
  EXPECT_NE(accounts.out.find("$1,800.00"), std::string::npos);
  EXPECT_NE(accounts.out.find("default-member"), std::string::npos);
  CliRun broker = RunLine({"--club", club, "register", "Broker", "--year", "2026"});
  EXPECT_EQ(broker.out.substr(0, broker.out.find('\n')), "2026 Transaction History (3)");

  EXPECT_EQ(RunLine({"--today", "12/07/2026", "demo", club}).status, kRefused);  // never over a club
}

}  // namespace
}  // namespace pellmark::cli
