#include "cli/open_club.h"

#include <filesystem>

#include "club/text_encoding.h"
#include "books/books.h"

namespace pellmark::cli {

void WithOpenClub(CliContext& context, const std::function<void(ClubSession&)>& work, Interaction* ui) {
  if (!std::filesystem::is_directory(context.club_folder)) {
    throw UsageError("no club folder " + context.club_folder.string());
  }
  Books books(context.club_folder, ui != nullptr ? *ui : *context.ui, *context.clock);
  books.Open();
  ClubSession& club = books.Club();
  if (!club.InfoExists()) {
    context.ui->ShowError("The club in " + ToWindows1252(context.club_folder.string()) + " has not been set up.");
    club.Close();
    throw CommandRefused("not set up");
  }
  try {
    work(club);
  } catch (...) {
    club.Close();
    throw;
  }
  club.Close();
}

}  // namespace pellmark::cli
