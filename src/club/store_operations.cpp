#include "club/store_operations.h"

#include "club/record_kinds.h"

namespace pellmark {

void ForEachItem(TQDB& store, const std::function<void(const std::string& key, const std::string& data)>& visit) {
  const int count = store.FilteredCount();
  for (int i = 0; i < count; ++i) {
    if (i == 0) {
      store.First();
    } else {
      store.Next();
    }
    visit(store.Key(), store.GetDataString());
  }
}

void ForEachItemWithFilter(TQDB& store, std::string_view filter,
                           const std::function<void(const std::string& key, const std::string& data)>& visit) {
  const std::string saved = store.Filter();
  store.SetFilter(std::string(filter));
  try {
    ForEachItem(store, visit);
  } catch (...) {
    store.SetFilter(saved);
    throw;
  }
  store.SetFilter(saved);
}

void StoreTransactionBytes(std::string_view bytes, std::int32_t owner, std::int32_t id, TQDB& store, DayNumber date) {
  store.SetFilter("");
  store.Store(owner > 0 ? TranKey(owner, id, date) : UnitKey(id, date), bytes);
  store.SaveIndex();
}

void ListKeys(TQDB& store, std::vector<std::string>& names, std::vector<std::string>& keys) {
  keys.clear();
  store.GetKeys(keys);
  names.clear();
  names.reserve(keys.size());
  for (const std::string& key : keys) names.push_back(DisplayName(key));
}

std::vector<std::string> ListCategoryNames(TQDB& categories, std::string_view filter) {
  categories.SetFilter(std::string(filter));
  std::vector<std::string> keys;
  categories.GetKeys(keys);
  std::vector<std::string> names;
  names.reserve(keys.size());
  for (const std::string& key : keys) names.push_back(key.substr(0, key.find('_')));
  return names;
}

void AddCategory(std::int32_t catid, std::uint8_t typ, bool tax, std::string_view name, TQDB& categories) {
  TCategoryRec category;
  category.cat = std::string(name.substr(0, 25));
  category.typ = typ;
  category.tax = tax;
  category.catid = catid;
  categories.Store(CategoryKey(category.cat, catid, typ), EncodeRecord(category));
}

void AddPredefinedCategories(TQDB& categories) {
  struct Predefined {
    PredefinedCategory catid;
    CategoryKind typ;
    bool tax;
    const char* name;
  };
  static constexpr Predefined kCategories[] = {
      {PredefinedCategory::MemberContributions, CategoryKind::Income, false, "Member Contributions"},
      {PredefinedCategory::DividendIncome, CategoryKind::Income, true, "Dividend Income"},
      {PredefinedCategory::InterestIncome, CategoryKind::Income, true, "Interest Income"},
      {PredefinedCategory::InvestmentIncome, CategoryKind::Income, false, "Investment Income"},
      {PredefinedCategory::OtherIncome, CategoryKind::Income, false, "Other Income"},
      {PredefinedCategory::TransferIn, CategoryKind::Income, false, "Transfer In"},
      {PredefinedCategory::Investments, CategoryKind::Expense, false, "Investments"},
      {PredefinedCategory::OperatingExpenses, CategoryKind::Expense, true, "Operating Expenses"},
      {PredefinedCategory::NonDeductibleExpenses, CategoryKind::Expense, false, "Non-Deductible Expenses"},
      {PredefinedCategory::TransferOut, CategoryKind::Expense, false, "Transfer Out"},
  };
  for (const Predefined& category : kCategories) {
    AddCategory(Code(category.catid), Code(category.typ), category.tax, category.name, categories);
  }
  categories.SaveIndex();
}

}  // namespace pellmark
