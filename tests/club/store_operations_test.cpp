#include "club/store_operations.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "club/unit_values.h"
#include "support/temp_folder.h"

namespace pellmark {
namespace {

using ::testing::ElementsAre;
using testing::TempFolder;

DayNumber Day(int y, int m, int d) { return DayNumberFromCivil({y, m, d}); }

class StoreOperations : public ::testing::Test {
 protected:
  void SetUp() override {
    for (TQDB* store : {&transactions, &masters, &categories, &units}) store->WarnNoData = [](TQDB&) {};
    transactions.SetFileName(folder.Path() / "actrec.qdb");
    masters.SetFileName(folder.Path() / "clubact.qdb");
    categories.SetFileName(folder.Path() / "clubcat.qdb");
    units.SetFileName(folder.Path() / "clubunit.qdb");
  }

  void AddAccountTransaction(std::int32_t actid, std::int32_t id, DayNumber date) {
    TAccountTranRec record;
    record.actid = actid;
    record.tranid = id;
    record.trandate = date;
    StoreTransaction(record, actid, id, transactions, date);
  }

  void AddUnit(std::int32_t id, DayNumber date, double value) {
    TUnitValueRec unit;
    unit.unitid = id;
    unit.date = date;
    unit.unitval = value;
    StoreTransaction(unit, -id, id, units, date);
  }

  TempFolder folder;
  TQDB transactions, masters, categories, units;
};

TEST_F(StoreOperations, OwnerFiltersKeepOwnerOneApartFromOwnerTwelve) {
  AddAccountTransaction(1, 0, Day(1999, 1, 1));
  AddAccountTransaction(12, 0, Day(1999, 1, 1));
  AddAccountTransaction(1, 1, Day(1999, 2, 3));
  AddAccountTransaction(12, 1, Day(1999, 2, 3));

  std::vector<std::string> keys;
  ForEachItemWithFilter(transactions, OwnerFilter(1), [&](const std::string& key, const std::string&) {
    keys.push_back(key);
  });
  EXPECT_THAT(keys, ElementsAre("1_1999_000_00000", "1_1999_033_00001"));

  keys.clear();
  ForEachItemWithFilter(transactions, OwnerDateFilter(12, Day(1999, 2, 3)),
                        [&](const std::string& key, const std::string&) { keys.push_back(key); });
  EXPECT_THAT(keys, ElementsAre("12_1999_033_00001"));
  EXPECT_EQ(transactions.Filter(), "");  // StoreTransaction cleared it; the walk restored that
}

TEST_F(StoreOperations, StoreTransactionReplacesAnItemOfTheSameKey) {
  AddAccountTransaction(3, 4, Day(2000, 12, 31));
  TAccountTranRec changed;
  changed.actid = 3;
  changed.tranid = 4;
  changed.amount = 99;
  transactions.SetFilter("3_>");
  StoreTransaction(changed, 3, 4, transactions, Day(2000, 12, 31));
  EXPECT_EQ(transactions.Filter(), "");
  EXPECT_EQ(transactions.Count(), 1);
  EXPECT_EQ(DecodeRecord<TAccountTranRec>(transactions.GetDataByKey("3_2000_365_00004")).amount, 99);
}

TEST_F(StoreOperations, NextRecordIdIgnoresTheFilterAndKeepsIt) {
  EXPECT_EQ(NextRecordId(masters, &TAccountRec::actid), 1);
  TAccountRec account;
  account.actid = 7;
  masters.Add(EncodeRecord(account), "~Hidden");
  account.actid = 3;
  masters.Add(EncodeRecord(account), "_Active");
  masters.SetFilter("_>");
  EXPECT_EQ(NextRecordId(masters, &TAccountRec::actid), 8);
  EXPECT_EQ(masters.Filter(), "_>");
}

TEST_F(StoreOperations, ListKeysGivesDisplayNamesAndAnEmptyActiveWalk) {
  TAccountRec account;
  masters.Add(EncodeRecord(account), "~Old Savings");
  masters.Add(EncodeRecord(account), "_Cash");
  std::vector<std::string> names, keys;
  ListKeys(masters, names, keys);
  EXPECT_THAT(keys, ElementsAre("_Cash", "~Old Savings"));
  EXPECT_THAT(names, ElementsAre("Cash", "~Old Savings"));

  masters.FindKey("_Cash");
  masters.DeleteCurrent();
  masters.SetFilter(std::string(kActiveFilter));
  ListKeys(masters, names, keys);
  EXPECT_TRUE(keys.empty());
  int visited = 0;
  ForEachItem(masters, [&](const std::string&, const std::string&) { ++visited; });
  EXPECT_EQ(visited, 0);
}

TEST_F(StoreOperations, PredefinedCategoriesAndTheirLists) {
  AddPredefinedCategories(categories);
  EXPECT_EQ(categories.Count(), 10);
  EXPECT_THAT(ListCategoryNames(categories, kIncomeCategoryFilter),
              ElementsAre("Dividend Income", "Interest Income", "Investment Income", "Member Contributions",
                          "Other Income", "Transfer In"));
  EXPECT_THAT(ListCategoryNames(categories, kExpenseCategoryFilter),
              ElementsAre("Investments", "Non-Deductible Expenses", "Operating Expenses", "Transfer Out"));
  auto dividend = DecodeRecord<TCategoryRec>(categories.GetDataByKey("Dividend Income_2_D"));
  EXPECT_EQ(dividend.catid, 2);
  EXPECT_TRUE(dividend.tax);
  auto expenses = DecodeRecord<TCategoryRec>(categories.GetDataByKey("Operating Expenses_8_W"));
  EXPECT_EQ(expenses.typ, 2);
  EXPECT_TRUE(expenses.tax);
  EXPECT_EQ(NextRecordId(categories, &TCategoryRec::catid), 11);
}

TEST_F(StoreOperations, UnitValueAtTakesTheNewestOnOrBeforeTheDate) {
  EXPECT_FALSE(UnitValueAt(units, Day(1999, 1, 1)).has_value());
  AddUnit(0, Day(1999, 1, 1), 10);
  AddUnit(1, Day(1999, 1, 31), 11);
  AddUnit(2, Day(1999, 2, 28), 12);
  AddUnit(3, Day(1999, 2, 28), 12.5);  // a second valuation of the same date
  EXPECT_EQ(UnitValueAt(units, Day(1999, 1, 30))->unitval, 10);
  EXPECT_EQ(UnitValueAt(units, Day(1999, 1, 31))->unitid, 1);
  EXPECT_EQ(UnitValueAt(units, Day(1999, 3, 15))->unitval, 12.5);
  EXPECT_EQ(UnitValueAt(units, Day(1998, 6, 1))->unitid, 0);  // all later: the oldest
}

}  // namespace
}  // namespace pellmark
