#include "cash/account_posting.h"

#include "club/dates.h"
#include "club/record_kinds.h"

namespace pellmark::ledger {

void ApplyAccountPosting(TAccountRec& account, const TAccountTranRec& tran, int sign, std::int32_t club_year) {
  const double amount = sign * tran.amount;
  if (IsDebit(KindOf(tran))) {
    account.bal -= amount;
    if (!tran.cancel) account.ostdeb += amount;
  } else {
    account.bal += amount;
    if (!tran.cancel) account.ostcred += amount;
  }
  if (KindOf(tran) == AccountTranKind::Interest) {
    account.interest += amount;
    if (CivilFromDayNumber(tran.trandate).year == club_year) account.interesty += amount;
  }
}

void MoveAccountDates(TAccountRec& account, const TAccountTranRec& tran, double now) {
  if (tran.trandate >= account.lstdate && tran.trandate <= now) account.lstdate = tran.trandate;
  if (KindOf(tran) == AccountTranKind::Check) account.lstchk = tran.checknum;
}

TAccountRec AccountFiguresFrom(TAccountRec account, const std::vector<TAccountTranRec>& transactions,
                               std::int32_t club_year) {
  account.bal = account.ibal;
  account.ostcred = account.ostdeb = account.interest = account.interesty = 0;
  for (const TAccountTranRec& tran : transactions) ApplyAccountPosting(account, tran, +1, club_year);
  return account;
}

}  // namespace pellmark::ledger
