#include "forms/date_spin.h"

#include <gtest/gtest.h>

namespace pellmark {
namespace {

// Spins the typed date and returns the shown text and whether the year changed.
std::pair<std::string, bool> Spin(std::string_view shown, SpinMode mode, int step) {
  SpunDate spun = SpinDate(*ParseDate(shown), mode, step);
  return {FormatDate(spun.date), spun.year_changed};
}

using Shown = std::pair<std::string, bool>;

TEST(SpinDate, DayStepsWithinTheMonthKeepTheYear) {
  EXPECT_EQ(Spin("06/14/1999", SpinMode::kDay, +1), Shown("06/15/1999", false));
  EXPECT_EQ(Spin("06/14/1999", SpinMode::kDay, -1), Shown("06/13/1999", false));
  EXPECT_EQ(Spin("02/28/2000", SpinMode::kDay, +1), Shown("02/29/2000", false));
}

TEST(SpinDate, DayPastTheEndGoesToTheFirstOfTheNextMonth) {
  EXPECT_EQ(Spin("12/31/1999", SpinMode::kDay, +1), Shown("01/01/2000", true));
  EXPECT_EQ(Spin("04/30/1999", SpinMode::kDay, +1), Shown("05/01/1999", false));
  EXPECT_EQ(Spin("02/28/1999", SpinMode::kDay, +1), Shown("03/01/1999", false));
  EXPECT_EQ(Spin("02/29/2000", SpinMode::kDay, +1), Shown("03/01/2000", false));
}

TEST(SpinDate, DayBeforeTheFirstGoesToTheLastDayOfThePreviousMonth) {
  EXPECT_EQ(Spin("01/01/2000", SpinMode::kDay, -1), Shown("12/31/1999", true));
  EXPECT_EQ(Spin("03/01/2000", SpinMode::kDay, -1), Shown("02/29/2000", false));
  EXPECT_EQ(Spin("03/01/1999", SpinMode::kDay, -1), Shown("02/28/1999", false));
  EXPECT_EQ(Spin("05/01/1999", SpinMode::kDay, -1), Shown("04/30/1999", false));
}

TEST(SpinDate, MonthKeepsTheDayWhenTheNewMonthHasIt) {
  EXPECT_EQ(Spin("01/15/2000", SpinMode::kMonth, +1), Shown("02/15/2000", false));
  EXPECT_EQ(Spin("03/31/2000", SpinMode::kMonth, -1), Shown("02/01/2000", false));
  EXPECT_EQ(Spin("05/31/2000", SpinMode::kMonth, -1), Shown("04/01/2000", false));
  EXPECT_EQ(Spin("03/30/2000", SpinMode::kMonth, +1), Shown("04/30/2000", false));
}

TEST(SpinDate, MonthTakesTheFirstWhenTheNewMonthIsShorter) {
  EXPECT_EQ(Spin("01/31/2000", SpinMode::kMonth, +1), Shown("02/01/2000", false));
  EXPECT_EQ(Spin("01/29/1999", SpinMode::kMonth, +1), Shown("02/01/1999", false));
  EXPECT_EQ(Spin("01/29/2000", SpinMode::kMonth, +1), Shown("02/29/2000", false));
}

TEST(SpinDate, MonthWrapsBetweenDecemberAndJanuaryWithTheYear) {
  EXPECT_EQ(Spin("12/31/1999", SpinMode::kMonth, +1), Shown("01/31/2000", true));
  EXPECT_EQ(Spin("01/31/2000", SpinMode::kMonth, -1), Shown("12/31/1999", true));
}

TEST(SpinDate, YearAlwaysCountsAsAChangeOfYear) {
  EXPECT_EQ(Spin("06/14/1999", SpinMode::kYear, +1), Shown("06/14/2000", true));
  EXPECT_EQ(Spin("06/14/1999", SpinMode::kYear, -1), Shown("06/14/1998", true));
}

TEST(SpinDate, YearFromTheLeapDayTakesTheFirstOfFebruary) {
  EXPECT_EQ(Spin("02/29/2000", SpinMode::kYear, +1), Shown("02/01/2001", true));
  EXPECT_EQ(Spin("02/29/2000", SpinMode::kYear, -1), Shown("02/01/1999", true));
  EXPECT_EQ(Spin("02/29/1996", SpinMode::kYear, +4), Shown("02/29/2000", true));
}

TEST(MonthName, NamesEveryMonthInFullAndRefusesOthers) {
  EXPECT_EQ(MonthName(1), "January");
  EXPECT_EQ(MonthName(2), "February");
  EXPECT_EQ(MonthName(9), "September");
  EXPECT_EQ(MonthName(12), "December");
  EXPECT_THROW(MonthName(0), std::out_of_range);
  EXPECT_THROW(MonthName(13), std::out_of_range);
}

}  // namespace
}  // namespace pellmark
