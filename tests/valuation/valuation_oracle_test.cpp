// The past-dated valuation against an oracle: a random year of a club (dues,
// payoffs, deposits and checks, buys, sales over several lots, short sales and
// covers, dividends, reinvestments with either commission, splits with and
// without cash and account, basis updates, clears, capital reductions and
// gain distributions) entered
// in date order; then for a random day d, the test valuation of d made today
// must equal the current valuation of d of the same club with every
// transaction dated after d deleted. A failure names its seed and day.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fmt/format.h>
#include <random>

#include "support/property_seed.h"
#include "valuation/chain_fixture.h"
#include "valuation/statement_compare.h"

namespace pellmark::valuation {
namespace {

using ledger::CorporateChange;
using ledger::MemberAction;

class ValuationOracle : public testing::ValuationChain, public ::testing::WithParamInterface<unsigned> {
 protected:
  void SetUp() override {
    ValuationChain::SetUp();
    ledger::MemberEntry person;
    person.lname = "Garcia";
    person.fname = "Pat";
    ASSERT_TRUE(books.Members().CommitMember(std::nullopt, person));
    ui.Clear();
  }

  int Pick(int below) { return static_cast<int>(random() % static_cast<unsigned>(below)); }

  void RandomDues(DayNumber date) {
    for (std::size_t i = 0; i < books.Members().List(true).size(); ++i) {
      const std::string amount = fmt::format("{}", 20 + Pick(300));
      ui.AnswerEntryDialog([amount](EntryDialog& dialog) { dialog.Form().amount.text = amount; });
    }
    ASSERT_TRUE(books.Settle(books.Members().Collect(MemberAction::DuesAll, std::nullopt, date)));
  }

  void RandomPayoff(DayNumber date) {
    const TMemberRec member = books.Members().List(true)[Pick(3)];
    ui.AnswerEntryDialog([](EntryDialog& dialog) {
      dialog.Form().amount.text = "15";
      dialog.Form().price.text = "0";
      dialog.Form().tax.checked = false;
      dialog.taxClick();
    });
    // Refused when the member holds less: a refusal changes nothing.
    (void)books.Settle(books.Members().Collect(MemberAction::Payoff, MemberName(member), date));
  }

  void RandomSplit(const std::string& name, DayNumber date) {
    const int cash = Pick(3);  // none, with an account, without one
    Split(name, 2 + Pick(2), 1 + Pick(2), date, cash == 0 ? std::nullopt : std::optional<double>(9.0), cash == 1);
  }

  void Basis(const std::string& name, DayNumber date) {
    const std::string new_cost = Text(60 + Pick(80));
    ui.AnswerEntryDialog([new_cost](EntryDialog& dialog) {
      dialog.Form().amount.text = new_cost;
      dialog.Form().price.text = "100";
    });
    ASSERT_TRUE(books.Settle(books.Changes().Enter(name, CorporateChange::BasisUpdate, date)))
        << ::testing::PrintToString(ui.Messages());
  }

  // One random step of a treasurer's year.
  void Step(DayNumber date) {
    const std::string name = Pick(2) == 0 ? "Acme" : "Bolt";
    const TSecurityRec held = Security(name);
    const double price = 5 + Pick(40) + Pick(4) * 0.25;
    switch (Pick(12)) {
      case 0: case 1: RandomDues(date); break;
      case 2: RandomPayoff(date); break;
      case 3: Post(AccountTranKind::Deposit, 1 + Pick(80), PredefinedCategory::OtherIncome, date); break;
      case 4: Post(AccountTranKind::Check, 1 + Pick(40), PredefinedCategory::OperatingExpenses, date); break;
      case 5: (void)books.Settle(Buy(name, (1 + Pick(30)) * price, price, Pick(8), date)); break;
      case 6:
        if (held.sharest >= 2) {
          const double shares = std::floor(held.sharest * (Pick(2) == 0 ? 0.5 : 1.0));
          (void)books.Settle(Sell(name, shares * price, price, 1, date));
        } else if (Pick(2) == 0) {
          (void)books.Settle(Sell(name, 3 * price, price, 1, date, /*short_sale=*/true));
        }
        break;
      case 7: (void)books.Settle(Dividend(name, 1 + Pick(60), date, Pick(2) == 0)); break;
      case 8:
        if (held.sharest > 0) {
          const bool company_paid = Pick(2) == 0;
          const double comm = Pick(3);
          (void)books.Settle(Reinvest(name, (1 + Pick(3)) * price * 0.7, price, comm, date, "", company_paid));
        }
        break;
      case 9: if (held.sharest >= 1) RandomSplit(name, date); break;
      case 10: if (held.sharest >= 1) Basis(name, date); break;
      case 11:
        if (held.sharest >= 1 && Pick(3) == 0) {
          ui.AnswerEntryDialog([](EntryDialog& dialog) {
            dialog.Form().cleared.checked = true;
            dialog.clearedClick();
          });
          (void)books.Settle(books.Changes().Enter(name, CorporateChange::BasisUpdate, date));
        } else if (held.sharest >= 1 && Pick(2) == 0) {
          const double reduction = 1 + Pick(20);
          ui.AnswerEntryDialog([reduction](EntryDialog& dialog) {
            dialog.Form().amount.text = Text(reduction);
            dialog.Form().captype.selected = kCapitalReduction;
            dialog.captypeClick();
          });
          (void)books.Settle(books.Trades().Enter(name, ledger::StockEntry::CapitalChange, date));
        } else {
          (void)books.Settle(CapitalGain(name, 1 + Pick(30), date));
        }
        break;
    }
  }

  // Everything dated after `day` deleted, newest first, as a user would with
  // "Force Deletes" ticked; the fractions of a split go with the split.
  void DeleteAfter(DayNumber day) {
    for (const std::string name : {"Acme", "Bolt"}) {
      std::vector<TSecurityTranRec> records = Records(name);
      for (auto tran = records.rbegin(); tran != records.rend() && tran->trandate > day; ++tran) {
        const bool fraction = (KindOf(*tran) == SecurityTranKind::Purchase || KindOf(*tran) == SecurityTranKind::Sale) &&
                              tran->tax;
        if (fraction) continue;
        ASSERT_TRUE(books.Settle(Delete(name, tran->stranid, /*force=*/true))) << name << " " << tran->stranid;
      }
      for (const TPriceRec& price : club.prices.Select(OwnerFilter(Security(name).stkid))) {
        if (price.trandate <= day) continue;
        ui.AnswerNext("Selected Record will be removed permanently. Continue?", true);
        ASSERT_TRUE(books.Settle(books.Prices().DeletePrice(name, price.tranid)));
      }
      ASSERT_TRUE(books.Securities().ResetSecurity(name, false));
    }
    for (const TMemberRec& member : books.Members().List(true)) {
      std::vector<TMemberTranRec> trans = books.Members().Transactions(member.memid);
      for (auto tran = trans.rbegin(); tran != trans.rend() && tran->trandate > day; ++tran) {
        ui.AnswerNext("Selected Record will be removed permanently. Continue?", true);
        ASSERT_TRUE(books.Settle(books.Members().DeleteTransaction(MemberName(member), tran->duestran, true)));
      }
    }
    std::vector<TAccountTranRec> postings = Postings();
    for (auto tran = postings.rbegin(); tran != postings.rend() && tran->trandate > day; ++tran) {
      ui.AnswerNext("Selected Record will be removed permanently. Continue?", true);
      ASSERT_TRUE(books.Settle(books.Accounts().DeleteTransaction("Cash", tran->tranid, true)));
    }
    books.Commit();
  }

  std::mt19937 random;
};

TEST_P(ValuationOracle, APastDatedValuationIsTheClubWithoutWhatCameAfter) {
  {
    const unsigned seed = pellmark::testing::PropertySeed() + GetParam();
    random.seed(seed);
    std::vector<DayNumber> days;
    for (DayNumber day = Day(2026, 1, 5); day <= Day(2026, 11, 20); day += 1 + Pick(6)) days.push_back(day);
    RandomDues(days.front());  // units to value from the first day on
    const DayNumber start = days.front();
    for (DayNumber day : days) {
      SCOPED_TRACE(fmt::format("seed {} on {}", seed, FormatDate(day)));
      Step(day);
      ui.DropUnusedAnswers();  // a step refused before its dialog leaves its answers
      if (HasFatalFailure()) return;
    }
    const DayNumber day = start + Pick(static_cast<int>(days.back() - start));
    SCOPED_TRACE(fmt::format("seed {}: valued on {}", seed, FormatDate(day)));
    ui.Clear();
    const Statement past = Valued(day);
    DeleteAfter(day);
    if (HasFatalFailure()) return;
    clock.SetToday(day);
    const Statement oracle = Valued(day);
    clock.SetToday(Day(2026, 12, 7));

    testing::ExpectSameStatement(past, oracle);
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, ValuationOracle, ::testing::Range(0u, 5u));

}  // namespace
}  // namespace pellmark::valuation
