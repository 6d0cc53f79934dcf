// The index section's bytes: a count, then per entry the key with its zero
// byte, offset, size and flags. Writers put the administrative entries first,
// then the ordinary ones, each group in descending key order; readers take
// the ordinary entries in file order and reverse them once.
//
//   DecodedIndex index = DecodeIndex(bytes, data_size);  // throws InvalidIndex
//   index.ordinary   // ascending blocks when the writer kept the binding order
//   IndexWriter out(write_bytes);  out.Count(n);  out.Entry(e);  out.Finish();
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "store/index_entry.h"
#include "store/index_list.h"
#include "store/little_endian.h"

namespace pellmark::store {

// The index bytes break a rule of the format (its message says which).
class InvalidIndex : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct DecodedIndex {
  // Both reversed from file order: ascending when written in the binding order.
  std::vector<IndexEntry> administrative;
  // In blocks the size of the index list's, so that loading moves no entry twice.
  IndexBlocks ordinary;
  // The administrative entries came first and nothing followed the last
  // entry: with both lists in order, the writer would give the same bytes.
  bool in_writer_form = true;
};

// Checks every entry: a zero-terminated key of at most 255 bytes, flags 0 or 1
// (compressed items are not read), and data lying inside `data_size` bytes.
// `progress(done, total)` is called at the progress points (progress_step.h) when given.
DecodedIndex DecodeIndex(std::string_view bytes, std::uint64_t data_size,
                         const std::function<void(int, int)>& progress = {});

// Encodes an index section into a buffer of about 1 MiB handed to `sink`
// each time it fills: few writes, and a buffer that stays in the processor's
// cache instead of a whole section's worth of fresh memory.
class IndexWriter {
 public:
  static constexpr std::size_t kBufferSize = 1 << 20;
  explicit IndexWriter(std::function<void(std::string_view)> sink);
  void Count(std::int32_t count);
  // Inline: a million calls per save, each a few stores into the buffer.
  void Entry(const IndexEntry& entry) {
    const std::size_t length = entry.key.size();
    char* out = buffer_.get() + used_;
    if (length <= EntryKey::kInline) {
      // The bytes past the key are overwritten by what follows it.
      std::memcpy(out, entry.key.data(), EntryKey::kInline);
    } else {
      std::memcpy(out, entry.key.data(), length);
    }
    out += length;
    *out++ = '\0';
    WriteLittle<std::int32_t>(out, entry.offset);
    WriteLittle<std::int32_t>(out + 4, entry.size);
    WriteLittle<std::int32_t>(out + 8, entry.flags);
    used_ += length + 13;
    if (used_ >= kBufferSize) Finish();
  }
  // Hands over what is left in the buffer.
  void Finish();

 private:
  std::function<void(std::string_view)> sink_;
  // Room for one more entry of the longest key past kBufferSize (and for a
  // whole inline key copied past a shorter key's end).
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
};

}  // namespace pellmark::store
