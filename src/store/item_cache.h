// Recently used item data, by key, bounded in bytes. The least recently used
// items leave first; an item as large as the whole cache is not kept.
//
//   ItemCache cache(65536);
//   cache.Offer("_smith", data);
//   if (const std::string* hit = cache.Find("_smith")) use(*hit);
//   cache.HitRate()   -> 50   (one insertion, one hit)
#pragma once

#include <cstddef>
#include <functional>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

namespace pellmark::store {

class ItemCache {
 public:
  explicit ItemCache(std::size_t capacity) : capacity_(capacity) {}

  std::size_t Capacity() const { return capacity_; }
  // Changing the capacity empties the cache.
  void SetCapacity(std::size_t capacity);

  const std::string* Find(std::string_view key);
  void Offer(std::string_view key, std::string_view data);
  // Offer for a key that Find has just missed: one search fewer.
  void OfferMissing(std::string_view key, std::string_view data);
  void Remove(std::string_view key);
  void Clear();

  // round(hits × 100 / lookups), where lookups are insertions and hits; 0 before any.
  int HitRate() const;
  void ResetStatistics();
  std::size_t Evictions() const { return evictions_; }
  std::size_t CachedBytes() const { return bytes_; }

 private:
  struct Item;
  using Items = std::list<Item>;
  // Looks keys up by std::string_view without making a std::string.
  struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
  };
  using Slots = std::unordered_map<std::string, Items::iterator, KeyHash, std::equal_to<>>;
  struct Item {
    std::string data;
    Slots::iterator slot;  // holds the key; evicting through it needs no search
  };

  void EvictOldest();

  std::size_t capacity_;
  std::size_t bytes_ = 0;
  Items items_;  // most recently used first
  Slots by_key_;
  // The last evicted item and its map slot, reused by the next offer: a walk
  // through a full cache then inserts without allocating.
  Items spare_item_;
  Slots::node_type spare_slot_;
  std::size_t lookups_ = 0;
  std::size_t hits_ = 0;
  std::size_t evictions_ = 0;
};

}  // namespace pellmark::store
