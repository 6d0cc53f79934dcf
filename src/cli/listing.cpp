#include "cli/listing.h"

#include <algorithm>
#include <cmath>

#include "club/money.h"
#include "club/number_format.h"

namespace pellmark::cli {
namespace {

double Rounded(double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  const double rounded = std::round(value * scale) / scale;
  return rounded == 0 ? 0.0 : rounded;  // no "-0" for scripts
}

std::string Padded(const std::string& text, std::size_t width, Align align) {
  const std::string padding(width - std::min(width, DisplayWidth(text)), ' ');
  return align == Align::Left ? text + padding : padding + text;
}

void PrintLine(std::ostream& out, std::string line) {
  line.erase(line.find_last_not_of(' ') + 1);
  out << line << '\n';
}

}  // namespace

std::size_t DisplayWidth(const std::string& utf8) {
  return static_cast<std::size_t>(
      std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

Cell TextCell(const std::string& utf8) { return {utf8, utf8}; }
Cell MoneyCell(double amount) { return {FormatMoney(amount), RoundCents(amount)}; }
Cell UnitsCell(double units) { return {FormatUnits(units), Rounded(units, 3)}; }
Cell UnitValueCell(double value) {
  const std::string plain = FormatFixed(std::fabs(value), 4);
  // Grouped by thousands into a new string: inserting into the old one draws a
  // false overlap warning from GCC 12's string inlining.
  const std::size_t point = std::min(plain.find('.'), plain.size());
  std::string digits;
  digits.reserve(plain.size() + point / 3);
  for (std::size_t i = 0; i < plain.size(); ++i) {
    if (i > 0 && i < point && (point - i) % 3 == 0) digits += ',';
    digits += plain[i];
  }
  const bool negative = value < 0 && digits.find_first_not_of("0.,") != std::string::npos;
  return {negative ? "($" + digits + ")" : "$" + digits, value};
}
double ShownMoney(double amount) { return RoundCents(amount); }
double ShownUnits(double units) { return Rounded(units, 3); }
double ShownFixed(double value, int decimals) { return Rounded(value, decimals); }
Cell DateCell(DayNumber date) { return {FormatDate(date), FormatDate(date)}; }
Cell CountCell(long long count) { return {std::to_string(count), count}; }
Cell FlagCell(bool on, const std::string& shown) { return {on ? shown : "", on}; }
Cell BlankCell() { return {"", nullptr}; }

Listing::Listing(std::string title, std::vector<Column> columns)
    : title_(std::move(title)), columns_(std::move(columns)) {}

void Listing::Add(std::vector<Cell> row) {
  row.resize(columns_.size(), BlankCell());
  rows_.push_back(std::move(row));
}

void Listing::Total(std::vector<Cell> row) {
  row.resize(columns_.size(), BlankCell());
  total_ = std::move(row);
}

nlohmann::ordered_json Listing::RowJson(const std::vector<Cell>& row) const {
  nlohmann::ordered_json object = nlohmann::ordered_json::object();
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (!row[i].value.is_null()) object[columns_[i].key] = row[i].value;
  }
  return object;
}

void Listing::Print(std::ostream& out, bool json) const {
  if (json) {
    nlohmann::ordered_json document = nlohmann::ordered_json::object();
    document["title"] = title_;
    document["rows"] = nlohmann::ordered_json::array();
    for (const auto& row : rows_) document["rows"].push_back(RowJson(row));
    if (!total_.empty()) document["total"] = RowJson(total_);
    out << document.dump(2) << '\n';
    return;
  }
  std::vector<std::size_t> widths;
  for (const Column& column : columns_) widths.push_back(DisplayWidth(column.header));
  auto widen = [&](const std::vector<Cell>& row) {
    for (std::size_t i = 0; i < columns_.size(); ++i) widths[i] = std::max(widths[i], DisplayWidth(row[i].text));
  };
  for (const auto& row : rows_) widen(row);
  if (!total_.empty()) widen(total_);

  auto print_row = [&](auto text_of) {
    std::string line;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      if (i > 0) line += "  ";
      line += Padded(text_of(i), widths[i], columns_[i].align);
    }
    PrintLine(out, line);
  };
  auto rule = [&] {
    print_row([&](std::size_t i) { return std::string(widths[i], '-'); });
  };
  out << title_ << " (" << rows_.size() << ")\n";
  print_row([&](std::size_t i) { return columns_[i].header; });
  rule();
  for (const auto& row : rows_) print_row([&](std::size_t i) { return row[i].text; });
  if (!total_.empty() && !rows_.empty()) {
    rule();
    print_row([&](std::size_t i) { return total_[i].text; });
  }
}

void Summary::Add(std::string label, std::string key, Cell cell) {
  lines_.push_back({std::move(label), std::move(key), std::move(cell)});
}

void Summary::Print(std::ostream& out, bool json) const {
  if (json) {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (const Line& line : lines_) object[line.key] = line.cell.value;
    out << object.dump(2) << '\n';
    return;
  }
  std::size_t width = 0;
  for (const Line& line : lines_) width = std::max(width, DisplayWidth(line.label));
  for (const Line& line : lines_) PrintLine(out, Padded(line.label + ":", width + 1, Align::Left) + "  " + line.cell.text);
}

}  // namespace pellmark::cli
