#include "cash/categories.h"

#include "club/keys.h"
#include "club/record_kinds.h"
#include "club/store_operations.h"

namespace pellmark::ledger {

bool CategoryLedger::MayChange(std::int32_t catid) {
  if (IsPredefinedCategory(catid)) {
    club_.Ui().ShowError("Cannot Changed a Predefined Category.");
    return false;
  }
  return true;
}

std::vector<TCategoryRec> CategoryLedger::All() {
  std::vector<TCategoryRec> categories;
  ForEachItemWithFilter(club_.categories, "", [&](const std::string&, const std::string& data) {
    categories.push_back(DecodeRecord<TCategoryRec>(data));
  });
  return categories;
}

std::optional<TCategoryRec> CategoryLedger::FindById(std::int32_t catid) {
  for (const TCategoryRec& category : All()) {
    if (category.catid == catid) return category;
  }
  return std::nullopt;
}

std::optional<TCategoryRec> CategoryLedger::FindByName(std::string_view name) {
  for (const TCategoryRec& category : All()) {
    if (category.cat == name) return category;
  }
  return std::nullopt;
}

bool CategoryLedger::Commit(std::optional<std::int32_t> catid, const CategoryFields& fields) {
  Interaction& ui = club_.Ui();
  if (fields.cat == kCategoryPrompt) {
    ui.ShowError("No Category to add.");
    return false;
  }
  if (fields.typ == CategoryType::None) {
    ui.ShowError("Category Type must be selected");
    return false;
  }
  const auto typ = static_cast<std::uint8_t>(fields.typ);
  TQDB& store = club_.categories;
  if (!catid) {
    const std::int32_t id = NextRecordId(store, &TCategoryRec::catid);
    store.SetFilter("");
    if (store.FindKey(CategoryKey(fields.cat, id, typ))) {
      ui.ShowError("Category " + fields.cat + " already exists.");
      return false;
    }
    AddCategory(id, typ, fields.tax, fields.cat, store);
    store.SaveIndex();
    return true;
  }
  std::optional<TCategoryRec> old = FindById(*catid);
  if (!old) return false;
  const std::string old_key = CategoryKey(old->cat, old->catid, old->typ);
  const std::string new_key = CategoryKey(fields.cat, *catid, typ);
  store.SetFilter("");
  if (old_key != new_key && store.FindKey(old_key)) {
    store.DeleteCurrent();
    store.Pack();
  }
  TCategoryRec changed = *old;
  changed.cat = fields.cat.substr(0, 25);
  changed.typ = typ;
  changed.tax = fields.tax;
  store.Store(new_key, EncodeRecord(changed));
  store.SaveIndex();
  return true;
}

}  // namespace pellmark::ledger
