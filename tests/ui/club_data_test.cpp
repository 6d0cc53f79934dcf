// The Options sheet's "Backup Files", "Restore Backup" and "RESET", the
// "Export" of "Provide Data" and File › Export, driven as the user does.
#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "interchange/club_files.h"
#include "interchange/club_import.h"
#include "store/whole_files.h"
#include "ui_test_support.h"
#include "ui/special_page.h"

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

  // The choice of `importtype` with this caption.
  QRadioButton* ImportChoice(const char* caption) {
    for (QRadioButton* choice : Find<QWidget>(*window, "importtype")->findChildren<QRadioButton*>()) {
      if (choice->text() == QLatin1String(caption)) return choice;
    }
    ADD_FAILURE() << "no import choice " << caption;
    return new QRadioButton(window.get());
  }

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

TEST_F(ClubDataTest, ImportOfObtainDataAsksForTheFileThenReplacesTheClubsData) {
  const fs::path file = folder.Path() / "saved.txt";
  ASSERT_TRUE(window->TheBooks().Export(file));
  window->Club().Info().club = "Renamed";
  window->Club().WriteClubInfo();
  window->TheBooks().Commit();
  ui.Clear();
  auto* page = Find<SpecialPage>(*window, "SpecialPage");
  std::vector<std::pair<fs::path, QString>> asked;
  page->SetOpenFileChooser([&](const fs::path& start, const QString& filter) -> std::optional<fs::path> {
    asked.emplace_back(start, filter);
    return file;
  });
  ImportChoice("Pellmark 2.xx")->setChecked(true);
  ui.AnswerNext(interchange::kReplaceDataQuestion, true);
  Click("import");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].first, folder.Path());
  EXPECT_EQ(asked[0].second, QStringLiteral("Pellmark 2.XX Files (pellmark95.txt)"));
  EXPECT_EQ(ui.Messages(), (std::vector<std::string>{interchange::kReplaceDataQuestion,
                                                     "Data has been imported from " + file.string() + "."}));
  EXPECT_EQ(window->Club().Info().club, "Elm Street Investors");
  EXPECT_TRUE(window->windowTitle().contains(QStringLiteral("Elm Street Investors")));
  EXPECT_EQ(Find<QProgressBar>(*window, "Gauge1")->value(), 0);
}

TEST_F(ClubDataTest, ImportOfNaicFilesAnsweredNoChangesNothing) {
  ImportChoice("NAIC Club Accounting 1.03")->setChecked(true);
  ui.AnswerNext(interchange::kNaicUnarchivedQuestion, false);
  Click("import");
  EXPECT_TRUE(ui.AllAnswersUsed());
  EXPECT_TRUE(ui.FolderRequests().empty());
  EXPECT_EQ(window->Club().Info().club, "Elm Street Investors");
}

}  // namespace
}  // namespace pellmark::ui
