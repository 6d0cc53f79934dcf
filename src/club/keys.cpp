#include "club/keys.h"

#include <fmt/format.h>

#include "club/record_kinds.h"

namespace pellmark {
namespace {

// "yyyy_ddd": the year and the day within it.
std::string DatePart(DayNumber date) {
  return fmt::format("{}_{:03}", CivilFromDayNumber(date).year, DayOfYear(date));
}

}  // namespace

std::string NameKey(bool hidden, std::string_view name) {
  return (hidden ? "~" : "_") + std::string(name);
}

std::string TranKey(std::int32_t owner, std::int32_t id, DayNumber date) {
  return fmt::format("{}_{}_{:05}", owner, DatePart(date), id);
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
