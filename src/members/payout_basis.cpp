#include "members/payout_basis.h"

#include <algorithm>

#include "club/record_kinds.h"
#include "members/member_posting.h"

namespace pellmark::ledger {

double PayoutTaxBasis(const std::vector<TMemberTranRec>& transactions, const TMemberTranRec& payout) {
  if (payout.cunit == 0) return 0;
  const auto at = std::find_if(transactions.begin(), transactions.end(), [&](const TMemberTranRec& tran) {
    return tran.duestran == payout.duestran && KindOf(tran) == MemberTranKind::Payout;
  });
  if (at == transactions.end()) return 0;
  double to_cover = (payout.dues + payout.fee) / payout.cunit;
  double set_aside = 0;
  double basis = 0;
  for (auto tran = std::make_reverse_iterator(at); tran != transactions.rend() && to_cover > 0; ++tran) {
    const MemberTranKind kind = KindOf(*tran);
    if (kind == MemberTranKind::Payout) {
      set_aside = tran->cunit == 0 ? 0 : (tran->dues + tran->fee) / tran->cunit;
      continue;
    }
    if (kind != MemberTranKind::Payment && kind != MemberTranKind::Earnings) continue;
    const double units = UnitsOf(*tran);
    if (units <= 0) continue;
    double remaining = units;
    if (set_aside > 0) {
      if (set_aside >= units) {
        set_aside -= units;
        continue;
      }
      remaining = units - set_aside;
      set_aside = 0;
    }
    const double taken = std::min(remaining, to_cover);
    basis += tran->dues * (taken / units);
    to_cover -= taken;
  }
  return basis;
}

}  // namespace pellmark::ledger
