// The arithmetic of posting one account transaction into its account's figures.
//
//   ApplyAccountPosting(account, check, +1, club_year);   // apply
//   ApplyAccountPosting(account, check, -1, club_year);   // back out: the exact reverse
//   MoveAccountDates(account, check, now);                // after applying only
#pragma once

#include <vector>

#include <cstdint>

#include "club/records.h"

namespace pellmark::ledger {

// Adds (`sign` +1) or removes (`sign` -1) the transaction's effect on the balance,
// the outstanding figure of an uncleared item, and the interest totals
// (`interesty` only for interest dated in `club_year`).
void ApplyAccountPosting(TAccountRec& account, const TAccountTranRec& tran, int sign, std::int32_t club_year);

// An account's figures (`bal` from its opening balance, outstanding credits and
// debits, interest of all time and of `club_year`) taken again from its register
// in key order: the reset, and what check-books compares with.
TAccountRec AccountFiguresFrom(TAccountRec account, const std::vector<TAccountTranRec>& transactions,
                               std::int32_t club_year);

// After applying: `lstdate` follows a transaction dated on or after it and not
// after `now`; a check's number becomes `lstchk`.
void MoveAccountDates(TAccountRec& account, const TAccountTranRec& tran, double now);

}  // namespace pellmark::ledger
