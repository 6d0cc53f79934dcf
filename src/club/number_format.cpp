#include "club/number_format.h"

#include <charconv>
#include <cmath>
#include <fmt/format.h>

#include "club/money.h"

namespace pellmark {
namespace {

// Beyond this many dollars a figure in cents may not be a whole double.
constexpr double kLargestWholeCents = 1e13;

// The magnitude with `decimals` places, and whether the rounded value is negative.
std::pair<std::string, bool> Magnitude(double value, int decimals) {
  std::string text = fmt::format("{:.{}f}", std::fabs(value), decimals);
  bool all_zero = text.find_first_not_of("0.") == std::string::npos;
  return {text, value < 0 && !all_zero};
}

std::string WithThousands(const std::string& plain) {
  auto point = plain.find('.');
  std::string whole = plain.substr(0, point);
  std::string out;
  for (std::size_t i = 0; i < whole.size(); ++i) {
    if (i > 0 && (whole.size() - i) % 3 == 0) out += ',';
    out += whole[i];
  }
  return out + (point == std::string::npos ? "" : plain.substr(point));
}

}  // namespace

std::string FormatMoney(double amount) {
  // Rounded as every money figure is (half a cent away from zero), not as the
  // nearest binary value prints: 138.975 held as 138.97499... shows $138.98.
  const double rounded = RoundCents(amount);
  if (!(std::fabs(rounded) < kLargestWholeCents)) {
    // Never a club's figure, but a damaged record may hold anything.
    auto [text, negative] = Magnitude(rounded, 2);
    text = "$" + WithThousands(text);
    return negative ? "(" + text + ")" : text;
  }
  // In whole cents the figure prints exactly, without a decimal conversion.
  const long long cents = std::llround(rounded * 100);
  const unsigned long long magnitude = static_cast<unsigned long long>(cents < 0 ? -cents : cents);
  char whole[24];
  const char* whole_end = std::to_chars(whole, whole + sizeof whole, magnitude / 100).ptr;
  const std::size_t digits = static_cast<std::size_t>(whole_end - whole);
  std::string text;
  text.reserve(digits + digits / 3 + 6);
  if (cents < 0) text += '(';
  text += '$';
  for (std::size_t i = 0; i < digits; ++i) {
    if (i > 0 && (digits - i) % 3 == 0) text += ',';
    text += whole[i];
  }
  text += '.';
  text += static_cast<char>('0' + magnitude % 100 / 10);
  text += static_cast<char>('0' + magnitude % 10);
  if (cents < 0) text += ')';
  return text;
}

std::string FormatUnits(double units) { return FormatParenthesized(units, 3); }

std::string FormatParenthesized(double value, int decimals) {
  auto [text, negative] = Magnitude(value, decimals);
  return negative ? "(" + text + ")" : text;
}

std::string FormatFixed(double value, int decimals) {
  auto [text, negative] = Magnitude(value, decimals);
  return negative ? "-" + text : text;
}

}  // namespace pellmark
