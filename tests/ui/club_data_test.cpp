// The Options sheet's "Backup Files", "Restore Backup" and "RESET", the
// "Export" of "Provide Data" and File › Export, driven as the user does.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include "interchange/club_files.h"
#include "store/whole_files.h"
#include "ui_test_support.h"

namespace pellmark::ui {
namespace {

namespace fs = std::filesystem;

class ClubDataTest : public MainWindowTest {
 protected:
  void SetUp() override {
    window = OpenWindow();
    window->show();
    SetUpClub(*window);
    Find<QTabWidget>(*window, "SpecialPage")->setCurrentIndex(1);
    backup = folder.Path() / "backup";
    fs::create_directories(backup);
    ui.Clear();
  }

  void Click(const char* name) { Find<QPushButton>(*window, name)->click(); }

  std::unique_ptr<TPellmark> window;
  fs::path backup;
};

TEST_F(ClubDataTest, BackupAndRestoreGoThroughTheFolderChooser) {
  ui.AnswerFolderChooser(backup);
  Click("backupdata");
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{"Club Data has been Backed up."});
  EXPECT_EQ(ui.FolderRequests().back().mask, "*.bck");
  for (const char* name : interchange::kBackupFiles) EXPECT_TRUE(fs::exists(backup / name)) << name;

  // A new name in the club information, then the restore brings back the old one.
  window->Club().Info().club = "Renamed";
  window->Club().WriteClubInfo();
  window->TheBooks().Commit();
  ui.Clear();
  ui.AnswerFolderChooser(backup);
  Click("restoredata");
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_TRUE(ui.Messages()[0].starts_with("Club Data has been Restored from Backup.\n"));
  EXPECT_EQ(window->Club().Info().club, "Elm Street Investors");
  EXPECT_TRUE(window->windowTitle().contains(QStringLiteral("Elm Street Investors")));
}

TEST_F(ClubDataTest, ResetAnsweredYesLeavesOnlyTheSpecialTab) {
  ui.AnswerNext("This will remove all club data. Continue?", true);
  Click("ClubReset");
  EXPECT_TRUE(ui.AllAnswersUsed());
  EXPECT_FALSE(window->Club().InfoExists());
  EXPECT_EQ(window->CurrentTab(), MainTab::kSpecial);
  // The Setup sheet shows the first set-up again, starting unit and all.
  EXPECT_FALSE(Find<QWidget>(*window, "startunit")->isHidden());
  ui.Clear();
  EXPECT_FALSE(window->ChooseTab(MainTab::kMembers));
}

TEST_F(ClubDataTest, ExportsAskForAFileInTheClubFolder) {
  std::vector<std::pair<fs::path, QString>> asked;
  window->SetSaveFileChooser([&](const fs::path& suggested, const QString& filter) -> std::optional<fs::path> {
    asked.emplace_back(suggested, filter);
    return suggested;
  });
  Click("export");
  Find<QAction>(*window, "ValuationData1")->trigger();
  Find<QAction>(*window, "Maillabels1")->trigger();
  ASSERT_EQ(asked.size(), 3u);
  EXPECT_EQ(asked[0].first, folder.Path() / "pellmark95.txt");
  EXPECT_EQ(asked[0].second, QStringLiteral("Text Files (*.txt)"));
  EXPECT_EQ(asked[2].first, folder.Path() / "Maillabel.csv");
  EXPECT_EQ(asked[2].second, QStringLiteral("CSV Files (*.csv)"));
  const std::string path = (folder.Path() / "pellmark95.txt").string();
  EXPECT_EQ(ui.Messages(),
            (std::vector<std::string>{
                "Data has been exported to " + path + ".", "Data has been exported to " + path + ".",
                "Mail label data has been exported to " + (folder.Path() / "Maillabel.csv").string() + "."}));
  EXPECT_TRUE(store::ReadWholeFile(store::DefaultFileLayer(), path).starts_with("V2.20\r\n"));
}

}  // namespace
}  // namespace pellmark::ui
