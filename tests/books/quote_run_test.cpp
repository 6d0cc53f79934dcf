#include "books/books.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "books/security_form.h"
#include "net/http_peer.h"
#include "support/ledger_fixture.h"

namespace pellmark {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using pellmark::testing::HttpPeer;

constexpr ConnectionWaits kShortWaits{std::chrono::milliseconds(2000), std::chrono::milliseconds(1000)};

class QuoteRunTest : public pellmark::testing::ClubFixture {
 protected:
  void SetUp() override {
    ClubFixture::SetUp();
    AddSecurities({{"Intl Business", "IBM"}, {"New One", "Symbol"}, {"Soft", "msft"}});
  }

  void AddSecurities(const std::vector<std::pair<std::string, std::string>>& securities) {
    for (const auto& [name, symbol] : securities) {
      ASSERT_TRUE(CommitSecurity(books.Securities(), std::nullopt, {name, symbol}));
    }
    ui.Clear();
  }

  std::string Reply(const std::string& bytes) {
    const std::filesystem::path path = folder.Path() / "reply.txt";
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  QuoteRun Run(const QuoteService& service) {
    ConnectOnce dialog;
    return books.FetchQuotes(service, dialog, nullptr, kShortWaits);
  }
};

TEST_F(QuoteRunTest, EntersThePricesSetsTheFlagAndSaysSo) {
  HttpPeer server = HttpPeer::Server(
      folder.Path(), {"/d/quotes.csv=body:" + Reply("\"IBM\",123.25,\"12/4/2026\"\r\n\"MSFT\",410.5,\"12/3/2026\"\r\n")});
  const QuoteRun run = Run({.host = server.HostPort()});
  const Outcome& outcome = run.outcome;
  EXPECT_TRUE(outcome.IsDone());
  EXPECT_THAT(run.entered, ElementsAre(EnteredQuote{"Intl Business", "IBM", Day(2026, 12, 4), 123.25},
                                       EnteredQuote{"Soft", "msft", Day(2026, 12, 3), 410.5}));
  EXPECT_EQ(books.Securities().Find("Soft")->pricec, 410.5);
  EXPECT_TRUE(club.Info().stks);
  EXPECT_THAT(ui.Messages(), ElementsAre("Stock Quotes have been updated..."));
  EXPECT_EQ(ui.SoundCount(), 1);
  ASSERT_EQ(server.Requests().size(), 2u);
  EXPECT_EQ(server.Requests()[1].substr(0, server.Requests()[1].find("\r\n")),
            "GET /d/quotes.csv?s=IBM+msft&f=sl1d1&e=.csv HTTP/1.0");

  // The flag is in the club's file: another session of the club sees it.
  books.Close();
  Books again(folder.Path(), ui, clock);
  again.Open();
  EXPECT_TRUE(again.Club().Info().stks);
}

TEST_F(QuoteRunTest, AUrlTemplateTakesTheSymbols) {
  HttpPeer server = HttpPeer::Server(folder.Path(), {"/csv=body:" + Reply("\"IBM\",1.5,\"12/4/2026\"\r\n")});
  const QuoteRun run = Run({.url_template = server.Url("/csv?list={symbols}")});
  const Outcome& outcome = run.outcome;
  EXPECT_TRUE(outcome.IsDone());
  EXPECT_EQ(run.entered.size(), 1u);
  EXPECT_THAT(server.Requests()[0], ::testing::StartsWith("HEAD /csv?list=IBM+msft HTTP/1.0\r\n"));
}

TEST_F(QuoteRunTest, AfterAPriceUpdateAsksFirstAndNoEndsIt) {
  club.Info().stks = true;
  ui.AnswerNext("No Valuation Statement Created since last price update. Continue?", false);
  HttpPeer server = HttpPeer::Server(folder.Path(), {});
  const QuoteRun run = Run({.host = server.HostPort()});
  const Outcome& outcome = run.outcome;
  EXPECT_TRUE(outcome.WasCancelled());
  EXPECT_TRUE(server.Requests().empty());
  EXPECT_EQ(ui.BeepCount(), 1);
}

TEST_F(QuoteRunTest, WithoutSymbolsNothingIsAsked) {
  ASSERT_TRUE(books.Securities().Hide("Intl Business"));
  ASSERT_TRUE(books.Securities().Hide("Soft"));
  AddSecurities({{"Blank", ""}});
  HttpPeer server = HttpPeer::Server(folder.Path(), {});
  const Outcome outcome = Run({.host = server.HostPort()}).outcome;
  EXPECT_TRUE(outcome.Refused());
  EXPECT_THAT(ui.Messages(), ElementsAre("No Securities have valid Symbols."));
  EXPECT_TRUE(server.Requests().empty());
}

TEST_F(QuoteRunTest, WithoutAServiceSaysSoPlainly) {
  EXPECT_TRUE(Run({}).outcome.Refused());
  EXPECT_TRUE(Run({.url_template = "https://q.example.com/csv"}).outcome.Refused());
  EXPECT_THAT(ui.Messages(),
              ElementsAre("No quote service is configured.", "The quote URL template has no {symbols}."));
}

TEST_F(QuoteRunTest, A404OnTheHeadEntersNothing) {
  HttpPeer server = HttpPeer::Server(folder.Path(), {"/d/quotes.csv=status:404"});
  const QuoteRun run = Run({.host = server.HostPort()});
  const Outcome& outcome = run.outcome;
  EXPECT_TRUE(outcome.WasCancelled());
  EXPECT_THAT(run.entered, IsEmpty());
  EXPECT_FALSE(club.Info().stks);
  EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(QuoteRunTest, UnknownSymbolsAloneLeaveTheFlagAlone) {
  HttpPeer server = HttpPeer::Server(
      folder.Path(), {"/d/quotes.csv=body:" + Reply("\"IBM\",0.00,\"N/A\"\r\n\"MSFT\",0.00,\"N/A\"\r\n")});
  const QuoteRun run = Run({.host = server.HostPort()});
  const Outcome& outcome = run.outcome;
  EXPECT_TRUE(outcome.IsDone());
  EXPECT_THAT(ui.Messages(), ElementsAre("IBM is an invalid symbol for security Intl Business.",
                                         "MSFT is an invalid symbol for security Soft."));
  EXPECT_FALSE(club.Info().stks);
  EXPECT_EQ(ui.SoundCount(), 0);
}

TEST_F(QuoteRunTest, AnUnreadableLineKeepsTheEarlierPricesAndRefuses) {
  HttpPeer server = HttpPeer::Server(
      folder.Path(), {"/d/quotes.csv=body:" + Reply("\"IBM\",123.25,\"12/4/2026\"\r\n\"MSFT\",abc,\"12/3/2026\"\r\n")});
  const QuoteRun run = Run({.host = server.HostPort()});
  const Outcome& outcome = run.outcome;
  EXPECT_TRUE(outcome.Refused());
  EXPECT_EQ(run.entered.size(), 1u);
  EXPECT_TRUE(club.Info().stks);
  EXPECT_THAT(ui.Messages(),
              ElementsAre("The quote for MSFT on reply line 2 could not be read; no further quotes were entered.",
                          "Stock Quotes have been updated..."));
}

}  // namespace
}  // namespace pellmark
