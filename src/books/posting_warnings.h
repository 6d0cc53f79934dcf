// What a treasurer is warned of after an operation, though it was not refused:
// an account it took below zero, and a check it wrote with a number the
// account has used before.
//
//   const AccountFigures before = TakeAccountFigures(books);
//   books.Perform(...);
//   for (const std::string& warning : PostingWarnings(books, before)) ui.ShowStatus(warning);
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "books/books.h"
#include "club/records.h"

namespace pellmark {

using AccountFigures = std::map<std::int32_t, TAccountRec>;

AccountFigures TakeAccountFigures(Books& books);

// "Warning: Bank is below zero: ($12.50)." for each account whose balance the
// operation moved below zero; "Warning: check 1001 was already used in Bank."
// for each check it entered whose number an earlier check of the account has.
std::vector<std::string> PostingWarnings(Books& books, const AccountFigures& before);

// Whether an account was added, removed, or had its balance or transactions changed.
bool AccountsMoved(const AccountFigures& before, const AccountFigures& after);

}  // namespace pellmark
