#include "club/store_operations.h"

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
    std::int32_t catid;
    std::uint8_t typ;
    bool tax;
    const char* name;
  };
  static constexpr Predefined kCategories[] = {
      {kMemberContributions, 1, false, "Member Contributions"},
      {kDividendIncome, 1, true, "Dividend Income"},
      {kInterestIncome, 1, true, "Interest Income"},
      {kInvestmentIncome, 1, false, "Investment Income"},
      {kOtherIncome, 1, false, "Other Income"},
      {kTransferIn, 1, false, "Transfer In"},
      {kInvestments, 2, false, "Investments"},
      {kOperatingExpenses, 2, true, "Operating Expenses"},
      {kNonDeductibleExpenses, 2, false, "Non-Deductible Expenses"},
      {kTransferOut, 2, false, "Transfer Out"},
  };
  for (const Predefined& category : kCategories) {
    AddCategory(category.catid, category.typ, category.tax, category.name, categories);
  }
}

}  // namespace pellmark
