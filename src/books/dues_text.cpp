#include "books/dues_text.h"

#include "club/dates.h"
#include "club/number_format.h"
#include "club/record_kinds.h"

namespace pellmark {
namespace {

std::string UnitsText(const ledger::DuesRow& row) {
  if (!row.units) return "";
  // A payout's units are those it redeems, always shown as going out.
  if (row.kind == MemberTranKind::Payout) return "(" + FormatFixed(*row.units, 3) + ")";
  return FormatUnits(*row.units);
}

}  // namespace

DuesRowText DuesRowTexts(const ledger::DuesRow& row) {
  return {.date = FormatDate(row.date),
          .kind = MemberKindLabel(row.kind),
          .amount = FormatParenthesized(row.amount, 2),
          .units = UnitsText(row)};
}

}  // namespace pellmark
