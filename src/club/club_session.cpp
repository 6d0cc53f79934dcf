#include "club/club_session.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cmath>
#include <exception>
#include <iterator>

#include "club/club_commit.h"
#include "club/club_info_file.h"
#include <fmt/format.h>

#include "club/journal_labels.h"
#include "club/keys.h"
#include "club/number_parse.h"
#include "club/store_operations.h"
#include "club/upgrade.h"
#include "store/container_format.h"
#include "store/file_set.h"
#include "store/whole_files.h"

namespace pellmark {
namespace {

constexpr int kMasterCacheSize = 2500;
constexpr int kTransactionCacheSize = 16384;
// Unused bytes in a store's data file beyond which the close packs it.
constexpr std::uint64_t kPackThreshold = 65536;
// Undo stops at the club's first set-up: before it there is no club to go back to.
constexpr const char* kSetUpReason = "the set-up of a new club cannot be undone.";
constexpr const char* kReplacedFilesReason =
    "the club's files were replaced whole; \"pellmark-cli undo-restore\" puts back the files from before.";
constexpr const char* kYearCloseReason = "the club's open year has moved since; a year close cannot be undone.";
std::string Cut(const std::string& text, std::size_t length) { return text.substr(0, length); }

}  // namespace

std::optional<std::int32_t> ParseTrackYear(std::string_view text) {
  std::optional<std::int32_t> year = ParseInteger(text, PlusSign::kRefused);
  if (!year || !IsValidCivil({*year, 1, 1})) return std::nullopt;
  return year;
}

ClubSession::ClubSession(std::filesystem::path folder, Interaction& ui, const Clock& clock)
    : folder_(std::filesystem::absolute(folder).lexically_normal()), ui_(ui), clock_(clock) {}

ClubSession::~ClubSession() {
  try {
    // An operation cut short by an exception is not committed.
    if (std::uncaught_exceptions() > 0) Abandon();
    CloseStores();
  } catch (...) {
    // The working files stay behind; the next open recovers them.
  }
}

void ClubSession::ConfigureStores() {
  const std::filesystem::path working = WorkingFolder();
  // The commit record names working files inside this folder: it must exist.
  Files().CreateFolder(working);
  Stores& s = stores_;
  for (store::TQDB* master : {&s.members, &s.securities, &s.accounts, &s.categories}) {
    master->SetCacheSize(kMasterCacheSize);
  }
  for (store::TQDB* transactions : {&s.memrecs, &s.stkrecs, &s.actrecs, &s.prices}) {
    transactions->SetCacheSize(kTransactionCacheSize);
  }
  for (store::TQDB* store : s.All()) {
    store->WarnNoData = [](store::TQDB&) {};
    store->SetCommittedByOwner(true);
    store->SetTracksChanges(journal_kept_);
    store->SetTempFolder(working);
    store->OnRecovery = [this](store::TQDB&, const store::RecoveryReport& report) { ReportRecovery(report); };
  }
}

void ClubSession::ReportRecovery(const store::RecoveryReport& report) {
  const std::string file = report.store_file.filename().string();
  if (report.joined) {
    ui_.ShowInformation("Changes to " + file + " left by a program that ended without closing the club have been recovered.");
  } else {
    ui_.ShowError("Changes to " + file + " left by a program that ended without closing the club could not be recovered (" +
                  report.problem + "); they were left in " + report.marker_file.parent_path().string() + ". " +
                  kPendingChangesAdvice);
  }
}

void ClubSession::ResetInfoForFirstSetUp() {
  info_ = TClubInfoRec{};
  info_.sort = true;
  info_.year = CivilFromDayNumber(Today()).year;
  info_.contyp = -1;
  info_.defact = -1;
  info_.defstkact = -1;
}

void ClubSession::RecoverAndClean() {
  store::FileLayer& files = Files();
  // A replacement of the club's files that a crash cut short is finished first:
  // its journal was written after the last commit was joined.
  if (ApplyReplacementJournal(files, folder_, WorkingFolder()) && files.Exists(WorkingFolder() / kCreatingMarkerName)) {
    files.Remove(WorkingFolder() / kCreatingMarkerName);
  }
  if (discard_pending_) {
    if (std::optional<std::filesystem::path> aside = SetPendingChangesAside(files, folder_, WorkingFolder(), {kLockFileName})) {
      ui_.ShowInformation("The changes a program left without closing the club were set aside in " + aside->string() +
                          "; the club opens as of its last whole commit.");
    }
  }
  for (const std::string& joined : ApplyCommitRecord(files, folder_, WorkingFolder())) {
    ui_.ShowInformation("Changes to " + joined +
                        " left by a program that ended without closing the club have been recovered.");
  }
  if (files.Exists(WorkingFolder() / kCreatingMarkerName)) {
    // A club whose creation was cut short is no club: its files go, and it is created anew.
    for (const char* name : kClubStoreFiles) files.Remove(folder_ / name);
    files.Remove(folder_ / kClubInfoFileName);
  }
  // The club folder takes a valuation's backup set: one a crash cut short is finished.
  try {
    store::FinishFileSet(files, folder_);
  } catch (const store::FileLayerError&) {
    // It stays for the next backup, which reports why; no reason to keep the club closed.
  }
  RemoveStrayFiles(files, folder_, WorkingFolder(), {kLockFileName});
}

bool ClubSession::HoldsClubRecords() const {
  // The categories do not count: a reset club keeps the predefined ones.
  const Stores& s = stores_;
  for (const store::TQDB* store :
       {&s.members, &s.memrecs, &s.securities, &s.stkrecs, &s.prices, &s.accounts, &s.actrecs, &s.unitfile}) {
    if (store->Count() > 0) return true;
  }
  return false;
}

bool ClubSession::UpgradePending() const {
  // Older releases created some stores only when first used: their clubs may lack them.
  return info_exists_ && (info_.cnthndl == 255 || info_.unitkey == -1);
}

void ClubSession::PrepareStoreFiles() {
  store::FileLayer& files = Files();
  std::vector<std::string> missing;
  for (const char* name : kClubStoreFiles) {
    if (!files.Exists(folder_ / name)) missing.emplace_back(name);
  }
  if (missing.empty()) return;
  if (missing.size() == kClubStoreFiles.size() && !info_exists_) {
    // A new club: until its set-up is committed the marker says that a crash leaves no club.
    store::SaveFileAtomically(files, WorkingFolder() / kCreatingMarkerName, "");
    creating_ = true;
  } else if (!create_missing_ && !UpgradePending()) {
    std::string names;
    for (const std::string& name : missing) names += (names.empty() ? "" : ", ") + name;
    throw ClubFileMissing((missing.size() == 1 ? "The club file " + names + " is missing from "
                                               : "The club files " + names + " are missing from ") +
                          folder_.string() +
                          ". Restore the club from a backup, or run \"pellmark-cli open --create-missing\" to "
                          "start the missing files empty.");
  }
  for (const std::string& name : missing) store::CreateEmpty(files, folder_ / name);
}

std::vector<std::int32_t> ClubSession::OpenClub(bool reset) {
  ConfigureStores();
  lock_ = std::make_unique<ClubLock>(Files(), WorkingFolder());
  try {
    return OpenStores(reset);
  } catch (...) {
    lock_.reset();
    throw;
  }
}

std::vector<std::int32_t> ClubSession::OpenStores(bool reset) {
  Stores& s = stores_;
  unusable_ = false;
  try {
    RecoverAndClean();
    ReadJournal();
    info_damage_.reset();
    if (auto info = ReadClubInfo(folder_, Files())) {
      info_ = *info;
      info_exists_ = true;
    } else {
      ResetInfoForFirstSetUp();
      info_exists_ = false;
      if (Files().Exists(folder_ / kClubInfoFileName)) {
        info_damage_ = "The club information file " + (folder_ / kClubInfoFileName).string() +
                       " is damaged. Restore the club from a backup.";
      }
    }
    committed_info_ = info_;
    committed_info_exists_ = info_exists_;
    creating_ = creation_finished_ = false;
    commit_sequence_ = 0;
    staged_.clear();
    committed_files_.clear();
    PrepareStoreFiles();
    s.members.SetFileName(folder_ / "clubmem.qdb");
    s.memrecs.SetFileName(folder_ / "memrec.qdb");
    s.securities.SetFileName(folder_ / "clubstk.qdb");
    s.prices.SetFileName(folder_ / "stkprice.qdb");
    s.stkrecs.SetFileName(folder_ / "stkrec.qdb");
    s.actrecs.SetFileName(folder_ / "actrec.qdb");
    s.categories.SetFileName(folder_ / "clubcat.qdb");
    s.accounts.SetFileName(folder_ / "clubact.qdb");
    s.unitfile.SetFileName(folder_ / "clubunit.qdb");
    if (!info_exists_ && !info_damage_ && HoldsClubRecords()) {
      info_damage_ = "The club information file " + (folder_ / kClubInfoFileName).string() +
                     " is missing, though the club's stores hold its records. Restore the club from a backup.";
    }
  } catch (...) {
    for (store::TQDB* store : s.All()) {
      try {
        store->SetFileName("");
      } catch (const std::exception&) {
        // Nothing was committed; the next open removes the working files.
      }
    }
    throw;
  }
  open_ = true;

  if (categories.Count() == 0) {
    AddPredefinedCategories(categories);
    MarkFinalOperation("Predefined categories", kSetUpReason);
  }

  view_ = ReadViewState(folder_, reset, Files());

  const std::vector<std::int32_t> to_recalculate = RunPendingUpgrades();
  RecountHiddenItems();
  Commit();
  return to_recalculate;
}

namespace {

// Walks a master store backwards from its last item while the items are hidden,
// zeroing `figure` of each hidden item that still holds one; returns the count.
template <class Record>
std::int32_t RecountHidden(store::TQDB& store, double Record::*figure) {
  FilterGuard all(store, "");
  std::int32_t hidden = 0;
  bool written = false;
  for (int i = store.Count() - 1; i >= 0; --i) {
    Record record = DecodeRecord<Record>(store.GetDataAt(i));
    if (record.active) break;
    ++hidden;
    if (record.*figure != 0) {
      record.*figure = 0;
      store.Change(EncodeRecord(record));
      written = true;
    }
  }
  if (written) store.SaveIndex();
  return hidden;
}

}  // namespace

void ClubSession::RecountHiddenItems() {
  const std::int32_t members_hidden = RecountHidden(stores_.members, &TMemberRec::tunits);
  const std::int32_t securities_hidden = RecountHidden(stores_.securities, &TSecurityRec::sharest);
  const std::int32_t accounts_hidden = RecountHidden(stores_.accounts, &TAccountRec::bal);
  const bool changed = members_hidden != info_.hidmems || securities_hidden != info_.hidstks ||
                       accounts_hidden != info_.hidacts;
  info_.hidmems = members_hidden;
  info_.hidstks = securities_hidden;
  info_.hidacts = accounts_hidden;
  if (changed && info_exists_) WriteClubInfo();
}

void ClubSession::RequireUsable() const {
  if (unusable_) {
    throw ClubNeedsReopen("A club file could not be closed for a copy; nothing more can be stored until the club "
                          "is opened again, which recovers its last changes.");
  }
}

void ClubSession::Commit() {
  if (!open_) return;
  const std::array<store::TQDB*, 9> all = stores_.All();
  const bool changed = info_dirty_ || !staged_.empty() || !next_final_.empty() ||
                       std::any_of(all.begin(), all.end(), [](store::TQDB* store) { return store->ChangedSinceCommit(); });
  if (!changed) {
    // A refused operation changed nothing: its name must not go to the next one.
    next_kind_ = JournalKind::kOperation;
    next_label_.clear();
    return;
  }
  RequireUsable();
  std::optional<JournalEntry> entry;
  if (journal_kept_) {
    JournalEntry collected = CollectJournalEntry();
    if (!collected.Empty() || !collected.final_reason.empty()) entry = std::move(collected);
  }
  if (info_dirty_) staged_[kClubInfoFileName] = info_exists_ ? std::optional(EncodeRecord(info_)) : std::nullopt;
  ClubCommitRecord record;
  record.sequence = ++commit_sequence_;
  std::uint64_t journal_length = journal_length_;
  const std::size_t pending_length = journal_pending_.size();
  // The pending entries are moved into the record when it carries them (it
  // names the working file's committed length then), and back after its write.
  auto take_back_pending = [&] {
    if (record.journal && record.journal->length == journal_length_) {
      journal_pending_ = std::move(record.journal->pending);
    }
  };
  try {
    for (std::size_t i = 0; i < all.size(); ++i) {
      if (!all[i]->ChangedSinceCommit() && !all[i]->CommittedSinceOpen()) continue;
      const store::CommitPoint point = all[i]->PrepareCommit();
      record.stores.push_back({kClubStoreFiles[i], point.data.filename().string(), point.index.filename().string(),
                               point.data_length, point.index_length});
    }
    record.files = WriteStagedFiles();
    if (entry) {
      record.journal = AppendJournalEntry(*entry, &journal_length);
    } else if (journal_length_ > 0 || !journal_pending_.empty()) {
      record.journal = PendingJournal();
    }
    if (!commit_slots_) commit_slots_ = std::make_unique<CommitSlots>(Files(), WorkingFolder());
    commit_slots_->Write(record);
  } catch (...) {
    // The pending entries as the last whole record carries them.
    take_back_pending();
    journal_pending_.resize(pending_length);
    // The slot of this commit may hold part of its record: the next commit
    // writes there again, never over the slot of the last whole record.
    --commit_sequence_;
    for (store::TQDB* store : all) store->AbandonCommit();
    for (const FileCommit& file : record.files) {
      if (file.staged.starts_with(fmt::format("staged.{}.", record.sequence))) {
        try {
          Files().Remove(WorkingFolder() / file.staged);
        } catch (const store::FileLayerError&) {
          // No whole record names it; the next open removes it.
        }
      }
    }
    throw;
  }
  // The commit is whole from here on: nothing below may report it as failed.
  for (store::TQDB* store : all) store->FinishCommit();
  take_back_pending();
  // Written to the working file by this commit.
  if (journal_length != journal_length_) journal_pending_.clear();
  journal_length_ = journal_length;
  if (entry) {
    KeepInJournal(std::move(*entry));
  }
  next_kind_ = JournalKind::kOperation;
  next_target_ = 0;
  next_label_.clear();
  next_final_.clear();
  for (const FileCommit& replaced : committed_files_) {
    // A file staged again: its older bytes are named by no record that counts now.
    if (staged_.contains(replaced.target) && !replaced.staged.empty()) {
      try {
        Files().Remove(WorkingFolder() / replaced.staged);
      } catch (const store::FileLayerError&) {
        // The next open removes it.
      }
    }
  }
  committed_files_ = record.files;
  staged_.clear();
  info_dirty_ = false;
  committed_info_ = info_;
  committed_info_exists_ = info_exists_;
  // Readers of the club's files see the commit at once.
  if (const std::string failure = PlaceCommittedFiles(); !failure.empty()) {
    ui_.ShowError("The changes were saved, but a file could not be put in place (" + failure +
                  "); the club's close or its next open puts it there.");
  }
  try {
    if (creating_ && creation_finished_) {
      creating_ = false;
      Files().Remove(WorkingFolder() / kCreatingMarkerName);
    }
  } catch (const store::FileLayerError&) {
    // The set-up is committed; the next clean close removes the marker.
  }
}

std::vector<FileCommit> ClubSession::WriteStagedFiles() {
  std::vector<FileCommit> named;
  for (const FileCommit& file : committed_files_) {
    if (!staged_.contains(file.target)) named.push_back(file);
  }
  std::size_t n = 0;
  const bool one_flush = staged_.size() > store::kFilesFlushedOneByOne;
  for (const auto& [target, staged] : staged_) {
    if (!staged) {
      named.push_back(FileCommit{target, "", 0, 0});
      continue;
    }
    const std::string& bytes = *staged;
    FileCommit file{target, fmt::format("staged.{}.{}", commit_sequence_, n++), bytes.size(), CommitChecksum(bytes)};
    named.push_back(file);
    store::OpenFile out(Files(), WorkingFolder() / file.staged, store::OpenMode::kCreate);
    Files().WriteAt(out.Handle(), 0, bytes);
    // On disk before its rename can be.
    if (!one_flush) Files().Flush(out.Handle());
  }
  if (one_flush) Files().FlushFileSystem(WorkingFolder());
  return named;
}

std::string ClubSession::PlaceCommittedFiles() {
  std::string failure;
  committed_files_ = PlaceStagedFiles(Files(), folder_, WorkingFolder(), committed_files_, &failure);
  return failure;
}

void ClubSession::RemoveCommitSlots() { pellmark::RemoveCommitSlots(Files(), WorkingFolder(), commit_sequence_); }

void ClubSession::StageFile(const std::filesystem::path& file, std::string bytes) {
  if ((file.parent_path() / "").lexically_normal() != (folder_ / "").lexically_normal()) {
    throw std::invalid_argument("a staged file lies outside the club folder: " + file.string());
  }
  staged_[file.filename().string()] = std::move(bytes);
}

void ClubSession::StageRemoval(const std::filesystem::path& file) {
  if ((file.parent_path() / "").lexically_normal() != (folder_ / "").lexically_normal()) {
    throw std::invalid_argument("a removed file lies outside the club folder: " + file.string());
  }
  staged_[file.filename().string()] = std::nullopt;
}

void ClubSession::Abandon() {
  if (!open_) return;
  for (store::TQDB* store : stores_.All()) {
    if (!store->FileName().empty()) store->RevertToCommit();
  }
  info_ = committed_info_;
  info_exists_ = committed_info_exists_;
  info_dirty_ = false;
  staged_.clear();
  next_kind_ = JournalKind::kOperation;
  next_target_ = 0;
  next_label_.clear();
  next_final_.clear();
}

void ClubSession::CloseStores() {
  if (!open_) {
    lock_.reset();
    return;
  }
  // A failure that drops changes not yet committed fails the close; one after
  // the last commit is whole only leaves its tidying to the next open.
  std::exception_ptr failure;
  std::string unfinished;
  const std::array<store::TQDB*, 9> all = stores_.All();
  const bool uncommitted = info_dirty_ || !staged_.empty() || std::any_of(all.begin(), all.end(), [](store::TQDB* store) {
                             return !store->FileName().empty() && store->ChangedSinceCommit();
                           });
  try {
    // A commit never writes over bytes the last one points at, so replaced
    // records pile up in the data files; a store holding many of them is packed
    // before it is joined.
    for (store::TQDB* store : all) {
      // A store left closed by a failed copy has nothing to pack.
      if (store->FileName().empty()) continue;
      const std::uint64_t unused = store->ReadOnly() ? 0 : store->UnusedBytes();
      if (unused > kPackThreshold) store->Pack();
    }
    // An unusable session was refused every commit since; the open recovers the last one.
    if (unusable_) {
      Abandon();
    } else {
      Commit();
    }
  } catch (const std::exception& error) {
    if (uncommitted) {
      failure = std::current_exception();
    } else {
      unfinished = error.what();
    }
    try {
      Abandon();
    } catch (const std::exception&) {
      // The stores close on their last commit whatever their state in memory.
    }
  }
  open_ = false;
  commit_slots_.reset();
  bool joined = true;
  Stores& s = stores_;
  for (store::TQDB* store : {&s.accounts, &s.securities, &s.members, &s.actrecs, &s.memrecs, &s.stkrecs, &s.unitfile,
                             &s.categories, &s.prices}) {
    try {
      store->SetFileName("");
    } catch (const std::exception& error) {
      joined = false;
      if (unfinished.empty()) unfinished = error.what();
    }
  }
  // A store not joined, or a file not put in place, keeps the commit record
  // and the working files for the next open.
  if (joined && !unusable_) {
    try {
      if (const std::string not_placed = PlaceCommittedFiles(); !not_placed.empty()) {
        if (unfinished.empty()) unfinished = not_placed;
      } else {
        JoinJournalIntoFolder();
        RemoveCommitSlots();
        // A club closed cleanly is no longer being created, whether it was set up or not.
        RemoveStrayFiles(Files(), folder_, WorkingFolder(), {kLockFileName});
        creating_ = false;
      }
    } catch (const std::exception& error) {
      if (unfinished.empty()) unfinished = error.what();
    }
  }
  committed_files_.clear();
  journal_file_.reset();
  journal_length_ = 0;
  journal_pending_.clear();
  lock_.reset();
  if (failure) std::rethrow_exception(failure);
  if (!unfinished.empty()) {
    ui_.ShowError("The changes are saved, but the club could not be closed cleanly (" + unfinished +
                  "); its next open finishes the work.");
  }
}

std::uint64_t ClubSession::WriteCommittedStore(std::size_t store, store::FileHandle out) {
  return stores_.All().at(store)->WriteCommittedContainer(out);
}

std::string ClubSession::CommittedClubInfo() {
  // The file lags behind a commit whose staged club information is not in place yet.
  const bool pending = std::any_of(committed_files_.begin(), committed_files_.end(),
                                   [](const FileCommit& file) { return file.target == kClubInfoFileName; });
  if (pending) return EncodeRecord(committed_info_);
  return store::ReadWholeFile(Files(), folder_ / kClubInfoFileName);
}

void ClubSession::CloseStoresForReplacement() {
  Commit();
  for (store::TQDB* store : stores_.All()) {
    try {
      store->SetFileName("");
    } catch (...) {
      unusable_ = true;
      throw;
    }
  }
  // The club folder alone now holds the last commit.
  if (const std::string failure = PlaceCommittedFiles(); !failure.empty()) {
    unusable_ = true;
    throw std::runtime_error(failure);
  }
  try {
    JoinJournalIntoFolder();
  } catch (...) {
    unusable_ = true;
    throw;
  }
  RemoveCommitSlots();
  Files().FlushFolder(WorkingFolder());
  open_ = false;
}

namespace {

// The time of day as a kept folder's name has it: 20261207-153012.
std::string KeptStamp() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

}  // namespace

ClubSession::Replaced ClubSession::ReplaceClubFiles(const std::vector<FileReplacement>& plan, bool reset) {
  RequireUsable();
  // The journal holds no images of files replaced whole: an entry no undo
  // passes goes in with the last commit before them, so that a replacement a
  // crash left for the next open to finish finds it there too.
  MarkFinalOperation(next_label_.empty() ? "Club files replaced" : next_label_, kReplacedFilesReason);
  CloseStoresForReplacement();
  Replaced replaced;
  store::FileLayer& files = Files();
  const TViewState view = view_;
  try {
    replaced.kept = StageReplacement(files, WorkingFolder(), plan, KeptStamp());
  } catch (...) {
    try {
      OpenStores(false);
      view_ = view;
    } catch (const std::exception&) {
      unusable_ = true;
    }
    throw;
  }
  try {
    // A club being created is created once its files are replaced: the
    // marker must not make the next open remove them.
    if (files.Exists(WorkingFolder() / kCreatingMarkerName)) files.Remove(WorkingFolder() / kCreatingMarkerName);
    ApplyReplacementJournal(files, folder_, WorkingFolder());
  } catch (const std::exception& error) {
    // The journal stands, so the replacement does: the next open finishes it.
    unusable_ = true;
    replaced.reopen_failure = error.what();
    return replaced;
  }
  try {
    replaced.to_recalculate = OpenStores(reset);
  } catch (const std::exception& error) {
    // The club's files are replaced and stay so; only this session cannot go on with them.
    unusable_ = true;
    if (open_) {
      try {
        Abandon();
      } catch (const std::exception&) {
        // The stores close on their last commit.
      }
      open_ = false;
      for (store::TQDB* store : stores_.All()) {
        try {
          store->SetFileName("");
        } catch (const std::exception&) {
          // The commit record stays for the next open.
        }
      }
    }
    replaced.reopen_failure = error.what();
    return replaced;
  }
  // The lists keep their state; a reset starts them afresh.
  if (!reset) view_ = view;
  return replaced;
}

void ClubSession::Close() {
  CloseStores();
  try {
    WriteViewState(folder_, view_, Files());
  } catch (const store::FileLayerError& error) {
    // The books are closed whole; only how the lists were left is lost.
    ui_.ShowError(std::string("The view settings could not be saved (") + error.what() + ").");
  }
}

void ClubSession::SetFileLayer(store::FileLayer* files) {
  files_ = files;
  for (store::TQDB* store : stores_.All()) store->SetFileLayer(files);
}

std::vector<std::int32_t> ClubSession::RunPendingUpgrades() {
  Stores& s = stores_;
  std::vector<std::int32_t> to_recalculate;
  if (info_exists_ && info_.cnthndl == 255) {
    to_recalculate = UpgradeMemberRecords(s.members, s.memrecs);
    info_.cnthndl = 0;
    WriteClubInfo();
  }
  if (info_exists_ && info_.unitkey == -1) {
    UpdateDataFormats(ui_, info_, s.unitfile, s.memrecs, s.prices, s.securities, s.members);
    WriteClubInfo();
  }
  return to_recalculate;
}

void ClubSession::TakeClubInfo(const TClubInfoRec& info) {
  info_ = info;
  info_exists_ = true;
  info_damage_.reset();
  creation_finished_ = true;
  WriteClubInfo();
}

void ClubSession::WriteClubInfo() {
  if (open_) {
    info_dirty_ = true;
  } else {
    pellmark::WriteClubInfo(folder_, info_, Files());
  }
}

void ClubSession::SetSortSecurities(bool sort) {
  info_.sort = sort;
  WriteClubInfo();
  Commit();
}

Outcome ClubSession::SetUpClub(const ClubSetup& setup) {
  // A new set-up would take over the records of the club whose information was lost.
  if (info_damage_) return Refuse(ui_, *info_damage_);
  const std::optional<double>& start_unit = setup.start_unit;
  info_.year = setup.year;
  if (start_unit) {
    info_.vunit = *start_unit;
    TUnitValueRec unit;
    unit.unitval = info_.vunit;
    unit.date = DayNumberFromCivil({info_.year, 1, 1});
    unit.upd = false;
    unit.unitid = AllocateTranId(info_.unitind);
    unitfile.Put(unit);
    info_.unitkey = unit.unitid;
    info_.date = unit.date;
    info_.updcnt = 0;
  }
  info_.club = Cut(setup.club, 25);
  info_.addr = Cut(setup.addr, 60);
  info_.idnum = Cut(setup.idnum, 11);
  info_.host = Cut(setup.host, 30);
  info_.retadr = Cut(setup.retadr, 30);
  info_.proxy = Cut(setup.proxy, 30);
  info_.user = Cut(setup.user, 15);
  info_.passwd = Cut(setup.passwd, 15);
  info_.contyp = setup.contyp;
  info_.dialup = Cut(setup.dialup, 30);
  info_.cnthndl = setup.cnthndl;
  info_.usepxy = setup.usepxy;
  info_.pxycsh = setup.pxycsh;
  info_.usepas = setup.usepas;
  info_exists_ = true;

  creation_finished_ = true;
  if (start_unit) {
    MarkFinalOperation("Club Information added", kSetUpReason);
  } else {
    NameOperation("Club Information updated");
  }
  if (accounts.Count() == 0) {
    CreateFirstAccount();
    ui_.PlayConfirmationSound();
    ui_.ShowInformation("Club Information added.");
    info_.sort = true;
  } else {
    ui_.PlayConfirmationSound();
    ui_.ShowInformation("Club Information updated.");
  }
  WriteClubInfo();
  Commit();
  return Outcome::Done();
}

void ClubSession::CreateFirstAccount() {
  TAccountRec cash;
  cash.name = "Cash";
  cash.number = "Account Number";
  cash.lstchk = -1;
  cash.lstdate = Today();
  cash.trancount = 0;
  cash.actid = NextRecordId(accounts, &TAccountRec::actid);
  cash.active = true;
  cash.SetExcludedFromValuation(false);
  accounts.Put(cash);
  info_.defact = cash.actid;
  info_.defstkact = cash.actid;
}

// --- the journal, undo and redo ------------------------------------------------

void ClubSession::SetJournalKept(bool kept) {
  journal_kept_ = kept;
  for (store::TQDB* store : stores_.All()) store->SetTracksChanges(kept);
}

void ClubSession::NameOperation(std::string label) { next_label_ = std::move(label); }

void ClubSession::MarkFinalOperation(std::string label, std::string reason) {
  next_label_ = std::move(label);
  next_final_ = std::move(reason);
}

void ClubSession::ReadJournal() {
  journal_.clear();
  journal_dropped_ = 0;
  // Room for the entries kept and as many dropped: the vector never grows during a session.
  journal_.reserve(2 * kJournalCapacity);
  journal_damaged_at_.reset();
  journal_length_ = 0;
  journal_pending_.clear();
  journal_file_.reset();
  const std::filesystem::path file = folder_ / kJournalFileName;
  const std::optional<std::string> bytes = store::TryReadWholeFile(Files(), file);
  if (!bytes) {
    // A journal that cannot be read is one the club does without.
    if (Files().Exists(file)) journal_damaged_at_ = 0;
    MarkJournalDamage();
    return;
  }
  JournalRead read = DecodeJournal(*bytes);
  const std::size_t first = read.entries.size() > kJournalCapacity ? read.entries.size() - kJournalCapacity : 0;
  std::move(read.entries.begin() + static_cast<std::ptrdiff_t>(first), read.entries.end(), std::back_inserter(journal_));
  journal_damaged_at_ = read.damaged_at;
  MarkJournalDamage();
}

void ClubSession::KeepInJournal(JournalEntry entry) {
  journal_.push_back(std::move(entry));
  if (journal_.size() - journal_dropped_ > kJournalCapacity) ++journal_dropped_;
  // The entries dropped go at once every kJournalCapacity commits, not one by
  // one: each erase moves every entry kept.
  if (journal_dropped_ >= kJournalCapacity) {
    journal_.erase(journal_.begin(), journal_.begin() + static_cast<std::ptrdiff_t>(journal_dropped_));
    journal_dropped_ = 0;
  }
}

void ClubSession::MarkJournalDamage() {
  // Entries after the damage are lost: an entry no undo passes stands in their
  // place, written by the open's commit, so that no older operation is undone
  // under changes the journal no longer knows.
  if (journal_damaged_at_) {
    MarkFinalOperation("Journal damaged: entries lost",
                       "entries of the journal were lost to damage; what they changed cannot be undone.");
  }
}

std::optional<std::string> ClubSession::CommittedFile(const std::string& name) {
  // A committed file not yet in place is still in the working folder.
  for (auto file = committed_files_.rbegin(); file != committed_files_.rend(); ++file) {
    if (file->target != name) continue;
    if (file->staged.empty()) return std::nullopt;
    if (Files().Exists(WorkingFolder() / file->staged)) return store::TryReadWholeFile(Files(), WorkingFolder() / file->staged);
    break;
  }
  return store::TryReadWholeFile(Files(), folder_ / name);
}

JournalEntry ClubSession::CollectJournalEntry() {
  JournalEntry entry;
  entry.id = journal_.empty() ? 1 : journal_.back().id + 1;
  entry.time = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
  entry.kind = next_kind_;
  entry.target = next_target_;
  entry.final_reason = next_final_;
  const std::array<store::TQDB*, 9> all = stores_.All();
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (!all[i]->ChangedSinceCommit()) continue;
    for (store::ItemChange& change : all[i]->ChangesSinceCommit()) {
      entry.items.push_back({static_cast<std::uint8_t>(i), std::move(change.before), std::move(change.after)});
    }
  }
  if (info_dirty_) {
    std::optional<std::string> before = committed_info_exists_ ? std::optional(EncodeRecord(committed_info_)) : std::nullopt;
    std::optional<std::string> after = info_exists_ ? std::optional(EncodeRecord(info_)) : std::nullopt;
    if (before != after) {
      entry.info_before = std::move(before);
      entry.info_after = std::move(after);
    }
    // The open year moves only with a year close (or the set-up of the track
    // year): undo never reaches back across it.
    if (committed_info_exists_ && info_exists_ && committed_info_.year != info_.year && entry.final_reason.empty()) {
      entry.final_reason = kYearCloseReason;
    }
  }
  for (const auto& [name, bytes] : staged_) {
    if (name == kClubInfoFileName) continue;
    std::optional<std::string> before = CommittedFile(name);
    if (before != bytes) entry.files.push_back({name, std::move(before), bytes});
  }
  entry.label = next_label_.empty() ? DescribeOperation(entry) : next_label_;
  return entry;
}

JournalCommit ClubSession::AppendJournalEntry(const JournalEntry& entry, std::uint64_t* length) {
  EncodeJournalEntryInto(journal_pending_, entry);
  *length = journal_length_;
  // A few entries ride in the commit record, so that most commits write one
  // file, not two; more would make every record's write longer.
  if (journal_pending_.size() < kJournalPendingLimit) return PendingJournal();
  if (!journal_file_) {
    journal_file_ = std::make_unique<store::OpenFile>(Files(), WorkingFolder() / kJournalWorkingName,
                                                      store::OpenMode::kCreate);
  }
  // Bytes past the committed length belong to no whole record: written over.
  Files().WriteAt(journal_file_->Handle(), journal_length_, journal_pending_);
  *length = journal_length_ + journal_pending_.size();
  return JournalCommit{kJournalWorkingName, *length, {}};
}

void ClubSession::JoinJournalIntoFolder() {
  if (journal_length_ == 0 && journal_pending_.empty()) return;
  journal_file_.reset();
  JoinJournal(Files(), folder_, WorkingFolder() / kJournalWorkingName, journal_length_, journal_pending_);
  journal_length_ = 0;
  journal_pending_.clear();
}

const JournalEntry* ClubSession::EntryById(std::uint64_t id) const {
  const std::span<const JournalEntry> journal = Journal();
  const auto found = std::lower_bound(journal.begin(), journal.end(), id,
                                      [](const JournalEntry& entry, std::uint64_t wanted) { return entry.id < wanted; });
  return found != journal.end() && found->id == id ? &*found : nullptr;
}

const JournalEntry* ClubSession::UndoCandidate() const {
  const JournalPosition position = PositionOf(Journal());
  return position.done.empty() ? nullptr : EntryById(position.done.back());
}

const JournalEntry* ClubSession::RedoCandidate() const {
  const JournalPosition position = PositionOf(Journal());
  return position.undone.empty() ? nullptr : EntryById(position.undone.back());
}

std::string ClubSession::DifferenceFromAfter(const JournalEntry& entry) {
  const std::array<store::TQDB*, 9> all = stores_.All();
  for (const StoreItemChange& item : entry.items) {
    store::TQDB& store = *all.at(item.store);
    const std::string& key = item.after ? item.after->key : item.before->key;
    std::optional<store::StoredItem> now;
    if (store.FindKey(key)) now = store::StoredItem{store.Key(), store.GetDataString()};
    if (now != item.after) return fmt::format("the item \"{}\" of {}", key, kClubStoreFiles[item.store]);
  }
  if (entry.info_before || entry.info_after) {
    const std::optional<std::string> now = info_exists_ ? std::optional(EncodeRecord(info_)) : std::nullopt;
    if (now != entry.info_after) return "the club information";
  }
  for (const FileChange& file : entry.files) {
    if (CommittedFile(file.name) != file.after) return "the file " + file.name;
  }
  return {};
}

void ClubSession::WriteBackBefore(const JournalEntry& entry) {
  const std::array<store::TQDB*, 9> all = stores_.All();
  for (const StoreItemChange& item : entry.items) {
    store::TQDB& store = *all.at(item.store);
    const std::string& key = item.after ? item.after->key : item.before->key;
    const bool held = store.FindKey(key);
    if (item.before && held && store.Key() == item.before->key) {
      store.Change(item.before->data);
      continue;
    }
    if (held) store.Delete();
    if (item.before) store.Add(item.before->data, item.before->key);
  }
  if (entry.info_before) {
    info_ = DecodeRecord<TClubInfoRec>(*entry.info_before);
    info_exists_ = true;
    info_dirty_ = true;
  } else if (entry.info_after) {
    ResetInfoForFirstSetUp();
    info_exists_ = false;
    info_dirty_ = true;
  }
  for (const FileChange& file : entry.files) {
    if (file.before) {
      StageFile(folder_ / file.name, *file.before);
    } else {
      StageRemoval(folder_ / file.name);
    }
  }
}

Outcome ClubSession::WriteBack(const JournalEntry* entry, JournalKind kind, const char* nothing) {
  if (entry == nullptr) return Refuse(ui_, nothing);
  const std::string label = OperationLabel(entry->label);
  const char* verb = kind == JournalKind::kUndo ? "undo" : "redo";
  if (kind == JournalKind::kUndo && !entry->final_reason.empty()) {
    return Refuse(ui_, fmt::format("Cannot undo \"{}\": {}", label, entry->final_reason));
  }
  if (const std::string difference = DifferenceFromAfter(*entry); !difference.empty()) {
    return Refuse(ui_, fmt::format("Cannot {} \"{}\": {} has changed since.", verb, label, difference));
  }
  WriteBackBefore(*entry);
  next_kind_ = kind;
  next_target_ = entry->id;
  next_label_ = fmt::format("{} \"{}\"", kind == JournalKind::kUndo ? "Undo" : "Redo", label);
  return Outcome::Done();
}

Outcome ClubSession::UndoNewest() { return WriteBack(UndoCandidate(), JournalKind::kUndo, "There is nothing to undo."); }

Outcome ClubSession::RedoNewest() { return WriteBack(RedoCandidate(), JournalKind::kRedo, "There is nothing to redo."); }

}  // namespace pellmark
