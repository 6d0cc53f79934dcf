#include <gtest/gtest.h>

#include "store/item_cache.h"

namespace pellmark::store {
namespace {

TEST(ItemCache, EvictsTheLeastRecentlyUsedUntilTheNewItemFits) {
  ItemCache cache(10);
  cache.Offer("a", "1234");
  cache.Offer("b", "1234");
  ASSERT_NE(cache.Find("a"), nullptr);  // "a" is now the most recent
  cache.Offer("c", "1234");
  EXPECT_EQ(cache.Find("b"), nullptr);
  EXPECT_EQ(*cache.Find("a"), "1234");
  EXPECT_EQ(*cache.Find("c"), "1234");
  EXPECT_EQ(cache.Evictions(), 1u);
  EXPECT_EQ(cache.CachedBytes(), 8u);
}

TEST(ItemCache, KeepsOnlyItemsSmallerThanItsCapacity) {
  ItemCache cache(4);
  cache.Offer("a", "1234");
  EXPECT_EQ(cache.Find("a"), nullptr);
  cache.Offer("b", "123");
  EXPECT_NE(cache.Find("b"), nullptr);
}

TEST(ItemCache, HitRateCountsInsertionsAndHitsAndRounds) {
  ItemCache cache(100);
  EXPECT_EQ(cache.HitRate(), 0);
  cache.Offer("a", "x");
  cache.Find("a");
  cache.Find("a");
  EXPECT_EQ(cache.HitRate(), 67);  // 2 of 3
  cache.Find("missing");           // a miss is not a lookup
  EXPECT_EQ(cache.HitRate(), 67);
  cache.ResetStatistics();
  EXPECT_EQ(cache.HitRate(), 0);
}

TEST(ItemCache, ChangingTheCapacityEmptiesIt) {
  ItemCache cache(100);
  cache.Offer("a", "x");
  cache.SetCapacity(50);
  EXPECT_EQ(cache.Find("a"), nullptr);
  EXPECT_EQ(cache.CachedBytes(), 0u);
}

}  // namespace
}  // namespace pellmark::store
