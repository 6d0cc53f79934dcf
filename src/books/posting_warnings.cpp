#include "books/posting_warnings.h"

#include "club/money.h"
#include "club/number_format.h"
#include "club/record_kinds.h"

namespace pellmark {

AccountFigures TakeAccountFigures(Books& books) {
  AccountFigures figures;
  for (TAccountRec& account : books.Accounts().List(false)) figures[account.actid] = std::move(account);
  return figures;
}

std::vector<std::string> PostingWarnings(Books& books, const AccountFigures& before) {
  std::vector<std::string> warnings;
  for (const auto& [actid, account] : TakeAccountFigures(books)) {
    const auto earlier = before.find(actid);
    const bool known = earlier != before.end();
    const double balance = RoundCents(account.bal);
    if (balance < 0 && (!known || RoundCents(earlier->second.bal) != balance)) {
      warnings.push_back("Warning: " + account.name + " is below zero: " + FormatMoney(account.bal) + ".");
    }
    if (known && earlier->second.trancount == account.trancount) continue;
    // Ids are handed out from the account's counter: those from the earlier count on are new.
    const std::int32_t first_new = known ? earlier->second.trancount : 0;
    std::map<std::int32_t, int> earlier_checks;
    std::vector<std::int32_t> new_checks;
    for (const ledger::RegisterRow& row : books.Accounts().Register(account.name, std::nullopt)) {
      if (KindOf(row.record) != AccountTranKind::Check) continue;
      if (row.record.tranid >= first_new) {
        new_checks.push_back(row.record.checknum);
      } else {
        ++earlier_checks[row.record.checknum];
      }
    }
    for (std::int32_t number : new_checks) {
      if (earlier_checks.contains(number)) {
        warnings.push_back("Warning: check " + std::to_string(number) + " was already used in " + account.name + ".");
      }
    }
  }
  return warnings;
}

bool AccountsMoved(const AccountFigures& before, const AccountFigures& after) {
  if (before.size() != after.size()) return true;
  for (const auto& [actid, account] : after) {
    const auto earlier = before.find(actid);
    if (earlier == before.end() || earlier->second.bal != account.bal ||
        earlier->second.trancount != account.trancount) {
      return true;
    }
  }
  return false;
}

}  // namespace pellmark
