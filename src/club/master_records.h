// Master records (members, securities, accounts) are keyed "_" + name while
// active and "~" + name while hidden, and the club information counts the hidden
// ones. These helpers find, list, save and re-key them the same way for every
// ledger, and hold the small steps the ledgers share.
//
//   MasterRecords<TAccountRec> accounts(club, club.accounts, &TClubInfoRec::hidacts, AccountName);
//   if (auto cash = accounts.Select("Cash")) accounts.Rekey(*cash, /*hidden=*/true);
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "club/club_session.h"
#include "club/keys.h"
#include "club/table.h"

namespace pellmark {

// A master record with the key it is stored under.
template <class Record>
struct Keyed {
  std::string key;
  Record record;
};

template <class Record>
class MasterRecords {
 public:
  using NameOf = std::string (*)(const Record&);

  MasterRecords(ClubSession& club, Table<Record>& table, std::int32_t TClubInfoRec::*hidden_count, NameOf name_of)
      : club_(club), table_(table), hidden_count_(hidden_count), name_of_(name_of) {}

  // The stored key of this name, active or hidden.
  std::optional<std::string> KeyOf(std::string_view name) {
    for (bool hidden : {false, true}) {
      std::string key = NameKey(hidden, name);
      if (table_.Contains(key)) return key;
    }
    return std::nullopt;
  }

  std::optional<Keyed<Record>> Select(std::string_view name) {
    auto key = KeyOf(name);
    if (!key) return std::nullopt;
    return Keyed<Record>{*key, *table_.Find(*key)};
  }

  // In key order: the active records first, then the hidden ones.
  std::vector<Record> List(bool active_only) { return table_.Select(active_only ? kActiveFilter : ""); }

  void Save(const Keyed<Record>& keyed) { table_.PutAt(keyed.key, keyed.record); }
  void Remove(const Keyed<Record>& keyed) { table_.Remove(keyed.key); }

  // Hides or shows the record: it moves to its other key and the club's count of
  // hidden records follows.
  void Rekey(Keyed<Record>& keyed, bool hidden) {
    table_.Remove(keyed.key);
    keyed.record.active = !hidden;
    keyed.key = NameKey(hidden, name_of_(keyed.record));
    Save(keyed);
    club_.Info().*hidden_count_ += hidden ? 1 : -1;
    club_.WriteClubInfo();
  }

 private:
  ClubSession& club_;
  Table<Record>& table_;
  std::int32_t TClubInfoRec::*hidden_count_;
  NameOf name_of_;
};

// After a change dated before the newest valuation: "The <ledger> transaction just
// <what> has a date earlier than the last Valuation Date. Do you want to perform
// an audit?"; returns the date to audit from when the answer is Yes. Silent in
// audit mode.
std::optional<DayNumber> AskForAudit(ClubSession& club, std::string_view ledger, std::string_view what,
                                     DayNumber date);

}  // namespace pellmark
