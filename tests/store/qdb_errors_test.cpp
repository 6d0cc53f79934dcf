#include <gtest/gtest.h>

#include <cerrno>
#include <type_traits>

#include "store/qdb.h"
#include "store/store_test_support.h"

namespace pellmark::store {
namespace {

using testing::ScratchFolder;

template <class Error, class Action>
std::string MessageOf(Action&& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.what();
  }
  return "(nothing raised)";
}

TEST(QdbErrorClasses, FollowTheFamilyTree) {
  static_assert(std::is_base_of_v<std::runtime_error, EQDBError>);
  static_assert(std::is_base_of_v<EQDBError, EQDBListError>);
  static_assert(std::is_base_of_v<EQDBError, EQDBFileError>);
  static_assert(std::is_base_of_v<EQDBError, EQDBInvalidPW>);
  static_assert(std::is_base_of_v<EQDBError, EQDBNoCompress>);
  static_assert(std::is_base_of_v<EQDBError, EQDBBadKey>);
  static_assert(std::is_base_of_v<EQDBIndexError, EQDBOutOfBounds>);
  static_assert(std::is_base_of_v<EQDBIndexError, EQDBNoData>);
  static_assert(std::is_base_of_v<EQDBIndexError, EQDBReadOnly>);
  static_assert(std::is_base_of_v<EQDBIndexError, EQDBNoFile>);
  static_assert(!std::is_base_of_v<EQDBIndexError, EQDBBadKey>);
  SUCCEED();
}

TEST(QdbErrorTexts, FileErrorsAreChosenByTheSystemsErrorCode) {
  EXPECT_STREQ(FileErrorForCode(ENOENT, "/c/a.qdb").what(), "Could not find the file /c/a.qdb");
  EXPECT_STREQ(FileErrorForCode(ENODEV, "/c/a.qdb").what(), "The drive you are trying to access is not ready");
  EXPECT_STREQ(FileErrorForCode(EMFILE, "/c/a.qdb").what(), "No more file handles are available");
  EXPECT_STREQ(FileErrorForCode(EBUSY, "/c/a.qdb").what(), "The file /c/a.qdb seems to be in use by another program");
  EXPECT_STREQ(FileErrorForCode(ENOSPC, "/c/a.qdb").what(), "The drive is full");
  EXPECT_STREQ(FileErrorForCode(EIO, "/c/a.qdb").what(), "Unidentified problem -  5");
}

TEST(QdbErrorTexts, TheTextsNoOperationHereRaisesAreTheStoresOwn) {
  EXPECT_EQ(QdbText(kTextCannotExtend, "x.qdb"), "Unable to extend the file x.qdb");
  EXPECT_EQ(QdbText(kTextInvalidPassword), "The password you have provided is invalid");
  EXPECT_EQ(QdbText(kTextNoMemory), "Insufficient memory to compress or expand");
  EXPECT_EQ(QdbText(kTextNoTempFile), "Could not create a necessary temporary file");
  EXPECT_EQ(QdbText(kTextIndexFull, "x.qdb"), "Not enough memory to extend the index to x.qdb");
}

class QdbErrors : public ::testing::Test {
 protected:
  void Open() {
    store_.SetTempFolder(folder_.Path());
    store_.SetFileName(folder_.Path() / "e.qdb");
  }
  std::string Name() const { return (folder_.Path() / "e.qdb").string(); }
  ScratchFolder folder_;
  TQDB store_;
};

TEST_F(QdbErrors, EveryDataOperationWithoutAFileRaisesNoFile) {
  const std::string text = "Illegal operation - no file assigned";
  EXPECT_EQ(MessageOf<EQDBNoFile>([&] { store_.FindKey("a"); }), text);
  EXPECT_EQ(MessageOf<EQDBNoFile>([&] { store_.Add("d", "a"); }), text);
  EXPECT_EQ(MessageOf<EQDBNoFile>([&] { store_.Change("d"); }), text);
  EXPECT_EQ(MessageOf<EQDBNoFile>([&] { store_.GetDataString(); }), text);
  EXPECT_EQ(MessageOf<EQDBNoFile>([&] { store_.SaveIndex(); }), text);
  EXPECT_EQ(MessageOf<EQDBNoFile>([&] { store_.Pack(); }), text);
  EXPECT_EQ(MessageOf<EQDBNoFile>([&] { store_.First(); }), text);
  EXPECT_EQ(MessageOf<EQDBNoFile>([&] { store_.DeleteCurrent(); }), text);
}

TEST_F(QdbErrors, AnEmptyStoreRaisesNoDataWithTheFileName) {
  Open();
  const std::string text = "File " + Name() + " is empty";
  EXPECT_EQ(MessageOf<EQDBNoData>([&] { store_.GetDataString(); }), text);
  EXPECT_EQ(MessageOf<EQDBNoData>([&] { store_.Change("x"); }), text);
  EXPECT_EQ(MessageOf<EQDBNoData>([&] { store_.DeleteCurrent(); }), text);
  EXPECT_EQ(MessageOf<EQDBNoData>([&] { store_.GotoIndex(0); }), text);
  EXPECT_EQ(store_.GetKeyAt(0), "");
}

TEST_F(QdbErrors, AReadOnlyStoreRefusesChangesOrWarns) {
  Open();
  store_.Add("d", "a");
  store_.SetReadOnly(true);
  const std::string text = Name() + " is marked as read-only";
  EXPECT_EQ(MessageOf<EQDBReadOnly>([&] { store_.Add("d", "b"); }), text);
  EXPECT_EQ(MessageOf<EQDBReadOnly>([&] { store_.Change("x"); }), text);
  EXPECT_EQ(MessageOf<EQDBReadOnly>([&] { store_.DeleteCurrent(); }), text);
  EXPECT_EQ(MessageOf<EQDBReadOnly>([&] { store_.Pack(); }), text);
  int warnings = 0;
  store_.WarnReadOnly = [&](TQDB&) { ++warnings; };
  store_.Add("d", "b");
  EXPECT_EQ(warnings, 1);
  EXPECT_EQ(store_.Count(), 1);
}

TEST_F(QdbErrors, PositionsOutsideTheItemsAreOutOfBounds) {
  Open();
  store_.Add("d", "a");
  EXPECT_EQ(MessageOf<EQDBOutOfBounds>([&] { store_.GotoIndex(1); }), "The list index is out of bounds");
  EXPECT_EQ(MessageOf<EQDBOutOfBounds>([&] { store_.GotoIndex(-1); }), "The list index is out of bounds");
  EXPECT_EQ(MessageOf<EQDBOutOfBounds>([&] { store_.ChangeAt(5, "x"); }), "The list index is out of bounds");
}

TEST_F(QdbErrors, KeyedReadsAndDuplicatesNameTheirProblem) {
  Open();
  store_.Add("d", "a");
  EXPECT_EQ(MessageOf<EQDBBadKey>([&] { store_.GetDataByKey("zz"); }), "The key 'zz' does not exist");
  EXPECT_EQ(MessageOf<EQDBIndexError>([&] { store_.Add("d", "A"); }), "Duplicate keys are not allowed");
  EXPECT_EQ(MessageOf<EQDBIndexError>([&] { store_.Add("d", std::string(256, 'k')); }),
            "Not enough memory to extend the index to " + Name());
  EXPECT_EQ(store_.Count(), 1);
}

TEST_F(QdbErrors, AnItemWhoseDataCannotBeReadMakesTheFileInvalid) {
  Open();
  store_.Add("data", "a");
  store_.SetCacheSize(0);
  // Another program truncating the data working file behind the store's back.
  for (const auto& entry : std::filesystem::directory_iterator(folder_.Path())) {
    if (entry.path().filename().string().starts_with("QDB")) std::filesystem::resize_file(entry.path(), 1);
  }
  EXPECT_EQ(MessageOf<EQDBIndexError>([&] { store_.GetDataString(); }), "The file " + Name() + " is not a valid QDB file");
}

TEST_F(QdbErrors, AMissingFolderCannotHoldANewStore) {
  store_.SetTempFolder(folder_.Path());
  const auto name = folder_.Path() / "missing" / "e.qdb";
  EXPECT_EQ(MessageOf<EQDBFileError>([&] { store_.SetFileName(name); }), "Could not find the file " + name.string());
  EXPECT_EQ(store_.FileName(), "");
}

}  // namespace
}  // namespace pellmark::store
