// The arithmetic of the security ledger on one record: its shares, what it
// does to the security's running totals and the cash posting it makes.
//
//   ApplyTotals(security, lot, +1, nullptr, club_year);    // a new purchase
//   ApplyTotals(security, sale, +1, &lot, club_year);      // one sale record and the lot it relieved
//   ApplyTotals(security, old, -1, &lot, club_year);       // the exact reverse
//   std::optional<CashPosting> cash = CashPostingOf(dividend, "Acme");   // Deposit, 2, "Acme Dividend"
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "club/record_kinds.h"
#include "club/records.h"

namespace pellmark::ledger {

// The shares of a purchase, sale or reinvestment: amount / price, but
// (amount - comm) / price for a reinvestment whose commission came out of the
// dividend; 0 for the other kinds (and for a record without a price). Every
// count of a lot's shares (totals, lots, sales, splits, clears) is this one.
double SharesOf(const TSecurityTranRec& tran);

// What a lot cost: its amount plus its commission, unless it is a reinvestment
// whose commission was taken from the dividend (`compc` 0).
double LotCost(const TSecurityTranRec& lot);

// Applies (`sign` +1) or reverses (`sign` -1) one record's effect on the
// security's totals. `lot` is the lot a sale record relieved, as sold (for a
// cut lot, the sold part): its shares and cost leave the holding. The sale
// record itself stands in when it is missing. `club_year` is the open year
// that `dividendy` counts.
void ApplyTotals(TSecurityRec& security, const TSecurityTranRec& tran, int sign, const TSecurityTranRec* lot,
                 std::int32_t club_year);

// Re-applies every record of one security, given in key order, to totals that
// start at zero: the reset. The records are applied as the running totals
// took them (lots, the sales and clears that relieved them, capital
// reductions), so a holding sold out forgets the reductions of its lots; the
// dividends are those the records stand for, the fractions a split sold of a
// reinvestment included, as paid whatever basis update came later.
void ReapplyTotals(TSecurityRec& security, const std::vector<TSecurityTranRec>& records, std::int32_t club_year);

// The width of a cash posting's description.
inline constexpr std::size_t kPostingDescWidth = 30;

// The cash side of a record, without its account, id and date.
struct CashPosting {
  AccountTranKind kind = AccountTranKind::Deposit;
  PredefinedCategory category = PredefinedCategory::InvestmentIncome;
  std::string desc;  // already cut to 30 characters
  double amount = 0;
};

// The posting of a record of security `name`; nullopt for the kinds that post
// no cash (reinvestments, clears, basis changes, foreign taxes). A purchase is
// a Check when `check_number` > 0, else a Withdrawal.
std::optional<CashPosting> CashPostingOf(const TSecurityTranRec& tran, std::string_view name,
                                         std::int32_t check_number = -1);

// The account transaction of a posting: dated like the record, marked as posted
// by the security ledger, carrying the check number (-1 when none).
TAccountTranRec AccountTransactionOf(const CashPosting& posting, const TSecurityTranRec& tran,
                                     std::int32_t check_number);

// Shares with `decimals` places, trailing zeros and a trailing point removed:
// 150 -> "150", 12.5 -> "12.5"; the posting of a purchase names its shares so.
std::string TrimmedShares(double shares, int decimals);

}  // namespace pellmark::ledger
