#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "cli/cli_runner.h"
#include "net/http_peer.h"
#include "support/temp_folder.h"

namespace pellmark::cli {
namespace {

using ::testing::HasSubstr;
using pellmark::testing::HttpPeer;

class CliQuotesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Run({"init", "--name", "Elm", "--year", "2026"}).status, kDone);
    ASSERT_EQ(Run({"security", "add", "Acme Corp", "--symbol", "acme"}).status, kDone);
    ASSERT_EQ(Run({"security", "add", "Bolt Inc"}).status, kDone);  // the placeholder symbol
    ASSERT_EQ(Run({"security", "add", "Crane Co", "--symbol", "CRN"}).status, kDone);
  }
  CliRun Run(std::vector<std::string> args) { return RunInClub(club.Path(), std::move(args)); }
  HttpPeer Server(const std::string& reply) {
    const std::filesystem::path file = peers.Path() / "reply.txt";
    std::ofstream(file, std::ios::binary) << reply;
    return HttpPeer::Server(peers.Path(), {"/d/quotes.csv=body:" + file.string(), "/csv=body:" + file.string()});
  }

  pellmark::testing::TempFolder club;
  pellmark::testing::TempFolder peers;
};

TEST_F(CliQuotesTest, EntersTheQuotesAndPrintsEachPrice) {
  HttpPeer server = Server("\"ACME\",12.375,\"12/4/2026\"\r\n\"CRN\",7.5,\"12/04/2026\"\r\n");
  const CliRun run = Run({"quotes", "--host", server.HostPort()});
  EXPECT_EQ(run.status, kDone) << run.err;
  EXPECT_EQ(run.out,
            "Trying to get quotes from the internet\n"
            "Acme Corp (acme) 12/04/2026 12.375\n"
            "Crane Co (CRN) 12/04/2026 7.50\n");
  EXPECT_EQ(run.err, "Stock Quotes have been updated...\n");
  const std::string request = server.Requests().at(1);
  EXPECT_EQ(request.substr(0, request.find("\r\n")), "GET /d/quotes.csv?s=acme+CRN&f=sl1d1&e=.csv HTTP/1.0");
  EXPECT_THAT(Run({"prices", "Crane Co"}).out, HasSubstr(" 0  12/04/2026   7.50\n"));
  EXPECT_THAT(Run({"prices", "Acme Corp"}).out, HasSubstr(" 0  12/04/2026  12.375\n"));

  // The prices changed since the last valuation: the next run asks first.
  EXPECT_EQ(Run({"--no", "quotes", "--host", server.HostPort()}).status, kRefused);
  EXPECT_EQ(server.Requests().size(), 2u);
}

TEST_F(CliQuotesTest, HiddenSecuritiesAreQuotedWhenTheListShowsThem) {
  ASSERT_EQ(Run({"security", "hide", "Crane Co"}).status, kDone);
  HttpPeer server = Server("\"ACME\",12.375,\"12/4/2026\"\r\n\"CRN\",7.5,\"12/04/2026\"\r\n");
  EXPECT_EQ(Run({"quotes", "--host", server.HostPort()}).status, kDone);
  const CliRun run = Run({"--yes", "quotes", "--hidden", "--host", server.HostPort()});
  EXPECT_EQ(run.status, kDone) << run.err;
  ASSERT_EQ(server.Requests().size(), 4u);
  const auto request_line = [&](std::size_t i) {
    const std::string request = server.Requests().at(i);
    return request.substr(0, request.find("\r\n"));
  };
  EXPECT_EQ(request_line(1), "GET /d/quotes.csv?s=acme&f=sl1d1&e=.csv HTTP/1.0");
  EXPECT_EQ(request_line(3), "GET /d/quotes.csv?s=acme+CRN&f=sl1d1&e=.csv HTTP/1.0");
  EXPECT_THAT(run.out, HasSubstr("Crane Co (CRN) 12/04/2026 7.50\n"));
  EXPECT_THAT(Run({"prices", "Crane Co"}).out, HasSubstr(" 0  12/04/2026   7.50\n"));
}

TEST_F(CliQuotesTest, UsesTheClubsProxyAndAuthentication) {
  HttpPeer server = Server("\"CRN\",7.5,\"12/4/2026\"\r\n");
  HttpPeer proxy = HttpPeer::Proxy(peers.Path());
  ASSERT_EQ(Run({"club", "--proxy", proxy.HostPort(), "--use-proxy", "on", "--cache-off", "on", "--user", "ann",
                 "--password", "secret", "--basic-auth", "on"})
                .status,
            kDone);
  const CliRun run = Run({"quotes", "--url", server.Url("/csv?s={symbols}")});
  EXPECT_EQ(run.status, kDone) << run.err;
  ASSERT_EQ(proxy.Requests().size(), 2u);
  EXPECT_EQ(proxy.Requests()[1], "GET " + server.Url("/csv?s=acme+CRN") + " HTTP/1.0\r\nHost: " +
                                     server.HostPort() +
                                     "\r\nPragma: no-cache\r\nAuthorization: Basic YW5uOnNlY3JldA==\r\n\r\n");
}

TEST_F(CliQuotesTest, A404IsReportedAndNothingEntered) {
  HttpPeer server = HttpPeer::Server(peers.Path(), {});
  const CliRun run = Run({"quotes", "--host", server.HostPort()});
  EXPECT_EQ(run.status, kRefused);
  EXPECT_EQ(run.out, "Trying to get quotes from the internet\nCould not get Quotes from internet\nHTTP 404 Not Found\n");
  EXPECT_THAT(Run({"prices", "Crane Co"}).out, HasSubstr("(0)"));
}

TEST_F(CliQuotesTest, WithoutAServiceSaysSo) {
  const CliRun run = Run({"quotes"});
  EXPECT_EQ(run.status, kRefused);
  EXPECT_EQ(run.err, "No quote service is configured.\n");
  EXPECT_EQ(Run({"quotes", "--host", "h", "--url", "u"}).status, kUsage);
}

}  // namespace
}  // namespace pellmark::cli
