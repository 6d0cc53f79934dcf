#include "net/smtp_client.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "net/http_client.h"
#include "net/smtp_peer.h"
#include "support/temp_folder.h"

namespace pellmark::net {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using pellmark::testing::FileBytes;
using pellmark::testing::ReceivedMail;
using pellmark::testing::SmtpPeer;
using pellmark::testing::TempFolder;
using pellmark::testing::TestCertificate;

constexpr char kBoundary[] = "====================5453504:31:07====";

class SmtpClientTest : public ::testing::Test {
 protected:
  std::filesystem::path File(const std::string& name, const std::string& bytes) {
    const std::filesystem::path path = folder.Path() / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  MailServer Server(const SmtpPeer& peer) const {
    return {.host = "127.0.0.1", .port = peer.Port(), .helo_name = "oakclub",
            .reply_wait = std::chrono::milliseconds(5000)};
  }

  TPostMessage Statement(std::vector<std::string> to) {
    TPostMessage message;
    message.FromAddress = "treasurer@example.com";
    message.ToAddress = std::move(to);
    message.Subject = "Oak Club Valuation Statement for 12/31/2026";
    message.Body = {"Oak Club Valuation Statement for 12/31/2026 is attached."};
    message.Attachments = {File("valuerpt.txt", statement)};
    return message;
  }

  std::string Failure(const MailServer& server, const TPostMessage& message, const MailEvents& events = {}) {
    try {
      SendMail(server, message, kBoundary, events);
    } catch (const MailError& error) {
      return error.what();
    }
    ADD_FAILURE() << "the send did not fail";
    return {};
  }

  TempFolder folder;
  // Long enough for several Base64 lines, with a line that begins with a dot.
  std::string statement = "Oak Club\r\nValuation as of 12/31/2026\r\n" + std::string(80, '-') +
                          "\r\n.dot line\r\nIBM                      10.000    123.250   1232.50\r\n";
};

TEST_F(SmtpClientTest, ReplyReaderJoinsTheLinesOfAMultiLineReply) {
  SmtpReplyReader reader;
  EXPECT_FALSE(reader.TakeLine("250-peer.test"));
  EXPECT_FALSE(reader.TakeLine(" continued"));
  const std::optional<SmtpReply> reply = reader.TakeLine("250 hello");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->code, 250);
  EXPECT_THAT(reply->lines, ElementsAre("250-peer.test", " continued", "250 hello"));
  EXPECT_EQ(reply->Text(), "250 hello");
  EXPECT_EQ(reader.TakeLine("421")->code, 421);
  EXPECT_EQ(reader.TakeLine("hello there")->code, 0);
  EXPECT_EQ(reader.TakeLine("-25 signed")->code, 0);
  EXPECT_EQ(reader.TakeLine("+25 signed")->code, 0);
}

TEST_F(SmtpClientTest, HostTakesAnOptionalPort) {
  EXPECT_EQ(ParseMailHost("mail.example.com")->port, 25);
  EXPECT_EQ(ParseMailHost("mail.example.com:587")->host, "mail.example.com");
  EXPECT_EQ(ParseMailHost("mail.example.com:587")->port, 587);
  EXPECT_EQ(ParseMailHost("[::1]:2525")->host, "::1");
  EXPECT_EQ(ParseMailHost("[::1]:2525")->port, 2525);
  EXPECT_EQ(ParseMailHost("::1")->host, "::1");
  EXPECT_FALSE(ParseMailHost("mail:0"));
  EXPECT_FALSE(ParseMailHost("mail:65536"));
  EXPECT_FALSE(ParseMailHost("mail:smtp"));
  EXPECT_FALSE(ParseMailHost("mail:"));
}

TEST_F(SmtpClientTest, PlainDialogueIsSentByteForByteThroughMultiLineReplies) {
  SmtpPeer peer = SmtpPeer::Script(folder.Path(), {"--multiline"});
  TPostMessage message;
  message.FromAddress = "treasurer@example.com";
  message.ToAddress = {"Ann <ann@example.com>", "", "SMTP:bob@example.com"};
  message.ToBlindCarbonCopy = {"carl@example.com"};
  message.Subject = "Pellmark Support";
  message.Body = {".hidden", "text"};
  std::vector<std::string> trace;
  const MailDelivery delivery = SendMail(Server(peer), message, kBoundary,
                                         {.trace = [&](std::string_view line) { trace.emplace_back(line); }});
  EXPECT_THAT(delivery.accepted, ElementsAre("ann@example.com", "bob@example.com", "carl@example.com"));
  EXPECT_TRUE(delivery.refused.empty());
  EXPECT_EQ(peer.Dialogue(),
            "HELO oakclub\r\n"
            "RSET\r\n"
            "MAIL FROM:<treasurer@example.com>\r\n"
            "RCPT TO:<ann@example.com>\r\n"
            "RCPT TO:<bob@example.com>\r\n"
            "RCPT TO:<carl@example.com>\r\n"
            "DATA\r\n"
            "From: <treasurer@example.com>\r\n"
            "To: Ann <ann@example.com>,SMTP:bob@example.com\r\n"
            "Subject: Pellmark Support\r\n"
            "Mime-Version: 1.0\r\n"
            "Content-Type: text/plain;                        charset=us-ascii\r\n"
            "\r\n"
            "..hidden\r\n"
            "text\r\n"
            ".\r\n"
            "QUIT\r\n");
  EXPECT_THAT(trace, ::testing::Contains("220 ready"));
  EXPECT_THAT(trace, ::testing::Contains(" 250 a continued line"));
}

TEST_F(SmtpClientTest, RealServerReceivesTheStatementWithItsAttachmentIntact) {
  SmtpPeer peer = SmtpPeer::Server(folder.Path());
  const TPostMessage message = Statement({"ann@example.com", "", "bob@example.com"});
  const MailDelivery delivery = SendMail(Server(peer), message, kBoundary);
  EXPECT_THAT(delivery.accepted, ElementsAre("ann@example.com", "bob@example.com"));

  const ReceivedMail mail = peer.Message(0);
  EXPECT_EQ(mail.from, "treasurer@example.com");
  EXPECT_THAT(mail.recipients, ElementsAre("ann@example.com", "bob@example.com"));
  EXPECT_EQ(mail.Header("From"), "<treasurer@example.com>");
  EXPECT_EQ(mail.Header("To"), "ann@example.com,bob@example.com");
  EXPECT_EQ(mail.Header("Subject"), "Oak Club Valuation Statement for 12/31/2026");
  EXPECT_EQ(mail.body, "Oak Club Valuation Statement for 12/31/2026 is attached.\r\n");
  ASSERT_EQ(mail.attachments.size(), 1u);
  EXPECT_EQ(mail.attachments[0].filename, "valuerpt.txt");
  EXPECT_EQ(mail.attachments[0].content_type, "application/octet-stream");
  EXPECT_EQ(mail.attachments[0].bytes, statement);
  EXPECT_EQ(mail.raw, ComposeMessage(message, kBoundary));
}

// Mend: a refused recipient no longer fails the whole send; the others get the message.
TEST_F(SmtpClientTest, ARefusedRecipientIsReportedAndTheOthersStillReceive) {
  SmtpPeer peer = SmtpPeer::Server(folder.Path(), {"--refuse", "bob@example.com"});
  const MailDelivery delivery =
      SendMail(Server(peer), Statement({"ann@example.com", "bob@example.com", "carl@example.com"}), kBoundary);
  EXPECT_THAT(delivery.accepted, ElementsAre("ann@example.com", "carl@example.com"));
  EXPECT_THAT(delivery.refused, ElementsAre(RefusedRecipient{
                                    "bob@example.com", "550 5.1.1 <bob@example.com>: Recipient address rejected"}));
  EXPECT_THAT(peer.Message(0).recipients, ElementsAre("ann@example.com", "carl@example.com"));
}

TEST_F(SmtpClientTest, EveryRecipientRefusedFailsWithTheRefusal) {
  SmtpPeer peer = SmtpPeer::Server(folder.Path(), {"--refuse", "bob@example.com"});
  EXPECT_EQ(Failure(Server(peer), Statement({"bob@example.com"})),
            "550 5.1.1 <bob@example.com>: Recipient address rejected");
  EXPECT_FALSE(peer.HasMessage(0));
}

TEST_F(SmtpClientTest, AGreetingOf421EndsTheSendWithTheGreeting) {
  SmtpPeer peer = SmtpPeer::Script(folder.Path(), {"--greeting", "421 peer.test Service not available"});
  EXPECT_EQ(Failure(Server(peer), Statement({"ann@example.com"})), "421 peer.test Service not available");
}

TEST_F(SmtpClientTest, AServerThatNeverAnswersEndsTheSendAfterTheReplyWait) {
  SmtpPeer peer = SmtpPeer::Script(folder.Path(), {"--silent"});
  MailServer server = Server(peer);
  server.reply_wait = std::chrono::milliseconds(300);
  EXPECT_EQ(Failure(server, Statement({"ann@example.com"})), "No reply from the server within 0.3 seconds");
}

TEST_F(SmtpClientTest, AbortStopsTheWait) {
  SmtpPeer peer = SmtpPeer::Script(folder.Path(), {"--silent"});
  int asked = 0;
  EXPECT_EQ(Failure(Server(peer), Statement({"ann@example.com"}), {.keep_going = [&] { return ++asked < 3; }}),
            "Aborted");
  EXPECT_EQ(asked, 3);
}

TEST_F(SmtpClientTest, AServerThatClosesInTheMiddleOfDataFailsTheSend) {
  SmtpPeer peer = SmtpPeer::Script(folder.Path(), {"--close-in-data"});
  EXPECT_EQ(Failure(Server(peer), Statement({"ann@example.com"})), "Connection closed by the server");
  EXPECT_THAT(peer.Dialogue(), HasSubstr("DATA\r\nFrom: <treasurer@example.com>\r\n"));
}

TEST_F(SmtpClientTest, WithoutSenderOrRecipientTheHeaderIsIncompleteAfterHelo) {
  SmtpPeer peer = SmtpPeer::Script(folder.Path());
  EXPECT_EQ(Failure(Server(peer), Statement({"", ""})), "Incomplete Header");
  TPostMessage message = Statement({"ann@example.com"});
  message.FromAddress.clear();
  EXPECT_EQ(Failure(Server(peer), message), "Incomplete Header");
  EXPECT_EQ(peer.Dialogue(), "HELO oakclub\r\nHELO oakclub\r\n");
}

TEST_F(SmtpClientTest, AnAttachmentThatCannotBeOpenedFailsBeforeConnecting) {
  SmtpPeer peer = SmtpPeer::Script(folder.Path());
  TPostMessage message = Statement({"ann@example.com"});
  message.Attachments.push_back(folder.Path() / "missing.txt");
  EXPECT_THAT(Failure(Server(peer), message), HasSubstr("missing.txt"));
  EXPECT_EQ(peer.Dialogue(), "");
}

TEST_F(SmtpClientTest, NoServerOnThePortFailsToConnect) {
  MailServer server{.host = "127.0.0.1", .port = 1, .reply_wait = std::chrono::milliseconds(2000)};
  EXPECT_EQ(Failure(server, Statement({"ann@example.com"})), "Could not connect to 127.0.0.1:1");
}

class SecureSmtpTest : public SmtpClientTest {
 protected:
  SecureSmtpTest() : certificate(TestCertificate::Make(folder.Path())) {}

  MailServer Secure(const SmtpPeer& peer, MailSecurity security, std::string password) const {
    MailServer server = Server(peer);
    server.security = security;
    server.login = "treasurer";
    server.password = std::move(password);
    server.ca_file = certificate.cert.string();
    return server;
  }

  TestCertificate certificate;
};

TEST_F(SecureSmtpTest, AuthPlainOverStartTlsDeliversTheSameMessage) {
  SmtpPeer peer = SmtpPeer::Server(folder.Path(), {"--starttls", certificate.cert.string(), certificate.key.string(),
                                                   "--login", "treasurer", "s3cret pass"});
  std::vector<std::string> trace;
  const TPostMessage message = Statement({"ann@example.com", "bob@example.com"});
  const MailDelivery delivery =
      SendMail(Secure(peer, MailSecurity::kStartTls, "s3cret pass"), message, kBoundary,
               {.trace = [&](std::string_view line) { trace.emplace_back(line); }});
  EXPECT_THAT(delivery.accepted, ElementsAre("ann@example.com", "bob@example.com"));
  EXPECT_EQ(peer.Logins(), "PLAIN treasurer s3cret pass\n");
  const ReceivedMail mail = peer.Message(0);
  EXPECT_EQ(mail.raw, ComposeMessage(message, kBoundary));
  EXPECT_EQ(mail.attachments.at(0).bytes, statement);
  EXPECT_THAT(trace, ::testing::Contains("STARTTLS"));
  // Neither the password nor the AUTH PLAIN response made of it reaches the trace.
  const std::string login_response = Base64(std::string("\0treasurer\0s3cret pass", 21));
  for (const std::string& line : trace) {
    EXPECT_THAT(line, ::testing::Not(HasSubstr("s3cret")));
    EXPECT_THAT(line, ::testing::Not(HasSubstr(login_response.substr(0, 20))));
  }
}

TEST_F(SecureSmtpTest, AWrongPasswordFailsTheLogin) {
  SmtpPeer peer = SmtpPeer::Server(folder.Path(), {"--starttls", certificate.cert.string(), certificate.key.string(),
                                                   "--login", "treasurer", "s3cret pass"});
  EXPECT_EQ(Failure(Secure(peer, MailSecurity::kStartTls, "wrong"), Statement({"ann@example.com"})),
            "Authentication failed");
  EXPECT_FALSE(peer.HasMessage(0));
}

TEST_F(SecureSmtpTest, ImplicitTlsWithARefusedRecipientReportsIt) {
  SmtpPeer peer = SmtpPeer::Server(folder.Path(), {"--tls", certificate.cert.string(), certificate.key.string(),
                                                   "--login", "treasurer", "pw", "--refuse", "bob@example.com"});
  const MailDelivery delivery = SendMail(Secure(peer, MailSecurity::kImplicitTls, "pw"),
                                         Statement({"bob@example.com", "ann@example.com"}), kBoundary);
  EXPECT_THAT(delivery.accepted, ElementsAre("ann@example.com"));
  ASSERT_EQ(delivery.refused.size(), 1u);
  EXPECT_EQ(delivery.refused[0].address, "bob@example.com");
  EXPECT_THAT(delivery.refused[0].reply, HasSubstr("550"));
  EXPECT_THAT(peer.Message(0).recipients, ElementsAre("ann@example.com"));
}

TEST_F(SecureSmtpTest, AnUntrustedCertificateIsRefused) {
  SmtpPeer peer = SmtpPeer::Server(folder.Path(), {"--starttls", certificate.cert.string(), certificate.key.string(),
                                                   "--login", "treasurer", "pw"});
  MailServer server = Secure(peer, MailSecurity::kStartTls, "pw");
  server.ca_file.clear();
  EXPECT_THAT(Failure(server, Statement({"ann@example.com"})), ::testing::Not(::testing::IsEmpty()));
  EXPECT_EQ(FileBytes(folder.Path() / "peer" / "auth.txt"), "");
}

}  // namespace
}  // namespace pellmark::net
