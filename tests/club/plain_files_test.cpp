#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "club/club_info_file.h"
#include "club/dates.h"
#include "club/number_parse.h"
#include "club/plain_files.h"
#include "club/view_state.h"
#include "support/byte_fixture.h"
#include "support/temp_folder.h"

namespace pellmark {
namespace {

using testing::ByteFixture;
using testing::TempFolder;

void WriteFile(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
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
  auto bytes = ReadWholeFile(folder.Path() / "clubstaten.qdb");
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(*bytes, ByteFixture(19).Byte(0, 1).Byte(2, 1).Byte(8, 1).Byte(12, 255).Bytes());
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
  EXPECT_EQ(ReadWholeFile(folder.Path() / "clubstaten.qdb"), stored);

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

TEST(NumberParse, AcceptsPlainNumbersOnly) {
  EXPECT_EQ(ParseNumber("25.00"), 25.0);
  EXPECT_EQ(ParseNumber(" 25 "), 25.0);
  EXPECT_EQ(ParseNumber("-3.5"), -3.5);
  EXPECT_EQ(ParseNumber("+4"), 4.0);
  EXPECT_EQ(ParseNumber("1e3"), 1000.0);
  EXPECT_EQ(ParseNumber(".5"), 0.5);
  for (const char* bad : {"", " ", "12a", "1/2", "inf", "nan", "$5", "1,000", "1e999", "--1"}) {
    EXPECT_FALSE(ParseNumber(bad).has_value()) << bad;
  }
}

}  // namespace
}  // namespace pellmark
