#include "store/key_list.h"

#include <algorithm>

#include "store/key_order.h"

namespace pellmark::store {
namespace {

bool Before(const std::string& a, const std::string& b) { return CompareKeys(a, b, false) < 0; }

}  // namespace

void KeyList::SetSorted(bool sorted) {
  if (sorted && !sorted_) std::stable_sort(keys_.begin(), keys_.end(), Before);
  sorted_ = sorted;
}

void KeyList::Add(std::string key) {
  if (!sorted_) {
    keys_.push_back(std::move(key));
    return;
  }
  keys_.insert(std::upper_bound(keys_.begin(), keys_.end(), key, Before), std::move(key));
}

}  // namespace pellmark::store
