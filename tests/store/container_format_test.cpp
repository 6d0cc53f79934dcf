#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>

#include "store/container_format.h"
#include "store/qdb.h"
#include "store/store_test_support.h"

namespace pellmark::store {
namespace {

using testing::Hex;
using testing::kTwoItemContainer;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

class ContainerFormat : public ::testing::Test {
 protected:
  std::filesystem::path Store(const char* name) const { return folder_.Path() / name; }
  std::filesystem::path Work() const { return folder_.Path() / "work"; }
  void SetUp() override { std::filesystem::create_directory(Work()); }
  // The working folder must be empty again after every open and close.
  std::size_t WorkingFilesLeft() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(Work()), {}));
  }
  ScratchFolder folder_;
};

TEST_F(ContainerFormat, AnEmptyContainerIs21BytesAndClosesTo20) {
  const auto name = Store("empty.qdb");
  CreateEmpty(DefaultFileLayer(), name);
  EXPECT_EQ(ReadBytes(name), Hex("51444200 00000000 51495800 05000000 00000000 00"));
  EXPECT_EQ(ReadBytes(name).size(), 21u);

  TQDB store;
  store.SetTempFolder(Work());
  store.SetFileName(name);
  EXPECT_TRUE(store.Active());
  EXPECT_EQ(store.Count(), 0);
  EXPECT_EQ(store.Key(), "");
  store.Close();
  EXPECT_EQ(ReadBytes(name), Hex("51444200 00000000 51495800 04000000 00000000"));
  EXPECT_EQ(WorkingFilesLeft(), 0u);
}

TEST_F(ContainerFormat, OpeningAMissingFileCreatesItWithQdbAddedWhenThereIsNoExtension) {
  TQDB store;
  store.SetTempFolder(Work());
  store.SetFileName(Store("members"));
  EXPECT_EQ(store.FileName(), Store("members.QDB"));
  EXPECT_EQ(ReadBytes(Store("members.QDB")).size(), 21u);
}

TEST_F(ContainerFormat, AHandWrittenContainerOpensAndClosesUnchanged) {
  const auto name = Store("two.qdb");
  WriteBytes(name, Hex(kTwoItemContainer));
  TQDB store;
  store.SetTempFolder(Work());
  store.SetFileName(name);
  ASSERT_EQ(store.Count(), 2);
  EXPECT_EQ(store.Key(), "A");
  EXPECT_EQ(store.GetDataString(), "xy");
  EXPECT_EQ(store.GetDataAt(1), "z");
  EXPECT_EQ(WorkingFilesLeft(), 2u);  // the data and index working files
  store.Close();
  EXPECT_EQ(ReadBytes(name), Hex(kTwoItemContainer));
  EXPECT_EQ(WorkingFilesLeft(), 0u);
}

TEST_F(ContainerFormat, WritersPutAdministrativeEntriesFirstAndEveryGroupInDescendingOrder) {
  const auto name = Store("order.qdb");
  {
    TQDB store;
    store.SetTempFolder(Work());
    store.SetFileName(name);
    store.Add("1", "b");
    store.Add("22", "A");
    store.Add("333", "c");
  }
  EXPECT_EQ(ReadBytes(name), Hex("51444200 06000000 313232333333"
                                 " 51495800 2E000000 03000000"
                                 " 6300 03000000 03000000 00000000"
                                 " 6200 00000000 01000000 00000000"
                                 " 4100 01000000 02000000 00000000"));
}

TEST_F(ContainerFormat, TheCaseSensitiveItemIsHiddenAndMakesKeysCaseSensitive) {
  // The administrative key is easier to spell than to write in hex.
  std::string index = Hex("03000000");
  index += std::string("QDBCaseSensitive") + '\0' + Hex("00000000 01000000 01000000");
  index += std::string("b") + '\0' + Hex("02000000 01000000 00000000");
  index += std::string("a") + '\0' + Hex("01000000 01000000 00000000");
  ASSERT_EQ(index.size(), 0x3Du);
  const std::string container = Hex("51444200 03000000 017879 51495800 3D000000") + index;
  const auto name = Store("case.qdb");
  WriteBytes(name, container);

  TQDB store;
  store.SetTempFolder(Work());
  store.SetFileName(name);
  EXPECT_TRUE(store.CaseSensitive());
  EXPECT_EQ(store.Count(), 2);
  EXPECT_EQ(store.Key(), "a");
  EXPECT_TRUE(store.FindKey("a"));
  EXPECT_FALSE(store.FindKey("A"));
  EXPECT_EQ(store.GetDataByKey("b"), "y");
  std::vector<std::string> keys;
  store.GetKeys(keys);
  EXPECT_EQ(keys, (std::vector<std::string>{"a", "b"}));
  store.Close();
  EXPECT_EQ(ReadBytes(name), container);
}

TEST_F(ContainerFormat, WithoutTheCaseSensitiveItemKeysIgnoreLetterCase) {
  const auto name = Store("two.qdb");
  WriteBytes(name, Hex(kTwoItemContainer));
  TQDB store;
  store.SetTempFolder(Work());
  store.SetFileName(name);
  EXPECT_FALSE(store.CaseSensitive());
  EXPECT_TRUE(store.FindKey("b"));
  EXPECT_EQ(store.Key(), "B");
}

TEST_F(ContainerFormat, AnAscendingIndexFromAnotherWriterIsSortedOnceAndStaysSearchable) {
  const auto name = Store("ascending.qdb");
  WriteBytes(name, Hex("51444200 03000000 78797a"
                       " 51495800 20000000 02000000"
                       " 4100 00000000 02000000 00000000"
                       " 4200 02000000 01000000 00000000"));
  TQDB store;
  store.SetTempFolder(Work());
  store.SetFileName(name);
  EXPECT_EQ(store.GetKeyAt(0), "A");
  EXPECT_EQ(store.GetKeyAt(1), "B");
  EXPECT_EQ(store.GetDataByKey("a"), "xy");
  EXPECT_EQ(store.GetDataByKey("B"), "z");
  store.Close();
  EXPECT_EQ(ReadBytes(name), Hex(kTwoItemContainer));  // written back in the binding order
}

TEST_F(ContainerFormat, BytesAfterTheIndexSectionAreIgnored) {
  const auto name = Store("padded.qdb");
  WriteBytes(name, Hex(kTwoItemContainer) + Hex("DEADBEEF 00"));
  TQDB store;
  store.SetTempFolder(Work());
  store.SetFileName(name);
  EXPECT_EQ(store.Count(), 2);
  store.Close();
  EXPECT_EQ(ReadBytes(name), Hex(kTwoItemContainer));
}

struct BadContainer {
  const char* what;
  std::string bytes;
};

class BadContainers : public ContainerFormat, public ::testing::WithParamInterface<BadContainer> {};

TEST_P(BadContainers, AreRefusedWithNothingLeftBehindAndTheFileUnchanged) {
  const auto name = Store("bad.qdb");
  WriteBytes(name, GetParam().bytes);
  TQDB store;
  store.SetTempFolder(Work());
  try {
    store.SetFileName(name);
    FAIL() << "opened " << GetParam().what;
  } catch (const EQDBError& error) {
    EXPECT_EQ(std::string(error.what()), "The file " + name.string() + " is not a valid QDB file");
  }
  EXPECT_FALSE(store.Active());
  EXPECT_EQ(store.FileName(), "");
  EXPECT_EQ(WorkingFilesLeft(), 0u);
  EXPECT_EQ(ReadBytes(name), GetParam().bytes);
  EXPECT_EQ(folder_.Files(), std::vector<std::string>{"bad.qdb"});  // no marker either
}

std::string TwoItems() { return Hex(kTwoItemContainer); }

INSTANTIATE_TEST_SUITE_P(
    Rejected, BadContainers,
    ::testing::Values(
        BadContainer{"an empty file", ""},
        BadContainer{"a wrong first marker", Hex("51444201") + TwoItems().substr(4)},
        BadContainer{"lower-case marker", Hex("71646200") + TwoItems().substr(4)},
        BadContainer{"a wrong index marker", TwoItems().substr(0, 11) + Hex("51495900") + TwoItems().substr(15)},
        BadContainer{"a truncated index", TwoItems().substr(0, TwoItems().size() - 1)},
        BadContainer{"a truncated data section", TwoItems().substr(0, 9)},
        BadContainer{"a negative data length", Hex("51444200 FFFFFFFF 51495800 04000000 00000000")},
        BadContainer{"a data length past the end", Hex("51444200 7F000000 51495800 04000000 00000000")},
        BadContainer{"a negative index length", Hex("51444200 00000000 51495800 FCFFFFFF 00000000")},
        BadContainer{"an entry past the data", Hex("51444200 01000000 41 51495800 11000000 01000000"
                                                    " 4100 00000000 02000000 00000000")},
        BadContainer{"a negative offset", Hex("51444200 01000000 41 51495800 11000000 01000000"
                                               " 4100 FFFFFFFF 01000000 00000000")},
        BadContainer{"a count too large", Hex("51444200 00000000 51495800 04000000 FFFFFF7F")},
        BadContainer{"a negative count", Hex("51444200 00000000 51495800 04000000 FFFFFFFF")},
        BadContainer{"a key without its zero byte", Hex("51444200 00000000 51495800 10000000 01000000"
                                                         " 41414141 41414141 41414141")},
        BadContainer{"a compressed item", Hex("51444200 01000000 41 51495800 11000000 01000000"
                                               " 4100 00000000 01000000 02000000")},
        BadContainer{"unknown flags", Hex("51444200 01000000 41 51495800 11000000 01000000"
                                           " 4100 00000000 01000000 08000000")},
        BadContainer{"a password block", Hex("51444200 51505700") + std::string(20, 'p') +
                                              Hex("00000000 51495800 04000000 00000000")}),
    [](const ::testing::TestParamInfo<BadContainer>& info) {
      std::string name;
      for (const char* c = info.param.what; *c != 0; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
      return name;
    });

TEST_F(ContainerFormat, ALongKeyIsRefused) {
  std::string index = Hex("01000000") + std::string(256, 'k') + '\0' + Hex("00000000 00000000 00000000");
  std::string container = Hex("51444200 00000000 51495800");
  container += Hex("0D010000") + index;
  const auto name = Store("long.qdb");
  WriteBytes(name, container);
  TQDB store;
  store.SetTempFolder(Work());
  EXPECT_THROW(store.SetFileName(name), EQDBIndexError);
  EXPECT_EQ(WorkingFilesLeft(), 0u);
}

TEST_F(ContainerFormat, FreeOverwriteNamesPutOneDotInFrontAgainAndAgain) {
  const auto name = Store("clubmem.qdb");
  EXPECT_EQ(FreeOverwriteName(DefaultFileLayer(), name), name);
  WriteBytes(name, "x");
  EXPECT_EQ(FreeOverwriteName(DefaultFileLayer(), name), Store("1.clubmem.qdb"));
  WriteBytes(Store("1.clubmem.qdb"), "x");
  EXPECT_EQ(FreeOverwriteName(DefaultFileLayer(), name), Store("1.1.clubmem.qdb"));
}

TEST_F(ContainerFormat, TheIndexWorkingFileSharesTheDataFilesName) {
  EXPECT_EQ(IndexNameFor("/tmp/work/QDBa1B2c3"), std::filesystem::path("/tmp/work/QIXa1B2c3"));
}

TEST_F(ContainerFormat, AMissingTempFolderFallsBackToTheSystemOne) {
  EXPECT_EQ(WorkingFolder(DefaultFileLayer(), Work()), Work());
  EXPECT_EQ(WorkingFolder(DefaultFileLayer(), Work() / "missing"), std::filesystem::temp_directory_path());
  EXPECT_EQ(WorkingFolder(DefaultFileLayer(), {}), std::filesystem::temp_directory_path());
}

// Copies `bytes` from `source` (from its fourth byte) to five bytes into an empty `target`.
std::string CopiedFrom(const std::filesystem::path& source, const std::filesystem::path& target,
                       const std::string& bytes) {
  FileLayer& files = DefaultFileLayer();
  WriteBytes(source, bytes);
  WriteBytes(target, "");
  const FileHandle from = files.Open(source, OpenMode::kRead);
  const FileHandle to = files.Open(target, OpenMode::kReadWrite);
  CopyBytes(files, from, 3, to, 5, bytes.size() - 3);
  files.Close(from);
  files.Close(to);
  return ReadBytes(target);
}

std::string ManyBytes() {
  std::string bytes;
  for (int i = 0; i < 1'100'000; ++i) bytes.push_back(static_cast<char>(i * 7 % 251));
  return bytes;
}

TEST_F(ContainerFormat, CopiesMoveEveryByte) {
  const std::string bytes = ManyBytes();
  EXPECT_TRUE(CopiedFrom(Store("source"), Store("target"), bytes) == std::string(5, '\0') + bytes.substr(3));
}

TEST_F(ContainerFormat, ACopyPastTheEndOfItsSourceFails) {
  FileLayer& files = DefaultFileLayer();
  WriteBytes(Store("source"), "abc");
  WriteBytes(Store("target"), "");
  const FileHandle from = files.Open(Store("source"), OpenMode::kRead);
  const FileHandle to = files.Open(Store("target"), OpenMode::kReadWrite);
  EXPECT_EQ(files.CopyRange(from, 1, to, 0, 5), 2U);
  EXPECT_THROW(CopyBytes(files, from, 1, to, 0, 5), FileLayerError);
  files.Close(from);
  files.Close(to);
  EXPECT_EQ(ReadBytes(Store("target")), "bc");
}

TEST_F(ContainerFormat, CopiesBetweenFileSystemsGoThroughABufferAcrossItsBoundaries) {
  // Memory-backed /dev/shm and the scratch folder's disk are two file systems
  // the kernel will not copy between, so the layer falls back to its buffer.
  const std::filesystem::path shm = "/dev/shm";
  if (!std::filesystem::is_directory(shm)) GTEST_SKIP() << "no /dev/shm on this system";
  const std::filesystem::path source = shm / ("pellmark-copy-" + std::to_string(::getpid()));
  const std::string bytes = ManyBytes();
  const std::string copied = CopiedFrom(source, Store("target"), bytes);
  std::filesystem::remove(source);
  EXPECT_TRUE(copied == std::string(5, '\0') + bytes.substr(3));
}

}  // namespace
}  // namespace pellmark::store
