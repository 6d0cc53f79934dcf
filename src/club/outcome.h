// What became of an operation the user can be refused: done, refused with its
// message, cancelled (a question answered No, a dialog closed by Cancel or
// Abort) or not found. The message of a refusal has already been shown through
// the interaction port when the outcome is returned; the command line takes its
// exit status from the kind.
//
// An outcome also carries the work the operation asks of the layers above the
// one that returned it (an audit after a back-dated change, or dropping a
// half-done operation); the books carry it out.
//
//   Outcome outcome = accounts.Hide("Broker");
//   if (outcome.Refused()) return;          // "Account does not have a zero balance." was shown
//   if (outcome) RefreshSummary();          // done
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "club/dates.h"

namespace pellmark {

enum class OutcomeKind { kDone, kRefused, kCancelled, kNotFound };

class [[nodiscard]] Outcome {
 public:
  static Outcome Done() { return Outcome(OutcomeKind::kDone, {}); }
  static Outcome Refusal(std::string message) { return Outcome(OutcomeKind::kRefused, std::move(message)); }
  static Outcome Cancelled() { return Outcome(OutcomeKind::kCancelled, {}); }
  static Outcome NotFound(std::string message) { return Outcome(OutcomeKind::kNotFound, std::move(message)); }
  // A refusal that comes after part of the operation was written (the linked
  // cash side could not be posted): the books drop everything the operation
  // changed instead of committing it.
  static Outcome Failure(std::string message) {
    Outcome failure(OutcomeKind::kRefused, std::move(message));
    failure.rolls_back_ = true;
    return failure;
  }

  OutcomeKind Kind() const { return kind_; }
  bool IsDone() const { return kind_ == OutcomeKind::kDone; }
  bool Refused() const { return kind_ == OutcomeKind::kRefused; }
  bool WasCancelled() const { return kind_ == OutcomeKind::kCancelled; }
  bool WasNotFound() const { return kind_ == OutcomeKind::kNotFound; }
  explicit operator bool() const { return IsDone(); }
  // The refusal or not-found message as shown; empty for the other kinds.
  const std::string& Message() const { return message_; }
  // Whether what the operation wrote is to be dropped rather than committed.
  bool RollsBack() const { return rolls_back_; }

  // Set when the user asked for an audit of the valuations from this date on.
  std::optional<DayNumber> audit_from;

  Outcome& AuditFrom(std::optional<DayNumber> from) {
    audit_from = from;
    return *this;
  }

 private:
  Outcome(OutcomeKind kind, std::string message) : kind_(kind), message_(std::move(message)) {}

  OutcomeKind kind_;
  std::string message_;
  bool rolls_back_ = false;
};

class Interaction;

// Shows the message as an error and returns the refusal.
Outcome Refuse(Interaction& ui, std::string message);
// Shows the message (naming what does not exist) as an error and returns the miss.
Outcome RefuseMissing(Interaction& ui, std::string message);
// Shows the message as an error and returns the failure (Outcome::Failure).
Outcome Fail(Interaction& ui, std::string message);

}  // namespace pellmark
