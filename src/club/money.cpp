#include "club/money.h"

#include <algorithm>
#include <cmath>

#include "club/number_parse.h"

namespace pellmark {
namespace {

// A thousandth of a cent: more than a typed amount's distance from its decimal
// text up to ten billion dollars, and never enough to make a cent.
constexpr double kLargestCentsNudge = 1e-3;

}  // namespace

double RoundCents(double amount) {
  // The decimal amount typed (12.345) is held as the nearest double, which may
  // fall just below the half; nudging by a relative epsilon first rounds it as
  // the decimal text reads. The nudge stays far below a cent: relative to the
  // figure it would reach a tenth of a cent at a billion dollars and a whole
  // cent at ten billion.
  const double cents = amount * 100;
  const double nudge = std::min(std::fabs(cents) * 1e-12, kLargestCentsNudge);
  const double nudged = cents + std::copysign(nudge, cents);
  const double rounded = std::round(nudged) / 100;
  return rounded == 0 ? 0.0 : rounded;
}

bool PriceInRange(double price) { return price == 0 || (price >= kSmallestPrice && price <= kLargestAmount); }

bool FigureInRange(double figure) { return std::isfinite(figure) && std::fabs(figure) <= kLargestAmount; }

bool SameMoney(double a, double b) { return RoundCents(a) == RoundCents(b); }

bool IsZeroMoney(double amount) { return RoundCents(amount) == 0; }

std::optional<double> ParseMoney(std::string_view text) {
  std::optional<double> value = ParseNumber(text);
  if (!value || std::fabs(*value) > kLargestAmount) return std::nullopt;
  return RoundCents(*value);
}

}  // namespace pellmark
