#include "store/key_order.h"

#include <gtest/gtest.h>

#include <string>

namespace pellmark::store {
namespace {

TEST(KeyOrder, IgnoresLetterCaseUnlessCaseSensitive) {
  EXPECT_EQ(CompareKeys("_smith, ann", "_SMITH, ANN", false), 0);
  EXPECT_NE(CompareKeys("_smith", "_SMITH", true), 0);
  EXPECT_EQ(CompareKeys("_\xE9t\xE9", "_\xC9T\xC9", false), 0);  // é and É
  EXPECT_EQ(CompareKeys("\x9C", "\x8C", false), 0);              // œ and Œ
  EXPECT_NE(CompareKeys("\xF7", "\xD7", false), 0);              // ÷ is not a letter
}

TEST(KeyOrder, ActiveItemsSortBeforeHiddenOnes) {
  EXPECT_LT(CompareKeys("_Zed", "~Abe", false), 0);
  EXPECT_LT(CompareKeys("_zed", "~abe", false), 0);
}

TEST(KeyOrder, OwnerPrefixesAndShorterKeysFirst) {
  EXPECT_LT(CompareKeys("12_1999_033_00007", "1_1999_033_00007", false), 0);  // digits before "_"
  EXPECT_LT(CompareKeys("1_1999_000_00000", "1_1999_033_00007", false), 0);
  EXPECT_LT(CompareKeys("ab", "abc", false), 0);
  EXPECT_GT(CompareKeys("abc", "ab", false), 0);
  EXPECT_LT(CompareKeys("A", "\x80", false), 0);  // bytes compare unsigned
}

TEST(KeyOrder, LongKeysCompareAlikeAtEveryPositionOfADifference) {
  const std::string base = "_members of the investment club, ann";
  for (std::size_t at = 0; at < base.size(); ++at) {
    std::string upper = base;
    upper[at] = static_cast<char>(UpperWindows1252(static_cast<unsigned char>(upper[at])));
    EXPECT_EQ(CompareKeys(base, upper, false), 0) << at;
    std::string later = base;
    later[at] = '\x7F';
    EXPECT_LT(CompareKeys(base, later, false), 0) << at;
    EXPECT_GT(CompareKeys(later, base, true), 0) << at;
    EXPECT_LT(CompareKeys(base.substr(0, at), base, false), 0) << at;
  }
  EXPECT_GT(CompareKeys("12_1999_033_00007b", "12_1999_033_00007A", true), 0);
  EXPECT_LT(CompareKeys("12_1999_033_00007a", "12_1999_033_00007B", false), 0);
}

}  // namespace
}  // namespace pellmark::store
