#include "securities/price_import.h"

#include <optional>

#include "club/money.h"
#include "club/number_parse.h"

namespace pellmark::ledger {
namespace {

// The fields of one line, double quotes dropped.
std::vector<std::string> Fields(std::string_view line) {
  std::vector<std::string> fields(1);
  for (char c : line) {
    if (c == ',') {
      fields.emplace_back();
    } else if (c != '"') {
      fields.back().push_back(c);
    }
  }
  return fields;
}

std::optional<std::size_t> MatchSymbol(const std::string& symbol, const std::vector<std::string>& symbols) {
  if (symbol.empty()) return std::nullopt;
  for (std::size_t i = 0; i < symbols.size(); ++i) {
    if (symbols[i] == symbol) return i;
  }
  return std::nullopt;
}

}  // namespace

std::string ImportRefusal(const BadImportLine& line) {
  constexpr std::size_t kShownWidth = 80;
  return "Invalid Price Import File (line " + std::to_string(line.number) + ": " +
         line.text.substr(0, kShownWidth) + ")";
}

PriceImportReading ReadPriceImport(std::string_view text, const std::vector<std::string>& symbols, DayNumber today) {
  PriceImportReading reading;
  std::size_t number = 0;
  // A file saved as UTF-8 by some editors begins with a byte-order mark, which is no part of the first symbol.
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  while (!text.empty()) {
    ++number;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    const std::vector<std::string> fields = Fields(line);
    const std::optional<std::size_t> security = MatchSymbol(fields[0], symbols);
    if (!security) continue;
    if (fields.size() < 2) {
      reading.bad_line = BadImportLine{number, std::string(line)};
      break;
    }
    const std::optional<double> price = ParseNumber(fields[1]);
    const std::optional<DayNumber> date =
        fields.size() < 3 ? std::nullopt : ParseImportDate(fields[2], today);
    // A negative price is a slip the price dialog refuses too.
    if (!price || !PriceInRange(*price) || !date) {
      reading.bad_line = BadImportLine{number, std::string(line)};
      break;
    }
    reading.lines.push_back({*security, *price, *date});
  }
  return reading;
}

}  // namespace pellmark::ledger
