// The tax basis of the units a payout took: the payout's units (what was paid
// and the fee, over its unit value) matched against the member's most recent
// purchases and earnings credits first, each giving the part of its amount
// that its matched units carry. Units an earlier payout took are set aside, so
// they are not matched twice.
//
//   double basis = PayoutTaxBasis(member_transactions, payout);
//   double gain = payout.dues - basis;
#pragma once

#include <vector>

#include "club/records.h"

namespace pellmark::ledger {

// `transactions` are the member's, in key order, and hold `payout` (matched by
// its `duestran`); 0 when they do not or the payout has no unit value.
double PayoutTaxBasis(const std::vector<TMemberTranRec>& transactions, const TMemberTranRec& payout);

}  // namespace pellmark::ledger
