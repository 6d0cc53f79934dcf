// Reading and writing fields of a packed little-endian record image.
//
// A record keeps the bytes it was read from; writing a field changes only that
// field's bytes, so bytes the program does not interpret (the tail of a short
// string, reserved bytes) are written back exactly as they were read.
//
//   ByteImage image(bytes);                  // exactly the record's size
//   double units = image.GetDouble(213);
//   image.PutShortString(0, 15, "Smith");    // length byte + characters, tail kept
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pellmark {

class ByteImage {
 public:
  // An image of `size` zero bytes.
  explicit ByteImage(std::size_t size) : bytes_(size, '\0') {}
  // An image of exactly these bytes.
  explicit ByteImage(std::string bytes) : bytes_(std::move(bytes)) {}

  // Takes these bytes in place of the image's own, in the memory it has.
  void Assign(std::string_view bytes) { bytes_.assign(bytes); }

  const std::string& Bytes() const { return bytes_; }
  std::size_t Size() const { return bytes_.size(); }

  std::int32_t GetInt(std::size_t offset) const;
  std::int16_t GetSmallInt(std::size_t offset) const;
  double GetDouble(std::size_t offset) const;
  std::uint8_t GetByte(std::size_t offset) const;
  // Any non-zero byte reads as true.
  bool GetBool(std::size_t offset) const { return GetByte(offset) != 0; }
  // A short string of at most `capacity` characters; a length byte beyond the
  // capacity is read as the capacity, so no read leaves the field.
  std::string GetShortString(std::size_t offset, std::size_t capacity) const;

  void PutInt(std::size_t offset, std::int32_t value);
  void PutSmallInt(std::size_t offset, std::int16_t value);
  void PutDouble(std::size_t offset, double value);
  void PutByte(std::size_t offset, std::uint8_t value);
  // An unchanged flag keeps its stored byte (any non-zero byte reads as true).
  void PutBool(std::size_t offset, bool value) {
    if (GetBool(offset) != value) PutByte(offset, value ? 1 : 0);
  }
  // Writes the length byte and the characters, cut to `capacity`; the bytes after
  // them keep their old values.
  void PutShortString(std::size_t offset, std::size_t capacity, std::string_view text);

 private:
  void Check(std::size_t offset, std::size_t width) const;
  // A number of the field's own width, through store/little_endian.h.
  template <class T>
  T Get(std::size_t offset) const;
  template <class T>
  void Put(std::size_t offset, T value);

  std::string bytes_;
};

}  // namespace pellmark
