// The benchmark's data set: keys of the transaction form (owner _ year _ day _ id,
// "12_1999_033_00007"), 100 per owner, and 57-byte values, all from a fixed seed.
//
//   BenchData data(100'000);
//   data.keys[i], data.values[i]   // item i; data.insert_order shuffles them
#pragma once

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace pellmark::bench {

inline constexpr int kItemsPerOwner = 100;
inline constexpr std::size_t kValueSize = 57;

struct BenchData {
  explicit BenchData(int count) {
    std::mt19937_64 random(20240601);
    keys.reserve(static_cast<std::size_t>(count));
    values.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
      char key[32];
      std::snprintf(key, sizeof key, "%d_%04d_%03d_%05d", i / kItemsPerOwner + 1, 1990 + static_cast<int>(random() % 20),
                    static_cast<int>(random() % 365), i % 100000);
      keys.emplace_back(key);
      std::string value(kValueSize, '\0');
      for (char& c : value) c = static_cast<char>(random());
      values.push_back(std::move(value));
    }
    insert_order.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) insert_order[static_cast<std::size_t>(i)] = i;
    std::shuffle(insert_order.begin(), insert_order.end(), random);
    lookup_order = insert_order;
    std::shuffle(lookup_order.begin(), lookup_order.end(), random);
  }

  std::vector<std::string> keys;
  std::vector<std::string> values;
  std::vector<int> insert_order;
  std::vector<int> lookup_order;
};

}  // namespace pellmark::bench
