#include "club/number_parse.h"

#include <gtest/gtest.h>

namespace pellmark {
namespace {

TEST(NumberParse, TrimBlanksTakesOnlyTheBlanksAtEitherEnd) {
  EXPECT_EQ(TrimBlanks("  12 3  "), "12 3");
  EXPECT_EQ(TrimBlanks("12"), "12");
  EXPECT_EQ(TrimBlanks("   "), "");
  EXPECT_EQ(TrimBlanks(""), "");
  EXPECT_EQ(TrimBlanks("\t12 "), "\t12");
  EXPECT_EQ(TrimBlanks("\t 12 \t", kSpacesAndTabs), "12");
  EXPECT_EQ(TrimBlanks(" \t ", kSpacesAndTabs), "");
}

TEST(NumberParse, AcceptsPlainNumbersOnly) {
  EXPECT_EQ(ParseNumber("25.00"), 25.0);
  EXPECT_EQ(ParseNumber(" 25 "), 25.0);
  EXPECT_EQ(ParseNumber("-3.5"), -3.5);
  EXPECT_EQ(ParseNumber("+4"), 4.0);
  EXPECT_EQ(ParseNumber("1e3"), 1000.0);
  EXPECT_EQ(ParseNumber(".5"), 0.5);
  for (const char* bad : {"", " ", "12a", "1/2", "inf", "nan", "$5", "1,000", "1e999", "--1"}) {
    EXPECT_FALSE(ParseNumber(bad).has_value()) << bad;
  }
}

TEST(NumberParse, IntegersFit32BitsWithTheirSignAndSpacesAround) {
  EXPECT_EQ(ParseInteger(" 1042 "), 1042);
  EXPECT_EQ(ParseInteger("-1"), -1);
  EXPECT_EQ(ParseInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseInteger("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParseInteger("+7"), 7);
  EXPECT_EQ(ParseInteger(" 1999 ", PlusSign::kRefused), 1999);
  EXPECT_EQ(ParseInteger("-5", PlusSign::kRefused), -5);
  EXPECT_EQ(ParseInteger("+1999", PlusSign::kRefused), std::nullopt);
  for (const char* bad : {"", "1.5", "2147483648", "-2147483649", "12a", "1e3", "+", "-", "1 2", "\t5", "0x10"}) {
    EXPECT_EQ(ParseInteger(bad), std::nullopt) << bad;
  }
}

}  // namespace
}  // namespace pellmark
