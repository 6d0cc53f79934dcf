// A set of files replaced together: after a failure, or a program that dies at
// any file call, and the next finish of the folder, the folder holds all the
// old files or all the new ones and nothing else.
#include "store/file_set.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <string>

#include "store/posix_file_layer.h"
#include "store/store_test_support.h"

namespace pellmark::store {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;
using Contents = std::map<std::string, std::string>;

Contents FolderContents(const fs::path& folder) {
  Contents contents;
  for (const auto& entry : fs::directory_iterator(folder)) {
    contents[entry.path().filename().string()] = ReadBytes(entry.path());
  }
  return contents;
}

const Contents kOld{{"clubmem.bck", "old members"}, {"memrec.bck", "old transactions"}, {"clubinfo.bck", "old"}};
const Contents kNew{{"clubmem.bck", "new members, more of them"}, {"memrec.bck", "new"}, {"clubinfo.bck", "new info"}};

void WriteSet(FileLayer& files, const fs::path& folder, const Contents& set) {
  FileSet replacement(files, folder);
  for (const auto& [name, bytes] : set) files.WriteAt(replacement.Stage(name), 0, bytes);
  replacement.Commit();
}

// The file layer of a program that dies at its n-th call that changes a file
// (or flushes one): that call and every later one fail, so nothing it would
// have done after reaches the disk.
class DyingFileLayer final : public PosixFileLayer {
 public:
  explicit DyingFileLayer(int dies_at) : dies_at_(dies_at) {}
  bool Died() const { return calls_ >= dies_at_; }

  FileHandle Open(const fs::path& path, OpenMode mode) override {
    if (mode != OpenMode::kRead) Call();
    return PosixFileLayer::Open(path, mode);
  }
  void WriteAt(FileHandle handle, std::uint64_t offset, std::span<const char> bytes) override {
    Call();
    PosixFileLayer::WriteAt(handle, offset, bytes);
  }
  void Flush(FileHandle handle) override {
    Call();
    PosixFileLayer::Flush(handle);
  }
  void FlushFolder(const fs::path& folder) override {
    Call();
    PosixFileLayer::FlushFolder(folder);
  }
  void Rename(const fs::path& from, const fs::path& to) override {
    Call();
    PosixFileLayer::Rename(from, to);
  }
  void Remove(const fs::path& path) override {
    Call();
    PosixFileLayer::Remove(path);
  }
  bool Exists(const fs::path& path) override {
    if (Died()) throw FileLayerError(EIO, path, "stat");
    return PosixFileLayer::Exists(path);
  }

 private:
  void Call() {
    if (++calls_ >= dies_at_) throw FileLayerError(EIO, "", "the program died");
  }
  int dies_at_;
  int calls_ = 0;
};

TEST(FileSet, CommitReplacesEveryTargetAndLeavesNothingElse) {
  ScratchFolder folder;
  for (const auto& [name, bytes] : kOld) WriteBytes(folder.Path() / name, bytes);
  WriteBytes(folder.Path() / "clubstk.bck", "not in the set");
  WriteSet(DefaultFileLayer(), folder.Path(), kNew);
  Contents expected = kNew;
  expected["clubstk.bck"] = "not in the set";
  EXPECT_EQ(FolderContents(folder.Path()), expected);
}

TEST(FileSet, ASetNotCommittedLeavesEveryTargetAsItWas) {
  ScratchFolder folder;
  for (const auto& [name, bytes] : kOld) WriteBytes(folder.Path() / name, bytes);
  {
    FileSet replacement(DefaultFileLayer(), folder.Path());
    for (const auto& [name, bytes] : kNew) DefaultFileLayer().WriteAt(replacement.Stage(name), 0, bytes);
  }
  EXPECT_EQ(FolderContents(folder.Path()), kOld);
}

TEST(FileSet, AProgramThatDiesAtAnyCallLeavesAllOldFilesOrAllNewOnes) {
  int tried = 0;
  for (int n = 1;; ++n) {
    ScratchFolder folder;
    for (const auto& [name, bytes] : kOld) WriteBytes(folder.Path() / name, bytes);
    DyingFileLayer dying(n);
    try {
      WriteSet(dying, folder.Path(), kNew);
    } catch (const FileLayerError&) {
      ASSERT_TRUE(dying.Died()) << "at call " << n;
    }
    if (!dying.Died()) {
      EXPECT_EQ(FolderContents(folder.Path()), kNew);
      break;
    }
    ++tried;
    FinishFileSet(DefaultFileLayer(), folder.Path());
    const Contents after = FolderContents(folder.Path());
    // The set is the new one from the write of the journal's text on, which
    // follows each file created and written, the journal made, each file
    // flushed and the folder flushed.
    const int journal_written = 3 * 2 + 1 + 3 + 1 + 1;
    EXPECT_EQ(after, n <= journal_written ? kOld : kNew) << "a program that died at call " << n;
  }
  // Then the journal's flush, three renames, the folder's flush and the journal's removal.
  EXPECT_EQ(tried, 3 * 2 + 1 + 3 + 1 + 1 + 1 + 3 + 1 + 1);
}

// The journal as a finished set leaves it on disk, for the set of tag 0123...
std::string JournalText() { return "pellmark file set 0123456789abcdef\nclubmem.bck\nmemrec.bck\nend\n"; }

TEST(FileSet, AJournalLeftByACrashIsFinishedAndOneCutShortIsNone) {
  const std::string journal = JournalText();
  for (std::size_t cut = 0; cut <= journal.size(); ++cut) {
    ScratchFolder folder;
    WriteBytes(folder.Path() / "clubmem.bck", "old members");
    WriteBytes(folder.Path() / "memrec.bck", "new transactions");  // renamed before the crash
    WriteBytes(folder.Path() / "clubmem.bck.0123456789abcdef.staged", "new members");
    WriteBytes(folder.Path() / kFileSetJournalName, journal.substr(0, cut));
    FinishFileSet(DefaultFileLayer(), folder.Path());
    const Contents expected{{"clubmem.bck", cut == journal.size() ? "new members" : "old members"},
                            {"memrec.bck", "new transactions"}};
    EXPECT_EQ(FolderContents(folder.Path()), expected) << "journal cut at " << cut;
  }
}

TEST(FileSet, AJournalOfAFinishedSetNeverTakesTheStagedFilesOfALaterOne) {
  // The removal of the journal did not outlive a crash, nor did the later
  // set get as far as its own journal.
  ScratchFolder folder;
  WriteBytes(folder.Path() / "clubmem.bck", "members");
  WriteBytes(folder.Path() / "memrec.bck", "transactions");
  WriteBytes(folder.Path() / "clubmem.bck.fedcba9876543210.staged", "half of the la");
  WriteBytes(folder.Path() / "memrec.bck.fedcba9876543210.staged", "");
  WriteBytes(folder.Path() / kFileSetJournalName, JournalText());
  WriteBytes(folder.Path() / "memrec.bck.notatag.staged", "a user's own file");
  FinishFileSet(DefaultFileLayer(), folder.Path());
  EXPECT_EQ(FolderContents(folder.Path()), (Contents{{"clubmem.bck", "members"},
                                                     {"memrec.bck", "transactions"},
                                                     {"memrec.bck.notatag.staged", "a user's own file"}}));
}

TEST(FileSet, AStagedFileThatCannotBeCreatedNamesItsTarget) {
  ScratchFolder folder;
  const fs::path missing = folder.Path() / "missing";
  FileSet replacement(DefaultFileLayer(), missing);
  try {
    replacement.Stage("clubmem.bck");
    FAIL() << "staged in a missing folder";
  } catch (const FileLayerError& error) {
    EXPECT_EQ(error.ErrorNumber(), ENOENT);
    EXPECT_EQ(error.Path(), missing / "clubmem.bck");
  }
}

}  // namespace
}  // namespace pellmark::store
