#include <gtest/gtest.h>

#include <random>
#include <string>

#include "store/filter_match.h"
#include "store/key_order.h"
#include "support/property_seed.h"

namespace pellmark::store {
namespace {

// The test folds each key character in place; it must pass exactly the keys
// that a search of the key upper-cased whole passes: a seeded run of random
// patterns and keys over a small alphabet (so that they often meet), with
// letters of both cases and of Windows-1252 beyond ASCII.
TEST(FilterMatch, TestingInPlacePassesWhatASearchOfTheUpperCasedKeyPasses) {
  auto oracle = [](std::string_view pattern, std::string_view key, bool case_sensitive) {
    auto fold = [&](std::string_view text) {
      std::string folded(text);
      if (!case_sensitive) {
        for (char& c : folded) c = static_cast<char>(UpperWindows1252(static_cast<unsigned char>(c)));
      }
      return folded;
    };
    const bool start = pattern.find('<') == std::string_view::npos;
    const bool end = pattern.find('>') == std::string_view::npos;
    std::string_view text = pattern;
    if (!text.empty() && text.front() == '<') text.remove_prefix(1);
    if (!text.empty() && text.back() == '>') text.remove_suffix(1);
    const std::string wanted = fold(text), subject = fold(key);
    if (wanted.empty()) return true;
    const std::size_t first = subject.find(wanted);
    if (first == std::string::npos) return false;
    if (start && first != 0) return false;
    return !end || subject.rfind(wanted) + wanted.size() == subject.size();
  };
  const unsigned seed = pellmark::testing::PropertySeed();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  const std::string alphabet = "aAb_\xe9\xc9";
  auto text = [&](int longest) {
    std::string made(std::uniform_int_distribution<int>(0, longest)(random), ' ');
    for (char& c : made) c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
    return made;
  };
  for (int trial = 0; trial < 20000; ++trial) {
    std::string pattern = text(3);
    if (trial % 4 == 1 || trial % 4 == 3) pattern = "<" + pattern;
    if (trial % 4 >= 2) pattern += ">";
    const std::string key = text(7);
    const bool case_sensitive = trial % 5 == 0;
    ASSERT_EQ(FilterPattern(pattern, case_sensitive).Passes(key), oracle(pattern, key, case_sensitive))
        << "pattern \"" << pattern << "\" key \"" << key << "\"";
  }
}

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
