#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>
#include <utility>

#include "store/failing_file_layer.h"
#include "store/qdb.h"
#include "store/store_test_support.h"

namespace pellmark::store {
namespace {

using ::testing::ElementsAre;
using testing::FailingFileLayer;
using testing::ScratchFolder;

// Every item's key and data in key order.
std::vector<std::pair<std::string, std::string>> Contents(TQDB& store) {
  std::vector<std::pair<std::string, std::string>> items;
  for (int i = 0; i < store.Count(); ++i) items.emplace_back(store.GetKeyAt(i), store.GetDataAt(i));
  return items;
}

class QdbOperations : public ::testing::Test {
 protected:
  void SetUp() override {
    store_.SetTempFolder(folder_.Path());
    store_.SetFileName(folder_.Path() / "items.qdb");
  }
  void AddAll(std::initializer_list<const char*> keys) {
    for (const char* key : keys) store_.Add(std::string("data of ") + key, key);
  }
  std::vector<std::string> WalkFiltered() {
    std::vector<std::string> seen;
    const int count = store_.FilteredCount();
    if (count == 0) return seen;
    store_.First();
    for (int i = 0; i < count; ++i) {
      seen.push_back(store_.Key());
      store_.Next();
    }
    return seen;
  }
  std::string Name() const { return store_.FileName().string(); }

  ScratchFolder folder_;
  TQDB store_;
};

TEST_F(QdbOperations, StoreOverwritesShorterDataInPlaceAndMovesLongerDataToTheEnd) {
  AddAll({"a", "b", "c"});
  store_.Store("b", "tiny");
  EXPECT_EQ(store_.EntryAt(1).offset, 9);  // "data of a" comes first
  EXPECT_EQ(store_.EntryAt(1).size, 4);
  store_.Store("b", "a good deal longer than before");
  EXPECT_EQ(store_.ItemIndex(), 1);
  EXPECT_EQ(store_.Key(), "b");
  EXPECT_EQ(store_.EntryAt(1).offset, 27);  // after the three original items
  EXPECT_EQ(store_.GetDataByKey("b"), "a good deal longer than before");
  store_.Store("d", "new");
  EXPECT_EQ(store_.Count(), 4);
  EXPECT_EQ(store_.GetDataByKey("d"), "new");
}

TEST_F(QdbOperations, DeletingTheFirstItemLeavesPositionZeroAndAnEmptyKey) {
  AddAll({"a", "b", "c"});
  store_.GotoIndex(0);
  store_.DeleteCurrent();
  EXPECT_EQ(store_.ItemIndex(), 0);
  EXPECT_EQ(store_.Key(), "");
  EXPECT_EQ(store_.Count(), 2);
  EXPECT_TRUE(store_.Modified());
}

TEST_F(QdbOperations, DeletingALaterItemMovesToThePreviousOne) {
  AddAll({"a", "b", "c"});
  store_.GotoIndex(2);
  std::vector<std::string> events;
  store_.BeforeDelete = [&](TQDB& s) { events.push_back("before " + s.Key()); };
  store_.AfterDelete = [&](TQDB& s) { events.push_back("after " + s.Key()); };
  store_.OnDeleted = [&](TQDB& s) { events.push_back("deleted " + s.Key()); };
  store_.DeleteCurrent();
  EXPECT_THAT(events, ElementsAre("before c", "deleted b", "after b"));
  EXPECT_EQ(store_.ItemIndex(), 1);
  EXPECT_FALSE(store_.FindKey("c"));
}

TEST_F(QdbOperations, WithWarnNoDataAnEmptyStoreReadsEmptyAndDeletesNothing) {
  int warnings = 0;
  store_.WarnNoData = [&](TQDB&) { ++warnings; };
  EXPECT_EQ(store_.GetDataString(), "");
  store_.DeleteCurrent();
  store_.Change("x");
  store_.First();
  EXPECT_EQ(warnings, 4);
  EXPECT_EQ(store_.Count(), 0);
  EXPECT_FALSE(store_.Modified());
}

TEST_F(QdbOperations, FindKeyFindsKeysTheFilterExcludes) {
  AddAll({"_abe", "~zed"});
  store_.SetFilter("_>");
  int found = 0;
  store_.OnFound = [&](TQDB&) { ++found; };
  EXPECT_TRUE(store_.FindKey("~ZED"));
  EXPECT_EQ(store_.Key(), "~zed");
  EXPECT_EQ(found, 1);
  EXPECT_FALSE(store_.FindKey("~amy"));
  EXPECT_EQ(store_.Key(), "~zed");
}

TEST_F(QdbOperations, FiltersSelectWhatTheirAnglesSay) {
  AddAll({"_abe", "_cat_D", "dog_D", "x_y", "~zed"});
  store_.SetFilter(">");
  EXPECT_EQ(WalkFiltered().size(), 5u);
  store_.SetFilter("_>");
  EXPECT_THAT(WalkFiltered(), ElementsAre("_abe", "_cat_D"));
  store_.SetFilter("<_D");
  EXPECT_THAT(WalkFiltered(), ElementsAre("dog_D", "_cat_D"));  // letters sort before "_"
  store_.SetFilter("<_>");
  EXPECT_THAT(WalkFiltered(), ElementsAre("dog_D", "x_y", "_abe", "_cat_D"));
  store_.SetFilter("x_y");
  EXPECT_THAT(WalkFiltered(), ElementsAre("x_y"));
  store_.SetFilter("_ABE");  // letter case is ignored
  EXPECT_THAT(WalkFiltered(), ElementsAre("_abe"));
}

TEST_F(QdbOperations, FilteredNavigationSetsBofAndEofAtTheEnds) {
  AddAll({"1_a", "1_b", "2_a", "2_b", "2_c", "3_a"});
  store_.SetFilter("2_>");
  EXPECT_EQ(store_.FilteredCount(), 3);
  store_.First();
  EXPECT_EQ(store_.Key(), "2_a");
  EXPECT_TRUE(store_.Bof());
  store_.Next();
  store_.Next();
  EXPECT_EQ(store_.Key(), "2_c");
  EXPECT_FALSE(store_.Eof());  // only found out by trying to go further
  store_.Next();
  EXPECT_EQ(store_.Key(), "2_c");
  EXPECT_TRUE(store_.Eof());
  store_.Last();
  EXPECT_EQ(store_.Key(), "2_c");
  store_.Prev();
  EXPECT_EQ(store_.Key(), "2_b");
  EXPECT_FALSE(store_.Bof());

  store_.SetAggressiveUpdate(true);
  store_.Next();
  EXPECT_TRUE(store_.Eof());
  store_.Prev();
  store_.Prev();
  EXPECT_TRUE(store_.Bof());
}

TEST_F(QdbOperations, UnfilteredNavigationStopsAtTheEnds) {
  AddAll({"a", "b", "c"});
  store_.First();
  EXPECT_TRUE(store_.Bof());
  EXPECT_FALSE(store_.Eof());
  store_.Prev();
  EXPECT_EQ(store_.ItemIndex(), 0);
  store_.Last();
  EXPECT_TRUE(store_.Eof());
  store_.Next();
  EXPECT_EQ(store_.ItemIndex(), 2);
  int moves = 0;
  store_.OnNavigate = [&](TQDB&) { ++moves; };
  store_.GotoIndex(1);
  EXPECT_EQ(store_.Key(), "b");
  EXPECT_FALSE(store_.Bof() || store_.Eof());
  EXPECT_EQ(moves, 1);
}

TEST_F(QdbOperations, AFilterNoItemPassesEndsOutOfBounds) {
  AddAll({"a"});
  store_.SetFilter("zz>");
  EXPECT_EQ(store_.FilteredCount(), 0);
  EXPECT_THROW(store_.First(), EQDBOutOfBounds);
  EXPECT_THROW(store_.Last(), EQDBOutOfBounds);
  int warnings = 0;
  store_.WarnOutOfBounds = [&](TQDB&) { ++warnings; };
  store_.First();
  EXPECT_EQ(warnings, 1);
}

TEST_F(QdbOperations, GetKeysListsPassingKeysInStoreOrder) {
  AddAll({"b_2", "a_1", "B_1", "c_1"});
  std::vector<std::string> keys{"left over"};
  store_.GetKeys(keys);
  EXPECT_THAT(keys, ElementsAre("a_1", "B_1", "b_2", "c_1"));
  store_.SetFilter("<_1");
  store_.GetKeys(keys);
  EXPECT_THAT(keys, ElementsAre("a_1", "B_1", "c_1"));
}

TEST_F(QdbOperations, GetKeysOnASortedListFillsInStoreOrderAndKeepsItSorted) {
  AddAll({"b", "a"});
  KeyList sorted(true);
  sorted.Add("zzz");
  store_.GetKeys(sorted);
  EXPECT_TRUE(sorted.Sorted());
  EXPECT_THAT(sorted.Items(), ElementsAre("a", "b"));
  KeyList unsorted(false);
  store_.GetKeys(unsorted);
  EXPECT_FALSE(unsorted.Sorted());
}

TEST_F(QdbOperations, ReadingGivesTheCurrentItemInEveryForm) {
  AddAll({"a", "b"});
  store_.GotoIndex(1);
  std::stringstream stream("old contents");
  store_.GetData(stream);
  EXPECT_EQ(stream.str(), "data of b");
  EXPECT_EQ(stream.tellg(), 0);
  char buffer[4] = {};
  store_.ReadBuffer(buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, 4), "data");
  EXPECT_EQ(store_.GetKeyAt(0), "a");
  EXPECT_THROW(store_.GetKeyAt(2), EQDBOutOfBounds);
}

TEST_F(QdbOperations, PackRemovesUnusedBytesAndKeepsThePosition) {
  AddAll({"c", "a", "b"});
  store_.Store("a", "A much longer text for item a");
  store_.GotoIndex(2);
  store_.DeleteCurrent();
  std::vector<int> percents;
  store_.ProgressUpdate = [&](TQDB&, int percent, ProgressKind kind) {
    if (kind == ProgressKind::kPacking) percents.push_back(percent);
  };
  store_.GotoIndex(1);
  store_.Pack();
  EXPECT_EQ(store_.ItemIndex(), 1);
  EXPECT_FALSE(store_.Modified());
  EXPECT_EQ(store_.EntryAt(0).offset, 0);
  EXPECT_EQ(store_.EntryAt(1).offset, 29);
  EXPECT_EQ(store_.GetDataAt(0), "A much longer text for item a");
  EXPECT_EQ(store_.GetDataAt(1), "data of b");
  EXPECT_FALSE(percents.empty());
  EXPECT_EQ(percents.back(), 0);
  const auto name = store_.FileName();
  store_.Close();
  EXPECT_EQ(testing::ReadBytes(name).substr(4, 4), std::string("\x26\0\0\0", 4));  // 29 + 9 bytes
}

TEST_F(QdbOperations, ProgressIsReportedAboutTenTimesThenZero) {
  for (int i = 0; i < 100; ++i) store_.Add("x", "key" + std::to_string(1000 + i));
  std::vector<int> percents;
  store_.ProgressUpdate = [&](TQDB&, int percent, ProgressKind kind) {
    EXPECT_EQ(kind, ProgressKind::kSavingIndex);
    percents.push_back(percent);
  };
  store_.SaveIndex();
  EXPECT_THAT(percents, ElementsAre(0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 0));
  percents.clear();
  store_.SaveIndex();  // nothing changed: nothing written
  EXPECT_TRUE(percents.empty());
  store_.ProgressUpdate = nullptr;
}

TEST_F(QdbOperations, TheCacheServesRepeatedReadsAndReportsItsHitRate) {
  AddAll({"a", "b"});
  store_.SetCacheFrequency(0);
  store_.GetDataByKey("a");
  store_.GetDataByKey("b");
  EXPECT_EQ(store_.CacheFrequency(), 100);  // both were offered when added
  store_.SetCacheSize(4);                   // too small for either item; empties the cache
  EXPECT_EQ(store_.CacheSize(), 4u);
  store_.SetCacheFrequency(0);
  store_.GetDataByKey("a");
  EXPECT_EQ(store_.CacheFrequency(), 0);
}

TEST_F(QdbOperations, ChangesSurviveCloseAndReopen) {
  AddAll({"a", "b", "c"});
  store_.Store("b", "changed");
  store_.GotoIndex(0);
  store_.DeleteCurrent();
  const auto name = store_.FileName();
  store_.Close();
  EXPECT_FALSE(store_.Active());
  EXPECT_EQ(store_.FileName(), "");
  store_.SetFileName(name);
  EXPECT_EQ(store_.Count(), 2);
  EXPECT_EQ(store_.GetDataByKey("b"), "changed");
  EXPECT_EQ(store_.GetDataByKey("c"), "data of c");
}

TEST_F(QdbOperations, WithoutSaveOnCloseOnlyTheSavedIndexIsKept) {
  AddAll({"a"});
  store_.SaveIndex();
  AddAll({"b"});
  store_.SetSaveOnClose(false);
  const auto name = store_.FileName();
  store_.Close();
  store_.SetFileName(name);
  std::vector<std::string> keys;
  store_.GetKeys(keys);
  EXPECT_THAT(keys, ElementsAre("a"));
}

TEST_F(QdbOperations, AssigningTheSameNameAgainDoesNothing) {
  AddAll({"a"});
  int assigned = 0;
  store_.OnFileAssigned = [&](TQDB&) { ++assigned; };
  store_.SetFileName(store_.FileName());
  EXPECT_EQ(assigned, 0);
  EXPECT_TRUE(store_.Modified());
  store_.SetFileName("");
  EXPECT_EQ(assigned, 1);
  EXPECT_FALSE(store_.Active());
}

TEST_F(QdbOperations, EventsReportAddsAndChanges) {
  std::vector<std::string> events;
  store_.OnAdded = [&](TQDB& s) { events.push_back("added " + s.Key()); };
  store_.OnChanged = [&](TQDB& s) { events.push_back("changed " + s.Key()); };
  store_.OnNavigate = [&](TQDB& s) { events.push_back("at " + s.Key()); };
  store_.Store("k", "1");
  store_.Store("k", "2");
  EXPECT_THAT(events, ElementsAre("added k", "at k", "at k", "changed k"));
}

TEST_F(QdbOperations, ManyKeysInRandomOrderStayInOrder) {
  std::vector<std::string> keys;
  for (int i = 0; i < 3000; ++i) keys.push_back("k" + std::to_string(i * 7919 % 3001));
  for (const auto& key : keys) store_.Add(key, key);
  std::sort(keys.begin(), keys.end());
  std::vector<std::string> listed;
  store_.GetKeys(listed);
  EXPECT_EQ(listed, keys);
  for (int i = 0; i < 3000; i += 7) {
    store_.GotoIndex(i);
    EXPECT_EQ(store_.GetDataString(), keys[static_cast<std::size_t>(i)]);
  }
}

TEST_F(QdbOperations, StoreAllLeavesWhatStoringEachItemInTurnLeaves) {
  AddAll({"a", "c", "e"});
  TQDB twin;
  twin.SetTempFolder(folder_.Path());
  twin.SetFileName(folder_.Path() / "twin.qdb");
  for (const char* key : {"a", "c", "e"}) twin.Add(std::string("data of ") + key, key);
  // A held key, a new one twice (its first spelling stays), another new one, a held one again.
  const std::vector<StoredItem> items = {
      {"c", "new c"}, {"b", "first b"}, {"B", "second b"}, {"f", "f"}, {"a", "new a"}};
  store_.StoreAll(items);
  EXPECT_EQ(store_.Key(), "a");  // the last item stored
  EXPECT_TRUE(store_.Modified());
  for (const StoredItem& item : items) twin.Store(item.key, item.data);
  EXPECT_EQ(Contents(store_), Contents(twin));
  EXPECT_THAT(Contents(store_), ElementsAre(std::pair<std::string, std::string>{"a", "new a"},
                                            std::pair<std::string, std::string>{"b", "second b"},
                                            std::pair<std::string, std::string>{"c", "new c"},
                                            std::pair<std::string, std::string>{"e", "data of e"},
                                            std::pair<std::string, std::string>{"f", "f"}));
}

TEST_F(QdbOperations, AFailedStoreAllLeavesTheIndexAsItWas) {
  AddAll({"a", "c"});
  const auto before = Contents(store_);
  FailingFileLayer files;
  store_.SetFileLayer(&files);
  files.FailAt(2, ENOSPC);  // the size of the data file, then the one write
  EXPECT_THROW(store_.StoreAll(std::vector<StoredItem>{{"a", "changed"}, {"b", "new"}}), EQDBError);
  EXPECT_EQ(files.FailedOperation(), "write");
  store_.SetFileLayer(nullptr);
  EXPECT_EQ(Contents(store_), before);
}

TEST_F(QdbOperations, AWalkVisitsTheSelectedItemsInKeyOrderAndLeavesTheCurrentItem) {
  AddAll({"1_a", "1_b", "12_a", "2_a"});
  ASSERT_TRUE(store_.FindKey("2_a"));
  std::vector<std::string> seen;
  auto note = [&](const std::string& key, std::string_view data) { seen.push_back(key + "=" + std::string(data)); };
  store_.ForEachItem("1_>", note);
  EXPECT_THAT(seen, ElementsAre("1_a=data of 1_a", "1_b=data of 1_b"));
  seen.clear();
  store_.ForEachItem("<_A", note);  // keys ending in "_a", case aside
  EXPECT_THAT(seen, ElementsAre("12_a=data of 12_a", "1_a=data of 1_a", "2_a=data of 2_a"));
  seen.clear();
  store_.ForEachItemBackward("", [&](const std::string& key, std::string_view data) {
    note(key, data);
    return key != "1_b";
  });
  EXPECT_THAT(seen, ElementsAre("2_a=data of 2_a", "1_b=data of 1_b"));
  EXPECT_EQ(store_.Key(), "2_a");
  EXPECT_EQ(store_.ItemIndex(), 3);
}

TEST_F(QdbOperations, AWalkGoesOnAfterTheLastKeyItVisitedWhenTheVisitorChangesTheStore) {
  AddAll({"a", "b", "c", "d"});
  std::vector<std::string> seen;
  store_.ForEachItem("", [&](const std::string& key, std::string_view) {
    seen.push_back(key);
    if (key == "a") store_.Add("new", "aa");
    if (key == "b" && store_.FindKey("c")) store_.DeleteCurrent();
  });
  EXPECT_THAT(seen, ElementsAre("a", "aa", "b", "d"));
  seen.clear();
  store_.ForEachItemBackward("", [&](const std::string& key, std::string_view) {
    seen.push_back(key);
    if (key == "d") store_.Add("new", "bb");
    if (key == "bb" && store_.FindKey("aa")) store_.DeleteCurrent();
    return true;
  });
  EXPECT_THAT(seen, ElementsAre("d", "bb", "b", "a"));
}

}  // namespace
}  // namespace pellmark::store
