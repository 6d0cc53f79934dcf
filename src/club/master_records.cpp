#include "club/master_records.h"

namespace pellmark {

std::optional<DayNumber> AskForAudit(ClubSession& club, std::string_view ledger, std::string_view what,
                                     DayNumber date) {
  if (club.AuditMode() || date >= club.Info().date) return std::nullopt;
  const std::string question = "The " + std::string(ledger) + " transaction just " + std::string(what) +
                               " has a date earlier than the last Valuation Date. Do you want to perform an audit?";
  if (!club.Ui().Confirm(question)) return std::nullopt;
  return date;
}

}  // namespace pellmark
