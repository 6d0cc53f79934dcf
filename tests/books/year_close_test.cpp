// The year close through the books: over random years, each K-1 column adds
// up to its Schedule K line and every member's capital account closes to the
// cent and ends at what the member's record holds after the credit; the close
// marks its valuation, starts the year's dividends and interest again, and
// refuses a year already closed or a damaged statement without a change.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <random>

#include "club/money.h"
#include "club/number_format.h"
#include "club/record_kinds.h"
#include "members/member_posting.h"
#include "reports/tax_file.h"
#include "reports/tax_report.h"
#include "support/property_seed.h"
#include "valuation/valuation_fixture.h"

namespace pellmark::testing {
namespace {

class YearCloseTest : public ValuationFixture {
 protected:
  void SetUp() override {
    ValuationFixture::SetUp();  // Ann Smith and Bob Jones, year 2026
    AddSecurity("Acme Corp", "ACME");
    ui.AnswerEvery("Have all transactions for ", true);
  }

  // The line of the return whose label begins with `start`.
  double Line(const reports::TaxFigures& figures, std::string_view start) {
    for (const reports::TaxLine& line : figures.lines) {
      if (line.label.starts_with(start)) return line.amount;
    }
    ADD_FAILURE() << "no line " << start;
    return 0;
  }

  YearClose CloseOn2027() {
    clock.SetToday(Day(2027, 1, 5));
    EXPECT_TRUE(Official(Day(2026, 12, 31)).outcome);
    return books.CloseYear();
  }
};

class YearCloseProperty : public YearCloseTest, public ::testing::WithParamInterface<int> {};

TEST_P(YearCloseProperty, K1ColumnsAddUpToScheduleKAndCapitalAccountsClose) {
  const unsigned seed = PropertySeed() + static_cast<unsigned>(GetParam());
  std::mt19937 random(seed);
  auto cents = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random) / 100.0; };
  auto day = [&](int first_month) {
    const int month = std::uniform_int_distribution<int>(first_month, 12)(random);
    return Day(2026, month, std::uniform_int_distribution<int>(1, 28)(random));
  };
  for (int extra = std::uniform_int_distribution<int>(0, 4)(random); extra > 0; --extra) {
    Person("Member" + std::to_string(extra), "Pat");
  }
  // Everyone holds units from January on, so every month's amounts are shared out.
  std::map<std::string, std::string> january;
  for (const TMemberRec& member : books.Members().List(true)) {
    january[MemberName(member)] = FormatFixed(cents(1000, 200000), 2);
  }
  Dues(Day(2026, 1, 1), january);
  for (int run = std::uniform_int_distribution<int>(0, 4)(random); run > 0; --run) {
    std::map<std::string, std::string> amounts;
    for (const TMemberRec& member : books.Members().List(true)) {
      if (random() % 2 == 0) amounts[MemberName(member)] = FormatFixed(cents(100, 50000), 2);
    }
    if (!amounts.empty()) Dues(day(2), amounts);
  }
  for (int i = std::uniform_int_distribution<int>(1, 12)(random); i > 0; --i) {
    switch (random() % 4) {
      case 0: Post(AccountTranKind::Deposit, cents(1, 50000), PredefinedCategory::DividendIncome, day(1)); break;
      case 1: Post(AccountTranKind::Interest, cents(1, 9999), PredefinedCategory::InterestIncome, day(1)); break;
      case 2: Post(AccountTranKind::Check, cents(1, 20000), PredefinedCategory::OperatingExpenses, day(1)); break;
      default: {
        TSecurityTranRec gain = Record("Acme Corp", SecurityTranKind::CapitalGain, cents(-5000, 30000), 0, 0, day(1));
        gain.tax = random() % 3 == 0;
        gain.compc = !gain.tax && random() % 2 == 0;
        club.stkrecs.Put(gain);
        Post(AccountTranKind::Deposit, gain.amount, PredefinedCategory::InvestmentIncome, gain.trandate);
      }
    }
    if (random() % 4 == 0) Record("Acme Corp", SecurityTranKind::ForeignTax, cents(1, 3000), 0, 0, day(1));
  }
  books.Commit();

  const YearClose close = CloseOn2027();
  ASSERT_TRUE(close.outcome) << "seed " << seed << ": " << close.outcome.Message();
  const reports::TaxFigures& figures = *close.figures;
  ASSERT_FALSE(figures.members.empty());

  struct Column {
    const char* line;
    double reports::TaxMemberRow::*share;
    int sign;
  };
  const std::vector<Column> columns{
      {"Ordinary income(loss) - Form 1120S,1065 Schedule K", &reports::TaxMemberRow::ordinary, 1},
      {"Interest income", &reports::TaxMemberRow::interest, 1},
      {"Dividend income", &reports::TaxMemberRow::dividends, 1},
      {"Net short-term", &reports::TaxMemberRow::short_term, 1},
      {"Net medium-term", &reports::TaxMemberRow::medium_term, 1},
      {"Net long-term", &reports::TaxMemberRow::long_term, 1},
      {"Other deductions - Form 1120S (Line 10)", &reports::TaxMemberRow::deductions, -1},
  };
  for (const Column& column : columns) {
    double sum = 0;
    for (const reports::TaxMemberRow& row : figures.members) sum += row.*column.share;
    EXPECT_TRUE(SameMoney(column.sign * sum, Line(figures, column.line)))
        << "seed " << seed << ": " << column.line << " " << sum << " against " << Line(figures, column.line);
  }
  if (figures.foreign_taxes) {
    double sum = 0;
    for (const reports::TaxMemberRow& row : figures.members) sum += row.foreign_taxes;
    EXPECT_TRUE(SameMoney(-sum, Line(figures, "Total Foreign Taxes"))) << "seed " << seed;
  }

  double credited = 0;
  for (const TMemberTranRec& tran : close.credited) credited += tran.dues;
  double earnings = 0;
  for (const reports::TaxMemberRow& row : figures.members) {
    earnings += row.earnings;
    EXPECT_TRUE(SameMoney(row.earnings, row.ordinary - row.foreign_taxes)) << "seed " << seed;
    EXPECT_TRUE(SameMoney(row.ending, row.beginning + row.capital_in + row.earnings - row.capital_out))
        << "seed " << seed << " " << row.name;
    TMemberRec member;
    for (const TMemberRec& stored : books.Members().List(false)) {
      if (stored.memid == row.memid) member = stored;
    }
    EXPECT_TRUE(SameMoney(row.ending, member.totalc + member.totale))
        << "seed " << seed << " " << row.name << ": " << row.ending << " against " << member.totalc + member.totale;
  }
  EXPECT_TRUE(SameMoney(credited, earnings)) << "seed " << seed;

  // The file holds the same figures, read back from its records.
  const reports::TaxFileFigures file =
      reports::ReadTaxFileFigures(reports::ReadTaxFile(club.Files(), close.tax_file), "club2026.tax");
  ASSERT_EQ(file.k1.size(), figures.members.size()) << "seed " << seed;
  for (std::size_t i = 0; i < file.k1.size(); ++i) {
    EXPECT_EQ(file.k1[i].ordinary, RoundCents(figures.members[i].ordinary)) << "seed " << seed;
    EXPECT_EQ(file.capital[i].ending, RoundCents(figures.members[i].ending)) << "seed " << seed;
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, YearCloseProperty, ::testing::Range(0, 12));

TEST_F(YearCloseTest, TheCloseMarksItsValuationAndStartsTheYearsDividendsAndInterestAgain) {
  Dues(Day(2026, 1, 2), {{"Smith, Ann", "1000"}, {"Jones, Bob", "1000"}});
  Post(AccountTranKind::Interest, 7.50, PredefinedCategory::InterestIncome, Day(2026, 6, 30));
  TSecurityRec acme = Security("Acme Corp");
  acme.dividendy = 42;
  books.Securities().Save(acme);
  books.Commit();
  ASSERT_EQ(Cash().interesty, 7.50);

  const YearClose close = CloseOn2027();
  ASSERT_TRUE(close.outcome) << close.outcome.Message();
  EXPECT_EQ(club.Info().year, 2027);
  EXPECT_EQ(Cash().interesty, 0);
  EXPECT_EQ(Security("Acme Corp").dividendy, 0);
  const std::vector<TUnitValueRec> units = Units();
  EXPECT_TRUE(units.back().upd);
  EXPECT_EQ(units.back().date, Day(2026, 12, 31));
  // Interest of 7.50 halved: 3.75 each, at the closing unit value.
  ASSERT_EQ(close.credited.size(), 2u);
  for (const TMemberTranRec& tran : close.credited) {
    EXPECT_EQ(tran.dues, 3.75);
    EXPECT_EQ(KindOf(tran), MemberTranKind::Earnings);
    EXPECT_EQ(tran.cunit, units.back().unitval);
    EXPECT_EQ(tran.unitind, units.back().unitid);
    EXPECT_EQ(tran.trandate, Day(2026, 12, 31));
    EXPECT_EQ(tran.actid, -1);
    EXPECT_EQ(tran.fee, 0);
  }
  EXPECT_EQ(Member("Smith, Ann").totale, 3.75);
  EXPECT_NEAR(Member("Smith, Ann").tunits, 1000 / 25.0 + ledger::UnitsOf(close.credited[1]), 1e-9);
}

// The close resets each active security from the transactions it already read
// for the tax figures: the figures, prices and dividend postings it leaves are
// those a reset reading the stores gives.
TEST_F(YearCloseTest, TheClosesSecurityResetEqualsAResetFromTheStores) {
  const unsigned seed = PropertySeed();
  std::mt19937 random(seed);
  auto cents = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random) / 100.0; };
  auto day = [&](int year) {
    return Day(year, std::uniform_int_distribution<int>(1, 12)(random), std::uniform_int_distribution<int>(1, 28)(random));
  };
  AddSecurity("Bolt Inc", "BOLT");
  AddSecurity("Cove Ltd", "COVE");
  Dues(Day(2026, 1, 2), {{"Smith, Ann", "50000"}, {"Jones, Bob", "50000"}});
  const std::vector<std::string> names{"Acme Corp", "Bolt Inc", "Cove Ltd"};
  for (int i = std::uniform_int_distribution<int>(10, 30)(random); i > 0; --i) {
    const std::string& name = names[random() % names.size()];
    // Records of earlier years stored directly; postings only in the open year.
    const DayNumber date = day(2026);
    const DayNumber earlier = day(std::uniform_int_distribution<int>(2024, 2026)(random));
    switch (random() % 4) {
      case 0: Buy(name, std::uniform_int_distribution<int>(1, 50)(random), cents(100, 9000), cents(0, 1500), date); break;
      case 1: {
        // A dividend linked to its deposit, whose text the reset renames.
        const double amount = cents(1, 20000);
        const TAccountTranRec deposit = Post(AccountTranKind::Deposit, amount, PredefinedCategory::DividendIncome, date);
        TSecurityTranRec dividend = Record(name, SecurityTranKind::Dividend, amount, 0, 0, date);
        dividend.actid = deposit.actid;
        dividend.transid = deposit.tranid;
        club.stkrecs.Put(dividend);
        break;
      }
      case 2: Record(name, SecurityTranKind::CapitalGain, cents(-5000, 30000), 0, 0, earlier); break;
      default: Price(name, cents(100, 9000), earlier);
    }
  }
  // A dividend of the new year counts in its figures; a price after the close's day does not.
  Record(names[random() % names.size()], SecurityTranKind::Dividend, cents(1, 5000), 0, 0, Day(2027, 1, 3));
  Price(names[random() % names.size()], cents(100, 9000), Day(2027, 3, 1));
  books.Commit();

  ASSERT_TRUE(CloseOn2027().outcome) << "seed " << seed;
  const std::map<std::string, std::string> closed = Snapshot();
  for (const std::string& name : names) ASSERT_TRUE(books.Securities().ResetSecurity(name, /*announce=*/false));
  books.Commit();
  const std::map<std::string, std::string> reset = Snapshot();
  for (const auto& [key, bytes] : reset) {
    auto found = closed.find(key);
    ASSERT_NE(found, closed.end()) << "seed " << seed << ": " << key;
    EXPECT_EQ(found->second, bytes) << "seed " << seed << ": " << key;
  }
  EXPECT_EQ(closed.size(), reset.size()) << "seed " << seed;
}

TEST_F(YearCloseTest, AYearAlreadyClosedOrADamagedStatementIsRefusedWithoutAChange) {
  Dues(Day(2026, 1, 2), {{"Smith, Ann", "1000"}});
  ASSERT_TRUE(CloseOn2027().outcome);

  // The open year put back to the closed one: its valuation says it is closed.
  club.Info().year = 2026;
  club.WriteClubInfo();
  books.Commit();
  std::map<std::string, std::string> before = Snapshot();
  ui.Clear();
  YearClose again = books.CloseYear();
  EXPECT_TRUE(again.outcome.Refused());
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{"Year 2026 already closed."});
  EXPECT_EQ(Snapshot(), before);

  // A statement cut short names its damage.
  const std::filesystem::path statement = StatementPath(Day(2026, 12, 31));
  std::filesystem::resize_file(statement, std::filesystem::file_size(statement) - 3);
  ui.Clear();
  again = books.CloseYear();
  EXPECT_TRUE(again.outcome.Refused());
  EXPECT_EQ(ui.Messages(),
            std::vector<std::string>{
                "Valuation statement V12312026.stm is damaged: its length is not a whole number of 51-byte records."});
  EXPECT_EQ(Snapshot(), before);
}

}  // namespace
}  // namespace pellmark::testing
