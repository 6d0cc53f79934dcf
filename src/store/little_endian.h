// The one codec for numbers in files: little-endian integers of 1, 2, 4 and 8
// bytes, and doubles as the 8 little-endian bytes of their bit pattern.
//
//   std::string out;
//   AppendLittle<std::int32_t>(out, 5);         // out == "\x05\x00\x00\x00"
//   ReadLittle<std::int32_t>(out.data())  -> 5
//   WriteLittle<double>(record + 8, 25.0);       // 00 00 00 00 00 00 39 40
#pragma once

#include <bit>
#include <concepts>
#include <cstdint>
#include <cstring>
#include <string>

namespace pellmark::store {

template <class T>
concept LittleEndianValue =
    (std::integral<T> && !std::same_as<T, bool> &&
     (sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4 || sizeof(T) == 8)) ||
    std::same_as<T, double>;

namespace little_endian_internal {

template <std::size_t Width> struct Bits;
template <> struct Bits<1> { using type = std::uint8_t; };
template <> struct Bits<2> { using type = std::uint16_t; };
template <> struct Bits<4> { using type = std::uint32_t; };
template <> struct Bits<8> { using type = std::uint64_t; };

// The bits in file order: unchanged on a little-endian machine.
template <class U>
U InFileOrder(U bits) {
  if constexpr (std::endian::native == std::endian::little || sizeof(U) == 1) {
    return bits;
  } else if constexpr (sizeof(U) == 2) {
    return __builtin_bswap16(bits);
  } else if constexpr (sizeof(U) == 4) {
    return __builtin_bswap32(bits);
  } else {
    return __builtin_bswap64(bits);
  }
}

}  // namespace little_endian_internal

// The value whose sizeof(T) bytes start at `bytes`. One load on a
// little-endian machine: an index holds millions of these.
template <LittleEndianValue T>
T ReadLittle(const char* bytes) {
  typename little_endian_internal::Bits<sizeof(T)>::type bits;
  std::memcpy(&bits, bytes, sizeof bits);
  return std::bit_cast<T>(little_endian_internal::InFileOrder(bits));
}

// Writes the sizeof(T) bytes of `value` at `out`.
template <LittleEndianValue T>
void WriteLittle(char* out, T value) {
  const auto bits = little_endian_internal::InFileOrder(
      std::bit_cast<typename little_endian_internal::Bits<sizeof(T)>::type>(value));
  std::memcpy(out, &bits, sizeof bits);
}

template <LittleEndianValue T>
void AppendLittle(std::string& out, T value) {
  char bytes[sizeof(T)];
  WriteLittle(bytes, value);
  out.append(bytes, sizeof bytes);
}

}  // namespace pellmark::store
