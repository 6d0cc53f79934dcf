#include "store/item_cache.h"

namespace pellmark::store {

void ItemCache::SetCapacity(std::size_t capacity) {
  capacity_ = capacity;
  Clear();
}

const std::string* ItemCache::Find(std::string_view key) {
  auto found = by_key_.find(key);
  if (found == by_key_.end()) return nullptr;
  ++lookups_;
  ++hits_;
  items_.splice(items_.begin(), items_, found->second);
  return &found->second->data;
}

void ItemCache::Offer(std::string_view key, std::string_view data) {
  Remove(key);
  OfferMissing(key, data);
}

void ItemCache::OfferMissing(std::string_view key, std::string_view data) {
  if (data.size() >= capacity_) return;
  while (bytes_ + data.size() > capacity_) EvictOldest();
  if (spare_item_.empty()) {
    items_.emplace_front();
  } else {
    items_.splice(items_.begin(), spare_item_);
  }
  Item& item = items_.front();
  item.data.assign(data);
  if (spare_slot_.empty()) {
    item.slot = by_key_.emplace(std::string(key), items_.begin()).first;
  } else {
    spare_slot_.key() = key;
    spare_slot_.mapped() = items_.begin();
    item.slot = by_key_.insert(std::move(spare_slot_)).position;
  }
  bytes_ += data.size();
  ++lookups_;
}

void ItemCache::Remove(std::string_view key) {
  auto found = by_key_.find(key);
  if (found == by_key_.end()) return;
  bytes_ -= found->second->data.size();
  items_.erase(found->second);
  by_key_.erase(found);
}

void ItemCache::EvictOldest() {
  const Item& oldest = items_.back();
  bytes_ -= oldest.data.size();
  spare_slot_ = by_key_.extract(oldest.slot);
  spare_item_.clear();
  spare_item_.splice(spare_item_.begin(), items_, std::prev(items_.end()));
  ++evictions_;
}

void ItemCache::Clear() {
  items_.clear();
  by_key_.clear();
  spare_item_.clear();
  spare_slot_ = {};
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
