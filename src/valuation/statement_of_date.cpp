#include "valuation/statement_of_date.h"

#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "cash/account_posting.h"
#include "club/real48.h"
#include "club/record_kinds.h"
#include "members/member_posting.h"
#include "securities/security_position.h"

namespace pellmark::valuation {
namespace {

bool HasShares(double shares) { return std::fabs(shares) >= kShareTolerance; }

int YearOf(DayNumber date) { return CivilFromDayNumber(date).year; }

}  // namespace

HeldOnDate StatementOfDate(ValuationBooks& books, const TClubInfoRec& info, DayNumber date, bool current) {
  HeldOnDate held;
  Statement& statement = held.statement;
  statement.date = date;
  double& total_value = held.total_value;

  // Securities.
  for (const ValuationBooks::Security& stored : books.Securities()) {
    if (current && !stored.Active()) continue;
    TSecurityRec security = stored.record;
    if (!current) {
      const ledger::SecurityHistory& history = books.SecurityHistoryOf(security.stkid);
      security = ledger::PositionAsOf(stored.record, history, date, YearOf(date));
      if (!HasShares(security.sharest)) continue;
      // The newest price of the date, as it was before later splits and
      // basis changes rescaled it; the cost per share when there is none.
      security.pricec = security.pricep;
      const std::vector<TPriceRec>& prices = books.Prices(security.stkid);
      for (auto price = prices.rbegin(); price != prices.rend(); ++price) {
        if (price->trandate > date) continue;
        security.pricec = price->price * history.PriceScaleAfter(date);
        break;
      }
    }
    if (!HasShares(security.sharest)) continue;
    const double shares = RoundThroughReal48(security.sharest);
    const double price = RoundThroughReal48(security.pricec);
    statement.securities.push_back(
        {security.pricep * security.sharest / shares, security.pricec, security.dividendy, security.sharest, security.name});
    total_value += shares * price;
  }

  // Dividends of the year, hidden securities included.
  double dividends = 0;
  const DayNumber year_start = DayNumberFromCivil({YearOf(date), 1, 1});
  for (const ValuationBooks::Security& security : books.Securities()) {
    const ledger::SecurityHistory& history = books.SecurityHistoryOf(security.record.stkid);
    for (const TSecurityTranRec& tran : history.Records()) {
      if (tran.trandate > date) break;
      if (tran.trandate >= year_start) dividends += history.DividendPaid(tran);
    }
  }
  statement.dividends = dividends;

  // Accounts: what came after the date, and the members' contributions of
  // the date, backed out of a working copy. The postings of the date that
  // went out are remembered: the member transactions they carry go with them.
  bool backed_out_contributions = false;
  std::set<std::pair<std::int32_t, std::int32_t>> backed_out_of_the_date;  // (actid, tranid)
  for (const ValuationBooks::Account& stored : books.Accounts()) {
    if ((current && !stored.Active()) || stored.record.ExcludedFromValuation()) continue;
    TAccountRec account = stored.record;
    const std::vector<TAccountTranRec>& trans = books.AccountTransactions(account.actid);
    for (auto tran = trans.rbegin(); tran != trans.rend() && tran->trandate >= date; ++tran) {
      const bool contribution = tran->catid == Code(PredefinedCategory::MemberContributions);
      if (tran->trandate > date || contribution) {
        ledger::ApplyAccountPosting(account, *tran, -1, info.year);
        if (tran->trandate == date) {
          backed_out_of_the_date.emplace(account.actid, tran->tranid);
          backed_out_contributions = true;
        }
      }
    }
    if (account.bal == 0) continue;
    statement.accounts.push_back({account.bal, account.interesty, account.name});
    total_value += account.bal;
  }

  // Members: transactions after the date, those of the date whose cash
  // was backed out (a transaction of the date without cash goes with the
  // contributions of the date), backed out of a working copy. A payout of
  // the date whose check stays in the cash keeps its units out too.
  auto cash_backed_out = [&](const TMemberTranRec& tran) {
    if (tran.actid < 0 || tran.tranid < 0) return backed_out_contributions;
    return backed_out_of_the_date.contains({tran.actid, tran.tranid});
  };
  double& total_units = held.total_units;
  for (ValuationBooks::Member& stored : books.Members()) {
    if (current && !stored.Active()) continue;
    TMemberRec member = stored.record;
    std::vector<ValuationBooks::MemberTran>& trans = *stored.transactions;
    // Key order is date order: the walk back stops at the first transaction
    // before the date, as the accounts' does, rather than crossing all of them.
    for (auto tran = trans.rbegin(); tran != trans.rend() && tran->record.trandate >= date; ++tran) {
      const DayNumber day = tran->record.trandate;
      const bool back_out = day > date || (day == date && cash_backed_out(tran->record));
      if (back_out) ledger::ApplyMemberPosting(member, tran->record, -1);
    }
    if (member.tunits == 0) continue;
    statement.members.push_back({member.tunits, member.totalc, member.totale, ledger::DisplayName(member)});
    total_units += member.tunits;
  }
  return held;
}

}  // namespace pellmark::valuation
