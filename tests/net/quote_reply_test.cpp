#include "support/property_seed.h"
#include "net/quote_reply.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "net/fake_quote_book.h"
#include "support/scripted_interaction.h"

namespace pellmark::net {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using pellmark::testing::FakeQuoteBook;
using pellmark::testing::ScriptedInteraction;
using Entered = FakeQuoteBook::Entered;

DayNumber Day(int y, int m, int d) { return DayNumberFromCivil({y, m, d}); }

std::string Line(const std::string& symbol, const std::string& price, const std::string& date) {
  return "\"" + symbol + "\"," + price + ",\"" + date + "\"\r\n";
}

class QuoteReplyTest : public ::testing::Test {
 protected:
  MatchReport Match(const std::vector<ListedSecurity>& listed, std::string_view body) {
    book = std::make_unique<FakeQuoteBook>(listed);
    return MatchQuotes(listed, body, *book, ui);
  }

  ScriptedInteraction ui;
  std::unique_ptr<FakeQuoteBook> book;
};

TEST(ReplyLines, EndAtCarriageReturnLineFeedOrBoth) {
  EXPECT_THAT(SplitReplyLines("a\r\nb\nc\rd"), ElementsAre("a", "b", "c", "d"));
  EXPECT_THAT(SplitReplyLines("a\r\n"), ElementsAre("a"));
  EXPECT_THAT(SplitReplyLines("a\n\nb"), ElementsAre("a", "", "b"));
  EXPECT_THAT(SplitReplyLines(""), IsEmpty());
}

TEST(ReplyLines, FieldsEndAtCommasAndDropTheirQuotes) {
  const QuoteFields fields = SplitQuoteLine("\"IBM\",123.25,\"12/4/2026\",\"extra\"");
  EXPECT_EQ(fields.symbol, "IBM");
  EXPECT_EQ(fields.price, "123.25");
  EXPECT_EQ(fields.date, "12/4/2026");
  const QuoteFields short_line = SplitQuoteLine("\"I\"B\"M\"");
  EXPECT_EQ(short_line.symbol, "IBM");
  EXPECT_EQ(short_line.price, "");
  EXPECT_EQ(short_line.date, "");
}

TEST_F(QuoteReplyTest, EachSecurityTakesItsLine) {
  const MatchReport report = Match({{"Intl Business", "IBM"}, {"Placeholder", "Symbol"}, {"Soft", "MSFT"}},
                                   Line("IBM", "123.25", "12/4/2026") + Line("MSFT", "410.5", "12/03/2026"));
  EXPECT_EQ(report.entered, 2);
  EXPECT_FALSE(report.stopped);
  EXPECT_THAT(book->Prices(), ElementsAre(Entered{"Intl Business", Day(2026, 12, 4), 123.25},
                                          Entered{"Soft", Day(2026, 12, 3), 410.5}));
  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_EQ(ui.LastProgress(), 0) << "the gauge is put away";
}

TEST_F(QuoteReplyTest, AMissingThirdLineCostsOnlyTheThirdSecurity) {
  const MatchReport report =
      Match({{"One", "AA"}, {"Two", "BB"}, {"Three", "CC"}, {"Four", "DD"}, {"Five", "EE"}},
            Line("AA", "1", "12/4/2026") + Line("BB", "2", "12/4/2026") + Line("DD", "4", "12/4/2026") +
                Line("EE", "5", "12/4/2026"));
  EXPECT_EQ(report.entered, 4);
  std::vector<std::string> names;
  for (const Entered& entered : book->Prices()) names.push_back(entered.name);
  EXPECT_THAT(names, ElementsAre("One", "Two", "Four", "Five"));
  EXPECT_EQ(book->Prices()[2].price, 4);
}

TEST_F(QuoteReplyTest, LowerCaseSymbolsAreMatchedInUpperCase) {
  const MatchReport report = Match({{"Intl Business", "ibm"}, {"Soft", "Msft"}},
                                   Line("IBM", "123.25", "12/4/2026") + Line("msft", "410.5", "12/4/2026"));
  EXPECT_EQ(report.entered, 2);
}

TEST_F(QuoteReplyTest, ALineOfAShorterSymbolIsNotTheQuoteOfALongerOne) {
  const MatchReport report = Match({{"Apple", "AAPL"}, {"Agilent", "A"}}, Line("A", "150", "12/4/2026"));
  EXPECT_EQ(report.entered, 1);
  EXPECT_THAT(book->Prices(), ElementsAre(Entered{"Agilent", Day(2026, 12, 4), 150}));
}

TEST_F(QuoteReplyTest, AnUnknownSymbolIsNamedAndItsLineUsedUp) {
  const MatchReport report = Match({{"Old Company", "xyz"}, {"Soft", "MSFT"}},
                                   Line("XYZ", "0.00", "N/A") + Line("MSFT", "410.5", "12/4/2026"));
  EXPECT_EQ(report.entered, 1);
  EXPECT_THAT(ui.Messages(), ElementsAre("XYZ is an invalid symbol for security Old Company."));
  EXPECT_EQ(ui.BeepCount(), 1);
}

TEST_F(QuoteReplyTest, AnUnreadablePriceEndsTheMatchingAndKeepsWhatWasEntered) {
  for (const std::string& price : std::vector<std::string>{"abc", "", "0", "-3", "nan", "1e999", "1e300", "1e-300", std::string("12\0", 3)}) {
    SCOPED_TRACE("price \"" + price + "\"");
    ui.Clear();
    const MatchReport report =
        Match({{"One", "AA"}, {"Two", "BB"}, {"Three", "CC"}},
              Line("AA", "1", "12/4/2026") + Line("BB", price, "12/4/2026") + Line("CC", "3", "12/4/2026"));
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(report.entered, 1);
    EXPECT_THAT(book->Prices(), ElementsAre(Entered{"One", Day(2026, 12, 4), 1}));
    EXPECT_THAT(ui.Messages(),
                ElementsAre("The quote for BB on reply line 2 could not be read; no further quotes were entered."));
    EXPECT_EQ(report.message, ui.Messages().front());
  }
}

TEST_F(QuoteReplyTest, AnUnreadableDateEndsTheMatching) {
  for (const std::string& date : std::vector<std::string>{"13/45/2024", "", "12/4", "2026-12-04", "02/30/2024"}) {
    SCOPED_TRACE("date \"" + date + "\"");
    const MatchReport report = Match({{"One", "AA"}}, Line("AA", "1", date));
    EXPECT_TRUE(report.stopped);
    EXPECT_THAT(book->Prices(), IsEmpty());
  }
}

TEST_F(QuoteReplyTest, ALineWithOnlyTheSymbolEndsTheMatching) {
  const MatchReport report = Match({{"One", "AA"}, {"Two", "BB"}}, "\"AA\"\r\n" + Line("BB", "2", "12/4/2026"));
  EXPECT_TRUE(report.stopped);
  EXPECT_THAT(book->Prices(), IsEmpty());
}

TEST_F(QuoteReplyTest, HugeLinesNulBytesAndBinaryBodiesDoNoHarm) {
  const std::string huge(100'000, 'A');
  EXPECT_EQ(Match({{"One", "AA"}}, huge + "\r\n" + Line("AA", "1", "12/4/2026")).entered, 0);
  EXPECT_TRUE(Match({{"One", "AA"}}, "\"AA\"," + huge + ",\"12/4/2026\"").stopped);
  EXPECT_EQ(Match({{"One", "AA"}}, std::string("\"AA\0\",1,\"12/4/2026\"", 19)).entered, 0);
  std::mt19937 random(7);
  std::string binary(4096, '\0');
  for (char& c : binary) c = static_cast<char>(random());
  EXPECT_EQ(Match({{"One", "AA"}, {"Two", "BB"}}, binary).entered, 0);
}

TEST_F(QuoteReplyTest, AReplyWithoutAnyQuoteSaysSo) {
  std::mt19937 random(11);
  std::string binary(4096, '\0');
  for (char& c : binary) c = static_cast<char>(random());
  for (const std::string& body : {std::string(), std::string("<html><body>Service unavailable</body></html>\r\n"),
                                  binary, Line("ZZ", "1", "12/4/2026")}) {
    ui.Clear();
    const MatchReport report = Match({{"One", "AA"}, {"Two", "BB"}}, body);
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(report.entered, 0);
    EXPECT_THAT(book->Prices(), IsEmpty());
    EXPECT_THAT(ui.Messages(), ElementsAre(kReplyHeldNoQuotes));
    EXPECT_EQ(report.message, kReplyHeldNoQuotes);
  }
  ui.Clear();
  const MatchReport unknown = Match({{"One", "AA"}}, Line("AA", "0.00", "N/A"));  // an answer, if not a price
  EXPECT_FALSE(unknown.stopped);
  EXPECT_THAT(ui.Messages(), ElementsAre("AA is an invalid symbol for security One."));
}

TEST_F(QuoteReplyTest, TheGaugeCountsEveryListedSecurity) {
  struct Gauge : ScriptedInteraction {
    void ShowProgress(std::string_view caption, int percent) override {
      shown.push_back(std::string(caption) + " " + std::to_string(percent));
    }
    std::vector<std::string> shown;
  } gauge;
  FakeQuoteBook fake({});
  MatchQuotes({{"One", "AA"}, {"Two", "Symbol"}, {"Three", "CC"}}, Line("AA", "1", "12/4/2026"), fake, gauge);
  EXPECT_THAT(gauge.shown, ElementsAre("Quotes 33", "Quotes 66", "Quotes 100", "Quotes 0"));
}

// Random lists and replies: each security whose line the service sent gets
// exactly its own price, an unknown one its message, and nothing else happens.
TEST_F(QuoteReplyTest, PropertyEverySentLineReachesItsOwnSecurity) {
  const unsigned seed = pellmark::testing::PropertySeed();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  for (int round = 0; round < 200; ++round) {
    std::vector<ListedSecurity> listed;
    std::string body;
    std::vector<Entered> expected_prices;
    std::vector<std::string> expected_messages;
    const int count = std::uniform_int_distribution<>(1, 30)(random);
    for (int i = 0; i < count; ++i) {
      // Each symbol holds every later one: "QQQ", "QQ", "Q".
      const std::string upper(static_cast<std::size_t>(count - i), 'Q');
      std::string symbol = random() % 3 == 0 ? std::string(upper.size(), 'q') : upper;
      const std::string name = "Security " + std::to_string(i);
      if (random() % 8 == 0) symbol = "Symbol";
      listed.push_back({name, symbol});
      if (symbol == "Symbol" || random() % 5 == 0) continue;
      if (random() % 10 == 0) {
        body += Line(upper, "0.00", "N/A");
        expected_messages.push_back(upper + " is an invalid symbol for security " + name + ".");
        continue;
      }
      const double price = static_cast<double>(random() % 100000 + 1) / 100;
      const DayNumber date = Day(2026, 1 + static_cast<int>(random() % 12), 1 + static_cast<int>(random() % 28));
      body += Line(upper, std::to_string(price), FormatDate(date));
      expected_prices.push_back({name, date, price});
    }
    const bool asked = std::any_of(listed.begin(), listed.end(),
                                   [](const ListedSecurity& security) { return security.symbol != "Symbol"; });
    if (asked && body.empty()) expected_messages.push_back(kReplyHeldNoQuotes);
    ui.Clear();
    const MatchReport report = Match(listed, body);
    ASSERT_EQ(report.stopped, asked && body.empty());
    ASSERT_EQ(report.entered, static_cast<int>(expected_prices.size()));
    ASSERT_EQ(book->Prices().size(), expected_prices.size());
    for (std::size_t i = 0; i < expected_prices.size(); ++i) {
      EXPECT_EQ(book->Prices()[i].name, expected_prices[i].name);
      EXPECT_EQ(book->Prices()[i].date, expected_prices[i].date);
      EXPECT_NEAR(book->Prices()[i].price, expected_prices[i].price, 1e-9);
    }
    ASSERT_EQ(ui.Messages(), expected_messages);
  }
}

}  // namespace
}  // namespace pellmark::net
