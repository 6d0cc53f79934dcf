// A store committed by its owner: every commit point, joined as recovery
// joins it, holds exactly the items of that commit, while the index goes by
// turns into two working files written over in place.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>

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
  if (written) EXPECT_EQ(joined_size, 8 + point.data_length + 8 + index_length);
  fs::remove(joined);
  return items;
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
      if (n >= 3) EXPECT_EQ(indexes[n - 1], indexes[n - 3]) << "step " << step;
      // The data file and at most two index files, however many commits went before.
      EXPECT_LE(std::distance(fs::directory_iterator(work), fs::directory_iterator()), 3) << "step " << step;
    } else if (choice < 98) {
      store.RevertToCommit();
      now = committed;
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

}  // namespace
}  // namespace pellmark::store
