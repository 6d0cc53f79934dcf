#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>

#include "store/failing_file_layer.h"
#include "store/index_codec.h"
#include "store/open_marker.h"
#include "store/qdb.h"
#include "store/store_test_support.h"

namespace pellmark::store {
namespace {

namespace fs = std::filesystem;
using testing::FailingFileLayer;
using testing::Hex;
using testing::kTwoItemContainer;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

class Recovery : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directory(work_); }

  // Opens the store file as the club does, keeping every recovery report.
  void OpenCollectingReports(TQDB& store, std::vector<RecoveryReport>& reports) {
    store.OnRecovery = [&reports](TQDB&, const RecoveryReport& report) { reports.push_back(report); };
    store.SetTempFolder(work_);
    store.SetFileName(name_);
  }

  ScratchFolder folder_;
  fs::path name_ = folder_.Path() / "clubmem.qdb";
  fs::path work_ = folder_.Path() / ".pellmark-work";
};

TEST_F(Recovery, AKilledProgramLosesNothingItsSavedIndexHeld) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    try {
      TQDB store;
      store.SetTempFolder(work_);
      store.SetFileName(name_);
      for (int i = 0; i < 50; ++i) store.Add("item " + std::to_string(i), "key" + std::to_string(100 + i));
      store.SaveIndex();
      store.Add("never saved", "key999");
      if (write(ready[1], "k", 1) != 1) _exit(2);
      pause();
    } catch (...) {
      _exit(1);
    }
    _exit(0);
  }
  close(ready[1]);
  char signal_byte = 0;
  ASSERT_EQ(read(ready[0], &signal_byte, 1), 1);
  close(ready[0]);
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  ASSERT_EQ(ReadBytes(name_).size(), 21u);  // the store file is still the empty container
  ASSERT_TRUE(fs::exists(folder_.Path() / ".clubmem.qdb.open"));

  std::vector<RecoveryReport> reports;
  TQDB store;
  OpenCollectingReports(store, reports);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_TRUE(reports[0].joined);
  EXPECT_EQ(reports[0].problem, "");
  EXPECT_EQ(reports[0].data_file.parent_path(), work_);
  EXPECT_EQ(store.Count(), 50);
  EXPECT_EQ(store.GetDataByKey("key149"), "item 49");
  EXPECT_FALSE(store.FindKey("key999"));
  store.Close();
  EXPECT_FALSE(fs::exists(folder_.Path() / ".clubmem.qdb.open"));
  EXPECT_TRUE(fs::is_empty(work_));
}

TEST_F(Recovery, ASavedIndexGoesToANewFileThatTheMarkerNamesInPlaceOfTheOld) {
  const fs::path marker = folder_.Path() / ".clubmem.qdb.open";
  TQDB store;
  store.SetTempFolder(work_);
  store.SetFileName(name_);
  const std::string before = ReadBytes(marker);
  const std::optional<WorkingFiles> old = ReadOpenMarker(DefaultFileLayer(), marker);
  ASSERT_TRUE(old);
  store.Add("x", "k");
  store.SaveIndex();

  const std::string after = ReadBytes(marker);
  const std::optional<WorkingFiles> now = ReadOpenMarker(DefaultFileLayer(), marker);
  ASSERT_TRUE(now);
  EXPECT_EQ(after.size(), before.size());
  EXPECT_EQ(now->data, old->data);
  EXPECT_NE(now->index, old->index);
  EXPECT_EQ(now->index.parent_path(), work_);
  EXPECT_FALSE(fs::exists(old->index));
  EXPECT_EQ(ReadBytes(now->index), Hex("01000000 6b00 00000000 01000000 00000000"));
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(work_)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<fs::path>{now->data, now->index}));
}

TEST_F(Recovery, AFailureAtAnyStepOfASaveLeavesAMarkerNamingAConsistentIndex) {
  const fs::path marker = folder_.Path() / ".clubmem.qdb.open";
  int failures = 0;
  for (int n = 1;; ++n) {
    FailingFileLayer files;
    TQDB store;
    store.SetFileLayer(&files);
    store.SetTempFolder(work_);
    store.SetFileName(name_);
    store.Add("first", "a");
    store.SaveIndex();
    store.Add("second", "b");
    files.FailAt(n, EIO);
    bool refused = false;
    try {
      store.SaveIndex();
    } catch (const EQDBError&) {
      refused = true;
      ++failures;
    }
    const bool done = !files.Failed();
    files.FailAt(0, EIO);
    // As a program that died here would leave it: what the next open checks.
    const std::optional<WorkingFiles> working = ReadOpenMarker(files, marker);
    ASSERT_TRUE(working) << "call " << n;
    EXPECT_EQ(CheckWorkingFiles(files, *working), "") << "call " << n;
    const std::size_t saved = DecodeIndex(ReadBytes(working->index), fs::file_size(working->data)).ordinary[0].size();
    EXPECT_EQ(saved, refused ? 1u : 2u) << "call " << n;
    store.SetSaveOnClose(false);
    store.SetReadOnly(true);
    store.Close();
    fs::remove(name_);
    fs::remove_all(work_);
    fs::create_directory(work_);
    if (done) break;
  }
  EXPECT_GE(failures, 3);
}

TEST_F(Recovery, InconsistentWorkingFilesAreReportedAndLeftAlone) {
  WriteBytes(name_, Hex(kTwoItemContainer));
  const fs::path data = work_ / "QDBabcdef";
  const fs::path index = work_ / "QIXabcdef";
  WriteBytes(data, "xy");
  WriteBytes(index, Hex("01000000 4300 00000000 09000000 00000000"));  // 9 bytes of a 2-byte file
  WriteBytes(folder_.Path() / ".clubmem.qdb.open",
             "pellmark store working files\ndata=" + data.string() + "\nindex=" + index.string() + "\n");

  std::vector<RecoveryReport> reports;
  TQDB store;
  OpenCollectingReports(store, reports);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_FALSE(reports[0].joined);
  EXPECT_EQ(reports[0].problem, "the index working file is not consistent: an entry lies outside the data");
  EXPECT_EQ(reports[0].marker_file, folder_.Path() / ".clubmem.qdb.open.unrecovered");
  EXPECT_EQ(store.Count(), 2);  // the store itself opened as it was
  store.Close();
  EXPECT_EQ(ReadBytes(name_), Hex(kTwoItemContainer));
  EXPECT_TRUE(fs::exists(data));
  EXPECT_TRUE(fs::exists(index));
  EXPECT_TRUE(fs::exists(reports[0].marker_file));
}

TEST_F(Recovery, AMarkerNamingMissingFilesIsReported) {
  WriteBytes(work_ / "QIXx", "");
  WriteBytes(folder_.Path() / ".clubmem.qdb.open",
             "pellmark store working files\ndata=/nowhere/QDBx\nindex=" + (work_ / "QIXx").string() + "\n");
  std::string problem;
  TQDB store;
  store.OnRecovery = [&](TQDB&, const RecoveryReport& report) { problem = report.problem; };
  store.SetTempFolder(work_);
  store.SetFileName(name_);
  EXPECT_EQ(problem, "the working file /nowhere/QDBx is missing");
  EXPECT_TRUE(fs::exists(folder_.Path() / ".clubmem.qdb.open.unrecovered"));
}

TEST_F(Recovery, AMarkerWhoseWorkingFilesAreBothGoneIsReportedAndRemoved) {
  WriteBytes(folder_.Path() / ".clubmem.qdb.open", "pellmark store working files\ndata=/nowhere/QDBx\nindex=/nowhere/QIXx\n");
  std::string problem;
  TQDB store;
  store.OnRecovery = [&](TQDB&, const RecoveryReport& report) { problem = report.problem; };
  store.SetTempFolder(work_);
  store.SetFileName(name_);
  EXPECT_EQ(problem, "both working files are gone");
  store.Close();
  EXPECT_EQ(folder_.Files(), std::vector<std::string>{"clubmem.qdb"});
}

TEST_F(Recovery, AFailedCloseKeepsItsWorkingFilesForTheNextOpen) {
  WriteBytes(name_, Hex(kTwoItemContainer));
  FailingFileLayer files;
  {
    TQDB store;
    store.SetFileLayer(&files);
    store.SetTempFolder(work_);
    store.SetFileName(name_);
    store.Add("kept", "C");
    files.FailAt(1, ENOSPC);  // the "QDT" name at close: the full disk is named as such
    EXPECT_THROW(store.Close(), EQDBFileError);
    EXPECT_FALSE(store.Active());
  }
  EXPECT_EQ(ReadBytes(name_), Hex(kTwoItemContainer));
  TQDB store;
  bool joined = false;
  store.OnRecovery = [&](TQDB&, const RecoveryReport& report) { joined = report.joined; };
  store.SetTempFolder(work_);
  store.SetFileName(name_);
  EXPECT_TRUE(joined);
  // The add was never saved: the index at open came back, the store is whole.
  EXPECT_EQ(store.Count(), 2);
}

TEST_F(Recovery, AStoreFileChangedByAnotherProgramIsNotOverwritten) {
  WriteBytes(name_, Hex(kTwoItemContainer));
  TQDB store;
  store.SetTempFolder(work_);
  store.SetFileName(name_);
  store.Add("mine", "C");
  const std::string theirs = Hex("51444200 00000000 51495800 04000000 00000000");
  WriteBytes(name_, theirs);
  fs::last_write_time(name_, fs::last_write_time(name_) + std::chrono::seconds(5));
  WriteBytes(folder_.Path() / "1.clubmem.qdb", "in the way");
  bool asked = false;
  store.BeforeOverWrite = [&](TQDB&, bool& ok) {
    asked = true;
    EXPECT_FALSE(ok);
  };
  store.Close();
  EXPECT_TRUE(asked);
  EXPECT_EQ(ReadBytes(name_), theirs);
  EXPECT_EQ(ReadBytes(folder_.Path() / "1.clubmem.qdb"), "in the way");
  store.SetFileName(folder_.Path() / "1.1.clubmem.qdb");
  EXPECT_EQ(store.Count(), 3);
  EXPECT_EQ(store.GetDataByKey("C"), "mine");
}

TEST_F(Recovery, AnAllowedOverwriteReplacesTheChangedFile) {
  WriteBytes(name_, Hex(kTwoItemContainer));
  TQDB store;
  store.SetTempFolder(work_);
  store.SetFileName(name_);
  store.Add("mine", "C");
  WriteBytes(name_, "changed elsewhere");
  fs::last_write_time(name_, fs::last_write_time(name_) + std::chrono::seconds(5));
  store.BeforeOverWrite = [](TQDB&, bool& ok) { ok = true; };
  store.Close();
  EXPECT_EQ(folder_.Files(), std::vector<std::string>{"clubmem.qdb"});
  store.SetFileName(name_);
  EXPECT_EQ(store.Count(), 3);
}

TEST_F(Recovery, AReadOnlyFileIsNeverJoinedBack) {
  WriteBytes(name_, Hex(kTwoItemContainer));
  FailingFileLayer files;
  files.MarkUnwritable(name_);
  TQDB store;
  store.SetFileLayer(&files);
  store.SetTempFolder(work_);
  store.SetFileName(name_);
  EXPECT_TRUE(store.ReadOnly());
  EXPECT_THROW(store.Add("x", "C"), EQDBReadOnly);
  EXPECT_EQ(store.GetDataByKey("A"), "xy");
  EXPECT_EQ(folder_.Files(), std::vector<std::string>{"clubmem.qdb"});  // no marker for a read-only store
  const auto before = fs::last_write_time(name_);
  store.Close();
  EXPECT_FALSE(store.ReadOnly());
  EXPECT_EQ(fs::last_write_time(name_), before);
  EXPECT_EQ(ReadBytes(name_), Hex(kTwoItemContainer));
  EXPECT_TRUE(fs::is_empty(work_));
}

TEST_F(Recovery, AStoreInAReadOnlyFolderOpensReadOnly) {
  WriteBytes(name_, Hex(kTwoItemContainer));
  fs::permissions(folder_.Path(), fs::perms::owner_read | fs::perms::owner_exec);
  if (access(folder_.Path().c_str(), W_OK) == 0) {
    fs::permissions(folder_.Path(), fs::perms::owner_all);
    GTEST_SKIP() << "running as a user whom permission bits do not stop (root): a read-only folder cannot be made";
  }
  TQDB store;
  store.SetTempFolder(work_);
  store.SetFileName(name_);
  EXPECT_TRUE(store.ReadOnly());
  EXPECT_EQ(store.Count(), 2);
  EXPECT_THROW(store.Add("x", "C"), EQDBReadOnly);
  store.Close();
  fs::permissions(folder_.Path(), fs::perms::owner_all);
  EXPECT_EQ(ReadBytes(name_), Hex(kTwoItemContainer));
}

}  // namespace
}  // namespace pellmark::store
