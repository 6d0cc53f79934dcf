// Random buys, sales (oldest first, chosen lots, short), covering purchases,
// dividends, reinvestments, changes and deletions over two securities, checked after
// every step against what the records themselves say: totals equal a replay
// of the records, the open lots hold exactly the shares `sharest` says (a sale
// cuts lots exactly unless it sells the whole holding), every sold lot has the one
// sale record that sold it, every account transaction of the ledger holds
// exactly its records' cash, and the account balance and category totals
// follow from the register. A failure names its seed and step.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fmt/format.h>
#include <map>
#include <random>

#include "support/property_seed.h"
#include "securities/trade_fixture.h"

namespace pellmark::ledger {
namespace {

// PELLMARK_SEED's seed alone when it names one, else a fixed few; 2016654369
// once sold a lot whole while 0.0033 shares of the sale were still to go.
std::vector<unsigned> Seeds() {
  const char* chosen = std::getenv("PELLMARK_SEED");
  if (chosen != nullptr && *chosen != '\0') return {pellmark::testing::PropertySeed()};
  return {pellmark::testing::PropertySeed(), 2016654369u, 7u, 31337u, 424242u};
}

class SecurityLedgerPropertyTest : public testing::TradeFixture, public ::testing::WithParamInterface<unsigned> {
 protected:
  void CheckEverything(const std::string& name) {
    const TSecurityRec security = Security(name);
    const std::vector<TSecurityTranRec> records = Records(name);

    TSecurityRec replay = security;
    replay.sharest = replay.tspent = replay.pricep = replay.dividendt = replay.dividendy = 0;
    ReapplyTotals(replay, records, club.Info().year);
    EXPECT_NEAR(security.sharest, replay.sharest, 1e-6);
    EXPECT_NEAR(security.tspent, replay.tspent, 1e-6);
    EXPECT_NEAR(security.dividendt, replay.dividendt, 1e-9);
    EXPECT_NEAR(security.dividendy, replay.dividendy, 1e-9);
    EXPECT_GE(security.sharest, 0);

    double open_shares = 0;
    std::map<std::int32_t, int> sales_of_lot;
    std::map<std::int32_t, TSecurityTranRec> by_id;
    for (const TSecurityTranRec& tran : records) {
      by_id[tran.stranid] = tran;
      if (IsOpenLot(tran)) open_shares += SharesOf(tran);
      if (KindOf(tran) == SecurityTranKind::Sale && !tran.compc) sales_of_lot[tran.buytran] += 1;
    }
    EXPECT_NEAR(open_shares, security.sharest, 1e-9);
    for (const TSecurityTranRec& tran : records) {
      const bool sold_lot = tran.sold && KindOf(tran) == SecurityTranKind::Purchase && !tran.compc;
      if (sold_lot) {
        EXPECT_EQ(sales_of_lot[tran.stranid], 1) << "lot " << tran.stranid;
      }
      if (KindOf(tran) == SecurityTranKind::Sale && !tran.compc) {
        ASSERT_TRUE(by_id.count(tran.buytran)) << "sale " << tran.stranid;
        EXPECT_TRUE(by_id[tran.buytran].sold);
      }
      if (KindOf(tran) == SecurityTranKind::Purchase && tran.compc) {
        EXPECT_EQ(by_id[tran.buytran].buytran, tran.stranid) << "covering " << tran.stranid;
      }
    }
  }

  // Every account transaction the ledger posted holds the cash of the records
  // that name it; the balance is the register's sum.
  void CheckCash() {
    std::map<std::int32_t, double> cash_of;
    for (const std::string& name : {std::string("Acme"), std::string("Bolt")}) {
      for (const TSecurityTranRec& tran : Records(name)) {
        if (tran.actid < 0 || tran.transid < 0) continue;
        if (auto posting = CashPostingOf(tran, name)) cash_of[tran.transid] += posting->amount;
      }
    }
    double balance = Cash().ibal, investments = 0;
    for (const TAccountTranRec& posting : Postings()) {
      EXPECT_NEAR(posting.amount, cash_of[posting.tranid], 1e-6) << "account transaction " << posting.tranid;
      cash_of.erase(posting.tranid);
      balance += IsDebit(KindOf(posting)) ? -posting.amount : posting.amount;
      if (posting.catid == Code(PredefinedCategory::Investments)) investments += posting.amount;
    }
    EXPECT_TRUE(cash_of.empty()) << "records name a missing account transaction";
    EXPECT_NEAR(Cash().bal, balance, 1e-6);
    EXPECT_NEAR(books.Accounts().CategoryTotal("Cash", Code(PredefinedCategory::Investments), std::nullopt),
                investments, 1e-6);
  }
};

TEST_P(SecurityLedgerPropertyTest, EveryStepKeepsLotsTotalsAndCashConsistent) {
  const unsigned seed = GetParam();
  std::mt19937 random(seed);
  const std::vector<std::string> names = {"Acme", "Bolt"};
  ui.AnswerEvery("Do you want to hide security", false);
  ui.AnswerEvery("Do you want to record a short sell?", true);
  ui.AnswerEvery("Select Sold Shares?", false);
  DayNumber date = Day(2026, 1, 2);

  for (int step = 0; step < 150; ++step) {
    SCOPED_TRACE(fmt::format("seed {} step {}", seed, step));
    const std::string& name = names[random() % names.size()];
    const TSecurityRec security = Security(name);
    date += random() % 3;
    const double price = 5 + static_cast<int>(random() % 40) / 4.0;
    const double comm = static_cast<int>(random() % 5) * 2.5;
    const int action = static_cast<int>(random() % 11);
    if (action < 3 || security.sharest == 0) {
      ASSERT_TRUE(Buy(name, price * (1 + random() % 150), price, comm, date, random() % 2 ? -1 : 200 + step));
    } else if (action < 6) {
      const double shares = security.sharest * (static_cast<int>(random() % 12) + 1) / 10.0;
      const bool choose = random() % 2;
      const bool whole = std::fabs(shares - security.sharest) <= kShareTolerance;
      if (!whole && shares < security.sharest) {
        ui.AnswerNext("Select Shares to Sell?", choose);
        if (choose) {
          std::vector<int> rows(books.Trades().OpenLots(name).size());
          for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<int>(rows.size() - 1 - i);
          ui.AnswerLotChooser(rows);
        }
      }
      ASSERT_TRUE(Sell(name, shares * price, price, comm, date));
    } else if (action == 6) {
      double open_short = 0;
      for (const TSecurityTranRec& tran : Records(name)) {
        if (IsOpenShortSale(tran)) open_short += SharesOf(tran);
      }
      if (open_short > 1) {
        const double shares = std::floor(open_short * (random() % 10 + 1) / 10.0);
        if (shares > 0) {
          ASSERT_TRUE(Cover(name, shares * price, price, comm, date));
        }
      }
    } else if (action == 7) {
      if (random() % 2) {
        ASSERT_TRUE(Dividend(name, 1 + random() % 50, date, random() % 2));
      } else {
        const double amount = 10 + static_cast<int>(random() % 50);
        const bool company_paid = random() % 2 == 0;  // else the commission came out of the dividend
        ASSERT_TRUE(Reinvest(name, amount, price, comm / 5, date, "", company_paid));
      }
    } else if (action == 8) {
      // A new amount for an open purchase or a dividend: its cash follows.
      std::vector<TSecurityTranRec> changeable;
      for (const TSecurityTranRec& tran : Records(name)) {
        const bool open_buy = KindOf(tran) == SecurityTranKind::Purchase && !tran.compc && !tran.sold && !tran.tax;
        if (open_buy || KindOf(tran) == SecurityTranKind::Dividend) changeable.push_back(tran);
      }
      if (changeable.empty()) continue;
      const TSecurityTranRec& chosen = changeable[random() % changeable.size()];
      const double amount = 1 + static_cast<int>(random() % 2000) / 4.0;
      ui.AnswerEntryDialog([amount](EntryDialog& dialog) { dialog.Form().amount.text = Text(amount); });
      ASSERT_TRUE(books.Trades().ChangeRecord(name, chosen.stranid));
      EXPECT_DOUBLE_EQ(Record(name, chosen.stranid).amount, amount);
    } else {
      const std::vector<TSecurityTranRec> records = Records(name);
      if (records.empty()) continue;
      const TSecurityTranRec& chosen = records[random() % records.size()];
      ui.AnswerNext("Selected Record will be removed permanently. Continue?", true);
      Outcome outcome = books.Trades().DeleteRecord(name, chosen.stranid, false);
      if (!outcome) ui.DropUnusedAnswers();
    }
    ASSERT_TRUE(ui.AllAnswersUsed());
    CheckEverything("Acme");
    CheckEverything("Bolt");
    CheckCash();
    if (HasFailure()) return;
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, SecurityLedgerPropertyTest, ::testing::ValuesIn(Seeds()));

}  // namespace
}  // namespace pellmark::ledger
