#include "books/dues_text.h"

#include <cmath>

#include "club/dates.h"
#include "club/number_format.h"
#include "club/record_kinds.h"

namespace pellmark {
namespace {

// "(12.50)" for a negative figure, "12.50" otherwise; a figure that shows as
// zero has no parentheses.
std::string Parenthesized(double value, int decimals) {
  std::string text = FormatFixed(std::fabs(value), decimals);
  return value < 0 && text.find_first_not_of("0.") != std::string::npos ? "(" + text + ")" : text;
}

std::string UnitsText(const ledger::DuesRow& row) {
  if (!row.units) return "";
  // A payout's units are those it redeems, always shown as going out.
  if (row.kind == MemberTranKind::Payout) return "(" + FormatFixed(*row.units, 3) + ")";
  return Parenthesized(*row.units, 3);
}

}  // namespace

DuesRowText DuesRowTexts(const ledger::DuesRow& row) {
  return {.date = FormatDate(row.date),
          .kind = MemberKindLabel(row.kind),
          .amount = Parenthesized(row.amount, 2),
          .units = UnitsText(row)};
}

}  // namespace pellmark
