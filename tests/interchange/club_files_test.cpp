// Backup, restore and club reset on a club of the books: byte-identical round
// trips, the data-format update of an old backup, the reset's question, and
// every refusal leaving the club's files byte for byte as they were.
#include "interchange/club_files.h"
#include "forms/club_setup_form.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "books/crashing_file_layer.h"
#include "club/club_info_file.h"
#include "club/journal.h"
#include "store/memory_file_layer.h"
#include "store/posix_file_layer.h"
#include "store/whole_files.h"
#include "support/ledger_fixture.h"

namespace pellmark::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr const char* kRestoreQuestion = "This will remove all club data. Continue?";

// Every file of a folder (not its subfolders) and its bytes.
std::map<std::string, std::string> Files(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files[entry.path().filename().string()] = store::ReadWholeFile(store::DefaultFileLayer(), entry.path());
    }
  }
  return files;
}

// The club's ten files only.
std::map<std::string, std::string> ClubFiles(const fs::path& folder) {
  std::map<std::string, std::string> files = Files(folder);
  files.erase(kViewStateFileName);
  // The journal tells what was done, not what the club holds: no backup copies it.
  files.erase(kJournalFileName);
  return files;
}

// A layer on which nothing can be created inside one folder, as on a read-only one.
class ReadOnlyFolder final : public store::PosixFileLayer {
 public:
  explicit ReadOnlyFolder(fs::path folder) : folder_(std::move(folder)) {}
  store::FileHandle Open(const fs::path& path, store::OpenMode mode) override {
    if (mode != store::OpenMode::kRead && path.parent_path() == folder_)
      throw store::FileLayerError(EACCES, path, "open");
    return PosixFileLayer::Open(path, mode);
  }

 private:
  fs::path folder_;
};

class ClubFiles_ : public ClubFixture {
 protected:
  void SetUp() override {
    ClubFixture::SetUp();
    backup = folder.Path() / "backup";
    fs::create_directories(backup);
    AddMember("Smith", "Ann", 1);
    AddUnitValue(26.5, Day(2026, 3, 31));
    club.WriteClubInfo();
    books.Commit();
  }

  void AddMember(const std::string& last, const std::string& first, std::int32_t memid) {
    TMemberRec member;
    member.lname = last;
    member.fname = first;
    member.memid = memid;
    member.tunits = 10;
    club.members.Put(member);
  }

  // The club's files as a closed club leaves them; the books are opened again.
  std::map<std::string, std::string> ClosedClubFiles() {
    books.Close();
    std::map<std::string, std::string> files = ClubFiles(folder.Path());
    books.Open();
    ui.Clear();
    return files;
  }

  std::string KeptNote() {
    const std::vector<fs::path> kept = KeptFolders(store::DefaultFileLayer(), folder.Path() / kWorkingFolderName);
    return "\nThe club's files from before are kept in " + kept.back().string() +
           " (pellmark-cli undo-restore puts them back).";
  }

  fs::path backup;
};

TEST_F(ClubFiles_, BackupThenRestoreLeavesEveryClubFileByteIdentical) {
  ASSERT_TRUE(books.Backup(backup));
  EXPECT_THAT(ui.Messages(), ElementsAre("Club Data has been Backed up."));
  EXPECT_EQ(ui.SoundCount(), 1);
  const std::map<std::string, std::string> after_backup = ClosedClubFiles();
  std::map<std::string, std::string> expected_set;
  for (const auto& [name, bytes] : after_backup)
    expected_set[fs::path(name).replace_extension(".bck").string()] = bytes;
  EXPECT_EQ(Files(backup), expected_set);

  AddMember("Jones", "Bob", 2);
  club.Info().vunit = 30;
  club.WriteClubInfo();
  books.Commit();
  ASSERT_NE(ClosedClubFiles(), after_backup);

  ASSERT_TRUE(books.Restore(backup));
  EXPECT_THAT(ui.Messages(), ElementsAre("Club Data has been Restored from Backup." + KeptNote()));
  EXPECT_EQ(club.Info().vunit, 26.5);
  EXPECT_FALSE(club.members.Contains("_Jones, Bob"));
  EXPECT_EQ(ClosedClubFiles(), after_backup);
  // What the restore replaced is kept whole.
  const std::map<std::string, std::string> kept = Files(KeptFolders(store::DefaultFileLayer(), folder.Path() / kWorkingFolderName).back());
  EXPECT_EQ(kept.size(), 10u);
  EXPECT_EQ(ClubFiles(folder.Path()), after_backup);
}

TEST_F(ClubFiles_, TheFolderChooserIsAskedWithTheBackupMaskAndItsCancelChangesNothing) {
  const std::map<std::string, std::string> before = ClosedClubFiles();
  ui.AnswerFolderChooser(std::nullopt);
  EXPECT_TRUE(books.Backup().WasCancelled());
  ui.AnswerFolderChooser(std::nullopt);
  EXPECT_TRUE(books.Restore().WasCancelled());
  ASSERT_EQ(ui.FolderRequests().size(), 2u);
  EXPECT_EQ(ui.FolderRequests()[0].mask, "*.bck");
  EXPECT_EQ(ui.FolderRequests()[0].start, folder.Path());
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(ClosedClubFiles(), before);
  EXPECT_TRUE(Files(backup).empty());
}

TEST_F(ClubFiles_, RestoringABackupWhoseUnitKeyIsMinusOneRunsTheUpdateOnce) {
  ASSERT_TRUE(books.Backup(backup));
  std::string info = store::ReadWholeFile(store::DefaultFileLayer(), backup / "clubinfo.bck");
  info.replace(297, 4, std::string("\xFF\xFF\xFF\xFF", 4));
  store::SaveFileAtomically(store::DefaultFileLayer(), backup / "clubinfo.bck", info);
  ui.Clear();

  ASSERT_TRUE(books.Restore(backup));
  EXPECT_THAT(ui.Messages(), ElementsAre("Pellmark Data File Formats will be updated",
                                         "Club Data has been Restored from Backup." + KeptNote()));
  // The update names the unit record whose value is the club's, 26.5 of 31 March (id 1).
  EXPECT_EQ(club.Info().unitkey, 1);
  EXPECT_EQ(club.Info().date, Day(2026, 3, 31));
  EXPECT_EQ(ReadClubInfo(folder.Path())->unitkey, 1);
  books.Close();
  ui.Clear();
  books.Open();
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(ClubFiles_, ResetAnsweredNoChangesNothing) {
  store::SaveFileAtomically(store::DefaultFileLayer(), folder.Path() / "V03312026.stm", "statement");
  const std::map<std::string, std::string> before = ClosedClubFiles();
  ui.AnswerNext(kRestoreQuestion, false);
  EXPECT_TRUE(books.Reset().WasCancelled());
  EXPECT_EQ(ClosedClubFiles(), before);
  EXPECT_EQ(ui.BeepCount(), 0);  // the scripted port takes the question's beep as part of it
}

TEST_F(ClubFiles_, ResetAnsweredYesLeavesTenCategoriesAndNothingElse) {
  store::SaveFileAtomically(store::DefaultFileLayer(), folder.Path() / "V03312026.stm", "statement");
  ui.AnswerNext(kRestoreQuestion, true);
  ASSERT_TRUE(books.Reset());
  EXPECT_THAT(ui.Messages(), ElementsAre(kRestoreQuestion, "Club data has been reset." + KeptNote()));
  EXPECT_EQ(ui.SoundCount(), 1);
  EXPECT_FALSE(club.InfoExists());
  EXPECT_EQ(club.categories.Count(), 10);
  for (int count : {club.members.Count(), club.memrecs.Count(), club.securities.Count(), club.stkrecs.Count(),
                    club.prices.Count(), club.accounts.Count(), club.actrecs.Count(), club.unitfile.Count()}) {
    EXPECT_EQ(count, 0);
  }
  books.Close();
  EXPECT_FALSE(fs::exists(folder.Path() / kClubInfoFileName));
  EXPECT_FALSE(fs::exists(folder.Path() / "V03312026.stm"));
  const fs::path kept = KeptFolders(store::DefaultFileLayer(), folder.Path() / kWorkingFolderName).back();
  EXPECT_TRUE(fs::exists(kept / "V03312026.stm"));
  EXPECT_TRUE(fs::exists(kept / kClubInfoFileName));

  // The kept files come back.
  books.Open();
  ASSERT_TRUE(books.BringBackKeptFiles());
  EXPECT_TRUE(club.InfoExists());
  EXPECT_TRUE(club.members.Contains("_Smith, Ann"));
  EXPECT_TRUE(fs::exists(folder.Path() / "V03312026.stm"));
}

TEST_F(ClubFiles_, UndoRestoreBringsBackTheNewestKeptFilesNotTheOldest) {
  ASSERT_TRUE(books.Backup(backup));
  AddMember("Jones", "Bob", 2);
  books.Commit();
  ASSERT_TRUE(books.Restore(backup));  // keeps the club with Bob
  ASSERT_FALSE(club.members.Contains("_Jones, Bob"));
  ui.AnswerNext(kRestoreQuestion, true);
  ASSERT_TRUE(books.Reset());  // keeps the restored club, without Bob
  ASSERT_EQ(KeptFolders(store::DefaultFileLayer(), folder.Path() / kWorkingFolderName).size(), 2u);
  ASSERT_TRUE(books.BringBackKeptFiles());
  EXPECT_TRUE(club.members.Contains("_Smith, Ann"));
  EXPECT_FALSE(club.members.Contains("_Jones, Bob"));
}

TEST_F(ClubFiles_, NothingKeptIsRefused) {
  EXPECT_TRUE(books.BringBackKeptFiles().Refused());
  EXPECT_THAT(ui.Messages(), ElementsAre("No club files have been kept from a restore or a reset."));
}

// Each bad backup set: the refusal names the file, and the club is untouched.
TEST_F(ClubFiles_, ARestoreFromABadBackupSetIsRefusedAndLeavesTheClubByteIdentical) {
  ASSERT_TRUE(books.Backup(backup));
  const std::map<std::string, std::string> set = Files(backup);
  AddMember("Jones", "Bob", 2);
  books.Commit();
  const std::map<std::string, std::string> before = ClosedClubFiles();

  struct Damage {
    const char* file;
    std::string bytes;  // empty: the file is missing
    std::string detail;
  };
  const std::string path = backup.string() + "/";
  const std::vector<Damage> damages = {
      {"clubunit.bck", "", path + "clubunit.bck is missing."},
      {"clubinfo.bck", "", path + "clubinfo.bck is missing."},
      {"stkprice.bck", set.at("stkprice.bck").substr(0, 15),
       "The file " + path + "stkprice.bck is not a valid QDB file"},
      {"memrec.bck", "Name,Units\r\nSmith,10\r\n", "The file " + path + "memrec.bck is not a valid QDB file"},
      {"clubinfo.bck", std::string(100, 'x'), path + "clubinfo.bck is not a club information file (100 bytes)."},
  };
  for (const Damage& damage : damages) {
    for (const auto& [name, bytes] : set) store::SaveFileAtomically(store::DefaultFileLayer(), backup / name, bytes);
    fs::remove(backup / damage.file);
    if (!damage.bytes.empty()) store::SaveFileAtomically(store::DefaultFileLayer(), backup / damage.file, damage.bytes);
    ui.Clear();
    EXPECT_TRUE(books.Restore(backup).Refused()) << damage.file;
    EXPECT_THAT(ui.Messages(), ElementsAre("Backup Restoral failed\n" + damage.detail)) << damage.file;
    EXPECT_TRUE(club.members.Contains("_Jones, Bob")) << damage.file;
    EXPECT_EQ(ClosedClubFiles(), before) << damage.file;
    EXPECT_TRUE(KeptFolders(store::DefaultFileLayer(), folder.Path() / kWorkingFolderName).empty());
  }
}

TEST_F(ClubFiles_, ABackupToAFolderThatCannotTakeItFailsAndTheClubGoesOn) {
  const std::map<std::string, std::string> before = ClosedClubFiles();
  const fs::path a_file = folder.Path() / "a-file";
  store::SaveFileAtomically(store::DefaultFileLayer(), a_file, "x");
  struct Case {
    fs::path folder;
    std::string reason;
  };
  for (const Case& bad : {Case{a_file, "Not a directory"}, Case{a_file / "set", "Not a directory"}}) {
    ui.Clear();
    EXPECT_TRUE(books.Backup(bad.folder).Refused());
    EXPECT_THAT(ui.Messages(),
                ElementsAre("Data Backup failed\nCannot create folder " + bad.folder.string() + " (" + bad.reason + ")"));
  }
  ReadOnlyFolder read_only(backup);
  store::SetDefaultFileLayer(&read_only);
  ui.Clear();
  const Outcome refused = books.Backup(backup);
  store::SetDefaultFileLayer(nullptr);
  EXPECT_TRUE(refused.Refused());
  EXPECT_THAT(ui.Messages(), ElementsAre("Data Backup failed\nCannot create file " + (backup / "clubmem.bck").string() +
                                         " (Permission denied)"));
  EXPECT_TRUE(Files(backup).empty());
  // Every store was reopened: the books take the next operation.
  AddMember("Jones", "Bob", 2);
  books.Commit();
  EXPECT_NE(ClosedClubFiles(), before);
  EXPECT_TRUE(club.members.Contains("_Jones, Bob"));
}

TEST_F(ClubFiles_, AFullDiskFromAnyCallOnLeavesTheWholeEarlierBackupOrTheWholeNewOne) {
  ASSERT_TRUE(books.Backup(backup));
  const std::map<std::string, std::string> earlier = Files(backup);
  AddMember("Jones", "Bob", 2);
  books.Commit();
  // What the backup writes: the club as a close leaves it, under the backup names.
  std::map<std::string, std::string> next;
  for (const auto& [name, bytes] : ClosedClubFiles()) next[fs::path(name).replace_extension(".bck").string()] = bytes;
  ASSERT_NE(next, earlier);
  for (int n = 1;; ++n) {
    CrashingFileLayer full;
    full.Arm(n, CrashingFileLayer::Mode::kFull);
    store::SetDefaultFileLayer(&full);
    ui.Clear();
    const Outcome outcome = books.Backup(backup);
    const int changes = full.Changes();
    store::SetDefaultFileLayer(nullptr);
    if (outcome) {
      // Only the removal of the journal was left, which a full disk does not stop.
      EXPECT_EQ(Files(backup), next) << n;
      if (changes < n) break;
    } else {
      ASSERT_TRUE(outcome.Refused()) << n;
      EXPECT_THAT(ui.Messages(),
                  ElementsAre(AllOf(StartsWith("Data Backup failed\nCannot create file " + backup.string()),
                                    HasSubstr("(No space left on device)"))))
          << n;
    }
    // What a restore reads once it has finished the folder: one set or the other, whole.
    EXPECT_NO_THROW(interchange::CheckBackupSet(backup)) << n;
    const std::map<std::string, std::string> now = Files(backup);
    EXPECT_TRUE(now == earlier || now == next) << "full from call " << n;
    // The stores stayed open.
    EXPECT_TRUE(club.members.Contains("_Jones, Bob")) << n;
    // The next backup starts from the earlier set again.
    if (now == next) {
      for (const auto& [name, bytes] : earlier) store::SaveFileAtomically(store::DefaultFileLayer(), backup / name, bytes);
    }
  }
  ASSERT_TRUE(books.Restore(backup));
  EXPECT_TRUE(club.members.Contains("_Jones, Bob"));
}

// Backup and restore of a club that lives on the memory layer: the backup set
// holds the closed club's files under their backup names, and the restore
// brings them back byte for byte; nothing reaches the disk.
TEST(ClubFilesInMemory, BackupAndRestoreRoundTripThroughTheClubsOwnLayer) {
  store::MemoryFileLayer memory;
  const fs::path folder = "/clubs/elm", backup = "/backups/elm";
  memory.CreateFolder(folder);
  memory.CreateFolder(backup);
  ScriptedInteraction ui;
  FixedClock clock{DayNumberFromCivil({2026, 12, 7})};
  Books books(folder, ui, clock);
  ClubSession& club = books.Club();
  club.SetFileLayer(&memory);
  books.Open();
  ClubInfoFields fields = ClubSetupFields(club);
  fields.club = "Elm Street Investors";
  fields.year = "2026";
  ASSERT_TRUE(CommitClubSetup(club, fields));
  TMemberRec member;
  member.lname = "Smith";
  member.fname = "Ann";
  member.memid = 1;
  club.members.Put(member);
  books.Commit();
  auto closed_club_files = [&] {
    books.Close();
    std::map<std::string, std::string> files;
    for (const auto& [name, bytes] : memory.FilesUnder(folder)) {
      if (name.find('/') == std::string::npos && name != kViewStateFileName && name != kJournalFileName) {
        files[name] = bytes;
      }
    }
    books.Open();
    return files;
  };

  ASSERT_TRUE(books.Backup(backup));
  const std::map<std::string, std::string> backed_up = closed_club_files();
  std::map<std::string, std::string> expected_set;
  for (const auto& [name, bytes] : backed_up) expected_set[fs::path(name).replace_extension(".bck").string()] = bytes;
  EXPECT_EQ(memory.FilesUnder(backup), expected_set);

  member.memid = 2;
  member.lname = "Jones";
  club.members.Put(member);
  books.Commit();
  ASSERT_NE(closed_club_files(), backed_up);
  ASSERT_TRUE(books.Restore(backup));
  EXPECT_FALSE(club.members.Contains("_Jones, Ann"));
  EXPECT_EQ(closed_club_files(), backed_up);
  EXPECT_EQ(KeptFolders(memory, folder / kWorkingFolderName).size(), 1u);

  // A reset removes the statements it finds on the club's layer, and putting
  // the kept files back brings them again.
  memory.CreateFolder(folder);
  store::SaveFileAtomically(memory, folder / "V12312026.stm", "statement");
  ui.AnswerNext("This will remove all club data. Continue?", true);
  ASSERT_TRUE(books.Reset());
  EXPECT_FALSE(memory.Exists(folder / "V12312026.stm"));
  ASSERT_TRUE(books.BringBackKeptFiles());
  EXPECT_EQ(store::ReadWholeFile(memory, folder / "V12312026.stm"), "statement");
  books.Close();
  EXPECT_FALSE(fs::exists(folder));
}

}  // namespace
}  // namespace pellmark::testing
