// Income and expense categories: the "Categories" sheet of the Accounts page.
//
//   CategoryLedger categories(club);
//   categories.Commit(std::nullopt, {"Dues", CategoryType::Deposit, false});  // new: id 11
//   categories.Commit(11, {"Dues", CategoryType::Withdrawal, false});          // re-keyed "_W"
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "club/club_session.h"
#include "club/outcome.h"
#include "club/record_kinds.h"
#include "club/records.h"

namespace pellmark::ledger {

// The category type chosen on the sheet, as the record stores it; None until chosen.
enum class CategoryType : std::uint8_t {
  None = 0,
  Deposit = Code(CategoryKind::Income),
  Withdrawal = Code(CategoryKind::Expense),
};

// A category as the sheet's form reads it.
struct CategoryEntry {
  std::string cat;  // the description
  CategoryType typ = CategoryType::None;
  bool tax = false;
};

// The refusal of a description that is empty or does not fit, if any.
std::optional<std::string> CategoryNameRefusal(std::string_view name);

class CategoryLedger {
 public:
  explicit CategoryLedger(ClubSession& club) : club_(club) {}

  // "Change Category": refused (with the error) for a predefined category.
  Outcome MayChange(std::int32_t catid);

  // "Commit Changes/Additions": a new category when `catid` is empty, else the
  // change of that category. Shows the refusal on a bad entry.
  Outcome Commit(std::optional<std::int32_t> catid, const CategoryEntry& entry);

  // Every category in key order (by name).
  std::vector<TCategoryRec> All();
  std::optional<TCategoryRec> FindById(std::int32_t catid);
  std::optional<TCategoryRec> FindByName(std::string_view name);

 private:
  Outcome Refuse(const std::string& message);

  ClubSession& club_;
};

}  // namespace pellmark::ledger
