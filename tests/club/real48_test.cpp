#include "club/real48.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace pellmark {
namespace {

TEST(Real48, ZeroIsAllZeroBytesWhateverItsSign) {
  EXPECT_EQ(EncodeReal48(0.0), (Real48{0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(EncodeReal48(-0.0), (Real48{0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(DecodeReal48({0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), 0.0);  // exponent 0 means zero
}

TEST(Real48, KnownByteImages) {
  EXPECT_EQ(EncodeReal48(1.0), (Real48{0x81, 0, 0, 0, 0, 0}));
  EXPECT_EQ(EncodeReal48(-1.0), (Real48{0x81, 0, 0, 0, 0, 0x80}));
  EXPECT_EQ(EncodeReal48(0.5), (Real48{0x80, 0, 0, 0, 0, 0}));
  EXPECT_EQ(EncodeReal48(10.0), (Real48{0x84, 0, 0, 0, 0, 0x20}));
  EXPECT_EQ(EncodeReal48(-3.0), (Real48{0x82, 0, 0, 0, 0, 0xC0}));
  // 0.1 = 1.6 * 2^-4; 0.6 * 2^39 = 329853488332.8 rounds up to 0x4CCCCCCCCD.
  EXPECT_EQ(EncodeReal48(0.1), (Real48{0x7D, 0xCD, 0xCC, 0xCC, 0xCC, 0x4C}));
}

TEST(Real48, DecodesWhatItEncodes) {
  for (double v : {1.0, -1.0, 12.375, 1234567.25, -0.0078125, std::ldexp(3.0, 100), -std::ldexp(5.0, -110)}) {
    auto bytes = EncodeReal48(v);
    ASSERT_TRUE(bytes.has_value()) << v;
    EXPECT_EQ(DecodeReal48(*bytes), v) << v;
  }
}

TEST(Real48, RoundsTheFractionTo39BitsTiesToEven) {
  const double ulp = std::ldexp(1.0, -39);
  EXPECT_EQ(RoundThroughReal48(1.0 + ulp / 4), 1.0);
  EXPECT_EQ(RoundThroughReal48(1.0 + ulp * 3 / 4), 1.0 + ulp);
  EXPECT_EQ(RoundThroughReal48(1.0 + ulp / 2), 1.0);               // tie: to the even fraction
  EXPECT_EQ(RoundThroughReal48(1.0 + ulp * 3 / 2), 1.0 + 2 * ulp);  // tie: to the even fraction
  EXPECT_NE(RoundThroughReal48(0.1), 0.1);
  EXPECT_NEAR(RoundThroughReal48(0.1), 0.1, 1e-12);
}

TEST(Real48, RoundingCanCarryIntoTheExponent) {
  const double just_below_two = 2.0 - std::ldexp(1.0, -45);
  EXPECT_EQ(EncodeReal48(just_below_two), (Real48{0x82, 0, 0, 0, 0, 0}));
}

TEST(Real48, RefusesWhatItCannotHold) {
  EXPECT_FALSE(EncodeReal48(std::numeric_limits<double>::infinity()).has_value());
  EXPECT_FALSE(EncodeReal48(-std::numeric_limits<double>::infinity()).has_value());
  EXPECT_FALSE(EncodeReal48(std::nan("")).has_value());
  EXPECT_FALSE(EncodeReal48(std::ldexp(1.0, 127)).has_value());
  EXPECT_FALSE(EncodeReal48(-1e300).has_value());
  EXPECT_EQ(RoundThroughReal48(1e300), 1e300);
  ASSERT_TRUE(EncodeReal48(std::ldexp(1.0, 126)).has_value());
  EXPECT_EQ((*EncodeReal48(std::ldexp(1.0, 126)))[0], 255);
}

TEST(Real48, TinyValuesBecomeZero) {
  EXPECT_EQ(EncodeReal48(std::ldexp(1.0, -129)), (Real48{0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(EncodeReal48(std::ldexp(1.0, -128)), (Real48{1, 0, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace pellmark
