#include "club/store_operations.h"

#include "club/record_kinds.h"

namespace pellmark {

std::vector<std::string> DisplayNames(const std::vector<std::string>& keys) {
  std::vector<std::string> names;
  names.reserve(keys.size());
  for (const std::string& key : keys) names.push_back(DisplayName(key));
  return names;
}

std::vector<std::string> ListCategoryNames(Table<TCategoryRec>& categories, std::string_view filter) {
  std::vector<std::string> names;
  for (const std::string& key : categories.Keys(filter)) names.push_back(key.substr(0, key.find('_')));
  return names;
}

void AddCategory(std::int32_t catid, std::uint8_t typ, bool tax, std::string_view name,
                 Table<TCategoryRec>& categories) {
  TCategoryRec category;
  category.cat = std::string(name.substr(0, 25));
  category.typ = typ;
  category.tax = tax;
  category.catid = catid;
  categories.Put(category);
}

void AddPredefinedCategories(Table<TCategoryRec>& categories) {
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
}

}  // namespace pellmark
