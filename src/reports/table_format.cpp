#include "reports/table_format.h"

#include <charconv>
#include <optional>
#include <string>

#include "club/number_parse.h"

namespace pellmark::reports {

namespace {

char AlignmentChar(TextAlignment alignment) {
  switch (alignment) {
    case TextAlignment::kRight: return '>';
    case TextAlignment::kCenter: return '^';
    case TextAlignment::kLeft: break;
  }
  return '<';
}

// The whole token must read as a number, as ".76" and "-1.5" do, whatever the
// locale says a decimal point is.
bool ReadWidth(std::string_view text, double& width) {
  std::optional<double> value = ParseNumber(text);
  if (!value) return false;
  width = *value;
  return true;
}

void AppendColumn(ColumnFormat& format, char separator, const Column& column) {
  if (!format.columns.empty()) format.text += separator;
  format.columns.push_back(column);
  format.text += AlignmentChar(column.alignment);
  format.text += ShortestDecimal(column.width);
}

}  // namespace

std::string ShortestDecimal(double value) {
  if (value == 0) return "0";  // no "-0"
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

ColumnFormat ParseColumnFormat(std::string_view format, char separator, double default_width) {
  ColumnFormat parsed;
  if (format.empty()) return parsed;
  std::size_t start = 0;
  while (true) {
    std::size_t end = format.find(separator, start);
    std::string_view token = format.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    Column column;
    if (!token.empty() && (token[0] == '<' || token[0] == '>' || token[0] == '^')) {
      column.alignment = token[0] == '>' ? TextAlignment::kRight
                         : token[0] == '^' ? TextAlignment::kCenter
                                           : TextAlignment::kLeft;
      token.remove_prefix(1);
    }
    if (!ReadWidth(token, column.width)) column.width = default_width;
    AppendColumn(parsed, separator, column);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return parsed;
}

ColumnFormat ScaleColumnFormat(const ColumnFormat& format, char separator, double factor) {
  ColumnFormat scaled;
  for (Column column : format.columns) {
    column.width *= factor;
    AppendColumn(scaled, separator, column);
  }
  return scaled;
}

}  // namespace pellmark::reports
