#include "forms/entry_number_text.h"

#include <gtest/gtest.h>

namespace pellmark {
namespace {

TEST(EntryNumberText, FractionsReadAsMixedNumbers) {
  struct Case {
    const char* typed;
    std::optional<std::string> shown;
  };
  const Case cases[] = {
      {"12 3/8", "12.375"},   {"1/2", "0.50"},      {"12 1/2", "12.50"},    {" 1/2", "0.50"},
      {"1/ 2", std::nullopt}, {"3/8 ", std::nullopt}, {"12 3/ 8", "12.375"}, {"7/8", "0.875"},     {"100/3", "33.333333"}, {"12  3/8", "12.375"},
      {"12", std::nullopt},   {"1/0", std::nullopt}, {"12 3/x", std::nullopt}, {"a 1/2", std::nullopt},
      {"/", std::nullopt},    {"1/2/3", std::nullopt}, {"-1 1/2", "-0.50"},
      // A mixed number takes a proper fraction; a fraction alone may be any.
      {"30 7/3", std::nullopt}, {"30 3/3", std::nullopt}, {"30 -1/2", std::nullopt}, {"30 1/-2", std::nullopt},
      {"7/3", "2.333333"},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadFraction(c.typed), c.shown) << c.typed;
}

TEST(EntryNumberText, Numbers) {
  EXPECT_EQ(ParseEntryNumber(" 12.5 "), 12.5);
  EXPECT_EQ(ParseEntryNumber("-3"), -3);
  EXPECT_EQ(ParseEntryNumber("1e3"), 1000);
  EXPECT_EQ(ParseEntryNumber("1000000000000"), 1e12);
  EXPECT_EQ(ParseEntryNumber("1000000000001"), std::nullopt);
  for (const char* bad : {"", " ", "12,5", "12a", "$5", "inf", "nan", "1e999", "0x10"}) {
    EXPECT_EQ(ParseEntryNumber(bad), std::nullopt) << bad;
  }
}

}  // namespace
}  // namespace pellmark
