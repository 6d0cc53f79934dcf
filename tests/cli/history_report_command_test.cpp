// report accounts|securities|prices and statement-file on the demo club: the
// JSON's totals against sums worked here from its own rows.
#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"
#include "club/money.h"
#include "support/temp_folder.h"

namespace pellmark::cli {
namespace {

using nlohmann::json;

class HistoryReportCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RunInClub(folder.Path(), {"demo", folder.Path().string()}).status, kDone);
  }
  json Json(std::vector<std::string> args) {
    CliRun run = RunInClub(folder.Path(), args);
    EXPECT_EQ(run.status, kDone) << run.err;
    return json::parse(run.out);
  }
  pellmark::testing::TempFolder folder;
};

TEST_F(HistoryReportCommandTest, SecurityTotalsAreTheSumsOfTheirRows) {
  const json report = Json({"report", "securities", "--date", "11/30/2026", "--json"});
  ASSERT_GE(report["securities"].size(), 2u);
  double all_costs = 0, all_proceeds = 0;
  for (const json& security : report["securities"]) {
    double costs = 0, proceeds = 0;
    for (const json& row : security["rows"]) {
      const std::string type = row["type"];
      if (type == "Buy" || type == "ReInvestment") costs += row["amount"].get<double>() + row["commission"].get<double>();
      if (type == "Sell" || type == "Short Sell") proceeds += row["amount"].get<double>() - row["commission"].get<double>();
    }
    EXPECT_TRUE(SameMoney(security["total_costs"].get<double>(), costs)) << security.dump();
    EXPECT_TRUE(SameMoney(security["total_proceeds"].get<double>(), proceeds)) << security.dump();
    all_costs += costs;
    all_proceeds += proceeds;
  }
  EXPECT_TRUE(SameMoney(report["total_costs"].get<double>(), all_costs));
  EXPECT_TRUE(SameMoney(report["total_proceeds"].get<double>(), all_proceeds));
  EXPECT_GT(all_proceeds, 0) << "the demo club sells";
}

TEST_F(HistoryReportCommandTest, AccountCreditsAndDebitsAndPriceHighAndLow) {
  const json accounts = Json({"report", "accounts", "--date", "11/30/2026", "--account", "Broker", "--json"});
  ASSERT_EQ(accounts["accounts"].size(), 1u);
  double credits = 0, debits = 0;
  for (const json& row : accounts["accounts"][0]["rows"]) {
    const std::string type = row["type"];
    const bool credit = type == "Deposit" || type == "Interest" || type == "Transfer In";
    (credit ? credits : debits) += row["amount"].get<double>();
  }
  EXPECT_TRUE(SameMoney(accounts["total_credits"].get<double>(), credits));
  EXPECT_TRUE(SameMoney(accounts["total_debits"].get<double>(), debits));

  const json prices = Json({"report", "prices", "--date", "11/30/2026", "--security", "Acme Tools", "--json"});
  EXPECT_EQ(prices["security"], "Acme Tools");
  double high = 0, low = 1e9;
  for (const json& point : prices["prices"]) {
    high = std::max(high, point["price"].get<double>());
    low = std::min(low, point["price"].get<double>());
  }
  EXPECT_EQ(prices["high"].get<double>(), high);
  EXPECT_EQ(prices["low"].get<double>(), low);

  CliRun missing = RunInClub(folder.Path(), {"report", "accounts", "--account", "Nowhere", "--json"});
  EXPECT_EQ(missing.status, kRefused);
  EXPECT_EQ(RunInClub(folder.Path(), {"report", "securities"}).status, kUsage) << "no output chosen";
}

TEST_F(HistoryReportCommandTest, StatementFilesAreWrittenIntoTheClubFolderAndNamed) {
  for (const char* kind : {"valuation", "distribution", "vote", "roster"}) {
    CliRun run = RunInClub(folder.Path(), {"statement-file", kind, "--date", "11/30/2026"});
    ASSERT_EQ(run.status, kDone) << kind << run.err;
    const std::string name = run.out.substr(0, run.out.find('\n'));
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / name)) << name;
  }
  CliRun none = RunInClub(folder.Path(), {"statement-file", "valuation", "--date", "11/29/2026"});
  EXPECT_EQ(none.status, kRefused);
  EXPECT_THAT(none.err, ::testing::HasSubstr("Creation of Valuation Statement Failed."));
}

}  // namespace
}  // namespace pellmark::cli
