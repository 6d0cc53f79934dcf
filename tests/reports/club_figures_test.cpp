// The balance sheet, the income and expense statement and the capital gains:
// their figures, the edge cases of their layouts, and the balance sheet's
// identity over random clubs.
#include <cmath>
#include <map>
#include <random>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "club/money.h"
#include "reports/balance_sheet.h"
#include "reports/capital_gains.h"
#include "reports/club_records_fixture.h"
#include "reports/club_reports.h"
#include "reports/income_statement.h"
#include "reports/laid_out_text.h"
#include "support/property_seed.h"

namespace pellmark::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using reports::CapitalGainRow;
using reports::GainSource;

class ClubFiguresTest : public ClubRecordsFixture {
 protected:
  void SetUp() override {
    ClubRecordsFixture::SetUp();
    cash = FindAccount(1).actid;
  }
  std::int32_t cash = 0;
};

TEST_F(ClubFiguresTest, AnAccountAtZeroIsLeftOutAndATransferInAfterTheDateLowersTheBalanceThen) {
  const auto bank = AddAccount("Bank");
  const auto empty = AddAccount("Empty");
  AccountTran(bank, AccountTranKind::Deposit, 500, PredefinedCategory::OtherIncome, Day(2026, 1, 5));
  AccountTran(empty, AccountTranKind::Deposit, 80, PredefinedCategory::OtherIncome, Day(2026, 1, 5));
  AccountTran(empty, AccountTranKind::Check, 80, PredefinedCategory::OperatingExpenses, Day(2026, 2, 5));
  AccountTran(bank, AccountTranKind::TransferIn, 120, PredefinedCategory::TransferIn, Day(2026, 4, 1));
  AccountTran(bank, AccountTranKind::Check, 20, PredefinedCategory::OperatingExpenses, Day(2026, 4, 2));

  const reports::BalanceSheet sheet = reports::ComputeBalanceSheet(club, Day(2026, 3, 31));
  ASSERT_EQ(sheet.cash.size(), 1u);
  EXPECT_EQ(sheet.cash[0].name, "Bank");
  EXPECT_EQ(sheet.cash[0].amount, 500);  // 600 now, less the transfer in, plus the later check
  EXPECT_EQ(FindAccount(bank).bal, 600);
  EXPECT_EQ(sheet.total_assets, 500);
}

TEST_F(ClubFiguresTest, BalanceSheetLaysOutCashInvestmentsMembersAndALossForTheYear) {
  const auto ann = AddMember("Smith", "Ann");
  const auto trust = AddMember("Elm Street ", "Trust", true, 'G');
  MemberTran(ann, MemberTranKind::Payment, 300, 10, Day(2026, 1, 5));
  MemberTran(trust, MemberTranKind::Payment, 200, 10, Day(2026, 1, 5));
  AccountTran(cash, AccountTranKind::Deposit, 500, PredefinedCategory::MemberContributions, Day(2026, 1, 5));
  const auto acme = AddSecurity("Acme");
  SecurityTran(acme, SecurityTranKind::Purchase, 400, 40, 9.5, Day(2026, 1, 10));
  AccountTran(cash, AccountTranKind::Check, 409.5, PredefinedCategory::Investments, Day(2026, 1, 10));
  AccountTran(cash, AccountTranKind::Check, 20.25, PredefinedCategory::OperatingExpenses, Day(2026, 2, 10));

  const reports::BalanceSheet sheet = reports::ComputeBalanceSheet(club, Day(2026, 6, 30));
  // Cash 500 − 409.50 − 20.25 = 70.25 and the lot's cost 409.50.
  EXPECT_EQ(sheet.total_assets, 479.75);
  EXPECT_EQ(sheet.members_equity, 500);
  EXPECT_EQ(sheet.gain_for_year, -20.25);
  EXPECT_EQ(sheet.total_equities, 479.75);

  reports::BalanceSheetReport report(sheet, "Elm Street Investors");
  const std::string text = LaidOutText(report);
  EXPECT_THAT(text, HasSubstr("Club Balance Sheet as of 06/30/2026.\r\n"));
  EXPECT_THAT(text, HasSubstr("  Cash\r\n \r\n \r\n    Cash                        ..........            70.25                 \r\n"
                              "                                                ----------                  \r\n"));
  EXPECT_THAT(text, HasSubstr("  Investments\r\n    Acme                        ..........           409.50  "));
  EXPECT_THAT(text, HasSubstr("    Total Assets                                                   $479.75\r\n"));
  EXPECT_THAT(text, HasSubstr("    Elm Street Trust            ..........           200.00"));
  EXPECT_THAT(text, HasSubstr("    Smith, Ann                  ..........           300.00"));
  EXPECT_THAT(text, HasSubstr("    Loss For Year               ..........           -20.25"));
  EXPECT_THAT(text, Not(HasSubstr("Gain For Year")));
  EXPECT_THAT(text, HasSubstr("    Total Equities                                                 $479.75\r\n"));
}

TEST_F(ClubFiguresTest, NoInvestmentsLeaveTheirSectionOut) {
  AccountTran(cash, AccountTranKind::Deposit, 10, PredefinedCategory::OtherIncome, Day(2026, 1, 5));
  reports::BalanceSheetReport report(reports::ComputeBalanceSheet(club, Day(2026, 6, 30)), "Club");
  const std::string text = LaidOutText(report);
  EXPECT_THAT(text, Not(HasSubstr("Investments")));
  EXPECT_THAT(text, HasSubstr("Gain For Year"));
}

// Holding periods around the rules of 1997.
TEST_F(ClubFiguresTest, SalesAfterJune1997AreMediumAfter365DaysAndLongAfter547AndEarlierBuysNeverLong) {
  const auto acme = AddSecurity("Acme");
  const DayNumber june = Day(1997, 6, 1);
  struct Case {
    DayNumber bought, sold;
  };
  const Case cases[] = {{june, june + 366}, {june, june + 548}, {june, june + 365}, {Day(1997, 5, 6), Day(1999, 5, 6)}};
  for (const Case& c : cases) {
    const auto lot = SecurityTran(acme, SecurityTranKind::Purchase, 100, 10, 0, c.bought);
    SecurityTran(acme, SecurityTranKind::Sale, 150, 15, 0, c.sold, lot);
    MarkSold(acme, lot);
  }
  auto terms = [&](int year) {
    std::vector<std::string> words;
    for (const CapitalGainRow& row : reports::ComputeCapitalGains(club, Day(year, 12, 31)).rows) {
      words.push_back(reports::TermWord(row.term));
    }
    return words;
  };
  // In the order of the sales: 365, 366 and 548 days after June 1, 1997.
  EXPECT_THAT(terms(1998), ElementsAre("Short", "Medium", "Long"));
  // Two years after a purchase of May 6, 1997.
  EXPECT_THAT(terms(1999), ElementsAre("Medium"));
}

TEST_F(ClubFiguresTest, ASaleOverTwoLotsGivesARowOfEachClassAndAShortCoverCountsOnceAtItsCover) {
  const auto acme = AddSecurity("Acme");
  const auto old_lot = SecurityTran(acme, SecurityTranKind::Purchase, 1000, 10, 10, Day(2024, 3, 1));
  const auto new_lot = SecurityTran(acme, SecurityTranKind::Reinvestment, 550, 11, 0, Day(2026, 1, 15));
  // 150 shares at 12, commission 15 split by amount: 100 shares (10.00) and 50 (5.00).
  SecurityTran(acme, SecurityTranKind::Sale, 1200, 12, 10, Day(2026, 5, 4), old_lot);
  SecurityTran(acme, SecurityTranKind::Sale, 600, 12, 5, Day(2026, 5, 4), new_lot);
  MarkSold(acme, old_lot);
  MarkSold(acme, new_lot);
  // Short 20 shares at 30 in February, covered at 25 in March.
  const auto bolt = AddSecurity("Bolt");
  const auto short_sale = SecurityTran(bolt, SecurityTranKind::Sale, 600, 30, 6, Day(2026, 2, 2), -1, true);
  const auto cover = SecurityTran(bolt, SecurityTranKind::Purchase, 500, 25, 4, Day(2026, 3, 3), short_sale, true);
  MarkSold(bolt, short_sale, cover);
  MarkSold(bolt, cover);
  // A distribution marked short term.
  SecurityTran(bolt, SecurityTranKind::CapitalGain, 12.34, 0, 0, Day(2026, 4, 4), -1, false, true);

  const reports::CapitalGains gains = reports::ComputeCapitalGains(club, Day(2026, 12, 31));
  ASSERT_EQ(gains.rows.size(), 4u);
  const CapitalGainRow& long_row = gains.rows[0];
  EXPECT_EQ(long_row.term, kLongTerm);
  EXPECT_EQ(long_row.buy_date, Day(2024, 3, 1));
  EXPECT_EQ(long_row.cost, 1010);
  EXPECT_EQ(long_row.proceeds, 1190);
  EXPECT_EQ(long_row.gain, 180);
  const CapitalGainRow& short_row = gains.rows[1];
  EXPECT_EQ(short_row.term, kShortTerm);
  EXPECT_EQ(short_row.cost, 550);
  EXPECT_EQ(short_row.proceeds, 595);
  EXPECT_EQ(short_row.gain, 45);
  // Bolt's records in key order: the short sale (not a row), the cover, the distribution.
  const CapitalGainRow& cover_row = gains.rows[2];
  EXPECT_EQ(cover_row.source, GainSource::ShortCover);
  EXPECT_EQ(cover_row.buy_date, Day(2026, 3, 3));
  EXPECT_EQ(cover_row.cost, 504);
  EXPECT_EQ(cover_row.sell_date, Day(2026, 2, 2));
  EXPECT_EQ(cover_row.proceeds, 594);
  EXPECT_EQ(cover_row.gain, 90);
  EXPECT_EQ(cover_row.term, kShortTerm);
  EXPECT_EQ(gains.rows[3].source, GainSource::Distribution);
  EXPECT_EQ(gains.rows[3].gain, 12.34);
  EXPECT_EQ(gains.short_term, 147.34);
  EXPECT_EQ(gains.long_term, 180);
  EXPECT_EQ(gains.total, 327.34);
  // By month: the cover in March, the sales in May.
  EXPECT_EQ(gains.by_month[kShortTerm - 1][2], 90);
  EXPECT_EQ(gains.by_month[kShortTerm - 1][4], 45);

  reports::CapitalGainsReport report(gains, "Club");
  const std::string text = LaidOutText(report);
  EXPECT_THAT(text, HasSubstr("Club Capital Gains from 01/01/2026 thru 12/31/2026.\r\n"));
  EXPECT_THAT(text, HasSubstr("Acme"));
  EXPECT_THAT(text, HasSubstr("03/03/2026"));
  EXPECT_THAT(text, HasSubstr("$327.34\r\n"));
}

TEST_F(ClubFiguresTest, NoGainsPrintTheNoticeAndNoTotals) {
  reports::CapitalGainsReport report(reports::ComputeCapitalGains(club, Day(2026, 12, 31)), "Club");
  const std::string text = LaidOutText(report);
  EXPECT_THAT(text, HasSubstr("No Capital Gains to report for specified date.\r\n"));
  EXPECT_THAT(text, Not(HasSubstr("Total")));
  EXPECT_THAT(text, Not(HasSubstr("Name")));
}

TEST_F(ClubFiguresTest, IncomeStatementTakesTaxableCategoriesGainsAndForeignTaxes) {
  AccountTran(cash, AccountTranKind::Deposit, 40.10, PredefinedCategory::DividendIncome, Day(2026, 2, 1));
  AccountTran(cash, AccountTranKind::Interest, 2.05, PredefinedCategory::InterestIncome, Day(2026, 3, 1));
  AccountTran(cash, AccountTranKind::Deposit, 999, PredefinedCategory::MemberContributions, Day(2026, 3, 1));
  AccountTran(cash, AccountTranKind::Deposit, 7, PredefinedCategory::InterestIncome, Day(2027, 1, 1));
  const auto acme = AddSecurity("Acme");
  SecurityTran(acme, SecurityTranKind::ForeignTax, 3.25, 0, 0, Day(2026, 4, 1));
  SecurityTran(acme, SecurityTranKind::CapitalGain, 10, 0, 0, Day(2026, 4, 1), -1, true);  // medium

  const reports::IncomeStatement statement = reports::ComputeIncomeStatement(club, Day(2026, 12, 31));
  ASSERT_EQ(statement.income.size(), 2u);
  EXPECT_EQ(statement.income[0].category, "Dividend Income");
  EXPECT_EQ(statement.income[0].amount, 40.10);
  EXPECT_EQ(statement.medium_term, 10);
  EXPECT_EQ(statement.total_income, 52.15);
  EXPECT_TRUE(statement.expenses.empty());
  EXPECT_EQ(statement.foreign_taxes, 3.25);
  EXPECT_EQ(statement.total_expenses, 3.25);
  EXPECT_EQ(statement.net_profit, 48.90);
  // Foreign taxes print even without a deductible expense category, so the
  // total of the expenses is the sum of what is printed above it.
  reports::IncomeStatementReport report(statement, "Club");
  const std::string text = LaidOutText(report);
  EXPECT_THAT(text, HasSubstr("    Foreign Taxes               ..........             3.25"));
  EXPECT_THAT(text, HasSubstr("$3.25\r\n"));
  EXPECT_THAT(text, HasSubstr("    Net Profit                                                      $48.90\r\n"));
}

// Over random clubs of one year (dues, part payouts, purchases and sales of
// whole lots, dividends, interest and expenses): the assets are the equities,
// and the gain for the year is the income statement's net profit, to the cent,
// whatever the report date.
TEST_F(ClubFiguresTest, TotalAssetsAreTotalEquitiesAndTheGainIsTheNetProfitOverRandomClubs) {
  const unsigned seed = PropertySeed();
  SCOPED_TRACE("PELLMARK_SEED=" + std::to_string(seed));
  std::mt19937 random(seed);
  auto cents = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random) / 100.0; };
  auto day = [&] { return Day(2026, 1, 1) + std::uniform_int_distribution<int>(0, 364)(random); };
  std::vector<std::int32_t> members;
  for (const char* last : {"Avery", "Brook", "Crane", "Dale"}) {
    members.push_back(AddMember(last, "Pat"));
    MemberTran(members.back(), MemberTranKind::Payment, 1000, 10, Day(2026, 1, 1));
    AccountTran(cash, AccountTranKind::Deposit, 1000, PredefinedCategory::MemberContributions, Day(2026, 1, 1));
  }
  const auto bank = AddAccount("Bank");
  std::vector<std::int32_t> securities;
  for (const char* name : {"Acme", "Bolt", "Crane Rail"}) securities.push_back(AddSecurity(name));
  for (int step = 0; step < 120; ++step) {
    const auto account = random() % 2 ? cash : bank;
    const DayNumber date = day();
    switch (random() % 6) {
      case 0: {
        const auto member = members[random() % members.size()];
        const double dues = cents(1000, 50000);
        MemberTran(member, MemberTranKind::Payment, dues, 10, date);
        AccountTran(account, AccountTranKind::Deposit, dues, PredefinedCategory::MemberContributions, date);
        break;
      }
      case 1: {
        // A part payout of less than a unit: every member keeps units all year.
        const auto member = members[random() % members.size()];
        const double amount = cents(100, 900);
        MemberTran(member, MemberTranKind::Payout, amount, 1000, date);
        AccountTran(account, AccountTranKind::Check, amount, PredefinedCategory::MemberContributions, date);
        break;
      }
      case 2: {
        const auto stkid = securities[random() % securities.size()];
        const double amount = cents(5000, 90000);
        const double comm = cents(0, 2000);
        const auto lot = SecurityTran(stkid, SecurityTranKind::Purchase, amount, 10, comm, date);
        AccountTran(account, AccountTranKind::Check, amount + comm, PredefinedCategory::Investments, date);
        if (random() % 2) {
          const DayNumber sold = std::min(date + std::uniform_int_distribution<int>(1, 200)(random), Day(2026, 12, 31));
          const double proceeds = cents(5000, 90000);
          const double sale_comm = cents(0, 1500);
          SecurityTran(stkid, SecurityTranKind::Sale, proceeds, 12, sale_comm, sold, lot);
          MarkSold(stkid, lot);
          AccountTran(account, AccountTranKind::Deposit, proceeds - sale_comm, PredefinedCategory::InvestmentIncome,
                      sold);
        }
        break;
      }
      case 3:
        AccountTran(account, AccountTranKind::Deposit, cents(1, 5000), PredefinedCategory::DividendIncome, date);
        break;
      case 4:
        AccountTran(account, AccountTranKind::Interest, cents(1, 900), PredefinedCategory::InterestIncome, date);
        break;
      default:
        AccountTran(account, AccountTranKind::Check, cents(1, 3000), PredefinedCategory::OperatingExpenses, date);
        break;
    }
  }
  for (int check = 0; check < 12; ++check) {
    const DayNumber date = check == 0 ? Day(2026, 12, 31) : day();
    SCOPED_TRACE("as of " + FormatDate(date));
    const reports::BalanceSheet sheet = reports::ComputeBalanceSheet(club, date);
    const reports::IncomeStatement income = reports::ComputeIncomeStatement(club, date);
    double rows = 0;
    for (const auto& line : sheet.cash) rows += line.amount;
    for (const auto& line : sheet.investments) rows += line.amount;
    EXPECT_TRUE(SameMoney(sheet.total_assets, rows));
    double equities = sheet.gain_for_year;
    for (const auto& line : sheet.members) equities += line.amount;
    EXPECT_TRUE(SameMoney(sheet.total_equities, equities));
    EXPECT_EQ(sheet.total_assets, sheet.total_equities);
    EXPECT_EQ(sheet.gain_for_year, income.net_profit);
    // The members' shares of the year's figures add up to its totals.
    const reports::EarningsDistribution d = reports::ComputeEarningsDistribution(club, date);
    if (!d.HasUnits()) continue;
    double net = 0;
    for (const auto& row : d.members) net += row.net;
    const reports::DistributionRow& whole = d.adjusted ? *d.adjusted : d.total;
    EXPECT_TRUE(SameMoney(net, whole.net)) << net << " vs " << whole.net;
  }
}

}  // namespace
}  // namespace pellmark::testing
