#include "books/security_form.h"

namespace pellmark {

ledger::SecurityEntry ReadSecurity(const SecurityFields& fields) {
  return {.name = fields.name == kSecurityNamePrompt ? std::string() : fields.name,
          .symbol = fields.symbol == kSymbolPrompt ? std::string() : fields.symbol};
}

Outcome CommitSecurity(ledger::SecurityRecords& securities, const std::optional<std::string>& existing,
                       const SecurityFields& fields) {
  return securities.CommitSecurity(existing, ReadSecurity(fields));
}

}  // namespace pellmark
