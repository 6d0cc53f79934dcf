#include <filesystem>
#include <memory>
#include <string>

#include "books/books.h"
#include "cli/cli_context.h"
#include "cli/open_club.h"

namespace pellmark::cli {
namespace {

namespace fs = std::filesystem;

void OpenAndRun(CliContext& context, const std::function<Outcome(Books&)>& work);

// Runs `work` on the opened books whether or not the club is set up (a club
// reset a moment ago is not), closing them after.
void WithAnyClub(CliContext& context, const std::function<Outcome(Books&)>& work) {
  RequireClubFolder(context);
  OpenAndRun(context, work);
}

void OpenAndRun(CliContext& context, const std::function<Outcome(Books&)>& work) {
  Books books(context.club_folder, *context.ui, *context.clock);
  books.Open();
  try {
    RequireDone(books, [&] { return work(books); });
  } catch (...) {
    books.Abandon();
    books.Close();
    throw;
  }
  books.Close();
}

}  // namespace

void AddInterchangeCommands(CLI::App& app, CommandList& commands) {
  auto folder = std::make_shared<std::string>();
  auto* backup = app.add_subcommand("backup", "Copy the club's files to the backup set (*.bck) in FOLDER");
  backup->add_option("FOLDER", *folder, "Backup folder")->required();
  commands.push_back({backup, [folder](CliContext& context) {
                        WithOpenClub(context,
                                     [&](Books& books) { RequireDone(books, [&] { return books.Backup(fs::path(*folder)); }); });
                      }});

  auto source = std::make_shared<std::string>();
  auto* restore = app.add_subcommand(
      "restore",
      "Replace the club's files with the backup set in FOLDER (an empty club folder takes the set as it is)");
  restore->add_option("FOLDER", *source, "Folder of the backup set")->required();
  commands.push_back({restore, [source](CliContext& context) {
                        auto work = [&](Books& books) { return books.Restore(fs::path(*source)); };
                        if (!fs::is_directory(context.club_folder) || IsClubFolder(context.club_folder)) {
                          WithAnyClub(context, work);
                          return;
                        }
                        // A folder without a club takes a club from a backup set, once the set is whole.
                        try {
                          interchange::CheckBackupSet(*source);
                        } catch (const interchange::CopyFailed& error) {
                          context.ui->ShowError(std::string("Backup Restoral failed\n") + error.what());
                          throw CommandRefused(error.what());
                        }
                        OpenAndRun(context, work);
                      }});

  auto* reset = app.add_subcommand("reset", "Remove all club data (asks first: --yes or --no)");
  commands.push_back(
      {reset, [](CliContext& context) { WithAnyClub(context, [](Books& books) { return books.Reset(); }); }});

  auto* undo =
      app.add_subcommand("undo-restore", "Put back the club's files as they were before the last restore or reset");
  commands.push_back({undo, [](CliContext& context) {
                        WithAnyClub(context, [](Books& books) { return books.BringBackKeptFiles(); });
                      }});

  auto export_file = std::make_shared<std::string>();
  auto* export_club = app.add_subcommand("export", "Write the whole club to FILE (pellmark95.txt)");
  export_club->add_option("FILE", *export_file, "Export file")->required();
  commands.push_back({export_club, [export_file](CliContext& context) {
                        WithOpenClub(context,
                                     [&](Books& books) { RequireDone(books, [&] { return books.Export(fs::path(*export_file)); }); });
                      }});

  auto labels_file = std::make_shared<std::string>();
  auto* labels = app.add_subcommand("mail-labels", "Write the active members' addresses to FILE (Maillabel.csv)");
  labels->add_option("FILE", *labels_file, "Mail label file")->required();
  commands.push_back({labels, [labels_file](CliContext& context) {
                        WithOpenClub(context, [&](Books& books) {
                          RequireDone(books, [&] { return books.ExportMailLabels(fs::path(*labels_file)); });
                        });
                      }});
}

}  // namespace pellmark::cli
