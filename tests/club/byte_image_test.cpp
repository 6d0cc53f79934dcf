#include "club/byte_image.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "support/byte_fixture.h"

namespace pellmark {
namespace {

using testing::ByteFixture;

TEST(ByteImage, FieldsOfEveryWidthSitAtTheirOffsets) {
  ByteImage image(15);
  image.PutByte(0, 0xFE);
  image.PutSmallInt(1, -300);
  image.PutInt(3, -70000);
  image.PutDouble(7, 36161.5);
  EXPECT_EQ(image.Bytes(), ByteFixture(15).Byte(0, 0xFE).SmallInt(1, -300).Int(3, -70000).Double(7, 36161.5).Bytes());
  EXPECT_EQ(image.GetByte(0), 0xFE);
  EXPECT_EQ(image.GetSmallInt(1), -300);
  EXPECT_EQ(image.GetInt(3), -70000);
  EXPECT_EQ(image.GetDouble(7), 36161.5);
}

TEST(ByteImage, AFieldPastTheEndIsRefusedAndChangesNothing) {
  ByteImage image(ByteFixture(8, '\x11').Bytes());
  EXPECT_EQ(image.GetInt(4), 0x11111111);
  EXPECT_THROW(image.GetInt(5), std::out_of_range);
  EXPECT_THROW(image.GetByte(8), std::out_of_range);
  EXPECT_THROW(image.PutSmallInt(7, 1), std::out_of_range);
  EXPECT_THROW(image.PutDouble(1, 1.0), std::out_of_range);
  EXPECT_EQ(image.Bytes(), std::string(8, '\x11'));
  image.PutSmallInt(6, 0x2233);
  EXPECT_EQ(image.Bytes(), std::string(6, '\x11') + "\x33\x22");
}

}  // namespace
}  // namespace pellmark
