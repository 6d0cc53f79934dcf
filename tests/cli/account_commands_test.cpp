#include <gtest/gtest.h>

#include "cli/cli_runner.h"
#include "support/temp_folder.h"

namespace pellmark::cli {
namespace {

class CliAccountTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Run({"init", "--name", "Elm", "--year", "2026"}).status, kDone);
  }
  CliRun Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--club", folder.Path().string(), "--today", "12/07/2026"});
    return RunLine(args);
  }
  pellmark::testing::TempFolder folder;
};

TEST_F(CliAccountTest, ADepositACheckAndATransferShowInTheRegisters) {
  ASSERT_EQ(Run({"account", "add", "Broker", "--initial", "500"}).err, "Account Broker added.\n");
  EXPECT_EQ(Run({"deposit", "Cash", "1000", "--date", "12/01/2026", "--desc", "Dues", "--category",
                 "Member Contributions"})
                .status,
            kDone);
  EXPECT_EQ(Run({"check", "Cash", "25.50", "--date", "12/02/2026", "--number", "101", "--desc", "Stamps",
                 "--category", "Operating Expenses", "--cleared"})
                .status,
            kDone);
  EXPECT_EQ(Run({"transfer", "Cash", "Broker", "300", "--date", "12/03/2026", "--desc", "Fund"}).status, kDone);

  CliRun cash = Run({"register", "Cash", "--year", "2026"});
  EXPECT_EQ(cash.out,
            "2026 Transaction History (3)\n"
            "    0  12/01/2026  * Deposit       Dues                                       1000.00\n"
            "    1  12/02/2026    Check         Stamps                            101        25.50\n"
            "    2  12/03/2026  * Transfer Out  Fund                                        300.00\n");
  CliRun broker = Run({"register", "Broker", "--all"});
  EXPECT_EQ(broker.out,
            "Complete Transaction History (1)\n"
            "    0  12/03/2026  * Transfer In   Fund                                        300.00\n");
  CliRun accounts = Run({"accounts"});
  EXPECT_NE(accounts.out.find("$674.50"), std::string::npos) << accounts.out;
  EXPECT_NE(accounts.out.find("$800.00"), std::string::npos) << accounts.out;
}

TEST_F(CliAccountTest, TheDialogsChecksRefuseBadInputWithStatusOne) {
  CliRun no_desc = Run({"deposit", "Cash", "abc", "--desc", " ", "--category", "Member Contributions"});
  EXPECT_EQ(no_desc.status, kRefused);
  EXPECT_NE(no_desc.err.find("Description Required."), std::string::npos) << no_desc.err;
  CliRun no_category = Run({"withdraw", "Cash", "5", "--desc", "x", "--category", "Nonsense"});
  EXPECT_EQ(no_category.status, kRefused);
  EXPECT_EQ(no_category.err, "Category Nonsense not found.\n");
  CliRun same = Run({"transfer", "Cash", "Cash", "5", "--desc", "x"});
  EXPECT_EQ(same.status, kRefused);
  EXPECT_EQ(Run({"register", "Cash", "--all"}).out, "Complete Transaction History (0)\n");
}

TEST_F(CliAccountTest, ATransactionIdMustBeANumber) {
  ASSERT_EQ(Run({"deposit", "Cash", "10", "--desc", "Dues", "--category", "Member Contributions"}).status, kDone);
  for (const char* id : {"", "x", "-1"}) {
    EXPECT_EQ(Run({"--yes", "txn", "delete", "Cash", id}).status, kUsage) << '"' << id << '"';
    EXPECT_EQ(Run({"txn", "change", "Cash", id, "--amount", "5"}).status, kUsage) << '"' << id << '"';
  }
  EXPECT_NE(Run({"register", "Cash", "--year", "2026"}).out.find("History (1)"), std::string::npos);  // kept
}

TEST_F(CliAccountTest, DeletingAskAndAnswersNoWithoutYes) {
  ASSERT_EQ(Run({"deposit", "Cash", "10", "--desc", "Dues", "--category", "Member Contributions"}).status, kDone);
  CliRun unanswered = Run({"txn", "delete", "Cash", "0"});
  EXPECT_EQ(unanswered.status, kRefused);
  CliRun no = Run({"--no", "txn", "delete", "Cash", "0"});
  EXPECT_EQ(no.status, kRefused);
  CliRun yes = Run({"--yes", "txn", "delete", "Cash", "0"});
  EXPECT_EQ(yes.status, kDone) << yes.err;
  EXPECT_EQ(Run({"register", "Cash", "--all"}).out, "Complete Transaction History (0)\n");
}

TEST_F(CliAccountTest, CategoriesAreAddedAndPredefinedOnesStay) {
  EXPECT_EQ(Run({"category", "add", "Refunds", "--income"}).status, kDone);
  CliRun refused = Run({"category", "change", "1", "--name", "X"});
  EXPECT_EQ(refused.status, kRefused);
  EXPECT_EQ(refused.err, "Cannot Changed a Predefined Category.\n");
  EXPECT_EQ(Run({"category", "change", "11", "--expense", "--taxable"}).status, kDone);
  CliRun list = Run({"categories"});
  EXPECT_NE(list.out.find("  11  Refunds                   Expense  yes"), std::string::npos) << list.out;
}

}  // namespace
}  // namespace pellmark::cli
