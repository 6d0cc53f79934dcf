// The club session: one club folder opened for a run. It owns the nine record
// stores, the club information and the view state, opens and closes them in the
// program's order, runs pending upgrades of old data, and commits the club
// set-up. Everything it shows goes through the interaction port.
//
//   ClubSession club(folder, ui, clock);
//   club.OpenClub(/*reset=*/false);
//   if (!club.InfoExists()) club.SetUpClub(setup);
//   ...
//   club.Close();   // stores rewritten, view state written
#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "club/clock.h"
#include "club/club_commit.h"
#include "club/club_lock.h"
#include "club/interaction.h"
#include "club/journal.h"
#include "club/club_replace.h"
#include "club/outcome.h"
#include "club/record_keys.h"
#include "club/records.h"
#include "club/table.h"
#include "club/view_state.h"
#include "store/qdb.h"

namespace pellmark {

// The club's set-up as the Special page's form reads it.
struct ClubSetup {
  std::string club, addr, idnum;
  std::int32_t year = 0;
  std::string host, retadr, proxy, user, passwd;
  bool usepxy = false, pxycsh = false, usepas = false;
  std::int16_t contyp = -1;       // "Connection Type": 0 "Dialup", 1 "LAN", -1 none
  std::string dialup;             // the selected dial-up entry, empty when none
  std::uint8_t cnthndl = 0;       // "Terminate . . .": 0 "Immediately After Use", 1 "At end of Program"
  std::optional<double> start_unit;  // given only at the first set-up
};

// The least and the greatest unit value a club may start with: zero or less
// would make every later dues payment divide by it; one beyond a million would
// buy no visible units with any dues.
inline constexpr double kLeastStartUnit = 0.01;
inline constexpr double kMostStartUnit = 1e6;

// A track year as the set-up takes it: a whole year with a valid 1 January.
std::optional<std::int32_t> ParseTrackYear(std::string_view text);

// The folder inside a club folder where the stores keep their working files.
inline constexpr const char* kWorkingFolderName = ".pellmark-work";
// In the working folder while a new club is being created.
inline constexpr const char* kCreatingMarkerName = "creating";

// The files of the nine record stores, in the order of the session's stores:
// members, memrecs, securities, stkrecs, prices, accounts, actrecs, categories,
// unitfile (the order in which a backup copies them).
inline constexpr std::array<const char*, 9> kClubStoreFiles = {"clubmem.qdb", "memrec.qdb",  "clubstk.qdb",
                                                               "stkrec.qdb",  "stkprice.qdb", "clubact.qdb",
                                                               "actrec.qdb",  "clubcat.qdb", "clubunit.qdb"};

// A store could not be closed for a copy of its file: the session is closed
// and every later commit refused; the club's last commit stays in the commit
// record, which the next open joins.
class ClubNeedsReopen : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A club whose folder holds some of its stores but not all: the open is refused.
class ClubFileMissing : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ClubSession {
 public:
  ClubSession(std::filesystem::path folder, Interaction& ui, const Clock& clock);
  // Closes the stores if still open; errors at this point are swallowed (the
  // working files stay behind and are recovered at the next open).
  ~ClubSession();
  ClubSession(const ClubSession&) = delete;
  ClubSession& operator=(const ClubSession&) = delete;

  // Opens the club: takes the club's lock (ClubLocked when another program
  // holds it), joins what the newest commit record of a program that died
  // names, removes stray working files, then the nine stores (created together
  // for a new club; a club missing some is refused with ClubFileMissing unless
  // SetCreateMissingStores), the predefined
  // categories of an empty category store, the view state, pending upgrades and
  // the recount of hidden items. `reset` takes the default view state.
  // Returns the ids of the members whose totals the upgrade of old data asks to
  // recalculate (it deleted empty transactions of theirs); the books do that and
  // recount the hidden items after. Store errors propagate.
  std::vector<std::int32_t> OpenClub(bool reset);

  // Commits, then closes the stores in the program's order; each store changed
  // since the open is rewritten, the committed files are put in place, the
  // commit record and working files go and the lock is released. Throws only
  // when changes not yet committed were lost; a failure after that (a full
  // disk while a store is rewritten) is shown as a warning and the record stays
  // for the next open, which finishes the close.
  void CloseStores();

  // The unit of work: every store changed since the last commit, the club
  // information and the files staged since are committed at once by replacing
  // the commit record; nothing is written when nothing changed. A failure
  // before the record is whole throws and leaves the last commit as it was;
  // after it the commit stands: a staged file that could not be put in place
  // is shown as a warning and put in place by the close or the next open.
  void Commit();
  // Drops every change since the last commit, in the stores, the club
  // information and the staged files.
  void Abandon();

  // A file of the club folder (a statement) that the next commit replaces with
  // `bytes`, together with the stores; the last bytes staged for a file count.
  // Until then the file keeps its old bytes.
  void StageFile(const std::filesystem::path& file, std::string bytes);
  // A file of the club folder that the next commit removes (undo of the
  // operation that wrote it).
  void StageRemoval(const std::filesystem::path& file);

  // The journal (club/journal.h): every commit that changed something adds an
  // entry, in the same unit of work. The entries the club holds, oldest first.
  std::span<const JournalEntry> Journal() const {
    return std::span<const JournalEntry>(journal_).subspan(journal_dropped_);
  }
  // Where the journal file stopped being readable at the open; nothing when whole.
  std::optional<std::uint64_t> JournalDamage() const { return journal_damaged_at_; }
  // The next commit's entry takes `label` instead of one made from its changes.
  void NameOperation(std::string label);
  // The next commit's entry cannot be undone, for `reason` (a year close, a
  // restore); it is written even when nothing else changed, so no undo
  // reaches past it.
  void MarkFinalOperation(std::string label, std::string reason);
  // No journal for the rest of the session (the measure a benchmark compares with).
  void SetJournalKept(bool kept);
  // Writes back the before-images of the newest entry in place (undo) or of
  // the newest undo (redo), for the next commit, which journals it as such.
  // Refused, with the reason shown, when there is none, when the entry cannot
  // be undone, or when the books no longer hold what it left.
  Outcome UndoNewest();
  Outcome RedoNewest();
  // The entry UndoNewest / RedoNewest would write back, nothing when none.
  const JournalEntry* UndoCandidate() const;
  const JournalEntry* RedoCandidate() const;
  // Empty when the books hold the after-images of `entry` (what it left),
  // else the first thing that differs, in words.
  std::string DifferenceFromAfter(const JournalEntry& entry);
  // The bytes a file of the club folder holds as of the last commit; nothing when there is none.
  std::optional<std::string> CommittedFile(const std::string& name);

  // Writes store `store` (an index into kClubStoreFiles) as of the last
  // commit into `out`, an open file of the session's file layer: the
  // container its close would write (store::TQDB::WriteCommittedContainer).
  // The store stays open. Throws store::FileLayerError.
  std::uint64_t WriteCommittedStore(std::size_t store, store::FileHandle out);
  // The bytes "clubinfo.qdb" holds at the last commit. Throws
  // store::FileLayerError when the club has none yet.
  std::string CommittedClubInfo();

  // Replaces club files underneath the open session, all or nothing across a
  // crash: commits, closes the stores (keeping the lock), stages the new files
  // in the working folder, writes the replacement journal, moves the current
  // files into a kept folder inside the working folder and the staged ones in
  // their place, then opens the club again as OpenClub(reset) does (pending
  // upgrades run). Returns the kept folder and the members whose totals the
  // upgrade asks to recalculate. A failure before the journal is written
  // leaves the club and the session as they were and throws; once the journal
  // is written the replacement stands, and one that cannot be finished or a
  // club that cannot be opened again (a full disk) is reported in
  // `reopen_failure`, the session closed: the next open finishes the work.
  struct Replaced {
    std::filesystem::path kept;
    std::vector<std::int32_t> to_recalculate;
    std::string reopen_failure;  // empty when the club was opened again
  };
  Replaced ReplaceClubFiles(const std::vector<FileReplacement>& plan, bool reset);

  // A missing store is created empty by the next OpenClub instead of refused.
  void SetCreateMissingStores(bool create) { create_missing_ = create; }
  // The next open sets a pending commit aside instead of joining it
  // (SetPendingChangesAside): the way out of one whose files are damaged.
  void SetDiscardPending(bool discard) { discard_pending_ = discard; }

  // The end of a run: closes the stores and writes the view state (a failure
  // to write it is only a warning).
  void Close();

  // Stores the club information of the set-up (and, at the first set-up, the
  // starting unit value and the account "Cash") and commits; refused when the
  // club's information was damaged.
  Outcome SetUpClub(const ClubSetup& setup);

  // The club information goes into the file with the next commit (at once
  // while the club is not open).
  void WriteClubInfo();

  // The club information an import brought: it replaces the club's own with
  // the next commit and, for a new club, finishes its creation as a set-up does.
  void TakeClubInfo(const TClubInfoRec& info);
  // The upgrades the club information asks for (older member records, the
  // data-format update), as an open runs them; returns the ids of the members
  // whose totals need recalculating.
  std::vector<std::int32_t> RunPendingUpgrades();

  // "Sort Securities by Performance": stored and written at once.
  void SetSortSecurities(bool sort);

  // The file layer of the nine stores and of the club information and view
  // state files; nullptr goes back to store::DefaultFileLayer().
  void SetFileLayer(store::FileLayer* files);
  store::FileLayer& Files() const { return files_ != nullptr ? *files_ : store::DefaultFileLayer(); }

  const std::filesystem::path& Folder() const { return folder_; }
  Interaction& Ui() { return ui_; }
  const Clock& ClockRef() const { return clock_; }
  DayNumber Today() const { return clock_.Today(); }

  bool InfoExists() const { return info_exists_; }
  // Set when the club information file is damaged, or missing from a club whose
  // stores hold records: the message names the file and points at the backup.
  // Such a club is no new club: it opens only to be restored or reset, and its
  // club information cannot be committed.
  const std::optional<std::string>& InfoDamage() const { return info_damage_; }
  TClubInfoRec& Info() { return info_; }
  const TClubInfoRec& Info() const { return info_; }
  TViewState& View() { return view_; }

  // Audit mode: set while an audit runs valuations; it silences prompts, messages,
  // sounds, backups and refreshes inside them.
  bool AuditMode() const { return audit_mode_; }
  void SetAuditMode(bool on) { audit_mode_ = on; }

  // Zeroes the figure of every hidden member, security and account that still
  // holds one and stores the counts of hidden items in the club information.
  void RecountHiddenItems();

 private:
  // The nine record stores; everyone above the session reaches them through the
  // tables below.
  struct Stores {
    store::TQDB members, memrecs, securities, stkrecs, prices, accounts, actrecs, categories, unitfile;
    std::array<store::TQDB*, 9> All() {
      return {&members, &memrecs, &securities, &stkrecs, &prices, &accounts, &actrecs, &categories, &unitfile};
    }
  } stores_;

 public:
  Table<TMemberRec> members{stores_.members, MemberKey};
  Table<TMemberTranRec> memrecs{stores_.memrecs, MemberTranKey};
  Table<TSecurityRec> securities{stores_.securities, SecurityKey};
  Table<TSecurityTranRec> stkrecs{stores_.stkrecs, SecurityTranKey};
  Table<TPriceRec> prices{stores_.prices, PriceKey};
  Table<TAccountRec> accounts{stores_.accounts, AccountKey};
  Table<TAccountTranRec> actrecs{stores_.actrecs, AccountTranKey};
  Table<TCategoryRec> categories{stores_.categories, CategoryRecordKey};
  Table<TUnitValueRec> unitfile{stores_.unitfile, UnitValueKey};

 private:
  void ConfigureStores();
  std::vector<std::int32_t> OpenStores(bool reset);
  void CloseStoresForReplacement();
  // Writes the files staged since the last commit into the working folder and
  // returns what the record names for them, the committed files not yet in place first.
  std::vector<FileCommit> WriteStagedFiles();
  // Puts the committed files in place; those that cannot be stay for the
  // close or the next open. Returns the first failure's words, empty when none.
  std::string PlaceCommittedFiles();
  // Removes the commit slots, the newest last.
  void RemoveCommitSlots();
  void RequireUsable() const;
  std::filesystem::path WorkingFolder() const { return folder_ / kWorkingFolderName; }
  void RecoverAndClean();
  void PrepareStoreFiles();
  bool UpgradePending() const;
  bool HoldsClubRecords() const;
  void ReportRecovery(const store::RecoveryReport& report);
  void ResetInfoForFirstSetUp();
  void CreateFirstAccount();
  void ReadJournal();
  void MarkJournalDamage();
  // Adds a committed entry, the oldest dropped beyond kJournalCapacity.
  void KeepInJournal(JournalEntry entry);
  // What the next commit changes, for the journal; `final` when it is to be
  // written even without changes.
  JournalEntry CollectJournalEntry();
  // Adds the entry to the pending ones (kept in memory and carried by the
  // commit record), writing them all to the working journal file after the
  // committed entries once they are enough, and returns what the commit
  // record names. `length` is the working file's committed length after the
  // commit; the caller puts journal_pending_ back when the commit fails.
  JournalCommit AppendJournalEntry(const JournalEntry& entry, std::uint64_t* length);
  // Not the whole commit record: the entries the slot carries are moved into
  // and out of it.
  JournalCommit PendingJournal() { return JournalCommit{kJournalWorkingName, journal_length_, std::move(journal_pending_)}; }
  void JoinJournalIntoFolder();
  const JournalEntry* EntryById(std::uint64_t id) const;
  // Writes back the before-images of `entry`.
  void WriteBackBefore(const JournalEntry& entry);
  Outcome WriteBack(const JournalEntry* entry, JournalKind kind, const char* nothing);

  store::FileLayer* files_ = nullptr;
  std::filesystem::path folder_;
  Interaction& ui_;
  const Clock& clock_;
  bool open_ = false;
  bool info_exists_ = false;
  std::optional<std::string> info_damage_;
  bool audit_mode_ = false;
  // A store could not be closed or reopened for a copy: nothing more is committed.
  bool unusable_ = false;
  std::unique_ptr<ClubLock> lock_;
  bool create_missing_ = false;
  bool discard_pending_ = false;
  // A new club: the creation marker stands until the set-up is committed.
  bool creating_ = false;
  bool creation_finished_ = false;
  // The club information changed since the last commit / since the open.
  bool info_dirty_ = false;
  std::uint64_t commit_sequence_ = 0;
  std::unique_ptr<CommitSlots> commit_slots_;  // from the first commit to the close
  // Files staged since the last commit, by name in the club folder; nothing
  // for a file the commit removes.
  std::map<std::string, std::optional<std::string>> staged_;
  // The journal: entries held, where the file was damaged, the committed
  // length of the working file of this session's entries and its handle.
  bool journal_kept_ = true;
  std::vector<JournalEntry> journal_;
  // Entries at the front of journal_ that no longer count (older than the
  // newest kJournalCapacity), erased together now and then.
  std::size_t journal_dropped_ = 0;
  std::optional<std::uint64_t> journal_damaged_at_;
  std::uint64_t journal_length_ = 0;
  // Entries committed after the working file's committed length, framed.
  std::string journal_pending_;
  std::unique_ptr<store::OpenFile> journal_file_;
  // What the next commit's entry says of itself.
  JournalKind next_kind_ = JournalKind::kOperation;
  std::uint64_t next_target_ = 0;
  std::string next_label_;
  std::string next_final_;
  // Files of a whole commit still in the working folder, in the order they go in place.
  std::vector<FileCommit> committed_files_;
  TClubInfoRec committed_info_;
  bool committed_info_exists_ = false;
  TClubInfoRec info_;
  TViewState view_;
};


}  // namespace pellmark
