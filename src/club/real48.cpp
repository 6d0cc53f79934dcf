#include "club/real48.h"

#include <bit>
#include <cmath>

namespace pellmark {
namespace {

constexpr int kFractionBits = 39;
constexpr int kBias = 129;
constexpr std::uint64_t kFractionMask = (std::uint64_t{1} << kFractionBits) - 1;

}  // namespace

std::optional<Real48> EncodeReal48(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  Real48 out{};
  if (value == 0.0) return out;

  const bool negative = std::signbit(value);
  int exponent = 0;
  // frexp gives m in [0.5, 1); the real's mantissa 1.f is 2m with exponent e - 1.
  double mantissa = std::frexp(std::fabs(value), &exponent);
  // 2m * 2^39 lies in [2^39, 2^40): the implied bit and 39 fraction bits, rounded ties-to-even.
  auto scaled = static_cast<std::uint64_t>(std::nearbyint(std::ldexp(mantissa, kFractionBits + 1)));
  int biased = exponent - 1 + kBias;
  if (scaled == (std::uint64_t{1} << (kFractionBits + 1))) {  // rounding carried into the next power of two
    scaled >>= 1;
    ++biased;
  }
  if (biased <= 0) return out;  // below the smallest value the real holds: zero
  if (biased > 255) return std::nullopt;

  std::uint64_t fraction = scaled & kFractionMask;
  out[0] = static_cast<std::uint8_t>(biased);
  for (int i = 0; i < 5; ++i) out[1 + i] = static_cast<std::uint8_t>(fraction >> (8 * i));
  if (negative) out[5] |= 0x80;
  return out;
}

double DecodeReal48(const Real48& bytes) {
  if (bytes[0] == 0) return 0.0;
  std::uint64_t fraction = 0;
  for (int i = 0; i < 5; ++i) fraction |= std::uint64_t{bytes[1 + i]} << (8 * i);
  const bool negative = (fraction >> 39) & 1;
  fraction &= kFractionMask;
  double mantissa = 1.0 + std::ldexp(static_cast<double>(fraction), -kFractionBits);
  double value = std::ldexp(mantissa, bytes[0] - kBias);
  return negative ? -value : value;
}

double RoundThroughReal48(double value) {
  auto encoded = EncodeReal48(value);
  return encoded ? DecodeReal48(*encoded) : value;
}

}  // namespace pellmark
