#include "reports/balance_sheet.h"

#include <cmath>
#include <map>
#include <set>

#include "cash/account_posting.h"
#include "club/money.h"
#include "members/member_posting.h"
#include "securities/security_position.h"

namespace pellmark::reports {

BalanceSheet ComputeBalanceSheet(ClubSession& club, DayNumber date) {
  BalanceSheet sheet;
  sheet.date = date;
  const std::int32_t club_year = club.Info().year;

  // Cash: each balance with what came after the date undone.
  std::vector<TAccountRec> accounts = club.accounts.Select();
  std::map<std::int32_t, TAccountRec*> account_of;
  for (TAccountRec& account : accounts) account_of.emplace(account.actid, &account);
  club.actrecs.ForEach("", [&](TAccountTranRec&& tran) {
    if (tran.trandate <= date) return;
    if (auto found = account_of.find(tran.actid); found != account_of.end()) {
      ledger::ApplyAccountPosting(*found->second, tran, -1, club_year);
    }
  });
  for (const TAccountRec& account : accounts) {
    const double balance = RoundCents(account.bal);
    if (balance == 0) continue;
    sheet.cash.push_back({account.name, balance});
    sheet.total_cash += balance;
  }

  // Investments: each security's cost as its records stood at the end of the
  // date; without a record after the date, as its running totals stand.
  std::map<std::int32_t, std::vector<TSecurityTranRec>> histories;
  std::set<std::int32_t> changed_since;
  club.stkrecs.ForEach("", [&](TSecurityTranRec&& tran) {
    if (tran.trandate > date) changed_since.insert(tran.stkid);
    histories[tran.stkid].push_back(std::move(tran));
  });
  club.securities.ForEach("", [&](TSecurityRec&& security) {
    TSecurityRec then = security;
    if (changed_since.contains(security.stkid)) {
      const ledger::SecurityHistory history(histories[security.stkid]);
      then = ledger::PositionAsOf(security, history, date, CivilFromDayNumber(date).year);
    }
    if (std::fabs(then.sharest) < kShareTolerance || std::fabs(then.tspent) < kShareTolerance) return;
    const double cost = RoundCents(then.tspent);
    sheet.investments.push_back({security.name, cost});
    sheet.total_investments += cost;
  });
  sheet.total_cash = RoundCents(sheet.total_cash);
  sheet.total_investments = RoundCents(sheet.total_investments);
  sheet.total_assets = RoundCents(sheet.total_cash + sheet.total_investments);

  // Members: units, contributions and earnings with what came after the date undone.
  std::vector<TMemberRec> members = club.members.Select();
  std::map<std::int32_t, TMemberRec*> member_of;
  for (TMemberRec& member : members) member_of.emplace(member.memid, &member);
  club.memrecs.ForEach("", [&](TMemberTranRec&& tran) {
    if (tran.trandate <= date) return;
    if (auto found = member_of.find(tran.memid); found != member_of.end()) {
      ledger::ApplyMemberPosting(*found->second, tran, -1);
    }
  });
  for (const TMemberRec& member : members) {
    if (std::fabs(member.tunits) < kShareTolerance) continue;
    const double equity = RoundCents(member.totalc + member.totale);
    sheet.members.push_back({MemberName(member), equity});
    sheet.members_equity += equity;
  }
  sheet.members_equity = RoundCents(sheet.members_equity);
  sheet.gain_for_year = RoundCents(sheet.total_assets - sheet.members_equity);
  sheet.total_equities = RoundCents(sheet.members_equity + sheet.gain_for_year);
  return sheet;
}

}  // namespace pellmark::reports
