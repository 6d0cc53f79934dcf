#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "books/books.h"
#include "forms/club_setup_form.h"
#include "books/books_check.h"
#include "cli/cli_context.h"
#include "cli/demo_club.h"
#include "cli/input_forms.h"
#include "cli/listing.h"
#include "cli/open_club.h"
#include "club/club_session.h"
#include "club/keys.h"
#include "club/text_encoding.h"

namespace pellmark::cli {
namespace {

namespace fs = std::filesystem;

struct InitOptions {
  std::string name, year, start_unit = "25.00", address, tax_id;
};

int CountActive(auto& table) {
  int count = 0;
  table.ForEach(kActiveFilter, [&](const auto&) { ++count; });
  return count;
}

// The club at a glance: who it is, what a unit is worth, what it owns. The
// stored passwords are never shown.
void PrintInfo(CliContext& context) {
  WithOpenClub(context, [&](Books& books) {
    ClubSession& club = books.Club();
    const TClubInfoRec& info = club.Info();
    books.Figures().RefreshPurchaseUnit(club.Today());
    const valuation::ClubSummary figures = books.Figures().Summary();
    Summary summary;
    summary.Add("Club", "club", TextCell(ToUtf8(info.club)));
    summary.Add("Address", "address", TextCell(ToUtf8(info.addr)));
    summary.Add("Open year", "year", CountCell(info.year));
    summary.Add("Current unit value", "current_unit_value", UnitValueCell(info.vunit));
    summary.Add("Purchase unit value", "purchase_unit_value", UnitValueCell(figures.purchase_unit));
    summary.Add("Actual unit value", "actual_unit_value", UnitValueCell(figures.actual_unit));
    summary.Add("Total assets", "total_assets", MoneyCell(figures.assets));
    summary.Add("Total units", "total_units", UnitsCell(figures.units));
    summary.Add("Members", "members", CountCell(CountActive(club.members)));
    summary.Add("Accounts", "accounts", CountCell(CountActive(club.accounts)));
    summary.Add("Securities", "securities", CountCell(CountActive(club.securities)));
    const auto units = club.unitfile.Select();
    if (units.empty()) {
      summary.Add("Newest valuation", "newest_valuation", {"none", nullptr});
    } else {
      const Cell date = DateCell(units.back().date);
      const Cell value = UnitValueCell(units.back().unitval);
      summary.Add("Newest valuation", "newest_valuation",
                  {date.text + ", unit value " + value.text, {{"date", date.value}, {"unit_value", value.value}}});
    }
    summary.Print(*context.out, context.json);
  });
}

void OpenAndClose(CliContext& context, bool create_missing, bool discard_pending) {
  RequireClubFolder(context);
  Books books(context.club_folder, *context.ui, *context.clock);
  books.Club().SetCreateMissingStores(create_missing);
  books.Club().SetDiscardPending(discard_pending);
  books.Open();
  books.Close();
}

void InitClub(const fs::path& folder, Interaction& ui, const Clock& clock, const InitOptions& options) {
  fs::create_directories(folder);
  Books books(folder, ui, clock);
  books.Open();
  RefuseIfSetUp(books, ui);
  ClubSession& club = books.Club();
  ClubInfoFields fields = ClubSetupFields(club);
  fields.club = StorableText(options.name);
  fields.year = options.year;
  fields.startunit = AmountText(options.start_unit).value_or(options.start_unit);
  fields.addr = StorableText(options.address);
  fields.idnum = StorableText(options.tax_id);
  const Outcome committed = CommitClubSetup(club, fields);
  club.Close();
  if (!committed) throw CommandRefused(committed.Message());
}

// Prints every breach with its mend; with `repair` runs the mends first and
// reports what is left. Refused (exit 1) while any breach remains.
void CheckClub(CliContext& context, bool repair) {
  WithOpenClub(context, [&](Books& books) {
    std::vector<BooksBreach> breaches = books.CheckBooks();
    if (repair && !breaches.empty()) {
      const int mends = books.RepairBooks(breaches);
      *context.out << mends << (mends == 1 ? " mend" : " mends") << " run.\n";
      breaches = books.CheckBooks();
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

// The club information of the Special page; the options change it through the
// page's checks.
struct ClubOptions {
  std::optional<std::string> name, address, tax_id, year, mail_server, return_address;
  std::optional<std::string> proxy, user, password;
  std::optional<bool> use_proxy, cache_off, basic_auth;

  bool Changes() const {
    return name || address || tax_id || year || mail_server || return_address || proxy || user || password ||
           use_proxy || cache_off || basic_auth;
  }
};

Cell OnOffCell(bool on) { return {on ? "on" : "off", on}; }

void ShowOrChangeClub(CliContext& context, const ClubOptions& options) {
  WithOpenClub(context, [&](Books& books) {
    ClubSession& club = books.Club();
    ClubInfoFields fields = ClubSetupFields(club);
    auto set = [](std::string& field, const std::optional<std::string>& value) {
      if (value) field = StorableText(*value);
    };
    set(fields.club, options.name);
    set(fields.addr, options.address);
    set(fields.idnum, options.tax_id);
    set(fields.year, options.year);
    set(fields.host, options.mail_server);
    set(fields.retadr, options.return_address);
    set(fields.proxy, options.proxy);
    set(fields.user, options.user);
    set(fields.passwd, options.password);
    fields.usepxy = options.use_proxy.value_or(fields.usepxy);
    fields.pxycsh = options.cache_off.value_or(fields.pxycsh);
    fields.usepas = options.basic_auth.value_or(fields.usepas);
    if (options.Changes()) {
      RequireDone(books, [&] { return CommitClubSetup(club, fields); });
      fields = ClubSetupFields(club);
    }
    Summary summary;
    summary.Add("Club", "club", TextCell(ToUtf8(fields.club)));
    summary.Add("Address", "address", TextCell(ToUtf8(fields.addr)));
    summary.Add("Tax ID", "tax_id", TextCell(ToUtf8(fields.idnum)));
    summary.Add("Open year", "year", TextCell(fields.year));
    summary.Add("Mail server", "mail_server", TextCell(ToUtf8(fields.host)));
    summary.Add("Return address", "return_address", TextCell(ToUtf8(fields.retadr)));
    summary.Add("Proxy", "proxy", TextCell(ToUtf8(fields.proxy)));
    summary.Add("Use proxy", "use_proxy", OnOffCell(fields.usepxy));
    summary.Add("Cache off", "cache_off", OnOffCell(fields.pxycsh));
    summary.Add("Authentication", "basic_auth", OnOffCell(fields.usepas));
    summary.Add("User", "user", TextCell(ToUtf8(fields.user)));
    summary.Print(*context.out, context.json);
  });
}

}  // namespace

void AddClubCommands(CLI::App& app, CommandList& commands) {
  auto* info = app.add_subcommand("info", "The club at a glance: unit values, assets, units, counts, newest valuation");
  commands.push_back({info, PrintInfo});

  auto club_options = std::make_shared<ClubOptions>();
  auto* club = app.add_subcommand("club", "Show the club information, or change it with the Special page's checks");
  club->add_option("--name", club_options->name, "Club name");
  club->add_option("--address", club_options->address, "Club address");
  club->add_option("--tax-id", club_options->tax_id, "Club tax identification number");
  club->add_option("--year", club_options->year, "Track year, the first year of the books");
  club->add_option("--mail-server", club_options->mail_server, "Outgoing mail server");
  club->add_option("--return-address", club_options->return_address, "Return address of the club's mail");
  club->add_option("--proxy", club_options->proxy, "Proxy for quotes: host, host:port or URL");
  club->add_option("--use-proxy", club_options->use_proxy, "Send quote requests through the proxy (on/off)");
  club->add_option("--cache-off", club_options->cache_off, "Ask caches not to answer quote requests (on/off)");
  club->add_option("--basic-auth", club_options->basic_auth, "Send the user and password with quote requests (on/off)");
  club->add_option("--user", club_options->user, "User name for basic authentication");
  club->add_option("--password", club_options->password, "Password for basic authentication");
  commands.push_back({club, [club_options](CliContext& context) { ShowOrChangeClub(context, *club_options); }});

  auto* open = app.add_subcommand("open", "Open the club as the program does at start (upgrades included) and close it");
  auto create_missing = std::make_shared<bool>(false);
  open->add_flag("--create-missing", *create_missing,
                 "Create a missing store file empty instead of refusing to open (after a loss with no backup)");
  auto discard_pending = std::make_shared<bool>(false);
  open->add_flag("--discard-pending", *discard_pending,
                 "Set aside the changes a program left without closing the club (when they cannot be recovered) and "
                 "open the club as of its last whole commit");
  commands.push_back({open, [create_missing, discard_pending](CliContext& context) {
                        OpenAndClose(context, *create_missing, *discard_pending);
                      }});

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
  auto demo_options = std::make_shared<DemoOptions>();
  demo->add_option("DIR", demo_options->folder, "Folder for the demo club")->required();
  demo->add_option("--years", demo_options->years, "Years of history, up to this month (default 1)")
      ->check(CLI::Range(1, 100));
  demo->add_option("--members", demo_options->members, "Members paying dues each month (default 5)")
      ->check(CLI::Range(1, 500));
  commands.push_back({demo, [demo_options](CliContext& context) {
                        WriteDemoClub(*demo_options, *context.clock, *context.ui);
                        *context.out << "Demo club written to " << fs::absolute(demo_options->folder).string() << '\n';
                      }});
}

}  // namespace pellmark::cli
