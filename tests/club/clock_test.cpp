#include "club/clock.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <stdexcept>

namespace pellmark {
namespace {

class ClockTest : public ::testing::Test {
 protected:
  void SetUp() override { unsetenv("PELLMARK_TODAY"); }
  void TearDown() override { unsetenv("PELLMARK_TODAY"); }
};

TEST_F(ClockTest, TodayOptionFixesTheDay) {
  auto clock = MakeClock("02/03/1999");
  EXPECT_EQ(clock->Today(), DayNumberFromCivil({1999, 2, 3}));
  EXPECT_EQ(clock->Now(), clock->Today());
}

TEST_F(ClockTest, EnvironmentFixesTheDayWhenNoOptionIsGiven) {
  setenv("PELLMARK_TODAY", "12/31/2004", 1);
  EXPECT_EQ(MakeClock(std::nullopt)->Today(), DayNumberFromCivil({2004, 12, 31}));
  EXPECT_EQ(MakeClock("01/01/2005")->Today(), DayNumberFromCivil({2005, 1, 1}));  // the option wins
}

TEST_F(ClockTest, BadDatesAreRefusedNamingTheirSource) {
  try {
    MakeClock("13/45/1999");
    FAIL() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "--today: '13/45/1999' is not a valid date (mm/dd/yyyy)");
  }
  setenv("PELLMARK_TODAY", "tomorrow", 1);
  EXPECT_THROW(MakeClock(std::nullopt), std::invalid_argument);
}

TEST_F(ClockTest, SystemClockGivesAWholeDayAndATimeWithinIt) {
  SystemClock clock;
  double today = clock.Today();
  EXPECT_EQ(today, std::floor(today));
  EXPECT_GT(today, DayNumberFromCivil({2020, 1, 1}));
  double now = clock.Now();
  EXPECT_GE(now, today);
  EXPECT_LT(now, today + 2);
}

}  // namespace
}  // namespace pellmark
