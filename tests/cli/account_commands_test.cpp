#include <fmt/format.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"
#include "club/number_format.h"
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

// Warnings, not refusals: the check is written, and the treasurer is told.
TEST_F(CliAccountTest, AnAccountBelowZeroAndACheckNumberUsedTwiceAreWarnedOf) {
  ASSERT_EQ(Run({"deposit", "Cash", "100", "--date", "03/01/2026", "--desc", "Dues", "--category",
                 "Member Contributions"}).status,
            kDone);
  CliRun first = Run({"check", "Cash", "60", "--date", "03/02/2026", "--desc", "Rent", "--number", "1001",
                      "--category", "Operating Expenses"});
  EXPECT_EQ(first.status, kDone);
  EXPECT_EQ(first.err, "");
  CliRun again = Run({"check", "Cash", "45.50", "--date", "03/03/2026", "--desc", "Rent", "--number", "1001",
                      "--category", "Operating Expenses"});
  EXPECT_EQ(again.status, kDone);
  EXPECT_EQ(again.err, "Warning: Cash is below zero: ($5.50).\nWarning: check 1001 was already used in Cash.\n");
  // Still below zero but not moved: nothing to say; moved further down: said again.
  CliRun hidden = Run({"account", "add", "Broker"});
  EXPECT_EQ(hidden.err.find("Warning"), std::string::npos) << hidden.err;
  CliRun lower = Run({"withdraw", "Cash", "1", "--date", "03/04/2026", "--desc", "Fee", "--category",
                      "Operating Expenses"});
  EXPECT_EQ(lower.status, kDone);
  EXPECT_EQ(lower.err, "Warning: Cash is below zero: ($6.50).\n");
}

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

  // Checks and transfers out are negative; the balance runs on from the initial one.
  CliRun cash = Run({"register", "Cash", "--year", "2026"});
  EXPECT_EQ(cash.out,
            "2026 Transaction History (3)\n"
            "Id  Date        Type          Description  Check     Amount    Balance  Cleared\n"
            "--  ----------  ------------  -----------  -----  ---------  ---------  -------\n"
            " 0  12/01/2026  Deposit       Dues                $1,000.00  $1,000.00\n"
            " 1  12/02/2026  Check         Stamps         101   ($25.50)    $974.50  yes\n"
            " 2  12/03/2026  Transfer Out  Fund                ($300.00)    $674.50\n"
            "--  ----------  ------------  -----------  -----  ---------  ---------  -------\n"
            "                Total                               $674.50\n");
  CliRun broker = Run({"register", "Broker", "--all"});
  EXPECT_EQ(broker.out,
            "Complete Transaction History (1)\n"
            "Id  Date        Type         Description  Check   Amount  Balance  Cleared\n"
            "--  ----------  -----------  -----------  -----  -------  -------  -------\n"
            " 0  12/03/2026  Transfer In  Fund                $300.00  $800.00\n"
            "--  ----------  -----------  -----------  -----  -------  -------  -------\n"
            "                Total                            $300.00\n");
  CliRun accounts = Run({"accounts"});
  EXPECT_EQ(accounts.out,
            "Accounts (2)\n"
            "Name    Number            Balance  Out. Credits  Out. Debits  Interest Yr  Roles\n"
            "------  --------------  ---------  ------------  -----------  -----------  -------------------------------\n"
            "Broker                    $800.00       $300.00        $0.00        $0.00\n"
            "Cash    Account Number    $674.50     $1,000.00      $300.00        $0.00  default-member default-security\n"
            "------  --------------  ---------  ------------  -----------  -----------  -------------------------------\n"
            "Total                   $1,474.50\n");
}

// The register's last balance is the account's, and --json carries the figures
// the table shows.
TEST_F(CliAccountTest, JsonCarriesTheFiguresOfTheTables) {
  ASSERT_EQ(Run({"account", "add", "Broker", "--initial", "$1,500.25"}).status, kDone);
  ASSERT_EQ(Run({"deposit", "cash", "$2,000", "--date", "1/5/26", "--desc", "Dues", "--category",
                 "member contributions"})
                .status,
            kDone);
  ASSERT_EQ(Run({"withdraw", "Cash", "12.5", "--date", "2/1/2026", "--desc", "Fee", "--category", "OPERATING EXPENSES"})
                .status,
            kDone);
  CliRun table = Run({"register", "Cash", "--all"});
  CliRun json = Run({"--json", "register", "Cash", "--all"});
  ASSERT_EQ(json.status, kDone) << json.err;
  auto document = nlohmann::json::parse(json.out);
  EXPECT_EQ(document["title"], "Complete Transaction History");
  ASSERT_EQ(document["rows"].size(), 2u);
  for (const auto& row : document["rows"]) {
    const std::string line = fmt::format("{}  {}", FormatMoney(row["amount"].get<double>()),
                                         FormatMoney(row["balance"].get<double>()));
    EXPECT_NE(table.out.find(line), std::string::npos) << line << "\n" << table.out;
  }
  EXPECT_EQ(document["rows"][1]["amount"], -12.5);
  EXPECT_EQ(document["rows"][1]["balance"], 1987.5);
  EXPECT_EQ(document["total"]["amount"], 1987.5);

  auto accounts = nlohmann::json::parse(Run({"--json", "accounts"}).out);
  EXPECT_EQ(accounts["rows"][0]["name"], "Broker");
  EXPECT_EQ(accounts["rows"][0]["balance"], 1500.25);
  EXPECT_EQ(accounts["rows"][1]["balance"], 1987.5);
  EXPECT_EQ(accounts["total"]["balance"], 3487.75);
}

TEST_F(CliAccountTest, AmountsAndDatesInOtherFormsAreRefusedNamingTheForms) {
  CliRun amount = Run({"deposit", "Cash", "1,23", "--desc", "x", "--category", "Member Contributions"});
  EXPECT_EQ(amount.status, kUsage);
  EXPECT_EQ(amount.err.substr(0, amount.err.find('\n')),
            "AMOUNT: \"1,23\" is not an amount; type it as 1234.50, 1,234.50 or $1,234.50");
  CliRun date = Run({"deposit", "Cash", "5", "--date", "2/30/26", "--desc", "x", "--category", "Member Contributions"});
  EXPECT_EQ(date.status, kUsage);
  EXPECT_EQ(date.err.substr(0, date.err.find('\n')),
            "--date: \"2/30/26\" is not a date; type it as M/D/YYYY or M/D/YY (00-49 are 20xx, the later years 19xx)");
  EXPECT_EQ(Run({"register", "Cash", "--all"}).out.substr(0, 33), "Complete Transaction History (0)\n");
}

TEST_F(CliAccountTest, TheDialogsChecksRefuseBadInputWithStatusOne) {
  CliRun no_desc = Run({"deposit", "Cash", "5", "--desc", " ", "--category", "Member Contributions"});
  EXPECT_EQ(no_desc.status, kRefused);
  EXPECT_NE(no_desc.err.find("Description Required."), std::string::npos) << no_desc.err;
  CliRun no_category = Run({"withdraw", "Cash", "5", "--desc", "x", "--category", "Nonsense"});
  EXPECT_EQ(no_category.status, kRefused);
  EXPECT_EQ(no_category.err, "Category Nonsense not found.\n");
  CliRun same = Run({"transfer", "Cash", "Cash", "5", "--desc", "x"});
  EXPECT_EQ(same.status, kRefused);
  EXPECT_EQ(Run({"register", "Cash", "--all"}).out.substr(0, 33), "Complete Transaction History (0)\n");
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
  EXPECT_EQ(Run({"register", "Cash", "--all"}).out.substr(0, 33), "Complete Transaction History (0)\n");
}

TEST_F(CliAccountTest, CategoriesAreAddedAndPredefinedOnesStay) {
  EXPECT_EQ(Run({"category", "add", "Refunds", "--income"}).status, kDone);
  CliRun refused = Run({"category", "change", "1", "--name", "X"});
  EXPECT_EQ(refused.status, kRefused);
  EXPECT_EQ(refused.err, "Cannot Changed a Predefined Category.\n");
  EXPECT_EQ(Run({"category", "change", "11", "--expense", "--taxable"}).status, kDone);
  CliRun list = Run({"categories"});
  const std::size_t refunds = list.out.find("\n11  Refunds ");
  ASSERT_NE(refunds, std::string::npos) << list.out;
  const std::string line = list.out.substr(refunds + 1, list.out.find('\n', refunds + 1) - refunds - 1);
  EXPECT_EQ(line.substr(line.size() - 12), "Expense  yes") << line;
}

}  // namespace
}  // namespace pellmark::cli
