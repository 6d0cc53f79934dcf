// The grown club of the valuation benchmarks: 50 members, 20 securities and 3
// accounts over 20 years (12 000 member transactions, 5 000 security
// transactions, 4 800 prices, 3 000 account transactions, 240 unit records),
// written once straight into the stores of a club just created. The unit
// values of its history are made up, not worked out from its assets.
//
//   club.OpenClub(false);
//   WriteGrownClub(club);   // committed; today is kGrownClubToday
#pragma once

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "cash/account_posting.h"
#include "forms/club_setup_form.h"
#include "club/club_session.h"
#include "club/keys.h"
#include "club/record_kinds.h"
#include "members/member_posting.h"

namespace pellmark::bench {

constexpr int kMembers = 50;
constexpr int kSecurities = 20;
constexpr int kAccounts = 3;
constexpr int kFirstYear = 2000;
constexpr int kYears = 20;
constexpr int kMonths = kYears * 12;
constexpr int kSecurityTransactionsEach = 250;
constexpr int kAccountTransactionsEach = 1000;

inline DayNumber Day(int month, int day) { return DayNumberFromCivil({kFirstYear + month / 12, month % 12 + 1, day}); }
inline double UnitValueOfMonth(int month) { return 10.0 + month * 0.05 + std::sin(month) * 0.4; }
inline double PriceOfMonth(int security, int month) { return 20.0 + security + month * 0.1 + std::cos(month + security) * 2; }

inline const DayNumber kGrownClubToday = Day(kMonths - 1, 31);

namespace grown {

inline void WriteUnitHistory(ClubSession& club) {
  TClubInfoRec& info = club.Info();
  std::vector<TUnitValueRec> units;
  for (int month = 1; month < kMonths; ++month) {
    TUnitValueRec unit;
    unit.unitval = UnitValueOfMonth(month);
    unit.date = Day(month, 1);
    unit.unitid = AllocateTranId(info.unitind);
    units.push_back(unit);
    info.vunit = unit.unitval;
    info.unitkey = unit.unitid;
    info.date = unit.date;
  }
  club.unitfile.PutAll(units);
}

// "Cash" takes the dues; each account has a thousand deposits and
// withdrawals spread over the years, a few of them interest.
inline void WriteAccounts(ClubSession& club, std::mt19937& random) {
  std::vector<TAccountRec> accounts = {*club.accounts.Find(NameKey(false, "Cash"))};
  for (int n = 1; n < kAccounts; ++n) {
    TAccountRec account = accounts.front();
    account.name = "Account " + std::to_string(n);
    account.actid = n + 1;
    account.trancount = 0;
    account.bal = 0;
    accounts.push_back(account);
  }
  std::uniform_int_distribution<int> day(0, kMonths * 28);
  std::vector<TAccountTranRec> trans;
  for (TAccountRec& account : accounts) {
    std::vector<int> days;
    for (int n = 0; n < kAccountTransactionsEach; ++n) days.push_back(day(random));
    std::sort(days.begin(), days.end());
    for (int n = 0; n < kAccountTransactionsEach; ++n) {
      TAccountTranRec tran;
      tran.trandate = Day(0, 1) + days[static_cast<std::size_t>(n)] * 365.0 * kYears / (kMonths * 28);
      tran.trandate = std::floor(tran.trandate);
      tran.actid = account.actid;
      tran.tranid = AllocateTranId(account.trancount);
      const int kind = n % 5;
      tran.typ = Code(kind == 0 ? AccountTranKind::Interest
                                : kind == 1 ? AccountTranKind::Withdrawal : AccountTranKind::Deposit);
      tran.catid = Code(kind == 0 ? PredefinedCategory::InterestIncome
                                  : kind == 1 ? PredefinedCategory::OperatingExpenses
                                              : PredefinedCategory::MemberContributions);
      tran.amount = kind == 0 ? 3 : 40 + n % 7;
      tran.desc = "bench";
      tran.xferact = -1;
      ledger::ApplyAccountPosting(account, tran, +1, kFirstYear);
      trans.push_back(tran);
    }
  }
  club.actrecs.PutAll(trans);
  club.accounts.PutAll(accounts);
}

inline void WriteMembers(ClubSession& club) {
  std::vector<TMemberRec> members;
  std::vector<TMemberTranRec> payments;
  for (int n = 0; n < kMembers; ++n) {
    TMemberRec member;
    member.lname = "Member" + std::to_string(1000 + n);
    member.fname = "Pat";
    member.memid = n + 1;
    for (int month = 0; month < kMonths; ++month) {
      TMemberTranRec tran;
      tran.dues = 25;
      tran.cunit = month == 0 ? 10 : UnitValueOfMonth(month);
      tran.unitind = month;
      tran.memid = member.memid;
      tran.actid = 1;
      tran.duestran = AllocateTranId(member.duescount);
      tran.typ = Code(MemberTranKind::Payment);
      tran.trandate = Day(month, 15);
      ledger::ApplyMemberPosting(member, tran, +1);
      payments.push_back(tran);
    }
    members.push_back(member);
  }
  club.memrecs.PutAll(payments);
  club.members.PutAll(members);
}

// Each security: a purchase or a dividend most months and a price every month.
inline void WriteSecurities(ClubSession& club) {
  std::vector<TSecurityRec> securities;
  std::vector<TSecurityTranRec> trans;
  std::vector<TPriceRec> prices;
  for (int s = 0; s < kSecurities; ++s) {
    TSecurityRec security;
    security.name = "Security " + std::to_string(100 + s);
    security.symbol = "S" + std::to_string(s);
    security.stkid = s + 1;
    for (int n = 0; n < kSecurityTransactionsEach; ++n) {
      const int month = n * kMonths / kSecurityTransactionsEach;
      TSecurityTranRec tran;
      tran.stkid = security.stkid;
      tran.stranid = AllocateTranId(security.trancount);
      tran.trandate = Day(month, 10 + n % 10);
      if (n % 3 == 2) {
        tran.typ = Code(SecurityTranKind::Dividend);
        tran.amount = 12;
        security.dividendt += tran.amount;
      } else {
        tran.typ = Code(SecurityTranKind::Purchase);
        tran.price = PriceOfMonth(s, month);
        tran.amount = 10 * tran.price;
        tran.comm = 5;
        security.sharest += 10;
        security.tspent += tran.amount + tran.comm;
      }
      trans.push_back(tran);
    }
    for (int month = 0; month < kMonths; ++month) {
      TPriceRec price;
      price.price = PriceOfMonth(s, month);
      price.stkid = security.stkid;
      price.tranid = AllocateTranId(security.pricecount);
      price.trandate = Day(month, 28);
      prices.push_back(price);
      security.pricec = price.price;
      security.pricedate = price.trandate;
    }
    ApplySecurityBookkeeping(security);
    securities.push_back(security);
  }
  club.stkrecs.PutAll(trans);
  club.prices.PutAll(prices);
  club.securities.PutAll(securities);
}

}  // namespace grown

inline void WriteGrownClub(ClubSession& club) {
  ClubInfoFields fields = ClubSetupFields(club);
  fields.club = "Bench Investors";
  fields.year = std::to_string(kFirstYear);
  fields.startunit = "10.00";
  if (!CommitClubSetup(club, fields)) throw std::runtime_error("club set-up refused");
  std::mt19937 random(20260107);
  grown::WriteUnitHistory(club);
  grown::WriteAccounts(club, random);
  grown::WriteMembers(club);
  grown::WriteSecurities(club);
  club.Info().dues = club.Info().stks = true;
  club.WriteClubInfo();
  club.Commit();
}

}  // namespace pellmark::bench
