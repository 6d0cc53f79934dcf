#include "forms/entry_dialog_prepare.h"

#include <optional>
#include <string>

#include "club/dates.h"
#include "club/number_format.h"
#include "club/record_kinds.h"
#include "forms/entry_mode_text.h"

namespace pellmark {
namespace {

std::string Money(double value) { return FormatFixed(value, 2); }
std::string PriceText(double value) { return FormatFixed(value, 4); }

// Every control in its resting state; only the date is filled.
EntryForm ResetForm(const EntryDialogRequest& request) {
  EntryForm form;
  form.mode = request.mode;
  form.change = request.change;
  form.title = EntryModeTitle(request.mode);
  form.help_topic = EntryModeHelpTopic(request.mode, request.from_reconciliation);
  form.NameLabel.caption = request.heading;
  form.Date.enabled = false;
  form.typelabel.caption = "Investment";
  form.pricelabel.caption = "Price";
  form.ratio.caption = "Ratio";
  form.ratio.visible = false;
  form.commgroup.caption = "Commission+Fees";
  form.compcomm.caption = "Company Paid";
  form.compcomm.enabled = false;
  form.accountgroup.caption = "Account";
  form.tran.caption = "Account Transaction";
  form.tran.checked = true;
  form.tax.caption = "Taxable";
  form.tax.visible = false;
  form.desclabel.caption = "Description:";
  form.desclabel.visible = false;
  form.desc.visible = false;
  form.cleared.caption = "Cleared";
  form.cleared.visible = false;
  form.allunits.visible = false;
  form.payofflabel.caption = "Maximum Payoff";
  form.payofflabel.visible = false;
  form.captype.items = {"Reduction", "Gain"};
  form.captype.selected = kCapitalReduction;
  form.captype.visible = false;
  form.fractions.caption = "Cash For Fractions";
  form.fractions.visible = false;
  form.warnlabel.caption = "Investment should NOT Include Commission";
  form.warnlabel.visible = false;
  form.abort.caption = "Abort";
  form.abort.visible = request.show_abort;

  double date = 0;
  switch (EntryModeRecord(request.mode)) {
    case EntryRecordKind::SecurityTransaction:
    case EntryRecordKind::Ratio: date = request.security_tran.trandate; break;
    case EntryRecordKind::Price: date = request.price.trandate; break;
    case EntryRecordKind::MemberTransaction: date = request.member_tran.trandate; break;
    case EntryRecordKind::AccountTransaction: date = request.account_tran.trandate; break;
  }
  form.Date.text = FormatDate(date);
  return form;
}

void ShowNotice(EntryForm& form, const std::string& text) {
  form.warnlabel.caption = text;
  form.warnlabel.visible = true;
}

void MakeReadOnly(EntryForm& form, const std::string& notice) {
  form.read_only = true;
  ShowNotice(form, notice);
}

void HideAccountGroup(EntryForm& form) { form.accountgroup.visible = false; }

void HidePriceAndCommission(EntryForm& form) {
  form.pricelabel.visible = false;
  form.price.visible = false;
  form.commgroup.visible = false;
}

void ListAccounts(EntryForm& form, const EntryDialogRequest& request) {
  for (const TAccountRec& account : request.accounts) form.accountbox.items.push_back(account.name);
}

void PresetAccount(EntryForm& form, const EntryDialogRequest& request, std::int32_t actid) {
  form.accountbox.selected = AccountIndex(request, actid);
}

// The stored account of a record being changed is shown but cannot be changed; a
// record without one keeps none, so its change does not fail for want of an account.
void FreezeAccount(EntryForm& form) {
  form.accountbox.enabled = false;
  form.tran.enabled = false;
  if (form.accountbox.selected < 0) form.tran.checked = false;
}

// "Check" with its number beneath, for a purchase or a payoff.
void OfferCheck(EntryForm& form, const EntryDialogRequest& request, bool ticked) {
  form.tax.caption = "Check";
  form.tax.checked = ticked;
  form.tax.visible = form.tran.checked;
  form.desclabel.caption = "Check #:";
  form.desc_width = kNarrowDescription;
  form.desclabel.visible = form.desc.visible = form.tran.checked && ticked;
  if (form.accountbox.selected >= 0) {
    const TAccountRec& account = request.accounts[form.accountbox.selected];
    if (account.lstchk > 0) form.desc.text = std::to_string(account.lstchk + 1);
  }
}

void DisableFigures(EntryForm& form) {
  form.Date.enabled = false;
  form.amount.enabled = false;
  form.price.enabled = false;
  form.commission.enabled = false;
}

void PrepareBuy(EntryForm& form, const EntryDialogRequest& request) {
  const TSecurityTranRec& rec = request.security_tran;
  ShowNotice(form, "Investment should NOT Include Commission");
  form.cleared.caption = "Clear Short";
  form.cleared.visible = true;
  ListAccounts(form, request);
  bool split_lot = rec.tax;
  PresetAccount(form, request, split_lot ? -1 : rec.actid);
  if (!request.change) {
    OfferCheck(form, request, request.check_ticked);
    return;
  }
  form.Date.enabled = true;
  form.amount.text = Money(rec.amount);
  form.price.text = PriceText(rec.price);
  form.commission.text = Money(rec.comm);
  form.cleared.checked = rec.compc;
  form.cleared.enabled = false;
  FreezeAccount(form);
  if (rec.sold) {
    MakeReadOnly(form, "Some Shares Sold. Cannot Change.");
    DisableFigures(form);
  } else if (rec.compc) {
    MakeReadOnly(form, "Buys to clear short sells can only be deleted.");
    DisableFigures(form);
  }
}

void PrepareSell(EntryForm& form, const EntryDialogRequest& request) {
  const TSecurityTranRec& rec = request.security_tran;
  form.typelabel.caption = "Gross";
  ShowNotice(form, "Gross should NOT Include Commission");
  form.cleared.caption = "Short";
  form.cleared.visible = true;
  ListAccounts(form, request);
  PresetAccount(form, request, rec.actid);
  if (!request.change) return;
  form.amount.text = Money(rec.amount);
  form.price.text = PriceText(rec.price);
  form.commission.text = Money(rec.comm);
  // A short sale stays short: its tick is shown and held.
  form.cleared.checked = rec.compc;
  form.cleared.enabled = false;
  FreezeAccount(form);
  if (IsOpenShortSale(rec)) {
    form.Date.enabled = true;
  } else {
    MakeReadOnly(form, "Security SELLs can only be deleted");
    DisableFigures(form);
  }
}

void PrepareDividends(EntryForm& form, const EntryDialogRequest& request) {
  const TSecurityTranRec& rec = request.security_tran;
  form.typelabel.caption = "Dividend";
  HidePriceAndCommission(form);
  form.tax.visible = true;
  form.tax.checked = true;
  ListAccounts(form, request);
  PresetAccount(form, request, rec.actid);
  if (!request.change) return;
  form.Date.enabled = true;
  form.amount.text = Money(rec.amount);
  form.tax.checked = rec.tax;
  FreezeAccount(form);
}

void PrepareReinvestment(EntryForm& form, const EntryDialogRequest& request) {
  const TSecurityTranRec& rec = request.security_tran;
  form.typelabel.caption = "Dividend";
  HideAccountGroup(form);
  form.tax.visible = true;
  form.tax.checked = true;
  form.compcomm.enabled = true;
  form.compcomm.checked = true;
  form.payofflabel.caption = "Bought Security";
  for (std::size_t i = 0; i < request.securities.size(); ++i) {
    form.allunits.items.push_back(request.securities[i].name);
    if (request.securities[i].stkid == rec.stkid) form.allunits.selected = static_cast<int>(i);
  }
  if (!request.change) return;
  form.Date.enabled = true;
  form.amount.text = Money(rec.amount);
  form.price.text = PriceText(rec.price);
  form.commission.text = Money(rec.comm);
  form.compcomm.checked = rec.compc;
  form.tax.checked = rec.tax;
  form.tax.enabled = false;
  form.allunits.enabled = false;
  form.allunits.visible = form.payofflabel.visible = !rec.tax;
}

void PrepareCapitalChange(EntryForm& form, const EntryDialogRequest& request) {
  const TSecurityTranRec& rec = request.security_tran;
  form.typelabel.caption = "Amount";
  HidePriceAndCommission(form);
  form.captype.visible = true;
  form.allunits.items = {"Long Term Capital Gain", "Medium Term Capital Gain", "Short Term Capital Gain"};
  form.allunits.selected = kLongTermGain;
  form.cleared.caption = "Short";
  ListAccounts(form, request);
  PresetAccount(form, request, rec.actid);
  if (request.change) {
    form.Date.enabled = true;
    form.amount.text = Money(rec.amount);
    form.captype.selected = KindOf(rec) == SecurityTranKind::CapitalReduction ? kCapitalReduction : kCapitalGain;
    form.allunits.selected = rec.tax ? kShortTermGain : rec.compc ? kMediumTermGain : kLongTermGain;
    form.captype.enabled = false;
    FreezeAccount(form);
  }
  form.allunits.visible = form.captype.selected == kCapitalGain;
}

void PrepareForeignTax(EntryForm& form, const EntryDialogRequest& request) {
  form.typelabel.caption = "Tax";
  HidePriceAndCommission(form);
  HideAccountGroup(form);
  if (!request.change) return;
  form.Date.enabled = true;
  form.amount.text = Money(request.security_tran.amount);
}

void PrepareSecurityPrices(EntryForm& form, const EntryDialogRequest& request) {
  form.typelabel.caption = "Price";
  HidePriceAndCommission(form);
  HideAccountGroup(form);
  if (request.change) form.amount.text = Money(request.price.price);
}

}  // namespace

void ShowFractionCash(EntryForm& form, bool shown) {
  form.accountgroup.visible = shown;
  form.commgroup.visible = shown;
  form.desc.visible = shown;
  form.desclabel.visible = shown;
}

namespace {

void PrepareSplit(EntryForm& form, const EntryDialogRequest& request) {
  const TSecurityTranRec& rec = request.security_tran;
  form.ratio.visible = true;
  form.typelabel.caption = "New Shares";
  form.pricelabel.caption = "Old Shares";
  HideAccountGroup(form);
  form.commgroup.visible = false;
  form.compcomm.enabled = true;
  form.fractions.visible = true;
  form.desc_width = kNarrowDescription;
  form.desclabel.caption = "Amount:";
  ListAccounts(form, request);
  PresetAccount(form, request, rec.actid);
  if (!request.change) return;
  form.amount.text = Money(request.ratio.new_figure);
  form.price.text = Money(request.ratio.old_figure);
  form.commission.text = Money(rec.comm);
  form.compcomm.checked = rec.compc;
  form.fractions.checked = rec.transid != -1;
  ShowFractionCash(form, form.fractions.checked);
  form.compcomm.enabled = false;
  form.fractions.enabled = false;
  form.tran.enabled = form.accountbox.enabled = form.desc.enabled = false;
  DisableFigures(form);
  MakeReadOnly(form, "Stock Splits can only be deleted");
}

void PrepareBasisUpdate(EntryForm& form, const EntryDialogRequest& request) {
  form.ratio.visible = true;
  form.typelabel.caption = "New Cost";
  form.pricelabel.caption = "Old Cost";
  HideAccountGroup(form);
  form.commgroup.visible = false;
  form.cleared.visible = true;
  if (!request.change) return;
  if (request.ratio.clear) {
    form.cleared.checked = true;
    form.ratio.visible = form.typelabel.visible = form.amount.visible = false;
    form.pricelabel.visible = form.price.visible = false;
  } else {
    form.amount.text = Money(request.ratio.new_figure);
    form.price.text = Money(request.ratio.old_figure);
  }
  form.cleared.enabled = false;
  DisableFigures(form);
  MakeReadOnly(form, "Stock Basis Updates can only be deleted");
}

void PrepareMember(EntryForm& form, const EntryDialogRequest& request) {
  const TMemberTranRec& rec = request.member_tran;
  form.pricelabel.visible = form.price.visible = false;
  form.commgroup.visible = false;
  switch (request.mode) {
    case EntryMode::MemberDues: form.typelabel.caption = "Dues"; break;
    case EntryMode::MemberFee: form.typelabel.caption = "Fee"; break;
    case EntryMode::MemberPayoff: form.typelabel.caption = "Payoff"; break;
    case EntryMode::TotalDuesModification: form.typelabel.caption = "Total Contributions"; break;
    default: form.typelabel.caption = "Total Earnings"; break;
  }
  bool with_account = request.mode == EntryMode::MemberDues || request.mode == EntryMode::MemberFee ||
                      request.mode == EntryMode::MemberPayoff;
  if (with_account) {
    ListAccounts(form, request);
    PresetAccount(form, request, rec.actid);
  } else {
    HideAccountGroup(form);
  }
  if (request.mode == EntryMode::MemberPayoff) {
    form.pricelabel.caption = "Fee";
    form.pricelabel.visible = form.price.visible = true;
    form.payofflabel.visible = form.allunits.visible = true;
    for (const PayoffValuation& valuation : request.payoff_valuations) {
      form.allunits.items.push_back(FormatMoney(valuation.maximum) + " as of " + FormatDate(valuation.unit.date));
    }
    if (!form.allunits.items.empty()) form.allunits.selected = 0;
  }
  if (!request.change) {
    if (request.mode == EntryMode::MemberPayoff) {
      form.price.text = "0.00";
      OfferCheck(form, request, true);
      ShowNotice(form, "Fee will be subtracted from Payoff Amount");
    }
    return;
  }
  form.Date.enabled = true;
  form.amount.text = Money(rec.dues);
  if (with_account) FreezeAccount(form);
  switch (request.mode) {
    case EntryMode::MemberPayoff:
      form.price.text = Money(rec.fee);
      MakeReadOnly(form, "Payoffs can only be deleted");
      break;
    case EntryMode::TotalDuesModification: MakeReadOnly(form, "Total Contributions can only be deleted"); break;
    case EntryMode::TotalEarningsModification:
      MakeReadOnly(form, KindOf(rec) == MemberTranKind::Earnings ? "Earnings Records cannot be modified"
                                                                 : "Total Earnings can only be deleted");
      break;
    default: break;
  }
  if (form.read_only) DisableFigures(form);
}

void PrepareAccount(EntryForm& form, const EntryDialogRequest& request) {
  const TAccountTranRec& rec = request.account_tran;
  form.typelabel.caption = "Amount";
  form.pricelabel.visible = form.price.visible = false;
  form.commgroup.visible = false;
  form.desclabel.visible = form.desc.visible = true;
  form.cleared.visible = true;
  form.tran.visible = request.mode != EntryMode::Check;
  switch (request.mode) {
    case EntryMode::Check:
    case EntryMode::Deposit:
    case EntryMode::Withdrawal: {
      form.accountgroup.caption = "Category";
      for (const TCategoryRec* category : ListedCategories(request)) {
        if (request.change && category->catid == rec.catid) {
          form.accountbox.selected = static_cast<int>(form.accountbox.items.size());
        }
        form.accountbox.items.push_back(category->cat);
      }
      break;
    }
    case EntryMode::ServiceCharge:
      form.typelabel.caption = "Charge";
      HideAccountGroup(form);
      break;
    case EntryMode::Interest:
      form.typelabel.caption = "Interest";
      HideAccountGroup(form);
      break;
    default:
      form.accountgroup.caption = "Transfer Account";
      ListAccounts(form, request);
      if (request.change) form.accountbox.selected = AccountIndex(request, rec.xferact);
      break;
  }
  if (request.mode == EntryMode::Check) {
    form.pricelabel.caption = "Check #";
    form.pricelabel.visible = form.price.visible = true;
    form.price.text = request.change ? std::to_string(rec.checknum) : NextCheckText(request.current_account);
  }
  if (!request.change) return;
  form.Date.enabled = true;
  form.amount.text = Money(rec.amount);
  form.desc.text = rec.desc;
  form.cleared.checked = rec.cancel;
  if (request.from_reconciliation) {
    // Reconciling clears an item of any kind, a Transfer In included; only the
    // cleared mark can be changed.
    DisableFigures(form);
    form.desc.enabled = form.accountbox.enabled = form.tran.enabled = false;
    return;
  }
  if (request.mode == EntryMode::Transfer && KindOf(rec) != AccountTranKind::TransferOut) {
    MakeReadOnly(form, "Only Transfer Out transactions can be changed");
    DisableFigures(form);
  }
}

}  // namespace

std::vector<const TCategoryRec*> ListedCategories(const EntryDialogRequest& request) {
  std::optional<CategoryKind> listed_kind;
  if (request.mode == EntryMode::Deposit) listed_kind = CategoryKind::Income;
  if (request.mode == EntryMode::Check || request.mode == EntryMode::Withdrawal) listed_kind = CategoryKind::Expense;
  std::vector<const TCategoryRec*> listed;
  for (const TCategoryRec& category : request.categories) {
    if (KindOf(category) == listed_kind) listed.push_back(&category);
  }
  return listed;
}

std::string NextCheckText(const TAccountRec& account) {
  return account.lstchk >= 0 ? std::to_string(account.lstchk + 1) : std::string();
}

int AccountIndex(const EntryDialogRequest& request, std::int32_t actid) {
  if (actid < 0) return -1;
  for (std::size_t i = 0; i < request.accounts.size(); ++i) {
    if (request.accounts[i].actid == actid) return static_cast<int>(i);
  }
  return -1;
}

EntryForm PrepareEntryForm(const EntryDialogRequest& request) {
  EntryForm form = ResetForm(request);
  switch (request.mode) {
    case EntryMode::Buy: PrepareBuy(form, request); break;
    case EntryMode::Sell: PrepareSell(form, request); break;
    case EntryMode::Dividends: PrepareDividends(form, request); break;
    case EntryMode::DividendReinvestment: PrepareReinvestment(form, request); break;
    case EntryMode::CapitalChange: PrepareCapitalChange(form, request); break;
    case EntryMode::ForeignTax: PrepareForeignTax(form, request); break;
    case EntryMode::SecurityPrices: PrepareSecurityPrices(form, request); break;
    case EntryMode::Split: PrepareSplit(form, request); break;
    case EntryMode::BasisUpdate: PrepareBasisUpdate(form, request); break;
    case EntryMode::MemberDues:
    case EntryMode::MemberPayoff:
    case EntryMode::MemberFee:
    case EntryMode::TotalDuesModification:
    case EntryMode::TotalEarningsModification: PrepareMember(form, request); break;
    case EntryMode::Check:
    case EntryMode::Deposit:
    case EntryMode::Withdrawal:
    case EntryMode::ServiceCharge:
    case EntryMode::Interest:
    case EntryMode::Transfer: PrepareAccount(form, request); break;
  }
  return form;
}

}  // namespace pellmark
