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
  const std::string subject = Normalise(key);
  const std::size_t first = subject.find(text_);
  if (first == std::string::npos) return false;
  if (anchored_start_ && first != 0) return false;
  if (anchored_end_ && subject.rfind(text_) + text_.size() != subject.size()) return false;
  return true;
}

std::optional<std::string> FilterPattern::Prefix() const {
  if (anchored_start_ && !anchored_end_) return text_;
  return std::nullopt;
}

}  // namespace pellmark::store
