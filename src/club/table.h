// A typed table: one record store bound to its record type and to the key each
// record is stored under. A walk takes its filter as an argument and leaves
// the store's filter and current item alone; every change sets the filter it
// needs and restores the store's filter afterwards. Every change asks the
// store to save its index; the club's stores take that as a note and save it
// with the commit of the whole operation (ClubSession::Commit).
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
    ForEachKeyed(filter, [&](const std::string&, Record&& record) { visit(std::move(record)); });
  }
  // Calls visit(key, record) for every item the filter selects, in key order.
  // The walk moves no current item; the visitor may change the table.
  template <class Visit>
  void ForEachKeyed(std::string_view filter, Visit&& visit) {
    store_.ForEachItem(filter, [&](const std::string& key, std::string_view data) {
      visit(key, DecodeRecord<Record>(data));
    });
  }

  // Calls visit(record) for the items the filter selects from the last back,
  // until visit returns false: the newest transactions of an owner first.
  template <class Visit>
  void ForEachBackward(std::string_view filter, Visit&& visit) {
    store_.ForEachItemBackward(filter, [&](const std::string&, std::string_view data) {
      return static_cast<bool>(visit(DecodeRecord<Record>(data)));
    });
  }

  // The records the filter selects, in key order.
  std::vector<Record> Select(std::string_view filter = "") {
    std::vector<Record> records;
    ForEach(filter, [&](Record&& record) { records.push_back(std::move(record)); });
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

  // Stores many records under their keys with one write and saves the index
  // once: a whole history loaded, or the records of one sale.
  void PutAll(const std::vector<Record>& records) {
    std::vector<store::StoredItem> items;
    items.reserve(records.size());
    for (const Record& record : records) items.push_back({key_of_(record), EncodeRecord(record)});
    store_.StoreAll(items);
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
