// A typed table: one record store bound to its record type and to the key each
// record is stored under. Every walk and change sets the filter it needs and
// restores the store's filter afterwards, also when the visitor throws. Every
// change asks the store to save its index; the club's stores take that as a
// note and save it with the commit of the whole operation (ClubSession::Commit).
// Finding a key does not depend on the filter.
//
//   Table<TAccountTranRec> actrecs(store, AccountTranKey);
//   actrecs.Put(check);                                      // under AccountTranKey(check)
//   actrecs.ForEach(OwnerFilter(7), [](const TAccountTranRec& t) { ... });
//   if (auto item = actrecs.Find(key)) actrecs.Remove(key);
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "club/record_layout.h"
#include "store/qdb.h"

namespace pellmark {

// Sets a store's filter for the guard's lifetime and then restores the old one.
class FilterGuard {
 public:
  FilterGuard(store::TQDB& store, std::string_view filter) : store_(store), saved_(store.Filter()) {
    store_.SetFilter(std::string(filter));
  }
  ~FilterGuard() { store_.SetFilter(std::move(saved_)); }
  FilterGuard(const FilterGuard&) = delete;
  FilterGuard& operator=(const FilterGuard&) = delete;

 private:
  store::TQDB& store_;
  std::string saved_;
};

template <class Record>
class Table {
 public:
  using KeyFunction = std::string (*)(const Record&);

  Table(store::TQDB& store, KeyFunction key_of) : store_(store), key_of_(key_of) {}

  // The key a record is stored under.
  std::string KeyOf(const Record& record) const { return key_of_(record); }

  // The record stored under `key`; nullopt when there is none.
  std::optional<Record> Find(std::string_view key) {
    if (!store_.FindKey(key)) return std::nullopt;
    return DecodeRecord<Record>(store_.GetDataString());
  }
  bool Contains(std::string_view key) { return store_.FindKey(key); }

  // Stores the record under its key, replacing an item of that key.
  void Put(const Record& record) { PutAt(key_of_(record), record); }
  // Stores the record under `key`: for master records whose key is kept as
  // found (an active flag that disagrees with the key's prefix stays as it is).
  void PutAt(std::string_view key, const Record& record) {
    FilterGuard all(store_, "");
    store_.Store(key, EncodeRecord(record));
    store_.SaveIndex();
  }

  // Deletes the item of `key` and reclaims its bytes; false when there was none.
  bool Remove(std::string_view key) {
    FilterGuard all(store_, "");
    if (!store_.FindKey(key)) return false;
    store_.DeleteCurrent();
    store_.Pack();
    store_.SaveIndex();
    return true;
  }
  // Deletes every item the filter selects and reclaims their bytes.
  void RemoveAll(std::string_view filter) {
    std::vector<std::string> keys = Keys(filter);
    FilterGuard all(store_, "");
    for (const std::string& key : keys) {
      if (store_.FindKey(key)) store_.DeleteCurrent();
    }
    store_.Pack();
    store_.SaveIndex();
  }

  // Calls visit(record) for every item the filter selects, in key order.
  template <class Visit>
  void ForEach(std::string_view filter, Visit&& visit) {
    ForEachKeyed(filter, [&](const std::string&, const Record& record) { visit(record); });
  }
  // Calls visit(key, record) for every item the filter selects, in key order.
  template <class Visit>
  void ForEachKeyed(std::string_view filter, Visit&& visit) {
    FilterGuard selected(store_, filter);
    const int count = store_.FilteredCount();
    for (int i = 0; i < count; ++i) {
      if (i == 0) {
        store_.First();
      } else {
        store_.Next();
      }
      const std::string key = store_.Key();
      visit(key, DecodeRecord<Record>(store_.GetDataString()));
    }
  }

  // Calls visit(record) for the items the filter selects from the last back,
  // until visit returns false: the newest transactions of an owner first.
  template <class Visit>
  void ForEachBackward(std::string_view filter, Visit&& visit) {
    FilterGuard selected(store_, filter);
    const int count = store_.FilteredCount();
    for (int i = 0; i < count; ++i) {
      if (i == 0) {
        store_.Last();
      } else {
        store_.Prev();
      }
      if (!visit(DecodeRecord<Record>(store_.GetDataString()))) return;
    }
  }

  // The records the filter selects, in key order.
  std::vector<Record> Select(std::string_view filter = "") {
    std::vector<Record> records;
    ForEach(filter, [&](const Record& record) { records.push_back(record); });
    return records;
  }
  // The keys the filter selects, in key order.
  std::vector<std::string> Keys(std::string_view filter = "") {
    FilterGuard selected(store_, filter);
    std::vector<std::string> keys;
    store_.GetKeys(keys);
    return keys;
  }

  // Positions run over every item in key order, whatever the filter.
  int Count() const { return store_.Count(); }
  Record At(int position) { return DecodeRecord<Record>(store_.GetDataAt(position)); }
  std::string KeyAt(int position) { return store_.GetKeyAt(position); }

  // Stores many records under their keys and saves the index once: the loading
  // of a whole history.
  void PutAll(const std::vector<Record>& records) {
    FilterGuard all(store_, "");
    for (const Record& record : records) store_.Store(key_of_(record), EncodeRecord(record));
    store_.SaveIndex();
  }

  // The store beneath, for measuring its own steps; the ledgers never use it.
  store::TQDB& UnderlyingStore() { return store_; }

 private:
  store::TQDB& store_;
  KeyFunction key_of_;
};

// 1 for an empty table, else one more than the largest of 1 and every id held.
template <class Record>
std::int32_t NextRecordId(Table<Record>& table, std::int32_t Record::*id) {
  std::int32_t largest = 0;
  table.ForEach("", [&](const Record& record) { largest = std::max({largest, std::int32_t{1}, record.*id}); });
  return largest + 1;
}

// The owner's counter for a new transaction id; the counter advances by one and
// the caller writes the owner back with the transaction.
inline std::int32_t AllocateTranId(std::int32_t& counter) { return counter++; }

}  // namespace pellmark
