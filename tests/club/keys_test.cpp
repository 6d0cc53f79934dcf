#include "club/keys.h"

#include <gtest/gtest.h>

namespace pellmark {
namespace {

DayNumber Day(int y, int m, int d) { return DayNumberFromCivil({y, m, d}); }

TEST(Keys, NameKeysMarkActiveAndHiddenItems) {
  EXPECT_EQ(NameKey(false, "Smith, Ann"), "_Smith, Ann");
  EXPECT_EQ(NameKey(true, "Smith, Ann"), "~Smith, Ann");
  EXPECT_EQ(DisplayName("_Smith, Ann"), "Smith, Ann");
  EXPECT_EQ(DisplayName("~Smith, Ann"), "~Smith, Ann");
}

TEST(Keys, TransactionKeysCarryOwnerYearDayAndId) {
  EXPECT_EQ(TranKey(12, 7, Day(1999, 2, 3)), "12_1999_033_00007");
  EXPECT_EQ(TranKey(1, 0, Day(1999, 1, 1)), "1_1999_000_00000");
  EXPECT_EQ(TranKey(3, 12, Day(2000, 12, 31)), "3_2000_365_00012");
  EXPECT_EQ(TranKey(3, 123456, Day(2001, 12, 31)), "3_2001_364_123456");
  EXPECT_EQ(TranKey(-2, -1, Day(2004, 12, 31)), "-2_2004_365_-0001");
  EXPECT_EQ(UnitKey(7, Day(1999, 2, 3)), "1999_033_00007");
}

TEST(Keys, FiltersSelectAnOwnerOrAnOwnerOnADay) {
  EXPECT_EQ(OwnerFilter(1), "1_>");
  EXPECT_EQ(OwnerFilter(12), "12_>");
  EXPECT_EQ(OwnerDateFilter(12, Day(1999, 2, 3)), "12_1999_033_>");
}

TEST(Keys, CategoryKeysEndInDepositOrWithdrawal) {
  EXPECT_EQ(CategoryKey("Dividend Income", 2, 1), "Dividend Income_2_D");
  EXPECT_EQ(CategoryKey("Investments", 7, 2), "Investments_7_W");
  EXPECT_EQ(CategoryKey("Odd", 11, 0), "Odd_11_W");
  EXPECT_EQ(CategoryKey("A category name longer than 25", 12, 1), "A category name longer th_12_D");
}

}  // namespace
}  // namespace pellmark
