#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

#include "club/club_info_file.h"
#include "club/dates.h"
#include "club/view_state.h"
#include "store/failing_file_layer.h"
#include "store/whole_files.h"
#include "support/byte_fixture.h"
#include "support/temp_folder.h"

namespace pellmark {
namespace {

using testing::ByteFixture;
using testing::TempFolder;

void WriteFile(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

std::string ReadFile(const std::filesystem::path& file) {
  return store::ReadWholeFile(store::DefaultFileLayer(), file);
}

std::vector<std::string> FileNames(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ClubInfoFile, RoundTripsTheCurrentLayout) {
  TempFolder folder;
  TClubInfoRec info;
  info.club = "Elm Street Investors";
  info.year = 1999;
  info.vunit = 25;
  info.contyp = -1;
  WriteClubInfo(folder.Path(), info);
  EXPECT_EQ(std::filesystem::file_size(folder.Path() / "clubinfo.qdb"), 313u);
  auto read = ReadClubInfo(folder.Path());
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->club, "Elm Street Investors");
  EXPECT_EQ(read->year, 1999);
  EXPECT_EQ(read->contyp, -1);
  EXPECT_EQ(EncodeRecord(*read), EncodeRecord(info));
}

TEST(ClubInfoFile, MissingOrTooShortFilesGiveNothing) {
  TempFolder folder;
  EXPECT_FALSE(ReadClubInfo(folder.Path()).has_value());
  WriteFile(folder.Path() / "clubinfo.qdb", std::string(100, 'x'));
  EXPECT_FALSE(ReadClubInfo(folder.Path()).has_value());
  // Between the layouts' lengths a file is a record cut short, not an old layout.
  for (std::size_t length : {135, 146, 148, 156, 312}) {
    WriteFile(folder.Path() / "clubinfo.qdb", std::string(length, '\1'));
    EXPECT_FALSE(ReadClubInfo(folder.Path()).has_value()) << length;
  }
}

TEST(ClubInfoFile, The147ByteLayoutIsConverted) {
  TempFolder folder;
  WriteFile(folder.Path() / "clubinfo.qdb",
            ByteFixture(147).Text(0, "Old Club").Text(26, "1 Main St").Text(87, "36-1234567").Byte(99, 1)
                .Byte(100, 0).Byte(101, 1).Double(102, 31.5).Int(110, 9).Int(114, 1998).Int(118, 2).Int(122, 1)
                .Int(126, 3).Int(130, 4).Int(134, 8).Double(138, 36160).Byte(146, 6).Bytes());
  auto info = ReadClubInfo(folder.Path());
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->club, "Old Club");
  EXPECT_EQ(info->idnum, "36-1234567");
  EXPECT_TRUE(info->dues);
  EXPECT_FALSE(info->stks);
  EXPECT_TRUE(info->sort);
  EXPECT_EQ(info->vunit, 31.5);
  EXPECT_EQ(info->unitind, 9);
  EXPECT_EQ(info->year, 1998);
  EXPECT_EQ(info->defact, 2);
  EXPECT_EQ(info->defstkact, 2);
  EXPECT_EQ(info->hidacts, 1);
  EXPECT_EQ(info->hidstks, 3);
  EXPECT_EQ(info->hidmems, 4);
  EXPECT_EQ(info->unitkey, 8);
  EXPECT_EQ(info->date, 36160);
  EXPECT_EQ(info->updcnt, 6);
  EXPECT_EQ(info->contyp, -1);
  EXPECT_EQ(info->cnthndl, 255);
  EXPECT_EQ(info->host, "");
}

TEST(ClubInfoFile, The134ByteLayoutAsksForBothUpgrades) {
  TempFolder folder;
  WriteFile(folder.Path() / "clubinfo.qdb",
            ByteFixture(134).Text(0, "Oldest Club").Double(102, 20).Int(110, 3).Int(114, 1996).Int(118, 1).Bytes());
  auto info = ReadClubInfo(folder.Path());
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->unitkey, -1);
  EXPECT_EQ(info->updcnt, 0);
  EXPECT_EQ(info->date, DayNumberFromCivil({1996, 1, 1}));
  EXPECT_EQ(info->cnthndl, 255);
}

TEST(ViewState, DefaultsAndTheExactBytes) {
  TempFolder folder;
  TViewState state = ReadViewState(folder.Path(), false);
  EXPECT_TRUE(state.taxable);
  EXPECT_TRUE(state.Allstock);
  EXPECT_TRUE(state.usecolor);
  EXPECT_EQ(state.accountposition, 255);
  WriteViewState(folder.Path(), state);
  EXPECT_EQ(ReadFile(folder.Path() / "clubstaten.qdb"), ByteFixture(19).Byte(0, 1).Byte(2, 1).Byte(8, 1).Byte(12, 255).Bytes());
}

TEST(ViewState, ReservedBytesAreCarriedAndResetTakesTheDefaults) {
  TempFolder folder;
  std::string stored = ByteFixture(19).Byte(3, 1).Byte(9, 7).Byte(10, 8).Byte(12, 2).Byte(13, 4).Byte(18, 9).Bytes();
  WriteFile(folder.Path() / "clubstaten.qdb", stored);
  TViewState state = ReadViewState(folder.Path(), false);
  EXPECT_TRUE(state.alldues);
  EXPECT_FALSE(state.usecolor);
  EXPECT_EQ(state.accountposition, 2);
  EXPECT_EQ(state.memberposition, 4);
  WriteViewState(folder.Path(), state);
  EXPECT_EQ(ReadFile(folder.Path() / "clubstaten.qdb"), stored);

  EXPECT_EQ(EncodeRecord(ReadViewState(folder.Path(), true)), EncodeRecord(TViewState{}));
}

TEST(ViewState, TheOlderFileIsReadDeletedAndSwitchesColourOn) {
  TempFolder folder;
  WriteFile(folder.Path() / "clubstate.qdb", ByteFixture(19).Byte(7, 1).Bytes());
  TViewState state = ReadViewState(folder.Path(), false);
  EXPECT_TRUE(state.showhiddenmembers);
  EXPECT_TRUE(state.usecolor);
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "clubstate.qdb"));
}

TEST(ViewState, AShortFileGivesTheDefaults) {
  TempFolder folder;
  WriteFile(folder.Path() / "clubstaten.qdb", "\x01\x01");
  EXPECT_EQ(EncodeRecord(ReadViewState(folder.Path(), false)), EncodeRecord(TViewState{}));
}

// Replaces `name` (holding `old_bytes`) in a fresh folder through `write`,
// with the file layer failing at its first call, then its second, and so on
// until a write runs through. Every failure must leave the old bytes and no
// other file; the messages of the failures are returned in order.
std::vector<std::string> FailEveryCall(const char* name, const std::string& old_bytes, const std::string& new_bytes,
                                       const std::function<void(const std::filesystem::path&, store::FileLayer&)>& write) {
  std::vector<std::string> messages;
  for (int n = 1;; ++n) {
    TempFolder folder;
    const std::filesystem::path file = folder.Path() / name;
    WriteFile(file, old_bytes);
    store::testing::FailingFileLayer files;
    files.FailAt(n, ENOSPC);
    bool threw = false;
    try {
      write(folder.Path(), files);
    } catch (const store::FileLayerError& error) {
      threw = true;
      std::string message = error.what();
      const std::string club = folder.Path().string();
      if (const std::size_t at = message.find(club); at != std::string::npos) message.replace(at, club.size(), "<club>");
      messages.push_back(message);
    }
    EXPECT_EQ(ReadFile(file), threw ? old_bytes : new_bytes) << "call " << n;
    EXPECT_EQ(FileNames(folder.Path()), std::vector<std::string>{name}) << "call " << n;
    if (!files.Failed()) break;
  }
  return messages;
}

TEST(ClubFileFaults, AClubInformationWriteFailingAtAnyCallLeavesTheOldFile) {
  TClubInfoRec old_info;
  old_info.club = "Old Name";
  TClubInfoRec new_info = old_info;
  new_info.club = "New Name";
  const std::vector<std::string> messages =
      FailEveryCall("clubinfo.qdb", EncodeRecord(old_info), EncodeRecord(new_info),
                    [&](const std::filesystem::path& folder, store::FileLayer& files) {
                      WriteClubInfo(folder, new_info, files);
                    });
  // The folder's flush comes after the rename: its failure leaves the new file and is not reported.
  EXPECT_EQ(messages, (std::vector<std::string>{
                          "Could not create <club>/clubinfo.qdb.new: No space left on device",
                          "Could not write <club>/clubinfo.qdb.new: No space left on device",
                          "Could not write <club>/clubinfo.qdb.new: No space left on device",
                          "Could not replace <club>/clubinfo.qdb: No space left on device",
                      }));
}

TEST(ClubFileFaults, AViewStateWriteFailingAtAnyCallLeavesTheOldFile) {
  TViewState state;
  const std::string old_bytes = EncodeRecord(state);
  state.alldues = true;
  state.memberposition = 7;
  const std::vector<std::string> messages =
      FailEveryCall("clubstaten.qdb", old_bytes, EncodeRecord(state),
                    [&](const std::filesystem::path& folder, store::FileLayer& files) {
                      WriteViewState(folder, state, files);
                    });
  EXPECT_EQ(messages.size(), 4u);
  EXPECT_EQ(messages.back(), "Could not replace <club>/clubstaten.qdb: No space left on device");
}

TEST(ClubFileFaults, AFailedReadCountsAsNoFile) {
  TempFolder folder;
  TClubInfoRec info;
  info.club = "Elm Street Investors";
  WriteClubInfo(folder.Path(), info);
  WriteFile(folder.Path() / "clubstaten.qdb", ByteFixture(19).Byte(3, 1).Bytes());
  store::testing::FailingFileLayer files;
  for (int n = 1; n <= 3; ++n) {  // open, size, read
    files.FailAt(n, EIO);
    EXPECT_FALSE(ReadClubInfo(folder.Path(), files).has_value()) << "call " << n;
    files.FailAt(n, EIO);
    EXPECT_FALSE(ReadViewState(folder.Path(), false, files).alldues) << "call " << n;
  }
  files.FailAt(0, 0);
  EXPECT_EQ(ReadClubInfo(folder.Path(), files)->club, "Elm Street Investors");
  EXPECT_TRUE(ReadViewState(folder.Path(), false, files).alldues);
}

}  // namespace
}  // namespace pellmark
