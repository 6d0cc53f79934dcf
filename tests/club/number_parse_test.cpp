#include "club/number_parse.h"

#include <gtest/gtest.h>

namespace pellmark {
namespace {

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

}  // namespace
}  // namespace pellmark
