// The arithmetic behind the three spin buttons of a date entry group (day, month,
// year) and the month names its label shows.
//
//   SpunDate next = SpinDate(DayNumberFromCivil({1999, 12, 31}), SpinMode::kDay, +1);
//   FormatDate(next.date) -> "01/01/2000", next.year_changed -> true
//   MonthName(2)          -> "February"
#pragma once

#include <string>

#include "club/dates.h"

namespace pellmark {

enum class SpinMode { kDay, kMonth, kYear };

struct SpunDate {
  DayNumber date = 0;
  // True when the year moved; a year spin always counts as a change of year.
  bool year_changed = false;
};

// Moves `date` one step (+1 or -1) by day, month or year:
// - day: past the month's end to the 1st of the next month, before the 1st to the
//   last day of the previous month;
// - month: wraps between January and December with a change of year;
// - month and year keep the day when the new month has it, else take the 1st
//   (31 January plus one month gives 1 February, 29 February plus one year 1 February).
SpunDate SpinDate(DayNumber date, SpinMode mode, int step);

// The full English name of a month, 1..12 ("January").
std::string MonthName(int month);

}  // namespace pellmark
