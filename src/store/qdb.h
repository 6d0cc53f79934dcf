// TQDB: keyed, ordered access to the items of one record store file. An item is
// a key (up to 255 Windows-1252 characters) and a byte string. The whole index is
// in memory in key order; item data lives in the data working file and recently
// used items in a cache. Changes go to the working files; closing joins them
// into a new container that replaces the store file.
//
//   TQDB members;
//   members.WarnNoData = [](TQDB&) {};          // empty store: do nothing, no error
//   members.SetTempFolder(club / ".pellmark-work");
//   members.SetFileName(club / "clubmem.qdb");  // opens (creates an empty store if missing)
//   members.Store("_smith, ann", record);
//   members.SaveIndex();                        // the working files now survive a crash
//   members.SetFilter("_>");                    // active members only
//   members.First();
//   for (int i = 0; i < members.FilteredCount(); ++i, members.Next()) use(members.GetDataString());
//   members.Close();                            // joined into clubmem.qdb
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "store/container_format.h"
#include "store/data_file_reader.h"
#include "store/file_layer.h"
#include "store/filter_match.h"
#include "store/index_list.h"
#include "store/item_cache.h"
#include "store/key_list.h"
#include "store/qdb_errors.h"

namespace pellmark::store {

enum class ProgressKind {
  kLoadingIndex = 0,
  kClosing = 1,
  kSavingIndex = 2,
  kPacking = 3,
  kListingKeys = 4,
};

// What an open found beside the store file from a program that did not close it.
struct RecoveryReport {
  std::filesystem::path store_file;
  std::filesystem::path marker_file;
  std::filesystem::path data_file;   // empty when the marker could not be read
  std::filesystem::path index_file;
  bool joined = false;               // the working files were joined into the store file
  std::string problem;               // why they were left where they are
};

class TQDB {
 public:
  using Notify = std::function<void(TQDB&)>;
  using Confirm = std::function<void(TQDB&, bool& ok)>;
  using Progress = std::function<void(TQDB&, int percent, ProgressKind kind)>;
  using Recovery = std::function<void(TQDB&, const RecoveryReport&)>;

  static constexpr std::size_t kDefaultCacheSize = 65536;
  static constexpr std::string_view kCaseSensitiveItem = "QDBCaseSensitive";

  TQDB();
  ~TQDB();
  TQDB(const TQDB&) = delete;
  TQDB& operator=(const TQDB&) = delete;

  // Closes the current file and opens `name`; ".QDB" is added when it has no
  // extension, and a missing file is created empty. The empty name just closes.
  void SetFileName(const std::filesystem::path& name);
  const std::filesystem::path& FileName() const { return file_name_; }
  void Close();

  // Where working files go; when the folder does not exist, the system's temporary folder.
  void SetTempFolder(std::filesystem::path folder) { temp_folder_ = std::move(folder); }
  const std::filesystem::path& TempFolder() const { return temp_folder_; }
  // The file layer of this store; nullptr goes back to DefaultFileLayer().
  void SetFileLayer(FileLayer* files) { files_ = files; }

  bool FindKey(std::string_view key);
  void Add(std::string_view data, std::string_view key);
  void Change(std::string_view data);
  void Store(std::string_view key, std::string_view data);
  void ChangeAt(int index, std::string_view data);
  void DeleteCurrent();
  void Delete();
  void Pack();
  void SaveIndex();

  std::string GetDataString();
  // Replaces the stream's contents with the current item's data, positioned at 0.
  void GetData(std::stringstream& stream);
  std::string GetDataByKey(std::string_view key);
  std::string GetDataAt(int index);
  // Copies the current item's data, as much as fits, into `buffer`.
  void ReadBuffer(std::span<std::byte> buffer);
  void ReadBuffer(char* buffer, std::size_t size);
  std::string GetKeyAt(int index);
  // The index entry at a position (key, offset, size, flags); the position must exist.
  const IndexEntry& EntryAt(int index) const { return ordinary_.At(index); }
  void GetKeys(std::vector<std::string>& keys);
  void GetKeys(KeyList& keys);
  int FilteredCount();

  void First();
  void Next();
  void Prev();
  void Last();
  void GotoIndex(int index);

  int Count() const { return ordinary_.Count(); }
  int ItemIndex() const { return item_index_; }
  const std::string& Key() const { return key_; }
  const std::string& Filter() const { return filter_; }
  void SetFilter(std::string filter) { filter_ = std::move(filter); }
  bool Filtered() const { return !filter_.empty(); }
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  bool Modified() const { return modified_; }
  bool Active() const { return active_; }
  bool CaseSensitive() const { return ordinary_.CaseSensitive(); }

  bool AggressiveUpdate() const { return aggressive_update_; }
  void SetAggressiveUpdate(bool on) { aggressive_update_ = on; }
  std::size_t CacheSize() const { return cache_.Capacity(); }
  void SetCacheSize(std::size_t bytes) { cache_.SetCapacity(bytes); }
  // Reading gives the cache's hit rate in percent; writing resets its statistics.
  int CacheFrequency() const { return cache_.HitRate(); }
  void SetCacheFrequency(int) { cache_.ResetStatistics(); }
  // Also true while the open file or its folder cannot be written.
  bool ReadOnly() const { return read_only_ || file_read_only_; }
  void SetReadOnly(bool on) { read_only_ = on; }
  bool SaveOnClose() const { return save_on_close_; }
  void SetSaveOnClose(bool on) { save_on_close_ = on; }
  bool ExpandedFileNames() const { return expanded_file_names_; }
  void SetExpandedFileNames(bool on) { expanded_file_names_ = on; }

  // When set, called instead of raising the matching error.
  Notify WarnNoData;
  Notify WarnOutOfBounds;
  Notify WarnReadOnly;

  Confirm BeforeOverWrite;
  Progress ProgressUpdate;
  Recovery OnRecovery;
  Notify OnAdded;
  Notify OnChanged;
  Notify OnDeleted;
  Notify OnFileAssigned;
  Notify OnFound;
  Notify OnNavigate;
  Notify BeforeDelete;
  Notify AfterDelete;

 private:
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
  void EncodeIndexInto(const std::filesystem::path& file, ProgressKind kind);
  // The progress a write of the index would report, for an index file that need not be written.
  void ReportUnchangedIndex(ProgressKind kind);
  void JoinIntoStoreFile();
  std::string ReadItem(const IndexEntry& entry);
  std::string CurrentData();

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

  FileLayer* files_ = nullptr;
  std::filesystem::path file_name_;
  std::filesystem::path temp_folder_;
  std::filesystem::path marker_;
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
};

}  // namespace pellmark::store
