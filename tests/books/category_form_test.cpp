#include "books/category_form.h"

#include <gtest/gtest.h>

namespace pellmark {
namespace {

using ledger::CategoryType;

std::string RefusalOf(const CategoryFields& fields) {
  const CategoryReading reading = ReadCategory(fields);
  EXPECT_FALSE(reading.entry.has_value());
  return reading.refusal;
}

TEST(CategoryForm, ThePromptLeftAsItIsNamesNoCategory) {
  EXPECT_EQ(RefusalOf({"Category Description", CategoryType::Deposit, false}), "No Category to add.");
  EXPECT_EQ(RefusalOf({" ", CategoryType::Withdrawal, false}), "No Category to add.");
  // The description is checked before the type, as the sheet always did.
  EXPECT_EQ(RefusalOf({"Category Description", CategoryType::None, false}), "No Category to add.");
  EXPECT_EQ(RefusalOf({"Twenty-six characters long", CategoryType::Deposit, false}),
            "Name Twenty-six characters long is 26 characters long; at most 25 fit.");
}

TEST(CategoryForm, ATypeMustBeChosen) {
  EXPECT_EQ(RefusalOf({"Fees", CategoryType::None, true}), "Category Type must be selected");
}

TEST(CategoryForm, GoodFieldsReadAsTheTypedEntry) {
  const CategoryReading reading = ReadCategory({"Category Descriptions", CategoryType::Withdrawal, true});
  ASSERT_TRUE(reading.entry.has_value());
  EXPECT_EQ(reading.refusal, "");
  EXPECT_EQ(reading.entry->cat, "Category Descriptions");  // only the prompt itself is no description
  EXPECT_EQ(reading.entry->typ, CategoryType::Withdrawal);
  EXPECT_TRUE(reading.entry->tax);
  EXPECT_FALSE(ReadCategory({"Dues", CategoryType::Deposit, false}).entry->tax);
}

}  // namespace
}  // namespace pellmark
