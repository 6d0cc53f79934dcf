#include "club/table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "club/record_keys.h"
#include "club/store_operations.h"
#include "club/unit_values.h"
#include "support/temp_folder.h"

namespace pellmark {
namespace {

using ::testing::ElementsAre;
using testing::TempFolder;

DayNumber Day(int y, int m, int d) { return DayNumberFromCivil({y, m, d}); }

class Tables : public ::testing::Test {
 protected:
  void SetUp() override {
    for (store::TQDB* store : {&transaction_store, &master_store, &category_store, &unit_store}) {
      store->WarnNoData = [](store::TQDB&) {};
    }
    transaction_store.SetFileName(folder.Path() / "actrec.qdb");
    master_store.SetFileName(folder.Path() / "clubact.qdb");
    category_store.SetFileName(folder.Path() / "clubcat.qdb");
    unit_store.SetFileName(folder.Path() / "clubunit.qdb");
  }

  void AddAccountTransaction(std::int32_t actid, std::int32_t id, DayNumber date) {
    TAccountTranRec record;
    record.actid = actid;
    record.tranid = id;
    record.trandate = date;
    transactions.Put(record);
  }

  void AddUnit(std::int32_t id, DayNumber date, double value) {
    TUnitValueRec unit;
    unit.unitid = id;
    unit.date = date;
    unit.unitval = value;
    units.Put(unit);
  }

  TempFolder folder;
  store::TQDB transaction_store, master_store, category_store, unit_store;
  Table<TAccountTranRec> transactions{transaction_store, AccountTranKey};
  Table<TAccountRec> masters{master_store, AccountKey};
  Table<TCategoryRec> categories{category_store, CategoryRecordKey};
  Table<TUnitValueRec> units{unit_store, UnitValueKey};
};

TEST_F(Tables, OwnerFiltersKeepOwnerOneApartFromOwnerTwelve) {
  AddAccountTransaction(1, 0, Day(1999, 1, 1));
  AddAccountTransaction(12, 0, Day(1999, 1, 1));
  AddAccountTransaction(1, 1, Day(1999, 2, 3));
  AddAccountTransaction(12, 1, Day(1999, 2, 3));

  std::vector<std::string> keys;
  transaction_store.SetFilter("12_>");
  transactions.ForEachKeyed(OwnerFilter(1), [&](const std::string& key, const TAccountTranRec&) {
    keys.push_back(key);
  });
  EXPECT_THAT(keys, ElementsAre("1_1999_000_00000", "1_1999_033_00001"));

  keys.clear();
  transactions.ForEachKeyed(OwnerDateFilter(12, Day(1999, 2, 3)),
                            [&](const std::string& key, const TAccountTranRec&) { keys.push_back(key); });
  EXPECT_THAT(keys, ElementsAre("12_1999_033_00001"));
  EXPECT_EQ(transaction_store.Filter(), "12_>");  // every walk restores the filter it found
}

TEST_F(Tables, AWalkThatThrowsStillRestoresTheFilter) {
  AddAccountTransaction(1, 0, Day(1999, 1, 1));
  transaction_store.SetFilter("2_>");
  EXPECT_THROW(transactions.ForEach("", [](const TAccountTranRec&) { throw std::runtime_error("stop"); }),
               std::runtime_error);
  EXPECT_EQ(transaction_store.Filter(), "2_>");
}

TEST_F(Tables, PutReplacesAnItemOfTheSameKeyAndRemoveReportsAMiss) {
  AddAccountTransaction(3, 4, Day(2000, 12, 31));
  TAccountTranRec changed;
  changed.actid = 3;
  changed.tranid = 4;
  changed.amount = 99;
  changed.trandate = Day(2000, 12, 31);
  transaction_store.SetFilter("4_>");
  transactions.Put(changed);
  EXPECT_EQ(transaction_store.Filter(), "4_>");
  EXPECT_EQ(transactions.Count(), 1);
  EXPECT_EQ(transactions.Find("3_2000_365_00004")->amount, 99);
  EXPECT_TRUE(transactions.Remove("3_2000_365_00004"));
  EXPECT_FALSE(transactions.Remove("3_2000_365_00004"));
  EXPECT_EQ(transactions.Count(), 0);
}

TEST_F(Tables, NextRecordIdIgnoresTheFilterAndKeepsIt) {
  EXPECT_EQ(NextRecordId(masters, &TAccountRec::actid), 1);
  TAccountRec account;
  account.actid = 7;
  masters.PutAt("~Hidden", account);
  account.actid = 3;
  masters.PutAt("_Active", account);
  master_store.SetFilter("_>");
  EXPECT_EQ(NextRecordId(masters, &TAccountRec::actid), 8);
  EXPECT_EQ(master_store.Filter(), "_>");
}

TEST_F(Tables, KeysGiveDisplayNamesAndAnEmptyActiveWalk) {
  TAccountRec account;
  masters.PutAt("~Old Savings", account);
  masters.PutAt("_Cash", account);
  std::vector<std::string> keys = masters.Keys();
  EXPECT_THAT(keys, ElementsAre("_Cash", "~Old Savings"));
  EXPECT_THAT(DisplayNames(keys), ElementsAre("Cash", "~Old Savings"));

  masters.RemoveAll("_>");
  EXPECT_TRUE(masters.Keys(kActiveFilter).empty());
  int visited = 0;
  masters.ForEach(kActiveFilter, [&](const TAccountRec&) { ++visited; });
  EXPECT_EQ(visited, 0);
  EXPECT_EQ(masters.Count(), 1);
}

TEST_F(Tables, PredefinedCategoriesAndTheirLists) {
  AddPredefinedCategories(categories);
  EXPECT_EQ(categories.Count(), 10);
  EXPECT_THAT(ListCategoryNames(categories, kIncomeCategoryFilter),
              ElementsAre("Dividend Income", "Interest Income", "Investment Income", "Member Contributions",
                          "Other Income", "Transfer In"));
  EXPECT_THAT(ListCategoryNames(categories, kExpenseCategoryFilter),
              ElementsAre("Investments", "Non-Deductible Expenses", "Operating Expenses", "Transfer Out"));
  auto dividend = *categories.Find("Dividend Income_2_D");
  EXPECT_EQ(dividend.catid, 2);
  EXPECT_TRUE(dividend.tax);
  auto expenses = *categories.Find("Operating Expenses_8_W");
  EXPECT_EQ(expenses.typ, 2);
  EXPECT_TRUE(expenses.tax);
  EXPECT_EQ(NextRecordId(categories, &TCategoryRec::catid), 11);
}

TEST_F(Tables, UnitValueAtTakesTheNewestOnOrBeforeTheDate) {
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
