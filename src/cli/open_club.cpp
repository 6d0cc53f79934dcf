#include "cli/open_club.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "books/posting_warnings.h"
#include "club/text_encoding.h"

namespace pellmark::cli {
namespace {

namespace fs = std::filesystem;

// The files of a club: the club information and the nine record stores.
constexpr std::array<std::string_view, 10> kClubFiles = {
    "clubinfo.qdb", "clubmem.qdb", "memrec.qdb", "clubstk.qdb", "stkrec.qdb",
    "clubact.qdb",  "actrec.qdb",  "stkprice.qdb", "clubcat.qdb", "clubunit.qdb"};

std::string Lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

}  // namespace

bool IsClubFolder(const fs::path& folder) {
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    const std::string name = Lowered(entry.path().filename().string());
    if (std::find(kClubFiles.begin(), kClubFiles.end(), name) != kClubFiles.end()) return true;
  }
  return false;
}

void RequireClubFolder(const CliContext& context) {
  if (!fs::is_directory(context.club_folder)) {
    throw UsageError("no club folder " + context.club_folder.string());
  }
  if (!IsClubFolder(context.club_folder)) {
    context.ui->ShowError(ToWindows1252(context.club_folder.string()) +
                          " is not a club folder; `pellmark-cli init` sets one up");
    throw CommandRefused("not a club folder");
  }
}

void WithOpenClub(CliContext& context, const std::function<void(Books&)>& work, Interaction* ui, ClubSetUp set_up) {
  RequireClubFolder(context);
  Books books(context.club_folder, ui != nullptr ? *ui : *context.ui, *context.clock);
  books.Open();
  if (const std::optional<std::string>& damage = books.Club().InfoDamage()) {
    context.ui->ShowError(*damage);
    books.Close();
    throw CommandRefused(*damage);
  }
  if (!books.Club().InfoExists() && set_up == ClubSetUp::kRequired) {
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
  if (const std::optional<std::string>& damage = books.Club().InfoDamage()) {
    errors.ShowError(*damage);
    books.Close();
    throw CommandRefused(*damage);
  }
  if (!books.Club().InfoExists()) return;
  errors.ShowError("The club \"" + books.Club().Info().club + "\" is already set up; change it on the Special page.");
  books.Close();
  throw CommandRefused("already set up");
}

void RequireDone(Books& books, const std::function<Outcome()>& operation) {
  const AccountFigures before = TakeAccountFigures(books);
  const Outcome settled = books.Perform(operation);
  if (!settled) throw CommandRefused(settled.Message());
  for (const std::string& warning : PostingWarnings(books, before)) books.Club().Ui().ShowInformation(warning);
}

}  // namespace pellmark::cli
