#include "club/byte_image.h"

#include <algorithm>
#include <bit>
#include <stdexcept>

namespace pellmark {

void ByteImage::Check(std::size_t offset, std::size_t width) const {
  if (offset + width > bytes_.size()) throw std::out_of_range("record field beyond the end of the record");
}

std::uint64_t ByteImage::GetUnsigned(std::size_t offset, int width) const {
  Check(offset, width);
  std::uint64_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes_[offset + i]);
  return value;
}

void ByteImage::PutUnsigned(std::size_t offset, int width, std::uint64_t value) {
  Check(offset, width);
  for (int i = 0; i < width; ++i) bytes_[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::int32_t ByteImage::GetInt(std::size_t offset) const {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(GetUnsigned(offset, 4)));
}

std::int16_t ByteImage::GetSmallInt(std::size_t offset) const {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(GetUnsigned(offset, 2)));
}

double ByteImage::GetDouble(std::size_t offset) const { return std::bit_cast<double>(GetUnsigned(offset, 8)); }

std::uint8_t ByteImage::GetByte(std::size_t offset) const { return static_cast<std::uint8_t>(GetUnsigned(offset, 1)); }

std::string ByteImage::GetShortString(std::size_t offset, std::size_t capacity) const {
  Check(offset, capacity + 1);
  std::size_t length = std::min<std::size_t>(static_cast<unsigned char>(bytes_[offset]), capacity);
  return bytes_.substr(offset + 1, length);
}

void ByteImage::PutInt(std::size_t offset, std::int32_t value) {
  PutUnsigned(offset, 4, static_cast<std::uint32_t>(value));
}

void ByteImage::PutSmallInt(std::size_t offset, std::int16_t value) {
  PutUnsigned(offset, 2, static_cast<std::uint16_t>(value));
}

void ByteImage::PutDouble(std::size_t offset, double value) {
  PutUnsigned(offset, 8, std::bit_cast<std::uint64_t>(value));
}

void ByteImage::PutByte(std::size_t offset, std::uint8_t value) { PutUnsigned(offset, 1, value); }

void ByteImage::PutShortString(std::size_t offset, std::size_t capacity, std::string_view text) {
  Check(offset, capacity + 1);
  std::size_t length = std::min(text.size(), capacity);
  // An unchanged text keeps its stored length byte, even one beyond the field.
  if (GetShortString(offset, capacity) == text.substr(0, length)) return;
  bytes_[offset] = static_cast<char>(length);
  std::copy_n(text.data(), length, bytes_.begin() + static_cast<std::ptrdiff_t>(offset + 1));
}

}  // namespace pellmark
