#include "members/payout_basis.h"

#include <algorithm>

#include "club/money.h"
#include "club/record_kinds.h"
#include "members/member_posting.h"

namespace pellmark::ledger {

double CoveredUnits(const TMemberTranRec& payout) {
  return payout.cunit == 0 ? 0 : (payout.dues + payout.fee) / payout.cunit;
}

double PayoutTaxBasis(const std::vector<TMemberTranRec>& transactions, std::size_t payout) {
  double to_cover = CoveredUnits(transactions.at(payout));
  double set_aside = 0;
  double basis = 0;
  for (std::size_t i = payout; i-- > 0 && to_cover > 0;) {
    const TMemberTranRec& tran = transactions[i];
    switch (KindOf(tran)) {
      case MemberTranKind::Payment:
      case MemberTranKind::Earnings: {
        const double bought = UnitsOf(tran);
        if (bought <= 0) break;
        double left = bought;
        if (set_aside > 0) {
          const double consumed = std::min(set_aside, left);
          set_aside -= consumed;
          left -= consumed;
        }
        const double taken = std::min(left, to_cover);
        basis += tran.dues * (taken / bought);
        to_cover -= taken;
        break;
      }
      case MemberTranKind::Payout:
        set_aside += CoveredUnits(tran);
        break;
      default:
        break;
    }
  }
  return RoundCents(basis);
}

double PayoutTaxBasis(const std::vector<TMemberTranRec>& transactions, const TMemberTranRec& payout) {
  const auto at = std::find_if(transactions.begin(), transactions.end(), [&](const TMemberTranRec& tran) {
    return tran.duestran == payout.duestran && KindOf(tran) == MemberTranKind::Payout;
  });
  if (at == transactions.end()) return 0;
  return PayoutTaxBasis(transactions, static_cast<std::size_t>(at - transactions.begin()));
}

}  // namespace pellmark::ledger
