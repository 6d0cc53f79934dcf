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

// InsertAll of a batch leaves what inserting its entries one by one leaves
// (an entry whose key came earlier in the batch replacing that one's place),
// and the list stays sound for single inserts and erases after it.
TEST(IndexList, BatchInsertsMatchInsertingEachEntryInTurn) {
  std::mt19937 random(11);
  auto random_key = [&] { return std::string(random() % 2 ? "k" : "K") + std::to_string(random() % 20000); };
  std::vector<IndexEntry> start;
  for (int i = 0; i < 3000; ++i) start.push_back({random_key(), i, 1, 0});
  std::sort(start.begin(), start.end(), [](const IndexEntry& a, const IndexEntry& b) { return CompareKeys(a.key, b.key, false) < 0; });
  start.erase(std::unique(start.begin(), start.end(),
                          [](const IndexEntry& a, const IndexEntry& b) { return CompareKeys(a.key, b.key, false) == 0; }),
              start.end());
  IndexList batched, single;
  batched.Assign(start);
  single.Assign(start);
  int offset = 10000;
  for (int round = 0; round < 30; ++round) {
    std::vector<IndexEntry> batch;
    const int size = 1 + static_cast<int>(random() % 1500);
    for (int i = 0; i < size; ++i) {
      IndexEntry entry{random_key(), offset++, 2, 0};
      if (batched.Find(entry.key).found) continue;
      const auto [found, position] = single.Find(entry.key);
      if (found) {
        single.At(position).offset = entry.offset;
      } else {
        single.Insert(position, entry);
      }
      batch.push_back(std::move(entry));
    }
    const std::uint64_t generation = batched.Generation();
    batched.InsertAll(std::move(batch));
    EXPECT_NE(batched.Generation(), generation);
    ASSERT_EQ(batched.Entries(), single.Entries()) << "round " << round;
    for (int probe = 0; probe < 200; ++probe) {
      const std::string key = random_key();
      ASSERT_EQ(batched.Find(key).position, single.Find(key).position) << key;
      ASSERT_EQ(batched.PrefixEnd(key), single.PrefixEnd(key)) << key;
    }
    for (int change = 0; change < 50; ++change) {
      const std::string key = random_key();
      const auto [found, position] = single.Find(key);
      if (found) {
        single.Erase(position);
        batched.Erase(position);
      } else {
        single.Insert(position, {key, offset, 3, 0});
        batched.Insert(position, {key, offset++, 3, 0});
      }
    }
    ASSERT_EQ(KeysOf(batched), KeysOf(single)) << "round " << round;
  }
}

}  // namespace
}  // namespace pellmark::store
