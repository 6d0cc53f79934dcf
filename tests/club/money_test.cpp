#include "club/money.h"

#include <gtest/gtest.h>

#include <cmath>

namespace pellmark {
namespace {

TEST(Money, RoundsToCentsAsTheDecimalTextReads) {
  EXPECT_EQ(RoundCents(61.725), 61.73);  // held as 61.72499999…
  EXPECT_EQ(RoundCents(-61.725), -61.73);
  EXPECT_EQ(RoundCents(12.344999), 12.34);
  EXPECT_EQ(RoundCents(1e-300), 0.0);
  EXPECT_FALSE(std::signbit(RoundCents(-0.001)));
  // Large figures keep their cents: a nudge relative to the figure would add
  // a dollar near the largest amount.
  EXPECT_EQ(RoundCents(999999999999.99), 999999999999.99);
  EXPECT_EQ(RoundCents(-123456789012.34), -123456789012.34);
  EXPECT_EQ(RoundCents(98765432.125), 98765432.13);
  EXPECT_EQ(RoundCents(5000000000.005), 5000000000.01);
}

TEST(Money, ComparesAtCents) {
  EXPECT_TRUE(IsZeroMoney(10.10 + 20.20 - 30.30));
  EXPECT_NE(10.10 + 20.20 - 30.30, 0.0);
  EXPECT_TRUE(SameMoney(30.30, 10.10 + 20.20));
  EXPECT_FALSE(SameMoney(30.30, 30.31));
  EXPECT_FALSE(IsZeroMoney(0.005));
  EXPECT_TRUE(IsZeroMoney(0.0049));
}

}  // namespace
}  // namespace pellmark
