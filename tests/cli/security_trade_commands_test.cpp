// The security ledger's commands on a club with one security: trades typed
// into the entry dialog, lots chosen on the command line, the grid and the
// open lots as printed, and refusals that leave the club's files unchanged.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "books/books.h"
#include "cli/cli_runner.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace pellmark::cli {
namespace {

class CliTradeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Run({"init", "--name", "Elm", "--year", "2026"}).status, kDone);
    pellmark::testing::ScriptedInteraction ui;
    FixedClock clock{DayNumberFromCivil({2026, 12, 7})};
    Books books(folder.Path(), ui, clock);
    books.Open();
    ASSERT_TRUE(books.Settle(books.Securities().CommitSecurity(std::nullopt, {"Acme Corp", "ACM"})));
    ASSERT_TRUE(books.Settle(books.Securities().CommitSecurity(std::nullopt, {"Bolt Inc", "BLT"})));
    books.Close();
  }
  CliRun Run(std::vector<std::string> args) { return RunInClub(folder.Path(), std::move(args)); }
  // Every file of the club folder, for checking that a refusal wrote nothing.
  std::map<std::string, std::string> Files() {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.Path())) {
      if (!entry.is_regular_file() || entry.path().filename().string().ends_with(".lck")) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      files[entry.path().string()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
  }
  pellmark::testing::TempFolder folder;
};

// Each command that changes the books says in one line what it did, with the
// figures a treasurer checks against the broker's slip.
TEST_F(CliTradeTest, ChangingCommandsPrintWhatTheyDidInOneLine) {
  ASSERT_EQ(Run({"deposit", "Cash", "5000", "--date", "01/02/2026", "--desc", "Dues", "--category",
                 "Member Contributions"}).status,
            kDone);
  auto line = [&](std::vector<std::string> args) {
    CliRun run = Run(std::move(args));
    EXPECT_EQ(run.status, kDone) << run.err;
    return run.out;
  };
  EXPECT_EQ(line({"buy", "Acme Corp", "1000", "10", "--date", "01/05/2026", "--comm", "10"}),
            "Bought 100.000 shares of Acme Corp for $1,000.00 and $10.00 commission; Cash balance $3,990.00.\n");
  EXPECT_EQ(line({"buy", "Acme Corp", "1200", "12", "--date", "02/05/2026"}),
            "Bought 100.000 shares of Acme Corp for $1,200.00; Cash balance $2,790.00.\n");
  EXPECT_EQ(line({"sell", "Acme Corp", "2250", "15", "--date", "03/05/2026", "--comm", "30"}),
            "Sold 150.000 shares of Acme Corp for $2,250.00 and $30.00 commission, relieving 2 lots; "
            "Cash balance $5,010.00.\n");
  EXPECT_EQ(line({"dividend", "Acme Corp", "12.50", "--date", "04/01/2026"}),
            "Dividend of $12.50 from Acme Corp; Cash balance $5,022.50.\n");
  EXPECT_EQ(line({"reinvest", "Acme Corp", "24", "12", "--date", "05/01/2026"}),
            "Reinvested $24.00 of Acme Corp's dividend in 2.000 shares.\n");
  EXPECT_EQ(line({"reinvest", "Acme Corp", "10", "5", "--date", "05/02/2026", "--into", "Bolt Inc"}),
            "Reinvested $10.00 of Acme Corp's dividend in 2.000 shares of Bolt Inc.\n");
  EXPECT_EQ(line({"--yes", "split", "Acme Corp", "2", "1", "--date", "06/01/2026"}),
            "Split Acme Corp 2 for 1: 52.000 shares are now 104.000.\n");
  EXPECT_EQ(line({"--yes", "price", "Acme Corp", "12 3/8", "--date", "07/01/2026"}),
            "Acme Corp priced at $12.375 on 07/01/2026.\n");
  EXPECT_EQ(line({"--yes", "price-all", "Acme Corp=12.5", "Bolt Inc=5.25", "--date", "07/02/2026"}),
            "Prices of 2 securities entered for 07/02/2026.\n");
  // A ticker names its security wherever the name does.
  EXPECT_EQ(line({"buy", "acm", "50", "12.5", "--date", "07/03/2026"}),
            "Bought 4.000 shares of Acme Corp for $50.00; Cash balance $4,972.50.\n");
  EXPECT_EQ(line({"--yes", "price-all", "ACM=12.75", "blt=5.5", "--date", "07/04/2026"}),
            "Prices of 2 securities entered for 07/04/2026.\n");
  EXPECT_EQ(line({"reinvest", "ACM", "11", "5.5", "--date", "07/05/2026", "--into", "BLT"}),
            "Reinvested $11.00 of Acme Corp's dividend in 2.000 shares of Bolt Inc.\n");
  EXPECT_NE(line({"lots", "Blt"}).find("Total"), std::string::npos);
  // Scripts reading JSON get no line.
  EXPECT_EQ(line({"--json", "dividend", "Bolt Inc", "1", "--date", "07/03/2026"}), "");
}

TEST_F(CliTradeTest, BuysAndAChosenLotSaleShowInTheGridAndTheLots) {
  ASSERT_EQ(Run({"buy", "Acme Corp", "1000", "10", "--date", "01/05/2026", "--comm", "10"}).status, kDone);
  ASSERT_EQ(Run({"buy", "Acme Corp", "$1,200", "12", "--date", "2/5/26", "--comm", "20", "--check", "101"}).status,
            kDone);
  CliRun sale = Run({"sell", "Acme Corp", "2250", "15", "--date", "03/05/2026", "--comm", "30", "--lots", "1=100",
                     "0=50"});
  ASSERT_EQ(sale.status, kDone) << sale.err;
  EXPECT_EQ(Run({"stxns", "Acme Corp", "--year", "2026"}).out,
            "2026 Transaction History (5)\n"
            "Id  Date        Type        Shares   Amount  Price  Commission  Link\n"
            "--  ----------  ----------  ------  -------  -----  ----------  ----\n"
            " 0  01/05/2026  Buy (Sold)      50   500.00  10.00        5.00\n"
            " 3  01/05/2026  Buy             50   500.00  10.00        5.00\n"
            " 1  02/05/2026  Buy (Sold)     100  1200.00  12.00       20.00\n"
            " 2  03/05/2026  Sell           100  1500.00  15.00       20.00     1\n"
            " 4  03/05/2026  Sell            50   750.00  15.00       10.00     0\n");
  EXPECT_EQ(Run({"lots", "Acme Corp"}).out,
            "Open Lots (1)\n"
            "   Id  Date        Type   Shares     Cost  Term\n"
            "-----  ----------  ----  -------  -------  -----\n"
            "    3  01/05/2026  Buy   50.0000  $505.00  Short\n"
            "-----  ----------  ----  -------  -------  -----\n"
            "Total                    50.0000  $505.00\n");
  // The second sale record's lot opens again when it is deleted.
  ASSERT_EQ(Run({"--yes", "stxn", "delete", "Acme Corp", "4"}).status, kDone);
  EXPECT_THAT(Run({"lots", "Acme Corp"}).out, ::testing::HasSubstr("    0  01/05/2026  Buy    50.0000    $505.00  Short"));
}

TEST_F(CliTradeTest, TradesThatCannotBeDoneAreRefusedAndWriteNothing) {
  ASSERT_EQ(Run({"buy", "Acme Corp", "1000", "10", "--date", "01/05/2026"}).status, kDone);
  ASSERT_EQ(Run({"buy", "Bolt Inc", "1000", "10", "--date", "01/05/2026"}).status, kDone);
  ASSERT_EQ(Run({"--no", "sell", "Bolt Inc", "500", "10", "--date", "02/05/2026"}).status, kDone);
  const auto before = Files();
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const std::vector<Case> cases = {
      {{"sell", "Acme Corp", "1001", "10", "--date", "03/01/2026"}, "Attempting to sell more shares than owned.\n"},
      {{"buy", "Acme Corp", "100", "0", "--date", "03/01/2026"}, "Price 0 is invalid.\n"},
      {{"buy", "Acme Corp", "100", "-1", "--date", "03/01/2026"}, "Price -1 is invalid.\n"},
      {{"sell", "Acme Corp", "500", "10", "--date", "03/01/2026", "--lots", "1=50"},
       "Lot 1 is not an open lot of Acme Corp.\n"},
      {{"sell", "Acme Corp", "500", "10", "--date", "03/01/2026", "--lots", "0=40"},
       "Lot 0 takes 50.0000 shares of this sale, not 40.\n"},
      {{"sell", "Acme Corp", "500", "10", "--date", "01/01/2026", "--lots", "0=50"},
       "Lot 0 was bought after 01/01/2026.\n"},
      {{"--yes", "stxn", "delete", "Bolt Inc", "0"}, "Some or all shares have been sold. Cannot delete.\n"},
      {{"stxn", "change", "Bolt Inc", "2", "--amount", "9"}, "Security SELLs can only be deleted\n"},
      {{"reinvest", "Acme Corp", "10", "2", "--date", "03/01/2026", "--into", "Nowhere"}, "Security Nowhere not found.\n"},
  };
  for (const Case& refusal : cases) {
    CliRun run = Run(refusal.args);
    EXPECT_EQ(run.status, kRefused) << refusal.args[0];
    EXPECT_EQ(run.err, refusal.err);
    EXPECT_EQ(Files(), before) << run.err;
  }
  // 0.004 shares over the holding is all of it.
  ASSERT_EQ(Run({"--no", "sell", "Acme Corp", "1000.04", "10", "--date", "03/01/2026"}).status, kDone);
  EXPECT_THAT(Run({"lots", "Acme Corp"}).out, ::testing::HasSubstr("Open Lots (0)"));
}

TEST_F(CliTradeTest, DividendsReinvestmentsAndCapitalChangesPostTheirCash) {
  ASSERT_EQ(Run({"buy", "Acme Corp", "1000", "10", "--date", "01/05/2026", "--no-account"}).status, kDone);
  ASSERT_EQ(Run({"dividend", "Acme Corp", "25", "--date", "02/01/2026"}).status, kDone);
  ASSERT_EQ(Run({"dividend", "Acme Corp", "5", "--date", "02/02/2026", "--not-taxable"}).status, kDone);
  ASSERT_EQ(Run({"reinvest", "Acme Corp", "50", "5", "--date", "02/03/2026", "--comm", "2", "--into", "Bolt Inc"}).status,
            kDone);
  ASSERT_EQ(Run({"capital-change", "Acme Corp", "30", "--date", "02/04/2026", "--gain", "short"}).status, kDone);
  ASSERT_EQ(Run({"capital-change", "Acme Corp", "100", "--date", "02/05/2026", "--reduction"}).status, kDone);
  ASSERT_EQ(Run({"foreign-tax", "Acme Corp", "3", "--date", "02/06/2026"}).status, kDone);
  EXPECT_EQ(Run({"register", "Cash", "--all"}).out,
            "Complete Transaction History (4)\n"
            "Id  Date        Type     Description                  Check   Amount  Balance  Cleared\n"
            "--  ----------  -------  ---------------------------  -----  -------  -------  -------\n"
            " 0  02/01/2026  Deposit  Acme Corp Dividend                   $25.00   $25.00\n"
            " 1  02/02/2026  Deposit  Acme Corp NT-Dividend                 $5.00   $30.00\n"
            " 2  02/04/2026  Deposit  Acme Corp Capital Gain               $30.00   $60.00\n"
            " 3  02/05/2026  Deposit  Acme Corp Capital Reduction         $100.00  $160.00\n"
            "--  ----------  -------  ---------------------------  -----  -------  -------  -------\n"
            "                Total                                        $160.00\n");
  CliRun acme = Run({"stxns", "Acme Corp", "--all"});
  EXPECT_THAT(acme.out, ::testing::HasSubstr("ST Cap-Gain"));
  EXPECT_THAT(acme.out, ::testing::HasSubstr("Cap-Reduction"));
  EXPECT_THAT(acme.out, ::testing::HasSubstr("Foreign Tax"));
  EXPECT_THAT(Run({"stxns", "Bolt Inc", "--all"}).out, ::testing::HasSubstr("NO Tax-ReInv"));
  // The commission came out of the dividend: 48 of it bought 9.6 shares.
  EXPECT_THAT(Run({"lots", "Bolt Inc"}).out, ::testing::HasSubstr("Total                            9.6000  $50.00\n"));
}

}  // namespace
}  // namespace pellmark::cli
