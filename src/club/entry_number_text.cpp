#include "club/entry_number_text.h"

#include <charconv>
#include <cmath>
#include <fmt/format.h>

namespace pellmark {
namespace {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Accepts [sign] digits [. digits] [e [sign] digits] with at least one digit in the mantissa.
bool IsDecimalNumber(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t exponent_digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  return i == text.size();
}

}  // namespace

std::optional<double> ParseEntryNumber(std::string_view text) {
  text = TrimBlanks(text);
  if (!IsDecimalNumber(text)) return std::nullopt;
  // from_chars does not take a leading '+'.
  if (text.front() == '+') text.remove_prefix(1);
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (!std::isfinite(value) || std::fabs(value) > kLargestEntry) return std::nullopt;
  return value;
}

std::optional<std::int32_t> ParseWholeNumber(std::string_view text) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  std::int32_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<std::string> ReadFraction(std::string_view typed) {
  if (typed.find('/') == std::string_view::npos) return std::nullopt;
  std::string text(typed);
  for (char& c : text) {
    if (c != ' ') break;
    c = '0';
  }
  std::size_t space = text.find(' ');
  std::size_t slash = text.find('/');
  std::string whole_text = "0";
  std::string numerator_text;
  if (space != std::string::npos && space < slash) {
    whole_text = text.substr(0, space);
    numerator_text = text.substr(space + 1, slash - space - 1);
  } else {
    numerator_text = text.substr(0, slash);
  }
  std::string denominator_text;
  for (char c : text.substr(slash + 1)) {
    if (c != ' ') denominator_text += c;
  }
  auto whole = ParseEntryNumber(whole_text);
  auto numerator = ParseEntryNumber(numerator_text);
  auto denominator = ParseEntryNumber(denominator_text);
  if (!whole || !numerator || !denominator || *denominator == 0) return std::nullopt;
  double value = *whole + *numerator / *denominator;
  if (std::fabs(value) > kLargestEntry) return std::nullopt;
  std::string shown = fmt::format("{:.6f}", value);
  for (int removed = 0; removed < 4 && shown.back() == '0'; ++removed) shown.pop_back();
  return shown;
}

}  // namespace pellmark
