#include "net/quote_request.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace pellmark::net {
namespace {

using ::testing::ElementsAre;

TEST(QuoteRequest, TenSecuritiesWithTwoPlaceholdersNameEightSymbolsJoinedBySevenPluses) {
  std::vector<ListedSecurity> listed;
  for (int i = 0; i < 10; ++i) {
    listed.push_back({"Security " + std::to_string(i), i == 2 || i == 7 ? "Symbol" : "S" + std::to_string(i)});
  }
  const std::vector<std::string> symbols = QuoteSymbols(listed);
  EXPECT_THAT(symbols, ElementsAre("S0", "S1", "S3", "S4", "S5", "S6", "S8", "S9"));
  const std::string url = QuoteUrl({.host = "quotes.example.com"}, symbols);
  EXPECT_EQ(url, "http://quotes.example.com/d/quotes.csv?s=S0+S1+S3+S4+S5+S6+S8+S9&f=sl1d1&e=.csv");
  EXPECT_EQ(std::count(url.begin(), url.end(), '+'), 7);
}

TEST(QuoteRequest, SymbolsAreSentAsStored) {
  EXPECT_EQ(QuoteUrl({.host = " quotes.example.com:8080 "}, {"ibm", "Brk.B"}),
            "http://quotes.example.com:8080/d/quotes.csv?s=ibm+Brk.B&f=sl1d1&e=.csv");
}

TEST(QuoteRequest, ThePlaceholderItselfAndBlankSymbolsAreLeftOut) {
  EXPECT_THAT(QuoteSymbols({{"a", "Symbol"}, {"b", "SYMBOL"}, {"c", "Symbols"}, {"d", ""}, {"e", "  "}}),
              ElementsAre("SYMBOL", "Symbols"));
}

TEST(QuoteRequest, ASymbolCannotEndTheListOrAddAQueryKey) {
  EXPECT_EQ(QuoteUrl({.host = "h"}, {"A&f=x", "B C", "^DJI", "D+E", "\xc9T#"}),
            "http://h/d/quotes.csv?s=A%26f%3Dx+B%20C+%5EDJI+D%2BE+%C9T%23&f=sl1d1&e=.csv");
}

TEST(QuoteRequest, ATemplateTakesTheJoinedSymbolsWhereverItNamesThem) {
  const QuoteService service{.host = "ignored.example.com",
                             .url_template = "https://q.example.com/csv?list={symbols}&echo={symbols}"};
  EXPECT_EQ(QuoteUrl(service, {"IBM", "msft"}), "https://q.example.com/csv?list=IBM+msft&echo=IBM+msft");
  EXPECT_TRUE(TemplateHoldsSymbols(service.url_template));
  EXPECT_FALSE(TemplateHoldsSymbols("https://q.example.com/csv"));
}

TEST(QuoteRequest, AServiceNeedsAHostOrATemplate) {
  EXPECT_FALSE(QuoteService{}.Configured());
  EXPECT_FALSE((QuoteService{.host = "  ", .url_template = " "}).Configured());
  EXPECT_TRUE((QuoteService{.host = "h"}).Configured());
  EXPECT_TRUE((QuoteService{.url_template = "https://q/{symbols}"}).Configured());
}

}  // namespace
}  // namespace pellmark::net
