// The arithmetic of posting one account transaction into its account's figures.
//
//   ApplyAccountPosting(account, check, +1, club_year);   // apply
//   ApplyAccountPosting(account, check, -1, club_year);   // back out: the exact reverse
//   MoveAccountDates(account, check, now);                // after applying only
#pragma once

#include <cstdint>
#include <string>

#include "club/records.h"

namespace pellmark::ledger {

// Account transaction kinds (`typ`).
enum AccountKind : std::uint8_t {
  kCheck = 0,
  kDeposit = 1,
  kWithdrawal = 2,
  kBankCharge = 3,
  kInterest = 4,
  kTransferOut = 5,
  kTransferIn = 6,
};

// Who wrote an account transaction (`updateloc`).
enum AccountOrigin : std::uint8_t { kFromAccountsPage = 0, kFromSecurity = 1, kFromMember = 2 };

// Checks, withdrawals, bank charges and transfers out lower the balance.
bool IsDebit(std::uint8_t typ);

// The register's label of a kind: "Check", "Deposit", "Withdrawal", "Bank Charge",
// "Interest", "Transfer Out", "Transfer In".
std::string AccountKindLabel(std::uint8_t typ);

// Adds (`sign` +1) or removes (`sign` -1) the transaction's effect on the balance,
// the outstanding figure of an uncleared item, and the interest totals
// (`interesty` only for interest dated in `club_year`).
void ApplyAccountPosting(TAccountRec& account, const TAccountTranRec& tran, int sign, std::int32_t club_year);

// After applying: `lstdate` follows a transaction dated on or after it and not
// after `now`; a check's number becomes `lstchk`.
void MoveAccountDates(TAccountRec& account, const TAccountTranRec& tran, double now);

}  // namespace pellmark::ledger
