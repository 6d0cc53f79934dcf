// The dialog pictures of a club's own data: the picture is the dialog the
// program opens there (same request, same pixels), and the club is left byte
// for byte as it was.
#include <QImage>
#include <QListWidget>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "books/books.h"
#include "forms/entry_dialog.h"
#include "securities/security_records.h"
#include "ui/dialog_grab.h"
#include "ui/qt_interaction.h"
#include "ui/tsecurity_input.h"
#include "window_fixture.h"

namespace pellmark::ui {
namespace {

namespace fs = std::filesystem;

class ClubDialogGrabTest : public ClubWindowTest {
 protected:
  ClubDialogGrabTest() : ClubWindowTest(MainTab::kSecurities, "SecuritiesPage", "stockgrid") {}

  // Acme Corp bought twice (two lots) through the page, then the window closed,
  // so that the grab opens the club as a second program would.
  void SetUp() override {
    ClubWindowTest::SetUp();
    ledger::SecurityRecords securities(window->Club());
    ASSERT_TRUE(securities.CommitSecurity(std::nullopt, {"Acme Corp", "ACME"}));
    ASSERT_TRUE(securities.CommitSecurity(std::nullopt, {"Bolt Inc", "BOLT"}));
    window->ChooseTab(MainTab::kSecurities);
    Find<QListWidget>(*window, "Keys")->setCurrentRow(0);
    ShowSheet(2);
    for (const char* amount : {"1000", "1200"}) {
      ui.AnswerEntryDialog([amount](EntryDialog& dialog) {
        dialog.Form().amount.text = amount;
        dialog.Form().price.text = "10";
        dialog.Form().commission.text = "0";
      });
      Click("stockbuy");
    }
    ASSERT_TRUE(ui.AllAnswersUsed());
    window.reset();
    quiet.SetUnattended(true);
  }

  // Every stored file of the club, by name.
  std::map<std::string, std::string> ClubFiles() {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder.Path())) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::ostringstream bytes;
      bytes << in.rdbuf();
      files[entry.path().filename().string()] = bytes.str();
    }
    return files;
  }

  int Grab(const char* which, bool change = false) {
    return GrabClubDialog(QString::fromLatin1(which), Picture(), change, folder.Path(), quiet, clock);
  }

  // The files the club held before are there byte for byte (opening a club
  // may add its statement index).
  void ExpectUnchanged(const std::map<std::string, std::string>& before) {
    fs::remove(folder.Path() / "grab.png");
    const std::map<std::string, std::string> after = ClubFiles();
    for (const auto& [name, bytes] : before) {
      const auto now = after.find(name);
      EXPECT_TRUE(now != after.end() && now->second == bytes) << name << " changed";
    }
  }

  QString Picture() const { return QString::fromStdString((folder.Path() / "grab.png").string()); }

  QtInteraction quiet{nullptr};
};

TEST_F(ClubDialogGrabTest, TheBuyPictureIsTheDialogTheClubOpensAndTheClubIsUnchanged) {
  const std::map<std::string, std::string> before = ClubFiles();
  ASSERT_EQ(Grab("buy"), 0);
  const QImage grabbed(Picture());
  ASSERT_FALSE(grabbed.isNull());
  ExpectUnchanged(before);

  // The oracle: the request the club hands its Buy dialog today, pictured alike.
  ui.Clear();
  ui.AnswerEntryDialog([](EntryDialog&) {}, DialogOutcome::Cancelled);
  {
    Books books(folder.Path(), ui, clock);
    books.Open();
    (void)books.Trades().Enter("Acme Corp", ledger::StockEntry::Buy, clock.Today());
    books.Close();
  }
  ASSERT_EQ(ui.EntryRequests().size(), 3u);  // after the two purchases
  const EntryDialogRequest& request = ui.EntryRequests().back();
  ASSERT_EQ(request.mode, EntryMode::Buy);
  ASSERT_EQ(request.accounts.size(), 1u);
  EXPECT_EQ(request.accounts[0].name, "Cash");
  TsecurityInput dialog(quiet);
  dialog.Prepare(request);
  const QString expected = QString::fromStdString((folder.Path() / "expected.png").string());
  ASSERT_EQ(SaveWidgetPicture(dialog, expected), 0);
  EXPECT_EQ(grabbed, QImage(expected));

  // A sample request (another heading, other accounts) makes another picture.
  ASSERT_EQ(GrabDialog(QStringLiteral("buy"), Picture(), false), 0);
  EXPECT_NE(QImage(Picture()), grabbed);
}

TEST_F(ClubDialogGrabTest, EachDialogNameIsPicturedOrSaysWhyNot) {
  const std::map<std::string, std::string> before = ClubFiles();
  for (const char* which : {"sell", "dividend", "reinvest", "capital-change", "price", "check", "deposit", "withdraw",
                            "charge", "interest", "split", "basis", "foreign-tax", "lots"}) {
    EXPECT_EQ(Grab(which), 0) << which;
  }
  for (const char* which : {"buy", "price"}) EXPECT_EQ(Grab(which, /*change=*/true), 0) << which;
  // No members: nothing to show; one account: no transfer; no payoff stored: nothing to change.
  EXPECT_EQ(Grab("dues"), 1);
  EXPECT_EQ(Grab("transfer"), 1);
  EXPECT_EQ(Grab("payoff", /*change=*/true), 1);
  EXPECT_EQ(Grab("dividend", /*change=*/true), 1);
  EXPECT_EQ(Grab("bogus"), 2);
  ExpectUnchanged(before);
}

// The program takes the club from --club; a page beyond a report of one says so in the singular.
TEST_F(ClubDialogGrabTest, TheProgramGrabsTheClubsDialogAndCountsOnePageInTheSingular) {
  const std::string app = "QT_QPA_PLATFORM=offscreen '" + std::string(PELLMARK_APP) + "' --club '" +
                          folder.Path().string() + "' --today 12/31/1999 ";
  const std::string png = (folder.Path() / "grab.png").string();
  EXPECT_EQ(std::system((app + "--grab-dialog lots '" + png + "' 2>/dev/null").c_str()), 0);
  EXPECT_FALSE(QImage(QString::fromStdString(png)).isNull());

  FILE* pipe = popen((app + "--grab-report balance '" + png + "' --page 9 2>&1 >/dev/null").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string said;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) said.append(buffer, n);
  EXPECT_NE(pclose(pipe), 0);
  EXPECT_NE(said.find("The report has 1 page\n"), std::string::npos) << said;
}

}  // namespace
}  // namespace pellmark::ui
