// pellmark-cli report balance|income|gains|distribution: the figures as JSON,
// the rows as CSV, the pages as PDF read back with pdftotext.
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "books/books.h"
#include "cli/cli_runner.h"
#include "club/dates.h"
#include "club/keys.h"
#include "club/record_kinds.h"
#include "members/member_posting.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace pellmark::cli {
namespace {

using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using json = nlohmann::json;

class ClubReportCommandTest : public ::testing::Test {
 protected:
  // Ann Smith holds 100 units from 2025; Bob Jones buys 100 in January and
  // is paid off in July; a dividend of 90 in March and one of 30 in September;
  // Acme bought for 200 and sold for 250 in May.
  void SetUp() override {
    ASSERT_EQ(RunInClub(folder.Path(), {"init", "--name", "Elm Street Investors", "--year", "2025"}).status, kDone);
    pellmark::testing::ScriptedInteraction ui;
    FixedClock clock(DayNumberFromCivil({2026, 12, 7}));
    Books books(folder.Path(), ui, clock);
    books.Open();
    ClubSession& club = books.Club();
    auto member = [&](const char* last, const char* first, std::int32_t memid) {
      TMemberRec m;
      m.lname = last;
      m.fname = first;
      m.memid = memid;
      club.members.Put(m);
      return m;
    };
    auto tran = [&](TMemberRec& m, MemberTranKind kind, double dues, double cunit, DayNumber date) {
      TMemberTranRec t;
      t.memid = m.memid;
      t.typ = Code(kind);
      t.dues = dues;
      t.cunit = cunit;
      t.trandate = date;
      t.duestran = AllocateTranId(m.duescount);
      club.memrecs.Put(t);
      ledger::ApplyMemberPosting(m, t, +1);
      club.members.Put(m);
    };
    TMemberRec ann = member("Smith", "Ann", 1);
    TMemberRec bob = member("Jones", "Bob", 2);
    tran(ann, MemberTranKind::Payment, 1000, 10, Day(2025, 5, 1));
    tran(bob, MemberTranKind::Payment, 1000, 10, Day(2026, 1, 2));
    tran(bob, MemberTranKind::Payout, 1000, 10, Day(2026, 7, 2));
    auto deposit = [&](double amount, DayNumber date) {
      TAccountTranRec t;
      t.actid = 1;
      t.typ = Code(AccountTranKind::Deposit);
      t.amount = amount;
      t.catid = Code(PredefinedCategory::DividendIncome);
      t.trandate = date;
      t.tranid = static_cast<std::int32_t>(date);
      club.actrecs.Put(t);
    };
    deposit(90, Day(2026, 3, 10));
    deposit(30, Day(2026, 9, 10));
    TAccountRec cash = *club.accounts.Find(NameKey(false, "Cash"));
    cash.bal += 120;
    club.accounts.Put(cash);
    TSecurityRec acme;
    acme.name = "Acme, Inc";
    acme.stkid = 1;
    club.securities.Put(acme);
    TSecurityTranRec lot;
    lot.stkid = 1;
    lot.typ = Code(SecurityTranKind::Purchase);
    lot.amount = 200;
    lot.price = 20;
    lot.trandate = Day(2026, 1, 5);
    lot.stranid = 0;
    lot.sold = true;
    club.stkrecs.Put(lot);
    TSecurityTranRec sale = lot;
    sale.typ = Code(SecurityTranKind::Sale);
    sale.amount = 250;
    sale.price = 25;
    sale.trandate = Day(2026, 5, 5);
    sale.stranid = 1;
    sale.buytran = 0;
    club.stkrecs.Put(sale);
    books.Commit();
    books.Close();
  }
  static DayNumber Day(int y, int m, int d) { return DayNumberFromCivil({y, m, d}); }
  std::string Path(const char* name) const { return (folder.Path() / name).string(); }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  pellmark::testing::TempFolder folder;
};

// Months Jan–Jun: 200 units (Ann 100, Bob 100); from July Ann's 100 alone.
// Bob takes half of March's 90 and half of May's gain of 50: 45 + 25.
TEST_F(ClubReportCommandTest, DistributionAsJsonHasTheTotalThePaidOffTheAdjustedAndTheMembers) {
  CliRun run = RunInClub(folder.Path(), {"report", "distribution", "--date", "12/31/2026", "--json"});
  ASSERT_EQ(run.status, kDone) << run.err;
  const json figures = json::parse(run.out);
  const json expected = json::parse(R"({
    "date": "12/31/2026",
    "total": {"name": "TOTAL", "units": 100.0, "dividends": 120.0, "interest": 0.0, "short": 50.0, "medium": 0.0,
              "long": 0.0, "costs": 0.0, "foreign_taxes": 0.0, "net": 170.0, "earned_units": null},
    "paid_off": [{"name": "Jones, Bob", "units": null, "dividends": 45.0, "interest": 0.0, "short": 25.0,
                  "medium": 0.0, "long": 0.0, "costs": 0.0, "foreign_taxes": 0.0, "net": 70.0,
                  "earned_units": null}],
    "adjusted": {"name": "ADJUSTED", "units": 100.0, "dividends": 75.0, "interest": 0.0, "short": 25.0,
                 "medium": 0.0, "long": 0.0, "costs": 0.0, "foreign_taxes": 0.0, "net": 100.0,
                 "earned_units": null},
    "members": [{"name": "Smith, Ann", "units": 100.0, "dividends": 75.0, "interest": 0.0, "short": 25.0,
                 "medium": 0.0, "long": 0.0, "costs": 0.0, "foreign_taxes": 0.0, "net": 100.0,
                 "earned_units": null}]})");
  EXPECT_EQ(figures, expected) << figures.dump(2);
}

TEST_F(ClubReportCommandTest, BalanceIncomeAndGainsAsJson) {
  CliRun balance = RunInClub(folder.Path(), {"report", "balance", "--date", "6/30/2026", "--json"});
  ASSERT_EQ(balance.status, kDone) << balance.err;
  const json sheet = json::parse(balance.out);
  // Cash: the deposit of 90 (no postings for the dues here); Acme sold in May.
  EXPECT_EQ(sheet["cash"], json::parse(R"([{"name": "Cash", "balance": 90.0}])"));
  EXPECT_EQ(sheet["investments"], json::array());
  EXPECT_EQ(sheet["members"],
            json::parse(R"([{"name": "Jones, Bob", "equity": 1000.0}, {"name": "Smith, Ann", "equity": 1000.0}])"));
  EXPECT_EQ(sheet["gain_for_year"], -1910.0);
  EXPECT_EQ(sheet["total_assets"], sheet["total_equities"]);

  CliRun income = RunInClub(folder.Path(), {"--json", "report", "income", "--date", "12/31/2026"});
  ASSERT_EQ(income.status, kDone) << income.err;
  const json statement = json::parse(income.out);
  EXPECT_EQ(statement["income"], json::parse(R"([{"category": "Dividend Income", "amount": 120.0}])"));
  EXPECT_EQ(statement["short"], 50.0);
  EXPECT_EQ(statement["total_income"], 170.0);
  EXPECT_EQ(statement["net_profit"], 170.0);

  CliRun gains = RunInClub(folder.Path(), {"report", "gains", "--date", "12/31/2026", "--json"});
  ASSERT_EQ(gains.status, kDone) << gains.err;
  EXPECT_EQ(json::parse(gains.out), json::parse(R"({"date": "12/31/2026",
    "rows": [{"security": "Acme, Inc", "class": "Short", "buy_date": "01/05/2026", "cost": 200.0,
              "sell_date": "05/05/2026", "proceeds": 250.0, "gain": 50.0}],
    "short": 50.0, "medium": 0.0, "long": 0.0, "total": 50.0})"));
}

TEST_F(ClubReportCommandTest, GainsAndDistributionAsCsv) {
  ASSERT_EQ(RunInClub(folder.Path(), {"report", "gains", "--date", "12/31/2026", "--csv", Path("g.csv")}).status,
            kDone);
  EXPECT_EQ(Read(Path("g.csv")),
            "Name,Type,Buy Date,Cost,Sell Date,Return,Gain\r\n"
            "\"Acme, Inc\",Short,01/05/2026,200.00,05/05/2026,250.00,50.00\r\n");
  ASSERT_EQ(
      RunInClub(folder.Path(), {"report", "distribution", "--date", "12/31/2026", "--csv", Path("d.csv")}).status,
      kDone);
  EXPECT_EQ(Read(Path("d.csv")),
            "Name,Total Units,Dividend Income,Interest Income,Short Gains,Medium Gains,Long Gains,Total Costs,"
            "Net Profit,Earned Units\r\n"
            "TOTAL,100.000,120.00,0.00,50.00,0.00,0.00,0.00,170.00,\r\n"
            "\"*Jones, Bob\",,45.00,0.00,25.00,0.00,0.00,0.00,70.00,\r\n"
            "ADJUSTED,100.000,75.00,0.00,25.00,0.00,0.00,0.00,100.00,\r\n"
            "\"Smith, Ann\",100.000,75.00,0.00,25.00,0.00,0.00,0.00,100.00,\r\n");
}

TEST_F(ClubReportCommandTest, DistributionAsPdfReadsBackWithItsRows) {
  CliRun run = RunInClub(folder.Path(), {"report", "distribution", "--date", "12/31/2026", "--pdf", Path("d.pdf")});
  ASSERT_EQ(run.status, kDone) << run.err;
  const std::string text = PdfText(Path("d.pdf"));
  ASSERT_FALSE(text.empty()) << "pdftotext (poppler-utils) is missing: run scripts/install-deps";
  EXPECT_THAT(text, HasSubstr("Elm Street Investors"));
  EXPECT_THAT(text, HasSubstr("Club Earnings Distribution as of 12/31/2026."));
  EXPECT_THAT(text, ContainsRegex("TOTAL +100\\.000 +120\\.00 +0\\.00 +50\\.00 +0\\.00 +0\\.00 +0\\.00 "
                                           "+170\\.00 +x\\.xxx"));
  EXPECT_THAT(text, ContainsRegex("\\*Jones,Bob +x\\.xxx +45\\.00"));
  EXPECT_THAT(text, ContainsRegex("ADJUSTED +100\\.000 +75\\.00"));
  EXPECT_THAT(text, ContainsRegex("Smith, Ann +100\\.000 +75\\.00 +0\\.00 +25\\.00"));
  EXPECT_THAT(text, HasSubstr("* Indicates a paid off member"));

  ASSERT_EQ(RunInClub(folder.Path(), {"report", "balance", "--date", "12/31/2026", "--pdf", Path("b.pdf")}).status,
            kDone);
  EXPECT_THAT(PdfText(Path("b.pdf")), ContainsRegex("Total Equities +\\$120\\.00"));
}

TEST_F(ClubReportCommandTest, RefusesABadDateAndACategoryOutsideTheTable) {
  CliRun bad = RunInClub(folder.Path(), {"report", "balance", "--date", "13/45/2026", "--json"});
  EXPECT_EQ(bad.status, kRefused);
  EXPECT_THAT(bad.err, HasSubstr("13/45/2026 is an invalid date."));

  {
    pellmark::testing::ScriptedInteraction ui;
    FixedClock clock(Day(2026, 12, 7));
    Books books(folder.Path(), ui, clock);
    books.Open();
    TAccountTranRec t;
    t.actid = 1;
    t.amount = 5;
    t.catid = 77;
    t.trandate = Day(2026, 4, 1);
    t.tranid = 99;
    books.Club().actrecs.Put(t);
    books.Commit();
    books.Close();
  }
  CliRun invalid = RunInClub(folder.Path(), {"report", "income", "--date", "12/31/2026", "--json"});
  EXPECT_EQ(invalid.status, kRefused);
  EXPECT_THAT(invalid.err, HasSubstr("Cash (Invalid Category: 77)"));
  // The balance sheet reads no categories.
  EXPECT_EQ(RunInClub(folder.Path(), {"report", "balance", "--date", "12/31/2026", "--json"}).status, kDone);
}

TEST_F(ClubReportCommandTest, NeedsAnOutput) {
  CliRun run = RunInClub(folder.Path(), {"report", "income", "--date", "12/31/2026"});
  EXPECT_EQ(run.status, kUsage);
}

}  // namespace
}  // namespace pellmark::cli
