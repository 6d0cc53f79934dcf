#include "forms/date_spin.h"

#include <array>
#include <stdexcept>

namespace pellmark {
namespace {

// The date with the day kept when the month has it, else the 1st.
DayNumber KeepDayOr1st(int year, int month, int day) {
  if (day > DaysInMonth(year, month)) day = 1;
  return DayNumberFromCivil({year, month, day});
}

}  // namespace

SpunDate SpinDate(DayNumber date, SpinMode mode, int step) {
  CivilDate shown = CivilFromDayNumber(date);
  int year = shown.year;
  int month = shown.month;
  int day = shown.day;
  switch (mode) {
    case SpinMode::kDay: {
      const int next = day + step;
      if (next >= 1 && next <= DaysInMonth(year, month)) return {DayNumberFromCivil({year, month, next}), false};
      if (next < 1) {
        if (--month < 1) {
          month = 12;
          --year;
        }
        day = DaysInMonth(year, month);
      } else {
        if (++month > 12) {
          month = 1;
          ++year;
        }
        day = 1;
      }
      return {DayNumberFromCivil({year, month, day}), year != shown.year};
    }
    case SpinMode::kMonth:
      month += step;
      if (month > 12) {
        month = 1;
        ++year;
      } else if (month < 1) {
        month = 12;
        --year;
      }
      return {KeepDayOr1st(year, month, day), year != shown.year};
    case SpinMode::kYear:
      return {KeepDayOr1st(year + step, month, day), true};
  }
  throw std::invalid_argument("unknown spin mode");
}

std::string MonthName(int month) {
  static constexpr std::array<const char*, 12> kNames = {"January", "February", "March",     "April",
                                                         "May",     "June",     "July",      "August",
                                                         "September", "October", "November", "December"};
  if (month < 1 || month > 12) throw std::out_of_range("month out of range");
  return kNames[static_cast<std::size_t>(month - 1)];
}

}  // namespace pellmark
