#include "store/index_codec.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "store/little_endian.h"

namespace pellmark::store {
namespace {

// One entry's bytes, written out by hand: key, zero byte, offset, size, flags.
std::string EntryBytes(std::string_view key, std::int32_t offset, std::int32_t size, std::int32_t flags) {
  std::string bytes(key);
  bytes.push_back('\0');
  for (std::int32_t number : {offset, size, flags}) AppendLittle<std::int32_t>(bytes, number);
  return bytes;
}

std::string KeyNumber(int n) {
  char key[32];
  std::snprintf(key, sizeof key, "12_1999_033_%05d", n);
  return key;
}

TEST(IndexCodec, WritesCountThenEntriesByteForByte) {
  std::string written;
  IndexWriter out([&](std::string_view bytes) { written += bytes; });
  out.Count(2);
  out.Entry({"b", 4, 3, 0});
  out.Entry({"QDBCaseSensitive", 0, 1, 1});
  out.Finish();
  EXPECT_EQ(written, std::string("\x02\0\0\0" "b\0" "\x04\0\0\0" "\x03\0\0\0" "\0\0\0\0"
                                 "QDBCaseSensitive\0" "\0\0\0\0" "\x01\0\0\0" "\x01\0\0\0", 4 + 14 + 29));
}

TEST(IndexCodec, WritesEntriesAcrossManyBuffersWithoutLosingAByte) {
  std::string expected;
  std::string written;
  int handed_over = 0;
  IndexWriter out([&](std::string_view bytes) {
    written += bytes;
    ++handed_over;
  });
  const int count = 150'000;
  AppendLittle<std::int32_t>(expected, count);
  out.Count(count);
  const std::string long_key(255, 'k');
  for (int n = 0; n < count; ++n) {
    const std::string key = n % 1000 == 0 ? long_key : KeyNumber(n);
    expected += EntryBytes(key, n, 57, 0);
    out.Entry({key, n, 57, 0});
  }
  out.Finish();
  EXPECT_GT(handed_over, 2);
  EXPECT_EQ(written, expected);
}

TEST(IndexCodec, DecodesDescendingEntriesIntoAscendingFullBlocksAfterTheFirst) {
  const int count = 600;
  std::string bytes;
  AppendLittle<std::int32_t>(bytes, count + 1);
  bytes += EntryBytes("QDBCaseSensitive", 0, 1, kFlagAdministrative);
  for (int n = count - 1; n >= 0; --n) bytes += EntryBytes(KeyNumber(n), n, 1, 0);

  const DecodedIndex index = DecodeIndex(bytes, count);
  EXPECT_TRUE(index.in_writer_form);
  ASSERT_EQ(index.administrative.size(), 1u);
  EXPECT_EQ(std::string(index.administrative[0].key), "QDBCaseSensitive");
  ASSERT_EQ(index.ordinary.size(), 3u);
  EXPECT_EQ(index.ordinary[0].size(), 600u - 2 * IndexList::kBlockSize);
  EXPECT_EQ(index.ordinary[1].size(), IndexList::kBlockSize);
  EXPECT_EQ(index.ordinary[2].size(), IndexList::kBlockSize);
  int n = 0;
  for (const auto& block : index.ordinary) {
    for (const IndexEntry& entry : block) {
      EXPECT_EQ(entry, (IndexEntry{KeyNumber(n), n, 1, 0}));
      ++n;
    }
  }
  EXPECT_EQ(n, count);
}

TEST(IndexCodec, AnEmptyIndexHasNoBlocks) {
  const DecodedIndex index = DecodeIndex(std::string("\0\0\0\0", 4), 0);
  EXPECT_TRUE(index.ordinary.empty());
  EXPECT_TRUE(index.administrative.empty());
}

TEST(IndexCodec, AnEntryOutsideTheDataIsRefused) {
  std::string bytes;
  AppendLittle<std::int32_t>(bytes, 1);
  bytes += EntryBytes("a", 10, 5, 0);
  EXPECT_THROW(
      {
        try {
          DecodeIndex(bytes, 14);
        } catch (const InvalidIndex& error) {
          EXPECT_STREQ(error.what(), "an entry lies outside the data");
          throw;
        }
      },
      InvalidIndex);
}

}  // namespace
}  // namespace pellmark::store
