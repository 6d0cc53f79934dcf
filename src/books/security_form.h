// The name and symbol boxes of the Securities page: the prompts they show, and
// on "Commit Changes/Additions" the entry the security records store, a box
// still showing its prompt read as empty.
//
//   CommitSecurity(securities, std::nullopt, {"Acme Corp", kSymbolPrompt});   // no symbol
#pragma once

#include <optional>
#include <string>

#include "club/outcome.h"
#include "securities/security_records.h"

namespace pellmark {

inline constexpr const char* kSecurityNamePrompt = "Security Name";
inline constexpr const char* kSymbolPrompt = "Symbol";

// The texts of the name and symbol boxes as the user left them.
struct SecurityFields {
  std::string name;
  std::string symbol;
};

ledger::SecurityEntry ReadSecurity(const SecurityFields& fields);

// Reads the boxes and stores the security (a new one when `existing` is
// empty); the records show any refusal through the club's interaction port.
Outcome CommitSecurity(ledger::SecurityRecords& securities, const std::optional<std::string>& existing,
                       const SecurityFields& fields);

}  // namespace pellmark
