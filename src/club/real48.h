// The 6-byte real of the statement files (Turbo Pascal "Real"): byte 0 is the
// exponent biased by 129 (0 means the value is zero), bytes 1..5 hold 39 fraction
// bits little-endian with the sign in the top bit of byte 5; the leading 1 of the
// mantissa is implied.
//
//   auto bytes = EncodeReal48(1.0);   // {0x81, 0, 0, 0, 0, 0}
//   DecodeReal48(*bytes) == 1.0
//   RoundThroughReal48(0.1)           // 0.1 as a 6-byte real holds it
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace pellmark {

using Real48 = std::array<std::uint8_t, 6>;

// Encodes with the fraction rounded to 39 bits (ties to even). Values too small
// for the format become zero; NaN, infinities and values of magnitude 2^127 or
// more (after rounding) cannot be held and give nullopt.
std::optional<Real48> EncodeReal48(double value);

double DecodeReal48(const Real48& bytes);

// The value as the 6-byte real stores it; a value it cannot hold is returned unchanged.
double RoundThroughReal48(double value);

}  // namespace pellmark
