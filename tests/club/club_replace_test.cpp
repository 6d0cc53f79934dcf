// The replacement journal: staged files, the journal, and its completion after
// a crash at any point in it.
#include "club/club_replace.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "store/whole_files.h"
#include "support/temp_folder.h"

namespace pellmark {
namespace {

namespace fs = std::filesystem;

class ReplacementJournal : public ::testing::Test {
 protected:
  void SetUp() override {
    club = folder.Path();
    working = club / ".pellmark-work";
    fs::create_directories(working);
    Write(club / "a.qdb", "old a");
    Write(club / "b.qdb", "old b");
    Write(club / "gone.stm", "old statement");
    Write(folder.Path() / "new-a", "new a");
  }
  static void Write(const fs::path& file, const std::string& bytes) {
    store::SaveFileAtomically(store::DefaultFileLayer(), file, bytes);
  }
  static std::string Read(const fs::path& file) { return store::ReadWholeFile(store::DefaultFileLayer(), file); }
  fs::path Stage() {
    return StageReplacement(store::DefaultFileLayer(), working,
                            {{"a.qdb", FileReplacement::Kind::kCopy, folder.Path() / "new-a"},
                             {"b.qdb", FileReplacement::Kind::kEmpty, {}},
                             {"gone.stm", FileReplacement::Kind::kRemove, {}}},
                            "20261207-120000");
  }
  bool Apply() { return ApplyReplacementJournal(store::DefaultFileLayer(), club, working); }

  testing::TempFolder folder;
  fs::path club, working;
};

TEST_F(ReplacementJournal, StagingChangesNoClubFileAndApplyingSwapsThemAll) {
  const fs::path kept = Stage();
  EXPECT_EQ(kept, working / "kept-20261207-120000");
  EXPECT_EQ(Read(club / "a.qdb"), "old a");
  EXPECT_TRUE(fs::exists(working / kReplaceJournalName));
  ASSERT_TRUE(Apply());
  EXPECT_EQ(Read(club / "a.qdb"), "new a");
  EXPECT_EQ(Read(club / "b.qdb"), std::string("QDB\0\0\0\0\0QIX\0\x05\0\0\0\0\0\0\0\0", 21));
  EXPECT_FALSE(fs::exists(club / "gone.stm"));
  EXPECT_EQ(Read(kept / "a.qdb"), "old a");
  EXPECT_EQ(Read(kept / "b.qdb"), "old b");
  EXPECT_EQ(Read(kept / "gone.stm"), "old statement");
  EXPECT_FALSE(fs::exists(working / kReplaceJournalName));
  EXPECT_FALSE(Apply());
  // A second replacement in the same second gets a folder of its own, sorted after.
  const fs::path second = Stage();
  EXPECT_EQ(second, working / "kept-20261207-120000-02");
  ASSERT_TRUE(Apply());
  EXPECT_EQ(KeptFolders(store::DefaultFileLayer(), working), (std::vector<fs::path>{kept, second}));
}

TEST_F(ReplacementJournal, AJournalCutShortMidWayIsFinishedWithoutLosingAnOldFile) {
  const fs::path kept = Stage();
  // The death came after a.qdb was kept and before its staged file went in.
  fs::rename(club / "a.qdb", kept / "a.qdb");
  ASSERT_TRUE(Apply());
  EXPECT_EQ(Read(club / "a.qdb"), "new a");
  EXPECT_EQ(Read(kept / "a.qdb"), "old a");
  EXPECT_EQ(Read(kept / "b.qdb"), "old b");
}

TEST_F(ReplacementJournal, AJournalThatDoesNotReadWholeIsDroppedAndMovesNothing) {
  Write(working / kReplaceJournalName, "pellmark replace\nkept ../../elsewhere\nput a.qdb\nend\n");
  EXPECT_FALSE(Apply());
  Write(working / kReplaceJournalName, "pellmark replace\nkept kept-x\nput a.qdb\n");
  EXPECT_FALSE(Apply());
  EXPECT_FALSE(fs::exists(working / kReplaceJournalName));
  EXPECT_EQ(Read(club / "a.qdb"), "old a");
}

}  // namespace
}  // namespace pellmark
