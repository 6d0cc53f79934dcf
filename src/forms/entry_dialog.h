// The transaction entry dialog without a window: prepared from a request, fed the
// user's typing and clicks, and asked to close. A desktop window draws Form() and
// calls the handlers; the command line fills the texts and presses OK itself.
//
//   EntryDialog dialog(request);
//   dialog.Form().amount.text = "1000";
//   dialog.Form().price.text = "12 1/2";
//   dialog.priceExit();                      // price now reads "12.50"
//   OkOutcome outcome = dialog.PressOk();
//   if (outcome.kind == OkOutcome::Kind::Accepted) Post(outcome.result.security_tran);
#pragma once

#include "club/entry_dialog_request.h"
#include "forms/entry_dialog_checks.h"
#include "forms/entry_dialog_form.h"

namespace pellmark {

class EntryDialog {
 public:
  // Where the focus goes when the dialog is shown.
  enum class Focus { Date, Amount, Price, Description, None };

  explicit EntryDialog(EntryDialogRequest request);

  const EntryDialogRequest& Request() const { return request_; }
  const EntryForm& Form() const { return form_; }
  // Texts, ticks and selections are written here; then the matching handler runs.
  EntryForm& Form() { return form_; }

  Focus FirstFocus() const;

  // "Account Transaction" was ticked or unticked.
  void tranClick();
  // "Taxable" (or "Check") was ticked or unticked.
  void taxClick();
  // "Cleared" was ticked or unticked (a basis update turns into a Clear).
  void clearedClick();
  // "Cash For Fractions" was ticked or unticked.
  void fractionsClick();
  // "Reduction" or "Gain" was chosen.
  void captypeClick();
  // Another entry of the account list was chosen.
  void accountboxChange();
  // Leaving the price box, or the amount box of a price entry: fractions are read.
  void priceExit();
  void amountExit();

  // The checks of OK; a read-only form closes as cancelled without them.
  OkOutcome PressOk() const;
  // Cancel and Abort close without checks.
  EntryDialogResult Cancelled() const;
  EntryDialogResult Aborted() const;

 private:
  bool OffersCheck() const;
  void ShowCheckNumber();

  EntryDialogRequest request_;
  EntryForm form_;
  int saved_account_ = -1;
};

}  // namespace pellmark
