// One entry of a store's index: the item's key and where its data lies in the
// data section.
//
//   IndexEntry entry{"12_1999_033_00007", 0, 57, 0};
//   entry.IsAdministrative()  -> false
#pragma once

#include <cstdint>

#include "store/entry_key.h"

namespace pellmark::store {

inline constexpr std::int32_t kFlagAdministrative = 1;
inline constexpr std::int32_t kFlagCompressed = 2;
inline constexpr std::size_t kMaxKeyLength = 255;

struct IndexEntry {
  EntryKey key;
  std::int32_t offset = 0;
  std::int32_t size = 0;
  std::int32_t flags = 0;

  bool IsAdministrative() const { return (flags & kFlagAdministrative) != 0; }
  friend bool operator==(const IndexEntry&, const IndexEntry&) = default;
};

}  // namespace pellmark::store
