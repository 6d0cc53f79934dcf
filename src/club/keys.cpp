#include "club/keys.h"

#include <charconv>
#include <cmath>
#include <fmt/format.h>

#include "club/record_kinds.h"

namespace pellmark {
namespace {

// "yyyy_ddd": the year and the day within it.
std::string DatePart(DayNumber date) {
  return fmt::format("{}_{:03}", CivilFromDayNumber(date).year, DayOfYear(date));
}

// Appends `value` with at least `width` characters, zeros after any sign, as
// the format "{:0<width>}" writes it.
void AppendNumber(std::string& out, std::int64_t value, std::size_t width) {
  char digits[24];
  const auto written = std::to_chars(digits, digits + sizeof digits, value < 0 ? -value : value).ptr - digits;
  const std::size_t length = static_cast<std::size_t>(written) + (value < 0 ? 1 : 0);
  if (value < 0) out += '-';
  if (length < width) out.append(width - length, '0');
  out.append(digits, static_cast<std::size_t>(written));
}

}  // namespace

std::string NameKey(bool hidden, std::string_view name) {
  return (hidden ? "~" : "_") + std::string(name);
}

std::string TranKey(std::int32_t owner, std::int32_t id, DayNumber date) {
  // Written by hand, not formatted: a sale of many lots makes a key per record.
  const int year = CivilFromDayNumber(date).year;
  const int day = static_cast<int>(std::floor(date) - DayNumberFromCivil({year, 1, 1}));
  std::string key;
  key.reserve(24);
  AppendNumber(key, owner, 0);
  key += '_';
  AppendNumber(key, year, 0);
  key += '_';
  AppendNumber(key, day, 3);
  key += '_';
  AppendNumber(key, id, 5);
  return key;
}

std::string UnitKey(std::int32_t id, DayNumber date) { return fmt::format("{}_{:05}", DatePart(date), id); }

std::string OwnerFilter(std::int32_t owner) { return fmt::format("{}_>", owner); }

std::string OwnerDateFilter(std::int32_t owner, DayNumber date) {
  return fmt::format("{}_{}_>", owner, DatePart(date));
}

std::string CategoryKey(std::string_view name, std::int32_t catid, std::uint8_t typ) {
  return fmt::format("{}_{}_{}", name.substr(0, 25), catid, typ == Code(CategoryKind::Income) ? "D" : "W");
}

std::string DisplayName(std::string_view key) {
  if (!key.empty() && key.front() == '_') key.remove_prefix(1);
  return std::string(key);
}

}  // namespace pellmark
