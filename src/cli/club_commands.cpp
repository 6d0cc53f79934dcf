#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "books/books.h"
#include "books/books_check.h"
#include "cli/cli_context.h"
#include "cli/demo_club.h"
#include "cli/open_club.h"
#include "cli/record_json.h"
#include "club/club_info_file.h"
#include "club/club_session.h"
#include "club/text_encoding.h"

namespace pellmark::cli {
namespace {

namespace fs = std::filesystem;

struct InitOptions {
  std::string name, year, start_unit = "25.00", address, tax_id;
};

void RequireFolder(const CliContext& context) {
  if (!fs::is_directory(context.club_folder)) {
    throw UsageError("no club folder " + context.club_folder.string());
  }
}

void PrintInfo(CliContext& context) {
  RequireFolder(context);
  auto info = ReadClubInfo(context.club_folder);
  if (!info) {
    context.ui->ShowError("The club in " + ToWindows1252(context.club_folder.string()) + " has not been set up.");
    throw CommandRefused("not set up");
  }
  *context.out << RecordToJson(*info).dump(2) << '\n';
}

void OpenAndClose(CliContext& context, bool create_missing) {
  RequireFolder(context);
  Books books(context.club_folder, *context.ui, *context.clock);
  books.Club().SetCreateMissingStores(create_missing);
  books.Open();
  books.Close();
}

void InitClub(const fs::path& folder, Interaction& ui, const Clock& clock, const InitOptions& options) {
  fs::create_directories(folder);
  Books books(folder, ui, clock);
  books.Open();
  RefuseIfSetUp(books, ui);
  ClubSession& club = books.Club();
  ClubInfoFields fields = club.DisplayedClubInfo();
  fields.club = ToWindows1252(options.name);
  fields.year = options.year;
  fields.startunit = options.start_unit;
  fields.addr = ToWindows1252(options.address);
  fields.idnum = ToWindows1252(options.tax_id);
  const Outcome committed = club.CommitClubInformation(fields);
  club.Close();
  if (!committed) throw CommandRefused(committed.Message());
}

// Prints every breach with its mend; with `repair` runs the mends first and
// reports what is left. Refused (exit 1) while any breach remains.
void CheckClub(CliContext& context, bool repair) {
  WithOpenClub(context, [&](Books& books) {
    std::vector<BooksBreach> breaches = CheckBooks(books.Club());
    if (repair && !breaches.empty()) {
      const int mends = RepairBooks(books, breaches);
      *context.out << mends << (mends == 1 ? " mend" : " mends") << " run.\n";
      breaches = CheckBooks(books.Club());
    }
    for (const BooksBreach& breach : breaches) {
      *context.out << ToUtf8(breach.text) << "\n  " << ToUtf8(breach.mend_text) << '\n';
    }
    if (breaches.empty()) {
      *context.out << "The books hold.\n";
      return;
    }
    const std::string summary = std::to_string(breaches.size()) + (breaches.size() == 1 ? " breach" : " breaches") +
                                " of the books.";
    books.Club().Ui().ShowError(summary);
    throw CommandRefused(summary);
  });
}

}  // namespace

void AddClubCommands(CLI::App& app, CommandList& commands) {
  auto* info = app.add_subcommand("info", "Show the club information as JSON");
  commands.push_back({info, PrintInfo});

  auto* open = app.add_subcommand("open", "Open the club as the program does at start (upgrades included) and close it");
  auto create_missing = std::make_shared<bool>(false);
  open->add_flag("--create-missing", *create_missing,
                 "Create a missing store file empty instead of refusing to open (after a loss with no backup)");
  commands.push_back({open, [create_missing](CliContext& context) { OpenAndClose(context, *create_missing); }});

  auto init_options = std::make_shared<InitOptions>();
  auto* init = app.add_subcommand("init", "Set up a new club in the club folder");
  init->add_option("--name", init_options->name, "Club name")->required();
  init->add_option("--year", init_options->year, "Track year, the first year of the books")->required();
  init->add_option("--start-unit", init_options->start_unit, "Starting unit value (default 25.00)");
  init->add_option("--address", init_options->address, "Club address");
  init->add_option("--tax-id", init_options->tax_id, "Club tax identification number");
  commands.push_back({init, [init_options](CliContext& context) {
    InitClub(context.club_folder, *context.ui, *context.clock, *init_options);
  }});

  auto repair = std::make_shared<bool>(false);
  auto* check = app.add_subcommand("check-books", "Check that the stores agree (balances, totals, links, ids); changes nothing");
  check->add_flag("--repair", *repair, "Run the resets and counter raises the breaches name, then check again");
  commands.push_back({check, [repair](CliContext& context) { CheckClub(context, *repair); }});

  auto* demo = app.add_subcommand("demo", "Write the demo club into a folder");
  auto folder = std::make_shared<std::string>();
  demo->add_option("DIR", *folder, "Folder for the demo club")->required();
  commands.push_back({demo, [folder](CliContext& context) {
                        WriteDemoClub(*folder, *context.clock, *context.ui);
                        *context.out << "Demo club written to " << fs::absolute(*folder).string() << '\n';
                      }});
}

}  // namespace pellmark::cli
