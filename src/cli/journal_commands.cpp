// history, undo and redo: the journal of committed operations on the command line.
#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "books/books.h"
#include "cli/cli_context.h"
#include "cli/listing.h"
#include "cli/open_club.h"
#include "club/journal_labels.h"
#include "club/text_encoding.h"

namespace pellmark::cli {
namespace {

// Prints the labels of the entries the operation added to the journal, one a line.
void PrintAdded(CliContext& context, Books& books, std::uint64_t newest_before) {
  for (const JournalEntry& entry : books.Club().Journal()) {
    if (entry.id > newest_before) *context.out << ToUtf8(entry.label) << '\n';
  }
}

std::uint64_t NewestId(Books& books) {
  const std::span<const JournalEntry> journal = books.Club().Journal();
  return journal.empty() ? 0 : journal.back().id;
}

void PrintHistory(CliContext& context, Books& books, bool json) {
  const std::span<const JournalEntry> journal = books.Club().Journal();
  const std::vector<std::uint64_t> undoable = UndoableEntries(journal);
  Listing listing("History", {{"Id", "id", Align::Right}, {"Time", "time"}, {"Label", "label"}, {"Undoable", "undoable"}});
  for (auto entry = journal.rbegin(); entry != journal.rend(); ++entry) {
    const bool can = std::find(undoable.begin(), undoable.end(), entry->id) != undoable.end();
    listing.Add({CountCell(static_cast<long long>(entry->id)), TextCell(FormatJournalTime(entry->time)),
                 TextCell(ToUtf8(entry->label)), FlagCell(can, "yes")});
  }
  listing.Print(*context.out, json);
}

}  // namespace

void AddJournalCommands(CLI::App& app, CommandList& commands) {
  auto json = std::make_shared<bool>(false);
  auto* history = app.add_subcommand("history", "List the journal of committed operations, newest first");
  history->add_flag("--json", *json, "Print the history as JSON for scripts");
  commands.push_back({history, [json](CliContext& context) {
                        WithOpenClub(
                            context, [&](Books& books) { PrintHistory(context, books, *json || context.json); },
                            nullptr, ClubSetUp::kNotRequired);
                      }});

  auto to = std::make_shared<std::optional<std::uint64_t>>();
  auto* undo = app.add_subcommand("undo", "Undo the newest operation (with --to ID, every operation back to ID)");
  undo->add_option("--to", *to, "The oldest entry of the history to undo")->check(RecordId());
  commands.push_back({undo, [to](CliContext& context) {
                        WithOpenClub(context, [&](Books& books) {
                          const std::uint64_t newest = NewestId(books);
                          const Outcome outcome = *to ? books.UndoTo(**to) : books.Undo();
                          PrintAdded(context, books, newest);
                          if (!outcome) throw CommandRefused(outcome.Message());
                        }, nullptr, ClubSetUp::kNotRequired);
                      }});

  auto* redo = app.add_subcommand("redo", "Redo the newest operation undone");
  commands.push_back({redo, [](CliContext& context) {
                        WithOpenClub(context, [&](Books& books) {
                          const std::uint64_t newest = NewestId(books);
                          const Outcome outcome = books.Redo();
                          PrintAdded(context, books, newest);
                          if (!outcome) throw CommandRefused(outcome.Message());
                        }, nullptr, ClubSetUp::kNotRequired);
                      }});
}

}  // namespace pellmark::cli
