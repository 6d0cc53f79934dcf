// 4-byte signed little-endian integers, the only integer form of the store's files.
//
//   std::string out;
//   AppendInt32(out, 5);               // out == "\x05\x00\x00\x00"
//   ReadInt32(out.data())  -> 5
#pragma once

#include <cstdint>
#include <string>

namespace pellmark::store {

inline void AppendInt32(std::string& out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((bits >> shift) & 0xFF));
}

inline std::int32_t ReadInt32(const char* bytes) {
  std::uint32_t bits = 0;
  for (int i = 3; i >= 0; --i) bits = (bits << 8) | static_cast<unsigned char>(bytes[i]);
  return static_cast<std::int32_t>(bits);
}

}  // namespace pellmark::store
