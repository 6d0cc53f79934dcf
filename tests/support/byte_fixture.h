// Hand-made record images for format tests: a run of zero bytes with values
// placed at the offsets the layouts give, independent of the program's codecs.
//
//   std::string expected = ByteFixture(21).Double(0, 25.0).Double(8, 36161).Int(17, 0).Bytes();
#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

namespace pellmark::testing {

class ByteFixture {
 public:
  explicit ByteFixture(std::size_t size, char fill = '\0') : bytes_(size, fill) {}

  ByteFixture& Byte(std::size_t offset, std::uint8_t value) {
    bytes_.at(offset) = static_cast<char>(value);
    return *this;
  }
  ByteFixture& Int(std::size_t offset, std::int32_t value) { return Little(offset, static_cast<std::uint32_t>(value), 4); }
  ByteFixture& SmallInt(std::size_t offset, std::int16_t value) {
    return Little(offset, static_cast<std::uint16_t>(value), 2);
  }
  ByteFixture& Double(std::size_t offset, double value) { return Little(offset, std::bit_cast<std::uint64_t>(value), 8); }
  // A length byte followed by the characters.
  ByteFixture& Text(std::size_t offset, std::string_view text) {
    Byte(offset, static_cast<std::uint8_t>(text.size()));
    bytes_.replace(offset + 1, text.size(), text);
    return *this;
  }
  const std::string& Bytes() const { return bytes_; }

 private:
  ByteFixture& Little(std::size_t offset, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i) Byte(offset + i, static_cast<std::uint8_t>(value >> (8 * i)));
    return *this;
  }
  std::string bytes_;
};

// Bytes from a hex text ("0a ff" or "0aff").
inline std::string FromHex(std::string_view hex) {
  std::string bytes;
  int high = -1;
  for (char c : hex) {
    int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (digit < 0) continue;
    if (high < 0) {
      high = digit;
    } else {
      bytes += static_cast<char>(high * 16 + digit);
      high = -1;
    }
  }
  return bytes;
}

}  // namespace pellmark::testing
