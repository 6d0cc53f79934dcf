#include "valuation/valuation_books.h"

#include <algorithm>
#include <utility>

#include "club/keys.h"

namespace pellmark::valuation {
namespace fs = std::filesystem;
namespace {

// The owner part of a transaction key ("12" of "12_1999_033_00007"): what OwnerFilter selects by.
std::string OwnerOf(const std::string& key) { return key.substr(0, key.find('_')); }

}  // namespace

const std::vector<ValuationBooks::Security>& ValuationBooks::Securities() {
  if (!securities_) {
    securities_.emplace();
    club_.securities.ForEachKeyed("", [&](const std::string& key, const TSecurityRec& record) {
      securities_->push_back({{key}, record});
    });
  }
  return *securities_;
}

const std::vector<TSecurityTranRec>& ValuationBooks::SecurityTransactions(std::int32_t stkid) {
  auto found = security_trans_.find(stkid);
  if (found == security_trans_.end()) found = security_trans_.emplace(stkid, club_.stkrecs.Select(OwnerFilter(stkid))).first;
  return found->second;
}

const ledger::SecurityHistory& ValuationBooks::SecurityHistoryOf(std::int32_t stkid) {
  auto found = security_histories_.find(stkid);
  if (found == security_histories_.end()) found = security_histories_.emplace(stkid, SecurityTransactions(stkid)).first;
  return found->second;
}

const std::vector<TPriceRec>& ValuationBooks::Prices(std::int32_t stkid) {
  auto found = prices_.find(stkid);
  if (found == prices_.end()) found = prices_.emplace(stkid, club_.prices.Select(OwnerFilter(stkid))).first;
  return found->second;
}

const std::vector<ValuationBooks::Account>& ValuationBooks::Accounts() {
  if (!accounts_) {
    accounts_.emplace();
    club_.accounts.ForEachKeyed("", [&](const std::string& key, const TAccountRec& record) {
      accounts_->push_back({{key}, record});
    });
  }
  return *accounts_;
}

const std::vector<TAccountTranRec>& ValuationBooks::AccountTransactions(std::int32_t actid) {
  auto found = account_trans_.find(actid);
  if (found == account_trans_.end()) found = account_trans_.emplace(actid, club_.actrecs.Select(OwnerFilter(actid))).first;
  return found->second;
}

std::vector<ValuationBooks::Member>& ValuationBooks::Members() {
  if (!members_) {
    club_.memrecs.ForEachKeyed("", [&](const std::string& key, const TMemberTranRec& record) {
      member_trans_[OwnerOf(key)].push_back({record});
    });
    members_.emplace();
    club_.members.ForEachKeyed("", [&](const std::string& key, const TMemberRec& record) {
      members_->push_back({{key}, record, &member_trans_[std::to_string(record.memid)]});
    });
  }
  return *members_;
}

ValuationBooks::Member* ValuationBooks::FindMember(std::int32_t memid) {
  for (Member& member : Members()) {
    if (member.record.memid == memid) return &member;
  }
  return nullptr;
}

void ValuationBooks::LoadUnits() {
  if (units_) return;
  units_.emplace();
  club_.unitfile.ForEachKeyed("", [&](const std::string& key, const TUnitValueRec& unit) {
    units_->emplace(key, unit);
    stored_unit_keys_.insert(key);
  });
}

const std::map<std::string, TUnitValueRec>& ValuationBooks::Units() {
  LoadUnits();
  return *units_;
}

void ValuationBooks::PutUnit(const TUnitValueRec& unit) {
  LoadUnits();
  const std::string key = club_.unitfile.KeyOf(unit);
  (*units_)[key] = unit;
  changed_unit_keys_.insert(key);
}

void ValuationBooks::RemoveUnit(const std::string& key) {
  LoadUnits();
  units_->erase(key);
  changed_unit_keys_.insert(key);
}

void ValuationBooks::PutStatement(const fs::path& file, std::string bytes) { statements_[file] = std::move(bytes); }

void ValuationBooks::Write() {
  for (auto& [owner, transactions] : member_trans_) {
    for (const MemberTran& tran : transactions) {
      if (tran.changed) club_.memrecs.Put(tran.record);
    }
  }
  if (members_) {
    for (const Member& member : *members_) {
      if (member.changed) club_.members.PutAt(member.key, member.record);
    }
  }
  const bool removed = std::any_of(changed_unit_keys_.begin(), changed_unit_keys_.end(), [&](const std::string& key) {
    return stored_unit_keys_.contains(key) && !units_->contains(key);
  });
  if (removed) {
    // A removal compacts the store; the history is written anew once, in key
    // order, rather than compacted once for each record the valuations replaced.
    std::vector<TUnitValueRec> units;
    for (const auto& [key, unit] : *units_) units.push_back(unit);
    club_.unitfile.RemoveAll("");
    club_.unitfile.PutAll(units);
  } else {
    for (const std::string& key : changed_unit_keys_) {
      if (const auto unit = units_->find(key); unit != units_->end()) club_.unitfile.Put(unit->second);
    }
  }
  if (info_changed_) club_.WriteClubInfo();
  for (const auto& [file, bytes] : statements_) club_.StageFile(file, bytes);
}

}  // namespace pellmark::valuation
