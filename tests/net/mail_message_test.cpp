#include "net/mail_message.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "support/property_seed.h"
#include "support/temp_folder.h"

namespace pellmark::net {
namespace {

using pellmark::testing::TempFolder;

// The reference decoder of the test: RFC 2045 Base64 without line breaks.
std::string DecodeBase64(std::string_view text) {
  static const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string bytes;
  unsigned buffer = 0;
  int bits = 0;
  for (const char c : text) {
    if (c == '=') break;
    buffer = (buffer << 6) | static_cast<unsigned>(kAlphabet.find(c));
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes += static_cast<char>((buffer >> bits) & 0xFF);
    }
  }
  return bytes;
}

TEST(MailMessageTest, RecipientAddressTakesTheBracketsThenTheTextAfterTheColonThenAll) {
  EXPECT_EQ(RecipientAddress("Ann Lee <ann@example.com>"), "ann@example.com");
  EXPECT_EQ(RecipientAddress("<ann@example.com>"), "ann@example.com");
  EXPECT_EQ(RecipientAddress("SMTP:ann@example.com"), "ann@example.com");
  EXPECT_EQ(RecipientAddress("x:<ann@example.com>"), "ann@example.com");
  EXPECT_EQ(RecipientAddress("a:b:c"), "b:c");
  EXPECT_EQ(RecipientAddress("ann@example.com"), "ann@example.com");
  EXPECT_EQ(RecipientAddress(""), "");
  EXPECT_EQ(RecipientAddress("<"), "");
}

TEST(MailMessageTest, RecipientsAreToThenCcThenBccWithoutTheEmptyOnes) {
  TPostMessage message;
  message.ToAddress = {"a@x", "", "Bee <b@x>"};
  message.ToCarbonCopy = {"c@x"};
  message.ToBlindCarbonCopy = {"", "d@x"};
  EXPECT_EQ(Recipients(message), (std::vector<std::string>{"a@x", "b@x", "c@x", "d@x"}));
}

TEST(MailMessageTest, PlainMessageHasTheHeadersInOrderAndNoMimeParts) {
  TPostMessage message;
  message.FromAddress = "treasurer@example.com";
  message.ToAddress = {"support@example.com"};
  message.Subject = "Pellmark Support";
  message.Body = {"Hello,", ".profile is gone", "", "Ann"};
  EXPECT_EQ(ComposeMessage(message, MailBoundary("04:31:07")),
            "From: <treasurer@example.com>\r\n"
            "To: support@example.com\r\n"
            "Subject: Pellmark Support\r\n"
            "Mime-Version: 1.0\r\n"
            "Content-Type: text/plain;                        charset=us-ascii\r\n"
            "\r\n"
            "Hello,\r\n"
            ".profile is gone\r\n"
            "\r\n"
            "Ann\r\n");
}

TEST(MailMessageTest, OptionalHeadersAndCarbonCopiesAppearOnlyWhenSet) {
  TPostMessage message;
  message.FromName = "Oak Club";
  message.FromAddress = "t@x";
  message.ToAddress = {"a@x", "b@x"};
  message.ToCarbonCopy = {"c@x"};
  message.ToBlindCarbonCopy = {"hidden@x"};
  message.Subject = "S";
  message.LocalProgram = "Pellmark";
  message.ReplyTo = "r@x";
  message.Date = "Tue, 08 Dec 2026 04:31:07 +0000";
  EXPECT_EQ(ComposeMessage(message, "B"),
            "From: Oak Club<t@x>\r\nTo: a@x,b@x\r\nCC: c@x\r\nSubject: S\r\nX-Mailer: Pellmark\r\n"
            "Reply-To: r@x\r\nDate: Tue, 08 Dec 2026 04:31:07 +0000\r\nMime-Version: 1.0\r\n"
            "Content-Type: text/plain;                        charset=us-ascii\r\n\r\n");
}

// Mend: an empty address is left out of "To:" as it is left out of RCPT TO,
// instead of leaving an empty entry between two commas.
TEST(MailMessageTest, EmptyAddressesAreLeftOutOfTheToHeader) {
  TPostMessage message;
  message.FromAddress = "t@x";
  message.ToAddress = {"ann@x", "", "bob@x", ""};
  message.Subject = "S";
  const std::string content = ComposeMessage(message, "B");
  EXPECT_NE(content.find("\r\nTo: ann@x,bob@x\r\n"), std::string::npos) << content;
}

TEST(MailMessageTest, AttachmentsMakeAMultipartMessageWithBase64Parts) {
  TempFolder folder;
  std::ofstream(folder.Path() / "valuerpt.txt", std::ios::binary) << "AB\r\n";
  std::ofstream(folder.Path() / "empty.bin", std::ios::binary);
  TPostMessage message;
  message.FromAddress = "t@x";
  message.ToAddress = {"a@x"};
  message.Subject = "Oak Valuation Statement for 12/31/2026";
  message.Body = {"Oak Valuation Statement for 12/31/2026 is attached."};
  message.Attachments = {folder.Path() / "valuerpt.txt", folder.Path() / "empty.bin"};
  const std::string boundary = MailBoundary("04:31:07");
  EXPECT_EQ(boundary, "====================5453504:31:07====");
  EXPECT_EQ(ComposeMessage(message, boundary),
            "From: <t@x>\r\n"
            "To: a@x\r\n"
            "Subject: Oak Valuation Statement for 12/31/2026\r\n"
            "Mime-Version: 1.0\r\n"
            "Content-Type: multipart/mixed;                   boundary=\"====================5453504:31:07====\"\r\n"
            "\r\n"
            "--====================5453504:31:07====\r\n"
            "Content-Type: text/plain;                        charset=us-ascii\r\n"
            "\r\n"
            "Oak Valuation Statement for 12/31/2026 is attached.\r\n"
            "\r\n"
            "--====================5453504:31:07====\r\n"
            "Content-Type: application/octet-stream;          name=\"valuerpt.txt\"\r\n"
            "Content-Transfer-Encoding: base64\r\n"
            "Content-Disposition: attachment;                 filename=\"valuerpt.txt\"\r\n"
            "\r\n"
            "QUINCg==\r\n"
            "\r\n"
            "--====================5453504:31:07====\r\n"
            "Content-Type: application/octet-stream;          name=\"empty.bin\"\r\n"
            "Content-Transfer-Encoding: base64\r\n"
            "Content-Disposition: attachment;                 filename=\"empty.bin\"\r\n"
            "\r\n"
            "--====================5453504:31:07====--\r\n");
}

TEST(MailMessageTest, AnAttachmentThatCannotBeOpenedFailsTheComposition) {
  TempFolder folder;
  TPostMessage message;
  message.FromAddress = "t@x";
  message.ToAddress = {"a@x"};
  message.Attachments = {folder.Path() / "missing.txt"};
  EXPECT_THROW(ComposeMessage(message, "B"), MailError);
}

TEST(MailMessageTest, Base64LinesHold45BytesEachAndDecodeToTheInput) {
  const unsigned seed = pellmark::testing::PropertySeed();
  std::mt19937 random(seed);
  for (int round = 0; round < 300; ++round) {
    std::string bytes(std::uniform_int_distribution<std::size_t>(0, 400)(random), '\0');
    for (char& byte : bytes) byte = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random));
    const std::string lines = Base64Lines(bytes);
    std::string joined;
    std::size_t count = 0;
    for (std::size_t start = 0; start < lines.size(); ++count) {
      const std::size_t end = lines.find("\r\n", start);
      ASSERT_NE(end, std::string::npos) << "seed " << seed;
      const std::size_t length = end - start;
      const bool last = end + 2 == lines.size();
      ASSERT_TRUE(last ? length > 0 && length <= 60 && length % 4 == 0 : length == 60)
          << "seed " << seed << " line " << count << " of " << bytes.size() << " bytes";
      joined += lines.substr(start, length);
      start = end + 2;
    }
    EXPECT_EQ(count, (bytes.size() + 44) / 45) << "seed " << seed;
    EXPECT_EQ(DecodeBase64(joined), bytes) << "seed " << seed;
  }
}

TEST(MailMessageTest, DataSectionStuffsLeadingDotsAndEndsWithALoneDot) {
  EXPECT_EQ(DataSection("a\r\n.b\r\n..\r\n.\r\nc.d\r\n"), "a\r\n..b\r\n...\r\n..\r\nc.d\r\n.\r\n");
  EXPECT_EQ(DataSection(".first\r\n"), "..first\r\n.\r\n");
  EXPECT_EQ(DataSection("no end"), "no end\r\n.\r\n");
  EXPECT_EQ(DataSection(""), ".\r\n");
}

}  // namespace
}  // namespace pellmark::net
