#include "store/item_cache.h"

namespace pellmark::store {

void ItemCache::SetCapacity(std::size_t capacity) {
  capacity_ = capacity;
  Clear();
}

const std::string* ItemCache::Find(const std::string& key) {
  auto found = by_key_.find(key);
  if (found == by_key_.end()) return nullptr;
  ++lookups_;
  ++hits_;
  items_.splice(items_.begin(), items_, found->second);
  return &found->second->data;
}

void ItemCache::Offer(const std::string& key, std::string_view data) {
  Remove(key);
  if (data.size() >= capacity_) return;
  while (bytes_ + data.size() > capacity_) EvictOldest();
  items_.push_front({key, std::string(data)});
  by_key_[key] = items_.begin();
  bytes_ += data.size();
  ++lookups_;
}

void ItemCache::Remove(const std::string& key) {
  auto found = by_key_.find(key);
  if (found == by_key_.end()) return;
  bytes_ -= found->second->data.size();
  items_.erase(found->second);
  by_key_.erase(found);
}

void ItemCache::EvictOldest() {
  const Item& oldest = items_.back();
  bytes_ -= oldest.data.size();
  by_key_.erase(oldest.key);
  items_.pop_back();
  ++evictions_;
}

void ItemCache::Clear() {
  items_.clear();
  by_key_.clear();
  bytes_ = 0;
}

int ItemCache::HitRate() const {
  if (lookups_ == 0) return 0;
  return static_cast<int>((hits_ * 100 + lookups_ / 2) / lookups_);
}

void ItemCache::ResetStatistics() {
  lookups_ = 0;
  hits_ = 0;
  evictions_ = 0;
}

}  // namespace pellmark::store
