#include "securities/write_off.h"

#include "club/holding_term.h"
#include "club/keys.h"
#include "club/record_kinds.h"
#include "securities/security_totals.h"

namespace pellmark::ledger {

void WriteOffs::Forget(TSecurityRec& security) {
  for (const TSecurityTranRec& tran : club_.stkrecs.Select(OwnerFilter(security.stkid))) {
    if (KindOf(tran) == SecurityTranKind::CapitalGain && tran.buytran != -1) {
      club_.stkrecs.Remove(club_.stkrecs.KeyOf(tran));
    }
  }
}

void WriteOffs::Record(TSecurityRec& security, DayNumber date) {
  club_.Ui().Beep();
  club_.Ui().ShowInformation("Security no longer has any value. Capital Loss Recorded.");
  // The loss records move no totals: the shares are still held, now at no value.
  for (const TSecurityTranRec& lot : club_.stkrecs.Select(OwnerFilter(security.stkid))) {
    // Reinvested shares are held like bought ones, and are lost with them.
    if (!IsOpenLot(lot) || IsCoveringPurchase(lot)) continue;
    TSecurityTranRec loss;
    loss.typ = Code(SecurityTranKind::CapitalGain);
    loss.amount = -LotCost(lot);
    loss.trandate = date;
    loss.stkid = security.stkid;
    loss.buytran = lot.stranid;
    const int term = HoldingTerm(lot.trandate, date);
    loss.tax = term == kShortTerm;
    loss.compc = term == kMediumTerm;
    loss.stranid = AllocateTranId(security.trancount);
    club_.stkrecs.Put(loss);
  }
  securities_.Save(security);
  if (club_.Ui().Confirm("Do you want to hide security?", false)) static_cast<void>(securities_.Hide(security.name));
}

}  // namespace pellmark::ledger
