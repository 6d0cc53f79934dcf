// Column layouts of table rows: tokens separated by the page printer's token
// separator, each an optional alignment character ("<" left, ">" right, "^"
// centred) and a width in the printer's measure unit. A negative width is a
// column of that size that never gets grid lines.
//
//   ColumnFormat f = ParseColumnFormat("<1.01|>.52|^", '|', 0.5);
//   f.text   -> "<1.01|>0.52|^0.5"
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pellmark::reports {

enum class TextAlignment { kLeft, kRight, kCenter };

struct Column {
  TextAlignment alignment = TextAlignment::kLeft;
  double width = 0;  // in the measure unit; negative: no grid lines
};

struct ColumnFormat {
  std::string text;  // normalised
  std::vector<Column> columns;
};

// Reads a format; an empty token, a token of only an alignment character and a
// width that does not read as a number take `default_width`.
ColumnFormat ParseColumnFormat(std::string_view format, char separator, double default_width);

// The format with every width multiplied by `factor`.
ColumnFormat ScaleColumnFormat(const ColumnFormat& format, char separator, double factor);

// A number in its shortest decimal form: 0.76 -> "0.76", 2 -> "2".
std::string ShortestDecimal(double value);

}  // namespace pellmark::reports
