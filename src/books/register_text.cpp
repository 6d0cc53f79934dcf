#include "books/register_text.h"

#include "club/dates.h"
#include "club/record_kinds.h"

namespace pellmark {

RegisterRowText RegisterRowTexts(const ledger::RegisterRow& row) {
  return {.date = FormatDate(row.date) + (row.cleared ? "" : "  *"),
          .kind = AccountKindLabel(row.kind),
          .desc = row.record.desc,
          .check = row.check_number ? std::to_string(*row.check_number) : std::string()};
}

}  // namespace pellmark
