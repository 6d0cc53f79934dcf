#include "cash/categories.h"

#include "club/keys.h"
#include "club/record_kinds.h"
#include "club/record_names.h"
#include "club/store_operations.h"

namespace pellmark::ledger {
namespace {

constexpr std::size_t kCategoryWidth = 25;

}  // namespace

std::optional<std::string> CategoryNameRefusal(std::string_view name) {
  switch (NameFaultOf(name, kCategoryWidth)) {
    case NameFault::kMissing: return "No Category to add.";
    case NameFault::kTooLong: return TooLongMessage(name, kCategoryWidth);
    default: return std::nullopt;
  }
}

Outcome CategoryLedger::Refuse(const std::string& message) { return pellmark::Refuse(club_.Ui(), message); }

Outcome CategoryLedger::MayChange(std::int32_t catid) {
  if (IsPredefinedCategory(catid)) return Refuse("Cannot Changed a Predefined Category.");
  return Outcome::Done();
}

std::vector<TCategoryRec> CategoryLedger::All() { return club_.categories.Select(); }

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

Outcome CategoryLedger::Commit(std::optional<std::int32_t> catid, const CategoryEntry& entry) {
  if (auto refusal = CategoryNameRefusal(entry.cat)) return Refuse(*refusal);
  if (entry.typ == CategoryType::None) return Refuse("Category Type must be selected");
  const auto typ = static_cast<std::uint8_t>(entry.typ);
  Table<TCategoryRec>& categories = club_.categories;
  if (!catid) {
    const std::int32_t id = NextRecordId(categories, &TCategoryRec::catid);
    if (categories.Contains(CategoryKey(entry.cat, id, typ))) {
      return Refuse("Category " + entry.cat + " already exists.");
    }
    AddCategory(id, typ, entry.tax, entry.cat, categories);
    return Outcome::Done();
  }
  std::optional<TCategoryRec> old = FindById(*catid);
  if (!old) {
    return RefuseMissing(club_.Ui(), "Category " + std::to_string(*catid) + " does not exist.");
  }
  TCategoryRec changed = *old;
  changed.cat = entry.cat.substr(0, 25);
  changed.typ = typ;
  changed.tax = entry.tax;
  const std::string old_key = categories.KeyOf(*old);
  if (old_key != categories.KeyOf(changed)) categories.Remove(old_key);
  categories.Put(changed);
  return Outcome::Done();
}

}  // namespace pellmark::ledger
