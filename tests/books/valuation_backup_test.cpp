// An official valuation backs the club up to the ".bck" files of its folder.
// A backup that fails does not make the valuation a failure: it is recorded
// and committed, announced as created, and the backup's own failure follows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <map>

#include "store/file_set.h"
#include "store/posix_file_layer.h"
#include "valuation/valuation_fixture.h"

namespace pellmark::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

// A disk that has room for everything but the backup's new files.
class NoRoomForBackups final : public store::PosixFileLayer {
 public:
  store::FileHandle Open(const fs::path& path, store::OpenMode mode) override {
    if (mode == store::OpenMode::kCreate && path.extension() == store::kStagedExtension) {
      throw store::FileLayerError(ENOSPC, path, "open");
    }
    return PosixFileLayer::Open(path, mode);
  }
};

class ValuationBackup : public ValuationFixture {
 protected:
  void PricesAndDuesNew() {
    club.Info().dues = club.Info().stks = true;
    club.WriteClubInfo();
    books.Commit();
  }
  std::map<std::string, std::string> BackupSet() {
    std::map<std::string, std::string> set;
    for (const char* name : interchange::kBackupFiles) set[name] = FileBytes(folder.Path() / name);
    return set;
  }
};

TEST_F(ValuationBackup, AValuationWhoseBackupFailsIsCreatedAndTheBackupsFailureFollows) {
  const DayNumber nov30 = Day(2026, 11, 30);
  const DayNumber dec7 = Day(2026, 12, 7);
  Dues(Day(2026, 11, 2), {{"Smith, Ann", "100"}, {"Jones, Bob", "50"}});
  ASSERT_TRUE(Official(nov30).outcome);
  const std::map<std::string, std::string> earlier = BackupSet();
  Dues(Day(2026, 12, 1), {{"Smith, Ann", "25"}});
  PricesAndDuesNew();
  ui.Clear();

  NoRoomForBackups full;
  club.SetFileLayer(&full);
  const valuation::ValuationResult result = Official(dec7);
  club.SetFileLayer(nullptr);

  EXPECT_TRUE(result.outcome.Refused());
  EXPECT_FALSE(result.failed);
  ASSERT_TRUE(result.figures);
  EXPECT_EQ(result.figures->unit_value, 25);
  EXPECT_THAT(ui.Messages(),
              ElementsAre("Valuation Statement V12072026.stm created. Valuation Updated",
                          "Data Backup failed\nCannot create file " + (folder.Path() / "clubmem.bck").string() +
                              " (No space left on device)"));
  EXPECT_EQ(ui.SoundCount(), 1);
  // The earlier backup is whole, and nothing half made lies beside it.
  EXPECT_EQ(BackupSet(), earlier);
  for (const auto& entry : fs::directory_iterator(folder.Path())) {
    EXPECT_NE(entry.path().extension(), store::kStagedExtension) << entry.path();
  }
  // The valuation is recorded and committed: it outlives a close.
  books.Close();
  books.Open();
  ASSERT_EQ(Units().size(), 3u);
  EXPECT_EQ(Units().back().date, dec7);
  EXPECT_EQ(club.Info().unitkey, Units().back().unitid);
  EXPECT_EQ(club.Info().date, dec7);
  EXPECT_FALSE(club.Info().dues);
  EXPECT_EQ(ReadStatement(dec7).unit_id, Units().back().unitid);
}

TEST_F(ValuationBackup, TheBackupSetIsTheClubAsTheValuationCommittedIt) {
  Dues(Day(2026, 11, 2), {{"Smith, Ann", "100"}, {"Jones, Bob", "50"}});
  ASSERT_TRUE(Official(Day(2026, 11, 30)).outcome);
  const std::map<std::string, std::string> set = BackupSet();
  books.Close();
  for (const auto& [name, bytes] : set) {
    EXPECT_EQ(bytes, FileBytes(folder.Path() / fs::path(name).replace_extension(".qdb"))) << name;
  }
  books.Open();
}

}  // namespace
}  // namespace pellmark::testing
