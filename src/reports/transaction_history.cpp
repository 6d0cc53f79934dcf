#include "reports/transaction_history.h"

#include <map>

#include "club/keys.h"
#include "club/money.h"
#include "club/record_kinds.h"

namespace pellmark::reports {

namespace {

std::string AccountTypeLabel(const TAccountTranRec& tran) {
  switch (KindOf(tran)) {
    case AccountTranKind::Check:
      return "Check " + std::to_string(tran.checknum);
    case AccountTranKind::Deposit:
      return "Deposit";
    case AccountTranKind::Withdrawal:
      return "Withdrawal";
    case AccountTranKind::BankCharge:
      return "Service Charge";
    case AccountTranKind::Interest:
      return "Interest";
    case AccountTranKind::TransferOut:
      return "Transfer Out";
    case AccountTranKind::TransferIn:
      return "Transfer In";
  }
  return "";
}

bool IsCredit(AccountTranKind kind) {
  return kind == AccountTranKind::Deposit || kind == AccountTranKind::Interest || kind == AccountTranKind::TransferIn;
}

std::string SecurityTypeLabel(const TSecurityTranRec& tran) {
  switch (KindOf(tran)) {
    case SecurityTranKind::Purchase:
      return "Buy";
    case SecurityTranKind::Sale:
      return IsShortSale(tran) ? "Short Sell" : "Sell";
    case SecurityTranKind::Dividend:
      return "Dividend";
    case SecurityTranKind::Reinvestment:
      return "ReInvestment";
    case SecurityTranKind::CapitalReduction:
      return "Capital Reduction";
    case SecurityTranKind::Clear:
      return "Clear Shares";
    case SecurityTranKind::ForeignTax:
      return "Foreign Tax";
    default:
      return "";
  }
}

double SharesOf(const TSecurityTranRec& tran) { return tran.price == 0 ? 0 : tran.amount / tran.price; }

// Money sums are kept in whole cents, so that a total is the sum of the printed figures.
SecurityHistory HistoryOf(ClubSession& club, const TSecurityRec& security, DayNumber date, double holdings) {
  SecurityHistory history;
  history.name = security.name;
  const double value = security.pricec * security.sharest;
  if (value != 0 && holdings != 0) history.percent_of_holdings = value / holdings * 100;
  bool ended = false;
  club.stkrecs.ForEach(OwnerFilter(security.stkid), [&](TSecurityTranRec&& tran) {
    // Keys run in date order: the first transaction after the date ends the list.
    if (ended || tran.trandate > date) {
      ended = true;
      return;
    }
    const SecurityTranKind kind = KindOf(tran);
    if (kind == SecurityTranKind::Split) return;
    SecurityHistoryRow row;
    row.date = tran.trandate;
    row.type = SecurityTypeLabel(tran);
    const double amount = RoundCents(tran.amount);
    if (kind == SecurityTranKind::Dividend || kind == SecurityTranKind::Reinvestment) {
      row.dividend = amount;
      history.dividends = RoundCents(history.dividends + amount);
    } else if (kind == SecurityTranKind::Clear) {
      row.shares = tran.amount;
      history.shares -= tran.amount;
    } else {
      row.amount = amount;
    }
    if (kind == SecurityTranKind::Purchase || kind == SecurityTranKind::Sale ||
        kind == SecurityTranKind::Reinvestment) {
      const double shares = SharesOf(tran);
      const double commission = RoundCents(tran.comm);
      row.shares = shares;
      row.price = tran.price;
      row.commission = commission;
      history.shares += kind == SecurityTranKind::Sale ? -shares : shares;
      history.commissions = RoundCents(history.commissions + commission);
      if (kind == SecurityTranKind::Sale) {
        history.proceeds = RoundCents(history.proceeds + amount - commission);
      } else {
        history.costs = RoundCents(history.costs + amount + commission);
      }
    }
    history.rows.push_back(std::move(row));
  });
  return history;
}

}  // namespace

AccountHistory ComputeAccountHistory(ClubSession& club, const TAccountRec& account, DayNumber date) {
  AccountHistory history;
  history.name = account.name;
  history.balance = account.bal;
  history.from = DayNumberFromCivil({CivilFromDayNumber(date).year, 1, 1});
  history.to = date;
  std::map<std::int32_t, std::string> categories;
  club.categories.ForEach("", [&](TCategoryRec&& category) { categories[category.catid] = category.cat; });
  club.actrecs.ForEach(OwnerFilter(account.actid), [&](TAccountTranRec&& tran) {
    if (tran.trandate < history.from || tran.trandate > date) return;
    AccountHistoryRow row;
    row.date = tran.trandate;
    row.type = AccountTypeLabel(tran);
    row.description = tran.desc;
    if (auto found = categories.find(tran.catid); found != categories.end()) row.category = found->second;
    row.amount = RoundCents(tran.amount);
    row.credit = IsCredit(KindOf(tran));
    double& total = row.credit ? history.credits : history.debits;
    total = RoundCents(total + row.amount);
    history.rows.push_back(std::move(row));
  });
  return history;
}

SecurityHistories ComputeSecurityHistories(ClubSession& club, SecurityChoice choice, const std::string& name,
                                           DayNumber date) {
  std::vector<TSecurityRec> chosen;
  double holdings = 0;
  club.securities.ForEachKeyed("", [&](const std::string& key, TSecurityRec&& security) {
    const bool listed = !key.starts_with('~');
    if (security.active && listed) holdings += security.pricec * security.sharest;
    const bool take = choice == SecurityChoice::kAllOnRecord ||
                      (choice == SecurityChoice::kAllActive && security.active && listed) ||
                      (choice == SecurityChoice::kOne && security.name == name);
    if (take) chosen.push_back(std::move(security));
  });
  SecurityHistories histories;
  for (const TSecurityRec& security : chosen) {
    histories.securities.push_back(HistoryOf(club, security, date, holdings));
    histories.total_costs = RoundCents(histories.total_costs + histories.securities.back().costs);
    histories.total_proceeds = RoundCents(histories.total_proceeds + histories.securities.back().proceeds);
  }
  return histories;
}

PriceHistory ComputePriceHistory(ClubSession& club, const TSecurityRec& security, DayNumber date) {
  PriceHistory history;
  history.name = security.name;
  history.date = date;
  history.current = security.pricec;
  history.purchase = security.pricep;
  const CivilDate to = CivilFromDayNumber(date);
  club.prices.ForEach(OwnerFilter(security.stkid), [&](TPriceRec&& price) {
    if (price.trandate < date - 365 || price.trandate > date) return;
    const CivilDate on = CivilFromDayNumber(price.trandate);
    const int months_before = (to.year - on.year) * 12 + (to.month - on.month);
    if (months_before >= 12) return;  // the date's month a year before
    history.prices.push_back({price.trandate, price.price, 12 - months_before});
  });
  for (std::size_t i = 0; i < history.prices.size(); ++i) {
    const double price = history.prices[i].price;
    if (i == 0 || price > history.high) history.high = price;
    if (i == 0 || price < history.low) history.low = price;
  }
  return history;
}

double PriceScaleTop(double high) {
  double top = 1;
  if (!(high > 0)) return top;
  while (top < high) top *= 10;
  while (top / 2 > high) top /= 2;
  while (top - 10 > high) top -= 10;
  return top;
}

}  // namespace pellmark::reports
