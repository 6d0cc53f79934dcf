// A list of keys that can keep itself sorted (the store's key order, without
// regard to letter case) or keep the order keys were added in.
//
//   KeyList names(/*sorted=*/true);
//   names.Add("_zed");  names.Add("_abe");   // Items(): "_abe", "_zed"
//   store.GetKeys(names);                     // filled in store order, still sorted after
#pragma once

#include <string>
#include <vector>

namespace pellmark::store {

class KeyList {
 public:
  explicit KeyList(bool sorted = false) : sorted_(sorted) {}

  bool Sorted() const { return sorted_; }
  // Switching sorting on sorts the keys held.
  void SetSorted(bool sorted);

  void Add(std::string key);
  void Clear() { keys_.clear(); }
  const std::vector<std::string>& Items() const { return keys_; }

 private:
  bool sorted_;
  std::vector<std::string> keys_;
};

}  // namespace pellmark::store
