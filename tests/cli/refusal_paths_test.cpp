// Every command of pellmark-cli has a way to be refused, and none is refused in
// silence: the exit status says so and stderr says why.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "cli/cli_runner.h"
#include "support/temp_folder.h"

namespace pellmark::cli {
namespace {

using ::testing::ContainerEq;

class RefusalPaths : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Run({"init", "--name", "Elm", "--year", "2026"}).status, kDone);
    ASSERT_EQ(Run({"member", "add", "--last", "Smith", "--first", "Ann"}).status, kDone);
    ASSERT_EQ(Run({"--yes", "dues", "--date", "12/01/2026", "--all", "10"}).status, kDone);
  }
  CliRun Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--club", folder.Path().string(), "--today", "12/07/2026"});
    return RunLine(args);
  }
  pellmark::testing::TempFolder folder;
};

// One refused command line for each command, on the club of the fixture; the
// exit status each one expects.
struct Refusal {
  std::vector<std::string> args;
  int status = kRefused;
};

std::map<std::string, Refusal> Refusals(const std::string& club) {
  return {
      {"info", {{"--club", club + "/none", "info"}, kUsage}},
      {"club", {{"club", "--year", "19x7"}}},
      {"unit-values", {{"--club", club + "/none", "unit-values"}, kUsage}},
      {"open", {{"--club", club + "/none", "open"}, kUsage}},
      {"init", {{"init", "--name", "Again", "--year", "2026"}}},
      {"demo", {{"demo", club}}},
      {"check-books", {{"--club", club + "/none", "check-books"}, kUsage}},
      {"qdb", {{"qdb", club + "/none.qdb"}, kFileError}},
      {"check", {{"check", "Nowhere", "5", "--number", "1", "--desc", "x", "--category", "Operating Expenses"}}},
      {"deposit", {{"deposit", "Cash", "5", "--desc", "x", "--category", "Nonsense"}}},
      {"withdraw", {{"withdraw", "Cash", "abc", "--desc", "x", "--category", "Operating Expenses"}, kUsage}},
      {"charge", {{"charge", "Cash", "5", "--desc", "x", "--date", "13/45/2026"}, kUsage}},
      {"interest", {{"interest", "Nowhere", "5", "--desc", "x"}}},
      {"transfer", {{"transfer", "Cash", "Cash", "5", "--desc", "x"}}},
      {"accounts", {{"--club", club + "/none", "accounts"}, kUsage}},
      {"register", {{"register", "Nowhere"}}},
      {"account add", {{"account", "add", "Cash"}}},
      {"account change", {{"account", "change", "Nowhere", "--number", "1"}}},
      {"account hide", {{"account", "hide", "Cash"}}},
      {"account unhide", {{"account", "unhide", "Cash"}}},
      {"account delete", {{"--yes", "account", "delete", "Cash"}}},
      {"account reset", {{"account", "reset", "Nowhere"}}},
      {"account default-member", {{"account", "default-member", "Nowhere"}}},
      {"account default-security", {{"account", "default-security", "Nowhere"}}},
      {"account reset-all", {{"--club", club + "/none", "account", "reset-all"}, kUsage}},
      {"account valuation", {{"account", "valuation", "Nowhere", "off"}}},
      {"txn change", {{"txn", "change", "Cash", "999", "--amount", "5"}}},
      {"txn delete", {{"--yes", "txn", "delete", "Cash", "999"}}},
      {"reconcile", {{"reconcile", "Nowhere"}}},
      {"category add", {{"category", "add", "Postage"}}},
      {"category change", {{"category", "change", "1", "--name", "Dues"}}},
      {"categories", {{"--club", club + "/none", "categories"}, kUsage}},
      {"member add", {{"member", "add", "--last", "Smith", "--first", "Ann"}}},
      {"member change", {{"member", "change", "Nobody, X", "--email", "x@example.com"}}},
      {"member hide", {{"member", "hide", "Smith, Ann"}}},
      {"member unhide", {{"member", "unhide", "Smith, Ann"}}},
      {"member delete", {{"--yes", "member", "delete", "Smith, Ann"}}},
      {"member reset", {{"member", "reset", "Nobody, X"}}},
      {"member reset-all", {{"--club", club + "/none", "member", "reset-all"}, kUsage}},
      {"members", {{"--club", club + "/none", "members"}, kUsage}},
      {"dues", {{"--no", "dues", "--all", "10"}}},
      {"payoff", {{"payoff", "Smith, Ann", "5", "--valuation", "01/01/1990"}}},
      {"fee", {{"fee", "Nobody, X", "5"}}},
      {"total-dues", {{"total-dues", "Nobody, X", "5"}}},
      {"total-earnings", {{"total-earnings", "Nobody, X", "5"}}},
      {"dues-history", {{"dues-history", "Nobody, X"}}},
      {"mtxn change", {{"mtxn", "change", "Smith, Ann", "999", "5"}}},
      {"mtxn delete", {{"--yes", "mtxn", "delete", "Smith, Ann", "999"}}},
      {"buy", {{"buy", "Nowhere", "1000", "10", "--date", "12/01/2026"}}},
      {"sell", {{"sell", "Nowhere", "1000", "10", "--date", "12/01/2026", "--lots", "0=100"}}},
      {"dividend", {{"dividend", "Nowhere", "25", "--date", "12/01/2026"}}},
      {"split", {{"split", "Nowhere", "3", "2", "--date", "12/01/2026"}}},
      {"basis", {{"basis", "Nowhere", "900", "0", "--date", "12/01/2026"}}},
      {"clear", {{"clear", "Nowhere", "--date", "12/01/2026"}}},
      {"reset-dividends", {{"--no", "reset-dividends"}}},
      {"reinvest", {{"reinvest", "Nowhere", "25", "0", "--date", "12/01/2026"}}},
      {"capital-change", {{"capital-change", "Nowhere", "25", "--date", "12/01/2026"}, kUsage}},
      {"foreign-tax", {{"foreign-tax", "Nowhere", "5", "--date", "12/01/2026"}}},
      {"stxns", {{"stxns", "Nowhere"}}},
      {"stxn change", {{"stxn", "change", "Nowhere", "1", "--amount", "5"}}},
      {"stxn delete", {{"--yes", "stxn", "delete", "Nowhere", "1"}}},
      {"lots", {{"lots", "Nowhere"}}},
      {"security add", {{"security", "add", "Security Name"}}},
      {"security change", {{"security", "change", "Nothing", "--symbol", "X"}}},
      {"security hide", {{"security", "hide", "Nothing"}}},
      {"security unhide", {{"security", "unhide", "Nothing"}}},
      {"security delete", {{"--yes", "security", "delete", "Nothing"}}},
      {"security reset", {{"security", "reset", "Nothing"}}},
      {"security reset-all", {{"--club", club + "/none", "security", "reset-all"}, kUsage}},
      {"securities", {{"--club", club + "/none", "securities"}, kUsage}},
      {"price", {{"price", "Nothing", "12"}}},
      {"price change", {{"price", "change", "Nothing", "0", "12"}}},
      {"price delete", {{"--yes", "price", "delete", "Nothing", "0"}}},
      {"price-all", {{"price-all", "Nothing=12"}}},
      {"prices", {{"prices", "Nothing"}}},
      {"import-prices", {{"import-prices", club + "/none.txt"}}},
      {"report valuation", {{"report", "valuation", club + "/clubinfo.qdb", "--text", club + "/x.txt"}, kFileError}},
      {"report accounts", {{"report", "accounts", "--account", "Nowhere", "--json"}}},
      {"report securities", {{"report", "securities", "--security", "Nowhere", "--json"}}},
      {"report prices", {{"report", "prices", "--json"}}},
      {"statement-file valuation", {{"statement-file", "valuation", "--date", "11/30/2026"}}},
      {"statement-file distribution", {{"statement-file", "distribution", "--date", "13/45/2026"}, kUsage}},
      {"statement-file vote", {{"statement-file", "vote", "--date", "13/45/2026"}, kUsage}},
      {"statement-file roster", {{"--club", club + "/none", "statement-file", "roster"}, kUsage}},
      {"mail support", {{"mail", "support", "--message-file", club + "/none.txt"}, kUsage}},
      {"mail report valuation", {{"mail", "report", "valuation", "--date", "12/07/2026", "--all-members"}}},
      {"mail report distribution", {{"mail", "report", "distribution", "--date", "12/07/2026"}, kUsage}},
      {"mail report vote", {{"mail", "report", "vote", "--date", "12/07/2026", "--member", "Nobody, Here"}}},
      {"mail report roster", {{"--club", club + "/none", "mail", "report", "roster", "--date", "12/07/2026",
                               "--all-members"}, kUsage}},
      {"report balance", {{"report", "balance", "--date", "13/45/2026", "--json"}}},
      {"report income", {{"report", "income", "--date", "2/30/2026", "--json"}}},
      {"report gains", {{"report", "gains", "--date", "12/31/2026"}, kUsage}},
      {"report distribution", {{"--club", club + "/none", "report", "distribution", "--date", "12/31/2026", "--json"},
                               kUsage}},
      {"report tax", {{"report", "tax", club + "/none.tax", "--json"}, kFileError}},
      {"report dues", {{"report", "dues", "--date", "13/45/2026", "--json"}}},
      {"report payoff", {{"report", "payoff", "--date", "2/30/2026", "--json"}}},
      {"report roster", {{"report", "roster", "--date", "00/01/2026", "--json"}}},
      {"report vote", {{"report", "vote", "--date", "12/32/2026", "--json"}}},
      {"report returns", {{"report", "returns", "--date", "1/0/2026", "--json"}}},
      {"report charts", {{"report", "charts", "--member", "Nobody Here", "--pdf", club + "/charts.pdf"}}},
      {"close-year", {{"--yes", "close-year"}}},
      {"valuation official", {{"valuation", "official", "12/31/2025"}}},
      {"valuation test", {{"valuation", "test", "13/45/2026"}}},
      {"valuation delete", {{"--yes", "valuation", "delete", "V01012026.stm"}}},
      {"audit", {{"audit", "02/30/2026"}}},
      {"recalculate", {{"--no", "recalculate"}}},
      {"statement", {{"statement", club + "/none.stm"}, kFileError}},
      {"summary", {{"--club", club + "/none", "summary"}, kUsage}},
      {"backup", {{"backup", club + "/clubinfo.qdb/set"}}},  // a folder cannot be made inside a file
      {"restore", {{"restore", club + "/none"}}},
      {"reset", {{"--no", "reset"}}},
      {"undo-restore", {{"undo-restore"}}},
      {"export", {{"export", club + "/none/pellmark95.txt"}}},
      {"mail-labels", {{"mail-labels", club + "/none/Maillabel.csv"}}},
      {"import", {{"--yes", "import", "export", club + "/none.txt"}}},
      {"quotes", {{"quotes"}}},
      {"history", {{"--club", club + "/none", "history"}, kUsage}},
      {"undo", {{"undo", "--to", "999"}}},
      {"redo", {{"redo"}}},
  };
}

TEST_F(RefusalPaths, EveryCommandIsRefusedWithAReasonOnStderr) {
  const std::map<std::string, Refusal> refusals = Refusals(folder.Path().string());
  std::set<std::string> listed, commands;
  for (const auto& [path, refusal] : refusals) listed.insert(path);
  for (const std::string& path : CommandPaths()) commands.insert(path);
  ASSERT_THAT(listed, ContainerEq(commands)) << "a command without a refusal case, or a case without a command";

  for (const auto& [path, refusal] : refusals) {
    CliRun run = Run(refusal.args);
    EXPECT_EQ(run.status, refusal.status) << path << ": " << run.err;
    EXPECT_FALSE(run.err.empty()) << path << " was refused in silence";
  }
}

TEST_F(RefusalPaths, WhatNoLongerExistsIsNamed) {
  EXPECT_EQ(Run({"--yes", "txn", "delete", "Cash", "999"}).err, "Account Cash has no transaction 999.\n");
  EXPECT_EQ(Run({"--yes", "txn", "delete", "Nowhere", "1"}).err, "Account Nowhere does not exist.\n");
  EXPECT_EQ(Run({"--yes", "mtxn", "delete", "Smith, Ann", "999"}).err, "Member Ann Smith has no transaction 999.\n");
  EXPECT_EQ(Run({"reconcile", "Nowhere"}).err, "Account Nowhere does not exist.\n");
}

}  // namespace
}  // namespace pellmark::cli
