#include "club/byte_image.h"

#include <algorithm>
#include <stdexcept>

#include "store/little_endian.h"

namespace pellmark {

void ByteImage::Check(std::size_t offset, std::size_t width) const {
  if (offset + width > bytes_.size()) throw std::out_of_range("record field beyond the end of the record");
}

template <class T>
T ByteImage::Get(std::size_t offset) const {
  Check(offset, sizeof(T));
  return store::ReadLittle<T>(bytes_.data() + offset);
}

template <class T>
void ByteImage::Put(std::size_t offset, T value) {
  Check(offset, sizeof(T));
  store::WriteLittle<T>(bytes_.data() + offset, value);
}

std::int32_t ByteImage::GetInt(std::size_t offset) const { return Get<std::int32_t>(offset); }

std::int16_t ByteImage::GetSmallInt(std::size_t offset) const { return Get<std::int16_t>(offset); }

double ByteImage::GetDouble(std::size_t offset) const { return Get<double>(offset); }

std::uint8_t ByteImage::GetByte(std::size_t offset) const { return Get<std::uint8_t>(offset); }

std::string ByteImage::GetShortString(std::size_t offset, std::size_t capacity) const {
  Check(offset, capacity + 1);
  std::size_t length = std::min<std::size_t>(static_cast<unsigned char>(bytes_[offset]), capacity);
  return bytes_.substr(offset + 1, length);
}

void ByteImage::PutInt(std::size_t offset, std::int32_t value) { Put(offset, value); }

void ByteImage::PutSmallInt(std::size_t offset, std::int16_t value) { Put(offset, value); }

void ByteImage::PutDouble(std::size_t offset, double value) { Put(offset, value); }

void ByteImage::PutByte(std::size_t offset, std::uint8_t value) { Put(offset, value); }

void ByteImage::PutShortString(std::size_t offset, std::size_t capacity, std::string_view text) {
  Check(offset, capacity + 1);
  std::size_t length = std::min(text.size(), capacity);
  // An unchanged text keeps its stored length byte, even one beyond the field.
  if (GetShortString(offset, capacity) == text.substr(0, length)) return;
  bytes_[offset] = static_cast<char>(length);
  std::copy_n(text.data(), length, bytes_.begin() + static_cast<std::ptrdiff_t>(offset + 1));
}

}  // namespace pellmark
