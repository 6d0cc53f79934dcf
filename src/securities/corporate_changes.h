// Changes to a security's whole holding: a stock split (with cash paid for the
// fractional shares), a cost-basis update and a clear. Each rewrites the open
// lots and the price history and leaves one record of its own; deleting a split
// or basis change undoes it. Also the reset of the year's dividend postings.
//
//   CorporateChanges changes(club, securities, accounts);
//   changes.Enter("Acme", CorporateChange::Split, date);          // the "Split" dialog, then the split
//   changes.SplitSecurity(stkid, {3, 2, date, FractionCash{12.5, 1, false, cash_actid}});
//   changes.UpdateBasis(stkid, 1200, 1000, date);                   // "Acme Basis Updated."
//   changes.ResetDividends();                                       // asks first
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "cash/account_ledger.h"
#include "club/club_session.h"
#include "club/outcome.h"
#include "club/records.h"
#include "securities/security_records.h"

namespace pellmark::ledger {

// The items 5 "Split" and 6 "Basis Update" of `stockselect`.
enum class CorporateChange { Split, BasisUpdate };

// Cash paid for the fractional shares of a split ("Cash For Fractions").
struct FractionCash {
  double amount = 0;          // "Amount:"
  double comm = 0;            // its commission
  bool company_paid = false;  // the company paid the commission
  std::int32_t actid = -1;    // the account the cash goes to
};

struct SplitTerms {
  double new_shares = 0;  // N, "New Shares"
  double old_shares = 0;  // O, "Old Shares"
  DayNumber date = 0;
  std::optional<FractionCash> cash;
};

class CorporateChanges {
 public:
  CorporateChanges(ClubSession& club, SecurityRecords& securities, AccountLedger& accounts);

  // `stockselectClick` for "Split" or "Basis Update": the refusals of an entry,
  // the dialog proposed on `date`, then the split, basis update or clear.
  Outcome Enter(std::string_view name, CorporateChange choice, DayNumber date);

  // The routines behind the dialog; refused when the security held no lot on
  // the date (a split) or holds no shares on it (a clear).
  Outcome SplitSecurity(std::int32_t stkid, const SplitTerms& terms);
  Outcome UpdateBasis(std::int32_t stkid, double new_cost, double old_cost, DayNumber date);
  Outcome ClearSecurity(std::int32_t stkid, DayNumber date);

  // Removes the fraction lots and sales of the split `split_stranid`, giving
  // each fraction lot's cost back to its parent lot.
  void UndoSplitFractions(std::int32_t stkid, std::int32_t split_stranid);
  // Undoes a split or basis change whose record was just removed, then resets
  // the security. Other records are left alone. A failure when the fraction's
  // cash cannot be taken back.
  [[nodiscard]] Outcome UndoRemoved(const TSecurityTranRec& removed);

  // "Reset Dividends": asks, then re-creates the cash postings of the open
  // year's dividends from the security records, hidden securities included:
  // every posting it deletes is posted again.
  Outcome ResetDividends();

 private:
  Outcome Refuse(const std::string& message);
  // What a split did to the holding: the net change in shares, and the cost of
  // the lots' fractional shares sold for cash, which leaves the running cost.
  struct SplitEffect {
    double net_shares = 0;
    double sold_cost = 0;
  };
  // The split of step 3 onwards on records and prices. `split_id` names the
  // fraction records.
  SplitEffect RewriteForSplit(TSecurityRec& security, const SplitTerms& terms, std::int32_t split_id);
  void RewriteBasis(TSecurityRec& security, double new_cost, double old_cost, DayNumber date);
  // Multiplies every price dated on or before `date` by `by` / `over`, and the
  // current price when `pricedate` is on or before it.
  void ScalePrices(TSecurityRec& security, double by, double over, DayNumber date);
  // Posts the fraction's cash and sets the split's transid.
  [[nodiscard]] Outcome PostFractionCash(const TSecurityRec& security, TSecurityTranRec& split,
                                         const FractionCash& fraction_cash);

  ClubSession& club_;
  SecurityRecords& securities_;
  AccountLedger& accounts_;
};

}  // namespace pellmark::ledger
