// The tax basis of the units a payout took: the payout's units (what was paid
// and the fee, over its unit value) matched against the member's most recent
// purchases and earnings credits first, each giving the part of its amount
// that its matched units carry. The units of each earlier payout are set
// aside on top of those a later one has not yet consumed, so no purchase is
// matched twice.
//
//   double basis = PayoutTaxBasis(member_transactions, payout);
//   double gain = payout.dues - basis;
#pragma once

#include <cstddef>
#include <vector>

#include "club/records.h"

namespace pellmark::ledger {

// The units a payout covers: what it paid and what its fee kept back.
double CoveredUnits(const TMemberTranRec& payout);

// `transactions` are the member's, in key order; `payout` is the index of the
// payout among them. In cents.
double PayoutTaxBasis(const std::vector<TMemberTranRec>& transactions, std::size_t payout);

// The same for the payout record itself (matched by its `duestran`); 0 when
// the transactions do not hold it.
double PayoutTaxBasis(const std::vector<TMemberTranRec>& transactions, const TMemberTranRec& payout);

}  // namespace pellmark::ledger
