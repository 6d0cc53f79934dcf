// Keys and filters of the club's stores.
//
//   NameKey(false, "Cash")            -> "_Cash"      (hidden: "~Cash")
//   TranKey(12, 7, 3 Feb 1999)        -> "12_1999_033_00007"
//   UnitKey(7, 3 Feb 1999)            -> "1999_033_00007"
//   OwnerFilter(12)                   -> "12_>"       (every transaction of owner 12)
//   OwnerDateFilter(12, 3 Feb 1999)   -> "12_1999_033_>"
//   CategoryKey("Dues", 11, 1)        -> "Dues_11_D"  (typ 2: "Dues_11_W")
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "club/dates.h"

namespace pellmark {

// Filter that selects the active items of a master store.
inline constexpr std::string_view kActiveFilter = "_>";
// Filters that select income and expense categories.
inline constexpr std::string_view kIncomeCategoryFilter = "<_D";
inline constexpr std::string_view kExpenseCategoryFilter = "<_W";

std::string NameKey(bool hidden, std::string_view name);
std::string TranKey(std::int32_t owner, std::int32_t id, DayNumber date);
std::string UnitKey(std::int32_t id, DayNumber date);
std::string OwnerFilter(std::int32_t owner);
std::string OwnerDateFilter(std::int32_t owner, DayNumber date);
std::string CategoryKey(std::string_view name, std::int32_t catid, std::uint8_t typ);

// The display form of a stored key: the leading "_" of an active item removed,
// hidden items keep their "~".
std::string DisplayName(std::string_view key);

}  // namespace pellmark
