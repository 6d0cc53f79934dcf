#include "forms/entry_dialog_checks.h"

#include <optional>

#include "club/dates.h"
#include "club/money.h"
#include "club/number_parse.h"
#include "club/record_kinds.h"
#include "forms/entry_dialog_prepare.h"
#include "forms/entry_number_text.h"

namespace pellmark {
namespace {

constexpr std::size_t kDescriptionLength = 30;

bool IsBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

// Collects the messages of one OK in order and reads the figures the checks accept.
class Checker {
 public:
  Checker(const EntryForm& form, const EntryDialogRequest& request)
      : form_(form), prepared_(PrepareEntryForm(request)) {}

  // The figure of a box that shows a stored figure: the stored one, exactly,
  // while the box reads as the dialog filled it (rounded to its decimals);
  // otherwise what was typed, rounded to cents for `money`. Refused as Number()
  // refuses, so 0.001 is no positive amount of money.
  std::optional<double> Figure(const EntryControl& label, const EntryControl& box, double stored, double floor,
                               bool floor_allowed, bool money = false) {
    std::optional<double> value = stored;
    if (!Untouched(box)) {
      value = ParseEntryNumber(box.text);
      if (value && money) value = RoundCents(*value);
    }
    if (value && (*value > floor || (floor_allowed && *value == floor))) return value;
    Refuse(label.caption + " " + box.text + " is invalid.");
    return std::nullopt;
  }

  // A price (Figure above 0, or also 0 when `zero_allowed`) in the one range of prices.
  std::optional<double> Price(const EntryControl& label, const EntryControl& box, double stored, bool zero_allowed) {
    std::optional<double> price = Figure(label, box, stored, 0, zero_allowed);
    if (!price || PriceInRange(*price)) return price;
    Refuse(label.caption + " " + box.text + " is invalid.");
    return std::nullopt;
  }

  // The number in `box`, refused with "<label> <text> is invalid." unless it is
  // above `floor` (or at least `floor` when `floor_allowed`).
  std::optional<double> Number(const EntryControl& label, const EntryControl& box, double floor, bool floor_allowed) {
    std::optional<double> value = ParseEntryNumber(box.text);
    if (value && (*value > floor || (floor_allowed && *value == floor))) return value;
    Refuse(label.caption + " " + box.text + " is invalid.");
    return std::nullopt;
  }
  std::optional<double> Positive(const EntryControl& label, const EntryControl& box) {
    return Number(label, box, 0, false);
  }
  std::optional<double> NotNegative(const EntryControl& label, const EntryControl& box) {
    return Number(label, box, 0, true);
  }

  std::optional<std::int32_t> Whole(const EntryControl& label, const EntryControl& box, std::int32_t least) {
    std::optional<std::int32_t> value = ParseInteger(box.text);
    if (value && *value >= least) return value;
    Refuse(label.caption + " " + box.text + " is invalid.");
    return std::nullopt;
  }

  // The typed date when the date box is enabled, else `stored`.
  double Date(double stored) {
    if (!form_.Date.enabled) return stored;
    if (form_.change && form_.Date.text == prepared_.Date.text) return stored;
    if (std::optional<DayNumber> date = ParseDate(form_.Date.text)) return *date;
    Refuse(form_.Date.text + " is an invalid date.");
    return stored;
  }

  // The chosen entry of the account list, refused with "<group caption> not selected.".
  std::optional<int> Chosen() {
    if (form_.accountbox.selected >= 0 && form_.accountbox.selected < static_cast<int>(form_.accountbox.items.size())) {
      return form_.accountbox.selected;
    }
    Refuse(form_.accountgroup.caption + " not selected.");
    return std::nullopt;
  }

  // The account of the entry when the account group takes part: the chosen account
  // with "Account Transaction" ticked, -1 with it unticked; `stored` otherwise, and
  // also when the account of a changed record is held (it may be one the list no
  // longer offers, such as a hidden account).
  std::int32_t Account(const EntryDialogRequest& request, std::int32_t stored) {
    if (!form_.accountgroup.visible || !form_.accountgroup.enabled || !form_.tran.enabled) return stored;
    if (!form_.tran.checked) return -1;
    std::optional<int> chosen = Chosen();
    return chosen ? request.accounts[*chosen].actid : stored;
  }

  // The check number of a purchase or payoff: -1 unless "Check" is shown and ticked.
  std::int32_t CheckNumber() {
    if (!form_.tax.visible || !form_.tax.checked) return -1;
    return Whole(form_.desclabel, form_.desc, 0).value_or(-1);
  }

  void Refuse(std::string message) { messages_.push_back(std::move(message)); }

  OkOutcome Finish(EntryDialogResult result) const {
    OkOutcome outcome;
    if (!messages_.empty()) {
      outcome.kind = OkOutcome::Kind::Refused;
      outcome.messages = messages_;
      return outcome;
    }
    outcome.kind = OkOutcome::Kind::Accepted;
    outcome.result = std::move(result);
    outcome.result.outcome = DialogOutcome::Ok;
    return outcome;
  }

 private:
  // True when the change of a stored record leaves the box as the dialog filled it.
  bool Untouched(const EntryControl& box) const {
    for (EntryControl EntryForm::*figure : {&EntryForm::amount, &EntryForm::price, &EntryForm::commission}) {
      if (&(form_.*figure) == &box) {
        return form_.change && !(prepared_.*figure).text.empty() && box.text == (prepared_.*figure).text;
      }
    }
    return false;
  }

  const EntryForm& form_;
  const EntryForm prepared_;
  std::vector<std::string> messages_;
};

// The kind a security mode enters; a capital change starts as a reduction.
SecurityTranKind SecurityKindOfMode(EntryMode mode) {
  switch (mode) {
    case EntryMode::Buy: return SecurityTranKind::Purchase;
    case EntryMode::Sell: return SecurityTranKind::Sale;
    case EntryMode::Dividends: return SecurityTranKind::Dividend;
    case EntryMode::DividendReinvestment: return SecurityTranKind::Reinvestment;
    case EntryMode::ForeignTax: return SecurityTranKind::ForeignTax;
    default: return SecurityTranKind::CapitalReduction;
  }
}

EntryDialogResult Started(const EntryForm& form, const EntryDialogRequest& request) {
  EntryDialogResult result;
  result.security_tran = request.security_tran;
  result.price = request.price;
  result.member_tran = request.member_tran;
  result.account_tran = request.account_tran;
  result.ratio = request.ratio;
  result.check_ticked = form.mode == EntryMode::Buy && form.tax.visible ? form.tax.checked : request.check_ticked;
  return result;
}

OkOutcome CheckSecurity(const EntryForm& form, const EntryDialogRequest& request) {
  Checker check(form, request);
  EntryDialogResult result = Started(form, request);
  TSecurityTranRec& rec = result.security_tran;
  EntryMode mode = form.mode;

  // 1. The record type; a capital change is a reduction or a gain of one term.
  rec.typ = Code(SecurityKindOfMode(mode));
  bool gain = mode == EntryMode::CapitalChange && form.captype.selected == kCapitalGain;
  if (mode == EntryMode::CapitalChange) {
    rec.typ = Code(gain ? SecurityTranKind::CapitalGain : SecurityTranKind::CapitalReduction);
    rec.tax = gain && form.allunits.selected == kShortTermGain;
    rec.compc = gain && form.allunits.selected == kMediumTermGain;
  }
  if (mode == EntryMode::ForeignTax) rec.actid = -1;

  // 2. and 3.
  if (auto amount = check.Figure(form.typelabel, form.amount, rec.amount, gain ? -kLargestEntry : 0, gain)) {
    rec.amount = *amount;
  }
  if (form.price.visible) {
    if (auto price = check.Price(form.pricelabel, form.price, rec.price, false)) rec.price = *price;
    // The shares the amount buys at the price stay in range too (500 at 0.0001 does).
    if (rec.price > 0 && !FigureInRange(rec.amount / rec.price)) {
      check.Refuse(form.pricelabel.caption + " " + form.price.text + " is invalid.");
    }
  }
  // 4.
  rec.trandate = check.Date(rec.trandate);
  // 5.
  if (form.commgroup.visible) {
    rec.compc = false;
    if (form.compcomm.checked) {
      rec.compc = true;
    } else if (mode == EntryMode::Sell && form.cleared.checked) {
      rec.compc = true;
      rec.buytran = -1;
    } else if (mode == EntryMode::Buy && form.cleared.checked) {
      rec.compc = true;
    }
    if (auto comm = check.Figure(form.commgroup, form.commission, rec.comm, 0, true)) rec.comm = *comm;
  } else {
    rec.comm = 0;
    if (mode != EntryMode::CapitalChange) rec.compc = false;
  }
  // 6.
  rec.actid = check.Account(request, rec.actid);
  // 7.
  if (form.tax.visible) {
    if (mode == EntryMode::DividendReinvestment) {
      rec.tax = form.tax.checked;
      if (!form.tax.checked) {
        int chosen = form.allunits.selected;
        if (chosen >= 0 && chosen < static_cast<int>(request.securities.size())) {
          rec.stkid = request.securities[chosen].stkid;
        } else {
          check.Refuse("Security not selected.");
        }
      }
    } else if (mode == EntryMode::Dividends) {
      rec.tax = form.tax.checked;
    } else if (mode == EntryMode::Buy) {
      result.check_number = check.CheckNumber();
    }
  }
  return check.Finish(std::move(result));
}

OkOutcome CheckRatio(const EntryForm& form, const EntryDialogRequest& request) {
  Checker check(form, request);
  EntryDialogResult result = Started(form, request);
  if (form.mode == EntryMode::BasisUpdate && form.cleared.checked) {
    result.ratio = RatioRec{0, 0, true};
    result.security_tran.trandate = check.Date(result.security_tran.trandate);
    return check.Finish(std::move(result));
  }
  result.ratio.clear = false;
  if (auto figure = check.Positive(form.typelabel, form.amount)) result.ratio.new_figure = *figure;
  if (auto figure = check.Positive(form.pricelabel, form.price)) result.ratio.old_figure = *figure;
  TSecurityTranRec& sale = result.security_tran;
  sale.trandate = check.Date(sale.trandate);
  if (form.mode == EntryMode::Split) {
    if (form.fractions.checked) {
      if (auto cash = check.Positive(form.desclabel, form.desc)) sale.amount = *cash;
      if (auto comm = check.NotNegative(form.commgroup, form.commission)) sale.comm = *comm;
      sale.compc = form.compcomm.checked;
      sale.actid = check.Account(request, sale.actid);
      sale.typ = Code(SecurityTranKind::Sale);
      sale.tax = true;
    } else {
      sale.tax = false;
    }
  }
  return check.Finish(std::move(result));
}

OkOutcome CheckPrice(const EntryForm& form, const EntryDialogRequest& request) {
  Checker check(form, request);
  EntryDialogResult result = Started(form, request);
  if (auto price = check.Price(form.typelabel, form.amount, result.price.price, true)) result.price.price = *price;
  result.price.trandate = check.Date(result.price.trandate);
  return check.Finish(std::move(result));
}

MemberTranKind MemberKindOfMode(EntryMode mode) {
  switch (mode) {
    case EntryMode::MemberPayoff: return MemberTranKind::Payout;
    case EntryMode::TotalDuesModification: return MemberTranKind::NuPayment;
    case EntryMode::TotalEarningsModification: return MemberTranKind::NuEarnings;
    case EntryMode::MemberFee: return MemberTranKind::Fee;
    default: return MemberTranKind::Payment;
  }
}

OkOutcome CheckMember(const EntryForm& form, const EntryDialogRequest& request) {
  if (form.mode == EntryMode::MemberDues && form.amount.text.empty()) {
    OkOutcome cancelled;
    cancelled.kind = OkOutcome::Kind::Cancelled;
    return cancelled;
  }
  Checker check(form, request);
  EntryDialogResult result = Started(form, request);
  TMemberTranRec& rec = result.member_tran;
  rec.typ = Code(MemberKindOfMode(form.mode));
  bool totals = form.mode == EntryMode::TotalDuesModification || form.mode == EntryMode::TotalEarningsModification;
  std::optional<double> amount =
      totals ? check.Figure(form.typelabel, form.amount, rec.dues + request.current_total, -kLargestEntry, true, true)
             : check.Figure(form.typelabel, form.amount, rec.dues, 0, false, true);
  if (amount) rec.dues = totals ? RoundCents(*amount - request.current_total) : *amount;

  std::optional<double> fee;
  if (form.mode == EntryMode::MemberPayoff) {
    fee = check.Figure(form.pricelabel, form.price, rec.fee, 0, true, true);
    if (fee) rec.fee = *fee;
  }
  rec.trandate = check.Date(rec.trandate);
  if (form.mode == EntryMode::MemberPayoff) {
    int chosen = form.allunits.selected;
    bool valuation_chosen = chosen >= 0 && chosen < static_cast<int>(request.payoff_valuations.size());
    double maximum = valuation_chosen ? request.payoff_valuations[chosen].maximum : 0;
    // The maximum is offered in cents, and an amount up to it as shown is taken.
    if (amount && *amount > RoundCents(maximum)) {
      check.Refuse(form.typelabel.caption + " greater than Maximum payoff amount.");
    }
    // The member is paid the amount less the fee; more fee than amount would pay
    // money into the club.
    if (amount && fee && *fee > *amount) check.Refuse("Fee cannot exceed the payoff amount.");
    if (valuation_chosen) {
      rec.cunit = request.payoff_valuations[chosen].unit.unitval;
      rec.unitind = request.payoff_valuations[chosen].unit.unitid;
    }
  }
  rec.actid = check.Account(request, form.accountgroup.visible ? rec.actid : -1);
  if (form.mode == EntryMode::MemberPayoff) result.check_number = check.CheckNumber();
  return check.Finish(std::move(result));
}

OkOutcome CheckAccount(const EntryForm& form, const EntryDialogRequest& request) {
  Checker check(form, request);
  EntryDialogResult result = Started(form, request);
  TAccountTranRec& rec = result.account_tran;
  rec.typ = Code(AccountKindOfMode(form.mode));
  if (auto amount = check.Figure(form.typelabel, form.amount, rec.amount, 0, false, true)) rec.amount = *amount;
  if (IsBlank(form.desc.text)) check.Refuse("Description Required.");
  rec.desc = form.desc.text.substr(0, kDescriptionLength);
  rec.trandate = check.Date(rec.trandate);

  switch (form.mode) {
    case EntryMode::ServiceCharge: rec.catid = Code(PredefinedCategory::OperatingExpenses); break;
    case EntryMode::Interest: rec.catid = Code(PredefinedCategory::InterestIncome); break;
    case EntryMode::Transfer:
      rec.catid = Code(PredefinedCategory::TransferOut);
      if (std::optional<int> chosen = check.Chosen()) {
        const TAccountRec& target = request.accounts[*chosen];
        if (target.actid == request.current_account.actid) {
          check.Refuse("Transfer in and out accounts are the same");
        } else {
          rec.xferact = target.actid;
        }
      }
      break;
    default:
      if (std::optional<int> chosen = check.Chosen()) rec.catid = ListedCategories(request)[*chosen]->catid;
      break;
  }
  if (form.mode == EntryMode::Check) {
    if (auto number = check.Whole(form.pricelabel, form.price, 1)) rec.checknum = *number;
  } else if (form.mode != EntryMode::Transfer) {
    // A transfer's number links it to its counterpart and is kept.
    rec.checknum = -1;
  }
  rec.cancel = form.cleared.checked;
  return check.Finish(std::move(result));
}

}  // namespace

OkOutcome CheckEntry(const EntryForm& form, const EntryDialogRequest& request) {
  if (form.read_only) {
    OkOutcome cancelled;
    cancelled.kind = OkOutcome::Kind::Cancelled;
    return cancelled;
  }
  if (request.from_reconciliation && IsAccountMode(form.mode)) {
    // Reconciling reads back the cleared mark and nothing else.
    OkOutcome accepted;
    accepted.kind = OkOutcome::Kind::Accepted;
    accepted.result = Started(form, request);
    accepted.result.outcome = DialogOutcome::Ok;
    accepted.result.account_tran.cancel = form.cleared.checked;
    return accepted;
  }
  if (IsSecurityMode(form.mode)) return CheckSecurity(form, request);
  if (form.mode == EntryMode::SecurityPrices) return CheckPrice(form, request);
  if (IsMemberMode(form.mode)) return CheckMember(form, request);
  if (IsAccountMode(form.mode)) return CheckAccount(form, request);
  return CheckRatio(form, request);
}

}  // namespace pellmark
