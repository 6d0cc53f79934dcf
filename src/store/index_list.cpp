#include "store/index_list.h"

#include <algorithm>
#include <iterator>

#include "store/key_order.h"

namespace pellmark::store {
namespace {

// Generations are unique across lists, so a list replaced by another never
// looks unchanged.
std::uint64_t NextGeneration() {
  static std::uint64_t last = 0;
  return ++last;
}

}  // namespace

int IndexList::Compare(std::string_view a, std::string_view b) const { return CompareKeys(a, b, case_sensitive_); }

void IndexList::SetCaseSensitive(bool case_sensitive) {
  if (case_sensitive == case_sensitive_) return;
  case_sensitive_ = case_sensitive;
  Assign(Entries());
}

bool IndexList::Assign(std::vector<IndexEntry> entries) {
  auto before = [this](const IndexEntry& a, const IndexEntry& b) { return Compare(a.key, b.key) < 0; };
  const bool sorted = std::is_sorted(entries.begin(), entries.end(), before);
  if (!sorted) std::stable_sort(entries.begin(), entries.end(), before);
  Clear();
  count_ = static_cast<int>(entries.size());
  for (std::size_t start = 0; start < entries.size(); start += kBlockSize) {
    const std::size_t end = std::min(entries.size(), start + kBlockSize);
    starts_.push_back(static_cast<int>(start));
    blocks_.emplace_back(std::make_move_iterator(entries.begin() + static_cast<std::ptrdiff_t>(start)),
                         std::make_move_iterator(entries.begin() + static_cast<std::ptrdiff_t>(end)));
  }
  return !sorted;
}

bool IndexList::Assign(IndexBlocks blocks) {
  const IndexEntry* previous = nullptr;
  for (const auto& block : blocks) {
    if (block.empty() || block.size() > kBlockSize) return Assign(Flatten(std::move(blocks)));
    for (const IndexEntry& entry : block) {
      if (previous != nullptr && Compare(entry.key, previous->key) < 0) return Assign(Flatten(std::move(blocks)));
      previous = &entry;
    }
  }
  Clear();
  for (const auto& block : blocks) {
    starts_.push_back(count_);
    count_ += static_cast<int>(block.size());
  }
  blocks_ = std::move(blocks);
  return false;
}

std::vector<IndexEntry> IndexList::Flatten(IndexBlocks blocks) {
  std::vector<IndexEntry> all;
  for (auto& block : blocks) all.insert(all.end(), std::make_move_iterator(block.begin()), std::make_move_iterator(block.end()));
  return all;
}

void IndexList::Clear() {
  generation_ = NextGeneration();
  blocks_.clear();
  starts_.clear();
  count_ = 0;
}

IndexList::Place IndexList::Locate(int position) const {
  auto after = std::upper_bound(starts_.begin(), starts_.end(), position);
  const auto block = static_cast<std::size_t>(after - starts_.begin()) - 1;
  return {block, static_cast<std::size_t>(position - starts_[block])};
}

const IndexEntry& IndexList::At(int position) const {
  const Place place = Locate(position);
  return blocks_[place.block][place.offset];
}

IndexEntry& IndexList::At(int position) {
  const Place place = Locate(position);
  return blocks_[place.block][place.offset];
}

IndexList::Lookup IndexList::Find(std::string_view key) const {
  auto block = std::partition_point(blocks_.begin(), blocks_.end(), [&](const std::vector<IndexEntry>& b) {
    return Compare(b.back().key, key) < 0;
  });
  if (block == blocks_.end()) return {false, count_};
  auto entry = std::partition_point(block->begin(), block->end(),
                                    [&](const IndexEntry& e) { return Compare(e.key, key) < 0; });
  const auto index = static_cast<std::size_t>(block - blocks_.begin());
  const int position = starts_[index] + static_cast<int>(entry - block->begin());
  return {Compare(entry->key, key) == 0, position};
}

int IndexList::PrefixEnd(std::string_view prefix) const {
  auto within = [&](const IndexEntry& e) {
    return Compare(std::string_view(e.key).substr(0, prefix.size()), prefix) <= 0;
  };
  auto block = std::partition_point(blocks_.begin(), blocks_.end(),
                                    [&](const std::vector<IndexEntry>& b) { return within(b.back()); });
  if (block == blocks_.end()) return count_;
  auto entry = std::partition_point(block->begin(), block->end(), within);
  return starts_[static_cast<std::size_t>(block - blocks_.begin())] + static_cast<int>(entry - block->begin());
}

void IndexList::Insert(int position, IndexEntry entry) {
  generation_ = NextGeneration();
  if (blocks_.empty()) {
    blocks_.emplace_back();
    starts_.push_back(0);
  }
  Place place = position == count_ ? Place{blocks_.size() - 1, blocks_.back().size()} : Locate(position);
  auto& block = blocks_[place.block];
  block.insert(block.begin() + static_cast<std::ptrdiff_t>(place.offset), std::move(entry));
  for (std::size_t b = place.block + 1; b < starts_.size(); ++b) ++starts_[b];
  ++count_;
  if (block.size() >= 2 * kBlockSize) {
    std::vector<IndexEntry> upper(std::make_move_iterator(block.begin() + kBlockSize),
                                  std::make_move_iterator(block.end()));
    block.resize(kBlockSize);
    const int upper_start = starts_[place.block] + static_cast<int>(kBlockSize);
    blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(place.block) + 1, std::move(upper));
    starts_.insert(starts_.begin() + static_cast<std::ptrdiff_t>(place.block) + 1, upper_start);
  }
}

void IndexList::InsertAll(std::vector<IndexEntry> entries) {
  if (entries.empty()) return;
  auto before = [this](const IndexEntry& a, const IndexEntry& b) { return Compare(a.key, b.key) < 0; };
  std::stable_sort(entries.begin(), entries.end(), before);
  std::size_t kept = 0;
  for (std::size_t i = 1; i < entries.size(); ++i) {
    if (Compare(entries[i].key, entries[kept].key) == 0) {
      entries[kept].offset = entries[i].offset;
      entries[kept].size = entries[i].size;
      entries[kept].flags = entries[i].flags;
    } else {
      entries[++kept] = std::move(entries[i]);
    }
  }
  entries.resize(kept + 1);
  if (blocks_.empty()) {
    Assign(std::move(entries));
    return;
  }
  generation_ = NextGeneration();
  IndexBlocks rebuilt;
  rebuilt.reserve(blocks_.size() + entries.size() / kBlockSize + 1);
  std::size_t next = 0;
  for (std::size_t b = 0; b < blocks_.size(); ++b) {
    // A block takes the new entries that come before the next block's first key.
    std::size_t end = next;
    const bool last = b + 1 == blocks_.size();
    while (end < entries.size() && (last || Compare(entries[end].key, blocks_[b + 1].front().key) < 0)) ++end;
    if (end == next) {
      rebuilt.push_back(std::move(blocks_[b]));
      continue;
    }
    std::vector<IndexEntry> merged;
    merged.reserve(blocks_[b].size() + (end - next));
    std::merge(std::make_move_iterator(blocks_[b].begin()), std::make_move_iterator(blocks_[b].end()),
               std::make_move_iterator(entries.begin() + static_cast<std::ptrdiff_t>(next)),
               std::make_move_iterator(entries.begin() + static_cast<std::ptrdiff_t>(end)), std::back_inserter(merged),
               before);
    next = end;
    // Blocks stay below twice the block size, as single inserts keep them.
    if (merged.size() < 2 * kBlockSize) {
      rebuilt.push_back(std::move(merged));
      continue;
    }
    for (std::size_t start = 0; start < merged.size(); start += kBlockSize) {
      const std::size_t stop = std::min(merged.size(), start + kBlockSize);
      rebuilt.emplace_back(std::make_move_iterator(merged.begin() + static_cast<std::ptrdiff_t>(start)),
                           std::make_move_iterator(merged.begin() + static_cast<std::ptrdiff_t>(stop)));
    }
  }
  blocks_ = std::move(rebuilt);
  starts_.clear();
  count_ = 0;
  for (const auto& block : blocks_) {
    starts_.push_back(count_);
    count_ += static_cast<int>(block.size());
  }
}

void IndexList::Erase(int position) {
  generation_ = NextGeneration();
  const Place place = Locate(position);
  auto& block = blocks_[place.block];
  block.erase(block.begin() + static_cast<std::ptrdiff_t>(place.offset));
  for (std::size_t b = place.block + 1; b < starts_.size(); ++b) --starts_[b];
  --count_;
  if (block.empty()) {
    blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(place.block));
    starts_.erase(starts_.begin() + static_cast<std::ptrdiff_t>(place.block));
  }
}

std::vector<IndexEntry> IndexList::Entries() const {
  std::vector<IndexEntry> all;
  all.reserve(static_cast<std::size_t>(count_));
  for (const auto& block : blocks_) all.insert(all.end(), block.begin(), block.end());
  return all;
}

}  // namespace pellmark::store
