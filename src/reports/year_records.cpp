#include "reports/year_records.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include <fmt/format.h>

#include "members/member_posting.h"

namespace pellmark::reports {

void YearRecords::RequireYearOf(DayNumber date) const {
  if (CivilFromDayNumber(date).year != year) {
    throw std::invalid_argument(fmt::format("the records are of {}, not of {}", year, CivilFromDayNumber(date).year));
  }
}

const TSecurityTranRec* YearRecords::SecurityTransaction(std::int32_t stkid, std::int32_t stranid) const {
  auto found = std::lower_bound(security_ids.begin(), security_ids.end(), std::pair(stkid, stranid),
                                [](const IdEntry& entry, const std::pair<std::int32_t, std::int32_t>& id) {
                                  return std::pair(entry.stkid, entry.stranid) < id;
                                });
  if (found == security_ids.end() || found->stkid != stkid || found->stranid != stranid) return nullptr;
  return &At(found->place);
}

const std::vector<TSecurityTranRec>* YearRecords::TransactionsOf(std::int32_t stkid) const {
  for (const SecurityTransactions& group : security_transactions) {
    if (group.stkid == stkid) return &group.records;
  }
  return nullptr;
}

YearRecords ReadYearRecords(ClubSession& club, std::int32_t year, StoresToRead stores) {
  YearRecords records;
  records.year = year;
  records.first = DayNumberFromCivil({year, 1, 1});
  records.last = DayNumberFromCivil({year, 12, 31});
  records.club_year = club.Info().year;
  if (stores.categories) records.categories = club.categories.Select();
  if (stores.accounts) {
    records.accounts = club.accounts.Select();
    records.account_transactions.reserve(static_cast<std::size_t>(club.actrecs.Count()));
    club.actrecs.ForEach("", [&](TAccountTranRec&& tran) { records.account_transactions.push_back(std::move(tran)); });
    for (std::size_t i = 0; i < records.account_transactions.size(); ++i) {
      if (records.InYear(records.account_transactions[i].trandate)) records.year_account_transactions.push_back(i);
    }
  }
  if (stores.securities) {
    records.securities = club.securities.Select();
    std::map<std::int32_t, std::size_t> group_of;
    records.security_ids.reserve(static_cast<std::size_t>(club.stkrecs.Count()));
    club.stkrecs.ForEach("", [&](TSecurityTranRec&& tran) {
      auto [found, added] = group_of.emplace(tran.stkid, records.security_transactions.size());
      if (added) records.security_transactions.push_back({tran.stkid, {}});
      std::vector<TSecurityTranRec>& group = records.security_transactions[found->second].records;
      const TransactionPlace place{found->second, group.size()};
      if (records.InYear(tran.trandate)) records.year_security_transactions.push_back(place);
      records.security_ids.push_back({tran.stkid, tran.stranid, place});
      group.push_back(std::move(tran));
    });
    std::stable_sort(records.security_ids.begin(), records.security_ids.end(),
                     [](const YearRecords::IdEntry& a, const YearRecords::IdEntry& b) {
                       return std::pair(a.stkid, a.stranid) < std::pair(b.stkid, b.stranid);
                     });
  }
  if (stores.members) {
    std::map<std::int32_t, std::vector<TMemberTranRec>> by_member;
    // A member's transactions lie together in key order: one look-up for each run of them.
    std::vector<TMemberTranRec>* run = nullptr;
    std::int32_t run_memid = 0;
    club.memrecs.ForEach("", [&](TMemberTranRec&& tran) {
      if (run == nullptr || tran.memid != run_memid) {
        run = &by_member[tran.memid];
        run_memid = tran.memid;
      }
      run->push_back(std::move(tran));
    });
    club.members.ForEach("", [&](TMemberRec&& member) {
      MemberYear entry;
      if (auto found = by_member.find(member.memid); found != by_member.end()) {
        entry.transactions = std::move(found->second);
        by_member.erase(found);
      }
      entry.record = std::move(member);
      for (std::size_t i = 0; i < entry.transactions.size(); ++i) {
        const TMemberTranRec& tran = entry.transactions[i];
        if (tran.trandate < records.first) {
          ledger::ApplyMemberPosting(entry.opening, tran, +1);
        } else if (tran.trandate <= records.last) {
          entry.of_year.push_back({i, ledger::UnitsOf(tran)});
        }
      }
      records.members.push_back(std::move(entry));
    });
  }
  return records;
}

}  // namespace pellmark::reports
