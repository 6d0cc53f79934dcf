#include "club/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include <fmt/format.h>

#include "club/money.h"
#include "support/property_seed.h"

namespace pellmark {
namespace {

TEST(MoneyFormat, DollarsWithTwoDecimalsAndNegativesInParentheses) {
  EXPECT_EQ(FormatMoney(0), "$0.00");
  EXPECT_EQ(FormatMoney(12.5), "$12.50");
  EXPECT_EQ(FormatMoney(1234567.891), "$1,234,567.89");
  EXPECT_EQ(FormatMoney(999.999), "$1,000.00");
  EXPECT_EQ(FormatMoney(-3), "($3.00)");
  EXPECT_EQ(FormatMoney(-1234.5), "($1,234.50)");
  EXPECT_EQ(FormatMoney(-0.001), "$0.00");  // rounds to zero: no parentheses
}

TEST(MoneyFormat, HalfACentRoundsAwayFromZeroAsTheMoneyRuleDoes) {
  EXPECT_EQ(FormatMoney(135.00 + 3.975), "$138.98");  // held just below the half
  EXPECT_EQ(FormatMoney(0.125), "$0.13");             // an exact half: not to even
  EXPECT_EQ(FormatMoney(-0.125), "($0.13)");
  EXPECT_EQ(FormatMoney(61.725), "$61.73");
  EXPECT_EQ(FormatMoney(2.675), "$2.68");
  EXPECT_EQ(FormatMoney(-1000.005), "($1,000.01)");
  EXPECT_EQ(FormatMoney(0.004999), "$0.00");
}

// Whole cents print without a decimal conversion; the text must be what the
// rounded figure prints as with two decimals, grouped by thousands. Seeded
// random figures of every size a club holds, near halves of a cent and
// beyond the whole-cent range.
TEST(MoneyFormat, TheTextIsTheRoundedFigurePrintedWithTwoDecimals) {
  auto printed = [](double amount) {
    const double rounded = RoundCents(amount);
    std::string plain = fmt::format("{:.2f}", std::fabs(rounded));
    std::string whole = plain.substr(0, plain.find('.'));
    for (int at = static_cast<int>(whole.size()) - 3; at > 0; at -= 3) whole.insert(static_cast<std::size_t>(at), ",");
    const std::string text = "$" + whole + plain.substr(plain.find('.'));
    return rounded < 0 ? "(" + text + ")" : text;
  };
  const unsigned seed = testing::PropertySeed();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937_64 random(seed);
  std::uniform_int_distribution<int> digits(0, 15);
  std::uniform_real_distribution<double> unit(0, 1);
  for (int trial = 0; trial < 20000; ++trial) {
    double amount = unit(random) * std::pow(10.0, digits(random));
    if (trial % 3 == 0) amount = (std::floor(amount * 100) + 0.5) / 100;  // a half cent
    if (trial % 2 == 0) amount = -amount;
    ASSERT_EQ(FormatMoney(amount), printed(amount)) << fmt::format("{:.17g}", amount);
  }
  EXPECT_EQ(FormatMoney(-kLargestAmount), "(" + printed(kLargestAmount) + ")");
}

TEST(UnitFormat, ThreeDecimalsAndNegativesInParentheses) {
  EXPECT_EQ(FormatUnits(12.3456), "12.346");
  EXPECT_EQ(FormatUnits(0), "0.000");
  EXPECT_EQ(FormatUnits(-2), "(2.000)");
  EXPECT_EQ(FormatUnits(1234.5), "1234.500");
  EXPECT_EQ(FormatUnits(-0.0001), "0.000");
}

TEST(ReportFormat, FixedPointWithoutSeparators) {
  EXPECT_EQ(FormatFixed(-1234.5, 2), "-1234.50");
  EXPECT_EQ(FormatFixed(1234567.125, 3), "1234567.125");
  EXPECT_EQ(FormatFixed(0.5, 0), "0");  // ties to even, as the C library rounds
  EXPECT_EQ(FormatFixed(-0.004, 2), "0.00");
  EXPECT_EQ(FormatFixed(1.01, 2), "1.01");
}

}  // namespace
}  // namespace pellmark
