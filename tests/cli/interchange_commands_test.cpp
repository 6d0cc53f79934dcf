// pellmark-cli backup, restore, reset, undo-restore, export and mail-labels:
// their exit statuses, messages and files, as scripts rely on them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "cli/cli_runner.h"
#include "support/temp_folder.h"

namespace pellmark::cli {
namespace {

namespace fs = std::filesystem;

class CliInterchangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    club = root.Path() / "club";
    backup = root.Path() / "backup";
    fs::create_directories(club);
    fs::create_directories(backup);
    ASSERT_EQ(Run({"init", "--name", "Elm", "--year", "2026", "--start-unit", "10"}).status, kDone);
    ASSERT_EQ(Run({"member", "add", "--last", "Smith", "--first", "Ann", "--email", "ann@example.com"}).status, kDone);
  }
  CliRun Run(std::vector<std::string> args) { return RunInClub(club, std::move(args)); }
  // The club's ten files with their bytes (a closed club).
  std::map<std::string, std::string> ClubBytes() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(club)) {
      if (!entry.is_regular_file() || entry.path().filename() == "clubstaten.qdb") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      files[entry.path().filename().string()].assign(std::istreambuf_iterator<char>(in), {});
    }
    return files;
  }
  std::string Read(const fs::path& file) const {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  pellmark::testing::TempFolder root;
  fs::path club, backup;
};

TEST_F(CliInterchangeTest, ABackupToAFolderNotYetMadeMakesItAndRestoresFromIt) {
  const fs::path fresh = root.Path() / "usb" / "elm-2026";
  const CliRun saved = Run({"backup", fresh.string()});
  ASSERT_EQ(saved.status, kDone) << saved.err;
  EXPECT_EQ(saved.err, "Club Data has been Backed up.\n");
  EXPECT_EQ(Read(fresh / "clubmem.bck"), Read(club / "clubmem.qdb"));
  const std::map<std::string, std::string> at_backup = ClubBytes();
  ASSERT_EQ(Run({"member", "add", "--last", "Jones", "--first", "Bob"}).status, kDone);
  ASSERT_EQ(Run({"restore", fresh.string()}).status, kDone);
  EXPECT_EQ(ClubBytes(), at_backup);
}

TEST_F(CliInterchangeTest, BackupRestoreAndUndoRestore) {
  const CliRun saved = Run({"backup", backup.string()});
  ASSERT_EQ(saved.status, kDone) << saved.err;
  EXPECT_EQ(saved.err, "Club Data has been Backed up.\n");
  const std::map<std::string, std::string> at_backup = ClubBytes();
  ASSERT_EQ(Run({"member", "add", "--last", "Jones", "--first", "Bob"}).status, kDone);
  const std::map<std::string, std::string> with_jones = ClubBytes();

  const CliRun restored = Run({"restore", backup.string()});
  ASSERT_EQ(restored.status, kDone) << restored.err;
  EXPECT_TRUE(
      restored.err.starts_with("Club Data has been Restored from Backup.\nThe club's files from before are kept in " +
                               (club / ".pellmark-work" / "kept-").string()))
      << restored.err;
  EXPECT_EQ(ClubBytes(), at_backup);

  const CliRun undone = Run({"undo-restore"});
  ASSERT_EQ(undone.status, kDone) << undone.err;
  EXPECT_EQ(ClubBytes(), with_jones);
}

TEST_F(CliInterchangeTest, AnEmptyFolderTakesAClubFromAWholeBackupSetOnly) {
  ASSERT_EQ(Run({"backup", backup.string()}).status, kDone);
  const std::map<std::string, std::string> at_backup = ClubBytes();
  const fs::path empty = root.Path() / "empty";
  fs::create_directories(empty);
  fs::copy(backup, root.Path() / "broken");
  fs::remove(root.Path() / "broken" / "clubcat.bck");
  const CliRun refused = RunInClub(empty, {"restore", (root.Path() / "broken").string()});
  EXPECT_EQ(refused.status, kRefused);
  EXPECT_EQ(refused.err,
            "Backup Restoral failed\n" + (root.Path() / "broken" / "clubcat.bck").string() + " is missing.\n");
  EXPECT_TRUE(fs::is_empty(empty));
  const CliRun restored = RunInClub(empty, {"restore", backup.string()});
  ASSERT_EQ(restored.status, kDone) << restored.err;
  club = empty;
  EXPECT_EQ(ClubBytes(), at_backup);
}

TEST_F(CliInterchangeTest, ABackupFolderThatCannotBeMadeIsRefusedWithTheReason) {
  std::ofstream(root.Path() / "plain") << "a file, not a folder";
  const CliRun run = Run({"backup", (root.Path() / "plain" / "set").string()});
  EXPECT_EQ(run.status, kRefused);
  EXPECT_EQ(run.err, "Data Backup failed\nCannot create folder " + (root.Path() / "plain" / "set").string() +
                         " (Not a directory)\n");
}

TEST_F(CliInterchangeTest, ATruncatedBackupFileRefusesTheRestoreAndTheClubStaysAsItWas) {
  ASSERT_EQ(Run({"backup", backup.string()}).status, kDone);
  ASSERT_EQ(Run({"member", "add", "--last", "Jones", "--first", "Bob"}).status, kDone);
  const std::map<std::string, std::string> before = ClubBytes();
  fs::resize_file(backup / "actrec.bck", 12);
  const CliRun run = Run({"restore", backup.string()});
  EXPECT_EQ(run.status, kRefused);
  EXPECT_EQ(run.err,
            "Backup Restoral failed\nThe file " + (backup / "actrec.bck").string() + " is not a valid QDB file\n");
  EXPECT_EQ(ClubBytes(), before);
}

TEST_F(CliInterchangeTest, ResetAsksFirst) {
  const std::map<std::string, std::string> before = ClubBytes();
  const CliRun unanswered = Run({"reset"});
  EXPECT_EQ(unanswered.status, kRefused);
  EXPECT_EQ(
      unanswered.err,
      "pellmark-cli: no answer to the question \"This will remove all club data. Continue?\" (use --yes or --no); nothing was recorded\n");
  EXPECT_EQ(Run({"--no", "reset"}).status, kRefused);
  EXPECT_EQ(ClubBytes(), before);
  const CliRun reset = Run({"--yes", "reset"});
  ASSERT_EQ(reset.status, kDone) << reset.err;
  EXPECT_FALSE(fs::exists(club / "clubinfo.qdb"));
  // The club is no longer set up.
  EXPECT_EQ(Run({"members"}).status, kRefused);
}

TEST_F(CliInterchangeTest, ExportAndMailLabelsWriteTheirFiles) {
  const fs::path exported = root.Path() / "pellmark95.txt";
  const CliRun run = Run({"export", exported.string()});
  ASSERT_EQ(run.status, kDone) << run.err;
  EXPECT_EQ(run.err, "Data has been exported to " + exported.string() + ".\n");
  EXPECT_TRUE(Read(exported).starts_with("V2.20\r\n*** clubmem.qdb ***\r\n"));
  const fs::path labels = root.Path() / "Maillabel.csv";
  ASSERT_EQ(Run({"mail-labels", labels.string()}).status, kDone);
  EXPECT_EQ(Read(labels),
            "\"last\",\"first\",\"address\",\"city\",\"state\",\"zip\",\"email\"\r\n"
            "\"Smith\",\"Ann\",\"\",\"\",\"\",\"\",\"ann@example.com\"\r\n");
  const CliRun refused = Run({"export", (root.Path() / "none" / "x.txt").string()});
  EXPECT_EQ(refused.status, kRefused);
  EXPECT_TRUE(refused.err.starts_with("Data Export failed\n")) << refused.err;
}

}  // namespace
}  // namespace pellmark::cli
