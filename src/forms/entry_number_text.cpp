#include "forms/entry_number_text.h"

#include <cmath>
#include <fmt/format.h>

#include "club/number_parse.h"

namespace pellmark {

std::optional<double> ParseEntryNumber(std::string_view text) {
  std::optional<double> value = ParseNumber(text);
  if (!value || std::fabs(*value) > kLargestEntry) return std::nullopt;
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
  if (space == std::string::npos) {
    numerator_text = text.substr(0, slash);
  } else if (space < slash) {
    whole_text = text.substr(0, space);
    numerator_text = text.substr(space + 1, slash - space - 1);
  } else {
    // A blank after the "/" ("3/8 ", "3/ 8") ends the whole number there, and
    // "3/8" is not one: the text stays as typed.
    return std::nullopt;
  }
  std::string denominator_text;
  for (char c : text.substr(slash + 1)) {
    if (c != ' ') denominator_text += c;
  }
  auto whole = ParseEntryNumber(whole_text);
  auto numerator = ParseEntryNumber(numerator_text);
  auto denominator = ParseEntryNumber(denominator_text);
  if (!whole || !numerator || !denominator || *denominator == 0) return std::nullopt;
  // A mixed number's fraction is a proper one: "30 7/3" is a slip, not 32.33.
  if (space != std::string::npos && (*numerator < 0 || *denominator < 0 || *numerator >= *denominator)) {
    return std::nullopt;
  }
  double value = *whole + *numerator / *denominator;
  if (std::fabs(value) > kLargestEntry) return std::nullopt;
  std::string shown = fmt::format("{:.6f}", value);
  for (int removed = 0; removed < 4 && shown.back() == '0'; ++removed) shown.pop_back();
  return shown;
}

}  // namespace pellmark
