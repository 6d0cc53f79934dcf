// The valuation commands on a small club: an official valuation and what it
// prints, the statement as JSON lines, the summary, the unit values, deleting
// the statement, and the refusals that leave every file as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"
#include "support/temp_folder.h"

namespace pellmark::cli {
namespace {

namespace fs = std::filesystem;

class CliValuationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Run({"init", "--name", "Elm", "--year", "2026"}).status, kDone);  // starting unit 25.00
    ASSERT_EQ(Run({"member", "add", "--last", "Smith", "--first", "Ann"}).status, kDone);
    ASSERT_EQ(Run({"--yes", "dues", "--date", "12/01/2026", "--all", "100"}).status, kDone);  // 4 units
    ASSERT_EQ(Run({"interest", "Cash", "20", "--desc", "Interest", "--date", "12/02/2026"}).status, kDone);
  }
  CliRun Run(std::vector<std::string> args) { return RunInClub(folder.Path(), std::move(args)); }
  std::map<std::string, std::string> FolderBytes() {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder.Path())) {
      if (!entry.is_regular_file() || entry.path().filename() == "lock") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      files[entry.path().string()] = {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    return files;
  }
  pellmark::testing::TempFolder folder;
};

TEST_F(CliValuationTest, AnOfficialValuationPrintsItsUnitValueAndItsStatementReadsBack) {
  // Cash 100 + 20 over Ann's 4 units: 30.00.
  CliRun official = Run({"valuation", "official", "12/07/2026"});
  ASSERT_EQ(official.status, kDone) << official.err;
  EXPECT_EQ(official.err, "Valuation Statement V12072026.stm created. Valuation Updated\n");
  EXPECT_EQ(official.out,
            "Statement:            V12072026.stm\n"
            "Unit value:           $30.0000\n"
            "Previous unit value:  $25.0000\n"
            "Total value:          $120.00\n"
            "Total units:          4.000\n"
            "Unit id:              1\n");

  CliRun statement = Run({"statement", "V12072026.stm"});
  ASSERT_EQ(statement.status, kDone) << statement.err;
  EXPECT_EQ(statement.out,
            "{\"kind\":\"header\",\"date\":\"07-DEC-2026\"}\n"
            "{\"kind\":\"dividends\",\"amount\":0.0}\n"
            "{\"kind\":\"account\",\"name\":\"Cash\",\"balance\":120.0,\"interest\":20.0}\n"
            "{\"kind\":\"member\",\"name\":\"Ann Smith\",\"units\":4.0,\"contributions\":100.0,\"earnings\":0.0}\n"
            "{\"kind\":\"summary\",\"unit_value\":30.0,\"previous\":25.0,\"total_value\":120.0,\"total_units\":4.0}\n"
            "{\"kind\":\"trailer\",\"unitid\":1}\n");

  CliRun summary = Run({"--json", "summary"});
  EXPECT_EQ(nlohmann::json::parse(summary.out),
            nlohmann::json::parse(R"({"total_assets": 120.0, "total_units": 4.0, "actual_unit": 30.0, "purchase_unit": 30.0})"));
  EXPECT_EQ(Run({"summary"}).out,
            "Total Assets:   $120.00\n"
            "Total Units:    4.000\n"
            "Actual Unit:    $30.0000\n"
            "Purchase Unit:  $30.0000\n");
  CliRun values = Run({"unit-values"});
  EXPECT_EQ(values.out,
            "Unit Values (2)\n"
            "Date        Unit Value  Id  Year Closed\n"
            "----------  ----------  --  -----------\n"
            "01/01/2026    $25.0000   0\n"
            "12/07/2026    $30.0000   1\n");
  for (const char* backup : {"clubmem.bck", "clubunit.bck", "clubinfo.bck"}) {
    EXPECT_TRUE(fs::exists(folder.Path() / backup)) << backup;
  }

  CliRun kept = Run({"--no", "valuation", "delete", "V12072026.stm"});
  EXPECT_EQ(kept.status, kRefused);
  EXPECT_TRUE(fs::exists(folder.Path() / "V12072026.stm"));
  ASSERT_EQ(Run({"--yes", "valuation", "delete", "V12072026.stm"}).status, kDone);
  EXPECT_FALSE(fs::exists(folder.Path() / "V12072026.stm"));
  EXPECT_EQ(Run({"unit-values"}).out, values.out);  // the unit record stays
}

TEST_F(CliValuationTest, AValuationWhoseBackupFailsIsPrintedAndTheFailureEndsTheCommand) {
  // A folder where the backup file should go: the set cannot be replaced.
  fs::create_directory(folder.Path() / "clubmem.bck");
  CliRun official = Run({"valuation", "official", "12/07/2026"});
  EXPECT_EQ(official.status, kRefused);
  EXPECT_EQ(official.err, "Valuation Statement V12072026.stm created. Valuation Updated\n"
                          "Data Backup failed\nCannot create file " +
                              (folder.Path() / "clubmem.bck").string() + " (Is a directory)\n");
  EXPECT_EQ(official.out,
            "Statement:            V12072026.stm\n"
            "Unit value:           $30.0000\n"
            "Previous unit value:  $25.0000\n"
            "Total value:          $120.00\n"
            "Total units:          4.000\n"
            "Unit id:              1\n");
  // Recorded and committed: the club opens with it, and the summary buys at it.
  EXPECT_EQ(Run({"unit-values"}).out,
            "Unit Values (2)\n"
            "Date        Unit Value  Id  Year Closed\n"
            "----------  ----------  --  -----------\n"
            "01/01/2026    $25.0000   0\n"
            "12/07/2026    $30.0000   1\n");
  // Once the folder is out of the way the next backup takes the whole set.
  fs::remove(folder.Path() / "clubmem.bck");
  const fs::path elsewhere = folder.Path() / "elsewhere";
  fs::create_directory(elsewhere);
  ASSERT_EQ(Run({"backup", elsewhere.string()}).status, kDone);
  ASSERT_EQ(Run({"--yes", "valuation", "official", "12/07/2026"}).status, kDone);
  for (const char* backup : {"clubmem.bck", "clubunit.bck", "clubinfo.bck"}) {
    EXPECT_TRUE(fs::is_regular_file(folder.Path() / backup)) << backup;
  }
}

TEST_F(CliValuationTest, RefusedValuationsNameTheirReasonAndChangeNothing) {
  const auto before = FolderBytes();
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const std::vector<Case> cases = {
      {{"valuation", "official", "12/31/2025"}, "Valuations for previous years not allowed.\n"},
      {{"valuation", "official", "12/09/2026"}, "Future Valuations are not allowed.\n"},
      {{"valuation", "test", "02/30/2026"}, "02/30/2026 is an invalid date.\n"},
      {{"valuation", "test", "soon"}, "soon is an invalid date.\n"},
  };
  for (const Case& c : cases) {
    CliRun run = Run(c.args);
    EXPECT_EQ(run.status, kRefused) << c.args.back();
    EXPECT_EQ(run.err, c.err) << c.args.back();
  }
  EXPECT_EQ(FolderBytes(), before);

  std::ofstream(folder.Path() / "V11302026.stm", std::ios::binary) << std::string(51, '\7');
  CliRun damaged = Run({"statement", "V11302026.stm"});
  EXPECT_EQ(damaged.status, kRefused);
  EXPECT_EQ(damaged.err, "Valuation statement V11302026.stm is damaged: it does not begin with its date.\n");
  CliRun not_statement = Run({"--yes", "valuation", "delete", "clubmem.qdb"});
  EXPECT_EQ(not_statement.status, kRefused);
  EXPECT_EQ(not_statement.err, "clubmem.qdb is not a valuation statement.\n");
  EXPECT_TRUE(fs::exists(folder.Path() / "clubmem.qdb"));
}

TEST_F(CliValuationTest, AnAuditAndARecalculationRerunTheValuationsAfterABackDatedPosting) {
  // 3 December: 120 over 4 units, 30.00.
  ASSERT_EQ(Run({"valuation", "official", "12/03/2026"}).status, kDone);
  // 40 more interest on 2 December, the audit question answered No.
  CliRun interest = Run({"--no", "interest", "Cash", "40", "--desc", "Late", "--date", "12/02/2026"});
  ASSERT_EQ(interest.status, kDone) << interest.err;
  auto summary_line = [&] {
    const std::string out = Run({"statement", "V12032026.stm"}).out;
    return out.substr(out.find("{\"kind\":\"summary\""));
  };
  EXPECT_TRUE(summary_line().starts_with("{\"kind\":\"summary\",\"unit_value\":30.0,")) << summary_line();

  CliRun audit = Run({"audit", "12/01/2026"});
  ASSERT_EQ(audit.status, kDone) << audit.err;
  EXPECT_EQ(audit.err, "The Audit was completed successfully.\n");
  // 160 over 4 units.
  EXPECT_TRUE(summary_line().starts_with("{\"kind\":\"summary\",\"unit_value\":40.0,")) << summary_line();

  CliRun recalculate = Run({"--yes", "recalculate"});
  ASSERT_EQ(recalculate.status, kDone) << recalculate.err;
  EXPECT_NE(recalculate.err.find("All active members units been recalculated.\n"), std::string::npos) << recalculate.err;
  EXPECT_TRUE(summary_line().starts_with("{\"kind\":\"summary\",\"unit_value\":40.0,")) << summary_line();

  const auto before = FolderBytes();
  CliRun refused = Run({"--no", "recalculate"});
  EXPECT_NE(refused.status, kDone);
  EXPECT_EQ(FolderBytes(), before);
}

TEST_F(CliValuationTest, TheRecalculationDrawsItsProgressOnlyWhenStandardErrorIsATerminal) {
  ASSERT_EQ(Run({"valuation", "official", "12/03/2026"}).status, kDone);
  const std::string plain = Run({"--yes", "recalculate"}).err;
  EXPECT_TRUE(plain.ends_with("Continue? Yes\nAll active members units been recalculated.\n")) << plain;
  EXPECT_EQ(plain.find('%'), std::string::npos) << plain;

  const std::vector<std::string> args = {"pellmark-cli", "--club", folder.Path().string(), "--today",
                                         "12/07/2026",   "--yes",  "recalculate"};
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  ASSERT_EQ(RunCli(static_cast<int>(argv.size()), argv.data(), in, out, err, false, true), kDone);
  // Two unit records: the starting one and 3 December.
  EXPECT_TRUE(err.str().ends_with(
      "Continue? Yes\n\rRecalculating Valuations 100%\nAll active members units been recalculated.\n"))
      << err.str();
}

}  // namespace
}  // namespace pellmark::cli
