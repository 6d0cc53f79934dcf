// The texts of an account register row as the Accounts page's grid and the
// command line's `register` show them.
//
//   RegisterRowTexts(row).date   -> "12/03/2026  *"   (not cleared)
//   RegisterRowTexts(row).check  -> "1043" for a check, "" otherwise
#pragma once

#include <string>

#include "cash/account_ledger.h"

namespace pellmark {

struct RegisterRowText {
  std::string date;  // "mm/dd/yyyy", followed by "  *" when not cleared
  std::string kind;
  std::string desc;
  std::string check;
};

RegisterRowText RegisterRowTexts(const ledger::RegisterRow& row);

}  // namespace pellmark
