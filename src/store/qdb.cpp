#include "store/qdb.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <exception>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "store/container_format.h"
#include "store/data_file_reader.h"
#include "store/filter_match.h"
#include "store/index_codec.h"
#include "store/index_list.h"
#include "store/item_cache.h"
#include "store/key_order.h"
#include "store/open_marker.h"
#include "store/progress_step.h"
#include "store/whole_files.h"

namespace pellmark::store {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kPackBuffer = 524288;
constexpr int kReadAhead = 8;  // items

fs::path FolderOf(const fs::path& name) { return name.has_parent_path() ? name.parent_path() : fs::path("."); }

void RemoveQuietly(FileLayer& files, const fs::path& name) {
  try {
    files.Remove(name);
  } catch (const FileLayerError&) {
    // A leftover file is harmless; the store's state is already settled.
  }
}

}  // namespace

// Everything behind TQDB's public members. The callbacks stay on TQDB, where
// its users set them; they are called with the owner.
class TQDB::Impl {
 public:
  explicit Impl(TQDB& owner) : owner_(owner) {}

  void SetFileName(const fs::path& name);
  void Close();

  bool FindKey(std::string_view key);
  void Add(std::string_view data, std::string_view key);
  std::uint64_t Append(std::string_view bytes);
  void Change(std::string_view data);
  void StoreAll(std::span<const StoredItem> items);
  void Delete();
  void Pack();
  void SaveIndex();

  std::string CurrentData();
  std::string GetKeyAt(int index);
  void GetKeys(std::vector<std::string>& keys);
  void ForEachItem(std::string_view pattern, const ItemVisit& visit);
  void ForEachItemBackward(std::string_view pattern, const ItemVisitUntil& visit);
  int FilteredCount();

  void First();
  void Next();
  void Prev();
  void Last();
  void GotoIndex(int index);

  int Count() const { return ordinary_.Count(); }
  bool Filtered() const { return !filter_.empty(); }
  bool ReadOnly() const { return read_only_ || file_read_only_; }

 private:
  friend class TQDB;

  FileLayer& Files() const { return files_ != nullptr ? *files_ : DefaultFileLayer(); }
  std::string Name() const { return file_name_.string(); }
  template <class Action>
  decltype(auto) Guarded(Action&& action);

  void Open();
  void RecoverLeftovers();
  void LoadIndex(SectionBytes bytes);
  void ResetState();
  // Replaces target.index with the index through a rename: for working files
  // that no marker names yet.
  void WriteIndexFile(const WorkingFiles& target, ProgressKind kind);
  // Writes the index into a new working file and points the marker at it,
  // then removes the old index working file.
  void SwitchIndexFile(ProgressKind kind);
  void EncodeIndexInto(const fs::path& file, ProgressKind kind);
  // Writes the index from the start of an open file; returns its length.
  std::uint64_t EncodeIndexInto(FileHandle handle, ProgressKind kind);
  // The open handle of one of an owner-committed store's index files.
  FileHandle IndexHandle(const fs::path& file);
  void CloseIndexHandles();
  // The progress a write of the index would report, for an index file that need not be written.
  void ReportUnchangedIndex(ProgressKind kind);
  void JoinIntoStoreFile();
  void CloseCommitted();
  CommitPoint PrepareCommit();
  void FinishCommit();
  void AbandonCommit();
  void RevertToCommit();
  std::uint64_t WriteCommittedContainer(FileHandle out);
  bool ChangedSinceCommit() const { return modified_ || working_.data != committed_.data; }
  // Notes what the item of `key` was at the last commit, the first time it
  // changes since; the caller notes in what it returns (nullptr when changes
  // are not tracked) what the item is once the change is made.
  ItemChange* Touch(std::string_view key, const IndexEntry* entry);
  std::vector<ItemChange> ChangesSinceCommit();
  std::string ReadItem(const IndexEntry& entry);
  // Reads the entry's bytes into `data`, whose memory is reused.
  void ReadItemInto(const IndexEntry& entry, std::string& data);

  void RequireFile() const;
  bool NoData();
  bool RefuseReadOnly();
  void OutOfBounds();
  void Report(int done, int total, ProgressKind kind);
  void ReportEnd(ProgressKind kind);

  void MoveTo(int position);
  std::optional<FilterPattern> Pattern() const;
  // The first position from `from` on (step +1) or back (step -1) that passes the filter, or -1.
  int Passing(int from, int step) const;
  void ForEachPassing(const std::function<void(const IndexEntry&)>& visit);

  TQDB& owner_;
  FileLayer* files_ = nullptr;
  fs::path file_name_;
  fs::path temp_folder_;
  fs::path marker_;
  bool marker_written_ = false;
  WorkingFiles working_;
  FileHandle data_handle_ = -1;
  std::unique_ptr<DataFileReader> reader_;  // over data_handle_ while it is open
  // The index working file holds what WriteIndexFile would write as of when
  // Modified() was last false (an index loaded out of order or with stray
  // bytes does not).
  bool index_file_current_ = false;
  std::optional<FileTime> file_time_;

  IndexList ordinary_;
  IndexList administrative_;
  ItemCache cache_{kDefaultCacheSize};

  int item_index_ = 0;
  std::string key_;
  std::string filter_;
  bool bof_ = false;
  bool eof_ = false;
  bool modified_ = false;
  bool active_ = false;
  bool navigation_suspended_ = false;

  bool aggressive_update_ = false;
  bool read_only_ = false;
  bool file_read_only_ = false;
  bool save_on_close_ = true;
  bool expanded_file_names_ = true;

  // Owner-committed stores: what the last commit names, the index file the
  // next commit writes over (empty until the first commit creates it), and
  // what the commit being written will name.
  bool managed_ = false;
  WorkingFiles committed_;
  std::uint64_t committed_length_ = 0;
  std::uint64_t committed_index_length_ = 0;
  fs::path spare_index_;
  // The index files stay open between commits, so a commit opens nothing.
  struct OpenIndex {
    fs::path file;
    FileHandle handle = -1;
  };
  std::array<OpenIndex, 2> open_indexes_;
  std::optional<CommitPoint> prepared_;
  bool committed_since_open_ = false;
  // Items changed since the last commit, by key as the index compares them,
  // with what they were at the commit and what they are now (kept as they
  // are written, so that a commit reads none of them back).
  bool tracks_changes_ = false;
  std::map<std::string, ItemChange> touched_;
};

// Operating-system failures become the store's file errors, named by the store file.
template <class Action>
decltype(auto) TQDB::Impl::Guarded(Action&& action) {
  try {
    return action();
  } catch (const TempNameError& error) {
    // A full disk is said as such, not as a missing temporary file.
    if (error.ErrorNumber() == ENOSPC || error.ErrorNumber() == EDQUOT) throw FileErrorForCode(error.ErrorNumber(), Name());
    throw EQDBIndexError(QdbText(kTextNoTempFile));
  } catch (const FileLayerError& error) {
    throw FileErrorForCode(error.ErrorNumber(), Name());
  }
}

// --- opening and closing -------------------------------------------------------

void TQDB::Impl::SetFileName(const fs::path& name) {
  fs::path wanted = name;
  if (expanded_file_names_ && !wanted.empty()) wanted = fs::absolute(wanted).lexically_normal();
  if (!wanted.empty() && !wanted.has_extension()) wanted += ".QDB";
  if (wanted == file_name_ && (active_ || wanted.empty())) return;
  Close();
  file_name_ = wanted;
  if (!file_name_.empty()) {
    try {
      Open();
    } catch (...) {
      file_name_.clear();
      throw;
    }
  }
  if (owner_.OnFileAssigned) owner_.OnFileAssigned(owner_);
}

void TQDB::Impl::Open() {
  FileLayer& files = Files();
  Guarded([&] {
    if (!files.Exists(file_name_)) CreateEmpty(files, file_name_);
    file_read_only_ = !files.IsWritable(file_name_) || !files.IsWritable(FolderOf(file_name_));
    marker_ = OpenMarkerFor(file_name_);
    if (!ReadOnly()) RecoverLeftovers();
    file_time_ = files.ModificationTime(file_name_);
    SplitStore split = Split(files, file_name_, WorkingFolder(files, temp_folder_));
    working_ = split.working;
    const std::uint64_t index_length = split.index.size;
    try {
      data_handle_ = files.Open(working_.data, ReadOnly() ? OpenMode::kRead : OpenMode::kReadWrite);
      reader_ = std::make_unique<DataFileReader>(files, data_handle_);
      LoadIndex(std::move(split.index));
      if (managed_) {
        committed_ = working_;
        committed_length_ = files.Size(data_handle_);
        committed_index_length_ = index_length;
      } else if (!ReadOnly()) {
        WriteOpenMarker(files, marker_, working_);
        marker_written_ = true;
      }
    } catch (...) {
      reader_.reset();
      if (data_handle_ >= 0) files.Close(data_handle_);
      data_handle_ = -1;
      RemoveWorkingFiles(files, working_);
      ResetState();
      throw;
    }
  });
  active_ = true;
  item_index_ = 0;
  key_ = ordinary_.Empty() ? std::string() : ordinary_.At(0).key;
  bof_ = !ordinary_.Empty();
  eof_ = ordinary_.Count() == 1;
  modified_ = false;
}

void TQDB::Impl::RecoverLeftovers() {
  FileLayer& files = Files();
  if (!files.Exists(marker_)) return;
  RecoveryReport report{file_name_, marker_};
  std::optional<WorkingFiles> working;
  try {
    working = ReadOpenMarker(files, marker_);
  } catch (const FileLayerError& error) {
    report.problem = std::string("the marker cannot be read: ") + error.what();
  }
  if (working) {
    report.data_file = working->data;
    report.index_file = working->index;
    report.problem = CheckWorkingFiles(files, *working);
  } else if (report.problem.empty()) {
    report.problem = "the marker does not name working files";
  }
  if (report.problem.empty()) {
    Join(files, *working, file_name_);
    RemoveWorkingFiles(files, *working);
    RemoveQuietly(files, marker_);
    report.joined = true;
  } else if (report.problem == kBothWorkingFilesGone) {
    // Nothing is left to point at: the marker goes.
    files.Remove(marker_);
  } else {
    // The working files stay where they are; the marker moves aside so that it
    // still says where they are without standing in this session's way.
    const fs::path aside = FreeOverwriteName(files, marker_.string() + ".unrecovered");
    files.Rename(marker_, aside);
    report.marker_file = aside;
  }
  if (owner_.OnRecovery) owner_.OnRecovery(owner_, report);
}

void TQDB::Impl::LoadIndex(SectionBytes bytes) {
  FileLayer& files = Files();
  DecodedIndex decoded;
  try {
    decoded = DecodeIndex(bytes.View(), files.Size(data_handle_),
                          [this](int done, int total) { Report(done, total, ProgressKind::kLoadingIndex); });
  } catch (const InvalidIndex&) {
    throw EQDBIndexError(QdbText(kTextNotValid, Name()));
  }
  bytes = {};  // the entries hold their keys now; the section's memory goes
  ReportEnd(ProgressKind::kLoadingIndex);
  const bool administrative_sorted = administrative_.Assign(std::move(decoded.administrative));
  bool case_sensitive = false;
  if (auto [found, position] = administrative_.Find(kCaseSensitiveItem); found) {
    case_sensitive = ReadItem(administrative_.At(position)) == std::string_view("\x01", 1);
  }
  ordinary_ = IndexList(case_sensitive);
  const bool ordinary_sorted = ordinary_.Assign(std::move(decoded.ordinary));
  index_file_current_ = decoded.in_writer_form && !administrative_sorted && !ordinary_sorted;
}

void TQDB::Impl::Close() {
  if (!active_) {
    file_name_.clear();
    return;
  }
  FileLayer& files = Files();
  if (managed_) return CloseCommitted();
  std::exception_ptr failure;
  try {
    Guarded([&] {
      if (!ReadOnly() && save_on_close_) {
        // Written even though the join follows: if the join fails, the working
        // files must hold every change for the next open to join. An index
        // file that already holds these bytes is left as it is.
        if (modified_ || !index_file_current_) {
          SwitchIndexFile(ProgressKind::kClosing);
        } else {
          ReportUnchangedIndex(ProgressKind::kClosing);
        }
      }
      cache_.Clear();
      reader_.reset();
      files.Close(data_handle_);
      data_handle_ = -1;
      if (!ReadOnly()) JoinIntoStoreFile();
    });
  } catch (...) {
    failure = std::current_exception();
  }
  reader_.reset();
  if (data_handle_ >= 0) files.Close(data_handle_);
  data_handle_ = -1;
  // After a failed join the working files hold the store's changes: they stay,
  // with their marker, for the next open to join.
  if (!failure || !marker_written_) {
    if (marker_written_) RemoveQuietly(files, marker_);
    RemoveWorkingFiles(files, working_);
  }
  ResetState();
  file_name_.clear();
  if (failure) std::rethrow_exception(failure);
}

void TQDB::Impl::CloseCommitted() {
  FileLayer& files = Files();
  std::exception_ptr failure;
  try {
    Guarded([&] {
      cache_.Clear();
      reader_.reset();
      files.Close(data_handle_);
      data_handle_ = -1;
      // Changes not committed are dropped; the working files stay for the
      // owner, whose commit record may still name them.
      if (!ReadOnly() && committed_since_open_) {
        Join(files, committed_, file_name_, committed_length_, committed_index_length_);
      }
    });
  } catch (...) {
    failure = std::current_exception();
  }
  reader_.reset();
  if (data_handle_ >= 0) files.Close(data_handle_);
  data_handle_ = -1;
  ResetState();
  file_name_.clear();
  if (failure) std::rethrow_exception(failure);
}

CommitPoint TQDB::Impl::PrepareCommit() {
  RequireFile();
  if (!ChangedSinceCommit() || ReadOnly()) {
    return {committed_.data, committed_.index, committed_length_, committed_index_length_};
  }
  FileLayer& files = Files();
  Guarded([&] {
    // Creating and removing a file at every commit costs more than the index
    // write itself on a small store. The spare file is named by no whole
    // commit record, so a write cut short in it harms nothing, and the commit
    // record gives the index length, so an older index's tail may stay.
    if (spare_index_.empty()) spare_index_ = files.CreateTemp(FolderOf(working_.index), "QIX");
    const std::uint64_t index_length = EncodeIndexInto(IndexHandle(spare_index_), ProgressKind::kSavingIndex);
    prepared_ = CommitPoint{working_.data, spare_index_, files.Size(data_handle_), index_length};
  });
  ReportEnd(ProgressKind::kSavingIndex);
  return *prepared_;
}

void TQDB::Impl::FinishCommit() {
  if (!prepared_) return;
  FileLayer& files = Files();
  // The index file of the commit before is no longer named by the newest
  // record: the next commit writes over it.
  const fs::path previous_index = committed_.index;
  for (const fs::path& old : {committed_.data, working_.index}) {
    if (old != prepared_->data && old != prepared_->index && old != previous_index) RemoveQuietly(files, old);
  }
  spare_index_ = previous_index;
  committed_ = {prepared_->data, prepared_->index};
  committed_length_ = prepared_->data_length;
  committed_index_length_ = prepared_->index_length;
  working_ = committed_;
  prepared_.reset();
  modified_ = false;
  index_file_current_ = true;
  committed_since_open_ = true;
  touched_.clear();
}

void TQDB::Impl::AbandonCommit() { prepared_.reset(); }

void TQDB::Impl::RevertToCommit() {
  RequireFile();
  AbandonCommit();
  touched_.clear();
  if (!ChangedSinceCommit()) return;
  FileLayer& files = Files();
  Guarded([&] {
    if (working_.data != committed_.data) {
      // A Pack since the commit wrote new working files; the committed ones are still there.
      reader_.reset();
      files.Close(data_handle_);
      data_handle_ = -1;
      RemoveWorkingFiles(files, working_);
      working_ = committed_;
      data_handle_ = files.Open(working_.data, OpenMode::kReadWrite);
      reader_ = std::make_unique<DataFileReader>(files, data_handle_);
    }
    cache_.Clear();
    std::string bytes = ReadWholeFile(files, committed_.index);
    bytes.resize(std::min<std::uint64_t>(bytes.size(), committed_index_length_));
    SectionBytes section{std::make_unique_for_overwrite<char[]>(bytes.size()), bytes.size()};
    std::memcpy(section.bytes.get(), bytes.data(), bytes.size());
    LoadIndex(std::move(section));
  });
  modified_ = false;
  index_file_current_ = true;
  item_index_ = 0;
  key_ = ordinary_.Empty() ? std::string() : ordinary_.At(0).key;
  bof_ = !ordinary_.Empty();
  eof_ = ordinary_.Count() == 1;
}

std::uint64_t TQDB::Impl::WriteCommittedContainer(FileHandle out) {
  RequireFile();
  if (!managed_) throw std::logic_error("only a store committed by its owner has a committed container");
  FileLayer& files = Files();
  // The committed files are read through the handles the store holds open
  // where it has them: a Pack since the commit, or no commit yet, leaves one
  // to be opened.
  std::optional<OpenFile> data;
  FileHandle data_handle = data_handle_;
  if (committed_.data != working_.data) {
    data.emplace(files, committed_.data, OpenMode::kRead);
    data_handle = data->Handle();
  }
  std::optional<OpenFile> index;
  FileHandle index_handle = -1;
  for (const OpenIndex& open : open_indexes_) {
    if (open.file == committed_.index) index_handle = open.handle;
  }
  if (index_handle < 0) {
    index.emplace(files, committed_.index, OpenMode::kRead);
    index_handle = index->Handle();
  }
  return WriteContainer(files, data_handle, committed_length_, index_handle, committed_index_length_, out, file_name_);
}

void TQDB::Impl::ResetState() {
  committed_ = {};
  committed_length_ = 0;
  committed_index_length_ = 0;
  spare_index_.clear();
  CloseIndexHandles();
  prepared_.reset();
  committed_since_open_ = false;
  touched_.clear();
  ordinary_.Clear();
  administrative_.Clear();
  cache_.Clear();
  working_ = {};
  index_file_current_ = false;
  marker_written_ = false;
  file_time_.reset();
  file_read_only_ = false;
  item_index_ = 0;
  key_.clear();
  bof_ = eof_ = false;
  modified_ = false;
  active_ = false;
}

void TQDB::Impl::JoinIntoStoreFile() {
  FileLayer& files = Files();
  const std::optional<FileTime> now = files.ModificationTime(file_name_);
  if (now && file_time_ && *now != *file_time_) {
    bool ok = false;
    if (owner_.BeforeOverWrite) owner_.BeforeOverWrite(owner_, ok);
    if (!ok) file_name_ = FreeOverwriteName(files, file_name_);
  }
  Join(files, working_, file_name_);
}

FileHandle TQDB::Impl::IndexHandle(const fs::path& file) {
  for (const OpenIndex& open : open_indexes_) {
    if (open.file == file) return open.handle;
  }
  // Only the spare and the committed index file are ever asked for: a handle
  // of neither is free.
  OpenIndex& free = open_indexes_[0].file == spare_index_ || open_indexes_[0].file == committed_.index
                        ? open_indexes_[1]
                        : open_indexes_[0];
  if (free.handle >= 0) Files().Close(free.handle);
  free = {};
  free.handle = Files().Open(file, OpenMode::kReadWrite);
  free.file = file;
  return free.handle;
}

void TQDB::Impl::CloseIndexHandles() {
  for (OpenIndex& open : open_indexes_) {
    if (open.handle >= 0) Files().Close(open.handle);
    open = {};
  }
}

void TQDB::Impl::EncodeIndexInto(const fs::path& file, ProgressKind kind) {
  FileLayer& files = Files();
  const FileHandle handle = files.Open(file, OpenMode::kReadWrite);
  try {
    EncodeIndexInto(handle, kind);
  } catch (...) {
    files.Close(handle);
    throw;
  }
  files.Close(handle);
}

std::uint64_t TQDB::Impl::EncodeIndexInto(FileHandle handle, ProgressKind kind) {
  FileLayer& files = Files();
  std::uint64_t at = 0;
  IndexWriter out([&](std::string_view bytes) {
    files.WriteAt(handle, at, bytes);
    at += bytes.size();
  });
  out.Count(administrative_.Count() + ordinary_.Count());
  administrative_.ForEachDescending([&](const IndexEntry& entry) { out.Entry(entry); });
  ProgressPoints points(ordinary_.Count());
  int done = 0;
  ordinary_.ForEachDescending([&](const IndexEntry& entry) {
    if (owner_.ProgressUpdate && points.Due(done)) owner_.ProgressUpdate(owner_, points.Percent(done), kind);
    ++done;
    out.Entry(entry);
  });
  out.Finish();
  return at;
}

void TQDB::Impl::WriteIndexFile(const WorkingFiles& target, ProgressKind kind) {
  FileLayer& files = Files();
  const fs::path fresh = files.CreateTemp(FolderOf(target.index), "QDT");
  try {
    EncodeIndexInto(fresh, kind);
    ReplaceFile(files, fresh, target.index);
  } catch (...) {
    RemoveQuietly(files, fresh);
    throw;
  }
  ReportEnd(kind);
}

void TQDB::Impl::SwitchIndexFile(ProgressKind kind) {
  // Without a marker nothing names the working files for a later open.
  if (!marker_written_) return WriteIndexFile(working_, kind);
  FileLayer& files = Files();
  const WorkingFiles now{working_.data, files.CreateTemp(FolderOf(working_.index), "QIX")};
  try {
    EncodeIndexInto(now.index, kind);
  } catch (...) {
    RemoveQuietly(files, now.index);
    throw;
  }
  try {
    RepointOpenMarker(files, marker_, working_, now);
  } catch (...) {
    // A failed write may have left part of the new text behind: the marker is
    // written whole again, naming the files that still hold the saved index.
    try {
      WriteOpenMarker(files, marker_, working_);
    } catch (const FileLayerError&) {
      // The first failure is the one to report.
    }
    RemoveQuietly(files, now.index);
    throw;
  }
  // The marker names the new file from here on; the old one is no longer needed.
  RemoveQuietly(files, working_.index);
  working_ = now;
  ReportEnd(kind);
}

void TQDB::Impl::ReportUnchangedIndex(ProgressKind kind) {
  if (!owner_.ProgressUpdate) return;
  ProgressPoints points(ordinary_.Count());
  for (int done = 0; done < ordinary_.Count(); ++done) {
    if (points.Due(done)) owner_.ProgressUpdate(owner_, points.Percent(done), kind);
  }
  ReportEnd(kind);
}

// --- checks shared by the operations ------------------------------------------

void TQDB::Impl::RequireFile() const {
  if (!active_) throw EQDBNoFile(QdbText(kTextNoFile));
}

bool TQDB::Impl::NoData() {
  if (!ordinary_.Empty()) return false;
  if (!owner_.WarnNoData) throw EQDBNoData(QdbText(kTextFileEmpty, Name()));
  owner_.WarnNoData(owner_);
  return true;
}

bool TQDB::Impl::RefuseReadOnly() {
  if (!ReadOnly()) return false;
  if (!owner_.WarnReadOnly) throw EQDBReadOnly(QdbText(kTextReadOnly, Name()));
  owner_.WarnReadOnly(owner_);
  return true;
}

void TQDB::Impl::OutOfBounds() {
  if (!owner_.WarnOutOfBounds) throw EQDBOutOfBounds(QdbText(kTextOutOfBounds));
  owner_.WarnOutOfBounds(owner_);
}

void TQDB::Impl::Report(int done, int total, ProgressKind kind) {
  const int step = total / 10 + 1;
  if (owner_.ProgressUpdate && done % step == 0) owner_.ProgressUpdate(owner_, done * 10 / step, kind);
}

void TQDB::Impl::ReportEnd(ProgressKind kind) {
  if (owner_.ProgressUpdate) owner_.ProgressUpdate(owner_, 0, kind);
}

// --- changes -------------------------------------------------------------------

bool TQDB::Impl::FindKey(std::string_view key) {
  RequireFile();
  const auto [found, position] = ordinary_.Find(key);
  if (!found) return false;
  MoveTo(position);
  if (owner_.OnFound) owner_.OnFound(owner_);
  return true;
}

// Writes `bytes` at the end of the data file and returns where they start.
std::uint64_t TQDB::Impl::Append(std::string_view bytes) {
  FileLayer& files = Files();
  std::uint64_t end = 0;
  try {
    end = files.Size(data_handle_);
  } catch (const FileLayerError&) {
    throw EQDBFileError(QdbText(kTextNotValid, Name()));
  }
  if (end + bytes.size() > static_cast<std::uint64_t>(INT32_MAX)) throw EQDBFileError(QdbText(kTextCannotExtend, Name()));
  Guarded([&] { files.WriteAt(data_handle_, end, bytes); });
  return end;
}

void TQDB::Impl::Add(std::string_view data, std::string_view key) {
  RequireFile();
  if (RefuseReadOnly()) return;
  if (key.size() > kMaxKeyLength || key.find('\0') != std::string_view::npos) {
    throw EQDBIndexError(QdbText(kTextIndexFull, Name()));
  }
  const auto [found, position] = ordinary_.Find(key);
  if (found) throw EQDBIndexError(QdbText(kTextDuplicateKey));
  const std::uint64_t end = Append(data);
  if (ItemChange* touched = Touch(key, nullptr)) touched->after = StoredItem{std::string(key), std::string(data)};
  ordinary_.Insert(position, {std::string(key), static_cast<std::int32_t>(end), static_cast<std::int32_t>(data.size()), 0});
  item_index_ = position;
  key_ = key;
  cache_.Offer(key_, data);
  modified_ = true;
  bof_ = item_index_ == 0;
  eof_ = item_index_ == Count() - 1;
  if (owner_.OnAdded) owner_.OnAdded(owner_);
  if (owner_.OnNavigate && !navigation_suspended_) owner_.OnNavigate(owner_);
}

void TQDB::Impl::Change(std::string_view data) {
  RequireFile();
  if (NoData() || RefuseReadOnly()) return;
  FileLayer& files = Files();
  IndexEntry& entry = ordinary_.At(item_index_);
  ItemChange* touched = Touch(entry.key, &entry);
  cache_.Remove(entry.key);
  std::uint64_t at = static_cast<std::uint64_t>(entry.offset);
  // The last commit may still point at the old bytes: they are not written over.
  const bool committed_bytes = managed_ && working_.data == committed_.data && at < committed_length_;
  if (data.size() > static_cast<std::size_t>(entry.size) || committed_bytes) {
    try {
      at = files.Size(data_handle_);
    } catch (const FileLayerError&) {
      throw EQDBFileError(QdbText(kTextCannotExtend, Name()));
    }
    if (at + data.size() > static_cast<std::uint64_t>(INT32_MAX)) {
      throw EQDBFileError(QdbText(kTextCannotExtend, Name()));
    }
  }
  Guarded([&] { files.WriteAt(data_handle_, at, data); });
  entry.offset = static_cast<std::int32_t>(at);
  entry.size = static_cast<std::int32_t>(data.size());
  if (touched != nullptr) touched->after = StoredItem{std::string(entry.key), std::string(data)};
  cache_.Offer(entry.key, data);
  modified_ = true;
  if (owner_.OnChanged) owner_.OnChanged(owner_);
}

void TQDB::Store(std::string_view key, std::string_view data) {
  if (FindKey(key)) {
    Change(data);
  } else {
    Add(data, key);
  }
}

void TQDB::Impl::StoreAll(std::span<const StoredItem> items) {
  RequireFile();
  if (items.empty() || RefuseReadOnly()) return;
  std::string bytes;
  for (const StoredItem& item : items) {
    if (item.key.size() > kMaxKeyLength || item.key.find('\0') != std::string::npos) {
      throw EQDBIndexError(QdbText(kTextIndexFull, Name()));
    }
    bytes += item.data;
  }
  const std::uint64_t end = Append(bytes);
  // Every item is appended, also one that replaces an item: a commit never
  // writes over bytes the last one points at, and Pack reclaims the rest.
  std::vector<IndexEntry> added;
  std::vector<bool> held(items.size());
  std::uint64_t at = end;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const StoredItem& item = items[i];
    const auto offset = static_cast<std::int32_t>(at);
    const auto size = static_cast<std::int32_t>(item.data.size());
    at += item.data.size();
    const auto [found, position] = ordinary_.Find(item.key);
    held[i] = found;
    if (!found) {
      if (ItemChange* touched = Touch(item.key, nullptr)) touched->after = item;
      added.push_back({item.key, offset, size, 0});
      continue;
    }
    IndexEntry& entry = ordinary_.At(position);
    if (ItemChange* touched = Touch(entry.key, &entry)) touched->after = StoredItem{std::string(entry.key), item.data};
    cache_.Remove(entry.key);
    entry.offset = offset;
    entry.size = size;
  }
  ordinary_.InsertAll(std::move(added));
  modified_ = true;
  const bool notify = owner_.OnAdded || owner_.OnChanged || (owner_.OnNavigate && !navigation_suspended_);
  for (std::size_t i = 0; notify && i < items.size(); ++i) {
    // Each item in turn, as the batch left it: changed when the store held its key before.
    MoveTo(ordinary_.Find(items[i].key).position);
    if (held[i] && owner_.OnChanged) owner_.OnChanged(owner_);
    if (!held[i] && owner_.OnAdded) owner_.OnAdded(owner_);
  }
  MoveTo(ordinary_.Find(items.back().key).position);
}

void TQDB::StoreAll(std::span<const StoredItem> items) { impl_->StoreAll(items); }

void TQDB::ChangeAt(int index, std::string_view data) {
  GotoIndex(index);
  Change(data);
}

void TQDB::DeleteCurrent() {
  if (BeforeDelete) BeforeDelete(*this);
  Delete();
  if (AfterDelete) AfterDelete(*this);
}

void TQDB::Impl::Delete() {
  RequireFile();
  if (RefuseReadOnly() || NoData()) return;
  const int position = item_index_;
  if (ItemChange* touched = Touch(ordinary_.At(position).key, &ordinary_.At(position))) touched->after.reset();
  cache_.Remove(ordinary_.At(position).key);
  ordinary_.Erase(position);
  modified_ = true;
  if (position > 0) {
    GotoIndex(position - 1);
  } else {
    item_index_ = 0;
    key_.clear();
    bof_ = !ordinary_.Empty();
    eof_ = ordinary_.Count() == 1;
  }
  if (owner_.OnDeleted) owner_.OnDeleted(owner_);
}

void TQDB::Impl::Pack() {
  RequireFile();
  if (RefuseReadOnly()) return;
  FileLayer& files = Files();
  const int held = item_index_;
  Guarded([&] {
    // The packed data and its index are written under new names; the marker
    // switches to them at once, so a crash at any point leaves a matching pair.
    const WorkingFiles packed = CreateWorkingFiles(files, FolderOf(working_.data));
    std::vector<std::int32_t> old_offsets;
    FileHandle handle = -1;
    try {
      handle = files.Open(packed.data, OpenMode::kReadWrite);
      std::string buffer;
      std::uint64_t written = 0;
      std::int32_t next = 0;
      const int total = administrative_.Count() + ordinary_.Count();
      old_offsets.reserve(static_cast<std::size_t>(total));
      auto move = [&](IndexEntry& entry, int number) {
        Report(number, total, ProgressKind::kPacking);
        buffer += ReadItem(entry);
        old_offsets.push_back(entry.offset);
        entry.offset = next;
        next += entry.size;
        if (buffer.size() >= kPackBuffer) {
          files.WriteAt(handle, written, buffer);
          written += buffer.size();
          buffer.clear();
        }
      };
      int number = 0;
      for (int i = 0; i < administrative_.Count(); ++i) move(administrative_.At(i), number++);
      for (int i = 0; i < ordinary_.Count(); ++i) move(ordinary_.At(i), number++);
      files.WriteAt(handle, written, buffer);
      WriteIndexFile(packed, ProgressKind::kPacking);
      if (marker_written_ && !managed_) WriteOpenMarker(files, marker_, packed);
    } catch (...) {
      std::size_t restored = 0;
      for (int i = 0; i < administrative_.Count() && restored < old_offsets.size(); ++i) {
        administrative_.At(i).offset = old_offsets[restored++];
      }
      for (int i = 0; i < ordinary_.Count() && restored < old_offsets.size(); ++i) {
        ordinary_.At(i).offset = old_offsets[restored++];
      }
      if (handle >= 0) files.Close(handle);
      RemoveWorkingFiles(files, packed);
      throw;
    }
    reader_.reset();
    files.Close(data_handle_);
    for (const fs::path& old : {working_.data, working_.index}) {
      // The files of the last commit go with the next commit, not before.
      if (!managed_ || (old != committed_.data && old != committed_.index)) RemoveQuietly(files, old);
    }
    working_ = packed;
    data_handle_ = handle;
    reader_ = std::make_unique<DataFileReader>(files, data_handle_);
    modified_ = false;
    index_file_current_ = true;
  });
  if (held > 0 && held < Count()) GotoIndex(held);
}

void TQDB::Impl::SaveIndex() {
  RequireFile();
  if (ReadOnly() || !modified_ || managed_) return;
  Guarded([&] { SwitchIndexFile(ProgressKind::kSavingIndex); });
  modified_ = false;
  index_file_current_ = true;
}

ItemChange* TQDB::Impl::Touch(std::string_view key, const IndexEntry* entry) {
  if (!tracks_changes_) return nullptr;
  std::string compared(key);
  if (!ordinary_.CaseSensitive()) {
    for (char& c : compared) c = static_cast<char>(UpperWindows1252(static_cast<unsigned char>(c)));
  }
  auto [touched, first] = touched_.try_emplace(std::move(compared));
  if (first && entry != nullptr) {
    // An item about to change was mostly just read: the cache holds it.
    const std::string* cached = cache_.Find(entry->key);
    touched->second.before = StoredItem{std::string(entry->key), cached != nullptr ? *cached : ReadItem(*entry)};
    // As it stands until a change is made: a write that fails leaves it so.
    touched->second.after = touched->second.before;
  }
  return &touched->second;
}

std::vector<ItemChange> TQDB::Impl::ChangesSinceCommit() {
  std::vector<ItemChange> changes;
  changes.reserve(touched_.size());
  for (const auto& [compared, change] : touched_) {
    if (change.before != change.after) changes.push_back(change);
  }
  return changes;
}

// --- reading -------------------------------------------------------------------

std::string TQDB::Impl::ReadItem(const IndexEntry& entry) {
  std::string data;
  ReadItemInto(entry, data);
  return data;
}

void TQDB::Impl::ReadItemInto(const IndexEntry& entry, std::string& data) {
  data.resize(static_cast<std::size_t>(entry.size));
  bool whole = false;
  try {
    whole = reader_->Read(static_cast<std::uint64_t>(entry.offset), data);
  } catch (const FileLayerError&) {
    throw EQDBIndexError(QdbText(kTextNotValid, Name()));
  }
  if (!whole) throw EQDBIndexError(QdbText(kTextNotValid, Name()));
}

std::string TQDB::Impl::CurrentData() {
  RequireFile();
  if (NoData()) return {};
  const IndexEntry& entry = ordinary_.At(item_index_);
  if (const std::string* cached = cache_.Find(entry.key)) return *cached;
  std::string data = ReadItem(entry);
  cache_.OfferMissing(entry.key, data);
  // A walk reads items in key order from places scattered over the data file;
  // fetching an item a few places on meanwhile hides the wait for memory.
  if (item_index_ + kReadAhead < Count()) {
    reader_->Prefetch(static_cast<std::uint64_t>(ordinary_.At(item_index_ + kReadAhead).offset));
  }
  return data;
}

std::string TQDB::GetDataString() { return impl_->CurrentData(); }

void TQDB::GetData(std::stringstream& stream) {
  stream.str(impl_->CurrentData());
  stream.clear();
  stream.seekg(0);
  stream.seekp(0);
}

std::string TQDB::GetDataByKey(std::string_view key) {
  if (!FindKey(key)) throw EQDBBadKey(QdbText(kTextBadKey, key));
  return impl_->CurrentData();
}

std::string TQDB::GetDataAt(int index) {
  GotoIndex(index);
  return impl_->CurrentData();
}

void TQDB::ReadBuffer(std::span<std::byte> buffer) {
  const std::string data = impl_->CurrentData();
  std::memcpy(buffer.data(), data.data(), std::min(buffer.size(), data.size()));
}

void TQDB::ReadBuffer(char* buffer, std::size_t size) { ReadBuffer(std::as_writable_bytes(std::span(buffer, size))); }

std::string TQDB::Impl::GetKeyAt(int index) {
  RequireFile();
  if (ordinary_.Empty()) return {};
  if (index < 0 || index >= Count()) {
    OutOfBounds();
    return {};
  }
  return std::string(ordinary_.At(index).key);
}

void TQDB::Impl::ForEachPassing(const std::function<void(const IndexEntry&)>& visit) {
  const std::optional<FilterPattern> pattern = Pattern();
  int begin = 0;
  int end = Count();
  if (pattern && pattern->Prefix()) {
    begin = ordinary_.Find(*pattern->Prefix()).position;
    end = ordinary_.PrefixEnd(*pattern->Prefix());
  }
  for (int i = begin; i < end; ++i) {
    const IndexEntry& entry = ordinary_.At(i);
    if (!pattern || pattern->Passes(entry.key)) visit(entry);
  }
}

void TQDB::Impl::GetKeys(std::vector<std::string>& keys) {
  RequireFile();
  keys.clear();
  int done = 0;
  const int total = Count();
  ForEachPassing([&](const IndexEntry& entry) {
    Report(done++, total, ProgressKind::kListingKeys);
    keys.emplace_back(entry.key);
  });
  ReportEnd(ProgressKind::kListingKeys);
}

void TQDB::GetKeys(KeyList& keys) {
  const bool sorted = keys.Sorted();
  keys.SetSorted(false);
  keys.Clear();
  std::vector<std::string> listed;
  GetKeys(listed);
  for (std::string& key : listed) keys.Add(std::move(key));
  keys.SetSorted(sorted);
}

void TQDB::Impl::ForEachItem(std::string_view pattern, const ItemVisit& visit) {
  if (Count() == 0) return;  // also a closed store
  RequireFile();
  const FilterPattern filter(pattern, ordinary_.CaseSensitive());
  const std::optional<std::string> prefix = filter.Prefix();
  auto end_of_selection = [&] { return prefix ? ordinary_.PrefixEnd(*prefix) : Count(); };
  int at = prefix ? ordinary_.Find(*prefix).position : 0;
  int end = end_of_selection();
  std::string key;
  std::string data;
  while (at < end) {
    const IndexEntry& entry = ordinary_.At(at);
    if (!prefix && !filter.Passes(entry.key)) {
      ++at;
      continue;
    }
    key.assign(std::string_view(entry.key));
    ReadItemInto(entry, data);
    const std::uint64_t generation = ordinary_.Generation();
    visit(key, data);
    if (ordinary_.Generation() == generation) {
      ++at;
      continue;
    }
    // The visitor added or deleted items: go on after the key it saw.
    const auto [found, position] = ordinary_.Find(key);
    at = found ? position + 1 : position;
    end = end_of_selection();
  }
}

void TQDB::Impl::ForEachItemBackward(std::string_view pattern, const ItemVisitUntil& visit) {
  if (Count() == 0) return;  // also a closed store
  RequireFile();
  const FilterPattern filter(pattern, ordinary_.CaseSensitive());
  const std::optional<std::string> prefix = filter.Prefix();
  auto begin_of_selection = [&] { return prefix ? ordinary_.Find(*prefix).position : 0; };
  int begin = begin_of_selection();
  int at = (prefix ? ordinary_.PrefixEnd(*prefix) : Count()) - 1;
  std::string key;
  std::string data;
  while (at >= begin) {
    const IndexEntry& entry = ordinary_.At(at);
    if (!prefix && !filter.Passes(entry.key)) {
      --at;
      continue;
    }
    key.assign(std::string_view(entry.key));
    ReadItemInto(entry, data);
    const std::uint64_t generation = ordinary_.Generation();
    if (!visit(key, data)) return;
    if (ordinary_.Generation() == generation) {
      --at;
      continue;
    }
    at = ordinary_.Find(key).position - 1;
    begin = begin_of_selection();
  }
}

int TQDB::Impl::FilteredCount() {
  if (!Filtered()) return Count();
  RequireFile();
  const std::optional<FilterPattern> pattern = Pattern();
  if (pattern->Prefix()) return ordinary_.PrefixEnd(*pattern->Prefix()) - ordinary_.Find(*pattern->Prefix()).position;
  int passing = 0;
  ForEachPassing([&](const IndexEntry&) { ++passing; });
  return passing;
}

// --- navigation ----------------------------------------------------------------

std::optional<FilterPattern> TQDB::Impl::Pattern() const {
  if (!Filtered()) return std::nullopt;
  return FilterPattern(filter_, ordinary_.CaseSensitive());
}

int TQDB::Impl::Passing(int from, int step) const {
  const std::optional<FilterPattern> pattern = Pattern();
  if (pattern && pattern->Prefix()) {
    const int begin = ordinary_.Find(*pattern->Prefix()).position;
    const int end = ordinary_.PrefixEnd(*pattern->Prefix());
    const int at = step > 0 ? std::max(from, begin) : std::min(from, end - 1);
    return at >= begin && at < end && at >= 0 && at < Count() ? at : -1;
  }
  for (int at = from; at >= 0 && at < Count(); at += step) {
    if (!pattern || pattern->Passes(ordinary_.At(at).key)) return at;
  }
  return -1;
}

void TQDB::Impl::MoveTo(int position) {
  item_index_ = position;
  key_ = ordinary_.At(position).key;
  bof_ = position == 0;
  eof_ = position == Count() - 1;
  if (owner_.OnNavigate && !navigation_suspended_) owner_.OnNavigate(owner_);
}

void TQDB::Impl::GotoIndex(int index) {
  RequireFile();
  if (NoData()) return;
  if (index < 0 || index >= Count()) {
    OutOfBounds();
    return;
  }
  MoveTo(index);
}

void TQDB::Impl::First() {
  if (!Filtered()) return GotoIndex(0);
  RequireFile();
  if (NoData()) return;
  const int at = Passing(0, 1);
  if (at < 0) return OutOfBounds();
  MoveTo(at);
  bof_ = true;
  eof_ = aggressive_update_ && Passing(at + 1, 1) < 0;
}

void TQDB::Impl::Last() {
  if (!Filtered()) return GotoIndex(Count() - 1);
  RequireFile();
  if (NoData()) return;
  const int at = Passing(Count() - 1, -1);
  if (at < 0) return OutOfBounds();
  MoveTo(at);
  eof_ = true;
  bof_ = aggressive_update_ && Passing(at - 1, -1) < 0;
}

void TQDB::Impl::Next() {
  RequireFile();
  if (NoData()) return;
  if (!Filtered()) {
    if (item_index_ < Count() - 1) return MoveTo(item_index_ + 1);
    eof_ = true;
    return;
  }
  const int at = Passing(item_index_ + 1, 1);
  if (at < 0) {
    eof_ = true;
    return;
  }
  MoveTo(at);
  bof_ = aggressive_update_ && Passing(at - 1, -1) < 0;
  eof_ = aggressive_update_ && Passing(at + 1, 1) < 0;
}

void TQDB::Impl::Prev() {
  RequireFile();
  if (NoData()) return;
  if (!Filtered()) {
    if (item_index_ > 0) return MoveTo(item_index_ - 1);
    bof_ = true;
    return;
  }
  const int at = Passing(item_index_ - 1, -1);
  if (at < 0) {
    bof_ = true;
    return;
  }
  MoveTo(at);
  bof_ = aggressive_update_ && Passing(at - 1, -1) < 0;
  eof_ = aggressive_update_ && Passing(at + 1, 1) < 0;
}


// --- the public members that hand over to the implementation --------------------

TQDB::TQDB() : impl_(std::make_unique<Impl>(*this)) {}

TQDB::~TQDB() {
  try {
    Close();
  } catch (const std::exception&) {
    // A destructor cannot report; a failed close keeps its working files for the next open.
  }
}

void TQDB::SetFileName(const fs::path& name) { impl_->SetFileName(name); }
const fs::path& TQDB::FileName() const { return impl_->file_name_; }
void TQDB::Close() { impl_->Close(); }
void TQDB::SetTempFolder(fs::path folder) {
  // Working files are named by absolute paths: a later open may run from another working directory.
  impl_->temp_folder_ = folder.empty() ? folder : fs::absolute(folder).lexically_normal();
}
void TQDB::SetCommittedByOwner(bool on) { impl_->managed_ = on; }
void TQDB::SetTracksChanges(bool on) { impl_->tracks_changes_ = on; }
std::vector<ItemChange> TQDB::ChangesSinceCommit() { return impl_->ChangesSinceCommit(); }
bool TQDB::ChangedSinceCommit() const { return impl_->ChangedSinceCommit(); }
bool TQDB::CommittedSinceOpen() const { return impl_->committed_since_open_; }
CommitPoint TQDB::PrepareCommit() { return impl_->PrepareCommit(); }
void TQDB::FinishCommit() { impl_->FinishCommit(); }
void TQDB::AbandonCommit() { impl_->AbandonCommit(); }
void TQDB::RevertToCommit() { impl_->RevertToCommit(); }
std::uint64_t TQDB::WriteCommittedContainer(FileHandle out) { return impl_->WriteCommittedContainer(out); }
std::uint64_t TQDB::UnusedBytes() {
  impl_->RequireFile();
  std::uint64_t used = 0;
  for (const IndexList* list : {&impl_->administrative_, &impl_->ordinary_}) {
    for (int i = 0; i < list->Count(); ++i) used += static_cast<std::uint64_t>(list->At(i).size);
  }
  const std::uint64_t size = impl_->Guarded([&] { return impl_->Files().Size(impl_->data_handle_); });
  return size > used ? size - used : 0;
}
const fs::path& TQDB::TempFolder() const { return impl_->temp_folder_; }
void TQDB::SetFileLayer(FileLayer* files) { impl_->files_ = files; }

bool TQDB::FindKey(std::string_view key) { return impl_->FindKey(key); }
void TQDB::Add(std::string_view data, std::string_view key) { impl_->Add(data, key); }
void TQDB::ForEachItem(std::string_view pattern, const ItemVisit& visit) { impl_->ForEachItem(pattern, visit); }
void TQDB::ForEachItemBackward(std::string_view pattern, const ItemVisitUntil& visit) {
  impl_->ForEachItemBackward(pattern, visit);
}
void TQDB::Change(std::string_view data) { impl_->Change(data); }
void TQDB::Delete() { impl_->Delete(); }
void TQDB::Pack() { impl_->Pack(); }
void TQDB::SaveIndex() { impl_->SaveIndex(); }

std::string TQDB::GetKeyAt(int index) { return impl_->GetKeyAt(index); }
const IndexEntry& TQDB::EntryAt(int index) const { return impl_->ordinary_.At(index); }
void TQDB::GetKeys(std::vector<std::string>& keys) { impl_->GetKeys(keys); }
int TQDB::FilteredCount() { return impl_->FilteredCount(); }

void TQDB::First() { impl_->First(); }
void TQDB::Next() { impl_->Next(); }
void TQDB::Prev() { impl_->Prev(); }
void TQDB::Last() { impl_->Last(); }
void TQDB::GotoIndex(int index) { impl_->GotoIndex(index); }

int TQDB::Count() const { return impl_->Count(); }
int TQDB::ItemIndex() const { return impl_->item_index_; }
const std::string& TQDB::Key() const { return impl_->key_; }
const std::string& TQDB::Filter() const { return impl_->filter_; }
void TQDB::SetFilter(std::string filter) { impl_->filter_ = std::move(filter); }
bool TQDB::Filtered() const { return impl_->Filtered(); }
bool TQDB::Bof() const { return impl_->bof_; }
bool TQDB::Eof() const { return impl_->eof_; }
bool TQDB::Modified() const { return impl_->modified_; }
bool TQDB::Active() const { return impl_->active_; }
bool TQDB::CaseSensitive() const { return impl_->ordinary_.CaseSensitive(); }

bool TQDB::AggressiveUpdate() const { return impl_->aggressive_update_; }
void TQDB::SetAggressiveUpdate(bool on) { impl_->aggressive_update_ = on; }
std::size_t TQDB::CacheSize() const { return impl_->cache_.Capacity(); }
void TQDB::SetCacheSize(std::size_t bytes) { impl_->cache_.SetCapacity(bytes); }
int TQDB::CacheFrequency() const { return impl_->cache_.HitRate(); }
void TQDB::SetCacheFrequency(int) { impl_->cache_.ResetStatistics(); }
bool TQDB::ReadOnly() const { return impl_->ReadOnly(); }
void TQDB::SetReadOnly(bool on) { impl_->read_only_ = on; }
bool TQDB::SaveOnClose() const { return impl_->save_on_close_; }
void TQDB::SetSaveOnClose(bool on) { impl_->save_on_close_ = on; }
bool TQDB::ExpandedFileNames() const { return impl_->expanded_file_names_; }
void TQDB::SetExpandedFileNames(bool on) { impl_->expanded_file_names_ = on; }

}  // namespace pellmark::store
