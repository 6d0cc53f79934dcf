// 4-byte signed little-endian integers, the only integer form of the store's files.
//
//   std::string out;
//   AppendInt32(out, 5);               // out == "\x05\x00\x00\x00"
//   ReadInt32(out.data())  -> 5
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

namespace pellmark::store {

inline void AppendInt32(std::string& out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((bits >> shift) & 0xFF));
}

// Writes the 4 bytes of `value` at `out`.
inline void WriteInt32(char* out, std::int32_t value) {
  auto bits = static_cast<std::uint32_t>(value);
  if constexpr (std::endian::native == std::endian::big) bits = __builtin_bswap32(bits);
  std::memcpy(out, &bits, sizeof bits);
}

inline std::int32_t ReadInt32(const char* bytes) {
  // One load on a little-endian machine (an index holds millions of these).
  std::uint32_t bits;
  std::memcpy(&bits, bytes, sizeof bits);
  if constexpr (std::endian::native == std::endian::big) bits = __builtin_bswap32(bits);
  return static_cast<std::int32_t>(bits);
}

}  // namespace pellmark::store
