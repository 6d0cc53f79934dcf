// The journal of committed operations: for each operation the books commit,
// what it changed (each store item's bytes before and after, the club
// information before and after, each file of the club folder written or
// removed), a line that names it and the time. It is what undo and redo write
// back. The format is described in docs/journal.md.
//
//   JournalEntry entry;
//   entry.label = "Deposit $50.00 to Bank";
//   std::string frame = EncodeJournalEntry(entry);   // appended to the journal file
//   JournalRead read = DecodeJournal(bytes);          // every whole entry, where damage starts
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/qdb.h"

namespace pellmark {

// The journal file of the club folder, and the working file of the entries
// committed since the club opened, in the working folder.
inline constexpr const char* kJournalFileName = "clubjournal.pmj";
inline constexpr const char* kJournalWorkingName = "journal.entries";
// Entries the journal file keeps; older ones are dropped whole.
inline constexpr std::size_t kJournalCapacity = 500;
// Entries a session commits ride in the commit record until they reach this
// many bytes; then they are written to the working file together.
inline constexpr std::size_t kJournalPendingLimit = 16384;
// The record stores of a club (kClubStoreFiles).
inline constexpr std::size_t kClubStoreCount = 9;

enum class JournalKind : std::uint8_t {
  kOperation = 0,
  kUndo = 1,  // wrote back the before-images of entry `target`
  kRedo = 2,  // wrote back the before-images of the undo entry `target`
};

// A store item: the store's index in kClubStoreFiles, and the item before
// and after (absent where there was none).
struct StoreItemChange {
  std::uint8_t store = 0;
  std::optional<store::StoredItem> before;
  std::optional<store::StoredItem> after;
  friend bool operator==(const StoreItemChange&, const StoreItemChange&) = default;
};

// A file of the club folder, by name: its bytes before and after, absent
// where there was no file.
struct FileChange {
  std::string name;
  std::optional<std::string> before;
  std::optional<std::string> after;
  friend bool operator==(const FileChange&, const FileChange&) = default;
};

struct JournalEntry {
  std::uint64_t id = 0;    // one more than the entry before
  std::int64_t time = 0;   // seconds since 1970-01-01 UTC
  JournalKind kind = JournalKind::kOperation;
  std::uint64_t target = 0;  // the entry an undo or redo wrote back
  std::string label;
  // Why the entry cannot be undone; empty when it can.
  std::string final_reason;
  std::vector<StoreItemChange> items;
  std::optional<std::string> info_before;
  std::optional<std::string> info_after;
  std::vector<FileChange> files;
  friend bool operator==(const JournalEntry&, const JournalEntry&) = default;

  // The entry changed nothing it could write back.
  bool Empty() const { return items.empty() && !info_before && !info_after && files.empty(); }
};

// The label of the operation itself, without the "Undo "..."" or "Redo "...""
// of an undo or redo of it.
std::string OperationLabel(const std::string& label);

// The first line of a journal file names the format's version and the id of
// its newest entry, so that a file cut short between two entries is seen as
// such: "pellmark journal 1 last 1234\n".
inline constexpr std::string_view kJournalHeader = "pellmark journal 1 last ";
std::string JournalFileHeader(std::uint64_t newest_id);

// One entry as the file holds it: framing, length, checksum and body.
std::string EncodeJournalEntry(const JournalEntry& entry);
// The same appended to `out` (the entries a commit gathers, a journal file).
void EncodeJournalEntryInto(std::string& out, const JournalEntry& entry);

struct JournalRead {
  std::vector<JournalEntry> entries;
  // Where the first bytes that are not a whole entry start; nothing when the
  // bytes are whole entries to the end.
  std::optional<std::uint64_t> damaged_at;
};

// The whole entries of a journal file's bytes (with its header) or of the
// working file's (`with_header` false), in order, up to the first that is not
// whole (cut short, a wrong checksum, ids not rising); never throws on bad bytes.
JournalRead DecodeJournal(std::string_view bytes, bool with_header = true);

// The file's bytes for `entries`, the newest kJournalCapacity of them.
std::string EncodeJournalFile(std::span<const JournalEntry> entries);

// Where undo and redo stand after `entries`, replayed in order. `done` holds
// the entries whose changes are in place, newest last (an operation or a
// redo: undo writes back its before-images); `undone` the undo entries a redo
// can write back, newest last. A new operation ends every redo. An undo or
// redo whose target was dropped with older entries starts its list afresh.
struct JournalPosition {
  std::vector<std::uint64_t> done;
  std::vector<std::uint64_t> undone;
};
JournalPosition PositionOf(std::span<const JournalEntry> entries);

// The ids of the entries undo can reach, newest first: the entries in place
// down to the first that cannot be undone.
std::vector<std::uint64_t> UndoableEntries(std::span<const JournalEntry> entries);

// Adds the entries of `working_file`'s first `length` bytes, then those of
// `pending` (entries not yet written to the working file), that are newer
// than the club folder's journal file holds to that file (replaced whole, the
// newest kJournalCapacity kept); nothing when it holds them all already, so a
// join cut short is done again safely. Throws store::FileLayerError.
void JoinJournal(store::FileLayer& files, const std::filesystem::path& club_folder,
                 const std::filesystem::path& working_file, std::uint64_t length, std::string_view pending = {});

}  // namespace pellmark
