// Recently used item data, by key, bounded in bytes. The least recently used
// items leave first; an item as large as the whole cache is not kept.
//
//   ItemCache cache(65536);
//   cache.Offer("_smith", data);
//   if (const std::string* hit = cache.Find("_smith")) use(*hit);
//   cache.HitRate()   -> 50   (one insertion, one hit)
#pragma once

#include <cstddef>
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

  const std::string* Find(const std::string& key);
  void Offer(const std::string& key, std::string_view data);
  void Remove(const std::string& key);
  void Clear();

  // round(hits × 100 / lookups), where lookups are insertions and hits; 0 before any.
  int HitRate() const;
  void ResetStatistics();
  std::size_t Evictions() const { return evictions_; }
  std::size_t CachedBytes() const { return bytes_; }

 private:
  struct Item {
    std::string key;
    std::string data;
  };

  void EvictOldest();

  std::size_t capacity_;
  std::size_t bytes_ = 0;
  std::list<Item> items_;  // most recently used first
  std::unordered_map<std::string, std::list<Item>::iterator> by_key_;
  std::size_t lookups_ = 0;
  std::size_t hits_ = 0;
  std::size_t evictions_ = 0;
};

}  // namespace pellmark::store
