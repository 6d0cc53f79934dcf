// The records the club's figures of one year read — categories, accounts,
// securities, members and the transactions of each — read from the stores
// once into memory, so that the balance sheets, income statement, capital
// gains, earnings distributions, payoff letters and tax figures of one task
// walk memory instead of decoding the stores again for each figure and date.
// What every figure of the year needs again is worked out here once: which
// transactions are dated in the year, and each member's totals as the year
// began.
//
//   const YearRecords records = ReadYearRecords(club, 2026);
//   for (DayNumber date : payout_dates) ComputeEarningsDistribution(records, date);
//   ComputeBalanceSheet(records, DayNumberFromCivil({2025, 12, 31}));
//
// The figures of a date of another year than the records' refuse them
// (std::invalid_argument); a balance sheet takes any date.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "club/club_session.h"
#include "club/dates.h"
#include "club/records.h"

namespace pellmark::reports {

// The stores a reading takes in; one left out reads as empty.
struct StoresToRead {
  bool categories = true;
  bool accounts = true;    // accounts and their transactions
  bool securities = true;  // securities and their transactions
  bool members = true;     // members and their transactions
};

// A member with its transactions, and what the year's figures start from.
struct MemberYear {
  TMemberRec record;
  std::vector<TMemberTranRec> transactions;  // key order
  // The totals the transactions dated before January 1 give by the posting
  // rules, counted from nothing.
  TMemberRec opening;
  // The transactions dated in the year: their positions in `transactions`
  // and the units each carries.
  struct OfYear {
    std::size_t index;
    double units;
  };
  std::vector<OfYear> of_year;
};

// One security's transactions.
struct SecurityTransactions {
  std::int32_t stkid = 0;
  std::vector<TSecurityTranRec> records;  // key order
};

// Where a transaction stands: its group and its place in the group.
struct TransactionPlace {
  std::size_t group, index;
};

struct YearRecords {
  std::int32_t year = 0;
  DayNumber first = 0;           // January 1
  DayNumber last = 0;            // December 31
  std::int32_t club_year = 0;    // the club's open year
  std::vector<TCategoryRec> categories;                // store order
  std::vector<TAccountRec> accounts;                   // store order
  std::vector<TAccountTranRec> account_transactions;   // key order
  std::vector<TSecurityRec> securities;                // store order
  // By security, each in key order, in the order of their first transactions.
  std::vector<SecurityTransactions> security_transactions;
  std::vector<MemberYear> members;                     // store order
  std::vector<std::size_t> year_account_transactions;  // positions of those dated in the year
  std::vector<TransactionPlace> year_security_transactions;  // those dated in the year, key order

  bool InYear(DayNumber day) const { return day >= first && day <= last; }
  const TSecurityTranRec& At(TransactionPlace place) const {
    return security_transactions[place.group].records[place.index];
  }
  // The transactions of `stkid`; nullptr when it has none.
  const std::vector<TSecurityTranRec>* TransactionsOf(std::int32_t stkid) const;
  // Throws std::invalid_argument unless `date` is in the records' year.
  void RequireYearOf(DayNumber date) const;
  // The security transaction of `stkid` with id `stranid` (the first in key
  // order); nullptr when there is none.
  const TSecurityTranRec* SecurityTransaction(std::int32_t stkid, std::int32_t stranid) const;

  // Every security transaction's (stkid, stranid) and place, sorted by
  // security and id, key order among equals.
  struct IdEntry {
    std::int32_t stkid, stranid;
    TransactionPlace place;
  };
  std::vector<IdEntry> security_ids;
};

YearRecords ReadYearRecords(ClubSession& club, std::int32_t year, StoresToRead stores = {});

}  // namespace pellmark::reports
