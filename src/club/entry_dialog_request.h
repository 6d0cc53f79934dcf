// What a caller hands the transaction entry dialog and what it gets back. The
// request carries the record to show and every list the dialog offers, so the
// dialog never reads a store itself.
//
//   EntryDialogRequest request;
//   request.mode = EntryMode::Buy;
//   request.heading = security.name;
//   request.security_tran = lot;          // trandate, actid, stkid preset
//   request.accounts = active_accounts;   // listed by name, in this order
//   EntryDialogResult result = ui.RunEntryDialog(request);
//   if (result.outcome != DialogOutcome::Ok) return false;
//   Post(result.security_tran, result.check_number);
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "club/entry_dialog_mode.h"
#include "club/records.h"

namespace pellmark {

enum class DialogOutcome { Ok = 1, Cancelled = 2, Aborted = 3 };

// The figures of a split (new shares for old shares) or a basis update (new cost
// for old cost); `clear` is set when a basis update was turned into a Clear.
struct RatioRec {
  double new_figure = 0;
  double old_figure = 0;
  bool clear = false;
  friend bool operator==(const RatioRec&, const RatioRec&) = default;
};

// One valuation a payoff can be made at, with the member's largest payoff at it.
struct PayoffValuation {
  TUnitValueRec unit;
  double maximum = 0;
};

struct EntryDialogRequest {
  EntryMode mode = EntryMode::Buy;
  bool change = false;  // false: a new entry; true: a stored record is shown for change
  std::string heading;  // the security, member or account name
  bool show_abort = false;
  bool from_reconciliation = false;

  // The record of the mode. Splits and basis updates take their date from
  // security_tran, which for a split is also the template of the fraction sale.
  TSecurityTranRec security_tran;
  TPriceRec price;
  TMemberTranRec member_tran;
  TAccountTranRec account_tran;
  RatioRec ratio;

  // Accounts offered in the account list (and as transfer targets), in list order.
  std::vector<TAccountRec> accounts;
  // Securities offered as "Bought Security" of a reinvestment, in list order.
  std::vector<TSecurityRec> securities;
  // Categories; a deposit offers the income ones, a check or withdrawal the expense ones.
  std::vector<TCategoryRec> categories;
  // The account an account transaction belongs to.
  TAccountRec current_account;
  // Valuations a payoff can be made at, newest first.
  std::vector<PayoffValuation> payoff_valuations;
  // The member's current total contributions (mode 17) or earnings (mode 18).
  double current_total = 0;
  // State of "Check" at the last purchase; a new purchase starts with it.
  bool check_ticked = false;
};

struct EntryDialogResult {
  DialogOutcome outcome = DialogOutcome::Cancelled;
  // The records read back; only the one of the mode is meaningful.
  TSecurityTranRec security_tran;
  TPriceRec price;
  TMemberTranRec member_tran;
  TAccountTranRec account_tran;
  RatioRec ratio;
  // The check written with a purchase or a payoff, -1 for none.
  std::int32_t check_number = -1;
  // State of "Check" to offer at the next purchase.
  bool check_ticked = false;
};

}  // namespace pellmark
