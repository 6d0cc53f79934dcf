#include "cli/input_forms.h"

#include <algorithm>
#include <cctype>
#include <fmt/format.h>

#include "cli/cli_context.h"
#include "club/dates.h"
#include "club/number_parse.h"
#include "club/text_encoding.h"

namespace pellmark::cli {
namespace {

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

// The whole part with its separators checked and dropped: "1,234" -> "1234".
std::optional<std::string> WholePart(std::string_view whole) {
  if (whole.find(',') == std::string_view::npos) {
    if (!AllDigits(whole)) return std::nullopt;
    return std::string(whole);
  }
  const std::size_t first = whole.find(',');
  if (first == 0 || first > 3 || !AllDigits(whole.substr(0, first))) return std::nullopt;
  std::string digits(whole.substr(0, first));
  for (std::size_t at = first; at < whole.size(); at += 4) {
    std::string_view group = whole.substr(at + 1, 3);
    if (whole[at] != ',' || group.size() != 3 || !AllDigits(group)) return std::nullopt;
    if (at + 4 < whole.size() && whole[at + 4] != ',') return std::nullopt;
    digits += group;
  }
  return digits;
}

}  // namespace

std::optional<std::string> AmountText(std::string_view typed) {
  std::string_view text = TrimBlanks(typed);
  std::string sign;
  if (!text.empty() && text.front() == '-') {
    sign = "-";
    text.remove_prefix(1);
  }
  if (!text.empty() && text.front() == '$') text.remove_prefix(1);
  const std::size_t point = text.find('.');
  std::string_view whole = text.substr(0, point);
  std::string_view decimals = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  if (whole.empty() && decimals.empty()) return std::nullopt;
  auto digits = WholePart(whole);
  if (!digits || !AllDigits(decimals)) return std::nullopt;
  std::string plain = sign + (digits->empty() ? "0" : *digits);
  if (!decimals.empty()) plain += "." + std::string(decimals);
  return plain;
}

std::optional<std::string> DateText(std::string_view typed) {
  std::string_view text = TrimBlanks(typed);
  const std::size_t first = text.find('/');
  const std::size_t second = first == std::string_view::npos ? first : text.find('/', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  std::string_view month = text.substr(0, first);
  std::string_view day = text.substr(first + 1, second - first - 1);
  std::string_view year = text.substr(second + 1);
  auto digits = [](std::string_view part, std::size_t low, std::size_t high) {
    return part.size() >= low && part.size() <= high && AllDigits(part);
  };
  if (!digits(month, 1, 2) || !digits(day, 1, 2) || !(year.size() == 2 || year.size() == 4) || !AllDigits(year)) {
    return std::nullopt;
  }
  int full_year = std::stoi(std::string(year));
  if (year.size() == 2) full_year += full_year <= kLastTwoDigitYearOf2000s ? 2000 : 1900;
  CivilDate date{full_year, std::stoi(std::string(month)), std::stoi(std::string(day))};
  if (!IsValidCivil(date)) return std::nullopt;
  return FormatDate(DayNumberFromCivil(date));
}

std::string AmountRefusal(std::string_view typed) {
  return fmt::format("\"{}\" is not an amount; type it as 1234.50, 1,234.50 or $1,234.50", typed);
}

std::string DateRefusal(std::string_view typed) {
  return fmt::format("\"{}\" is not a date; type it as M/D/YYYY or M/D/YY (00-{} are 20xx, the later years 19xx)", typed,
                     kLastTwoDigitYearOf2000s);
}

CLI::Validator AmountForm() {
  return CLI::Validator(
      [](std::string& text) {
        auto plain = AmountText(text);
        if (!plain) return AmountRefusal(text);
        text = *plain;
        return std::string();
      },
      "AMOUNT", "amount");
}

CLI::Validator DateForm() {
  return CLI::Validator(
      [](std::string& text) {
        auto plain = DateText(text);
        if (!plain) return DateRefusal(text);
        text = *plain;
        return std::string();
      },
      "M/D/YYYY", "date");
}

std::string StorableText(const std::string& utf8) {
  const std::string unstorable = UnstorableCharacters(utf8);
  if (!unstorable.empty()) {
    throw UsageError("\"" + utf8 + "\" holds characters that cannot be stored: " + unstorable);
  }
  return ToWindows1252(utf8);
}

}  // namespace pellmark::cli
