// The store's filter patterns. A plain pattern P passes keys that begin and end
// with P; "P>" keys that begin with P; "<P" keys that end with P; "<P>" keys
// that contain P. An empty pattern, and ">" alone, pass every key.
//
//   FilterPattern f("12_>", /*case_sensitive=*/false);
//   f.Passes("12_1999_033_00007")  -> true
//   f.Passes("1_1999_033_00007")   -> false
//   f.Prefix()                     -> "12_"  (such keys lie together in the index)
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pellmark::store {

class FilterPattern {
 public:
  FilterPattern(std::string_view pattern, bool case_sensitive);

  bool Passes(std::string_view key) const;
  bool PassesAll() const { return text_.empty(); }
  // The text every passing key begins with, when that is all the pattern asks.
  std::optional<std::string> Prefix() const;

 private:
  std::string Normalise(std::string_view text) const;

  bool case_sensitive_;
  std::string text_;
  bool anchored_start_;
  bool anchored_end_;
};

}  // namespace pellmark::store
