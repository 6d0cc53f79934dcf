// A club with two securities and the account "Cash", and the entries of the
// "Transactions" sheet typed as a user types them.
#pragma once

#include <fmt/format.h>

#include "securities/security_fixture.h"
#include "securities/security_ledger.h"
#include "securities/security_totals.h"

namespace pellmark::testing {

class TradeFixture : public SecurityFixture {
 protected:
  void SetUp() override {
    SecurityFixture::SetUp();
    AddSecurity("Acme", "ACM");
    AddSecurity("Bolt", "BLT");
  }

  static std::string Text(double value) { return fmt::format("{}", value); }

  // Queues the figures of the next dialog of a trade.
  void Type(double amount, double price, double comm, std::function<void(EntryDialog&)> more = {}) {
    ui.AnswerEntryDialog([=](EntryDialog& dialog) {
      EntryForm& form = dialog.Form();
      form.amount.text = Text(amount);
      form.price.text = Text(price);
      form.commission.text = Text(comm);
      if (more) more(dialog);
    });
  }

  Outcome Buy(const std::string& name, double amount, double price, double comm, DayNumber date, int check = -1) {
    Type(amount, price, comm, [check](EntryDialog& dialog) {
      dialog.Form().tax.checked = check > 0;
      dialog.taxClick();
      if (check > 0) dialog.Form().desc.text = std::to_string(check);
    });
    return books.Trades().Enter(name, ledger::StockEntry::Buy, date);
  }
  Outcome Cover(const std::string& name, double amount, double price, double comm, DayNumber date) {
    Type(amount, price, comm, [](EntryDialog& dialog) { dialog.Form().cleared.checked = true; });
    return books.Trades().Enter(name, ledger::StockEntry::Buy, date);
  }
  Outcome Sell(const std::string& name, double amount, double price, double comm, DayNumber date, bool short_sale = false) {
    Type(amount, price, comm, [short_sale](EntryDialog& dialog) { dialog.Form().cleared.checked = short_sale; });
    return books.Trades().Enter(name, ledger::StockEntry::Sell, date);
  }
  Outcome Dividend(const std::string& name, double amount, DayNumber date, bool taxable = true) {
    ui.AnswerEntryDialog([=](EntryDialog& dialog) {
      dialog.Form().amount.text = Text(amount);
      dialog.Form().tax.checked = taxable;
    });
    return books.Trades().Enter(name, ledger::StockEntry::Dividends, date);
  }
  // A reinvestment whose commission the company paid, or into `into` untaxed.
  Outcome Reinvest(const std::string& name, double amount, double price, double comm, DayNumber date,
                   const std::string& into = "", bool company_paid = true) {
    Type(amount, price, comm, [into, company_paid](EntryDialog& dialog) {
      EntryForm& form = dialog.Form();
      form.compcomm.checked = company_paid;
      if (into.empty()) return;
      form.tax.checked = false;
      dialog.taxClick();
      for (std::size_t i = 0; i < form.allunits.items.size(); ++i) {
        if (form.allunits.items[i] == into) form.allunits.selected = static_cast<int>(i);
      }
    });
    return books.Trades().Enter(name, ledger::StockEntry::Reinvestment, date);
  }
  Outcome CapitalGain(const std::string& name, double amount, DayNumber date) {
    ui.AnswerEntryDialog([=](EntryDialog& dialog) {
      dialog.Form().amount.text = Text(amount);
      dialog.Form().captype.selected = kCapitalGain;
      dialog.captypeClick();
    });
    return books.Trades().Enter(name, ledger::StockEntry::CapitalChange, date);
  }
  Outcome Delete(const std::string& name, std::int32_t stranid, bool force = false) {
    ui.AnswerNext("Selected Record will be removed permanently. Continue?", true);
    return books.Trades().DeleteRecord(name, stranid, force);
  }

  std::vector<TSecurityTranRec> Records(const std::string& name) {
    return books.Trades().Records(Security(name).stkid);
  }
  TSecurityTranRec Record(const std::string& name, std::int32_t stranid) {
    return *books.Trades().FindRecord(Security(name).stkid, stranid);
  }
  std::vector<TAccountTranRec> Postings() { return books.Accounts().Transactions(Cash().actid); }
  TAccountRec Cash() { return *books.Accounts().Find("Cash"); }
};

}  // namespace pellmark::testing
