// The books a run of valuations reads and changes, held in memory from the
// first look until Write puts the changes back: an audit re-runs a year of
// valuations and the full recalculation re-runs every valuation many times
// over, and each of them re-reads the same histories and rewrites the same
// members. Only the stores a valuation changes (members, member transactions,
// unit records, club information) and its statement files are written, once,
// with what the last valuation left; everything else is read once.
//
//   ValuationBooks books(club);
//   ... valuations over books.Members(), books.Units() ...
//   books.Write();   // the stores' changes and the statements, for the club's next commit
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "club/club_session.h"
#include "securities/security_position.h"
#include "store/file_layer.h"

namespace pellmark::valuation {

class ValuationBooks {
 public:
  explicit ValuationBooks(ClubSession& club) : club_(club) {}
  ValuationBooks(const ValuationBooks&) = delete;
  ValuationBooks& operator=(const ValuationBooks&) = delete;

  struct Master {
    std::string key;  // "_" + name active, "~" + name hidden
    bool Active() const { return !key.empty() && key.front() == '_'; }
  };
  struct Security : Master {
    TSecurityRec record;
  };
  struct Account : Master {
    TAccountRec record;
  };
  struct MemberTran {
    TMemberTranRec record;
    bool changed = false;
  };
  struct Member : Master {
    TMemberRec record;
    std::vector<MemberTran>* transactions = nullptr;  // in key order
    bool changed = false;
  };

  // Every master record in key order; the histories of one owner in key order.
  const std::vector<Security>& Securities();
  const std::vector<TSecurityTranRec>& SecurityTransactions(std::int32_t stkid);
  // Those transactions as a history, made once: no valuation changes them.
  const ledger::SecurityHistory& SecurityHistoryOf(std::int32_t stkid);
  const std::vector<TPriceRec>& Prices(std::int32_t stkid);
  const std::vector<Account>& Accounts();
  const std::vector<TAccountTranRec>& AccountTransactions(std::int32_t actid);
  std::vector<Member>& Members();

  // The first member of that id in key order; nullptr when there is none.
  Member* FindMember(std::int32_t memid);
  void SetTotals(Member& member, const TMemberRec& totals) {
    member.record = totals;
    member.changed = true;
  }

  // The unit records by key (date order).
  const std::map<std::string, TUnitValueRec>& Units();
  void PutUnit(const TUnitValueRec& unit);
  void RemoveUnit(const std::string& key);

  // The statement a valuation wrote; the last one of a file is the one written.
  void PutStatement(const std::filesystem::path& file, std::string bytes);
  // The club information changed.
  void InfoChanged() { info_changed_ = true; }

  // Puts the changes into the stores and stages the statements in the club's
  // unit of work: the next commit writes them together, and an abandon drops
  // them together. A store that cannot be written throws, the changes being
  // for the caller to drop.
  void Write();

 private:
  void LoadUnits();

  ClubSession& club_;
  std::optional<std::vector<Security>> securities_;
  std::map<std::int32_t, std::vector<TSecurityTranRec>> security_trans_;
  std::map<std::int32_t, ledger::SecurityHistory> security_histories_;
  std::map<std::int32_t, std::vector<TPriceRec>> prices_;
  std::optional<std::vector<Account>> accounts_;
  std::map<std::int32_t, std::vector<TAccountTranRec>> account_trans_;
  std::optional<std::vector<Member>> members_;
  std::map<std::string, std::vector<MemberTran>> member_trans_;  // by the owner part of the key
  std::optional<std::map<std::string, TUnitValueRec>> units_;
  std::set<std::string> stored_unit_keys_;
  std::set<std::string> changed_unit_keys_;
  std::map<std::filesystem::path, std::string> statements_;
  bool info_changed_ = false;
};

}  // namespace pellmark::valuation
