// The arithmetic of posting one member transaction into its member's totals.
//
//   ApplyMemberPosting(member, payment, +1);   // units bought, contributions up
//   ApplyMemberPosting(member, payment, -1);   // backed out
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "club/records.h"

namespace pellmark::ledger {

// The units a transaction carries: `dues` / `cunit` as the 6-byte real holds
// it, 0 when `cunit` is 0.
double UnitsOf(const TMemberTranRec& tran);

// Applies (`sign` +1) or backs out (`sign` -1) the transaction. After a payout is
// applied, and after anything is backed out, units within 0.005 of zero become 0.
void ApplyMemberPosting(TMemberRec& member, const TMemberTranRec& tran, int sign);

// A member's totals (`tunits`, `totalc`, `totale`) taken again from all its
// transactions in key order: the reset, and what check-books compares with.
TMemberRec MemberTotalsFrom(TMemberRec member, const std::vector<TMemberTranRec>& transactions);

// The member's totals as they stood at the end of `date`: every transaction
// dated after it backed out of the stored totals, the newest first.
// `transactions` are the member's, in key order.
TMemberRec MemberAsOf(TMemberRec member, const std::vector<TMemberTranRec>& transactions, double date);

// "First Last" for a person, the whole name for a group.
std::string DisplayName(const TMemberRec& member);

}  // namespace pellmark::ledger
