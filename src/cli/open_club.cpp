#include "cli/open_club.h"

#include <filesystem>

#include "club/text_encoding.h"

namespace pellmark::cli {

void WithOpenClub(CliContext& context, const std::function<void(Books&)>& work, Interaction* ui) {
  if (!std::filesystem::is_directory(context.club_folder)) {
    throw UsageError("no club folder " + context.club_folder.string());
  }
  Books books(context.club_folder, ui != nullptr ? *ui : *context.ui, *context.clock);
  books.Open();
  if (!books.Club().InfoExists()) {
    context.ui->ShowError("The club in " + ToWindows1252(context.club_folder.string()) + " has not been set up.");
    books.Close();
    throw CommandRefused("not set up");
  }
  try {
    work(books);
  } catch (...) {
    // What the failed command changed is dropped; the club closes on its last commit.
    books.Abandon();
    books.Close();
    throw;
  }
  books.Close();
}

void RefuseIfSetUp(Books& books, Interaction& errors) {
  if (!books.Club().InfoExists()) return;
  errors.ShowError("The club \"" + books.Club().Info().club + "\" is already set up; change it on the Special page.");
  books.Close();
  throw CommandRefused("already set up");
}

void RequireDone(Books& books, Outcome outcome) {
  const Outcome settled = books.Settle(std::move(outcome));
  if (!settled) throw CommandRefused(settled.Message());
}

}  // namespace pellmark::cli
