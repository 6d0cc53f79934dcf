#include "club/number_parse.h"

#include <charconv>
#include <cmath>

namespace pellmark {
namespace {

// Reads all of `text` (no blanks, no "+") with std::from_chars.
template <class Number, class... Format>
std::optional<Number> ReadAll(std::string_view text, Format... format) {
  if (text.empty()) return std::nullopt;
  Number value{};
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, format...);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string_view WithoutPlus(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  return text;
}

}  // namespace

std::string_view TrimBlanks(std::string_view text, std::string_view blanks) {
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::optional<double> ParseNumber(std::string_view text) {
  std::optional<double> value = ReadAll<double>(WithoutPlus(TrimBlanks(text)), std::chars_format::general);
  if (!value || !std::isfinite(*value)) return std::nullopt;
  return value;
}

std::optional<std::int32_t> ParseInteger(std::string_view text, PlusSign plus) {
  text = TrimBlanks(text);
  return ReadAll<std::int32_t>(plus == PlusSign::kAllowed ? WithoutPlus(text) : text);
}

}  // namespace pellmark
