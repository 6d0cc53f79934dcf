#include "net/online_quotes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "net/fake_quote_book.h"
#include "net/http_peer.h"
#include "support/ledger_fixture.h"

namespace pellmark::net {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using pellmark::testing::FakeQuoteBook;
using pellmark::testing::HttpPeer;
using Entered = FakeQuoteBook::Entered;

constexpr HttpTimeouts kShortWaits{std::chrono::milliseconds(2000), std::chrono::milliseconds(1000)};

class OnlineQuotesTest : public pellmark::testing::ClubFixture {
 protected:
  std::string Reply(const std::string& bytes) {
    const std::filesystem::path path = folder.Path() / "reply.txt";
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  Outcome Run(FakeQuoteBook& book, const QuoteService& service) {
    ConnectOnce dialog;
    return books.Settle(FetchOnlineQuotes(club, ui, book, service, dialog, kShortWaits));
  }

  FakeQuoteBook book{{{"Intl Business", "IBM"}, {"New One", "Symbol"}, {"Soft", "msft"}}};
};

TEST_F(OnlineQuotesTest, EntersThePricesSetsTheFlagAndSaysSo) {
  HttpPeer server = HttpPeer::Server(
      folder.Path(), {"/d/quotes.csv=body:" + Reply("\"IBM\",123.25,\"12/4/2026\"\r\n\"MSFT\",410.5,\"12/3/2026\"\r\n")});
  const Outcome outcome = Run(book, {.host = server.HostPort()});
  EXPECT_TRUE(outcome.IsDone());
  EXPECT_THAT(book.Prices(), ElementsAre(Entered{"Intl Business", Day(2026, 12, 4), 123.25},
                                         Entered{"Soft", Day(2026, 12, 3), 410.5}));
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

TEST_F(OnlineQuotesTest, AUrlTemplateTakesTheSymbols) {
  HttpPeer server = HttpPeer::Server(folder.Path(), {"/csv=body:" + Reply("\"IBM\",1.5,\"12/4/2026\"\r\n")});
  const Outcome outcome = Run(book, {.url_template = server.Url("/csv?list={symbols}")});
  EXPECT_TRUE(outcome.IsDone());
  EXPECT_EQ(book.Prices().size(), 1u);
  EXPECT_THAT(server.Requests()[0], ::testing::StartsWith("HEAD /csv?list=IBM+msft HTTP/1.0\r\n"));
}

TEST_F(OnlineQuotesTest, AfterAPriceUpdateAsksFirstAndNoEndsIt) {
  club.Info().stks = true;
  ui.AnswerNext("No Valuation Statement Created since last price update. Continue?", false);
  HttpPeer server = HttpPeer::Server(folder.Path(), {});
  const Outcome outcome = Run(book, {.host = server.HostPort()});
  EXPECT_TRUE(outcome.WasCancelled());
  EXPECT_TRUE(server.Requests().empty());
  EXPECT_EQ(ui.BeepCount(), 1);
}

TEST_F(OnlineQuotesTest, WithoutSymbolsNothingIsAsked) {
  FakeQuoteBook placeholders({{"New One", "Symbol"}, {"Blank", ""}});
  HttpPeer server = HttpPeer::Server(folder.Path(), {});
  const Outcome outcome = Run(placeholders, {.host = server.HostPort()});
  EXPECT_TRUE(outcome.Refused());
  EXPECT_THAT(ui.Messages(), ElementsAre("No Securities have valid Symbols."));
  EXPECT_TRUE(server.Requests().empty());
}

TEST_F(OnlineQuotesTest, WithoutAServiceSaysSoPlainly) {
  EXPECT_TRUE(Run(book, {}).Refused());
  EXPECT_TRUE(Run(book, {.url_template = "https://q.example.com/csv"}).Refused());
  EXPECT_THAT(ui.Messages(),
              ElementsAre("No quote service is configured.", "The quote URL template has no {symbols}."));
}

TEST_F(OnlineQuotesTest, A404OnTheHeadEntersNothing) {
  HttpPeer server = HttpPeer::Server(folder.Path(), {"/d/quotes.csv=status:404"});
  const Outcome outcome = Run(book, {.host = server.HostPort()});
  EXPECT_TRUE(outcome.WasCancelled());
  EXPECT_THAT(book.Prices(), IsEmpty());
  EXPECT_FALSE(club.Info().stks);
  EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(OnlineQuotesTest, UnknownSymbolsAloneLeaveTheFlagAlone) {
  HttpPeer server = HttpPeer::Server(
      folder.Path(), {"/d/quotes.csv=body:" + Reply("\"IBM\",0.00,\"N/A\"\r\n\"MSFT\",0.00,\"N/A\"\r\n")});
  const Outcome outcome = Run(book, {.host = server.HostPort()});
  EXPECT_TRUE(outcome.IsDone());
  EXPECT_THAT(ui.Messages(), ElementsAre("IBM is an invalid symbol for security Intl Business.",
                                         "MSFT is an invalid symbol for security Soft."));
  EXPECT_FALSE(club.Info().stks);
  EXPECT_EQ(ui.SoundCount(), 0);
}

TEST_F(OnlineQuotesTest, AnUnreadableLineKeepsTheEarlierPricesAndRefuses) {
  HttpPeer server = HttpPeer::Server(
      folder.Path(), {"/d/quotes.csv=body:" + Reply("\"IBM\",123.25,\"12/4/2026\"\r\n\"MSFT\",abc,\"12/3/2026\"\r\n")});
  const Outcome outcome = Run(book, {.host = server.HostPort()});
  EXPECT_TRUE(outcome.Refused());
  EXPECT_EQ(book.Prices().size(), 1u);
  EXPECT_TRUE(club.Info().stks);
  EXPECT_THAT(ui.Messages(),
              ElementsAre("The quote for MSFT on reply line 2 could not be read; no further quotes were entered.",
                          "Stock Quotes have been updated..."));
}

}  // namespace
}  // namespace pellmark::net
