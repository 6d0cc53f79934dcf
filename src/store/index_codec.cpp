#include "store/index_codec.h"

#include <algorithm>
#include <cstring>

#include "store/progress_step.h"

namespace pellmark::store {
namespace {

constexpr std::size_t kSmallestEntry = 1 + 12;  // empty key's zero byte, offset, size, flags

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}

  std::int32_t Int32() {
    if (bytes_.size() - at_ < 4) throw InvalidIndex("the index ends inside a number");
    std::int32_t value = ReadLittle<std::int32_t>(bytes_.data() + at_);
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
  index.ordinary.reserve(static_cast<std::size_t>(count) / IndexList::kBlockSize + 1);
  ProgressPoints points(count);
  for (std::int32_t i = 0; i < count; ++i) {
    if (progress && points.Due(i)) progress(i, count);
    const std::string_view key = in.Key();
    const std::int32_t offset = in.Int32();
    const std::int32_t size = in.Int32();
    const std::int32_t flags = in.Int32();
    if (flags != 0 && flags != kFlagAdministrative) throw InvalidIndex("an entry has unknown flags");
    if (offset < 0 || size < 0 || static_cast<std::uint64_t>(offset) + static_cast<std::uint64_t>(size) > data_size) {
      throw InvalidIndex("an entry lies outside the data");
    }
    if (flags == kFlagAdministrative) {
      if (!index.ordinary.empty()) index.in_writer_form = false;
      index.administrative.push_back(IndexEntry{EntryKey(key), offset, size, flags});
      continue;
    }
    if (index.ordinary.empty() || index.ordinary.back().size() == IndexList::kBlockSize) {
      index.ordinary.emplace_back().reserve(IndexList::kBlockSize);
    }
    index.ordinary.back().push_back(IndexEntry{EntryKey(key), offset, size, flags});
  }
  if (in.Left() != 0) index.in_writer_form = false;
  // File order is descending: reversing the blocks and each block's entries
  // gives ascending order with every block but the first one full.
  std::reverse(index.administrative.begin(), index.administrative.end());
  std::reverse(index.ordinary.begin(), index.ordinary.end());
  for (auto& block : index.ordinary) std::reverse(block.begin(), block.end());
  return index;
}

IndexWriter::IndexWriter(std::function<void(std::string_view)> sink)
    : sink_(std::move(sink)), buffer_(std::make_unique_for_overwrite<char[]>(kBufferSize + kMaxKeyLength + 13)) {}

void IndexWriter::Count(std::int32_t count) {
  WriteLittle<std::int32_t>(buffer_.get() + used_, count);
  used_ += 4;
  if (used_ >= kBufferSize) Finish();
}

void IndexWriter::Finish() {
  if (used_ != 0) sink_(std::string_view(buffer_.get(), used_));
  used_ = 0;
}

}  // namespace pellmark::store
