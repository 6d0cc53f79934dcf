#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <random>

#include "store/data_file_reader.h"
#include "store/failing_file_layer.h"
#include "store/posix_file_layer.h"
#include "store/qdb.h"
#include "store/store_test_support.h"

namespace pellmark::store {
namespace {

namespace fs = std::filesystem;
using testing::FailingFileLayer;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

std::string Pattern(std::size_t size, int seed) {
  std::string bytes;
  for (std::size_t i = 0; i < size; ++i) bytes.push_back(static_cast<char>((i * 31 + static_cast<std::size_t>(seed)) % 253));
  return bytes;
}

std::string ReadThrough(DataFileReader& reader, std::uint64_t offset, std::size_t size, bool* whole = nullptr) {
  std::string out(size, '\0');
  const bool got = reader.Read(offset, out);
  if (whole != nullptr) *whole = got;
  return out;
}

class DataFileReading : public ::testing::Test {
 protected:
  fs::path File() const { return folder_.Path() / "QDBdata"; }
  ScratchFolder folder_;
  FailingFileLayer files_;
};

TEST_F(DataFileReading, GivesTheFilesBytesWhereverTheyLie) {
  const std::string bytes = Pattern(200'000, 1);
  WriteBytes(File(), bytes);
  const FileHandle handle = files_.Open(File(), OpenMode::kRead);
  DataFileReader reader(files_, handle);
  for (std::uint64_t offset : {0UL, 4095UL, 4096UL, 123'457UL, 199'943UL}) {
    EXPECT_EQ(ReadThrough(reader, offset, 57), bytes.substr(offset, 57)) << offset;
  }
  EXPECT_EQ(files_.Maps(), 1);  // one view served every read
  bool whole = true;
  ReadThrough(reader, 199'990, 57, &whole);
  EXPECT_FALSE(whole);  // past the end of the file
  files_.Close(handle);
}

TEST_F(DataFileReading, BytesWrittenAfterTheViewAreReadToo) {
  WriteBytes(File(), Pattern(10'000, 2));
  const FileHandle handle = files_.Open(File(), OpenMode::kReadWrite);
  DataFileReader reader(files_, handle);
  EXPECT_EQ(ReadThrough(reader, 100, 10), Pattern(10'000, 2).substr(100, 10));
  const std::string added = Pattern(5'000, 3);
  files_.WriteAt(handle, 10'000, added);      // an item appended
  files_.WriteAt(handle, 100, "overwrite!");  // an item changed in place
  EXPECT_EQ(ReadThrough(reader, 10'000, 5'000), added);
  EXPECT_EQ(ReadThrough(reader, 100, 10), "overwrite!");
  files_.Close(handle);
}

TEST_F(DataFileReading, ItemsReadBackAsTheyAreAppendedDoNotRemapTheFileEachTime) {
  std::string bytes = Pattern(10'000, 6);
  WriteBytes(File(), bytes);
  const FileHandle handle = files_.Open(File(), OpenMode::kReadWrite);
  DataFileReader reader(files_, handle);
  EXPECT_EQ(ReadThrough(reader, 0, 57), bytes.substr(0, 57));
  constexpr int kItems = 200;
  for (int item = 0; item < kItems; ++item) {
    const std::string added = Pattern(57 + static_cast<std::size_t>(item), 100 + item);
    files_.WriteAt(handle, bytes.size(), added);
    ASSERT_EQ(ReadThrough(reader, bytes.size(), added.size()), added) << "item " << item;
    bytes += added;
  }
  // The first view, then one remap per kReadsPastViewBeforeRemap reads past it.
  EXPECT_EQ(files_.Maps(), 1 + kItems / (DataFileReader::kReadsPastViewBeforeRemap + 1));
  for (std::uint64_t offset : {0UL, 9'999UL, 10'000UL, bytes.size() - 60}) {
    EXPECT_EQ(ReadThrough(reader, offset, 57), bytes.substr(offset, 57)) << offset;
  }
  files_.Close(handle);
}

TEST_F(DataFileReading, ALayerThatCannotMapStillReads) {
  const std::string bytes = Pattern(50'000, 4);
  WriteBytes(File(), bytes);
  const FileHandle handle = files_.Open(File(), OpenMode::kRead);
  DataFileReader reader(files_, handle);
  files_.FailAt(2, ENOMEM);  // the size of the file, then the map
  EXPECT_EQ(ReadThrough(reader, 777, 57), bytes.substr(777, 57));
  EXPECT_EQ(files_.FailedOperation(), "map");
  files_.Close(handle);
}

TEST_F(DataFileReading, AFileCutShortUnderTheViewIsReportedNotACrash) {
  const std::string bytes = Pattern(100'000, 5);
  WriteBytes(File(), bytes);
  const FileHandle handle = files_.Open(File(), OpenMode::kRead);
  DataFileReader reader(files_, handle);
  EXPECT_EQ(ReadThrough(reader, 90'000, 57), bytes.substr(90'000, 57));
  ASSERT_EQ(::truncate(File().c_str(), 1000), 0);  // another program cuts the file
  bool whole = true;
  ReadThrough(reader, 90'000, 57, &whole);
  EXPECT_FALSE(whole);
  EXPECT_EQ(ReadThrough(reader, 10, 57), bytes.substr(10, 57));  // what is left still reads
  files_.Close(handle);
}

// The data working file of the store open in `folder`.
fs::path DataWorkingFile(const fs::path& folder) {
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().filename().string().starts_with("QDB")) return entry.path();
  }
  return {};
}

TEST(StoreReading, AWalkGivesEveryItemsBytesWhateverOrderTheyWereAddedIn) {
  ScratchFolder folder;
  std::vector<std::pair<std::string, std::string>> items;
  for (int i = 0; i < 5000; ++i) items.emplace_back("12_1999_" + std::to_string(100000 + i), Pattern(57, i));
  std::shuffle(items.begin(), items.end(), std::mt19937(7));
  {
    TQDB store;
    store.SetTempFolder(folder.Path());
    store.SetFileName(folder.Path() / "items.qdb");
    for (const auto& [key, data] : items) store.Add(data, key);
  }
  std::sort(items.begin(), items.end());
  TQDB store;
  store.SetCacheSize(1024);  // nearly every read goes to the data file
  store.SetTempFolder(folder.Path());
  store.SetFileName(folder.Path() / "items.qdb");
  EXPECT_EQ(store.GetDataAt(0), items[0].second);  // the view is made
  store.Store(items[10].first, "shorter");          // changed in place
  store.Store(items[20].first, Pattern(300, 99));  // moved to the end, beyond the view
  items[10].second = "shorter";
  items[20].second = Pattern(300, 99);
  store.SetCacheSize(1024);  // and forgotten by the cache
  store.First();
  for (std::size_t i = 0; i < items.size(); ++i, store.Next()) {
    ASSERT_EQ(store.Key(), items[i].first);
    ASSERT_EQ(store.GetDataString(), items[i].second) << items[i].first;
  }
}

TEST(StoreReading, ADataWorkingFileCutShortByAnotherProgramGivesTheStoresError) {
  ScratchFolder folder;
  TQDB store;
  store.SetTempFolder(folder.Path());
  store.SetFileName(folder.Path() / "items.qdb");
  for (int i = 0; i < 1000; ++i) store.Add(Pattern(57, i), "k" + std::to_string(1000 + i));
  store.SetCacheSize(1024);
  EXPECT_EQ(store.GetDataAt(999), Pattern(57, 999));  // the view is made
  ASSERT_EQ(::truncate(DataWorkingFile(folder.Path()).c_str(), 100), 0);
  try {
    store.GetDataAt(998);
    FAIL();
  } catch (const EQDBIndexError& error) {
    EXPECT_EQ(std::string(error.what()), "The file " + store.FileName().string() + " is not a valid QDB file");
  }
  store.SetReadOnly(true);  // nothing of this session is joined back
}

TEST(StoreReading, ADataWorkingFileOverwrittenByAnotherProgramGivesItsNewBytes) {
  ScratchFolder folder;
  TQDB store;
  store.SetTempFolder(folder.Path());
  store.SetFileName(folder.Path() / "items.qdb");
  store.Add("0123456789", "A");
  store.Add("abcdefghij", "B");
  store.SetCacheSize(1024);
  EXPECT_EQ(store.GetDataByKey("A"), "0123456789");
  store.SetCacheSize(1024);
  WriteBytes(DataWorkingFile(folder.Path()), "ZYXWVUTSRQ");  // emptied and rewritten, shorter
  EXPECT_EQ(store.GetDataByKey("A"), "ZYXWVUTSRQ");
  // Cut off inside the page that still exists: zeros, as the map shows them.
  EXPECT_EQ(store.GetDataByKey("B"), std::string(10, '\0'));
  store.SetReadOnly(true);
}

}  // namespace
}  // namespace pellmark::store
