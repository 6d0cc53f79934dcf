#include "securities/security_totals.h"

#include <cmath>
#include <limits>

#include "club/dates.h"
#include "club/number_format.h"
#include "securities/security_position.h"

namespace pellmark::ledger {
namespace {

bool IsLotKind(SecurityTranKind kind) {
  return kind == SecurityTranKind::Purchase || kind == SecurityTranKind::Reinvestment;
}

// When no shares are left, nothing is left to have cost anything.
void ZeroTest(TSecurityRec& security) { ApplySecurityBookkeeping(security); }

}  // namespace

double SharesOf(const TSecurityTranRec& tran) {
  const SecurityTranKind kind = KindOf(tran);
  const bool counted = IsLotKind(kind) || kind == SecurityTranKind::Sale;
  if (!counted || tran.price == 0) return 0;
  return (CommissionFromDividend(tran) ? tran.amount - tran.comm : tran.amount) / tran.price;
}

double LotCost(const TSecurityTranRec& lot) { return lot.amount + (CommissionFromDividend(lot) ? 0 : lot.comm); }

void ApplyTotals(TSecurityRec& security, const TSecurityTranRec& tran, int sign, const TSecurityTranRec* lot,
                 std::int32_t club_year) {
  const bool apply = sign > 0;
  switch (KindOf(tran)) {
    case SecurityTranKind::Purchase:
    case SecurityTranKind::Reinvestment: {
      if (IsCoveringPurchase(tran)) break;  // it moves no totals
      security.sharest += sign * SharesOf(tran);
      security.tspent += sign * LotCost(tran);
      if (apply) {
        security.pricep = security.sharest != 0 ? security.tspent / security.sharest : 0;
        if (security.pricedate == 0) security.pricec = tran.price;
      } else {
        ZeroTest(security);
      }
      break;
    }
    case SecurityTranKind::Sale: {
      if (IsShortSale(tran)) break;  // it moves no totals
      // What leaves the holding is what the sale took from its lot, so the
      // totals keep agreeing with the open lots, even where the sale's own
      // shares differ from the lot's by less than a cent's worth.
      const TSecurityTranRec& relieved = lot != nullptr ? *lot : tran;
      security.sharest -= sign * SharesOf(relieved);
      security.tspent -= sign * LotCost(relieved);
      if (apply) {
        ZeroTest(security);
        if (security.pricedate == 0) security.pricec = tran.price;
      } else {
        security.pricep = security.sharest != 0 ? security.tspent / security.sharest : 0;
      }
      break;
    }
    default: break;
  }
  switch (KindOf(tran)) {
    case SecurityTranKind::Dividend:
    case SecurityTranKind::Reinvestment:
      security.dividendt += sign * tran.amount;
      if (CivilFromDayNumber(tran.trandate).year == club_year) security.dividendy += sign * tran.amount;
      break;
    case SecurityTranKind::CapitalReduction:
      security.tspent -= sign * tran.amount;
      security.pricep = security.sharest > 0 ? security.tspent / security.sharest : 0;
      break;
    case SecurityTranKind::Clear:
      // `comm` is the cost of the lots the clear closed (0 for a clear of older books).
      security.sharest -= sign * tran.amount;
      security.tspent -= sign * tran.comm;
      if (security.sharest < kShareTolerance) security.sharest = 0;
      ApplySecurityBookkeeping(security);
      break;
    default: break;
  }
}

void ReapplyTotals(TSecurityRec& security, const std::vector<TSecurityTranRec>& records, std::int32_t club_year) {
  // The reset is the position as of the end of time: the same rules in the
  // same order as the running totals followed, so the two always agree.
  security = PositionAsOf(security, SecurityHistory(records), std::numeric_limits<DayNumber>::max(), club_year);
}

std::optional<CashPosting> CashPostingOf(const TSecurityTranRec& tran, std::string_view name,
                                         std::int32_t check_number) {
  CashPosting posting;
  const std::string security(name);
  switch (KindOf(tran)) {
    case SecurityTranKind::Purchase:
      posting.kind = check_number > 0 ? AccountTranKind::Check : AccountTranKind::Withdrawal;
      posting.category = PredefinedCategory::Investments;
      posting.desc = TrimmedShares(SharesOf(tran), 4) + " " + security;
      posting.amount = tran.amount + tran.comm;
      break;
    case SecurityTranKind::Sale:
      posting.desc = security + " Proceeds";
      posting.amount = tran.amount - tran.comm;
      break;
    case SecurityTranKind::Dividend:
      posting.category = tran.tax ? PredefinedCategory::DividendIncome : PredefinedCategory::InvestmentIncome;
      posting.desc = security + (tran.tax ? " Dividend" : " NT-Dividend");
      posting.amount = tran.amount;
      break;
    case SecurityTranKind::CapitalReduction:
      posting.desc = security + " Capital Reduction";
      posting.amount = tran.amount;
      break;
    case SecurityTranKind::CapitalGain:
      posting.desc = security + " Capital Gain";
      posting.amount = tran.amount;
      break;
    case SecurityTranKind::Split:
      posting.desc = security + " Fraction Cash";
      posting.amount = tran.compc ? tran.amount : tran.amount - tran.comm;
      break;
    default: return std::nullopt;
  }
  if (posting.desc.size() > kPostingDescWidth) posting.desc.resize(kPostingDescWidth);
  return posting;
}

TAccountTranRec AccountTransactionOf(const CashPosting& posting, const TSecurityTranRec& tran,
                                     std::int32_t check_number) {
  TAccountTranRec account_tran;
  account_tran.trandate = tran.trandate;
  account_tran.amount = posting.amount;
  account_tran.desc = posting.desc;
  account_tran.checknum = check_number;
  account_tran.catid = Code(posting.category);
  account_tran.actid = tran.actid;
  account_tran.xferact = -1;
  account_tran.typ = Code(posting.kind);
  account_tran.updateloc = Code(AccountOrigin::Security);
  return account_tran;
}

std::string TrimmedShares(double shares, int decimals) {
  std::string text = FormatFixed(shares, decimals);
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  return text;
}

}  // namespace pellmark::ledger
