#include <fstream>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"
#include "support/temp_folder.h"

namespace pellmark::cli {
namespace {

using ::testing::HasSubstr;
using nlohmann::json;

// Two members paying dues from January 2026 at the starting unit value of $10.
class MemberReportCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Run({"init", "--name", "Elm", "--year", "2026", "--start-unit", "10"}).status, kDone);
    ASSERT_EQ(Run({"member", "add", "--last", "Smith", "--first", "Ann", "--email", "ann@example.com"}).status, kDone);
    ASSERT_EQ(Run({"member", "add", "--group", "Elm Street Trust"}).status, kDone);
    ASSERT_EQ(Run({"dues", "--date", "01/15/2026", "--all", "50"}).status, kDone);
    ASSERT_EQ(Run({"--yes", "dues", "--date", "03/15/2026", "--all", "25"}).status, kDone);
  }
  CliRun Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--club", folder.Path().string(), "--today", "12/07/2026"});
    return RunLine(args);
  }
  json Json(std::vector<std::string> args) {
    CliRun run = Run(std::move(args));
    EXPECT_EQ(run.status, kDone) << run.err;
    return json::parse(run.out);
  }
  static std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  pellmark::testing::TempFolder folder;
};

TEST_F(MemberReportCommandTest, DuesAsJson) {
  const json dues = Json({"report", "dues", "--date", "06/30/2026", "--json"});
  EXPECT_EQ(dues["date"], "06/30/2026");
  ASSERT_EQ(dues["members"].size(), 2u);
  EXPECT_EQ(dues["members"][0]["name"], "Elm Street Trust");
  EXPECT_EQ(dues["members"][1]["name"], "Smith, Ann");
  EXPECT_EQ(dues["members"][1]["months"], json::parse("[50,0,25,0,0,0,0,0,0,0,0,0]"));
  EXPECT_EQ(dues["totals"], json::parse("[100,0,50,0,0,0,0,0,0,0,0,0]"));
  EXPECT_EQ(dues["total"], 150);
}

TEST_F(MemberReportCommandTest, DuesAsText) {
  const auto file = folder.Path() / "dues.txt";
  CliRun run = Run({"report", "dues", "--date", "06/30/2026", "--text", file.string()});
  ASSERT_EQ(run.status, kDone) << run.err;
  const std::string text = Read(file);
  EXPECT_THAT(text, HasSubstr("Membership Dues : 01/01/2026 thru 06/30/2026."));
  EXPECT_THAT(text, HasSubstr("Total Dues Collected $150.00"));
}

TEST_F(MemberReportCommandTest, RosterAsJson) {
  const json roster = Json({"report", "roster", "--date", "06/30/2026", "--json"});
  ASSERT_EQ(roster["members"].size(), 2u);
  EXPECT_EQ(roster["members"][1],
            json::parse(R"({"name":"Ann Smith","address":"","phones":{"H":"","W":"","F":"","O":""},"email":"ann@example.com"})"));
}

TEST_F(MemberReportCommandTest, VoteAsJsonAddsUpToAHundred) {
  const json vote = Json({"report", "vote", "--date", "02/01/2026", "--json"});
  EXPECT_EQ(vote["unit_value"], 10);
  EXPECT_EQ(vote["total_units"], 10);
  ASSERT_EQ(vote["members"].size(), 2u);
  EXPECT_EQ(vote["members"][1], json::parse(R"({"name":"Ann Smith","units":5.0,"value":50.0,"percent":50.0})"));
}

TEST_F(MemberReportCommandTest, ReturnsAsJsonAndCsv) {
  const json returns = Json({"report", "returns", "--date", "12/31/2026", "--json"});
  ASSERT_EQ(returns["members"].size(), 2u);
  const json& ann = returns["members"][1];
  EXPECT_EQ(ann["name"], "Ann Smith");
  EXPECT_EQ(ann["paid_in"], 75);
  EXPECT_EQ(ann["value"], 75);  // still at the starting unit value
  EXPECT_NEAR(ann["return_percent"].get<double>(), 0, 1e-9);
  EXPECT_EQ(ann["annualised"], false);
  EXPECT_EQ(returns["club"][4]["period"], "Since Start");
  EXPECT_EQ(returns["club"][0]["return_percent"], nullptr);  // no unit value a year back
  const auto csv = folder.Path() / "returns.csv";
  ASSERT_EQ(Run({"report", "returns", "--date", "12/31/2026", "--csv", csv.string()}).status, kDone);
  EXPECT_THAT(Read(csv), HasSubstr("member,Ann Smith,01/15/2026,75.00,0.00,75.00,0.00,0.0000,no\r\n"));
}

TEST_F(MemberReportCommandTest, PayoffAsJsonForOneMember) {
  ASSERT_EQ(Run({"--yes", "payoff", "Smith, Ann", "30", "--date", "04/01/2026", "--valuation", "01/01/2026", "--fee",
                 "5"}).status,
            kDone);
  const json payoff = Json({"report", "payoff", "--date", "06/30/2026", "--member", "Ann Smith", "--json"});
  ASSERT_EQ(payoff["payouts"].size(), 1u);
  const json& letter = payoff["payouts"][0];
  EXPECT_EQ(letter["name"], "Ann Smith");
  EXPECT_EQ(letter["payout_date"], "04/01/2026");
  EXPECT_EQ(letter["units"], 3);
  EXPECT_EQ(letter["unit_value"], 10);
  EXPECT_EQ(letter["amount"], 30);
  EXPECT_EQ(letter["fee"], 5);
  EXPECT_EQ(letter["basis"], 35);  // 3.5 units covered, the fee's included, at $10
  EXPECT_EQ(letter["additional_gain"], -5);
  EXPECT_EQ(letter["shares"]["dividends"], 0);
  CliRun nobody = Run({"report", "payoff", "--date", "06/30/2026", "--member", "Elm Street Trust", "--json"});
  EXPECT_EQ(nobody.status, kRefused);
  EXPECT_THAT(nobody.err, HasSubstr("No Payoffs on record for Elm Street Trust by 06/30/2026."));
}

TEST_F(MemberReportCommandTest, ABadDateIsRefusedAndNoOutputIsAUsageError) {
  CliRun bad = Run({"report", "vote", "--date", "02/30/2026", "--json"});
  EXPECT_EQ(bad.status, kRefused);
  EXPECT_THAT(bad.err, HasSubstr("02/30/2026 is an invalid date."));
  EXPECT_EQ(Run({"report", "roster", "--date", "02/01/2026"}).status, kUsage);
}

}  // namespace
}  // namespace pellmark::cli
