#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "cli/cli_runner.h"
#include "net/smtp_peer.h"
#include "support/temp_folder.h"

namespace pellmark::cli {
namespace {

using ::testing::ContainsRegex;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using pellmark::testing::ReceivedMail;
using pellmark::testing::SmtpPeer;
using pellmark::testing::TempFolder;
using pellmark::testing::TestCertificate;

class CliMailTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Run({"init", "--name", "Elm", "--year", "2026"}).status, kDone);
    message_file = File("message.txt", "My statement is wrong.\n.dotted line\n\nAnn\n");
  }
  void TearDown() override { ::unsetenv("PELLMARK_SMTP_PASSWORD"); }

  CliRun Run(std::vector<std::string> args) { return RunInClub(club.Path(), std::move(args)); }
  std::string File(const std::string& name, const std::string& bytes) {
    const std::filesystem::path path = peers.Path() / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  void MailSettings(const std::string& host) {
    ASSERT_EQ(Run({"club", "--mail-server", host, "--return-address", "treasurer@elm.example", "--user", "elmclub"})
                  .status,
              kDone);
  }
  CliRun Support(std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"mail", "support", "--message-file", message_file, "--support-address",
                                     "help@maker.example", "--reply-wait", "5"};
    args.insert(args.end(), more.begin(), more.end());
    return Run(args);
  }

  TempFolder club;
  TempFolder peers;
  std::string message_file;
};

TEST_F(CliMailTest, SupportMailNeedsTheHostAndTheReturnAddress) {
  const CliRun run = Support();
  EXPECT_EQ(run.status, kRefused);
  EXPECT_EQ(run.err, "Need to set Internet Mail parameters on Special:Options page to activate.\n");
  EXPECT_EQ(run.out, "");
}

TEST_F(CliMailTest, SupportMailWithAnAttachmentReachesTheServer) {
  SmtpPeer server = SmtpPeer::Server(peers.Path());
  MailSettings(server.HostPort());
  const std::string log = File("club.log", "line one\r\nline two\r\n");
  const CliRun run = Support({"--attach", log});
  EXPECT_EQ(run.status, kDone) << run.err;
  EXPECT_EQ(run.out, "Sending Support Email\naccepted help@maker.example\n");
  EXPECT_EQ(run.err, "Pellmark Support Email has been sent.\n");
  const ReceivedMail mail = server.Message(0);
  EXPECT_EQ(mail.from, "treasurer@elm.example");
  EXPECT_THAT(mail.recipients, ElementsAre("help@maker.example"));
  EXPECT_EQ(mail.Header("Subject"), "Pellmark Support");
  EXPECT_EQ(mail.Header("To"), "help@maker.example");
  EXPECT_EQ(mail.body, "My statement is wrong.\r\n.dotted line\r\n\r\nAnn\r\n");
  ASSERT_EQ(mail.attachments.size(), 1u);
  EXPECT_EQ(mail.attachments[0].filename, "club.log");
  EXPECT_EQ(mail.attachments[0].bytes, "line one\r\nline two\r\n");
}

TEST_F(CliMailTest, SupportMailWithoutAttachmentIsPlainTextAndHelloNamesTheUser) {
  SmtpPeer script = SmtpPeer::Script(peers.Path());
  MailSettings(script.HostPort());
  const CliRun run = Support();
  EXPECT_EQ(run.status, kDone) << run.err;
  const std::string dialogue = script.Dialogue();
  EXPECT_THAT(dialogue, ::testing::StartsWith("HELO elmclub\r\nRSET\r\nMAIL FROM:<treasurer@elm.example>\r\n"
                                              "RCPT TO:<help@maker.example>\r\nDATA\r\n"));
  EXPECT_THAT(dialogue, HasSubstr("Content-Type: text/plain;                        charset=us-ascii\r\n\r\n"
                                  "My statement is wrong.\r\n..dotted line\r\n\r\nAnn\r\n.\r\nQUIT\r\n"));
  EXPECT_THAT(dialogue, ::testing::Not(HasSubstr("multipart")));
}

TEST_F(CliMailTest, ARefusedSupportAddressFailsTheSendWithExitStatusOne) {
  SmtpPeer server = SmtpPeer::Server(peers.Path(), {"--refuse", "help@maker.example"});
  MailSettings(server.HostPort());
  const CliRun run = Support();
  EXPECT_EQ(run.status, kRefused);
  EXPECT_EQ(run.out,
            "Sending Support Email\n"
            "Could not send Support EMAIL to internet\n"
            "550 5.1.1 <help@maker.example>: Recipient address rejected\n");
  EXPECT_FALSE(server.HasMessage(0));
}

TEST_F(CliMailTest, AHostWithABadPortIsRefused) {
  MailSettings("mail.example:99999");
  const CliRun run = Support();
  EXPECT_EQ(run.status, kRefused);
  EXPECT_EQ(run.err, "The mail host mail.example:99999 names no port from 1 to 65535.\n");
}

TEST_F(CliMailTest, LoginOverStartTlsTakesThePasswordFromTheEnvironment) {
  const TestCertificate certificate = TestCertificate::Make(peers.Path());
  SmtpPeer server = SmtpPeer::Server(peers.Path(), {"--starttls", certificate.cert.string(), certificate.key.string(),
                                                    "--login", "treasurer", "pw 1"});
  MailSettings(server.HostPort());
  const std::vector<std::string> secure = {"--security", "starttls", "--login", "treasurer", "--ca-file",
                                           certificate.cert.string()};
  const CliRun without = Support(secure);
  EXPECT_EQ(without.status, kUsage);
  EXPECT_THAT(without.err, HasSubstr("PELLMARK_SMTP_PASSWORD"));

  ::setenv("PELLMARK_SMTP_PASSWORD", "pw 1", 1);
  const CliRun run = Support(secure);
  EXPECT_EQ(run.status, kDone) << run.out << run.err;
  EXPECT_EQ(server.Logins(), "PLAIN treasurer pw 1\n");
  EXPECT_EQ(server.Message(0).body, "My statement is wrong.\r\n.dotted line\r\n\r\nAnn\r\n");
  // The password reaches no file of the club.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(club.Path())) {
    if (entry.is_regular_file()) {
      EXPECT_THAT(pellmark::testing::FileBytes(entry.path()), ::testing::Not(HasSubstr("pw 1"))) << entry.path();
    }
  }
}

class CliReportMailTest : public CliMailTest {
 protected:
  void SetUp() override {
    CliMailTest::SetUp();
    ASSERT_EQ(Run({"member", "add", "--last", "Adams", "--first", "Ann", "--email", "ann@example.com"}).status, kDone);
    ASSERT_EQ(Run({"member", "add", "--last", "Brown", "--first", "Bob"}).status, kDone);
    ASSERT_EQ(Run({"member", "add", "--last", "Clark", "--first", "Cy", "--email", "cy@example.com"}).status, kDone);
    ASSERT_EQ(Run({"--yes", "dues", "--date", "12/01/2026", "--all", "100"}).status, kDone);
    ASSERT_EQ(Run({"valuation", "official", "12/07/2026"}).status, kDone);
  }
};

// Mend: Bob has no address and stays out of "To:" as out of RCPT TO.
TEST_F(CliReportMailTest, ValuationStatementGoesToEveryMemberWithAnAddress) {
  SmtpPeer server = SmtpPeer::Server(peers.Path());
  MailSettings(server.HostPort());
  const CliRun run = Run({"mail", "report", "valuation", "--date", "12/07/2026", "--all-members"});
  EXPECT_EQ(run.status, kDone) << run.err;
  EXPECT_EQ(run.out, "Sending Reports\naccepted ann@example.com\naccepted cy@example.com\n");
  EXPECT_EQ(run.err, "Elm Valuation Statement for 12/07/2026 has been sent.\n");
  const ReceivedMail mail = server.Message(0);
  EXPECT_EQ(mail.Header("To"), "ann@example.com,cy@example.com");
  EXPECT_EQ(mail.Header("Subject"), "Elm Valuation Statement for 12/07/2026");
  EXPECT_EQ(mail.body, "Elm Valuation Statement for 12/07/2026 is attached.\r\n");
  ASSERT_EQ(mail.attachments.size(), 1u);
  EXPECT_EQ(mail.attachments[0].filename, "valuerpt.txt");
  const std::string written = pellmark::testing::FileBytes(club.Path() / "valuerpt.txt");
  EXPECT_THAT(written, HasSubstr("Valuation as of 12/07/2026"));
  EXPECT_EQ(mail.attachments[0].bytes, written);
}

// With --pdf the printed report goes with the text statement, written beside it.
TEST_F(CliReportMailTest, ThePrintedReportIsAttachedAsAPdfWhenAskedFor) {
  SmtpPeer server = SmtpPeer::Server(peers.Path());
  MailSettings(server.HostPort());
  const CliRun run = Run({"mail", "report", "vote", "--date", "12/07/2026", "--member", "Adams, Ann", "--pdf"});
  EXPECT_EQ(run.status, kDone) << run.err;
  const ReceivedMail mail = server.Message(0);
  ASSERT_EQ(mail.attachments.size(), 2u);
  EXPECT_EQ(mail.attachments[0].filename, "voterpt.txt");
  EXPECT_EQ(mail.attachments[1].filename, "voterpt.pdf");
  EXPECT_EQ(mail.attachments[1].bytes, pellmark::testing::FileBytes(club.Path() / "voterpt.pdf"));
  const std::string text = PdfText((club.Path() / "voterpt.pdf").string());
  EXPECT_THAT(text, HasSubstr("Membership Voting Percentages as of 12/07/2026."));
  EXPECT_THAT(text, ContainsRegex("Ann Adams +4\\.000 +\\$100\\.00 +33\\.34%"));
  // Saved as an operation of the books, as the text is: the journal names it
  // and undo takes the file away again.
  const CliRun history = Run({"history"});
  EXPECT_THAT(history.out, HasSubstr("Printed statement voterpt.pdf"));
  EXPECT_THAT(history.out, HasSubstr("Text statement voterpt.txt"));
  const CliRun undo = Run({"undo"});
  EXPECT_EQ(undo.status, kDone) << undo.err;
  EXPECT_EQ(undo.out, "Undo \"Printed statement voterpt.pdf\"\n");
  EXPECT_FALSE(std::filesystem::exists(club.Path() / "voterpt.pdf"));
  EXPECT_TRUE(std::filesystem::exists(club.Path() / "voterpt.txt"));
}

TEST_F(CliReportMailTest, VoteToChosenMembersAndRefusedOnesAreListed) {
  SmtpPeer server = SmtpPeer::Server(peers.Path(), {"--refuse", "cy@example.com"});
  MailSettings(server.HostPort());
  const CliRun run = Run({"mail", "report", "vote", "--date", "12/07/2026", "--member", "Clark, Cy", "--member",
                          "Adams, Ann"});
  EXPECT_EQ(run.status, kDone) << run.err;
  EXPECT_EQ(run.out,
            "Sending Reports\naccepted ann@example.com\n"
            "refused cy@example.com: 550 5.1.1 <cy@example.com>: Recipient address rejected\n");
  EXPECT_EQ(run.err,
            "Elm Membership Vote for 12/07/2026 has been sent.\n"
            "The mail server refused cy@example.com: 550 5.1.1 <cy@example.com>: Recipient address rejected\n");
  const ReceivedMail mail = server.Message(0);
  EXPECT_EQ(mail.Header("To"), "cy@example.com,ann@example.com");
  ASSERT_EQ(mail.attachments.size(), 1u);
  EXPECT_EQ(mail.attachments[0].filename, "voterpt.txt");
  EXPECT_EQ(mail.attachments[0].bytes, pellmark::testing::FileBytes(club.Path() / "voterpt.txt"));
}

TEST_F(CliReportMailTest, DistributionStatementIsAttachedAsWritten) {
  SmtpPeer server = SmtpPeer::Server(peers.Path());
  MailSettings(server.HostPort());
  const CliRun run = Run({"mail", "report", "distribution", "--date", "12/07/2026", "--member", "Adams, Ann"});
  EXPECT_EQ(run.status, kDone) << run.err;
  EXPECT_EQ(run.err, "Elm Distribution Statement for 12/07/2026 has been sent.\n");
  const ReceivedMail mail = server.Message(0);
  ASSERT_EQ(mail.attachments.size(), 1u);
  EXPECT_EQ(mail.attachments[0].filename, "distrpt.txt");
  const std::string written = pellmark::testing::FileBytes(club.Path() / "distrpt.txt");
  EXPECT_THAT(written, HasSubstr("Club Earnings Distribution as of 12/07/2026."));
  EXPECT_EQ(mail.attachments[0].bytes, written);
}

TEST_F(CliReportMailTest, MembersMustBeNamedAndKnown) {
  EXPECT_EQ(Run({"mail", "report", "roster", "--date", "12/07/2026"}).status, kUsage);
  const CliRun unknown = Run({"mail", "report", "roster", "--date", "12/07/2026", "--member", "Nobody, Here"});
  EXPECT_EQ(unknown.status, kRefused);
  EXPECT_EQ(unknown.err, "Member Nobody, Here not found.\n");
}

TEST_F(CliReportMailTest, AMissingStatementIsRefusedBeforeAnythingIsSent) {
  SmtpPeer script = SmtpPeer::Script(peers.Path());
  MailSettings(script.HostPort());
  const CliRun run = Run({"mail", "report", "valuation", "--date", "12/08/2026", "--all-members"});
  EXPECT_EQ(run.status, kRefused);
  EXPECT_EQ(run.err, "Creation of Valuation Statement Failed.\n");
  EXPECT_EQ(script.Dialogue(), "");
}

}  // namespace
}  // namespace pellmark::cli
