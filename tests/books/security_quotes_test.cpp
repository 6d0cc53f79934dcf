#include "books/security_quotes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "books/security_form.h"
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
      ASSERT_TRUE(CommitSecurity(books.Securities(), std::nullopt, {name, symbol}));
    }
    ui.Clear();
  }
  std::vector<std::string> Listed(SecurityQuotes& book) {
    std::vector<std::string> listed;
    for (const net::ListedSecurity& security : book.ListedSecurities()) {
      listed.push_back(security.name + "/" + security.symbol);
    }
    return listed;
  }
  std::vector<std::string> Listed() { return Listed(quotes); }
  SecurityQuotes quotes{books, /*show_hidden=*/false};
};

TEST_F(SecurityQuotesTest, ListsTheActiveSecuritiesInListOrderWithTheirSymbolsAsStored) {
  ASSERT_TRUE(books.Securities().Hide("Acme Corp"));
  // The symbol prompt left as it was stores no symbol.
  EXPECT_THAT(Listed(), ElementsAre("Bolt Inc/", "Crane Co/crn"));
}

TEST_F(SecurityQuotesTest, AListShowingHiddenSecuritiesQuotesThemTooAfterTheActiveOnes) {
  ASSERT_TRUE(books.Securities().Hide("Acme Corp"));
  SecurityQuotes all{books, /*show_hidden=*/true};
  EXPECT_THAT(Listed(all), ElementsAre("Bolt Inc/", "Crane Co/crn", "Acme Corp/ACME"));
  all.EnterPrice({"Acme Corp", "ACME"}, Day(2026, 12, 4), 12.5);
  EXPECT_EQ(books.Securities().Find("Acme Corp")->pricec, 12.5);
  EXPECT_EQ(books.Prices().PriceRows("Acme Corp", std::nullopt).size(), 1u);
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
