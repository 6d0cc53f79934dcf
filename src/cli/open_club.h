// Running a command on an opened club: the club is opened as the program opens
// it at start, the work runs, and the club is closed again (stores rewritten)
// even when the work is refused.
//
//   WithOpenClub(context, [&](ClubSession& club) { AccountLedger(club).Hide(name); });
#pragma once

#include <functional>

#include "cli/cli_context.h"
#include "club/club_session.h"

namespace pellmark::cli {

// Refuses (exit status 1) when the club has not been set up. `ui` replaces the
// terminal's port for the run (a command that answers dialogs passes its own).
void WithOpenClub(CliContext& context, const std::function<void(ClubSession&)>& work, Interaction* ui = nullptr);

// A false result of an operation is a refusal: its message has been shown.
inline void RequireDone(bool done) {
  if (!done) throw CommandRefused("refused");
}

}  // namespace pellmark::cli
