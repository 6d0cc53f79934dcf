// The Reports page's "Online" mode and the Special page's "Support" sheet.
#include <gmock/gmock.h>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <filesystem>
#include <fstream>

#include "ui/online_mail_group.h"
#include "ui/reports_page.h"
#include "window_fixture.h"

namespace pellmark::ui {
namespace {

using ::testing::ElementsAre;

class OnlineMailTest : public ClubWindowTest {
 protected:
  OnlineMailTest() : ClubWindowTest(MainTab::kReports, "ReportsPage", "") {}

  void SetUp() override {
    ClubWindowTest::SetUp();
    Books& books = window->TheBooks();
    for (const auto& [last, email] : {std::pair{"Adams", "ann@example.com"}, std::pair{"Brown", "bob@example.com"},
                                      std::pair{"Clark", "cy@example.com"}}) {
      ledger::MemberEntry fields;
      fields.lname = last;
      fields.fname = "Ann";
      fields.email = email;
      ASSERT_TRUE(books.Settle(books.Members().CommitMember(std::nullopt, fields)));
    }
    group = Find<OnlineMailGroup>(*window, "onlinegroup");
    ASSERT_NE(group, nullptr);
    group->SetSender([this](const ReportMail& report) {
      sent.push_back(report);
      return MailRun{Outcome::Done(), {}};
    });
    ui.Clear();
  }

  bool SendEnabled() { return Find<QAbstractButton>(*window, "oreptsend")->isEnabled(); }

  OnlineMailGroup* group = nullptr;
  std::vector<ReportMail> sent;
};

TEST_F(OnlineMailTest, SendNeedsOnlineAKindAndASelectedMemberAndClearsTheChoicesAfterwards) {
  EXPECT_FALSE(Find<QWidget>(*window, "mailmembers")->isVisibleTo(group));
  Click("oreports");
  auto* members = Find<QListWidget>(*window, "mailmembers");
  ASSERT_EQ(members->count(), 3);
  EXPECT_EQ(members->item(0)->text(), QStringLiteral("Adams, Ann"));
  EXPECT_FALSE(SendEnabled());
  Click("attachvote");
  EXPECT_EQ(Text("attachlabel"), QStringLiteral("Attach Membership Vote"));
  EXPECT_FALSE(SendEnabled());
  members->item(2)->setSelected(true);
  members->item(0)->setSelected(true);
  EXPECT_TRUE(SendEnabled());

  Click("oreptsend");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].kind, ReportMailKind::kVote);
  EXPECT_THAT(sent[0].members, ElementsAre("Adams, Ann", "Clark, Ann"));
  EXPECT_THAT(sent[0].attachments, ElementsAre(folder.Path() / "voterpt.txt"));
  EXPECT_TRUE(std::filesystem::exists(folder.Path() / "voterpt.txt"));
  EXPECT_FALSE(SendEnabled());
  EXPECT_EQ(Text("attachlabel"), QString());
  EXPECT_TRUE(members->selectedItems().isEmpty());
}

TEST_F(OnlineMailTest, DistributionAttachesTheDistributionStatementOfTheReportDate) {
  Click("oreports");
  Click("attachdistribution");
  EXPECT_EQ(Text("attachlabel"), QStringLiteral("Attach Distribution Statement"));
  Find<QListWidget>(*window, "mailmembers")->item(1)->setSelected(true);
  Click("oreptsend");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].kind, ReportMailKind::kDistribution);
  EXPECT_THAT(sent[0].members, ElementsAre("Brown, Ann"));
  EXPECT_THAT(sent[0].attachments, ElementsAre(folder.Path() / "distrpt.txt"));
  EXPECT_TRUE(std::filesystem::exists(folder.Path() / "distrpt.txt"));
}

TEST_F(OnlineMailTest, AlsoAsPdfAttachesThePrintedReportBesideTheTextStatement) {
  Click("oreports");
  Click("attachvote");
  Find<QCheckBox>(*window, "attachpdf")->setChecked(true);
  Find<QListWidget>(*window, "mailmembers")->item(0)->setSelected(true);
  Click("oreptsend");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_THAT(sent[0].attachments, ElementsAre(folder.Path() / "voterpt.txt", folder.Path() / "voterpt.pdf"));
  std::ifstream pdf(folder.Path() / "voterpt.pdf", std::ios::binary);
  std::string head(5, '\0');
  pdf.read(head.data(), 5);
  EXPECT_EQ(head, "%PDF-");
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(OnlineMailTest, ValuationWithoutAChosenStatementSendsNothing) {
  window->Reports()->SetStatementChooser([](const QString&) { return std::optional<std::filesystem::path>(); });
  Click("oreports");
  Click("attachvaluation");
  Find<QListWidget>(*window, "mailmembers")->item(1)->setSelected(true);
  Click("oreptsend");
  EXPECT_TRUE(sent.empty());
  EXPECT_FALSE(SendEnabled());
  EXPECT_EQ(Text("attachlabel"), QString());
}

class SupportSheetTest : public ClubWindowTest {
 protected:
  SupportSheetTest() : ClubWindowTest(MainTab::kSpecial, "SpecialPage", "") {}
};

TEST_F(SupportSheetTest, TypingEnablesSendAndClearMailBufferEmptiesTheSheet) {
  auto* send = Find<QAbstractButton>(*window, "sendsupport");
  ASSERT_NE(send, nullptr);
  EXPECT_FALSE(send->isEnabled());
  Find<QPlainTextEdit>(*window, "Memo2")->setPlainText(QStringLiteral("My statement is wrong."));
  EXPECT_TRUE(send->isEnabled());
  Find<QLabel>(*window, "fileattach")->setText(QStringLiteral("/tmp/club.log"));
  Click("clearsupbuffer");
  EXPECT_TRUE(Find<QPlainTextEdit>(*window, "Memo2")->toPlainText().isEmpty());
  EXPECT_EQ(Text("fileattach"), QString());
  EXPECT_FALSE(send->isEnabled());
}

}  // namespace
}  // namespace pellmark::ui
