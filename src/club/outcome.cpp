#include "club/outcome.h"

#include "club/interaction.h"

namespace pellmark {

Outcome Refuse(Interaction& ui, std::string message) {
  ui.ShowError(message);
  return Outcome::Refusal(std::move(message));
}

Outcome RefuseMissing(Interaction& ui, std::string message) {
  ui.ShowError(message);
  return Outcome::NotFound(std::move(message));
}

Outcome Fail(Interaction& ui, std::string message) {
  ui.ShowError(message);
  return Outcome::Failure(std::move(message));
}

}  // namespace pellmark
