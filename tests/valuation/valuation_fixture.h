// A club of two members (Ann Smith, Bob Jones) with the account "Cash", and the
// steps of a treasurer's month written as the ledgers leave them: dues, a
// purchase, a price, an account posting, a valuation.
#pragma once

#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "cash/account_ledger.h"
#include "club/record_kinds.h"
#include "interchange/club_files.h"
#include "securities/security_fixture.h"
#include "store/posix_file_layer.h"
#include "valuation/statement_file.h"

namespace pellmark::testing {

class ValuationFixture : public SecurityFixture {
 protected:
  void SetUp() override {
    SecurityFixture::SetUp();  // year 2026, starting unit 25.00 on 01/01/2026, today 12/07/2026
    Person("Smith", "Ann");
    Person("Jones", "Bob");
    ui.AnswerEvery("No Valuation Statement Created since last dues collection. Continue?", true);
    ui.Clear();
  }

  void Person(const std::string& last, const std::string& first) {
    ledger::MemberEntry person;
    person.lname = last;
    person.fname = first;
    ASSERT_TRUE(books.Members().CommitMember(std::nullopt, person));
  }

  // "Dues - All": the amounts by listing name; members not named are skipped.
  void Dues(DayNumber date, std::map<std::string, std::string> amounts) {
    for (const TMemberRec& member : books.Members().List(true)) {
      const auto amount = amounts.find(MemberName(member));
      ui.AnswerEntryDialog([text = amount == amounts.end() ? "" : amount->second](EntryDialog& dialog) {
        dialog.Form().amount.text = text;
      }, amount == amounts.end() ? DialogOutcome::Cancelled : DialogOutcome::Ok);
    }
    ASSERT_TRUE(books.Settle(books.Members().Collect(ledger::MemberAction::DuesAll, std::nullopt, date)));
  }

  // One account transaction posted without its dialog, as another ledger posts it.
  TAccountTranRec Post(AccountTranKind kind, double amount, PredefinedCategory category, DayNumber date,
                       const std::string& account = "Cash") {
    TAccountTranRec tran;
    tran.trandate = date;
    tran.amount = amount;
    tran.typ = Code(kind);
    tran.catid = Code(category);
    tran.desc = "posted";
    const std::int32_t actid = books.Accounts().Find(account)->actid;
    EXPECT_TRUE(
        books.Accounts().PostAccountTransaction(actid, ledger::PostMode::NewOnAccount, tran, nullptr, ledger::kApply));
    books.Commit();
    return tran;
  }

  // One security transaction stored as the security ledger stores it (no totals).
  TSecurityTranRec Record(const std::string& name, SecurityTranKind kind, double amount, double price, double comm,
                          DayNumber date) {
    TSecurityRec security = Security(name);
    TSecurityTranRec tran;
    tran.typ = Code(kind);
    tran.amount = amount;
    tran.price = price;
    tran.comm = comm;
    tran.trandate = date;
    tran.stkid = security.stkid;
    tran.stranid = AllocateTranId(security.trancount);
    books.Securities().Save(security);
    club.stkrecs.Put(tran);
    return tran;
  }

  // A purchase: the lot, the check for amount and commission out of "Cash",
  // the price of the day and the holding.
  void Buy(const std::string& name, double shares, double price, double comm, DayNumber date) {
    Record(name, SecurityTranKind::Purchase, shares * price, price, comm, date);
    Post(AccountTranKind::Withdrawal, shares * price + comm, PredefinedCategory::Investments, date);
    Price(name, price, date);
    TSecurityRec security = Security(name);
    security.sharest += shares;
    security.tspent += shares * price + comm;
    ApplySecurityBookkeeping(security);
    books.Securities().Save(security);
    books.Commit();
  }

  // A price entered for the user: it also marks prices changed.
  void NewPrice(const std::string& name, double value, DayNumber date) {
    Price(name, value, date);
    club.Info().stks = true;
    club.WriteClubInfo();
    books.Commit();
  }

  valuation::ValuationResult Official(DayNumber date) { return books.CreateValuation(date, true); }
  valuation::ValuationResult Test(DayNumber date) { return books.CreateValuation(date, false); }

  std::filesystem::path StatementPath(DayNumber date) {
    return folder.Path() / valuation::StatementFileName(date);
  }
  valuation::Statement ReadStatement(DayNumber date) {
    store::PosixFileLayer files;
    return valuation::ReadStatementFile(files, StatementPath(date));
  }
  std::string FileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  TMemberRec Member(const std::string& name) { return *books.Members().Find(name); }
  TAccountRec Cash() { return *books.Accounts().Find("Cash"); }
  std::vector<TUnitValueRec> Units() { return club.unitfile.Select(); }
};

}  // namespace pellmark::testing
