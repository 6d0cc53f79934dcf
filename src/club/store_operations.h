// The small operations every ledger uses on the club's stores: walking the items
// a filter selects, storing transactions under their keys, new identifiers, key
// lists for the screens, and categories.
//
//   ForEachItem(store, [](const std::string& key, const std::string& data) { ... });
//   StoreTransaction(record, record.actid, record.tranid, actrecs, record.trandate);
//   std::int32_t id = NextRecordId(accounts, &TAccountRec::actid);
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "club/keys.h"
#include "club/records.h"
#include "store/qdb.h"

namespace pellmark {

using store::TQDB;

// Calls `visit` with the key and data of every item that passes the store's
// filter, in key order; the walk the club program uses: First once, then Next.
void ForEachItem(TQDB& store, const std::function<void(const std::string& key, const std::string& data)>& visit);

// Same, with the filter set to `filter` for the walk and restored afterwards.
void ForEachItemWithFilter(TQDB& store, std::string_view filter,
                           const std::function<void(const std::string& key, const std::string& data)>& visit);

// Clears the store's filter (it stays cleared), stores `bytes` under
// TranKey(owner, id, date) when `owner` is positive and UnitKey(id, date)
// otherwise, replacing an item of that key, and saves the index.
void StoreTransactionBytes(std::string_view bytes, std::int32_t owner, std::int32_t id, TQDB& store, DayNumber date);

template <class Record>
void StoreTransaction(const Record& record, std::int32_t owner, std::int32_t id, TQDB& store, DayNumber date) {
  StoreTransactionBytes(EncodeRecord(record), owner, id, store, date);
}

// 1 for an empty store, else one more than the largest of 1 and every id held;
// reads every item with the filter cleared and restores the filter.
template <class Record>
std::int32_t NextRecordId(TQDB& store, std::int32_t Record::*id) {
  std::int32_t largest = 0;
  ForEachItemWithFilter(store, "", [&](const std::string&, const std::string& data) {
    largest = std::max({largest, std::int32_t{1}, DecodeRecord<Record>(data).*id});
  });
  return largest + 1;
}

// The owner's counter for a new transaction id; the counter advances by one and
// the caller writes the owner back with the transaction.
inline std::int32_t AllocateTranId(std::int32_t& counter) { return counter++; }

// Keys in order as the store's filter selects them, and the same keys for display
// (the leading "_" removed); position i of both lists is the same item.
void ListKeys(TQDB& store, std::vector<std::string>& names, std::vector<std::string>& keys);

// Sets `filter` on the category store and lists the category names of the matching
// keys (each key cut at its first "_").
std::vector<std::string> ListCategoryNames(TQDB& categories, std::string_view filter);

// Stores a category under name + "_" + catid + "_D" (income) or "_W" (any other typ).
void AddCategory(std::int32_t catid, std::uint8_t typ, bool tax, std::string_view name, TQDB& categories);

// Adds the ten predefined categories and saves the index; used when the category
// store is empty at start-up.
void AddPredefinedCategories(TQDB& categories);

}  // namespace pellmark
