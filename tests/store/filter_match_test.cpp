#include <gtest/gtest.h>

#include "store/filter_match.h"

namespace pellmark::store {
namespace {

TEST(FilterMatch, APlainPatternMustBeginAndEndTheKey) {
  FilterPattern f("ab", false);
  EXPECT_TRUE(f.Passes("ab"));
  EXPECT_TRUE(f.Passes("AB"));
  EXPECT_TRUE(f.Passes("abxab"));
  EXPECT_FALSE(f.Passes("abx"));
  EXPECT_FALSE(f.Passes("xab"));
  EXPECT_FALSE(f.Prefix().has_value());
}

TEST(FilterMatch, AnglesLooseTheirEnd) {
  EXPECT_TRUE(FilterPattern("_>", false).Passes("_smith"));
  EXPECT_FALSE(FilterPattern("_>", false).Passes("~smith"));
  EXPECT_TRUE(FilterPattern("<_D", false).Passes("food_12_D"));
  EXPECT_FALSE(FilterPattern("<_D", false).Passes("food_12_W"));
  EXPECT_TRUE(FilterPattern("<mi>", false).Passes("_smith"));
  EXPECT_FALSE(FilterPattern("<mi>", false).Passes("_jones"));
}

TEST(FilterMatch, EmptyPatternsPassEverything) {
  EXPECT_TRUE(FilterPattern(">", false).PassesAll());
  EXPECT_TRUE(FilterPattern("<", false).PassesAll());
  EXPECT_TRUE(FilterPattern("<>", false).Passes("anything"));
  EXPECT_FALSE(FilterPattern("a", false).PassesAll());
}

TEST(FilterMatch, OnlyATrailingAngleIsRemoved) {
  FilterPattern f("a>b", false);  // ">" is not last: it is part of the text
  EXPECT_TRUE(f.Passes("a>bzz"));
  EXPECT_FALSE(f.Passes("abzz"));
  EXPECT_EQ(f.Prefix(), "A>B");
}

TEST(FilterMatch, CaseSensitiveStoresCompareAsWritten) {
  EXPECT_FALSE(FilterPattern("ab>", true).Passes("ABC"));
  EXPECT_TRUE(FilterPattern("ab>", true).Passes("abC"));
  EXPECT_TRUE(FilterPattern("\xE9>", false).Passes("\xC9t\xE9"));  // é and É
}

TEST(FilterMatch, OwnerPatternsAreKeyPrefixes) {
  FilterPattern owner("1_>", false);
  EXPECT_EQ(owner.Prefix(), "1_");
  EXPECT_TRUE(owner.Passes("1_1999_033_00007"));
  EXPECT_FALSE(owner.Passes("12_1999_033_00007"));
}

}  // namespace
}  // namespace pellmark::store
