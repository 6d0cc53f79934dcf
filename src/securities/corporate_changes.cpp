#include "securities/corporate_changes.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "club/dates.h"
#include "club/keys.h"
#include "club/master_records.h"
#include "club/record_kinds.h"
#include "securities/security_position.h"
#include "securities/security_totals.h"

namespace pellmark::ledger {
namespace {

// A lot a split or basis update rewrites: an unsold purchase or reinvestment
// dated on or before the change.
bool Rewritten(const TSecurityTranRec& tran, DayNumber date) { return tran.trandate <= date && IsOpenLot(tran); }

// Whether a sale relieves the lot `stranid` (a short sale links its cover
// instead). A lot closed with no such sale was closed by a split that sold its
// whole holding as the fraction.
bool RelievedBySale(const std::vector<TSecurityTranRec>& records, std::int32_t stranid) {
  return std::any_of(records.begin(), records.end(), [stranid](const TSecurityTranRec& tran) {
    return KindOf(tran) == SecurityTranKind::Sale && !IsShortSale(tran) && tran.buytran == stranid;
  });
}

}  // namespace

CorporateChanges::CorporateChanges(ClubSession& club, SecurityRecords& securities, AccountLedger& accounts)
    : club_(club), securities_(securities), accounts_(accounts) {}

Outcome CorporateChanges::Refuse(const std::string& message) { return pellmark::Refuse(club_.Ui(), message); }

Outcome CorporateChanges::Enter(std::string_view name, CorporateChange choice, DayNumber date) {
  auto security = securities_.Find(name);
  if (!security) return RefuseMissing(club_.Ui(), "Security " + std::string(name) + " does not exist.");
  if (!security->active) return Refuse("Security is hidden.");
  if (security->pricec == 0 && security->sharest != 0) return Refuse("Security has no value.");
  if (security->sharest == 0) return Refuse(security->name + " does not have any shares.");

  EntryDialogRequest request;
  request.mode = choice == CorporateChange::Split ? EntryMode::Split : EntryMode::BasisUpdate;
  request.heading = security->name;
  request.security_tran.trandate = date;
  request.security_tran.actid = club_.Info().defstkact;
  request.security_tran.stkid = security->stkid;
  request.security_tran.typ = Code(choice == CorporateChange::Split ? SecurityTranKind::Split
                                                                    : SecurityTranKind::BasisChange);
  request.accounts = accounts_.List(true);
  request.securities = securities_.List(true);
  EntryDialogResult result = club_.Ui().RunEntryDialog(request);
  if (result.outcome != DialogOutcome::Ok) return Outcome::Cancelled();
  const TSecurityTranRec& typed = result.security_tran;

  if (choice == CorporateChange::Split) {
    SplitTerms terms{result.ratio.new_figure, result.ratio.old_figure, typed.trandate, std::nullopt};
    if (typed.tax) terms.cash = FractionCash{typed.amount, typed.comm, typed.compc, typed.actid};
    Outcome split = SplitSecurity(security->stkid, terms);
    if (!split) return split;
    return Outcome::Done().AuditFrom(AskForAudit(club_, "Stock", "entered", terms.date));
  }
  Outcome changed = result.ratio.clear
                        ? ClearSecurity(security->stkid, typed.trandate)
                        : UpdateBasis(security->stkid, result.ratio.new_figure, result.ratio.old_figure,
                                      typed.trandate);
  if (!changed) return changed;
  const std::optional<DayNumber> audit = AskForAudit(club_, "Stock", "entered", typed.trandate);
  auto after = securities_.FindById(security->stkid);
  if (after && after->sharest != security->sharest && after->sharest == 0 &&
      club_.Ui().ConfirmAfterwards("Do you want to hide security " + security->name + "?")) {
    static_cast<void>(securities_.Hide(security->name));
  }
  return Outcome::Done().AuditFrom(audit);
}

Outcome CorporateChanges::SplitSecurity(std::int32_t stkid, const SplitTerms& terms) {
  auto found = securities_.FindById(stkid);
  if (!found) return RefuseMissing(club_.Ui(), "Security " + std::to_string(stkid) + " does not exist.");
  TSecurityRec security = *found;
  if (!(terms.new_shares > 0) || !(terms.old_shares > 0) || !std::isfinite(terms.new_shares) ||
      !std::isfinite(terms.old_shares)) {
    return Refuse("Security Split failed");
  }
  // A split before the first lot would rewrite nothing but the prices.
  bool held = false;
  for (const TSecurityTranRec& tran : club_.stkrecs.Select(OwnerFilter(stkid))) {
    if (tran.trandate <= terms.date && (KindOf(tran) == SecurityTranKind::Purchase ||
                                        KindOf(tran) == SecurityTranKind::Reinvestment)) {
      held = true;
    }
  }
  if (!held) return Refuse(security.name + " does not have any shares.");

  // Every split takes an id of its own, so two splits on one day never share a key.
  TSecurityTranRec split;
  split.stranid = AllocateTranId(security.trancount);
  split.typ = Code(SecurityTranKind::Split);
  split.price = terms.new_shares;
  split.comm = terms.old_shares;
  split.trandate = terms.date;
  split.stkid = stkid;
  const SplitEffect effect = RewriteForSplit(security, terms, split.stranid);
  split.amount = effect.net_shares;
  security.sharest += effect.net_shares;
  // The fractional shares sold for cash take their cost with them, as a sale's
  // lots do; the reset, which counts the open lots, then finds the same cost.
  security.tspent -= effect.sold_cost;
  ApplySecurityBookkeeping(security);
  if (terms.cash && terms.cash->actid >= 0) {
    split.actid = terms.cash->actid;
    if (Outcome posted = PostFractionCash(security, split, *terms.cash); !posted) return posted;
  }
  club_.stkrecs.Put(split);
  securities_.Save(security);
  club_.Ui().ShowInformation(security.name + " Split.");
  return Outcome::Done();
}

CorporateChanges::SplitEffect CorporateChanges::RewriteForSplit(TSecurityRec& security, const SplitTerms& terms,
                                                                std::int32_t split_id) {
  const double n = terms.new_shares;
  const double o = terms.old_shares;
  const double total = security.sharest * n / o;
  const double whole = std::trunc(total + kShareTolerance);
  double fraction = total - whole;
  if (fraction < kShareTolerance) fraction = 0;
  const bool with_cash = terms.cash.has_value();
  double to_sell = fraction;
  SplitEffect effect;
  for (TSecurityTranRec lot : club_.stkrecs.Select(OwnerFilter(security.stkid))) {
    if (!Rewritten(lot, terms.date)) continue;
    const double g = lot.amount;
    const double m = lot.comm;
    // What bought the lot's shares: a commission taken from the dividend did not.
    const bool from_dividend = CommissionFromDividend(lot);
    const double invested = from_dividend ? g - m : g;
    const double old_shares = SharesOf(lot);
    const double old_cost = LotCost(lot);
    const double new_price = lot.price * o / n;
    double kept_invested = invested;
    double sold = 0;
    double whole_shares = 0;
    // A fraction still to sell within the tolerance of zero is rounding.
    if (with_cash && to_sell >= kShareTolerance) {
      const double shares_after = invested / new_price;
      whole_shares = std::trunc(shares_after + kShareTolerance);
      const double odd = shares_after - whole_shares;
      // Below the tolerance a lot has whole shares: what is left is rounding.
      if (odd >= kShareTolerance) {
        sold = std::min(odd, to_sell);
        // The lot keeps the odd shares the fraction does not take, unless they
        // are rounding: then they go with the fraction rather than stay behind
        // as a lot of no shares.
        if (odd - sold > kShareTolerance) whole_shares += odd - sold;
        kept_invested = new_price * whole_shares;
      }
    }
    lot.price = new_price;
    if (sold != 0) {
      // The commission is shared as the shares are; one taken from the
      // dividend stays inside the kept lot's amount.
      lot.comm = kept_invested / invested * m;
      lot.amount = from_dividend ? kept_invested + lot.comm : kept_invested;
      // A lot whose whole holding was the fraction is sold with it.
      lot.sold = whole_shares == 0;
      effect.sold_cost += old_cost - LotCost(lot);
    }
    effect.net_shares += SharesOf(lot) - old_shares;
    club_.stkrecs.Put(lot);
    if (sold == 0) continue;

    TSecurityTranRec fraction_lot = lot;
    fraction_lot.buytran = lot.stranid;
    fraction_lot.actid = split_id;
    fraction_lot.transid = -1;  // the lot's purchase posting stays with the lot
    // A purchase of the fraction's shares at the lot's price, with the rest
    // of the commission beside its amount, whoever paid it: its shares and
    // cost are those the lot gave up.
    fraction_lot.amount = invested - kept_invested;
    fraction_lot.comm = (invested - kept_invested) / invested * m;
    fraction_lot.typ = Code(SecurityTranKind::Purchase);
    fraction_lot.tax = true;
    fraction_lot.compc = false;
    fraction_lot.sold = true;
    fraction_lot.stranid = AllocateTranId(security.trancount);
    club_.stkrecs.Put(fraction_lot);

    TSecurityTranRec fraction_sale;
    fraction_sale.buytran = fraction_lot.stranid;
    fraction_sale.actid = split_id;
    fraction_sale.amount = sold * terms.cash->amount / fraction;
    fraction_sale.comm = sold * terms.cash->comm / fraction;
    fraction_sale.price = fraction_sale.amount / sold;
    fraction_sale.typ = Code(SecurityTranKind::Sale);
    fraction_sale.tax = true;
    fraction_sale.stkid = security.stkid;
    fraction_sale.trandate = terms.date;
    fraction_sale.stranid = AllocateTranId(security.trancount);
    club_.stkrecs.Put(fraction_sale);
    to_sell -= sold;
  }
  ScalePrices(security, o, n, terms.date);
  return effect;
}

Outcome CorporateChanges::PostFractionCash(const TSecurityRec& security, TSecurityTranRec& split,
                                           const FractionCash& fraction_cash) {
  TSecurityTranRec cash = split;
  cash.amount = fraction_cash.amount;
  cash.comm = fraction_cash.comm;
  cash.compc = fraction_cash.company_paid;
  auto posting = CashPostingOf(cash, security.name);
  TAccountTranRec account_tran = AccountTransactionOf(*posting, cash, -1);
  Outcome posted = accounts_.PostAccountTransaction(split.actid, PostMode::NewOnAccount, account_tran, nullptr, kApply);
  if (!posted) return posted;
  split.transid = account_tran.tranid;
  return Outcome::Done();
}

void CorporateChanges::ScalePrices(TSecurityRec& security, double by, double over, DayNumber date) {
  for (TPriceRec price : club_.prices.Select(OwnerFilter(security.stkid))) {
    if (price.trandate > date) continue;
    price.price = price.price * by / over;
    club_.prices.Put(price);
  }
  // The current price is scaled by its date, not through its record: that may
  // have been deleted, and a price taken from a lot has no record or date.
  if (security.pricedate <= date) security.pricec = security.pricec * by / over;
}

Outcome CorporateChanges::UpdateBasis(std::int32_t stkid, double new_cost, double old_cost, DayNumber date) {
  auto found = securities_.FindById(stkid);
  if (!found) return RefuseMissing(club_.Ui(), "Security " + std::to_string(stkid) + " does not exist.");
  TSecurityRec security = *found;
  if (!(new_cost > 0) || !(old_cost > 0) || !std::isfinite(new_cost) || !std::isfinite(old_cost)) {
    return Refuse("Security Basis Update failed");
  }
  RewriteBasis(security, new_cost, old_cost, date);
  TSecurityTranRec change;
  change.stranid = AllocateTranId(security.trancount);
  change.typ = Code(SecurityTranKind::BasisChange);
  change.price = new_cost;
  change.comm = old_cost;
  change.trandate = date;
  change.stkid = stkid;
  club_.stkrecs.Put(change);
  securities_.Save(security);
  (void)securities_.ResetSecurity(security.name, false);
  club_.Ui().ShowInformation(security.name + " Basis Updated.");
  return Outcome::Done();
}

void CorporateChanges::RewriteBasis(TSecurityRec& security, double new_cost, double old_cost, DayNumber date) {
  for (TSecurityTranRec lot : club_.stkrecs.Select(OwnerFilter(security.stkid))) {
    if (!Rewritten(lot, date)) continue;
    lot.amount = lot.amount * new_cost / old_cost;
    lot.price = lot.price * new_cost / old_cost;
    // The commission a reinvestment paid out of its dividend is part of its
    // amount: it scales with it, so the lot keeps its shares.
    if (CommissionFromDividend(lot)) lot.comm = lot.comm * new_cost / old_cost;
    club_.stkrecs.Put(lot);
  }
  ScalePrices(security, new_cost, old_cost, date);
}

Outcome CorporateChanges::ClearSecurity(std::int32_t stkid, DayNumber date) {
  auto found = securities_.FindById(stkid);
  if (!found) return RefuseMissing(club_.Ui(), "Security " + std::to_string(stkid) + " does not exist.");
  TSecurityRec security = *found;
  // The holding on the date is that of the open lots bought on or before it;
  // the clear closes them as a sale relieves its lots (a later sale cannot
  // take them again) and carries their cost off in its `comm`.
  std::vector<TSecurityTranRec> cleared;
  double held = 0, cost = 0;
  for (const TSecurityTranRec& tran : club_.stkrecs.Select(OwnerFilter(stkid))) {
    if (tran.trandate > date || !IsOpenLot(tran)) continue;
    cleared.push_back(tran);
    held += SharesOf(tran);
    cost += LotCost(tran);
  }
  if (held < kShareTolerance) return Refuse(security.name + " does not have any shares.");
  TSecurityTranRec clear;
  clear.stranid = AllocateTranId(security.trancount);
  clear.typ = Code(SecurityTranKind::Clear);
  clear.amount = held;
  clear.comm = cost;
  clear.trandate = date;
  clear.stkid = stkid;
  for (TSecurityTranRec lot : cleared) {
    lot.sold = true;
    lot.buytran = clear.stranid;
    club_.stkrecs.Put(lot);
  }
  club_.stkrecs.Put(clear);
  ApplyTotals(security, clear, +1, nullptr, club_.Info().year);
  securities_.Save(security);
  club_.Ui().ShowInformation(security.name + " Security Cleared.");
  return Outcome::Done();
}

void CorporateChanges::UndoSplitFractions(std::int32_t stkid, std::int32_t split_stranid) {
  for (bool found = true; found;) {
    found = false;
    const std::vector<TSecurityTranRec> records = club_.stkrecs.Select(OwnerFilter(stkid));
    const SecurityHistory history(records);
    for (const TSecurityTranRec& tran : records) {
      const bool fraction = (IsFractionLot(tran) || IsFractionSale(tran)) && tran.actid == split_stranid;
      if (!fraction) continue;
      if (IsFractionLot(tran)) {
        for (TSecurityTranRec parent : records) {
          const SecurityTranKind parent_kind = KindOf(parent);
          const bool lot = parent_kind == SecurityTranKind::Purchase || parent_kind == SecurityTranKind::Reinvestment;
          if (!lot || parent.stranid != tran.buytran) continue;
          // A lot sold since has gone in the split's shares: the fraction
          // cannot join it again and goes with its sale record.
          if (RelievedBySale(records, parent.stranid)) break;
          // Basis updates since the split rewrote the lot but not its sold
          // fraction: the fraction comes back in the lot's terms of today.
          const double scale = history.AmountScaleSince(parent, split_stranid);
          // A commission the dividend paid is part of the lot's amount again.
          const bool from_dividend = CommissionFromDividend(parent);
          parent.amount += (from_dividend ? tran.amount + tran.comm : tran.amount) * scale;
          parent.comm += from_dividend ? tran.comm * scale : tran.comm;
          // The holding the split sold whole is held again.
          parent.sold = false;
          club_.stkrecs.Put(parent);
          break;
        }
      }
      club_.stkrecs.Remove(club_.stkrecs.KeyOf(tran));
      found = true;
      break;
    }
  }
}

Outcome CorporateChanges::UndoRemoved(const TSecurityTranRec& removed) {
  auto found = securities_.FindById(removed.stkid);
  if (!found) return Outcome::Done();
  TSecurityRec security = *found;
  if (KindOf(removed) == SecurityTranKind::BasisChange) {
    RewriteBasis(security, removed.comm, removed.price, removed.trandate);
  } else if (KindOf(removed) == SecurityTranKind::Split) {
    // Fractions sold for cash go back to their lots whether or not the cash was posted.
    UndoSplitFractions(removed.stkid, removed.stranid);
    if (removed.transid != -1 && removed.actid >= 0) {
      if (auto posting = accounts_.FindTransaction(removed.actid, removed.transid)) {
        if (Outcome unposted = accounts_.RemoveTransaction(*posting); !unposted) return unposted;
      }
    }
    SplitTerms inverse{removed.comm, removed.price, removed.trandate, std::nullopt};
    static_cast<void>(RewriteForSplit(security, inverse, -1));
  } else if (KindOf(removed) == SecurityTranKind::Clear) {
    // The lots it closed are open again.
    for (TSecurityTranRec lot : club_.stkrecs.Select(OwnerFilter(removed.stkid))) {
      if (!IsClosedByClear(lot, removed.stranid)) continue;
      lot.sold = false;
      lot.buytran = -1;
      club_.stkrecs.Put(lot);
    }
  } else {
    return Outcome::Done();
  }
  securities_.Save(security);
  (void)securities_.ResetSecurity(security.name, false);
  return Outcome::Done();
}

Outcome CorporateChanges::ResetDividends() {
  if (!club_.Ui().Confirm(
          "This option will delete all account dividend transactions from stocks and reset them from the security "
          "records. Continue?")) {
    return Outcome::Cancelled();
  }
  const std::int32_t year = club_.Info().year;
  const auto in_year = [year](DayNumber date) { return CivilFromDayNumber(date).year == year; };
  // The postings of non-taxable dividends (category 4) go as well, since every
  // dividend is posted again below; they are known by the dividends that link them.
  std::set<std::pair<std::int32_t, std::int32_t>> linked;
  for (const TSecurityRec& security : securities_.List(false)) {
    for (const TSecurityTranRec& tran : club_.stkrecs.Select(OwnerFilter(security.stkid))) {
      if (KindOf(tran) == SecurityTranKind::Dividend && tran.actid >= 0) linked.emplace(tran.actid, tran.transid);
    }
  }
  // Hidden accounts keep their postings: they cannot be reset.
  std::vector<std::string> names;
  std::set<std::int32_t> active;
  for (const TAccountRec& account : accounts_.List(true)) {
    names.push_back(account.name);
    active.insert(account.actid);
    for (const TAccountTranRec& tran : accounts_.Transactions(account.actid)) {
      if (!in_year(tran.trandate) || OriginOf(tran) != AccountOrigin::Security) continue;
      const bool dividend = tran.catid == Code(PredefinedCategory::DividendIncome) ||
                            linked.contains({account.actid, tran.tranid});
      if (dividend) club_.actrecs.Remove(club_.actrecs.KeyOf(tran));
    }
  }
  // Hidden securities too: their postings went above.
  for (const TSecurityRec& security : securities_.List(false)) {
    for (TSecurityTranRec dividend : club_.stkrecs.Select(OwnerFilter(security.stkid))) {
      if (KindOf(dividend) != SecurityTranKind::Dividend || !in_year(dividend.trandate) ||
          !active.contains(dividend.actid)) {
        continue;
      }
      auto posting = CashPostingOf(dividend, security.name);
      TAccountTranRec account_tran = AccountTransactionOf(*posting, dividend, -1);
      Outcome posted =
          accounts_.PostAccountTransaction(dividend.actid, PostMode::NewOnAccount, account_tran, nullptr, kApply);
      if (!posted) return posted;
      dividend.transid = account_tran.tranid;
      club_.stkrecs.Put(dividend);
    }
  }
  for (const std::string& name : names) static_cast<void>(accounts_.ResetAccount(name, false));
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation("Security Dividend Records have been reset");
  return Outcome::Done();
}

}  // namespace pellmark::ledger
