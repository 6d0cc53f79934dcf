// A year of random days (dues, deposits, expenses, interest, purchases and
// prices), with a current test valuation on some of them. Run again at the
// year's end, each of those valuations, now past-dated and rebuilt from the
// transactions, must give the statement it gave on its day. A failure names
// its seed and date.
#include <gtest/gtest.h>

#include <cmath>
#include <fmt/format.h>
#include <map>
#include <random>

#include "support/property_seed.h"
#include "valuation/statement_compare.h"
#include "valuation/valuation_fixture.h"

namespace pellmark::valuation {
namespace {

class ValuationProperty : public testing::ValuationFixture {};

TEST_F(ValuationProperty, APastDatedValuationGivesTheStatementOfItsDay) {
  const unsigned seed = pellmark::testing::PropertySeed();
  std::mt19937 random(seed);
  Person("Garcia", "Maria");
  AddSecurity("Acme", "ACM");
  AddSecurity("Bolt", "BLT");
  ui.AnswerEvery("", true);
  const std::vector<std::string> securities = {"Acme", "Bolt"};
  auto money = [&](int most) { return (1 + static_cast<int>(random() % static_cast<unsigned>(most * 100))) / 100.0; };

  std::map<DayNumber, Statement> statements;
  for (DayNumber day = Day(2026, 1, 5); day <= Day(2026, 12, 20); day += 1 + random() % 9) {
    SCOPED_TRACE(fmt::format("seed {} on {}", seed, FormatDate(day)));
    clock.SetToday(day);
    switch (random() % 6) {
      case 0: {
        std::map<std::string, std::string> amounts;
        for (const char* name : {"Smith, Ann", "Jones, Bob", "Garcia, Maria"}) {
          if (random() % 4 != 0) amounts[name] = fmt::format("{:.2f}", 10 + money(190));  // units well above 0.005
        }
        if (!amounts.empty()) Dues(day, amounts);
        break;
      }
      case 1: Post(AccountTranKind::Deposit, money(50), PredefinedCategory::OtherIncome, day); break;
      case 2: Post(AccountTranKind::Withdrawal, money(30), PredefinedCategory::OperatingExpenses, day); break;
      case 3: Post(AccountTranKind::Interest, money(5), PredefinedCategory::InterestIncome, day); break;
      case 4:
        if (Cash().bal > 100) Buy(securities[random() % 2], 1 + random() % 5, money(20), money(3), day);
        break;
      default: NewPrice(securities[random() % 2], money(40), day); break;
    }
    ui.DropUnusedAnswers();
    if (random() % 3 != 0) continue;
    club.Info().dues = club.Info().stks = true;  // no question: a test statement of the day
    ValuationResult result = Test(day);
    if (!result.outcome) continue;  // no member holds units yet
    ASSERT_TRUE(result.figures->current);
    statements[day] = ReadStatement(day);
  }
  ASSERT_FALSE(statements.empty());

  clock.SetToday(Day(2026, 12, 31));
  for (const auto& [day, then] : statements) {
    SCOPED_TRACE(fmt::format("seed {}, valuation of {}", seed, FormatDate(day)));
    ValuationResult result = Test(day);
    ASSERT_TRUE(result.outcome);
    ASSERT_FALSE(result.figures->current);
    testing::ExpectSameStatement(ReadStatement(day), then);
  }
}

}  // namespace
}  // namespace pellmark::valuation
