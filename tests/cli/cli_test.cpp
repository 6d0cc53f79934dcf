#include "cli/cli_app.h"
#include "forms/club_setup_form.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "books/books.h"
#include "cli/cli_runner.h"
#include "club/clock.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace pellmark::cli {
namespace {

TEST(CliGlobalOptions, HelpListsTheGlobalOptions) {
  CliRun run = RunLine({"--help"});
  EXPECT_EQ(run.status, kDone);
  for (const char* option : {"--club", "--today", "--yes", "--no", "--version"}) {
    EXPECT_NE(run.out.find(option), std::string::npos) << option;
  }
}

TEST(CliGlobalOptions, VersionPrintsTheProgramName) {
  CliRun run = RunLine({"--version"});
  EXPECT_EQ(run.status, kDone);
  EXPECT_EQ(run.out.rfind("pellmark-cli ", 0), 0u);
}

TEST(CliGlobalOptions, AnInvalidTodayIsAUsageError) {
  CliRun run = RunLine({"--today", "13/45/1999", "info"});
  EXPECT_EQ(run.status, kUsage);
  EXPECT_EQ(run.err, "pellmark-cli: --today: '13/45/1999' is not a valid date (mm/dd/yyyy)\n");
}

TEST(CliGlobalOptions, YesAndNoExcludeEachOther) {
  EXPECT_EQ(RunLine({"--yes", "--no", "info"}).status, kUsage);
}

TEST(CliGlobalOptions, UnknownCommandsAndMissingCommandsAreUsageErrors) {
  EXPECT_EQ(RunLine({"frobnicate"}).status, kUsage);
  EXPECT_EQ(RunLine({}).status, kUsage);
}

TEST(CliInfo, AMissingClubFolderIsAUsageError) {
  CliRun run = RunLine({"--club", "/nonexistent/pellmark/club", "info"});
  EXPECT_EQ(run.status, kUsage);
  EXPECT_NE(run.err.find("/nonexistent/pellmark/club"), std::string::npos);
}

}  // namespace
}  // namespace pellmark::cli

namespace pellmark::cli {
namespace {

class CliClubTest : public ::testing::Test {
 protected:
  std::string Club() const { return folder.Path().string(); }
  pellmark::testing::TempFolder folder;
};

TEST_F(CliClubTest, InitSetsUpTheClubAndInfoSummarisesIt) {
  CliRun init = RunLine({"--club", Club(), "--today", "12/07/2026", "init", "--name", "Caf\xC3\xA9 Investors",
                         "--year", "1999", "--start-unit", "$1,000", "--address", "1 Main St"});
  EXPECT_EQ(init.status, kDone) << init.err;
  EXPECT_EQ(init.err, "Club Information added.\n");

  CliRun info = RunLine({"--club", Club(), "--today", "12/07/2026", "info"});
  ASSERT_EQ(info.status, kDone) << info.err;
  EXPECT_EQ(info.out,
            "Club:                 Caf\xC3\xA9 Investors\n"
            "Address:              1 Main St\n"
            "Open year:            1999\n"
            "Current unit value:   $1,000.0000\n"
            "Purchase unit value:  $1,000.0000\n"
            "Actual unit value:    $0.0000\n"
            "Total assets:         $0.00\n"
            "Total units:          0.000\n"
            "Members:              0\n"
            "Accounts:             1\n"
            "Securities:           0\n"
            "Newest valuation:     01/01/1999, unit value $1,000.0000\n");
  CliRun json = RunLine({"--club", Club(), "--today", "12/07/2026", "--json", "info"});
  auto summary = nlohmann::json::parse(json.out);
  EXPECT_EQ(summary["club"], "Caf\xC3\xA9 Investors");
  EXPECT_EQ(summary["year"], 1999);
  EXPECT_EQ(summary["current_unit_value"], 1000.0);
  EXPECT_EQ(summary["accounts"], 1);
  EXPECT_EQ(summary["newest_valuation"]["date"], "01/01/1999");
  EXPECT_EQ(summary.size(), 12u);
}

TEST_F(CliClubTest, InfoNeverShowsTheStoredPassword) {
  ASSERT_EQ(RunLine({"--club", Club(), "init", "--name", "Elm", "--year", "2026"}).status, kDone);
  const std::string secret = "Zq7secretpw";
  {
    pellmark::testing::ScriptedInteraction ui;
    FixedClock clock(DayNumberFromCivil({2026, 12, 7}));
    Books books(folder.Path(), ui, clock);
    books.Open();
    ClubInfoFields fields = ClubSetupFields(books.Club());
    fields.usepas = true;
    fields.user = "elm";
    fields.passwd = secret;
    ASSERT_TRUE(CommitClubSetup(books.Club(), fields).IsDone());
    books.Close();
  }
  ASSERT_NE(RunLine({"--club", Club(), "--json", "club"}).out.find("\"club\""), std::string::npos);
  for (const char* command : {"info", "club"}) {
    for (const bool as_json : {false, true}) {
      std::vector<std::string> line = {"--club", Club()};
      if (as_json) line.push_back("--json");
      line.push_back(command);
      CliRun run = RunLine(line);
      EXPECT_EQ(run.out.find("passw"), std::string::npos) << run.out;
      EXPECT_EQ(run.out.find(secret), std::string::npos);
    }
  }
}

TEST_F(CliClubTest, ClubShowsAndChangesTheClubInformationThroughTheSpecialPagesChecks) {
  ASSERT_EQ(RunLine({"--club", Club(), "init", "--name", "Elm", "--year", "2026", "--tax-id", "36-1"}).status, kDone);
  CliRun changed = RunLine({"--club", Club(), "club", "--name", "Oak Investors", "--address", "2 Oak Lane"});
  EXPECT_EQ(changed.status, kDone) << changed.err;
  EXPECT_EQ(changed.out,
            "Club:            Oak Investors\n"
            "Address:         2 Oak Lane\n"
            "Tax ID:          36-1\n"
            "Open year:       2026\n"
            "Mail server:\n"
            "Return address:\n"
            "Proxy:\n"
            "Use proxy:       off\n"
            "Cache off:       off\n"
            "Authentication:  off\n"
            "User:\n");
  const std::string before = RunLine({"--club", Club(), "club"}).out;
  EXPECT_EQ(before, changed.out);
  CliRun refused = RunLine({"--club", Club(), "club", "--year", "19x7"});
  EXPECT_EQ(refused.status, kRefused);
  EXPECT_EQ(refused.err, "Invalid Track Year\n");
  EXPECT_EQ(RunLine({"--club", Club(), "club"}).out, before);
}

TEST_F(CliClubTest, ClubSetsTheInternetSettingsOfTheQuotes) {
  ASSERT_EQ(RunLine({"--club", Club(), "init", "--name", "Elm", "--year", "2026"}).status, kDone);
  CliRun refused = RunLine({"--club", Club(), "club", "--use-proxy", "on"});
  EXPECT_EQ(refused.status, kRefused);
  EXPECT_EQ(refused.err, "Use Proxy checked but proxy server not provided.\n");
  CliRun changed = RunLine({"--club", Club(), "--json", "club", "--proxy", "proxy.example.com:3128", "--use-proxy",
                            "on", "--cache-off", "on", "--basic-auth", "on", "--user", "ann", "--password", "pw"});
  ASSERT_EQ(changed.status, kDone) << changed.err;
  const auto summary = nlohmann::json::parse(changed.out);
  EXPECT_EQ(summary["proxy"], "proxy.example.com:3128");
  EXPECT_EQ(summary["use_proxy"], true);
  EXPECT_EQ(summary["cache_off"], true);
  EXPECT_EQ(summary["basic_auth"], true);
  EXPECT_EQ(summary["user"], "ann");
  EXPECT_EQ(changed.out.find("pw\""), std::string::npos);
  CliRun off = RunLine({"--club", Club(), "--json", "club", "--use-proxy", "off"});
  EXPECT_EQ(nlohmann::json::parse(off.out)["use_proxy"], false);
  EXPECT_EQ(nlohmann::json::parse(off.out)["proxy"], "proxy.example.com:3128");
}

TEST_F(CliClubTest, InitRefusalsExitWithStatusOne) {
  CliRun bad_year = RunLine({"--club", Club(), "init", "--name", "X", "--year", "19x7"});
  EXPECT_EQ(bad_year.status, kRefused);
  EXPECT_EQ(bad_year.err, "Invalid Track Year\n");
  CliRun bad_unit = RunLine({"--club", Club(), "init", "--name", "X", "--year", "1999", "--start-unit", "ten"});
  EXPECT_EQ(bad_unit.status, kRefused);
  EXPECT_EQ(bad_unit.err, "Invalid Start Unit Value\n");

  ASSERT_EQ(RunLine({"--club", Club(), "init", "--name", "X", "--year", "1999"}).status, kDone);
  CliRun again = RunLine({"--club", Club(), "init", "--name", "Y", "--year", "2000"});
  EXPECT_EQ(again.status, kRefused);
  EXPECT_EQ(again.err, "The club \"X\" is already set up; change it on the Special page.\n");
}

// Only init and demo set a club up; every other command refuses a folder
// without one and leaves it empty.
TEST_F(CliClubTest, AFolderWithoutAClubIsRefusedAndStaysEmpty) {
  for (const std::vector<std::string>& command :
       std::vector<std::vector<std::string>>{{"info"}, {"open"}, {"members"}, {"accounts"}, {"club", "--name", "X"},
                                             {"member", "add", "--last", "Smith"}, {"unit-values"}}) {
    std::vector<std::string> line = {"--club", Club()};
    line.insert(line.end(), command.begin(), command.end());
    CliRun run = RunLine(line);
    EXPECT_EQ(run.status, kRefused) << command[0];
    EXPECT_EQ(run.err, Club() + " is not a club folder; `pellmark-cli init` sets one up\n");
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path())) << command[0];
  }
}

TEST_F(CliClubTest, AClubNotSetUpIsRefused) {
  ASSERT_EQ(RunLine({"--club", Club(), "init", "--name", "X", "--year", "19x7"}).status, kRefused);
  CliRun info = RunLine({"--club", Club(), "members"});
  EXPECT_EQ(info.status, kRefused);
  EXPECT_EQ(info.err, "The club in " + Club() + " has not been set up.\n");
}

TEST_F(CliClubTest, DamagedOrLostClubInformationIsRefusedAsDamageAndNothingIsWritten) {
  ASSERT_EQ(RunLine({"--club", Club(), "init", "--name", "Elm", "--year", "2026"}).status, kDone);
  ASSERT_EQ(RunLine({"--club", Club(), "member", "add", "--last", "Smith", "--first", "Ann"}).status, kDone);
  const std::filesystem::path info = folder.Path() / "clubinfo.qdb";
  const auto files = [&] {
    std::map<std::string, std::string> bytes;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      bytes[entry.path().filename().string()].assign(std::istreambuf_iterator<char>(in), {});
    }
    return bytes;
  };
  std::string whole = files().at("clubinfo.qdb");
  const std::string damaged =
      "The club information file " + info.string() + " is damaged. Restore the club from a backup.\n";
  const std::string missing = "The club information file " + info.string() +
                              " is missing, though the club's stores hold its records. Restore the club from a backup.\n";
  for (std::size_t length : {std::size_t{0}, std::size_t{78}, std::size_t{156}, std::string::npos}) {
    SCOPED_TRACE(length);
    if (length == std::string::npos) {
      std::filesystem::remove(info);
    } else {
      std::ofstream(info, std::ios::binary | std::ios::trunc) << whole.substr(0, length);
    }
    const auto before = files();
    for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
             {"check-books"}, {"members"}, {"init", "--name", "New", "--year", "2026"}}) {
      std::vector<std::string> line = {"--club", Club()};
      line.insert(line.end(), command.begin(), command.end());
      CliRun run = RunLine(line);
      EXPECT_EQ(run.status, kRefused) << command[0];
      EXPECT_EQ(run.err, length == std::string::npos ? missing : damaged) << command[0];
      EXPECT_EQ(files(), before) << command[0];
    }
  }
}

TEST_F(CliClubTest, OpenRunsTheUpgradesOfAnOldClubAndReportsThem) {
  std::string old_info(134, '\0');
  old_info[0] = 3;
  old_info.replace(1, 3, "Old");
  std::ofstream(folder.Path() / "clubinfo.qdb", std::ios::binary) << old_info;
  CliRun open = RunLine({"--club", Club(), "open"});
  EXPECT_EQ(open.status, kDone) << open.err;
  EXPECT_EQ(open.err, "Pellmark Data File Formats will be updated\n");
  CliRun again = RunLine({"--club", Club(), "open"});
  EXPECT_EQ(again.err, "");  // converted once
}

}  // namespace
}  // namespace pellmark::cli

namespace pellmark::cli {
namespace {

TEST(CliDemo, TheDemoClubHoldsAYearOfDuesAndTheBanksActivity) {
  pellmark::testing::TempFolder folder;
  const std::string club = (folder.Path() / "demo").string();
  ASSERT_EQ(RunLine({"--today", "12/07/2026", "demo", club}).status, kDone);

  // Each month ends with an official valuation, so the members' units are
  // worth the club's assets: the bank and the broker (991.25 + 1,130.40) and the
  // securities at their prices (5 x 28.25 + 4 x 55.375 + 20.5996 x 13.125 =
  // 141.25 + 221.50 + 270.37), 2,754.77 in all. The members' values, each
  // rounded to the cent, are 337.32 + 1,124.40 + 449.76 + 281.10 + 562.20: the
  // Total row adds what it shows, a cent more.
  CliRun members = RunLine({"--club", club, "members"});
  EXPECT_NE(members.out.find("$2,940.00     $0.00  $2,754.78\n"), std::string::npos) << members.out;
  EXPECT_EQ(RunLine({"--club", club, "summary"}).out.substr(0, 26), "Total Assets:   $2,754.77\n");
  CliRun values = RunLine({"--club", club, "unit-values"});
  EXPECT_EQ(values.out.substr(0, values.out.find('\n')), "Unit Values (13)") << values.out;
  EXPECT_NE(values.out.find("12/07/2026"), std::string::npos);
  CliRun ann = RunLine({"--club", club, "dues-history", "Smith, Ann", "--year", "2026"});
  EXPECT_EQ(ann.out.substr(0, ann.out.find('\n')), "2026 Dues History (12)");

  CliRun accounts = RunLine({"--club", club, "accounts"});
  EXPECT_NE(accounts.out.find("Bank    0072-558190       $991.25       $492.50        $5.00       $13.75  default-member\n"),
            std::string::npos)
      << accounts.out;
  // The broker's three transfers less what the trades paid, plus what they brought in.
  EXPECT_NE(accounts.out.find("Broker  4417-2093       $1,130.40"), std::string::npos) << accounts.out;
  EXPECT_NE(accounts.out.find("Total                   $2,121.65\n"), std::string::npos);
  CliRun broker = RunLine({"--club", club, "register", "Broker", "--year", "2026"});
  EXPECT_EQ(broker.out.substr(0, broker.out.find('\n')), "2026 Transaction History (11)");
  // Acme Tools bought twice and sold over both lots, the second cut in two.
  CliRun trades = RunLine({"--club", club, "stxns", "Acme Tools", "--all"});
  EXPECT_NE(trades.out.find(" 2  11/20/2026  Sell            10  282.50  28.25        5.30     0\n"
                            " 4  11/20/2026  Sell             5  141.25  28.25        2.65     1\n"),
            std::string::npos)
      << trades.out;

  auto securities = nlohmann::json::parse(RunLine({"--club", club, "--json", "securities"}).out);
  ASSERT_EQ(securities["rows"].size(), 4u);
  EXPECT_EQ(securities["rows"][0]["symbol"], "ACME");
  EXPECT_EQ(securities["rows"][3]["name"], "~Old Mill Foods");
  EXPECT_EQ(securities["rows"][0]["price_date"], "12/01/2026");
  CliRun acme = RunLine({"--club", club, "prices", "Acme Tools", "--year", "2026"});
  EXPECT_EQ(acme.out.substr(0, acme.out.find('\n')), "2026 Price History (15)");  // and the trades' three

  EXPECT_EQ(RunLine({"--today", "12/07/2026", "demo", club}).status, kRefused);  // never over a club
}

TEST(CliDemo, YearsAndMembersMakeALargerClub) {
  pellmark::testing::TempFolder folder;
  const std::string club = (folder.Path() / "demo").string();
  ASSERT_EQ(RunLine({"--today", "12/07/2026", "demo", club, "--years", "3", "--members", "20"}).status, kDone);
  auto members = nlohmann::json::parse(RunLine({"--club", club, "--json", "members"}).out);
  EXPECT_EQ(members["rows"].size(), 20u);
  auto info = nlohmann::json::parse(RunLine({"--club", club, "--today", "12/07/2026", "--json", "info"}).out);
  EXPECT_EQ(info["year"], 2024);
  EXPECT_EQ(info["members"], 20);
  CliRun ann = RunLine({"--club", club, "dues-history", "Smith, Ann", "--all"});
  EXPECT_EQ(ann.out.substr(0, ann.out.find('\n')), "Complete Dues History (36)");
  // The books balance: the accounts hold what the members paid in, less the
  // bank's charges and checks, plus its interest, and the broker's trades;
  // this month's charge, interest and check fall after today and are not there yet.
  auto accounts = nlohmann::json::parse(RunLine({"--club", club, "--json", "accounts"}).out);
  const double contributions = members["total"]["contributions"].get<double>();
  EXPECT_EQ(contributions, 36 * (245.00 + 480.00));  // the five of the small demo, then fifteen at $20-$50
  auto broker = nlohmann::json::parse(RunLine({"--club", club, "--json", "register", "Broker", "--all"}).out);
  double trades = 0;
  for (const auto& row : broker["rows"]) {
    if (row["type"] != "Transfer In") trades += row["amount"].get<double>();
  }
  EXPECT_LT(trades, 0);
  EXPECT_NEAR(accounts["total"]["balance"].get<double>(), contributions + 35 * (1.25 - 2.50) - 11 * 45.00 + trades,
              0.005);
}

// A club of four years reads as a treasurer's books: a valuation closes every
// month, most of the money is invested across a dozen securities, dividends are
// paid and reinvested, one security splits, sales make short- and long-term
// gains and a loss, a member is paid off by check, the broker's cash earns
// interest, and the books hold.
TEST(CliDemo, AGrownClubHasTheHistoryOfATreasurersBooks) {
  pellmark::testing::TempFolder folder;
  const std::string club = (folder.Path() / "demo").string();
  ASSERT_EQ(RunLine({"--today", "12/07/2026", "demo", club, "--years", "4", "--members", "12"}).status, kDone);
  auto json = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--club", club, "--today", "12/07/2026", "--json"});
    return nlohmann::json::parse(RunLine(args).out);
  };
  CliRun check = RunLine({"--club", club, "check-books"});
  EXPECT_EQ(check.status, kDone);
  EXPECT_EQ(check.out, "The books hold.\n");
  CliRun values = RunLine({"--club", club, "unit-values"});
  EXPECT_EQ(values.out.substr(0, values.out.find('\n')), "Unit Values (49)");  // the start and 48 month ends

  const nlohmann::json securities = json({"securities"});
  int held = 0;
  for (const auto& row : securities["rows"]) held += row["shares"].get<double>() > 0 ? 1 : 0;
  EXPECT_GE(held, 11);
  const double invested = securities["total"]["value"].get<double>() / json({"summary"})["total_assets"].get<double>();
  EXPECT_GT(invested, 0.7);
  EXPECT_LT(invested, 0.95);
  EXPECT_GT(securities["total"]["dividends_total"].get<double>(), 100);

  // Two for one in May 2025: December's $17.625 of the price trend is $8.8125.
  CliRun crane = RunLine({"--club", club, "stxns", "Crane Rail", "--all"});
  EXPECT_NE(crane.out.find("05/05/2025  Stock Split    2 for 1"), std::string::npos) << crane.out;
  for (const auto& row : securities["rows"]) {
    if (row["name"] == "Crane Rail") {
      EXPECT_EQ(row["price"], 8.8125);
    }
  }
  CliRun fjord = RunLine({"--club", club, "stxns", "Fjord Shipping", "--all"});
  EXPECT_NE(fjord.out.find("Re-Investment"), std::string::npos) << fjord.out;

  const nlohmann::json gains = json({"report", "gains", "--date", "12/31/2025"});
  EXPECT_GT(gains["short"].get<double>(), 0);
  EXPECT_GT(gains["long"].get<double>(), 0);
  bool loss = false;
  for (const auto& row : gains["rows"]) loss = loss || (row["security"] == "Bolt Energy" && row["gain"].get<double>() < 0);
  EXPECT_TRUE(loss) << gains.dump();

  // James Miller left in July 2026, paid all of his account by check; his units are gone.
  bool paid_off = false;
  const nlohmann::json members = json({"members"});
  for (const auto& row : members["rows"]) {
    if (row["name"] == "Miller, James") {
      paid_off = true;
      EXPECT_EQ(row["units"], 0.0);
      EXPECT_EQ(row["hidden"], true);
    }
  }
  EXPECT_TRUE(paid_off) << members.dump();
  // Every check of the bank has its own number, the payoff's among them.
  CliRun bank = RunLine({"--club", club, "register", "Bank", "--all"});
  const std::regex check_line(R"(^\s*\d+\s+\S+\s+Check\s+(.*\S)\s{2,}(\d+)\s+\()");
  std::map<std::string, int> checks;
  bool payoff_check = false;
  std::istringstream lines(bank.out);
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    if (!std::regex_search(line, match, check_line)) continue;
    ++checks[match[2]];
    payoff_check = payoff_check || match[1] == "James Miller Payoff";
  }
  EXPECT_TRUE(payoff_check) << bank.out;
  EXPECT_EQ(checks.size(), 16u);  // fifteen quarters' post office box rent (December's is after today) and the payoff
  for (const auto& [number, count] : checks) EXPECT_EQ(count, 1) << "check " << number;
  CliRun broker = RunLine({"--club", club, "register", "Broker", "--year", "2026"});
  EXPECT_NE(broker.out.find("Money market interest"), std::string::npos) << broker.out;
}

// A Total row is the sum of the figures printed above it, in every listing of
// a club three years old (JSON carries each figure as printed).
TEST(CliDemo, EveryTotalRowIsTheSumOfTheRowsShown) {
  pellmark::testing::TempFolder folder;
  const std::string club = (folder.Path() / "demo").string();
  ASSERT_EQ(RunLine({"--today", "12/07/2026", "demo", club, "--years", "3", "--members", "20"}).status, kDone);
  auto listing = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--club", club, "--json"});
    return nlohmann::json::parse(RunLine(args).out);
  };
  auto check = [](const nlohmann::json& list, const std::vector<std::string>& fields) {
    for (const std::string& field : fields) {
      long long rows = 0;
      for (const auto& row : list["rows"]) rows += std::llround(row[field].get<double>() * 10000);
      EXPECT_EQ(rows, std::llround(list["total"][field].get<double>() * 10000)) << list["title"] << " " << field;
    }
  };
  check(listing({"members"}), {"units", "contributions", "earnings", "value"});
  check(listing({"securities"}), {"cost", "value", "dividends_year", "dividends_total"});
  const nlohmann::json accounts = listing({"accounts"});
  check(accounts, {"balance"});
  for (const auto& account : accounts["rows"]) check(listing({"register", account["name"], "--all"}), {"amount"});
  for (const auto& security : listing({"securities"})["rows"]) {
    if (security["shares"].get<double>() > 0) check(listing({"lots", security["name"]}), {"shares", "cost"});
  }
}

TEST(CliCommands, AMisspeltCommandSuggestsTheNearestOne) {
  CliRun accounts = RunLine({"acounts"});
  EXPECT_EQ(accounts.status, kUsage);
  EXPECT_EQ(accounts.err, "pellmark-cli: \"acounts\" is not a command; did you mean \"accounts\"?\n");
  CliRun hide = RunLine({"account", "hdie", "Cash"});
  EXPECT_EQ(hide.err, "pellmark-cli: \"hdie\" is not a command; did you mean \"hide\"?\n");
  CliRun far = RunLine({"frobnicate"});
  EXPECT_EQ(far.status, kUsage);
  EXPECT_EQ(far.err.find("did you mean"), std::string::npos);
}

}  // namespace
}  // namespace pellmark::cli
