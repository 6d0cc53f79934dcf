#include "forms/margin_form.h"

#include <charconv>

#include "club/number_format.h"
#include "club/number_parse.h"

namespace pellmark {

namespace {

std::optional<double> Margin(const std::string& text) {
  std::optional<double> value = ParseNumber(text);
  if (!value || *value < 0 || *value > 1) return std::nullopt;
  return value;
}

}  // namespace

MarginForm MarginForm::Showing(const MarginValues& m) {
  return {FormatFixed(m.top, 2), FormatFixed(m.bottom, 2), FormatFixed(m.left, 2), FormatFixed(m.right, 2)};
}

std::vector<std::string> MarginForm::Errors() const {
  std::vector<std::string> errors;
  if (!Margin(top)) errors.push_back("Top Margin must be between 0.00 and 1.00");
  if (!Margin(bottom)) errors.push_back("Bottom Margin must be between 0.00 and 1.00");
  if (!Margin(right)) errors.push_back("Right Margin must be between 0.00 and 1.00");
  if (!Margin(left)) errors.push_back("Left Margin must be between 0.00 and 1.00");
  return errors;
}

std::optional<MarginValues> MarginForm::Values() const {
  auto t = Margin(top), b = Margin(bottom), l = Margin(left), r = Margin(right);
  if (!t || !b || !l || !r) return std::nullopt;
  return MarginValues{*t, *b, *l, *r};
}

std::string MarginSettingText(double margin) {
  if (margin == 0) return "0";
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, margin);
  return std::string(buffer, result.ptr);
}

}  // namespace pellmark
