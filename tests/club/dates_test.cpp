#include "club/dates.h"

#include <gtest/gtest.h>

namespace pellmark {
namespace {

TEST(DayNumbers, CountFromThe30thOfDecember1899) {
  EXPECT_EQ(DayNumberFromCivil({1899, 12, 30}), 0.0);
  EXPECT_EQ(DayNumberFromCivil({1900, 1, 1}), 2.0);
  EXPECT_EQ(DayNumberFromCivil({1900, 3, 1}), 61.0);  // 1900 is not a leap year
  EXPECT_EQ(DayNumberFromCivil({1999, 2, 3}), 36194.0);
  EXPECT_EQ(DayNumberFromCivil({2000, 2, 29}), 36585.0);
  EXPECT_EQ(DayNumberFromCivil({1899, 12, 29}), -1.0);
}

TEST(DayNumbers, RoundTripThroughTheCalendarAndDropTheTimeOfDay) {
  for (double day = -700; day < 80000; day += 37) {
    CivilDate date = CivilFromDayNumber(day);
    ASSERT_EQ(DayNumberFromCivil(date), day) << FormatDate(day);
  }
  EXPECT_EQ(CivilFromDayNumber(36194.75), (CivilDate{1999, 2, 3}));
}

TEST(DayNumbers, DayOfYearStartsAtZero) {
  EXPECT_EQ(DayOfYear(DayNumberFromCivil({1999, 1, 1})), 0);
  EXPECT_EQ(DayOfYear(DayNumberFromCivil({1999, 2, 3})), 33);
  EXPECT_EQ(DayOfYear(DayNumberFromCivil({1999, 12, 31})), 364);
  EXPECT_EQ(DayOfYear(DayNumberFromCivil({2000, 12, 31})), 365);
}

TEST(DayNumbers, MonthLengthsAndLeapYears) {
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2024, 2), 29);
  EXPECT_EQ(DaysInMonth(2023, 4), 30);
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(2100));
}

TEST(DateText, FormatsWithLeadingZeros) {
  EXPECT_EQ(FormatDate(DayNumberFromCivil({1999, 2, 3})), "02/03/1999");
  EXPECT_EQ(FormatDate(DayNumberFromCivil({2026, 12, 7})), "12/07/2026");
  EXPECT_EQ(FormatDate(2.0), "01/01/1900");
}

TEST(DateText, ParsesTypedDatesStrictly) {
  EXPECT_EQ(ParseDate("02/03/1999"), DayNumberFromCivil({1999, 2, 3}));
  EXPECT_EQ(ParseDate("2/3/1999"), DayNumberFromCivil({1999, 2, 3}));
  EXPECT_EQ(ParseDate(" 12/31/2000 "), DayNumberFromCivil({2000, 12, 31}));
  EXPECT_EQ(ParseDate("02/29/2000"), DayNumberFromCivil({2000, 2, 29}));
  EXPECT_EQ(ParseDate("01/01/1900"), DayNumberFromCivil({1900, 1, 1}));
  EXPECT_EQ(ParseDate("12/31/2200"), DayNumberFromCivil({2200, 12, 31}));

  for (const char* bad : {"13/45/1999", "02/30/1999", "02/29/1999", "00/10/1999", "10/00/1999", "1/2/99",
                          "1/2/19999", "", "//", "1/2/1999/", "a/b/cdef", "1-2-1999", "01/02/ 1999",
                          "+1/02/1999", "123/1/1999", "12/31/1899", "01/01/1800", "01/01/2201", "12/31/9999",
                          "01/01/0001"}) {
    EXPECT_FALSE(ParseDate(bad).has_value()) << '"' << bad << '"';
  }
}

TEST(DateText, TabsAroundADateAreBlanksToo) {
  EXPECT_EQ(ParseDate("\t 12/31/2000\t"), DayNumberFromCivil({2000, 12, 31}));
  EXPECT_FALSE(ParseDate("12/31/2000\n").has_value());
  EXPECT_FALSE(ParseDate("12/31/\t2000").has_value());
}

TEST(DateText, ImportDatesReadTwoDigitYearsInTheCenturyWindow) {
  const DayNumber today = DayNumberFromCivil({2026, 12, 7});
  EXPECT_EQ(ParseImportDate("02/03/99", today), DayNumberFromCivil({1999, 2, 3}));
  EXPECT_EQ(ParseImportDate("02/03/05", today), DayNumberFromCivil({2005, 2, 3}));
  EXPECT_EQ(ParseImportDate("02/03/75", today), DayNumberFromCivil({2075, 2, 3}));
  EXPECT_EQ(ParseImportDate("02/03/76", today), DayNumberFromCivil({1976, 2, 3}));
  EXPECT_EQ(ParseImportDate("02/03/1999", today), DayNumberFromCivil({1999, 2, 3}));
  EXPECT_EQ(ParseImportDate("2/13/1999", today), DayNumberFromCivil({1999, 2, 13}));
  EXPECT_EQ(ParseImportDate("2/3/1999", today), DayNumberFromCivil({1999, 2, 3}));
  EXPECT_EQ(ParseImportDate("2/3/99", today), DayNumberFromCivil({1999, 2, 3}));
  EXPECT_EQ(ParseImportDate("3/5/26 ", today), DayNumberFromCivil({2026, 3, 5}));
  EXPECT_EQ(ParseImportDate(" 3/05/2026\t", today), DayNumberFromCivil({2026, 3, 5}));
  EXPECT_FALSE(ParseImportDate("3/5/026", today).has_value());
  EXPECT_FALSE(ParseImportDate("3/5/6", today).has_value());
  EXPECT_FALSE(ParseImportDate("3/ 5/26", today).has_value());
  EXPECT_FALSE(ParseImportDate("2/30/26", today).has_value());
  EXPECT_FALSE(ParseImportDate("13/01/99", today).has_value());
  EXPECT_FALSE(ParseImportDate("02-03-99", today).has_value());
}

}  // namespace
}  // namespace pellmark
