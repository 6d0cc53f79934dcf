#include "store/filter_match.h"

#include "store/key_order.h"

namespace pellmark::store {

FilterPattern::FilterPattern(std::string_view pattern, bool case_sensitive)
    : case_sensitive_(case_sensitive),
      anchored_start_(pattern.find('<') == std::string_view::npos),
      anchored_end_(pattern.find('>') == std::string_view::npos) {
  std::string_view text = pattern;
  if (!text.empty() && text.front() == '<') text.remove_prefix(1);
  if (auto close = text.find('>'); close != std::string_view::npos && close + 1 == text.size()) {
    text.remove_suffix(1);
  }
  text_ = Normalise(text);
}

std::string FilterPattern::Normalise(std::string_view text) const {
  std::string result(text);
  if (!case_sensitive_) {
    for (char& c : result) c = static_cast<char>(UpperWindows1252(static_cast<unsigned char>(c)));
  }
  return result;
}

bool FilterPattern::Passes(std::string_view key) const {
  if (text_.empty()) return true;
  if (key.size() < text_.size()) return false;
  // Compared in place, each key character folded as it is read: a walk with
  // a filter tests every key, and a copy of each would cost more than the test.
  auto same_at = [&](std::size_t at) {
    for (std::size_t i = 0; i < text_.size(); ++i) {
      const auto c = static_cast<unsigned char>(key[at + i]);
      if (static_cast<char>(case_sensitive_ ? c : UpperWindows1252(c)) != text_[i]) return false;
    }
    return true;
  };
  if (anchored_start_ && !same_at(0)) return false;
  if (anchored_end_ && !same_at(key.size() - text_.size())) return false;
  if (anchored_start_ || anchored_end_) return true;
  for (std::size_t at = 0; at + text_.size() <= key.size(); ++at) {
    if (same_at(at)) return true;
  }
  return false;
}

std::optional<std::string> FilterPattern::Prefix() const {
  if (anchored_start_ && !anchored_end_) return text_;
  return std::nullopt;
}

}  // namespace pellmark::store
