#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "cli/cli_runner.h"
#include "support/temp_folder.h"

namespace pellmark::cli {
namespace {

class CliMemberTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Run({"init", "--name", "Elm", "--year", "2026", "--start-unit", "10"}).status, kDone);
    ASSERT_EQ(Run({"member", "add", "--last", "Smith", "--first", "Ann", "--email", "ann@example.com"}).status, kDone);
    ASSERT_EQ(Run({"member", "add", "--group", "Elm Street Trust"}).status, kDone);
  }
  CliRun Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--club", folder.Path().string(), "--today", "12/07/2026"});
    return RunLine(args);
  }
  // Every file of the club folder with its bytes.
  std::map<std::string, std::string> FolderBytes() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.Path())) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      files[entry.path().string()].assign(std::istreambuf_iterator<char>(in), {});
    }
    return files;
  }
  pellmark::testing::TempFolder folder;
};

TEST_F(CliMemberTest, DuesForEveryMemberBuyUnitsAndMakeOneDeposit) {
  CliRun dues = Run({"dues", "--date", "02/01/2026", "--all", "50"});
  EXPECT_EQ(dues.status, kDone) << dues.err;
  EXPECT_EQ(dues.err, "$100.00 total dues collected.\n");
  CliRun members = Run({"members"});
  EXPECT_EQ(members.out,
            "Members (2)\n"
            "Name               Units  Contributions  Earnings    Value  Hidden\n"
            "----------------  ------  -------------  --------  -------  ------\n"
            "Elm Street Trust   5.000         $50.00     $0.00   $50.00\n"
            "Smith, Ann         5.000         $50.00     $0.00   $50.00\n"
            "----------------  ------  -------------  --------  -------  ------\n"
            "Total             10.000        $100.00     $0.00  $100.00\n");
  EXPECT_EQ(Run({"register", "Cash", "--all"}).out,
            "Complete Transaction History (1)\n"
            "Id  Date        Type     Description           Check   Amount  Balance  Cleared\n"
            "--  ----------  -------  --------------------  -----  -------  -------  -------\n"
            " 0  02/01/2026  Deposit  Member Contributions         $100.00  $100.00\n"
            "--  ----------  -------  --------------------  -----  -------  -------  -------\n"
            "                Total                                 $100.00\n");
  EXPECT_EQ(Run({"dues-history", "smith, ann", "--all"}).out,
            "Complete Dues History (1)\n"
            "Id  Date        Type     Amount  Units\n"
            "--  ----------  -------  ------  -----\n"
            " 0  02/01/2026  Payment  $50.00  5.000\n");

  CliRun again = Run({"dues", "--date", "03/01/2026", "--all", "50"});
  EXPECT_EQ(again.status, kRefused);
  EXPECT_NE(again.err.find("No Valuation Statement Created since last dues collection. Continue?"), std::string::npos);
}

TEST_F(CliMemberTest, ListedMembersOnlyAndRefusals) {
  EXPECT_EQ(Run({"dues", "--date", "02/01/2026", "--member", "Smith, Ann=20"}).status, kDone);
  EXPECT_EQ(Run({"dues-history", "Elm Street Trust", "--all"}).out.substr(0, 26), "Complete Dues History (0)\n");
  CliRun nobody = Run({"--yes", "dues", "--member", "Nobody, X=5"});
  EXPECT_EQ(nobody.status, kRefused);
  EXPECT_EQ(nobody.err, "Member Nobody, X not found.\n");
  CliRun bad = Run({"fee", "Smith, Ann", "-5"});
  EXPECT_EQ(bad.status, kRefused);
  CliRun broke = Run({"payoff", "Elm Street Trust", "10", "--valuation", "01/01/2026"});
  EXPECT_EQ(broke.status, kRefused);
  EXPECT_EQ(broke.err, "Elm Street Trust has no assets.\n");
  CliRun hide = Run({"member", "hide", "Smith, Ann"});
  EXPECT_EQ(hide.err, "Member has assets. Cannot hide.\n");
}

TEST_F(CliMemberTest, APayoffAtAValuationWithAFeeAndACheck) {
  ASSERT_EQ(Run({"dues", "--date", "02/01/2026", "--member", "Smith, Ann=100"}).status, kDone);
  CliRun payoff = Run({"--yes", "payoff", "Smith, Ann", "100", "--date", "03/01/2026", "--valuation", "01/01/2026",
                       "--fee", "5", "--check", "1001"});
  EXPECT_EQ(payoff.status, kDone) << payoff.err;
  CliRun cash = Run({"register", "Cash", "--all"});
  EXPECT_NE(cash.out.find("Check    Ann Smith Payoff       1001  ($95.00)"), std::string::npos) << cash.out;
  EXPECT_NE(Run({"members"}).out.find("hidden"), std::string::npos);  // hidden after the payoff, answered Yes
}

// Without --valuation the newest valuation on or before the payoff's date is
// taken; --all pays its maximum; more than the maximum is refused naming it.
TEST_F(CliMemberTest, APayoffOfAllAtTheNewestValuationAndARefusalNamingTheMaximum) {
  ASSERT_EQ(Run({"dues", "--date", "2/1/26", "--member", "smith, ann=$1,000"}).status, kDone);
  CliRun values = Run({"unit-values"});
  EXPECT_EQ(values.out,
            "Unit Values (1)\n"
            "Date        Unit Value  Id  Year Closed\n"
            "----------  ----------  --  -----------\n"
            "01/01/2026    $10.0000   0\n");
  const auto before = FolderBytes();
  CliRun above = Run({"--yes", "payoff", "Smith, Ann", "$1,000.01", "--date", "3/1/26"});
  EXPECT_EQ(above.status, kRefused);
  EXPECT_EQ(above.err, "Payoff greater than Maximum payoff amount ($1,000.00 as of 01/01/2026).\n");
  EXPECT_EQ(FolderBytes(), before);  // a refusal leaves every file as it was
  CliRun early = Run({"--yes", "payoff", "Smith, Ann", "5", "--date", "12/31/25"});
  EXPECT_EQ(early.status, kRefused);
  EXPECT_EQ(early.err, "No valuation on or before 12/31/2025 to pay off at.\n");

  CliRun all = Run({"--yes", "payoff", "Smith, Ann", "--all", "--date", "3/1/26"});
  EXPECT_EQ(all.status, kDone) << all.err;
  EXPECT_NE(Run({"register", "Cash", "--all"}).out.find(" 1  03/01/2026  Withdrawal  Ann Smith Payoff             ($1,000.00)      $0.00\n"),
            std::string::npos)
      << Run({"register", "Cash", "--all"}).out;
  EXPECT_EQ(Run({"payoff", "Smith, Ann", "5", "--all"}).status, kUsage);
  EXPECT_EQ(Run({"payoff", "Smith, Ann"}).status, kUsage);
}

TEST_F(CliMemberTest, AnUnansweredQuestionAfterAPayoffTakesNoAndTheCommandSucceeds) {
  ASSERT_EQ(Run({"dues", "--date", "02/01/2026", "--member", "Smith, Ann=100"}).status, kDone);
  CliRun payoff = Run({"payoff", "Smith, Ann", "100", "--date", "03/01/2026", "--valuation", "01/01/2026"});
  EXPECT_EQ(payoff.status, kDone) << payoff.err;
  EXPECT_NE(payoff.err.find("Do you want to hide member Ann Smith? No (no answer given)"), std::string::npos)
      << payoff.err;
  EXPECT_EQ(Run({"members"}).out.find("hidden"), std::string::npos);
}

// Dues dated before the newest valuation ask for an audit before they are
// stored: with no answer the dues are dropped, and so is the line saying they
// were collected.
TEST_F(CliMemberTest, AnUnansweredQuestionBeforeTheWorkIsStoredSaysNothingWasRecorded) {
  ASSERT_EQ(Run({"dues", "--date", "02/01/2026", "--member", "Smith, Ann=100"}).status, kDone);
  ASSERT_EQ(Run({"--yes", "valuation", "official", "02/28/2026"}).status, kDone);
  const auto before = FolderBytes();
  CliRun dues = Run({"dues", "--date", "02/15/2026", "--all", "20"});
  EXPECT_EQ(dues.status, kRefused);
  EXPECT_EQ(dues.err,
            "pellmark-cli: no answer to the question \"The Member transaction just entered has a date earlier than the "
            "last Valuation Date. Do you want to perform an audit?\" (use --yes or --no); nothing was recorded\n");
  EXPECT_EQ(FolderBytes(), before);
  CliRun answered = Run({"--no", "dues", "--date", "02/15/2026", "--all", "20"});
  EXPECT_EQ(answered.status, kDone);
  EXPECT_EQ(answered.err,
            "$40.00 total dues collected.\nThe Member transaction just entered has a date earlier than the last "
            "Valuation Date. Do you want to perform an audit? No\n");
}

TEST_F(CliMemberTest, APayoffAndAFeeSayWhatTheyDidInOneLine) {
  ASSERT_EQ(Run({"dues", "--date", "02/01/2026", "--member", "Smith, Ann=100", "--member", "Elm Street Trust=50"}).status,
            kDone);
  ASSERT_EQ(Run({"--yes", "valuation", "official", "02/28/2026"}).status, kDone);
  CliRun payoff = Run({"--yes", "payoff", "Smith, Ann", "40", "--date", "03/01/2026", "--fee", "2.50"});
  EXPECT_EQ(payoff.status, kDone) << payoff.err;
  EXPECT_EQ(payoff.out,
            "Paid off Ann Smith: $40.00 for 4.000 units at $10.0000 a unit, less a fee of $2.50; "
            "Cash balance $112.50.\n");
  CliRun fee = Run({"fee", "Elm Street Trust", "5", "--date", "03/02/2026"});
  EXPECT_EQ(fee.status, kDone) << fee.err;
  EXPECT_EQ(fee.out, "Fee of $5.00 from Elm Street Trust; Cash balance $117.50.\n");
}

TEST_F(CliMemberTest, ChangingAndDeletingAPayment) {
  ASSERT_EQ(Run({"dues", "--date", "02/01/2026", "--all", "50"}).status, kDone);
  EXPECT_EQ(Run({"mtxn", "change", "Smith, Ann", "0", "70"}).status, kDone);
  EXPECT_NE(Run({"register", "Cash", "--all"}).out.find("120.00"), std::string::npos);
  EXPECT_EQ(Run({"--yes", "mtxn", "delete", "Elm Street Trust", "0"}).status, kDone);
  EXPECT_NE(Run({"register", "Cash", "--all"}).out.find("70.00"), std::string::npos);
  EXPECT_EQ(Run({"--no", "total-dues", "Smith, Ann", "70"}).status, kDone);
}

}  // namespace
}  // namespace pellmark::cli
