// The key of an index entry: up to 255 bytes, held inside the entry when it
// is short, as nearly every key is ("12_1999_033_00007"). Loading an index of
// a million entries then makes no allocation per key, and dropping it frees
// none.
//
//   EntryKey key("_smith, ann");
//   std::string_view text = key;   // the bytes, for comparing and searching
//   std::string copy(key);
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace pellmark::store {

class EntryKey {
 public:
  // With the size and the pointer, 32 bytes: an index entry fits a cache line
  // with room to spare, and keys of the transaction form fit inline. For a key
  // that fits, data() has kInline readable bytes (copies of a fixed size are
  // cheaper than ones of the key's size).
  static constexpr std::size_t kInline = 22;

  EntryKey() = default;
  EntryKey(std::string_view text) { Assign(text); }  // NOLINT: keys convert from text freely
  EntryKey(const char* text) : EntryKey(std::string_view(text)) {}
  EntryKey(const std::string& text) : EntryKey(std::string_view(text)) {}
  EntryKey(const EntryKey& other) { Assign(other); }
  // Leaves `other` empty.
  EntryKey(EntryKey&& other) noexcept { TakeFrom(other); }
  EntryKey& operator=(const EntryKey& other) {
    if (this != &other) Assign(other);
    return *this;
  }
  EntryKey& operator=(EntryKey&& other) noexcept {
    if (this != &other) TakeFrom(other);
    return *this;
  }
  ~EntryKey() = default;

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const char* data() const { return size_ <= kInline ? inline_ : long_.get(); }
  operator std::string_view() const { return {data(), size_}; }  // NOLINT: used wherever text is
  explicit operator std::string() const { return std::string(data(), size_); }

  friend bool operator==(const EntryKey& a, const EntryKey& b) {
    return std::string_view(a) == std::string_view(b);
  }
  friend bool operator==(const EntryKey& a, std::string_view b) { return std::string_view(a) == b; }

 private:
  void Assign(std::string_view text) {
    if (text.size() > UINT16_MAX) throw std::length_error("a store key is longer than any index can hold");
    size_ = static_cast<std::uint16_t>(text.size());
    if (size_ <= kInline) {
      long_.reset();
      std::memcpy(inline_, text.data(), size_);
    } else {
      long_ = std::make_unique_for_overwrite<char[]>(size_);
      std::memcpy(long_.get(), text.data(), size_);
    }
  }
  void TakeFrom(EntryKey& other) {
    size_ = other.size_;
    long_ = std::move(other.long_);
    std::memcpy(inline_, other.inline_, kInline);
    other.size_ = 0;
  }

  std::unique_ptr<char[]> long_;  // only for keys longer than kInline
  std::uint16_t size_ = 0;
  char inline_[kInline];
};

}  // namespace pellmark::store
