#include "club/master_records.h"

namespace pellmark {

void RemoveItem(TQDB& store, const std::string& key) {
  store.SetFilter("");
  if (!store.FindKey(key)) return;
  store.DeleteCurrent();
  store.Pack();
  store.SaveIndex();
}

void DeleteOwnerTransactions(TQDB& store, std::int32_t owner) {
  store.SetFilter(OwnerFilter(owner));
  std::vector<std::string> keys;
  store.GetKeys(keys);
  store.SetFilter("");
  for (const std::string& key : keys) {
    if (store.FindKey(key)) store.DeleteCurrent();
  }
  store.Pack();
  store.SaveIndex();
}

void AskForAudit(ClubSession& club, std::string_view ledger, std::string_view what, DayNumber date) {
  if (club.AuditMode() || date >= club.Info().date) return;
  const std::string question = "The " + std::string(ledger) + " transaction just " + std::string(what) +
                               " has a date earlier than the last Valuation Date. Do you want to perform an audit?";
  if (club.Ui().Confirm(question) && club.audit_from) club.audit_from(date);
}

}  // namespace pellmark
