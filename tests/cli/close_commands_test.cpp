// The year close of a worked club: a year with dues, a purchase, a dividend,
// interest, an expense, a foreign tax, a short-term sale, medium- and
// long-term gain distributions and a payoff with a fee. Every return line,
// schedule line, K-1 row, capital account and earnings credit is worked out
// by hand below; the tax file is compared byte by byte with records built
// from the layout; the refusals leave every file as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"
#include "support/byte_fixture.h"
#include "support/temp_folder.h"

namespace pellmark::cli {
namespace {

namespace fs = std::filesystem;

class CliCloseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::vector<std::vector<std::string>> story{
        {"init", "--name", "Elm Street Investors", "--year", "2026", "--start-unit", "10", "--address",
         "12 Elm St, Springfield, 01101", "--tax-id", "12-3456789"},
        {"member", "add", "--last", "Smith", "--first", "Ann"},
        {"member", "add", "--last", "Jones", "--first", "Bob"},
        {"member", "add", "--last", "Young", "--first", "Cy"},
        // 100, 100 and 50 units at 10.00.
        {"--yes", "dues", "--date", "01/02/2026", "--member", "Smith, Ann=1000", "--member", "Jones, Bob=1000",
         "--member", "Young, Cy=500"},
        {"security", "add", "Acme Corp", "--symbol", "ACME"},
        // 100 shares at 10.00 and 10.00 commission.
        {"buy", "Acme Corp", "1000", "10", "--comm", "10", "--date", "01/10/2026"},
        {"check", "Cash", "45", "--date", "02/01/2026", "--number", "101", "--desc", "Box rent", "--category",
         "Operating Expenses"},
        {"dividend", "Acme Corp", "60", "--date", "03/15/2026"},
        {"foreign-tax", "Acme Corp", "6", "--date", "03/15/2026"},
        // 50 shares for 600.00 less 6.00: 594.00 against 500.00 and half the commission, 505.00.
        {"sell", "Acme Corp", "600", "12", "--comm", "6", "--date", "05/01/2026"},
        {"interest", "Cash", "12.34", "--date", "06/30/2026", "--desc", "Bank interest"},
        {"price", "Acme Corp", "13", "--date", "06/30/2026"},
        // Cash 2111.34 and 50 shares at 13.00 over 250 units: 11.04536.
        {"--yes", "valuation", "official", "06/30/2026"},
        // Cy's 50 units: 552.26, of which the fee keeps 10.00 in the club.
        {"--yes", "payoff", "Young, Cy", "--all", "--date", "07/01/2026", "--fee", "10"},
        {"capital-change", "Acme Corp", "30", "--gain", "medium", "--date", "09/01/2026"},
        {"capital-change", "Acme Corp", "24", "--gain", "long", "--date", "09/01/2026"},
        // Cash 1623.08 and 650.00 over 200 units: 11.3654.
        {"--yes", "valuation", "official", "12/31/2026"},
    };
    for (const auto& line : story) {
      const CliRun run = Run(line);
      ASSERT_EQ(run.status, kDone) << line.front() << ": " << run.err;
    }
  }
  CliRun Run(std::vector<std::string> args) { return RunInClub(folder.Path(), std::move(args), "01/05/2027"); }
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

// One 121-byte record of the tax file layout.
std::string Record(std::string_view text) { return pellmark::testing::ByteFixture(121).Text(0, text).Bytes(); }

TEST_F(CliCloseTest, TheCloseCreditsEachMembersEarningsAndNamesTheTaxFile) {
  const CliRun close = Run({"--yes", "close-year"});
  ASSERT_EQ(close.status, kDone) << close.err;
  // Bob and Ann share what Cy left evenly; the cent that rounding leaves over
  // goes to the first of them. Their earnings buy units at 11.3654.
  EXPECT_EQ(close.out,
            "Earnings credited for 2026 (3)\n"
            "Member      Kind         Amount  Units\n"
            "----------  -----------  ------  -----\n"
            "Jones, Bob  Earnings     $71.13  6.258\n"
            "Smith, Ann  Earnings     $71.14  6.259\n"
            "Young, Cy   NU Earnings  $74.33  0.000\n"
            "Tax file: club2026.tax\n");
  EXPECT_EQ(close.err,
            "Have all transactions for 2026 been entered and verified? Yes\n"
            "Year 2026 has been closed.  Tax Report Created.\n");
  EXPECT_TRUE(fs::exists(folder.Path() / "club2026.tax"));
  EXPECT_EQ(Run({"check-books"}).status, kDone);
}

TEST_F(CliCloseTest, EveryFigureOfTheTaxReportIsWorkedByHand) {
  ASSERT_EQ(Run({"--yes", "close-year"}).status, kDone);
  const CliRun report = Run({"report", "tax", "club2026.tax", "--json"});
  ASSERT_EQ(report.status, kDone) << report.err;
  const nlohmann::json tax = nlohmann::json::parse(report.out);
  EXPECT_EQ(tax["year"], 2026);

  // Schedule 1: the taxable income categories, each gain, and Cy's payout:
  // 552.26 for 50 units bought at 10.00 (basis 500.00).
  const std::vector<std::pair<std::string, double>> schedule1{
      {"Dividend Income", 60.00},
      {"Interest Income", 12.34},
      {"Short Term Gain from sale of Acme Corp", 89.00},
      {"Medium Term Gain from Acme Corp", 30.00},
      {"Long Term Gain from Acme Corp", 24.00},
      {"Gains due to distributions", 52.26}};
  ASSERT_EQ(tax["schedules"]["1"].size(), schedule1.size());
  for (std::size_t i = 0; i < schedule1.size(); ++i) {
    EXPECT_EQ(tax["schedules"]["1"][i]["label"], schedule1[i].first);
    EXPECT_DOUBLE_EQ(tax["schedules"]["1"][i]["amount"], schedule1[i].second);
  }
  EXPECT_EQ(tax["schedules"]["2"], nlohmann::json::parse(R"([{"label":"Operating Expenses","amount":-45.0}])"));
  EXPECT_EQ(tax["schedules"]["3"], nlohmann::json::parse(R"([{"label":"Acme Corp","amount":505.0}])"));
  EXPECT_EQ(tax["schedules"]["4"], nlohmann::json::array());

  // I = 60 + 12.34 + 89 + 30 + 24 + 52.26 = 267.60; D = 45; I - D = 222.60.
  // Cash: 2500 - 1010 - 45 + 60 + 594 + 12.34 - 542.26 + 30 + 24 = 1623.08.
  // M-2: 0 + 2500 + 222.60 = 2722.60, less Cy's 552.26 = 2170.34.
  const std::vector<std::pair<std::string, double>> lines{
      {"Other Income(loss) - Form 1120S (Line 5) Form 1065 (Line 7) - [Schedule 1]", 267.60},
      {"Total Income(loss) - Form 1120S (Line 6) Form 1065 (Line 8) - [Schedule 1]", 267.60},
      {"Other Deductions - Form 1120S (Line 19) Form 1065 (Line 20) - [Schedule 2]", -45.00},
      {"Total Deductions - Form 1120S (Line 20) Form 1065 (Line 21) - [Schedule 2]", -45.00},
      {"Ordinary income(loss) - Form 1120S (Line 21) Form 1065 (Line 22)", 222.60},
      {"Ordinary income(loss) - Form 1120S,1065 Schedule K (Line 1)", 222.60},
      {"Interest income - Form 1120S,1065 Schedule K (Line 4a)", 12.34},
      {"Dividend income - Form 1120S,1065 Schedule K (Line 4b)", 60.00},
      {"Net short-term capital gain(loss) - Form 1120S,1065 Schedule K (Line 4d)", 141.26},  // 89 + 52.26
      {"Net medium-term capital gain(loss) - Form 1120S,1065 Schedule K (Line 4e1)", 30.00},
      {"Net long-term capital gain(loss) - Form 1120S,1065 Schedule K (Line 4e2)", 24.00},
      {"Other deductions - Form 1120S (Line 10),Form 1065 (Line 11) Schedule K", -45.00},
      {"Total Foreign Taxes - Form 1120S (Line  15e),Form 1065 (Line 17E) Schedule K", -6.00},
      {"Income(loss) - Form 1120S (Line 23),Form 1065 (Line 25a) Schedule K", 222.60},
      {"Cash - Form 1120S,1065 (Line 1b) Schedule L", 0.00},
      {"Cash - Form 1120S,1065 (Line 1d) Schedule L", 1623.08},
      {"Other Investments - Form 1120S (Line 9b),Form 1065 (Line 8b) Schedule L - [Schedule 4]", 0.00},
      {"Other Investments - Form 1120S (Line 9d),Form 1065 (Line 8d) Schedule L - [Schedule 3]", 505.00},
      {"Total Assets - Form 1120S (Line 15b),Form 1065 (Line 14b) Schedule L", 0.00},
      {"Total Assets - Form 1120S (Line 15d),Form 1065 (Line 14d) Schedule L", 2128.08},
      {"Net income(loss) - Form 1120S,1065 (Line 1) Schedule M-1", 222.60},
      {"Total - Form 1120S (Line 4),1065 (Line 5) Schedule M-1", 222.60},
      {"Income(loss) - Form 1120S (Line 8),1065 (Line 9) Schedule M-1", 222.60},
      {"Balance at beginning of year - Form 1120S,1065 (Line 1) Schedule M-2", 0.00},
      {"Capital contributed during year - Form 1120S (Line 3), Form 1065 (Line 2) Schedule M-2", 2500.00},
      {"Net income(loss) per books - Form 1120S (Line 2), Form 1065 (Line 3) Schedule M-2", 222.60},
      {"Totals - Form 1120S (Line 6), Form 1065 (Line 5) Schedule M-2", 2722.60},
      {"Distributions - Form 1120S (Line 7), Form 1065 (Line 6a) Schedule M-2", -552.26},
      {"Balance at end of year - Form 1120S (Line 8), Form 1065 (Line 9) Schedule M-2", 2170.34}};
  ASSERT_EQ(tax["lines"].size(), lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(tax["lines"][i]["label"], lines[i].first) << i;
    EXPECT_NEAR(tax["lines"][i]["amount"].get<double>(), lines[i].second, 1e-9) << lines[i].first;
  }

  // Cy held 50 of 250 units from January to his payout in July: a fifth of
  // the dividend (12.00), of the interest (2.468: 2.47), of the sale (17.80),
  // of the expense (9.00) and of the foreign tax (1.20), and his payout's gain
  // of 52.26, short-term. Bob and Ann halve the rest: dividends 24.00, interest
  // 9.87 (4.93 to the first, 4.94), short 35.60, medium 15.00, long 12.00,
  // expenses 18.00, foreign taxes 2.40. Ordinary income is before foreign taxes.
  const nlohmann::json k1 = nlohmann::json::parse(R"([
    {"name":"Bob Jones","ordinary":73.53,"interest":4.93,"dividends":24.0,"short":35.6,"medium":15.0,"long":12.0,
     "deductions":-18.0,"foreign_taxes":-2.4},
    {"name":"Ann Smith","ordinary":73.54,"interest":4.94,"dividends":24.0,"short":35.6,"medium":15.0,"long":12.0,
     "deductions":-18.0,"foreign_taxes":-2.4},
    {"name":"Cy Young","ordinary":75.53,"interest":2.47,"dividends":12.0,"short":70.06,"medium":0.0,"long":0.0,
     "deductions":-9.0,"foreign_taxes":-1.2}])");
  ASSERT_EQ(tax["k1"].size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    for (const auto& [key, value] : k1[i].items()) {
      if (value.is_string()) {
        EXPECT_EQ(tax["k1"][i][key], value);
      } else {
        EXPECT_NEAR(tax["k1"][i][key].get<double>(), value.get<double>(), 1e-9) << i << " " << key;
      }
    }
  }
  // Earnings = ordinary - foreign taxes; ending = beginning + in + earnings - out.
  const nlohmann::json capital = nlohmann::json::parse(R"([
    {"name":"Bob Jones","beginning":0.0,"contributed":1000.0,"earnings":71.13,"withdrawn":0.0,"ending":1071.13},
    {"name":"Ann Smith","beginning":0.0,"contributed":1000.0,"earnings":71.14,"withdrawn":0.0,"ending":1071.14},
    {"name":"Cy Young","beginning":0.0,"contributed":500.0,"earnings":74.33,"withdrawn":-552.26,"ending":22.07}])");
  ASSERT_EQ(tax["capital"].size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    for (const auto& [key, value] : capital[i].items()) {
      if (value.is_string()) {
        EXPECT_EQ(tax["capital"][i][key], value);
      } else {
        EXPECT_NEAR(tax["capital"][i][key].get<double>(), value.get<double>(), 1e-9) << i << " " << key;
      }
    }
  }
}

TEST_F(CliCloseTest, TheTaxFileHoldsTheRecordsOfTheLayoutByteForByte) {
  ASSERT_EQ(Run({"--yes", "close-year"}).status, kDone);
  std::string expected;
  for (std::string_view text : {
           "+2026",
           "Other Income(loss) - Form 1120S (Line 5) Form 1065 (Line 7) - [Schedule 1]|$267.60",
           "Total Income(loss) - Form 1120S (Line 6) Form 1065 (Line 8) - [Schedule 1]|$267.60",
           "Other Deductions - Form 1120S (Line 19) Form 1065 (Line 20) - [Schedule 2]|$-45.00",
           "Total Deductions - Form 1120S (Line 20) Form 1065 (Line 21) - [Schedule 2]|$-45.00",
           "Ordinary income(loss) - Form 1120S (Line 21) Form 1065 (Line 22)|$222.60",
           "Ordinary income(loss) - Form 1120S,1065 Schedule K (Line 1)|$222.60",
           "Interest income - Form 1120S,1065 Schedule K (Line 4a)|$12.34",
           "Dividend income - Form 1120S,1065 Schedule K (Line 4b)|$60.00",
           "Net short-term capital gain(loss) - Form 1120S,1065 Schedule K (Line 4d)|$141.26",
           "Net medium-term capital gain(loss) - Form 1120S,1065 Schedule K (Line 4e1)|$30.00",
           "Net long-term capital gain(loss) - Form 1120S,1065 Schedule K (Line 4e2)|$24.00",
           "Other deductions - Form 1120S (Line 10),Form 1065 (Line 11) Schedule K|$-45.00",
           "Total Foreign Taxes - Form 1120S (Line  15e),Form 1065 (Line 17E) Schedule K|$-6.00",
           "Income(loss) - Form 1120S (Line 23),Form 1065 (Line 25a) Schedule K|$222.60",
           "Cash - Form 1120S,1065 (Line 1b) Schedule L|$0.00",
           "Cash - Form 1120S,1065 (Line 1d) Schedule L|$1623.08",
           "Other Investments - Form 1120S (Line 9b),Form 1065 (Line 8b) Schedule L - [Schedule 4]|$0.00",
           "Other Investments - Form 1120S (Line 9d),Form 1065 (Line 8d) Schedule L - [Schedule 3]|$505.00",
           "Total Assets - Form 1120S (Line 15b),Form 1065 (Line 14b) Schedule L|$0.00",
           "Total Assets - Form 1120S (Line 15d),Form 1065 (Line 14d) Schedule L|$2128.08",
           "Net income(loss) - Form 1120S,1065 (Line 1) Schedule M-1|$222.60",
           "Total - Form 1120S (Line 4),1065 (Line 5) Schedule M-1|$222.60",
           "Income(loss) - Form 1120S (Line 8),1065 (Line 9) Schedule M-1|$222.60",
           "Balance at beginning of year - Form 1120S,1065 (Line 1) Schedule M-2|$0.00",
           "Capital contributed during year - Form 1120S (Line 3), Form 1065 (Line 2) Schedule M-2|$2500.00",
           "Net income(loss) per books - Form 1120S (Line 2), Form 1065 (Line 3) Schedule M-2|$222.60",
           "Totals - Form 1120S (Line 6), Form 1065 (Line 5) Schedule M-2|$2722.60",
           "Distributions - Form 1120S (Line 7), Form 1065 (Line 6a) Schedule M-2|$-552.26",
           "Balance at end of year - Form 1120S (Line 8), Form 1065 (Line 9) Schedule M-2|$2170.34",
           " | ",
           "Dividend Income|$60.00",
           "Interest Income|$12.34",
           "Short Term Gain from sale of Acme Corp|$89.00",
           "Medium Term Gain from Acme Corp|$30.00",
           "Long Term Gain from Acme Corp|$24.00",
           "Gains due to distributions|$52.26",
           " | ",
           "Operating Expenses|$-45.00",
           " | ",
           "Acme Corp|$505.00",
           " | ",
           " | ",
           "Bob Jones|$73.53|$4.93|$24.00|$35.60|$15.00|$12.00|$-18.00|$-2.40",
           "Ann Smith|$73.54|$4.94|$24.00|$35.60|$15.00|$12.00|$-18.00|$-2.40",
           "Cy Young|$75.53|$2.47|$12.00|$70.06|$0.00|$0.00|$-9.00|$-1.20",
           " | ",
           "Bob Jones|$0.00|$1000.00|$71.13|$0.00|$1071.13",
           "Ann Smith|$0.00|$1000.00|$71.14|$0.00|$1071.14",
           "Cy Young|$0.00|$500.00|$74.33|$-552.26|$22.07",
           " | ",
           "Bob Jones|$-2.40",
           "Ann Smith|$-2.40",
           "Cy Young|$-1.20",
       }) {
    expected += Record(text);
  }
  std::ifstream in(folder.Path() / "club2026.tax", std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(bytes, expected);
}

TEST_F(CliCloseTest, TheTaxReportPrintsAsTextWithItsForeignAndMediumColumns) {
  ASSERT_EQ(Run({"--yes", "close-year"}).status, kDone);
  const fs::path text = folder.Path() / "tax.txt";
  const CliRun report = Run({"report", "tax", "club2026.tax", "--text", text.string()});
  ASSERT_EQ(report.status, kDone) << report.err;
  std::ifstream in(text);
  const std::string printed{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  for (const char* expected :
       {" Tax report for 2026.", "Address: 12 Elm St, Springfield, 01101", "Tax ID: 12-3456789",
        "Form 1120S (S-Corporations) and 1065 (Partnerships)", "Member Schedule K-1 lines - Income (Loss) Deductions",
        "1120S (4e1) 1120S (4e2)  1120S (10) 1120S (15e)", "Schedule 1 - Other Income(loss)",
        "Schedule 2 - Other Deductions", "Schedule 3 - Portfolio at end of year"}) {
    EXPECT_NE(printed.find(expected), std::string::npos) << expected;
  }
  // Schedule 4 has no lines and is left out.
  EXPECT_EQ(printed.find("Schedule 4 - Portfolio"), std::string::npos);
}

TEST_F(CliCloseTest, TheRefusalsChangeNoFile) {
  // No to the question.
  std::map<std::string, std::string> before = FolderBytes();
  CliRun no = Run({"--no", "close-year"});
  EXPECT_EQ(no.status, kRefused);
  EXPECT_EQ(no.err, "Have all transactions for 2026 been entered and verified? No\n");
  EXPECT_EQ(FolderBytes(), before);

  // Only a test statement for 31 December.
  ASSERT_EQ(Run({"--yes", "valuation", "delete", "V12312026.stm"}).status, kDone);
  ASSERT_EQ(Run({"valuation", "test", "12/31/2026"}).status, kDone);
  before = FolderBytes();
  CliRun test_only = Run({"--yes", "close-year"});
  EXPECT_EQ(test_only.status, kRefused);
  EXPECT_EQ(test_only.err, "Need to create an Official Valuation Statement for 12/31/2026\n");
  EXPECT_EQ(FolderBytes(), before);

  // No statement at all.
  ASSERT_EQ(Run({"--yes", "valuation", "delete", "V12312026.stm"}).status, kDone);
  before = FolderBytes();
  CliRun missing = Run({"--yes", "close-year"});
  EXPECT_EQ(missing.status, kRefused);
  EXPECT_EQ(missing.err, "Need to create an Official Valuation Statement for 12/31/2026\n");
  EXPECT_EQ(FolderBytes(), before);
}

TEST_F(CliCloseTest, AClosedYearTakesNoValuationAndTheNextCloseLooksForTheNextYear) {
  ASSERT_EQ(Run({"--yes", "close-year"}).status, kDone);
  const std::map<std::string, std::string> before = FolderBytes();
  const CliRun valuation = Run({"--yes", "valuation", "official", "12/31/2026"});
  EXPECT_EQ(valuation.status, kRefused);
  EXPECT_EQ(valuation.err, "Valuations for previous years not allowed.\n");
  const CliRun again = Run({"--yes", "close-year"});
  EXPECT_EQ(again.status, kRefused);
  EXPECT_EQ(again.err, "Need to create an Official Valuation Statement for 12/31/2027\n");
  EXPECT_EQ(FolderBytes(), before);
}

TEST_F(CliCloseTest, ADamagedTaxFileIsRefusedNamingItsRecord) {
  ASSERT_EQ(Run({"--yes", "close-year"}).status, kDone);
  const fs::path file = folder.Path() / "club2026.tax";
  fs::resize_file(file, fs::file_size(file) - 5);
  const CliRun report = Run({"report", "tax", "club2026.tax", "--json"});
  EXPECT_EQ(report.status, kRefused);
  EXPECT_EQ(report.err, "Tax file club2026.tax is damaged: record 54 is cut short.\n");
  EXPECT_EQ(report.out, "");
}

}  // namespace
}  // namespace pellmark::cli
