// A club with the securities of a story, and a snapshot of every stored byte for
// checking that a refusal changed nothing.
#pragma once

#include <map>
#include <string>

#include "club/keys.h"
#include "forms/entry_dialog.h"
#include "support/ledger_fixture.h"

namespace pellmark::testing {

class SecurityFixture : public ClubFixture {
 protected:
  // Adds a security and forgets what the adding showed.
  void AddSecurity(const std::string& name, const std::string& symbol) {
    ASSERT_TRUE(books.Securities().CommitSecurity(std::nullopt, {name, symbol}));
    ui.Clear();
  }
  TSecurityRec Security(const std::string& name) { return *books.Securities().Find(name); }

  // Stores a price without dialog, as a quote or an import does.
  void Price(const std::string& name, double value, DayNumber date) {
    TPriceRec price;
    price.price = value;
    price.trandate = date;
    ASSERT_EQ(books.Prices().RecordPrice(Security(name).stkid, ledger::PriceMode::NewWithoutDialog, price),
              ledger::PriceResult::Stored);
  }

  // Holdings as the security ledger leaves them.
  void Hold(const std::string& name, double shares, double cost) {
    TSecurityRec security = Security(name);
    security.sharest = shares;
    security.tspent = cost;
    ApplySecurityBookkeeping(security);
    books.Securities().Save(security);
  }

  // Queues the price dialog's answer, typed and the box left.
  void AnswerPrice(const std::string& text, DialogOutcome press = DialogOutcome::Ok) {
    ui.AnswerEntryDialog(
        [text](EntryDialog& dialog) {
          dialog.Form().amount.text = text;
          dialog.amountExit();
        },
        press);
  }

  // Every item of every store and the club information, as bytes.
  std::map<std::string, std::string> Snapshot() {
    std::map<std::string, std::string> items;
    auto take = [&items](const char* store, auto& table) {
      table.ForEachKeyed("", [&](const std::string& key, const auto& record) {
        items[std::string(store) + "/" + key] = EncodeRecord(record);
      });
    };
    take("securities", club.securities);
    take("stkrecs", club.stkrecs);
    take("prices", club.prices);
    take("accounts", club.accounts);
    take("actrecs", club.actrecs);
    items["clubinfo"] = EncodeRecord(club.Info());
    return items;
  }
};

}  // namespace pellmark::testing
