// A club of two members (Pat Smith, Pat Jones) with the securities and the
// account of the trade stories, and the steps of a treasurer's year as the
// ledgers take them, for the stories and the oracle of the valuation chain.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "securities/corporate_changes.h"
#include "securities/trade_fixture.h"
#include "store/posix_file_layer.h"
#include "valuation/statement_file.h"

namespace pellmark::testing {

class ValuationChain : public testing::TradeFixture {
 protected:
  void SetUp() override {
    TradeFixture::SetUp();
    for (const char* last : {"Smith", "Jones"}) {
      ledger::MemberEntry person;
      person.lname = last;
      person.fname = "Pat";
      ASSERT_TRUE(books.Members().CommitMember(std::nullopt, person));
    }
    for (const char* go_on : {"No Valuation Statement Created since last", "Security Prices", "Member Dues",
                              "There are outstanding short sells."}) {
      ui.AnswerEvery(go_on, true);
    }
    ui.AnswerEvery("", false);  // no audits, no lot choices, nothing hidden
    unit = club.Info().vunit;
    ui.Clear();
  }

  // Dues of `amount` from each member in list order (Jones, then Smith); a
  // member given nothing is skipped.
  void Dues(DayNumber date, std::vector<double> amounts) {
    for (double amount : amounts) {
      ui.AnswerEntryDialog([amount](EntryDialog& dialog) { dialog.Form().amount.text = Text(amount); },
                           amount > 0 ? DialogOutcome::Ok : DialogOutcome::Cancelled);
    }
    ASSERT_TRUE(books.Settle(books.Members().Collect(ledger::MemberAction::DuesAll, std::nullopt, date)))
        << ::testing::PrintToString(ui.Messages());
  }
  void Payoff(const std::string& member, double amount, DayNumber date) {
    ui.AnswerEntryDialog([amount](EntryDialog& dialog) {
      dialog.Form().amount.text = Text(amount);
      dialog.Form().price.text = "0";
      dialog.Form().tax.checked = false;  // a withdrawal, no check
      dialog.taxClick();
    });
    ASSERT_TRUE(books.Settle(books.Members().Collect(ledger::MemberAction::Payoff, member, date)))
        << ::testing::PrintToString(ui.Messages());
  }
  // A split, with cash for fractions posted to "Cash" or, `with_account` false, to no account.
  void Split(const std::string& name, double n, double o, DayNumber date, std::optional<double> cash,
             bool with_account = true) {
    ui.AnswerEntryDialog([=](EntryDialog& dialog) {
      EntryForm& form = dialog.Form();
      form.amount.text = Text(n);
      form.price.text = Text(o);
      if (!cash) return;
      form.fractions.checked = true;
      dialog.fractionsClick();
      form.desc.text = Text(*cash);
      form.commission.text = "0";
      form.tran.checked = with_account;
    });
    ASSERT_TRUE(books.Settle(books.Changes().Enter(name, ledger::CorporateChange::Split, date)));
  }
  // One account transaction posted without its dialog, as another ledger posts it.
  void Post(AccountTranKind kind, double amount, PredefinedCategory category, DayNumber date) {
    TAccountTranRec tran;
    tran.trandate = date;
    tran.amount = amount;
    tran.typ = Code(kind);
    tran.catid = Code(category);
    tran.desc = "posted";
    EXPECT_TRUE(books.Accounts().PostAccountTransaction(Cash().actid, ledger::PostMode::NewOnAccount, tran, nullptr,
                                                        ledger::kApply));
    books.Commit();
  }
  valuation::Statement Valued(DayNumber day, bool official = false) {
    EXPECT_TRUE(books.CreateValuation(day, official).figures) << ui.Messages().back();
    store::PosixFileLayer files;
    return valuation::ReadStatementFile(files, folder.Path() / valuation::StatementFileName(day));
  }
  TMemberRec Member(const std::string& name) { return *books.Members().Find(name); }
  std::vector<TMemberTranRec> Transactions(const std::string& name) {
    return books.Members().Transactions(Member(name).memid);
  }

  double unit = 0;  // the club's starting unit value
};

}  // namespace pellmark::testing
