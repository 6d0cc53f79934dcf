#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "store/index_list.h"
#include "store/key_order.h"

namespace pellmark::store {
namespace {

std::vector<std::string> KeysOf(const IndexList& list) {
  std::vector<std::string> keys;
  for (int i = 0; i < list.Count(); ++i) keys.emplace_back(list.At(i).key);
  return keys;
}

TEST(IndexList, FindsTheFirstEqualKeyOrWhereItWouldGo) {
  IndexList list;
  list.Assign({{"a", 0, 1, 0}, {"c", 1, 1, 0}, {"e", 2, 1, 0}});
  EXPECT_EQ(list.Find("C").found, true);
  EXPECT_EQ(list.Find("C").position, 1);
  EXPECT_EQ(list.Find("d").found, false);
  EXPECT_EQ(list.Find("d").position, 2);
  EXPECT_EQ(list.Find("z").position, 3);
  EXPECT_EQ(list.Find("").position, 0);
}

TEST(IndexList, AssignSortsOnlyWhenOutOfOrder) {
  IndexList list;
  EXPECT_FALSE(list.Assign({{"a"}, {"B"}, {"c"}}));
  EXPECT_TRUE(list.Assign({{"c"}, {"a"}, {"B"}}));
  EXPECT_EQ(KeysOf(list), (std::vector<std::string>{"a", "B", "c"}));
  list.SetCaseSensitive(true);
  EXPECT_EQ(KeysOf(list), (std::vector<std::string>{"B", "a", "c"}));
}

TEST(IndexList, AssignTakesBlocksInOrderAsTheyAre) {
  IndexList list;
  EXPECT_FALSE(list.Assign(IndexBlocks{{{"a"}}, {{"B"}, {"c"}}}));
  EXPECT_EQ(KeysOf(list), (std::vector<std::string>{"a", "B", "c"}));
  EXPECT_EQ(list.Find("c").position, 2);
  list.Insert(1, {"ab"});
  EXPECT_EQ(KeysOf(list), (std::vector<std::string>{"a", "ab", "B", "c"}));
}

TEST(IndexList, AssignSortsBlocksOutOfOrderAcrossABlockBoundary) {
  IndexList list;
  EXPECT_TRUE(list.Assign(IndexBlocks{{{"a"}, {"d"}}, {{"c"}, {"e"}}}));
  EXPECT_EQ(KeysOf(list), (std::vector<std::string>{"a", "c", "d", "e"}));
  EXPECT_EQ(list.Find("d").position, 2);
}

TEST(IndexList, RandomInsertsAndErasesMatchASortedVector) {
  std::mt19937 random(7);
  IndexList list;
  std::vector<std::string> expected;
  for (int step = 0; step < 20000; ++step) {
    const std::string key = "k" + std::to_string(random() % 5000);
    const auto [found, position] = list.Find(key);
    auto at = std::lower_bound(expected.begin(), expected.end(), key,
                               [](const std::string& a, const std::string& b) { return CompareKeys(a, b, false) < 0; });
    ASSERT_EQ(position, at - expected.begin());
    if (found) {
      list.Erase(position);
      expected.erase(at);
    } else {
      list.Insert(position, {key, step, 0, 0});
      expected.insert(at, key);
    }
  }
  EXPECT_EQ(KeysOf(list), expected);
  EXPECT_EQ(list.Entries().size(), expected.size());
}

TEST(IndexList, PrefixEndsCloseTheRunOfKeysWithThatPrefix) {
  IndexList list;
  list.Assign({{"1_a"}, {"1_b"}, {"12_a"}, {"2_a"}, {"2_b"}, {"3"}});
  // "12_a" sorts before "1_a" ("2" before "_"), so reorder by the store's comparison first.
  EXPECT_EQ(KeysOf(list), (std::vector<std::string>{"12_a", "1_a", "1_b", "2_a", "2_b", "3"}));
  EXPECT_EQ(list.Find("1_").position, 1);
  EXPECT_EQ(list.PrefixEnd("1_"), 3);
  EXPECT_EQ(list.Find("2_").position, 3);
  EXPECT_EQ(list.PrefixEnd("2_"), 5);
  EXPECT_EQ(list.PrefixEnd("9"), 6);
  EXPECT_EQ(list.PrefixEnd(""), 6);
}

}  // namespace
}  // namespace pellmark::store
