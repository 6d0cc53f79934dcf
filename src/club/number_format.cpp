#include "club/number_format.h"

#include <cmath>
#include <fmt/format.h>

#include "club/money.h"

namespace pellmark {
namespace {

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
  auto [text, negative] = Magnitude(RoundCents(amount), 2);
  text = "$" + WithThousands(text);
  return negative ? "(" + text + ")" : text;
}

std::string FormatUnits(double units) {
  auto [text, negative] = Magnitude(units, 3);
  return negative ? "(" + text + ")" : text;
}

std::string FormatFixed(double value, int decimals) {
  auto [text, negative] = Magnitude(value, decimals);
  return negative ? "-" + text : text;
}

}  // namespace pellmark
