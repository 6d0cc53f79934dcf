#include "club/dates.h"

#include <array>
#include <chrono>
#include <cmath>
#include <fmt/format.h>

#include "club/number_parse.h"

namespace pellmark {
namespace {

namespace chr = std::chrono;

// 30 December 1899 as days since the Unix epoch.
constexpr int kEpochOffset = -25569;

std::optional<int> ReadNumber(std::string_view text, std::size_t min_digits, std::size_t max_digits) {
  if (text.size() < min_digits || text.size() > max_digits) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// Splits "a/b/c" into its three parts; nullopt unless there are exactly three.
std::optional<std::array<std::string_view, 3>> SplitSlashes(std::string_view text) {
  std::array<std::string_view, 3> parts;
  for (int i = 0; i < 2; ++i) {
    auto slash = text.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    parts[i] = text.substr(0, slash);
    text.remove_prefix(slash + 1);
  }
  if (text.find('/') != std::string_view::npos) return std::nullopt;
  parts[2] = text;
  return parts;
}

std::optional<DayNumber> FromParts(int year, int month, int day) {
  CivilDate date{year, month, day};
  if (!IsValidCivil(date)) return std::nullopt;
  return DayNumberFromCivil(date);
}

}  // namespace

bool IsLeapYear(int year) { return chr::year(year).is_leap(); }

int DaysInMonth(int year, int month) {
  auto last = chr::year_month_day_last(chr::year(year), chr::month_day_last(chr::month(month)));
  return static_cast<int>(static_cast<unsigned>(last.day()));
}

bool IsValidCivil(const CivilDate& date) {
  if (date.year < 1 || date.year > 9999) return false;
  return chr::year_month_day(chr::year(date.year), chr::month(date.month), chr::day(date.day)).ok();
}

DayNumber DayNumberFromCivil(const CivilDate& date) {
  chr::sys_days days{chr::year(date.year) / chr::month(date.month) / chr::day(date.day)};
  return static_cast<double>(days.time_since_epoch().count() - kEpochOffset);
}

CivilDate CivilFromDayNumber(DayNumber day) {
  auto whole = static_cast<int>(std::floor(day));
  chr::year_month_day ymd{chr::sys_days{chr::days{whole + kEpochOffset}}};
  return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
          static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

int DayOfYear(DayNumber day) {
  CivilDate date = CivilFromDayNumber(day);
  return static_cast<int>(std::floor(day) - DayNumberFromCivil({date.year, 1, 1}));
}

std::string FormatDate(DayNumber day) {
  CivilDate date = CivilFromDayNumber(day);
  return fmt::format("{:02}/{:02}/{:04}", date.month, date.day, date.year);
}

std::optional<DayNumber> ParseDate(std::string_view text) {
  auto parts = SplitSlashes(TrimBlanks(text, kSpacesAndTabs));
  if (!parts) return std::nullopt;
  auto month = ReadNumber((*parts)[0], 1, 2);
  auto day = ReadNumber((*parts)[1], 1, 2);
  auto year = ReadNumber((*parts)[2], 4, 4);
  if (!month || !day || !year || *year < kEarliestYear || *year > kLatestYear) return std::nullopt;
  return FromParts(*year, *month, *day);
}

std::optional<DayNumber> ParseImportDate(std::string_view text, DayNumber today) {
  const std::string_view trimmed = TrimBlanks(text, kSpacesAndTabs);
  auto parts = SplitSlashes(trimmed);
  if (!parts) return std::nullopt;
  if ((*parts)[2].size() != 2) return ParseDate(trimmed);
  auto month = ReadNumber((*parts)[0], 1, 2);
  auto day = ReadNumber((*parts)[1], 1, 2);
  auto short_year = ReadNumber((*parts)[2], 2, 2);
  if (!month || !day || !short_year) return std::nullopt;
  // The window runs from 50 years before this year to 49 years after it.
  int window_start = CivilFromDayNumber(today).year - 50;
  int year = window_start - window_start % 100 + *short_year;
  if (year < window_start) year += 100;
  return FromParts(year, *month, *day);
}

}  // namespace pellmark
