#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"
#include "support/temp_folder.h"

namespace pellmark::cli {
namespace {

class CliSecurityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Run({"init", "--name", "Elm", "--year", "2026"}).status, kDone);
    ASSERT_EQ(Run({"security", "add", "Acme Corp", "--symbol", "ACME"}).err, "Security Acme Corp added.\n");
    ASSERT_EQ(Run({"security", "add", "Bolt Inc", "--symbol", "BOLT"}).status, kDone);
    ASSERT_EQ(Run({"security", "add", "Crane Co", "--symbol", "CRN"}).status, kDone);
  }
  CliRun Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--club", folder.Path().string(), "--today", "12/07/2026"});
    return RunLine(args);
  }
  pellmark::testing::TempFolder folder;
};

TEST_F(CliSecurityTest, PricesEnteredOneByOneAndForAllShowInTheGridWithTheirIds) {
  EXPECT_EQ(Run({"price", "Acme Corp", "12 3/8", "--date", "12/01/2026"}).status, kDone);
  EXPECT_EQ(Run({"price", "Acme Corp", "12.5", "--date", "12/01/2026"}).status, kDone);  // replaces it
  // The flag is set now: Prices - All asks first.
  CliRun unanswered = Run({"price-all", "--date", "12/04/2026", "Acme Corp=13", "crane co=7"});
  EXPECT_EQ(unanswered.status, kRefused);
  EXPECT_EQ(Run({"--yes", "price-all", "--date", "12/04/2026", "Acme Corp=13", "crane co=7"}).status, kDone);
  EXPECT_EQ(Run({"prices", "Acme Corp"}).out,
            "2026 Price History (2)\n"
            "Id  Date        Price\n"
            "--  ----------  -----\n"
            " 1  12/01/2026  12.50\n"
            " 2  12/04/2026  13.00\n");
  EXPECT_EQ(Run({"prices", "Bolt Inc", "--all"}).out,
            "Complete Price History (0)\n"
            "Id  Date  Price\n"
            "--  ----  -----\n");
  EXPECT_EQ(Run({"price", "change", "Crane Co", "0", "7 1/4"}).status, kDone);
  EXPECT_EQ(Run({"--yes", "price", "delete", "Acme Corp", "2"}).status, kDone);

  auto listing = nlohmann::json::parse(Run({"--json", "securities"}).out);
  ASSERT_EQ(listing["rows"].size(), 3u);
  EXPECT_EQ(listing["rows"][0]["name"], "Acme Corp");
  EXPECT_EQ(listing["rows"][0]["price"], 13.0);  // a deleted price stays current until a reset
  EXPECT_EQ(listing["rows"][0]["price_date"], "12/04/2026");
  EXPECT_EQ(listing["rows"][2]["price"], 7.25);
  EXPECT_EQ(listing["rows"][1]["performance"], "Even");
  EXPECT_EQ(Run({"security", "reset", "Acme Corp"}).err, "Security Acme Corp has been reset.\n");
  EXPECT_EQ(nlohmann::json::parse(Run({"--json", "securities"}).out)["rows"][0]["price"], 12.5);
}

TEST_F(CliSecurityTest, BadPricesAndNamesAreRefusedAndStoreNothing) {
  EXPECT_EQ(Run({"price", "Acme Corp", "abc"}).err, "Price abc is invalid.\n");
  EXPECT_EQ(Run({"price", "Acme Corp", "--", "-3"}).err, "Price -3 is invalid.\n");
  EXPECT_EQ(Run({"price", "Nothing", "3"}).err, "Security Nothing not found.\n");
  EXPECT_EQ(Run({"price", "Acme Corp", "3", "--date", "02/30/2026"}).status, kUsage);
  EXPECT_EQ(Run({"price", "Acme Corp"}).status, kUsage);
  EXPECT_EQ(Run({"security", "add", "A name of twenty-six chars"}).err,
            "Name A name of twenty-six chars is 26 characters long; at most 25 fit.\n");
  EXPECT_EQ(Run({"security", "change", "Acme Corp", "--name", "Bolt Inc"}).err,
            "Security Bolt Inc already exists.\n");
  EXPECT_EQ(Run({"prices", "Acme Corp", "--all"}).out.substr(0, 26), "Complete Price History (0)");
  EXPECT_EQ(Run({"price", "change", "Acme Corp", "0", "5"}).err, "Security Acme Corp has no price 0.\n");
  // A bad price half way through Prices - All leaves the prices before it unstored too.
  CliRun all = Run({"price-all", "Acme Corp=5", "Bolt Inc=abc"});
  EXPECT_EQ(all.status, kRefused);
  EXPECT_EQ(all.err, "Price abc is invalid.\n");
  EXPECT_EQ(Run({"prices", "Acme Corp", "--all"}).out.substr(0, 26), "Complete Price History (0)");
  EXPECT_EQ(Run({"price-all", "Acme Corp"}).status, kUsage);
}

TEST_F(CliSecurityTest, HiddenSecuritiesAreListedWithATildeAndTakeNoPrices) {
  EXPECT_EQ(Run({"security", "hide", "Bolt Inc"}).err, "Security Bolt Inc is hidden.\n");
  EXPECT_EQ(Run({"price", "Bolt Inc", "3"}).err, "Security is hidden.\n");
  EXPECT_EQ(Run({"price-all", "Bolt Inc=3"}).err, "Security is hidden.\n");
  EXPECT_EQ(Run({"security", "reset", "Bolt Inc"}).err, "Security is hidden.\n");
  EXPECT_EQ(Run({"security", "reset-all"}).err, "All active securities have been reset.\n");
  auto listing = nlohmann::json::parse(Run({"--json", "securities"}).out);
  EXPECT_EQ(listing["rows"][2]["name"], "~Bolt Inc");
  EXPECT_EQ(Run({"--yes", "security", "delete", "Bolt Inc"}).err,
            "Security Bolt Inc will be removed permanently. Continue? Yes\nSecurity Bolt Inc deleted.\n");
}

TEST_F(CliSecurityTest, APriceFileIsImportedWholeOrNotAtAll) {
  const std::filesystem::path file = folder.Path() / "quotes.txt";
  std::ofstream(file) << "\"ACME\",12.375,\"12/01/2026\"\nacme,1,12/01/2026\nCRN,4,12/01/26\n";
  EXPECT_EQ(Run({"import-prices", file.string()}).err, "Imported prices for 2 securities\n");
  std::ofstream(file) << "BOLT,4,12/01/2026\nBOLT,x,12/02/2026\n";
  EXPECT_EQ(Run({"--yes", "import-prices", file.string()}).err,
            "No Valuation Statement Created since last price update. Continue? Yes\n"
            "Invalid Price Import File (line 2: BOLT,x,12/02/2026)\n");
  // The good first line of a file with a bad one is not kept either.
  EXPECT_EQ(Run({"prices", "Bolt Inc"}).out.substr(0, 22), "2026 Price History (0)");
  EXPECT_EQ(Run({"--no", "import-prices", file.string()}).status, kRefused);
}

}  // namespace
}  // namespace pellmark::cli
