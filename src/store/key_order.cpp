#include "store/key_order.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace pellmark::store {

unsigned char UpperWindows1252(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
  switch (c) {
    case 0x9A: return 0x8A;  // š
    case 0x9C: return 0x8C;  // œ
    case 0x9E: return 0x8E;  // ž
    case 0xFF: return 0x9F;  // ÿ
    default: return c;
  }
}

namespace {

struct UpperTable {
  unsigned char upper[256];
  UpperTable() {
    for (int c = 0; c < 256; ++c) upper[c] = UpperWindows1252(static_cast<unsigned char>(c));
  }
};

}  // namespace

int CompareKeys(std::string_view a, std::string_view b, bool case_sensitive) {
  // Loading and searching an index compare keys millions of times: equal bytes
  // are skipped without mapping them, and the mapping is a table.
  static const UpperTable table;
  const std::size_t common = std::min(a.size(), b.size());
  // Keys of one store share long beginnings ("12_1999_033_"): equal bytes are
  // passed over eight at a time, up to the first that differs.
  std::size_t start = 0;
  for (; start + 8 <= common; start += 8) {
    std::uint64_t x;
    std::uint64_t y;
    std::memcpy(&x, a.data() + start, 8);
    std::memcpy(&y, b.data() + start, 8);
    if (x != y) {
      if constexpr (std::endian::native == std::endian::little) start += static_cast<std::size_t>(std::countr_zero(x ^ y)) / 8;
      break;
    }
  }
  for (std::size_t i = start; i < common; ++i) {
    auto x = static_cast<unsigned char>(a[i]);
    auto y = static_cast<unsigned char>(b[i]);
    if (x == y) continue;
    if (!case_sensitive) {
      x = table.upper[x];
      y = table.upper[y];
    }
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace pellmark::store
