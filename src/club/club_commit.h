// The club's unit of work on disk. While a club is open its stores keep their
// changes in working files inside the hidden working folder; a commit writes
// every changed store's index over the one of its two index working files that
// the last commit does not name, and then one small commit record that names
// for every store changed since the open its data file, its index file and
// the lengths of both at that commit, and every other file of the club the
// operation writes (statements, the club information): staged whole in the
// working folder before the record, renamed into place after it, so that the
// operation and its files land together. Records go by turns into two slots,
// "club.commit.0" and "club.commit.1", each written in place in one write (a
// rename would cost a flush of the file on some file systems); a record carries
// its sequence number, length and checksum, so one cut short by the death of
// the program is seen as such and the other slot's, one commit older, counts.
// The next open joins what the newest whole record names into the store files,
// puts its staged files that are still in the working folder in place
// (`ApplyCommitRecord`) and removes every other working file.
//
//   club.commit.1:
//     pellmark commit 7 142 1f2e3d4c5b6a7988
//     pellmark club commit
//     store clubmem.qdb QDBa1B2c3 QIXd4E5f6 1207 364
//     file V03312026.stm staged.7.0 2310 0a1b2c3d4e5f6071
//     remove V12312025.stm
//     journal journal.entries 5120 412
//     end
//     <412 bytes: the newest journal entries, framed>
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "store/file_layer.h"

namespace pellmark {

inline constexpr std::array<const char*, 2> kCommitSlotNames = {"club.commit.0", "club.commit.1"};

// One store in a commit record; the names are file names: the store's inside
// the club folder, its working files inside the working folder. A record
// written before index files were written over in place has no index length:
// its index file holds the index alone.
struct StoreCommit {
  std::string store;
  std::string data;
  std::string index;
  std::uint64_t data_length = 0;
  std::optional<std::uint64_t> index_length;
};

// A file of the club folder that the commit replaces: `staged`, inside the
// working folder, holds its new bytes until it is renamed to `target`. A
// staged file that is gone was renamed already (its name is never used twice
// while a record names it). An empty `staged` removes `target`.
struct FileCommit {
  std::string target;
  std::string staged;
  std::uint64_t length = 0;
  std::uint64_t checksum = 0;
};

// The journal entries committed since the open: the first `length` bytes of
// the working file `working` (club/journal.h), then `pending`, the newest
// entries (framed as in the file), which the slot carries after the record
// until enough of them are written to the working file at once: a commit then
// writes one file, not two. All of them are added to the journal file of the
// club folder when the club closes or the next open joins the record.
struct JournalCommit {
  std::string working;
  std::uint64_t length = 0;
  std::string pending;
};

struct ClubCommitRecord {
  std::uint64_t sequence = 0;  // one more at every commit of a session
  std::vector<StoreCommit> stores;
  std::vector<FileCommit> files;
  std::optional<JournalCommit> journal;
  // The bytes of the club information file, as records of earlier releases
  // carry it instead of a staged file.
  std::optional<std::string> info;
};

// The checksum a FileCommit holds of the staged bytes.
std::uint64_t CommitChecksum(std::string_view bytes);

// The text of a slot: the framing line, the record, then the journal's
// pending entries.
std::string EncodeCommitSlot(const ClubCommitRecord& record);
// Nothing when the text is not a whole record (cut short, or other bytes) or
// its pending entries are not whole; bytes after them are ignored.
std::optional<ClubCommitRecord> DecodeCommitSlot(std::string_view text);

// The two slots of an open club. Each is opened at its first record and stays
// open until the club closes, so that a commit opens no file.
//
//   CommitSlots slots(files, club / ".pellmark-work");
//   slots.Write(record);
class CommitSlots {
 public:
  CommitSlots(store::FileLayer& files, std::filesystem::path working_folder);
  ~CommitSlots();
  CommitSlots(const CommitSlots&) = delete;
  CommitSlots& operator=(const CommitSlots&) = delete;

  // Writes the record over its slot (the sequence number picks the slot). Not
  // flushed: a commit has to outlive the death of the program; the close
  // flushes the stores.
  void Write(const ClubCommitRecord& record);

 private:
  store::FileLayer& files_;
  std::filesystem::path folder_;
  std::array<store::FileHandle, 2> handles_{-1, -1};
};

// What a commit record names cannot be joined: the record and its working files stay.
class UnrecoverableCommit : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Joins every store the newest whole record in `working_folder` names into
// `club_folder` and puts its staged files in place; then removes both slots,
// the newest last, so that a kill between the removals leaves the newest
// record. Returns the store file names joined (empty when there was no
// record). A join that fails leaves the record for the next open; a staged
// file that is not whole leaves everything as it was.
std::vector<std::string> ApplyCommitRecord(store::FileLayer& files, const std::filesystem::path& club_folder,
                                           const std::filesystem::path& working_folder);

// Renames each staged file of `files` still in `working_folder` over its target
// in `club_folder`, in order, then flushes the club folder. Returns the ones
// that could not be renamed, with the first failure's words in `failure`.
std::vector<FileCommit> PlaceStagedFiles(store::FileLayer& files, const std::filesystem::path& club_folder,
                                         const std::filesystem::path& working_folder,
                                         const std::vector<FileCommit>& staged, std::string* failure = nullptr);

// Removes both commit slots of `working_folder`, the one of `newest_sequence`
// last: no older record outlives a newer one.
void RemoveCommitSlots(store::FileLayer& files, const std::filesystem::path& working_folder,
                       std::uint64_t newest_sequence);

// What to do about changes a program left that cannot be joined.
inline constexpr const char* kPendingChangesAdvice =
    "Restore the club from a backup, or open it as of its last whole commit and set these changes aside with "
    "\"pellmark-cli open --discard-pending\".";

// When a commit record is pending in `working_folder`, moves its files (every
// file there but those named in `keep`) into a new folder ".pellmark-set-aside-N"
// of `club_folder`, so that the club opens as of the changes last joined into
// its files, and returns that folder; nothing when no record is pending.
// Throws store::FileLayerError.
std::optional<std::filesystem::path> SetPendingChangesAside(store::FileLayer& files,
                                                            const std::filesystem::path& club_folder,
                                                            const std::filesystem::path& working_folder,
                                                            const std::vector<std::string>& keep);

// Removes every file of `working_folder` but those named in `keep`, and the temporary files
// an interrupted save leaves in `club_folder` ("QDD..." containers, "*.new"
// files, ".*.open.*" markers).
void RemoveStrayFiles(store::FileLayer& files, const std::filesystem::path& club_folder,
                      const std::filesystem::path& working_folder, const std::vector<std::string>& keep);

}  // namespace pellmark
