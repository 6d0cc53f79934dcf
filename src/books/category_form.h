// The fields of the Categories sheet: the prompt the description shows, and on
// "Commit Changes/Additions" the reading that turns them into the typed entry
// the category ledger stores.
//
//   CategoryFields fields{"Dues Refunds", ledger::CategoryType::Deposit, false};
//   Outcome done = CommitCategory(club, categories, std::nullopt, fields);  // refusals shown through the club's port
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cash/categories.h"
#include "club/club_session.h"
#include "club/outcome.h"

namespace pellmark {

// The description field's text before anything is typed; left as it is, it names no category.
inline constexpr const char* kCategoryPrompt = "Category Description";

// The fields as the user left them: the description's text, the chosen type and the tax box.
struct CategoryFields {
  std::string cat;
  ledger::CategoryType typ = ledger::CategoryType::None;
  bool tax = false;
};

// The fields read: the entry, or the message refusing them.
struct CategoryReading {
  std::optional<ledger::CategoryEntry> entry;
  std::string refusal;
};
CategoryReading ReadCategory(const CategoryFields& fields);

// Reads the fields and stores the category (a new one when `catid` is empty);
// a refusal is shown through the club's interaction port and leaves the club as it was.
Outcome CommitCategory(ClubSession& club, ledger::CategoryLedger& categories, std::optional<std::int32_t> catid,
                       const CategoryFields& fields);

}  // namespace pellmark
