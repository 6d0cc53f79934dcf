#include "forms/entry_dialog.h"

#include "forms/entry_dialog_prepare.h"
#include "forms/entry_number_text.h"

namespace pellmark {

EntryDialog::EntryDialog(EntryDialogRequest request)
    : request_(std::move(request)), form_(PrepareEntryForm(request_)) {}

EntryDialog::Focus EntryDialog::FirstFocus() const {
  if (form_.Date.enabled) return Focus::Date;
  if (form_.amount.visible && form_.amount.enabled) return Focus::Amount;
  if (form_.price.visible && form_.price.enabled) return Focus::Price;
  if (form_.desc.visible && form_.desc.enabled) return Focus::Description;
  return Focus::None;
}

bool EntryDialog::OffersCheck() const {
  return (form_.mode == EntryMode::Buy || form_.mode == EntryMode::MemberPayoff) && !form_.change;
}

void EntryDialog::ShowCheckNumber() {
  bool shown = form_.tax.visible && form_.tax.checked;
  form_.desc.visible = form_.desclabel.visible = shown;
}

void EntryDialog::tranClick() {
  if (form_.tran.checked) {
    form_.accountbox.enabled = true;
    form_.accountbox.selected = saved_account_;
  } else {
    saved_account_ = form_.accountbox.selected;
    form_.accountbox.selected = -1;
    form_.accountbox.enabled = false;
  }
  if (OffersCheck()) {
    form_.tax.visible = form_.tran.checked;
    ShowCheckNumber();
  }
}

void EntryDialog::taxClick() {
  if (OffersCheck()) {
    ShowCheckNumber();
  } else if (form_.mode == EntryMode::DividendReinvestment) {
    form_.allunits.visible = form_.payofflabel.visible = !form_.tax.checked;
  }
}

void EntryDialog::clearedClick() {
  if (form_.mode != EntryMode::BasisUpdate) return;
  bool figures = !form_.cleared.checked;
  form_.ratio.visible = form_.typelabel.visible = form_.amount.visible = figures;
  form_.pricelabel.visible = form_.price.visible = figures;
}

void EntryDialog::fractionsClick() {
  if (form_.mode == EntryMode::Split) ShowFractionCash(form_, form_.fractions.checked);
}

void EntryDialog::captypeClick() {
  if (form_.mode == EntryMode::CapitalChange) form_.allunits.visible = form_.captype.selected == kCapitalGain;
}

void EntryDialog::accountboxChange() {
  if (!OffersCheck() || !form_.tax.checked) return;
  int chosen = form_.accountbox.selected;
  if (chosen < 0 || chosen >= static_cast<int>(request_.accounts.size())) return;
  form_.desc.text = NextCheckText(request_.accounts[chosen]);
}

void EntryDialog::priceExit() {
  bool reads_fractions = form_.mode == EntryMode::Buy || form_.mode == EntryMode::Sell ||
                         form_.mode == EntryMode::DividendReinvestment;
  if (!reads_fractions) return;
  if (auto shown = ReadFraction(form_.price.text)) form_.price.text = *shown;
}

void EntryDialog::amountExit() {
  if (form_.mode != EntryMode::SecurityPrices) return;
  if (auto shown = ReadFraction(form_.amount.text)) form_.amount.text = *shown;
}

OkOutcome EntryDialog::PressOk() const { return CheckEntry(form_, request_); }

EntryDialogResult EntryDialog::Cancelled() const {
  EntryDialogResult result;
  result.outcome = DialogOutcome::Cancelled;
  result.check_ticked = request_.check_ticked;
  return result;
}

EntryDialogResult EntryDialog::Aborted() const {
  EntryDialogResult result = Cancelled();
  result.outcome = DialogOutcome::Aborted;
  return result;
}

}  // namespace pellmark
