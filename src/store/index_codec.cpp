#include "store/index_codec.h"

#include <algorithm>
#include <cstring>

#include "store/little_endian.h"
#include "store/progress_step.h"

namespace pellmark::store {
namespace {

constexpr std::size_t kSmallestEntry = 1 + 12;  // empty key's zero byte, offset, size, flags

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}

  std::int32_t Int32() {
    if (bytes_.size() - at_ < 4) throw InvalidIndex("the index ends inside a number");
    std::int32_t value = ReadInt32(bytes_.data() + at_);
    at_ += 4;
    return value;
  }

  std::string_view Key() {
    const char* start = bytes_.data() + at_;
    const std::size_t left = bytes_.size() - at_;
    const void* zero = std::memchr(start, 0, std::min(left, kMaxKeyLength + 1));
    if (zero == nullptr) {
      throw InvalidIndex(left > kMaxKeyLength ? "a key is longer than 255 characters" : "the index ends inside a key");
    }
    const auto length = static_cast<std::size_t>(static_cast<const char*>(zero) - start);
    at_ += length + 1;
    return {start, length};
  }

  std::size_t Left() const { return bytes_.size() - at_; }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

}  // namespace

DecodedIndex DecodeIndex(std::string_view bytes, std::uint64_t data_size,
                         const std::function<void(int, int)>& progress) {
  Reader in(bytes);
  const std::int32_t count = in.Int32();
  if (count < 0 || static_cast<std::size_t>(count) > in.Left() / kSmallestEntry) {
    throw InvalidIndex("the entry count does not fit the index");
  }
  DecodedIndex index;
  index.ordinary.reserve(static_cast<std::size_t>(count));
  ProgressPoints points(count);
  for (std::int32_t i = 0; i < count; ++i) {
    if (progress && points.Due(i)) progress(i, count);
    IndexEntry entry;
    entry.key = in.Key();
    entry.offset = in.Int32();
    entry.size = in.Int32();
    entry.flags = in.Int32();
    if (entry.flags != 0 && entry.flags != kFlagAdministrative) throw InvalidIndex("an entry has unknown flags");
    if (entry.offset < 0 || entry.size < 0 ||
        static_cast<std::uint64_t>(entry.offset) + static_cast<std::uint64_t>(entry.size) > data_size) {
      throw InvalidIndex("an entry lies outside the data");
    }
    if (entry.IsAdministrative()) {
      if (!index.ordinary.empty()) index.in_writer_form = false;
      index.administrative.push_back(std::move(entry));
    } else {
      index.ordinary.push_back(std::move(entry));
    }
  }
  if (in.Left() != 0) index.in_writer_form = false;
  std::reverse(index.administrative.begin(), index.administrative.end());
  std::reverse(index.ordinary.begin(), index.ordinary.end());
  return index;
}

IndexWriter::IndexWriter(std::function<void(std::string_view)> sink) : sink_(std::move(sink)) {
  buffer_.reserve(kBufferSize + kMaxKeyLength + 13);
}

void IndexWriter::Count(std::int32_t count) { AppendInt32(buffer_, count); }

void IndexWriter::Entry(const IndexEntry& entry) {
  const std::string_view key = entry.key;
  const std::size_t at = buffer_.size();
  // Grows within the reserved capacity: no reallocation, one pass of copies.
  buffer_.resize(at + key.size() + 13);
  char* out = buffer_.data() + at;
  std::memcpy(out, key.data(), key.size());
  out += key.size();
  *out++ = '\0';
  for (const std::int32_t number : {entry.offset, entry.size, entry.flags}) {
    WriteInt32(out, number);
    out += 4;
  }
  if (buffer_.size() >= kBufferSize) Finish();
}

void IndexWriter::Finish() {
  if (!buffer_.empty()) sink_(buffer_);
  buffer_.clear();
}

}  // namespace pellmark::store
