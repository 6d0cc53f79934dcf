#include "cash/account_posting.h"

#include "club/dates.h"

namespace pellmark::ledger {

bool IsDebit(std::uint8_t typ) {
  return typ == kCheck || typ == kWithdrawal || typ == kBankCharge || typ == kTransferOut;
}

std::string AccountKindLabel(std::uint8_t typ) {
  switch (typ) {
    case kCheck: return "Check";
    case kDeposit: return "Deposit";
    case kWithdrawal: return "Withdrawal";
    case kBankCharge: return "Bank Charge";
    case kInterest: return "Interest";
    case kTransferOut: return "Transfer Out";
    case kTransferIn: return "Transfer In";
    default: return "Unknown";
  }
}

void ApplyAccountPosting(TAccountRec& account, const TAccountTranRec& tran, int sign, std::int32_t club_year) {
  const double amount = sign * tran.amount;
  if (IsDebit(tran.typ)) {
    account.bal -= amount;
    if (!tran.cancel) account.ostdeb += amount;
  } else {
    account.bal += amount;
    if (!tran.cancel) account.ostcred += amount;
  }
  if (tran.typ == kInterest) {
    account.interest += amount;
    if (CivilFromDayNumber(tran.trandate).year == club_year) account.interesty += amount;
  }
}

void MoveAccountDates(TAccountRec& account, const TAccountTranRec& tran, double now) {
  if (tran.trandate >= account.lstdate && tran.trandate <= now) account.lstdate = tran.trandate;
  if (tran.typ == kCheck) account.lstchk = tran.checknum;
}

}  // namespace pellmark::ledger
