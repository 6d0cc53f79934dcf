#include "books/account_form.h"

#include "club/money.h"

namespace pellmark {

AccountReading ReadAccount(const AccountFields& fields) {
  AccountReading reading;
  const std::string name = fields.name == kAccountPrompt ? std::string() : fields.name;
  if (auto refusal = ledger::AccountNameRefusal(name)) {
    reading.refusal = *refusal;
    return reading;
  }
  const std::optional<double> initial = ParseMoney(fields.initial);
  if (!initial) {
    reading.refusal = "Initial Balance " + fields.initial + " is invalid.";
    return reading;
  }
  reading.entry = ledger::AccountEntry{.name = name, .number = fields.number, .initial = *initial};
  return reading;
}

Outcome CommitAccount(ClubSession& club, ledger::AccountLedger& accounts, const std::optional<std::string>& existing,
                      const AccountFields& fields) {
  const AccountReading reading = ReadAccount(fields);
  if (!reading.entry) return Refuse(club.Ui(), reading.refusal);
  return accounts.CommitAccount(existing, *reading.entry);
}

}  // namespace pellmark
