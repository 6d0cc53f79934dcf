// One table per record type names its fields, their offsets and their types; the
// byte codec and every listing of a record's fields (the command line's JSON, the
// export) read the same table, so a layout is written down once.
//
//   TMemberRec member = DecodeRecord<TMemberRec>(bytes);   // RecordSizeError if not 247 bytes
//   member.tunits = 12.5;
//   std::string out = EncodeRecord(member);                 // original tail bytes kept
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "club/byte_image.h"

namespace pellmark {

// An item whose size differs from its record's size.
class RecordSizeError : public std::runtime_error {
 public:
  RecordSizeError(std::string_view record, std::size_t expected, std::size_t actual);
};

template <class Record>
struct FieldSpec {
  using Member = std::variant<std::string Record::*, std::int32_t Record::*, std::int16_t Record::*,
                              double Record::*, std::uint8_t Record::*, bool Record::*, char Record::*>;
  const char* name;
  std::size_t offset;
  Member member;
  std::size_t capacity = 0;  // characters of a short string
};

template <class Record>
void ReadFields(const ByteImage& image, Record& record) {
  for (const auto& field : Record::Layout()) {
    std::visit(
        [&](auto member) {
          using Value = std::remove_reference_t<decltype(record.*member)>;
          if constexpr (std::is_same_v<Value, std::string>) {
            record.*member = image.GetShortString(field.offset, field.capacity);
          } else if constexpr (std::is_same_v<Value, std::int32_t>) {
            record.*member = image.GetInt(field.offset);
          } else if constexpr (std::is_same_v<Value, std::int16_t>) {
            record.*member = image.GetSmallInt(field.offset);
          } else if constexpr (std::is_same_v<Value, double>) {
            record.*member = image.GetDouble(field.offset);
          } else if constexpr (std::is_same_v<Value, bool>) {
            record.*member = image.GetBool(field.offset);
          } else if constexpr (std::is_same_v<Value, char>) {
            record.*member = static_cast<char>(image.GetByte(field.offset));
          } else {
            record.*member = image.GetByte(field.offset);
          }
        },
        field.member);
  }
}

template <class Record>
void WriteFields(const Record& record, ByteImage& image) {
  for (const auto& field : Record::Layout()) {
    std::visit(
        [&](auto member) {
          using Value = std::remove_cvref_t<decltype(record.*member)>;
          if constexpr (std::is_same_v<Value, std::string>) {
            image.PutShortString(field.offset, field.capacity, record.*member);
          } else if constexpr (std::is_same_v<Value, std::int32_t>) {
            image.PutInt(field.offset, record.*member);
          } else if constexpr (std::is_same_v<Value, std::int16_t>) {
            image.PutSmallInt(field.offset, record.*member);
          } else if constexpr (std::is_same_v<Value, double>) {
            image.PutDouble(field.offset, record.*member);
          } else if constexpr (std::is_same_v<Value, bool>) {
            image.PutBool(field.offset, record.*member);
          } else {
            image.PutByte(field.offset, static_cast<std::uint8_t>(record.*member));
          }
        },
        field.member);
  }
}

// The record held in `bytes`, which must be exactly Record::kSize long.
template <class Record>
Record DecodeRecord(std::string_view bytes) {
  if (bytes.size() != Record::kSize) throw RecordSizeError(Record::kName, Record::kSize, bytes.size());
  Record record;
  record.image.Assign(bytes);
  ReadFields(record.image, record);
  return record;
}

// The record's bytes: its original image with every field written over it.
template <class Record>
std::string EncodeRecord(const Record& record) {
  ByteImage image = record.image;
  WriteFields(record, image);
  return image.Bytes();
}

}  // namespace pellmark
