// Dates of the club's books: day numbers (doubles) counting days since
// 30 December 1899, so 1 January 1900 is 2.0. Stored dates are whole days.
//
//   DayNumber d = DayNumberFromCivil({1999, 2, 3});
//   FormatDate(d)        -> "02/03/1999"
//   DayOfYear(d)         -> 33   (1 January is 0)
//   ParseDate("13/45/1999") -> std::nullopt
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pellmark {

using DayNumber = double;

struct CivilDate {
  int year = 1900;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// Day number of a calendar date; the date must be valid.
DayNumber DayNumberFromCivil(const CivilDate& date);

// Calendar date of the whole day of `day` (any fraction, the time of day, is dropped).
CivilDate CivilFromDayNumber(DayNumber day);

bool IsValidCivil(const CivilDate& date);
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Whole days since 1 January of the same year: 1 January is 0, 31 December of a leap year 365.
int DayOfYear(DayNumber day);

// "mm/dd/yyyy" with leading zeros.
std::string FormatDate(DayNumber day);

// The years a club's books can hold; a typed date outside them is a slip, and
// its day of the year would not fit the keys.
inline constexpr int kEarliestYear = 1900;
inline constexpr int kLatestYear = 2200;

// Strict reading of a typed date: month/day/year with one or two digits for month
// and day and four for the year, surrounding blanks allowed; anything else, a day
// that does not exist ("02/30/1999", "13/45/1999"), or a year outside
// kEarliestYear..kLatestYear ("01/01/1800"), gives nullopt.
std::optional<DayNumber> ParseDate(std::string_view text);

// Date field of the price import: month/day/year with one or two digits for month
// and day, blanks around allowed. A two-digit year is taken within the 100 years
// centred on the year of `today` (the platform's century window); any other year
// is read as ParseDate reads it: "3/5/26", "03/05/2026 " and "3/5/2026" are one day.
std::optional<DayNumber> ParseImportDate(std::string_view text, DayNumber today);

}  // namespace pellmark
