// Random price entries, changes and deletions over three securities, checked
// after every step against a model of the rules: one price per security and
// date, ids from the security's counter, and the current price that moves
// forward only, never past today, unless the security had none. A failure
// names its seed and step.
#include <gtest/gtest.h>

#include <fmt/format.h>
#include <map>
#include <random>

#include "support/property_seed.h"
#include "securities/price_ledger.h"
#include "securities/security_fixture.h"

namespace pellmark::ledger {
namespace {

struct Model {
  std::map<DayNumber, std::pair<std::int32_t, double>> prices;  // date -> id, price
  std::int32_t next_id = 0;
  double pricec = 0, pricedate = 0;
};

class PricePropertyTest : public testing::SecurityFixture {};

TEST_F(PricePropertyTest, EveryStepKeepsTheHistoryAndTheCurrentPriceAsTheRulesSay) {
  const unsigned seed = pellmark::testing::PropertySeed();
  std::mt19937 random(seed);
  const std::vector<std::string> names = {"Acme Corp", "Bolt Inc", "Crane Co"};
  for (const std::string& name : names) AddSecurity(name, "");
  // A price of 0 writes the security off and offers to hide it.
  ui.AnswerEvery("Do you want to hide security?", false);
  std::map<std::string, Model> models;
  const DayNumber today = club.Today();

  for (int step = 0; step < 300; ++step) {
    SCOPED_TRACE(fmt::format("seed {} step {}", seed, step));
    const std::string& name = names[random() % names.size()];
    Model& model = models[name];
    const int action = static_cast<int>(random() % 10);
    if (action < 7 || model.prices.empty()) {
      const DayNumber date = today + static_cast<int>(random() % 30) - 25;
      const double value = static_cast<int>(random() % 5) * 2.5;  // zero now and then
      Price(name, value, date);
      if (model.pricec == 0 || (date >= model.pricedate && date <= today)) {
        model.pricec = value;
        model.pricedate = date;
      }
      model.prices[date] = {model.next_id++, value};
    } else {
      auto chosen = model.prices.begin();
      std::advance(chosen, random() % model.prices.size());
      if (action < 9) {
        const double value = 1 + static_cast<int>(random() % 8);
        ui.AnswerEntryDialog([value](EntryDialog& dialog) { dialog.Form().amount.text = fmt::format("{}", value); });
        ASSERT_TRUE(books.Prices().ChangePrice(name, chosen->second.first));
        if (model.pricec == 0 || (chosen->first >= model.pricedate && chosen->first <= today)) {
          model.pricec = value;
          model.pricedate = chosen->first;
        }
        chosen->second.second = value;
      } else {
        ui.AnswerNext("Selected Record will be removed permanently. Continue?", true);
        ASSERT_TRUE(books.Prices().DeletePrice(name, chosen->second.first));
        model.prices.erase(chosen);
      }
    }
    for (const std::string& each : names) {
      const Model& expected = models[each];
      TSecurityRec security = Security(each);
      ASSERT_EQ(security.pricec, expected.pricec) << each;
      ASSERT_EQ(security.pricedate, expected.pricedate) << each;
      ASSERT_EQ(security.pricecount, expected.next_id) << each;
      std::vector<PriceRow> rows = books.Prices().PriceRows(each, std::nullopt);
      ASSERT_EQ(rows.size(), expected.prices.size()) << each;
      auto model_price = expected.prices.begin();
      for (const PriceRow& row : rows) {
        ASSERT_EQ(row.record.trandate, model_price->first) << each;
        ASSERT_EQ(row.record.tranid, model_price->second.first) << each;
        ASSERT_EQ(row.record.price, model_price->second.second) << each;
        ++model_price;
      }
    }
  }
}

}  // namespace
}  // namespace pellmark::ledger
