#include "cash/categories.h"

#include <gmock/gmock.h>

#include "club/keys.h"
#include "support/ledger_fixture.h"

namespace pellmark::ledger {
namespace {

using ::testing::ElementsAre;

class CategoryTest : public testing::ClubFixture {};

TEST_F(CategoryTest, ANewCategoryTakesTheNextIdAndChangingItsTypeReKeysIt) {
  CategoryLedger categories(club);
  ASSERT_TRUE(categories.Commit(std::nullopt, {"Dues Refunds", CategoryType::Deposit, false}));
  EXPECT_TRUE(club.categories.Contains("Dues Refunds_11_D"));
  ASSERT_TRUE(categories.MayChange(11));
  ASSERT_TRUE(categories.Commit(11, {"Dues Refunds", CategoryType::Withdrawal, true}));
  EXPECT_FALSE(club.categories.Contains("Dues Refunds_11_D"));
  ASSERT_TRUE(club.categories.Contains("Dues Refunds_11_W"));
  auto changed = *club.categories.Find("Dues Refunds_11_W");
  EXPECT_EQ(changed.catid, 11);
  EXPECT_TRUE(changed.tax);
  EXPECT_EQ(club.categories.Count(), 11);
}

TEST_F(CategoryTest, RefusalsWithTheirMessages) {
  CategoryLedger categories(club);
  EXPECT_FALSE(categories.MayChange(1));
  EXPECT_FALSE(categories.MayChange(10));
  EXPECT_FALSE(categories.Commit(std::nullopt, {" ", CategoryType::Deposit, false}));
  EXPECT_FALSE(categories.Commit(std::nullopt, {"Fees", CategoryType::None, false}));
  EXPECT_THAT(ui.Messages(), ElementsAre("Cannot Changed a Predefined Category.", "Cannot Changed a Predefined Category.",
                                         "No Category to add.", "Category Type must be selected"));
  EXPECT_EQ(club.categories.Count(), 10);
}

TEST_F(CategoryTest, TheLedgerTakesTheTypedDescriptionAsItIs) {
  // The sheet's prompt is the form's business; a typed entry is stored under its own name.
  CategoryLedger categories(club);
  ASSERT_TRUE(categories.Commit(std::nullopt, {"Category Description", CategoryType::Deposit, false}));
  EXPECT_TRUE(club.categories.Contains("Category Description_11_D"));
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(CategoryTest, TwoCategoriesMayShareADescription) {
  CategoryLedger categories(club);
  ASSERT_TRUE(categories.Commit(std::nullopt, {"Fees", CategoryType::Withdrawal, false}));
  ASSERT_TRUE(categories.Commit(std::nullopt, {"Fees", CategoryType::Withdrawal, true}));
  EXPECT_TRUE(club.categories.Contains("Fees_11_W"));
  EXPECT_TRUE(club.categories.Contains("Fees_12_W"));
}

}  // namespace
}  // namespace pellmark::ledger
