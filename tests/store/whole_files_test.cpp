#include "store/whole_files.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "store/store_test_support.h"

namespace pellmark::store {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

TEST(WholeFiles, SavingCreatesOrReplacesTheFileAndLeavesNothingElse) {
  ScratchFolder folder;
  const auto file = folder.Path() / "state.qdb";
  SaveFileAtomically(DefaultFileLayer(), file, std::string_view("\x01\x00\x02", 3));
  EXPECT_EQ(ReadBytes(file), std::string("\x01\x00\x02", 3));
  SaveFileAtomically(DefaultFileLayer(), file, "");
  EXPECT_EQ(ReadBytes(file), "");
  EXPECT_EQ(folder.Files(), std::vector<std::string>{"state.qdb"});
}

TEST(WholeFiles, ANewFileLeftByADeadProgramIsWrittenOver) {
  ScratchFolder folder;
  const auto file = folder.Path() / "state.qdb";
  WriteBytes(file, "old");
  WriteBytes(folder.Path() / "state.qdb.new", "half of something much longer");
  SaveFileAtomically(DefaultFileLayer(), file, "new");
  EXPECT_EQ(ReadBytes(file), "new");
  EXPECT_EQ(folder.Files(), std::vector<std::string>{"state.qdb"});
}

TEST(WholeFiles, ReadingGivesEveryByteOrSaysWhyNot) {
  ScratchFolder folder;
  const auto file = folder.Path() / "marker";
  const std::string bytes("a\0b\xff", 4);
  WriteBytes(file, bytes);
  EXPECT_EQ(ReadWholeFile(DefaultFileLayer(), file), bytes);
  EXPECT_EQ(TryReadWholeFile(DefaultFileLayer(), file), bytes);

  const auto missing = folder.Path() / "missing";
  EXPECT_FALSE(TryReadWholeFile(DefaultFileLayer(), missing).has_value());
  try {
    ReadWholeFile(DefaultFileLayer(), missing);
    FAIL();
  } catch (const FileLayerError& error) {
    EXPECT_EQ(error.ErrorNumber(), ENOENT);
    EXPECT_EQ(std::string(error.what()), "open " + missing.string() + ": No such file or directory");
  }
  EXPECT_FALSE(TryReadWholeFile(DefaultFileLayer(), folder.Path()).has_value());  // a folder
}

}  // namespace
}  // namespace pellmark::store
