// The account fields of the Accounts page: the texts they show, and on
// "Commit Changes/Additions" the checks that turn them into the typed entry the
// account ledger stores.
//
//   AccountFields fields{"Broker", "12-345", "0.00"};
//   Outcome done = CommitAccount(club, accounts, std::nullopt, fields);   // refusals shown through the club's port
#pragma once

#include <optional>
#include <string>

#include "cash/account_ledger.h"
#include "club/club_session.h"
#include "club/outcome.h"

namespace pellmark {

// The name field's text before anything is typed; left as it is, it names no account.
inline constexpr const char* kAccountPrompt = "Account Name";

// The texts of the account fields as the user left them.
struct AccountFields {
  std::string name;
  std::string number;
  std::string initial;  // initial balance
};

// The fields read: the entry, or the message refusing them.
struct AccountReading {
  std::optional<ledger::AccountEntry> entry;
  std::string refusal;
};
AccountReading ReadAccount(const AccountFields& fields);

// Reads the fields and stores the account (a new one when `existing` is
// empty); a refusal is shown through the club's interaction port and leaves
// the club as it was.
Outcome CommitAccount(ClubSession& club, ledger::AccountLedger& accounts, const std::optional<std::string>& existing,
                      const AccountFields& fields);

}  // namespace pellmark
