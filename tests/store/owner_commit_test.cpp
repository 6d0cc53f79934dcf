// A store committed by its owner: every commit point, joined as recovery
// joins it, holds exactly the items of that commit, while the index goes by
// turns into two working files written over in place.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>

#include "store/failing_file_layer.h"
#include "support/property_seed.h"
#include "store/container_format.h"
#include "store/qdb.h"
#include "store/store_test_support.h"

namespace pellmark::store {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;
using Items = std::map<std::string, std::string>;

Items ItemsOf(const fs::path& file, const fs::path& temp_folder) {
  TQDB store;
  store.WarnNoData = [](TQDB&) {};
  store.SetTempFolder(temp_folder);
  store.SetFileName(file);
  Items items;
  for (int i = 0; i < store.Count(); ++i) items[store.GetKeyAt(i)] = store.GetDataAt(i);
  return items;
}

// What the next open after a crash makes of a commit point; `written` when the
// commit wrote the index (else it is the one the store was opened with).
Items ItemsAt(const CommitPoint& point, const fs::path& folder, bool written) {
  const fs::path joined = folder / "joined.qdb";
  Join(DefaultFileLayer(), {point.data, point.index}, joined, point.data_length, point.index_length);
  const std::uint64_t joined_size = fs::file_size(joined);
  Items items = ItemsOf(joined, folder);
  // The container holds the committed index alone: its count, then per item
  // the key, its terminating zero, offset, size and flags.
  std::uint64_t index_length = 4;
  for (const auto& [key, data] : items) index_length += key.size() + 13;
  if (written) {
    EXPECT_EQ(joined_size, 8 + point.data_length + 8 + index_length);
  }
  fs::remove(joined);
  return items;
}

// The store as of its last commit, written as a container beside it.
std::string CommittedContainer(TQDB& store, const fs::path& file) {
  {
    OpenFile out(DefaultFileLayer(), file, OpenMode::kCreate);
    const std::uint64_t length = store.WriteCommittedContainer(out.Handle());
    EXPECT_EQ(length, fs::file_size(file));
  }
  return testing::ReadBytes(file);
}

TEST(OwnerCommit, EveryCommitPointHoldsItsItemsWhileTheIndexFilesTakeTurns) {
  const unsigned seed = pellmark::testing::PropertySeed();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };

  ScratchFolder folder;
  const fs::path work = folder.Path() / "work";
  fs::create_directory(work);
  TQDB store;
  store.WarnNoData = [](TQDB&) {};
  store.SetCommittedByOwner(true);
  store.SetTempFolder(work);
  store.SetFileName(folder.Path() / "items.qdb");

  Items now;
  Items committed;
  std::vector<fs::path> indexes;  // of the commits since the last pack
  for (int step = 0; step < 400; ++step) {
    const int choice = below(100);
    const std::string key = "k" + std::to_string(below(40));
    if (choice < 45) {
      const std::string data(static_cast<std::size_t>(1 + below(60)), static_cast<char>('a' + below(26)));
      store.Store(key, data);
      now[key] = data;
    } else if (choice < 70) {
      if (store.FindKey(key)) store.Delete();
      now.erase(key);
    } else if (choice < 93) {
      const bool written = store.ChangedSinceCommit();
      const CommitPoint point = store.PrepareCommit();
      if (below(8) == 0) {
        // The commit record could not be written: the last commit stands.
        store.AbandonCommit();
        continue;
      }
      store.FinishCommit();
      committed = now;
      ASSERT_EQ(ItemsAt(point, folder.Path(), written), committed) << "step " << step;
      if (indexes.empty() || indexes.back() != point.index) indexes.push_back(point.index);
      const std::size_t n = indexes.size();
      if (n >= 3) {
        EXPECT_EQ(indexes[n - 1], indexes[n - 3]) << "step " << step;
      }
      // The data file and at most two index files, however many commits went before.
      EXPECT_LE(std::distance(fs::directory_iterator(work), fs::directory_iterator()), 3) << "step " << step;
    } else if (choice < 95) {
      store.RevertToCommit();
      now = committed;
    } else if (choice < 98) {
      // A backup's copy: the last commit, whatever changed since.
      CommittedContainer(store, folder.Path() / "copy.qdb");
      ASSERT_EQ(ItemsOf(folder.Path() / "copy.qdb", folder.Path()), committed) << "step " << step;
    } else {
      store.Pack();
      indexes.clear();
    }
  }
  store.PrepareCommit();
  store.FinishCommit();
  committed = now;
  store.Close();
  EXPECT_EQ(ItemsOf(folder.Path() / "items.qdb", work), committed);
}

TEST(OwnerCommit, TheCommittedContainerIsTheOneTheCloseWritesAndLeavesTheStoreOpen) {
  ScratchFolder folder;
  const fs::path work = folder.Path() / "work";
  fs::create_directory(work);
  const fs::path file = folder.Path() / "items.qdb";
  const fs::path copy = folder.Path() / "copy.bck";
  testing::WriteBytes(file, testing::Hex(testing::kTwoItemContainer));
  TQDB store;
  store.SetCommittedByOwner(true);
  store.SetTempFolder(work);
  store.SetFileName(file);
  // Before the first commit: the store file as opened, without what changed since.
  store.Store("C", "uncommitted");
  EXPECT_EQ(CommittedContainer(store, copy), testing::Hex(testing::kTwoItemContainer));

  store.PrepareCommit();
  store.FinishCommit();
  // "A" rewritten where the commit's bytes are not, "B" gone, "D" not committed.
  store.Store("A", "new");
  store.FindKey("B");
  store.Delete();
  store.PrepareCommit();
  store.FinishCommit();
  store.Store("D", "later");
  const std::string committed = CommittedContainer(store, copy);
  EXPECT_EQ(committed, testing::Hex("51444200 11000000 78797a 756e636f6d6d6974746564 6e6577"  // "QDB", 17: xyz uncommitted new
                                    " 51495800 20000000 02000000"                            // "QIX", 32, count 2
                                    " 4300 03000000 0b000000 00000000"                        // "C": offset 3, size 11
                                    " 4100 0e000000 03000000 00000000"));                     // "A": offset 14, size 3
  // The store goes on as it was: "D" is there to be committed or dropped.
  EXPECT_EQ(store.GetDataByKey("D"), "later");
  store.Pack();
  EXPECT_EQ(CommittedContainer(store, copy), committed);
  store.RevertToCommit();
  store.Close();
  EXPECT_EQ(testing::ReadBytes(file), committed);
}

// ChangesSinceCommit against an oracle: every item whose key and bytes differ
// from the last commit, with both, whatever way it got there (Store in any
// letter case, StoreAll, Delete, a Pack between), and nothing for an item
// changed back or for a change whose write failed.
TEST(OwnerCommit, ChangesSinceCommitNameEveryItemThatDiffersFromTheCommit) {
  const unsigned seed = pellmark::testing::PropertySeed();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };

  ScratchFolder folder;
  const fs::path work = folder.Path() / "work";
  fs::create_directory(work);
  TQDB store;
  store.WarnNoData = [](TQDB&) {};
  store.SetCommittedByOwner(true);
  store.SetTracksChanges(true);
  store.SetTempFolder(work);
  store.SetFileName(folder.Path() / "items.qdb");

  // By upper-case key: the key as stored and its bytes.
  using Held = std::map<std::string, StoredItem>;
  Held now;
  Held committed;
  auto upper = [](std::string key) {
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return key;
  };
  auto put = [&](const std::string& key, const std::string& data) {
    auto held = now.find(upper(key));
    now[upper(key)] = {held != now.end() ? held->second.key : key, data};
  };
  for (int step = 0; step < 600; ++step) {
    const int choice = below(100);
    std::string key = "k" + std::to_string(below(12));
    if (below(2) == 0) key = upper(key);
    const std::string data(static_cast<std::size_t>(1 + below(4)), static_cast<char>('a' + below(3)));
    if (choice < 40) {
      store.Store(key, data);
      put(key, data);
    } else if (choice < 55) {
      std::vector<StoredItem> items{{key, data}, {"k" + std::to_string(below(12)), data + "z"}};
      if (upper(items[0].key) == upper(items[1].key)) items.pop_back();
      store.StoreAll(items);
      for (const StoredItem& item : items) put(item.key, item.data);
    } else if (choice < 75) {
      if (store.FindKey(key)) store.Delete();
      now.erase(upper(key));
    } else if (choice < 78) {
      store.Pack();
    } else if (choice < 83) {
      store.RevertToCommit();
      now = committed;
    } else if (choice < 88) {
      if (!store.FindKey(key)) continue;
      testing::FailingFileLayer full;
      store.SetFileLayer(&full);
      full.FailAt(1, ENOSPC);
      EXPECT_ANY_THROW(store.Change(data + "!")) << "step " << step;
      store.SetFileLayer(nullptr);
    } else {
      std::vector<ItemChange> expected;
      std::set<std::string> keys;
      for (const auto& [k, item] : now) keys.insert(k);
      for (const auto& [k, item] : committed) keys.insert(k);
      for (const std::string& k : keys) {
        std::optional<StoredItem> before, after;
        if (committed.contains(k)) before = committed[k];
        if (now.contains(k)) after = now[k];
        if (before != after) expected.push_back({before, after});
      }
      const std::vector<ItemChange> changes = store.ChangesSinceCommit();
      ASSERT_EQ(changes.size(), expected.size()) << "step " << step;
      for (std::size_t i = 0; i < changes.size(); ++i) {
        EXPECT_EQ(changes[i].before, expected[i].before) << "step " << step << " item " << i;
        EXPECT_EQ(changes[i].after, expected[i].after) << "step " << step << " item " << i;
      }
      store.PrepareCommit();
      store.FinishCommit();
      committed = now;
      ASSERT_TRUE(store.ChangesSinceCommit().empty()) << "step " << step;
    }
  }
}

}  // namespace
}  // namespace pellmark::store
