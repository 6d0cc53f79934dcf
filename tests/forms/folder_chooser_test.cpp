#include "forms/folder_chooser.h"

#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace pellmark {
namespace {

using ::testing::ElementsAre;

TEST(FolderChooser, MasksMatchWithoutCase) {
  EXPECT_TRUE(MatchesMask("CLUBMEM.BCK", "*.bck"));
  EXPECT_TRUE(MatchesMask("v01311999.stm", "v????????.stm"));
  EXPECT_TRUE(MatchesMask("pellmark95.txt", "*.dt;*.txt"));
  EXPECT_FALSE(MatchesMask("clubmem.bck.old", "*.bck"));
  EXPECT_FALSE(MatchesMask("readme", "*.bck"));
  EXPECT_TRUE(MatchesMask("anything", "*"));
}

TEST(FolderChooser, ListsFoldersAndMatchingFilesAndDeletesOnlyThose) {
  testing::TempFolder temp;
  std::filesystem::path folder = temp.Path();
  std::filesystem::create_directory(folder / "older");
  for (const char* name : {"clubmem.bck", "CLUBSTK.BCK", "clubmem.qdb", "notes.txt"}) std::ofstream(folder / name) << "x";

  EXPECT_THAT(ListFolders(store::DefaultFileLayer(), folder), ElementsAre("older"));
  EXPECT_THAT(ListMatchingFiles(store::DefaultFileLayer(), folder, "*.bck"), ElementsAre("CLUBSTK.BCK", "clubmem.bck"));
  EXPECT_EQ(DeleteListedFiles(store::DefaultFileLayer(), folder, "*.bck"), 2);
  EXPECT_THAT(ListMatchingFiles(store::DefaultFileLayer(), folder, "*"), ElementsAre("clubmem.qdb", "notes.txt"));
  EXPECT_TRUE(std::filesystem::is_directory(folder / "older"));
  EXPECT_TRUE(ListFolders(store::DefaultFileLayer(), folder / "missing").empty());
  EXPECT_EQ(DeleteListedFiles(store::DefaultFileLayer(), folder / "missing", "*"), 0);
}

}  // namespace
}  // namespace pellmark
