#include "books/security_quotes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/ledger_fixture.h"

namespace pellmark {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SecurityQuotesTest : public testing::ClubFixture {
 protected:
  void SetUp() override {
    ClubFixture::SetUp();
    for (auto [name, symbol] : {std::pair{"Acme Corp", "ACME"}, std::pair{"Bolt Inc", "Symbol"},
                                std::pair{"Crane Co", "crn"}}) {
      ASSERT_TRUE(books.Securities().CommitSecurity(std::nullopt, {name, symbol}));
    }
    ui.Clear();
  }
  std::vector<std::string> Listed() {
    std::vector<std::string> listed;
    for (const net::ListedSecurity& security : quotes.ListedSecurities()) {
      listed.push_back(security.name + "/" + security.symbol);
    }
    return listed;
  }
  SecurityQuotes quotes{books};
};

TEST_F(SecurityQuotesTest, ListsTheActiveSecuritiesInListOrderWithTheirSymbolsAsStored) {
  ASSERT_TRUE(books.Securities().Hide("Acme Corp"));
  // The symbol prompt left as it was stores no symbol.
  EXPECT_THAT(Listed(), ElementsAre("Bolt Inc/", "Crane Co/crn"));
}

TEST_F(SecurityQuotesTest, AQuoteIsANewPriceWithoutDialog) {
  quotes.EnterPrice({"Crane Co", "crn"}, Day(2026, 12, 4), 7.5);
  quotes.EnterPrice({"Crane Co", "crn"}, Day(2026, 12, 4), 7.75);  // one price per date
  const auto crane = books.Securities().Find("Crane Co");
  ASSERT_TRUE(crane);
  EXPECT_EQ(crane->pricec, 7.75);
  EXPECT_EQ(crane->pricedate, Day(2026, 12, 4));
  EXPECT_EQ(books.Prices().PriceRows("Crane Co", std::nullopt).size(), 1u);
  EXPECT_THAT(quotes.Entered(), ElementsAre(EnteredQuote{"Crane Co", "crn", Day(2026, 12, 4), 7.5},
                                            EnteredQuote{"Crane Co", "crn", Day(2026, 12, 4), 7.75}));
  EXPECT_THAT(ui.Messages(), IsEmpty());
}

TEST_F(SecurityQuotesTest, ASecurityHiddenOrRenamedMeanwhileTakesNoPrice) {
  ASSERT_TRUE(books.Securities().Hide("Acme Corp"));
  quotes.EnterPrice({"Acme Corp", "ACME"}, Day(2026, 12, 4), 12);
  quotes.EnterPrice({"Gone Ltd", "GONE"}, Day(2026, 12, 4), 12);
  EXPECT_TRUE(books.Prices().PriceRows("Acme Corp", std::nullopt).empty());
  EXPECT_EQ(books.Securities().Find("Acme Corp")->pricec, 0);
  EXPECT_THAT(quotes.Entered(), IsEmpty());
}

}  // namespace
}  // namespace pellmark
