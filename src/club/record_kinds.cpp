#include "club/record_kinds.h"

namespace pellmark {

bool IsDebit(AccountTranKind kind) {
  return kind == AccountTranKind::Check || kind == AccountTranKind::Withdrawal || kind == AccountTranKind::BankCharge ||
         kind == AccountTranKind::TransferOut;
}

bool IsOpenLot(const TSecurityTranRec& tran) {
  const SecurityTranKind kind = KindOf(tran);
  return (kind == SecurityTranKind::Purchase || kind == SecurityTranKind::Reinvestment) && !tran.sold;
}

bool IsCoveringPurchase(const TSecurityTranRec& tran) {
  return KindOf(tran) == SecurityTranKind::Purchase && tran.compc;
}

bool IsClosedByClear(const TSecurityTranRec& lot, std::int32_t clear_stranid) {
  const SecurityTranKind kind = KindOf(lot);
  return (kind == SecurityTranKind::Purchase || kind == SecurityTranKind::Reinvestment) && lot.sold &&
         lot.buytran == clear_stranid && clear_stranid >= 0;
}

bool IsShortSale(const TSecurityTranRec& tran) {
  return KindOf(tran) == SecurityTranKind::Sale && tran.compc && !tran.tax;
}

bool IsFractionLot(const TSecurityTranRec& tran) { return KindOf(tran) == SecurityTranKind::Purchase && tran.tax; }

bool IsFractionSale(const TSecurityTranRec& tran) { return KindOf(tran) == SecurityTranKind::Sale && tran.tax; }

bool CommissionFromDividend(const TSecurityTranRec& tran) {
  return KindOf(tran) == SecurityTranKind::Reinvestment && !tran.compc;
}

bool IsOpenShortSale(const TSecurityTranRec& tran) { return IsShortSale(tran) && !tran.sold; }

bool IsPredefinedCategory(std::int32_t catid) {
  return catid >= Code(PredefinedCategory::MemberContributions) && catid <= Code(PredefinedCategory::TransferOut);
}

std::string AccountKindLabel(AccountTranKind kind) {
  switch (kind) {
    case AccountTranKind::Check: return "Check";
    case AccountTranKind::Deposit: return "Deposit";
    case AccountTranKind::Withdrawal: return "Withdrawal";
    case AccountTranKind::BankCharge: return "Bank Charge";
    case AccountTranKind::Interest: return "Interest";
    case AccountTranKind::TransferOut: return "Transfer Out";
    case AccountTranKind::TransferIn: return "Transfer In";
  }
  return "Unknown";
}

std::string MemberKindLabel(MemberTranKind kind) {
  switch (kind) {
    case MemberTranKind::Payment: return "Payment";
    case MemberTranKind::Payout: return "Payout";
    case MemberTranKind::NuPayment: return "NU Payment";
    case MemberTranKind::NuEarnings: return "NU Earnings";
    case MemberTranKind::Earnings: return "Earnings";
    case MemberTranKind::Fee: return "Fee";
  }
  return "Unknown";
}

std::string LotLabel(const TSecurityTranRec& tran) {
  switch (KindOf(tran)) {
    case SecurityTranKind::Purchase: return "Buy";
    case SecurityTranKind::Sale: return "Short Sell";
    default: return tran.tax ? "Re-Investment" : "NO Tax-ReInv";
  }
}

}  // namespace pellmark
