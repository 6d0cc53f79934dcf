// Running a command on opened books: the club is opened as the program opens it
// at start, the work runs, and the club is closed again (stores rewritten) even
// when the work is refused.
//
//   WithOpenClub(context, [&](Books& books) { RequireDone(books, [&] { return books.Accounts().Hide(name); }); });
#pragma once

#include <filesystem>
#include <functional>

#include "books/books.h"
#include "cli/cli_context.h"

namespace pellmark::cli {

// A folder holding any of a club's files (its information or a record store).
bool IsClubFolder(const std::filesystem::path& folder);

// A missing folder is a usage error (exit status 2); a folder that holds no club
// is refused (exit status 1) and left as it is: only init and demo set one up.
void RequireClubFolder(const CliContext& context);

// Whether the work needs a club that has been set up. The journal's commands
// take one that has not: after a reset the club is not set up, and its
// journal still says why the reset cannot be undone.
enum class ClubSetUp { kRequired, kNotRequired };

// Refuses (exit status 1) when the club has not been set up (unless the work
// does not need it). `ui` replaces the terminal's port for the run (a command
// that answers dialogs passes its own).
void WithOpenClub(CliContext& context, const std::function<void(Books&)>& work, Interaction* ui = nullptr,
                  ClubSetUp set_up = ClubSetUp::kRequired);

// A new set-up (init, demo) refuses opened books whose club is set up already,
// closing them first.
void RefuseIfSetUp(Books& books, Interaction& errors);

// Runs the operation as one user action of the books (Books::Perform: a unit
// of work, settled); anything but done ends the command as refused (exit
// status 1), its message or question already shown.
//   RequireDone(books, [&] { return books.Accounts().Hide(name); });
void RequireDone(Books& books, const std::function<Outcome()>& operation);

}  // namespace pellmark::cli
