#include "reports/history_reports.h"

#include <algorithm>
#include <map>
#include <random>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "club/money.h"
#include "club/record_kinds.h"
#include "forms/club_setup_form.h"
#include "reports/printer_fixture.h"
#include "support/property_seed.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace pellmark::reports::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

DayNumber Day(int y, int m, int d) { return DayNumberFromCivil({y, m, d}); }

class HistoryReportTest : public PrinterTest {
 protected:
  void SetUp() override {
    club.OpenClub(false);
    ClubInfoFields fields = ClubSetupFields(club);
    fields.club = "Elm Street Investors";
    ASSERT_TRUE(CommitClubSetup(club, fields));
    printer_.SetFont({"Arial", 10});
    printer_.SetWordWrap(false);
  }

  TSecurityRec AddSecurity(std::string name, std::int32_t stkid, double shares = 0, double price = 0,
                           bool active = true) {
    TSecurityRec security;
    security.name = std::move(name);
    security.stkid = stkid;
    security.sharest = shares;
    security.pricec = price;
    security.active = active;
    club.securities.Put(security);
    return security;
  }
  void AddTrade(std::int32_t stkid, SecurityTranKind kind, DayNumber date, double amount, double price = 0,
                double comm = 0, bool compc = false) {
    TSecurityTranRec tran;
    tran.stkid = stkid;
    tran.stranid = ++next_id_;
    tran.trandate = date;
    tran.typ = Code(kind);
    tran.amount = amount;
    tran.price = price;
    tran.comm = comm;
    tran.compc = compc;
    club.stkrecs.Put(tran);
  }
  void AddPrice(std::int32_t stkid, DayNumber date, double price) {
    TPriceRec record;
    record.stkid = stkid;
    record.tranid = ++next_id_;
    record.trandate = date;
    record.price = price;
    club.prices.Put(record);
  }
  std::vector<std::string> TextsOnly(int page = 1) const {
    std::vector<std::string> texts;
    for (const Drawn& d : Texts(page)) texts.push_back(d.text);
    return texts;
  }
  void Lay(Report& report) {
    ASSERT_TRUE(GenerateReport(report, printer_, ui));
  }

  pellmark::testing::TempFolder folder;
  pellmark::testing::ScriptedInteraction ui;
  ClubSession club{folder.Path(), ui, clock_};
  std::int32_t next_id_ = 0;
};

// ---- Account transactions ----

TEST_F(HistoryReportTest, TransfersInAreCreditsTransfersOutDebitsAndOnlyTheYearToTheDateCounts) {
  TAccountRec broker;
  broker.name = "Broker";
  broker.actid = 7;
  broker.bal = 1234.5;
  club.accounts.Put(broker);
  auto add = [&](AccountTranKind kind, DayNumber date, double amount, std::int32_t catid, int check = 0) {
    TAccountTranRec tran;
    tran.actid = 7;
    tran.tranid = ++next_id_;
    tran.trandate = date;
    tran.typ = Code(kind);
    tran.amount = amount;
    tran.catid = catid;
    tran.checknum = check;
    tran.desc = "d" + std::to_string(next_id_);
    club.actrecs.Put(tran);
  };
  add(AccountTranKind::Deposit, Day(2025, 12, 31), 999, 1);  // the year before
  add(AccountTranKind::TransferIn, Day(2026, 1, 1), 100, 6);
  add(AccountTranKind::TransferOut, Day(2026, 2, 1), 40, 10);
  add(AccountTranKind::Check, Day(2026, 3, 1), 12.5, 8, 101);
  add(AccountTranKind::Interest, Day(2026, 3, 31), 0.75, 3);
  add(AccountTranKind::BankCharge, Day(2026, 4, 1), 2, 8);  // after the date

  const AccountHistory history = ComputeAccountHistory(club, broker, Day(2026, 3, 31));
  ASSERT_EQ(history.rows.size(), 4u);
  EXPECT_EQ(history.rows[0].type, "Transfer In");
  EXPECT_TRUE(history.rows[0].credit);
  EXPECT_EQ(history.rows[1].type, "Transfer Out");
  EXPECT_FALSE(history.rows[1].credit);
  EXPECT_EQ(history.rows[2].type, "Check 101");
  EXPECT_EQ(history.rows[2].category, "Operating Expenses");
  EXPECT_EQ(history.credits, 100 + 0.75);
  EXPECT_EQ(history.debits, 40 + 12.5);

  AccountTransactionsReport report(club, "Elm Street Investors", Day(2026, 3, 31));
  ASSERT_TRUE(report.Choose("Broker"));
  Lay(report);
  const std::vector<std::string> texts = TextsOnly();
  EXPECT_THAT(texts, Contains("Broker Account Transactions: 01/01/2026 thru 03/31/2026."));
  EXPECT_THAT(texts, Contains("Transfer In"));
  EXPECT_THAT(texts, Contains("$52.50"));   // debits
  EXPECT_THAT(texts, Contains("$100.75"));  // credits
  EXPECT_THAT(texts, Contains("Current Balance $1234.50"));
}

TEST_F(HistoryReportTest, AccountOptionsListEveryAccountOnlyWhenThereAreTwo) {
  AccountTransactionsReport one(club, "Club", Day(2026, 3, 31));
  EXPECT_FALSE(one.options.Visible());
  ASSERT_NE(one.Chosen(), nullptr);
  EXPECT_EQ(one.Chosen()->name, "Cash");
  TAccountRec broker;
  broker.name = "Broker";
  broker.actid = 7;
  club.accounts.Put(broker);
  AccountTransactionsReport two(club, "Club", Day(2026, 3, 31));
  ASSERT_EQ(two.options.Items().size(), 2u);
  EXPECT_EQ(two.Chosen()->name, "Broker");  // key order
  EXPECT_TRUE(two.options.Items()[0].checked);
}

// ---- Security transactions ----

TEST_F(HistoryReportTest, NoSecuritiesSaysSo) {
  SecurityTransactionsReport report(club, "Club", Day(2026, 3, 31));
  Lay(report);
  EXPECT_THAT(TextsOnly(), ElementsAre("Club", " ", " ", "Security Transactions", " ", " ", "No Securities on file."));
}

TEST_F(HistoryReportTest, ASecurityWithoutTransactionsToTheDatePrintsAZeroTotalsRow) {
  AddSecurity("Acme", 1);
  AddTrade(1, SecurityTranKind::Purchase, Day(2026, 5, 1), 100, 10, 5);  // after the date
  SecurityTransactionsReport report(club, "Club", Day(2026, 3, 31));
  EXPECT_FALSE(report.options.Visible());
  Lay(report);
  const std::vector<std::string> texts = TextsOnly();
  EXPECT_THAT(texts, Contains("Acme Security Transactions thru 03/31/2026."));
  EXPECT_THAT(texts, Contains("Commission"));
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "$0.00"), 2);  // dividends and commissions
  EXPECT_THAT(texts, Contains("0.000"));
  EXPECT_THAT(texts, Not(Contains(::testing::HasSubstr("Total Costs"))));
}

// Each security's costs, proceeds, dividends, shares and commissions, and the
// totals over all, against sums worked here from the same random transactions.
TEST_F(HistoryReportTest, TotalsPerSecurityAndOverAllAreTheSumsOfTheirTransactions) {
  const unsigned seed = pellmark::testing::PropertySeed();
  SCOPED_TRACE("PELLMARK_SEED=" + std::to_string(seed));
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> kind_of(0, 9), day_of(0, 700), cents(1, 500000);
  const DayNumber start = Day(2025, 1, 1), date = Day(2026, 6, 30);
  struct Sums {
    double costs = 0, proceeds = 0, dividends = 0, shares = 0, commissions = 0;
    std::size_t rows = 0;
  };
  std::map<std::string, Sums> expected;
  const char* names[] = {"Acme", "Bolt", "Crane"};
  for (int s = 0; s < 3; ++s) AddSecurity(names[s], s + 1, 10, 5, s != 2);
  for (int i = 0; i < 300; ++i) {
    const int s = i % 3;
    const auto kind = static_cast<SecurityTranKind>(kind_of(random));
    const DayNumber when = start + day_of(random);
    const double amount = cents(random) / 100.0, price = cents(random) / 1000.0, comm = cents(random) / 10000.0;
    const bool shorted = kind == SecurityTranKind::Sale && cents(random) % 4 == 0;
    AddTrade(s + 1, kind, when, amount, price, comm, shorted);
    if (when > date || kind == SecurityTranKind::Split) continue;
    Sums& sums = expected[names[s]];
    ++sums.rows;
    const double shares = amount / price;
    switch (kind) {
      case SecurityTranKind::Purchase:
        sums.costs += RoundCents(amount) + RoundCents(comm);
        sums.shares += shares;
        sums.commissions += RoundCents(comm);
        break;
      case SecurityTranKind::Reinvestment:
        sums.costs += RoundCents(amount) + RoundCents(comm);
        sums.dividends += RoundCents(amount);
        sums.shares += shares;
        sums.commissions += RoundCents(comm);
        break;
      case SecurityTranKind::Sale:
        sums.proceeds += RoundCents(amount) - RoundCents(comm);
        sums.shares -= shares;
        sums.commissions += RoundCents(comm);
        break;
      case SecurityTranKind::Dividend:
        sums.dividends += RoundCents(amount);
        break;
      case SecurityTranKind::Clear:
        sums.shares -= amount;
        break;
      default:
        break;
    }
  }
  SecurityTransactionsReport report(club, "Club", date);
  ASSERT_EQ(report.options.Items().size(), 5u);
  EXPECT_EQ(report.options.Items()[0].caption, "All Active Securities");
  EXPECT_EQ(report.options.Items()[1].caption, "All Securities on Record");
  report.ChooseAllOnRecord();
  const SecurityHistories all = report.Histories();
  ASSERT_EQ(all.securities.size(), 3u);
  double total_costs = 0, total_proceeds = 0;
  for (const SecurityHistory& history : all.securities) {
    SCOPED_TRACE(history.name);
    const Sums& sums = expected[history.name];
    EXPECT_EQ(history.rows.size(), sums.rows);
    EXPECT_TRUE(SameMoney(history.costs, sums.costs)) << history.costs << " " << sums.costs;
    EXPECT_TRUE(SameMoney(history.proceeds, sums.proceeds));
    EXPECT_TRUE(SameMoney(history.dividends, sums.dividends));
    EXPECT_TRUE(SameMoney(history.commissions, sums.commissions));
    EXPECT_NEAR(history.shares, sums.shares, 1e-6);
    total_costs += sums.costs;
    total_proceeds += sums.proceeds;
  }
  EXPECT_TRUE(SameMoney(all.total_costs, total_costs));
  EXPECT_TRUE(SameMoney(all.total_proceeds, total_proceeds));
  report.ChooseAllActive();
  EXPECT_EQ(report.Histories().securities.size(), 2u) << "Crane is inactive";
}

TEST_F(HistoryReportTest, TheAllChoicesPrintEachSecuritysCostsAndThenTheTotalOfAll) {
  AddSecurity("Acme", 1, 10, 30);
  AddSecurity("Bolt", 2, 10, 10);
  AddTrade(1, SecurityTranKind::Purchase, Day(2026, 1, 5), 200, 20, 5);
  AddTrade(1, SecurityTranKind::Sale, Day(2026, 2, 5), 150, 30, 4);
  AddTrade(2, SecurityTranKind::Purchase, Day(2026, 1, 6), 100, 10, 2.5);
  AddTrade(2, SecurityTranKind::Split, Day(2026, 1, 7), 1, 2);
  AddTrade(2, SecurityTranKind::CapitalGain, Day(2026, 1, 8), 3);
  SecurityTransactionsReport report(club, "Club", Day(2026, 3, 31));
  report.ChooseAllActive();
  Lay(report);
  const std::vector<std::string> texts = TextsOnly();
  auto at = [&](const std::string& text) { return std::find(texts.begin(), texts.end(), text) - texts.begin(); };
  // Acme: costs 205.00, proceeds 146.00; Bolt: costs 102.50; all: 307.50 and 146.00.
  EXPECT_LT(at("Total Costs: $205.00"), at("Bolt"));
  EXPECT_LT(at("Total Proceeds: $146.00"), at("Bolt"));
  EXPECT_LT(at("Bolt"), at("Total Costs: $102.50"));
  EXPECT_LT(at("Total Costs: $102.50"), at("Total Costs of All Securities: $307.50"));
  EXPECT_LT(at("Total Costs of All Securities: $307.50"), at("Total Proceeds of All Securities: $146.00"));
  EXPECT_LT(at("Total Proceeds of All Securities: $146.00"), static_cast<std::ptrdiff_t>(texts.size()));
  // Acme holds 300 of the 400 the active securities are worth.
  EXPECT_THAT(texts, Contains("75.00 Percent of total security holdings"));
  // The split is left out; the capital gain keeps its amount in the Amount column.
  EXPECT_THAT(texts, Contains("$3.00"));
  EXPECT_EQ(report.Histories().securities[1].rows.size(), 2u);
}

// ---- Price history graph ----

TEST(PriceScaleTopTest, TensThenHalvesThenStepsOfTen) {
  EXPECT_EQ(PriceScaleTop(56.25), 60);
  EXPECT_EQ(PriceScaleTop(8.5), 10);
  EXPECT_EQ(PriceScaleTop(0.3), 0.5);
  EXPECT_EQ(PriceScaleTop(100), 100);
  EXPECT_EQ(PriceScaleTop(101), 105);
  EXPECT_EQ(PriceScaleTop(1), 1);
  EXPECT_EQ(PriceScaleTop(0), 1) << "a written-off security still has a scale";
}

TEST_F(HistoryReportTest, PriceWindowIsTwelveMonthsEndingWithTheDatesMonth) {
  const TSecurityRec acme = AddSecurity("Acme", 1, 10, 12);
  AddPrice(1, Day(2025, 3, 31), 99);   // 365 days before, but the date's month a year before
  AddPrice(1, Day(2025, 4, 2), 10);    // column 1
  AddPrice(1, Day(2025, 12, 15), 14);  // column 9
  AddPrice(1, Day(2026, 3, 31), 12);   // column 12
  AddPrice(1, Day(2026, 4, 1), 50);    // after the date
  const PriceHistory history = ComputePriceHistory(club, acme, Day(2026, 3, 31));
  ASSERT_EQ(history.prices.size(), 3u);
  EXPECT_EQ(history.prices[0].column, 1);
  EXPECT_EQ(history.prices[1].column, 9);
  EXPECT_EQ(history.prices[2].column, 12);
  EXPECT_EQ(history.high, 14);
  EXPECT_EQ(history.low, 10);

  PriceHistoryReport report(club, "Club", Day(2026, 3, 31));
  Lay(report);
  const std::vector<std::string> texts = TextsOnly();
  // April of the year before to March, years under April, December and March.
  const auto april = std::find(texts.begin(), texts.end(), "Apr");
  ASSERT_NE(april, texts.end());
  EXPECT_THAT(std::vector<std::string>(april, april + 12),
              ElementsAre("Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec", "Jan", "Feb", "Mar"));
  std::vector<std::string> years(april + 12, texts.end());
  std::erase(years, " ");
  EXPECT_THAT(years, ElementsAre("2025", "2025", "2026"));
  EXPECT_THAT(texts, Contains("$14.000 52 Week High"));
  // The scale's top for a high of 14: 100, halved to 25, less 10 to 15.
  EXPECT_THAT(texts, Contains("$15.00"));
}

TEST_F(HistoryReportTest, ASinglePriceIsBothHighAndLowAndDrawnBlueOnItsScale) {
  AddSecurity("Acme", 1, 10, 56.25);
  AddPrice(1, Day(2026, 3, 16), 56.25);
  PriceHistoryReport report(club, "Club", Day(2026, 3, 31));
  Lay(report);
  std::vector<LineOp> marks;
  for (const LineOp& line : Lines()) {
    if (line.color == kBlue || line.color == kRed || line.style == PenStyle::kDotted) marks.push_back(line);
  }
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_EQ(marks[0].color, kBlue);
  EXPECT_EQ(marks[0].style, PenStyle::kSolid);
  // The scale's top is 60: the mark lies 3.75 / 60 of the axis's height below its top.
  const std::vector<LineOp> lines = Lines();
  const auto axis = std::max_element(lines.begin(), lines.end(), [](const LineOp& a, const LineOp& b) {
    return (a.x1 == a.x2 ? a.y2 - a.y1 : 0) < (b.x1 == b.x2 ? b.y2 - b.y1 : 0);
  });
  ASSERT_NE(axis, lines.end());
  EXPECT_NEAR(marks[0].y1 - axis->y1, (axis->y2 - axis->y1) * (60 - 56.25) / 60, 1.0);
  EXPECT_THAT(TextsOnly(), Contains("$60.00"));
  EXPECT_EQ(marks[0].y1, marks[0].y2);
  EXPECT_THAT(TextsOnly(), Contains("$56.250 52 Week Low"));
}

TEST_F(HistoryReportTest, PriceGraphWithoutPricesSaysWhy) {
  PriceHistoryReport none(club, "Club", Day(2026, 3, 31));
  Lay(none);
  EXPECT_THAT(TextsOnly(), Contains("No Securities have a price History."));
  AddSecurity("Acme", 1, 10, 5);
  AddPrice(1, Day(2024, 3, 16), 5);
  PriceHistoryReport old(club, "Club", Day(2026, 3, 31));
  ASSERT_EQ(old.options.Items().size(), 1u);
  Lay(old);
  EXPECT_THAT(TextsOnly(), Contains("Securities has no price history for specified date."));
}

}  // namespace
}  // namespace pellmark::reports::testing
