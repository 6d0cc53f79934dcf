// The store's index in memory: entries in ascending key order with positions
// 0..Count()-1, found by binary search. Entries live in blocks of a few hundred
// so that inserting or removing one moves a block, not the whole index.
//
//   IndexList list(/*case_sensitive=*/false);
//   list.Assign(std::move(entries));            // sorted once when out of order
//   list.Assign(std::move(blocks));             // the same, block by block
//   auto [found, position] = list.Find("_SMITH");
//   if (!found) list.Insert(position, {"_smith", 0, 10, 0});
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "store/index_entry.h"

namespace pellmark::store {

// Entries in ascending order, cut into blocks of at most IndexList::kBlockSize.
using IndexBlocks = std::vector<std::vector<IndexEntry>>;

class IndexList {
 public:
  static constexpr std::size_t kBlockSize = 256;

  struct Lookup {
    bool found = false;
    int position = 0;  // of the first equal key, or where the key would go
  };

  explicit IndexList(bool case_sensitive = false) : case_sensitive_(case_sensitive) {}

  bool CaseSensitive() const { return case_sensitive_; }
  // Changing the comparison re-sorts the entries.
  void SetCaseSensitive(bool case_sensitive);

  // Takes entries meant to be ascending; when they are not (a file written
  // under another collation), sorts them once so that search still works.
  // Returns whether a sort was needed.
  bool Assign(std::vector<IndexEntry> entries);
  // The same for entries already cut into blocks (as the index loader makes
  // them): in order, the blocks become the list's own without a copy.
  bool Assign(IndexBlocks blocks);
  void Clear();

  int Count() const { return count_; }
  // Changes with every insert, erase or assignment, and differs from every
  // other list's: a walk that holds positions knows whether they still stand.
  std::uint64_t Generation() const { return generation_; }
  bool Empty() const { return count_ == 0; }
  const IndexEntry& At(int position) const;
  IndexEntry& At(int position);

  Lookup Find(std::string_view key) const;
  // First position whose key does not begin with `prefix`, among those from
  // Find(prefix).position on (keys with one prefix lie together).
  int PrefixEnd(std::string_view prefix) const;

  void Insert(int position, IndexEntry entry);
  // Inserts entries whose keys the list does not hold, given in any order, in
  // one pass over the blocks they fall into: a batch moves each block it
  // touches once, not once per entry. Of entries with equal keys the first's
  // key stands with the last's offset, size and flags, as if each had been
  // stored in turn.
  void InsertAll(std::vector<IndexEntry> entries);
  void Erase(int position);

  // Every entry in ascending order.
  std::vector<IndexEntry> Entries() const;
  // Calls `visit` with every entry from the last to the first, block by block
  // (no search per position).
  template <class Visit>
  void ForEachDescending(Visit&& visit) const {
    for (auto block = blocks_.rbegin(); block != blocks_.rend(); ++block) {
      for (auto entry = block->rbegin(); entry != block->rend(); ++entry) visit(*entry);
    }
  }

 private:
  struct Place {
    std::size_t block;
    std::size_t offset;
  };
  Place Locate(int position) const;
  static std::vector<IndexEntry> Flatten(IndexBlocks blocks);
  int Compare(std::string_view a, std::string_view b) const;

  bool case_sensitive_;
  int count_ = 0;
  std::uint64_t generation_ = 0;
  std::vector<std::vector<IndexEntry>> blocks_;
  std::vector<int> starts_;  // position of each block's first entry
};

}  // namespace pellmark::store
