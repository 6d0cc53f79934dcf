#include "club/holding_term.h"

#include <gtest/gtest.h>

namespace pellmark {
namespace {

DayNumber Day(int y, int m, int d) { return DayNumberFromCivil({y, m, d}); }

TEST(HoldingTerm, ThresholdsAreStrict) {
  EXPECT_EQ(HoldingTerm(Day(1997, 6, 1), Day(1998, 6, 1)), kShortTerm);   // 365 days
  EXPECT_EQ(HoldingTerm(Day(1997, 6, 1), Day(1998, 6, 2)), kMediumTerm);
  EXPECT_EQ(HoldingTerm(Day(1997, 6, 1), Day(1998, 12, 2)), kLongTerm);  // 549 days
  EXPECT_EQ(HoldingTerm(Day(2001, 1, 1), Day(2002, 7, 2)), kMediumTerm); // 547 days
  EXPECT_EQ(HoldingTerm(Day(2001, 1, 1), Day(2002, 7, 3)), kLongTerm);   // 548 days
}

TEST(HoldingTerm, TheRulesOfTheEarlyYears) {
  EXPECT_EQ(HoldingTerm(Day(1997, 3, 1), Day(1999, 6, 1)), kMediumTerm);  // bought before 7 May 1997
  EXPECT_EQ(HoldingTerm(Day(1995, 1, 1), Day(1997, 7, 1)), kMediumTerm);
  EXPECT_EQ(HoldingTerm(Day(1997, 5, 7), Day(1997, 7, 28)), kShortTerm);
  EXPECT_EQ(HoldingTerm(Day(1999, 6, 1), Day(1997, 3, 1)), kMediumTerm);  // either order
}

}  // namespace
}  // namespace pellmark
