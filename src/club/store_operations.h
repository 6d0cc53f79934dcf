// The category helpers the session and the ledgers share, and the display
// form of key lists.
//
//   AddPredefinedCategories(club.categories);      // an empty category store at start-up
//   ListCategoryNames(club.categories, kIncomeCategoryFilter);
//   std::vector<std::string> names = DisplayNames(keys);
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "club/keys.h"
#include "club/records.h"
#include "club/table.h"

namespace pellmark {

// The keys for display (the leading "_" removed); position i of both lists is
// the same item.
std::vector<std::string> DisplayNames(const std::vector<std::string>& keys);

// The category names of the keys `filter` selects (each key cut at its first "_").
std::vector<std::string> ListCategoryNames(Table<TCategoryRec>& categories, std::string_view filter);

// Stores a category under name + "_" + catid + "_D" (income) or "_W" (any other typ).
void AddCategory(std::int32_t catid, std::uint8_t typ, bool tax, std::string_view name,
                 Table<TCategoryRec>& categories);

// Adds the ten predefined categories; used when the category store is empty at
// start-up.
void AddPredefinedCategories(Table<TCategoryRec>& categories);

}  // namespace pellmark
