#include <gtest/gtest.h>

#include <cerrno>

#include "store/failing_file_layer.h"
#include "store/qdb.h"
#include "store/store_test_support.h"

namespace pellmark::store {
namespace {

using testing::FailingFileLayer;
using testing::Hex;
using testing::kTwoItemContainer;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

// One whole cycle of a store's life: open, change, save, pack, close.
void RunCycle(TQDB& store, const std::filesystem::path& name) {
  store.SetFileName(name);
  store.Store("A", "grown beyond its old size");
  store.Add("new item", "C");
  store.SaveIndex();
  store.FindKey("B");
  store.DeleteCurrent();
  store.Pack();
  store.Close();
}

std::vector<std::string> Contents(const std::filesystem::path& name) {
  TQDB store;
  store.SetFileName(name);
  std::vector<std::string> items;
  for (int i = 0; i < store.Count(); ++i) items.push_back(store.GetKeyAt(i) + "=" + store.GetDataAt(i));
  return items;
}

class FaultInjection : public ::testing::TestWithParam<int> {};

TEST_P(FaultInjection, EveryFailingCallLeavesTheOldOrTheNewContainer) {
  const std::string old_container = Hex(kTwoItemContainer);
  std::string new_container;
  {
    ScratchFolder folder;
    WriteBytes(folder.Path() / "s.qdb", old_container);
    TQDB store;
    store.SetTempFolder(folder.Path() / "work");
    RunCycle(store, folder.Path() / "s.qdb");
    new_container = ReadBytes(folder.Path() / "s.qdb");
  }
  const std::vector<std::string> old_items{"A=xy", "B=z"};
  const std::vector<std::string> new_items{"A=grown beyond its old size", "C=new item"};

  int failures = 0;
  for (int n = 1;; ++n) {
    ScratchFolder folder;
    const auto name = folder.Path() / "s.qdb";
    const auto work = folder.Path() / "work";
    std::filesystem::create_directory(work);
    WriteBytes(name, old_container);
    FailingFileLayer files;
    files.FailAt(n, GetParam());
    {
      TQDB store;
      store.SetFileLayer(&files);
      store.SetTempFolder(work);
      try {
        RunCycle(store, name);
      } catch (const EQDBError& error) {
        ++failures;
        // The program gives up on this session: nothing more is joined.
        store.SetReadOnly(true);
      }
    }
    const std::string after = ReadBytes(name);
    EXPECT_TRUE(after == old_container || after == new_container) << "call " << n;
    const std::vector<std::string> items = Contents(name);  // joins what a failed close left
    EXPECT_TRUE(items == old_items || items == new_items) << "call " << n;
    const std::string settled = ReadBytes(name);
    EXPECT_TRUE(settled == old_container || settled == new_container) << "call " << n;
    // Only a removal that itself failed may leave a file behind.
    if (files.FailedOperation() != "remove") {
      EXPECT_EQ(folder.Files(), std::vector<std::string>{"s.qdb"}) << "call " << n;
      EXPECT_TRUE(std::filesystem::is_empty(work)) << "call " << n;
    }
    if (!files.Failed()) break;
  }
  EXPECT_GT(failures, 30);
}

INSTANTIATE_TEST_SUITE_P(Errors, FaultInjection, ::testing::Values(EIO, ENOSPC),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param == EIO ? std::string("EIO") : std::string("ENOSPC");
                         });

TEST(FaultMessages, AFullDiskAndAMissingTemporaryNameSayWhatHappened) {
  ScratchFolder folder;
  const auto name = folder.Path() / "s.qdb";
  WriteBytes(name, Hex(kTwoItemContainer));
  FailingFileLayer files;
  TQDB store;
  store.SetFileLayer(&files);
  store.SetTempFolder(folder.Path());
  store.SetFileName(name);
  files.FailAt(2, ENOSPC);  // the size of the data file, then the write
  try {
    store.Add("data", "K");
    FAIL();
  } catch (const EQDBFileError& error) {
    EXPECT_STREQ(error.what(), "The drive is full");
  }
  EXPECT_FALSE(store.FindKey("K"));
  EXPECT_EQ(store.Count(), 2);
  files.FailAt(1, EIO);
  try {
    store.Add("data", "K");
    FAIL();
  } catch (const EQDBFileError& error) {
    EXPECT_EQ(std::string(error.what()), "The file " + name.string() + " is not a valid QDB file");
  }
  store.Add("data", "K");
  files.FailAt(1, EMFILE);  // the "QDT" name for the new index
  try {
    store.SaveIndex();
    FAIL();
  } catch (const EQDBIndexError& error) {
    EXPECT_STREQ(error.what(), "Could not create a necessary temporary file");
  }
  EXPECT_TRUE(store.Modified());
  store.FindKey("A");
  files.FailAt(1, EIO);  // the end of the data file, for the grown item
  try {
    store.Change("longer than xy");
    FAIL();
  } catch (const EQDBFileError& error) {
    EXPECT_EQ(std::string(error.what()), "Unable to extend the file " + name.string());
  }
  EXPECT_EQ(store.GetDataString(), "xy");
}

}  // namespace
}  // namespace pellmark::store
