#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "store/entry_key.h"

namespace pellmark::store {
namespace {

TEST(EntryKey, HoldsShortAndLongKeysByteForByte) {
  const std::string longest(255, '\xE9');
  for (const std::string& text : {std::string(), std::string("_smith, ann"), std::string(22, 'x'), std::string(23, 'y'),
                                  std::string("a\x80z", 3), longest}) {
    const EntryKey key(text);
    EXPECT_EQ(std::string(key), text);
    EXPECT_EQ(key.size(), text.size());
    EXPECT_EQ(key, std::string_view(text));
  }
}

TEST(EntryKey, CopiesAndMovesKeepTheTextAndLeaveTheSourceEmpty) {
  for (const std::string& text : {std::string("12_1999_033_00007"), std::string(200, 'k')}) {
    EntryKey key(text);
    EntryKey copy(key);
    EXPECT_EQ(copy, key);
    EntryKey moved(std::move(key));
    EXPECT_EQ(std::string(moved), text);
    EXPECT_TRUE(key.empty());  // NOLINT: the moved-from state is part of the contract
    EntryKey assigned("short");
    assigned = copy;
    EXPECT_EQ(std::string(assigned), text);
    assigned = EntryKey("again short");
    EXPECT_EQ(std::string(assigned), "again short");
  }
}

}  // namespace
}  // namespace pellmark::store
