#include "support/property_seed.h"
#include "cli/input_forms.h"

#include <gtest/gtest.h>

#include <random>

#include "cli/cli_context.h"
#include "club/dates.h"
#include "club/number_format.h"

namespace pellmark::cli {
namespace {

TEST(AmountText, TakesTheDollarSignAndThousandsSeparatorsOff) {
  EXPECT_EQ(AmountText("$1,234.50"), "1234.50");
  EXPECT_EQ(AmountText(" 1,234,567 "), "1234567");
  EXPECT_EQ(AmountText("-$5"), "-5");
  EXPECT_EQ(AmountText(".5"), "0.5");
  EXPECT_EQ(AmountText("25"), "25");
  for (const char* refused : {"", "$", "abc", "1,23", "12,345,67", ",123", "1234,567", "1.2.3", "$-5", "1e3", "5 $",
                              "1,234.5,0", "--5"}) {
    EXPECT_EQ(AmountText(refused), std::nullopt) << refused;
  }
}

// Every amount the program shows ("$1,234.50") reads back as the plain amount
// the entry dialog reads.
TEST(AmountText, ReadsBackEveryAmountAsTheProgramShowsIt) {
  const unsigned seed = pellmark::testing::PropertySeed();
  std::mt19937 random(seed);
  std::uniform_int_distribution<long long> cents(0, 99'999'999'999LL);
  for (int i = 0; i < 5000; ++i) {
    const double amount = static_cast<double>(cents(random)) / 100;
    ASSERT_EQ(AmountText(FormatMoney(amount)), FormatFixed(amount, 2)) << "seed " << seed << ": " << FormatMoney(amount);
  }
}

TEST(DateText, TakesOneOrTwoDigitsAndTwoOrFourDigitYears) {
  EXPECT_EQ(DateText("7/4/2026"), "07/04/2026");
  EXPECT_EQ(DateText("07/04/26"), "07/04/2026");
  EXPECT_EQ(DateText("1/1/49"), "01/01/2049");
  EXPECT_EQ(DateText("1/1/50"), "01/01/1950");
  EXPECT_EQ(DateText("2/29/00"), "02/29/2000");
  for (const char* refused : {"", "7/4", "7-4-2026", "13/1/26", "2/29/2027", "2/30/26", "7/4/226", "7/4/02026", "a/4/26",
                              "7/4/26/1", "123/4/26"}) {
    EXPECT_EQ(DateText(refused), std::nullopt) << refused;
  }
}

TEST(InputRefusals, NameTheFormsExpected) {
  EXPECT_EQ(AmountRefusal("ten"), "\"ten\" is not an amount; type it as 1234.50, 1,234.50 or $1,234.50");
  EXPECT_EQ(DateRefusal("13/45/26"),
            "\"13/45/26\" is not a date; type it as M/D/YYYY or M/D/YY (00-49 are 20xx, the later years 19xx)");
}

TEST(StorableText, KeepsWesternLettersAndRefusesTheRestByName) {
  EXPECT_EQ(StorableText("Caf\u00e9 \u20ac5"), "Caf\xE9 \x80" "5");
  try {
    StorableText("Bank \u94f6\u884c");
    ADD_FAILURE() << "stored as question marks";
  } catch (const UsageError& error) {
    EXPECT_STREQ(error.what(), "\"Bank \u94f6\u884c\" holds characters that cannot be stored: \u94f6 \u884c");
  }
}

}  // namespace
}  // namespace pellmark::cli
