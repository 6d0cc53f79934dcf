#include "books/club_mail.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "members/member_ledger.h"
#include "net/smtp_peer.h"
#include "support/ledger_fixture.h"

namespace pellmark {
namespace {

using ::testing::ElementsAre;
using pellmark::testing::ReceivedMail;
using pellmark::testing::ScriptedInteraction;
using pellmark::testing::SmtpPeer;
using pellmark::testing::TempFolder;

// The dialog as a window would show it: Connect once, then Abort when still open;
// every title and new status line it showed is kept (not the progress parentheses).
class RecordingDialog : public ConnectionDialog {
 public:
  void Run(InternetForm& form) override {
    form.OnChange = [&](bool progress) {
      const std::string& status = form.Status();
      if (progress || status.starts_with("(") || (!statuses.empty() && statuses.back() == status)) return;
      statuses.push_back(status);
    };
    title = form.Title();
    form.Connect();
    connect_enabled_after = form.ConnectEnabled();
    if (!form.Closed()) form.Abort();
    form.OnChange = nullptr;
  }

  std::string title;
  std::vector<std::string> statuses;
  bool connect_enabled_after = false;
};

class ClubMailTest : public pellmark::testing::ClubFixture {
 protected:
  void SetUp() override {
    ClubFixture::SetUp();
    AddMember("Adams", "Ann", "ann@example.com");
    AddMember("Brown", "Bob", "");
    AddMember("Clark", "Cy", "cy@example.com");
    service.reply_wait = std::chrono::milliseconds(5000);
    statement = peers.Path() / "valuerpt.txt";
    std::ofstream(statement, std::ios::binary) << "Elm Street Investors\r\nValuation as of 12/31/2026\r\n";
    ui.Clear();
  }
  void AddMember(const std::string& last, const std::string& first, const std::string& email) {
    ledger::MemberEntry fields;
    fields.lname = last;
    fields.fname = first;
    fields.email = email;
    ASSERT_TRUE(books.Perform([&] { return books.Members().CommitMember(std::nullopt, fields); }));
  }
  void MailSettings(const std::string& host) {
    club.Info().host = host;
    club.Info().retadr = "treasurer@elm.example";
    club.Info().user = "elm";
  }
  ReportMail Report(std::vector<std::string> members) {
    return {.kind = ReportMailKind::kValuation, .date = Day(2026, 12, 31), .members = std::move(members),
            .attachments = {statement}};
  }

  TempFolder peers;
  MailService service;
  RecordingDialog dialog;
  std::filesystem::path statement;
};

// Mend: the member without an address is left out of "To:" as of RCPT TO.
TEST_F(ClubMailTest, ReportGoesToTheSelectedMembersWithTheStatementAttached) {
  SmtpPeer server = SmtpPeer::Server(peers.Path());
  MailSettings(server.HostPort());
  const MailRun run =
      books.SendReportMail(service, Report({"Clark, Cy", "Brown, Bob", "Nobody, Here", "Adams, Ann"}), dialog);
  EXPECT_TRUE(run.outcome) << run.delivery.failure_reason;
  EXPECT_EQ(dialog.title, "Sending Report via EMAIL");
  EXPECT_THAT(dialog.statuses, ElementsAre("Sending Reports"));
  EXPECT_THAT(run.delivery.accepted, ElementsAre("cy@example.com", "ann@example.com"));
  EXPECT_THAT(ui.Messages(), ElementsAre("Elm Street Investors Valuation Statement for 12/31/2026 has been sent."));
  EXPECT_EQ(ui.SoundCount(), 1);

  const ReceivedMail mail = server.Message(0);
  EXPECT_EQ(mail.Header("From"), "<treasurer@elm.example>");
  EXPECT_EQ(mail.Header("To"), "cy@example.com,ann@example.com");
  EXPECT_EQ(mail.Header("Subject"), "Elm Street Investors Valuation Statement for 12/31/2026");
  EXPECT_EQ(mail.body, "Elm Street Investors Valuation Statement for 12/31/2026 is attached.\r\n");
  ASSERT_EQ(mail.attachments.size(), 1u);
  EXPECT_EQ(mail.attachments[0].filename, "valuerpt.txt");
  EXPECT_EQ(mail.attachments[0].bytes, "Elm Street Investors\r\nValuation as of 12/31/2026\r\n");
}

TEST_F(ClubMailTest, SubjectsOfTheReportKinds) {
  const DayNumber date = Day(2026, 3, 5);
  EXPECT_EQ(ReportMailSubject("Elm", ReportMailKind::kValuation, date), "Elm Valuation Statement for 03/05/2026");
  EXPECT_EQ(ReportMailSubject("Elm", ReportMailKind::kDistribution, date),
            "Elm Distribution Statement for 03/05/2026");
  EXPECT_EQ(ReportMailSubject("Elm", ReportMailKind::kVote, date), "Elm Membership Vote for 03/05/2026");
  EXPECT_EQ(ReportMailSubject("Elm", ReportMailKind::kRoster, date), "Elm Membership Letter for 03/05/2026");
}

// Mend: a refused member no longer fails the mail to the others; the refusal is named.
TEST_F(ClubMailTest, ARefusedMemberIsNamedAndTheOthersReceive) {
  SmtpPeer server = SmtpPeer::Server(peers.Path(), {"--refuse", "ann@example.com"});
  MailSettings(server.HostPort());
  const MailRun run = books.SendReportMail(service, Report({"Adams, Ann", "Clark, Cy"}), dialog);
  EXPECT_TRUE(run.outcome);
  EXPECT_THAT(ui.Messages(),
              ElementsAre("Elm Street Investors Valuation Statement for 12/31/2026 has been sent.",
                          "The mail server refused ann@example.com: 550 5.1.1 <ann@example.com>: Recipient address "
                          "rejected"));
  EXPECT_THAT(server.Message(0).recipients, ElementsAre("cy@example.com"));
}

TEST_F(ClubMailTest, AFailedSendBeepsShowsItsStatusAndLeavesConnectEnabled) {
  SmtpPeer script = SmtpPeer::Script(peers.Path(), {"--greeting", "421 busy"});
  MailSettings(script.HostPort());
  const MailRun run = books.SendReportMail(service, Report({"Adams, Ann"}), dialog);
  EXPECT_TRUE(run.outcome.Refused());
  EXPECT_EQ(run.outcome.Message(), "Could not send EMAIL to internet");
  EXPECT_EQ(run.delivery.failure_reason, "421 busy");
  EXPECT_THAT(dialog.statuses, ElementsAre("Sending Reports", "Could not send EMAIL to internet"));
  EXPECT_TRUE(dialog.connect_enabled_after);
  EXPECT_EQ(ui.BeepCount(), 1);
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(ui.SoundCount(), 0);
}

TEST_F(ClubMailTest, SupportMailGoesToTheSupportAddressOnly) {
  SmtpPeer server = SmtpPeer::Server(peers.Path());
  MailSettings(server.HostPort());
  service.support_address = "help@maker.example";
  const MailRun run = books.SendSupportMail(service, {.lines = {"Hello", ".", "Ann"}, .attachment = {}}, dialog);
  EXPECT_TRUE(run.outcome);
  EXPECT_EQ(dialog.title, "Sending Customer Support EMAIL");
  EXPECT_THAT(dialog.statuses, ElementsAre("Sending Support Email"));
  EXPECT_THAT(ui.Messages(), ElementsAre("Pellmark Support Email has been sent."));
  const ReceivedMail mail = server.Message(0);
  EXPECT_THAT(mail.recipients, ElementsAre("help@maker.example"));
  EXPECT_EQ(mail.body, "Hello\r\n.\r\nAnn\r\n");
  EXPECT_TRUE(mail.attachments.empty());
}

TEST_F(ClubMailTest, WithoutHostOrReturnAddressNothingIsSent) {
  SmtpPeer script = SmtpPeer::Script(peers.Path());
  for (const auto& [host, address] : std::vector<std::pair<std::string, std::string>>{
           {script.HostPort(), ""}, {"", "treasurer@elm.example"}}) {
    club.Info().host = host;
    club.Info().retadr = address;
    ui.Clear();
    const MailRun run = books.SendSupportMail(service, {.lines = {"Hello"}, .attachment = {}}, dialog);
    EXPECT_TRUE(run.outcome.Refused());
    EXPECT_THAT(ui.Messages(),
                ElementsAre("Need to set Internet Mail parameters on Special:Options page to activate."));
    EXPECT_EQ(ui.BeepCount(), 1);
  }
  EXPECT_EQ(script.Dialogue(), "");
}

}  // namespace
}  // namespace pellmark
