#include "store/little_endian.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "store/store_test_support.h"

namespace pellmark::store {
namespace {

using testing::Hex;

template <class T>
std::string Appended(T value) {
  std::string out = ">";
  AppendLittle(out, value);
  return out.substr(1);
}

TEST(LittleEndian, EachWidthIsWrittenLowByteFirst) {
  EXPECT_EQ(Appended<std::uint8_t>(0xAB), Hex("ab"));
  EXPECT_EQ(Appended<std::int16_t>(-2), Hex("feff"));
  EXPECT_EQ(Appended<std::uint16_t>(0x1234), Hex("3412"));
  EXPECT_EQ(Appended<std::int32_t>(5), Hex("05000000"));
  EXPECT_EQ(Appended<std::int32_t>(std::numeric_limits<std::int32_t>::min()), Hex("00000080"));
  EXPECT_EQ(Appended<std::int64_t>(0x0102030405060708), Hex("0807060504030201"));
  EXPECT_EQ(Appended<std::uint64_t>(~std::uint64_t{0}), Hex("ffffffffffffffff"));
}

TEST(LittleEndian, DoublesAreTheirBitPattern) {
  EXPECT_EQ(Appended(25.0), Hex("0000000000003940"));
  EXPECT_EQ(Appended(-0.0), Hex("0000000000000080"));
  EXPECT_EQ(Appended(36161.0), Hex("0000000020a8e140"));
  EXPECT_EQ(ReadLittle<double>(Hex("0000000000003940").data()), 25.0);
  EXPECT_TRUE(std::signbit(ReadLittle<double>(Hex("0000000000000080").data())));
  EXPECT_TRUE(std::isnan(ReadLittle<double>(Hex("000000000000f87f").data())));
}

TEST(LittleEndian, ReadsGiveBackWhatWasWrittenAtAnyAlignment) {
  char buffer[16] = {};
  for (std::size_t at = 0; at < 8; ++at) {
    WriteLittle<std::int32_t>(buffer + at, -123456789);
    EXPECT_EQ(ReadLittle<std::int32_t>(buffer + at), -123456789) << at;
    WriteLittle<std::int16_t>(buffer + at, std::numeric_limits<std::int16_t>::min());
    EXPECT_EQ(ReadLittle<std::int16_t>(buffer + at), std::numeric_limits<std::int16_t>::min()) << at;
    WriteLittle<double>(buffer + at, -1234.5625);
    EXPECT_EQ(ReadLittle<double>(buffer + at), -1234.5625) << at;
  }
  EXPECT_EQ(ReadLittle<std::uint32_t>(Hex("ffffffff").data()), 0xFFFFFFFFu);
  EXPECT_EQ(ReadLittle<std::int32_t>(Hex("ffffffff").data()), -1);
  EXPECT_EQ(ReadLittle<std::int8_t>(Hex("80").data()), -128);
}

}  // namespace
}  // namespace pellmark::store
