#include "books/category_form.h"

namespace pellmark {

CategoryReading ReadCategory(const CategoryFields& fields) {
  CategoryReading reading;
  const std::string cat = fields.cat == kCategoryPrompt ? std::string() : fields.cat;
  if (auto refusal = ledger::CategoryNameRefusal(cat)) {
    reading.refusal = *refusal;
    return reading;
  }
  if (fields.typ == ledger::CategoryType::None) {
    reading.refusal = "Category Type must be selected";
    return reading;
  }
  reading.entry = ledger::CategoryEntry{.cat = cat, .typ = fields.typ, .tax = fields.tax};
  return reading;
}

Outcome CommitCategory(ClubSession& club, ledger::CategoryLedger& categories, std::optional<std::int32_t> catid,
                       const CategoryFields& fields) {
  const CategoryReading reading = ReadCategory(fields);
  if (!reading.entry) return Refuse(club.Ui(), reading.refusal);
  return categories.Commit(catid, *reading.entry);
}

}  // namespace pellmark
