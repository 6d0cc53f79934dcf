#include "reports/balance_sheet.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "cash/account_posting.h"
#include "club/money.h"
#include "members/member_posting.h"
#include "securities/security_position.h"

namespace pellmark::reports {

BalanceSheet ComputeBalanceSheet(ClubSession& club, DayNumber date) {
  return ComputeBalanceSheet(ReadYearRecords(club, CivilFromDayNumber(date).year, {.categories = false}), date);
}

BalanceSheet ComputeBalanceSheet(const YearRecords& records, DayNumber date) {
  BalanceSheet sheet;
  sheet.date = date;

  // Cash: each balance with what came after the date undone.
  std::vector<TAccountRec> accounts = records.accounts;
  std::map<std::int32_t, TAccountRec*> account_of;
  for (TAccountRec& account : accounts) account_of.emplace(account.actid, &account);
  for (const TAccountTranRec& tran : records.account_transactions) {
    if (tran.trandate <= date) continue;
    if (auto found = account_of.find(tran.actid); found != account_of.end()) {
      ledger::ApplyAccountPosting(*found->second, tran, -1, records.club_year);
    }
  }
  for (const TAccountRec& account : accounts) {
    const double balance = RoundCents(account.bal);
    if (balance == 0) continue;
    sheet.cash.push_back({account.name, balance});
    sheet.total_cash += balance;
  }

  // Investments: each security's cost as its records stood at the end of the
  // date; without a record after the date, as its running totals stand.
  for (const TSecurityRec& security : records.securities) {
    TSecurityRec then = security;
    const std::vector<TSecurityTranRec>* transactions = records.TransactionsOf(security.stkid);
    if (transactions != nullptr && std::any_of(transactions->begin(), transactions->end(),
                                               [&](const TSecurityTranRec& tran) { return tran.trandate > date; })) {
      const ledger::SecurityHistory history(*transactions);
      then = ledger::PositionAsOf(security, history, date, CivilFromDayNumber(date).year);
    }
    if (std::fabs(then.sharest) < kShareTolerance || std::fabs(then.tspent) < kShareTolerance) continue;
    const double cost = RoundCents(then.tspent);
    sheet.investments.push_back({security.name, cost});
    sheet.total_investments += cost;
  }
  sheet.total_cash = RoundCents(sheet.total_cash);
  sheet.total_investments = RoundCents(sheet.total_investments);
  sheet.total_assets = RoundCents(sheet.total_cash + sheet.total_investments);

  // Members: units, contributions and earnings with what came after the date undone.
  for (const MemberYear& member : records.members) {
    TMemberRec then = member.record;
    for (const TMemberTranRec& tran : member.transactions) {
      if (tran.trandate > date) ledger::ApplyMemberPosting(then, tran, -1);
    }
    if (std::fabs(then.tunits) < kShareTolerance) continue;
    const double equity = RoundCents(then.totalc + then.totale);
    sheet.members.push_back({MemberName(then), equity});
    sheet.members_equity += equity;
  }
  sheet.members_equity = RoundCents(sheet.members_equity);
  sheet.gain_for_year = RoundCents(sheet.total_assets - sheet.members_equity);
  sheet.total_equities = RoundCents(sheet.members_equity + sheet.gain_for_year);
  return sheet;
}

}  // namespace pellmark::reports
