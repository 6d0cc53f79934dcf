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
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/file_layer.h"
#include "store/index_entry.h"
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

// What a club's commit record names for one store: its working files and the
// lengths of both at the commit (bytes after them are not part of it: the
// data file grows past the commit, and an index file written over in place
// may hold an older, longer index's tail).
struct CommitPoint {
  std::filesystem::path data;
  std::filesystem::path index;
  std::uint64_t data_length = 0;
  std::uint64_t index_length = 0;
};

// One item of a StoreAll: its key and its bytes.
struct StoredItem {
  std::string key;
  std::string data;
  friend bool operator==(const StoredItem&, const StoredItem&) = default;
};

// One item an owner-committed store changed since its last commit: the item
// at the commit and now, nothing where there was none.
struct ItemChange {
  std::optional<StoredItem> before;
  std::optional<StoredItem> after;
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
  const std::filesystem::path& FileName() const;
  void Close();

  // Where working files go; when the folder does not exist, the system's temporary folder.
  void SetTempFolder(std::filesystem::path folder);
  const std::filesystem::path& TempFolder() const;
  // The file layer of this store; nullptr goes back to DefaultFileLayer().
  void SetFileLayer(FileLayer* files);

  bool FindKey(std::string_view key);
  void Add(std::string_view data, std::string_view key);
  void Change(std::string_view data);
  void Store(std::string_view key, std::string_view data);
  // Stores every item as Store would, in order, with one write of all their
  // bytes at the end of the data file: the many records one operation writes.
  // A key that is too long is refused before anything is written; a failed
  // write leaves the index as it was. The current item is the last one stored.
  void StoreAll(std::span<const StoredItem> items);
  void ChangeAt(int index, std::string_view data);
  void DeleteCurrent();
  void Delete();
  void Pack();
  void SaveIndex();

  // A store whose owner commits it together with other stores: it writes no
  // marker of its own, SaveIndex only notes the change, Change never writes over
  // bytes the last commit points at, and the working files a Pack replaces stay
  // until the next commit. Its index goes by turns into two index working
  // files, each written over in place, so a commit creates no file. Closing
  // joins the last commit into the store file (only when a commit happened
  // since the open) and leaves the working files for the owner to remove. Set
  // before SetFileName.
  void SetCommittedByOwner(bool on);
  // True when the store changed since the last commit.
  bool ChangedSinceCommit() const;
  // True when a commit happened since the open.
  bool CommittedSinceOpen() const;
  // Writes the index over the index working file the last commit does not
  // name (created at the first commit) and returns what a commit record
  // names; the store is unchanged until FinishCommit or AbandonCommit.
  CommitPoint PrepareCommit();
  // The commit record names the prepared point now: the index file of the
  // commit before takes the next turn, other files no commit needs go.
  void FinishCommit();
  // The commit record could not be written; the prepared index file, which no
  // whole record names, takes the next turn again.
  void AbandonCommit();
  // Drops every change since the last commit.
  void RevertToCommit();
  // Writes the store as of the last commit (as opened, before the first) into
  // `out`, an open file of this store's file layer, from its start: the
  // container its close would write. Returns the container's length; `out`
  // is not flushed. The store stays open and unchanged. Only for a store
  // committed by its owner; a failure to read or write is a FileLayerError.
  std::uint64_t WriteCommittedContainer(FileHandle out);
  // Keeps, when an item first changes after a commit, what it was at the
  // commit, so that ChangesSinceCommit can tell a commit's changes without
  // comparing whole indexes. Off by default: it costs a read per item changed.
  void SetTracksChanges(bool on);
  // Every item that differs from the last commit, in key order; an item
  // changed and changed back is not one. Empty unless SetTracksChanges.
  std::vector<ItemChange> ChangesSinceCommit();
  // Bytes of the data working file that no item points at any more (items
  // replaced or deleted); Pack reclaims them.
  std::uint64_t UnusedBytes();

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
  const IndexEntry& EntryAt(int index) const;
  void GetKeys(std::vector<std::string>& keys);
  void GetKeys(KeyList& keys);
  // Calls visit(key, data) for every item `pattern` selects (a filter pattern;
  // the store's own filter plays no part), in key order. The walk moves no
  // current item and goes past the cache, so each item costs one copy; `data`
  // is valid during the call. The visitor may change the store: the walk then
  // goes on after the last key it visited.
  using ItemVisit = std::function<void(const std::string& key, std::string_view data)>;
  void ForEachItem(std::string_view pattern, const ItemVisit& visit);
  // The same from the last selected item back, until visit returns false.
  using ItemVisitUntil = std::function<bool(const std::string& key, std::string_view data)>;
  void ForEachItemBackward(std::string_view pattern, const ItemVisitUntil& visit);
  int FilteredCount();

  void First();
  void Next();
  void Prev();
  void Last();
  void GotoIndex(int index);

  int Count() const;
  int ItemIndex() const;
  const std::string& Key() const;
  const std::string& Filter() const;
  void SetFilter(std::string filter);
  bool Filtered() const;
  bool Bof() const;
  bool Eof() const;
  bool Modified() const;
  bool Active() const;
  bool CaseSensitive() const;

  bool AggressiveUpdate() const;
  void SetAggressiveUpdate(bool on);
  std::size_t CacheSize() const;
  void SetCacheSize(std::size_t bytes);
  // Reading gives the cache's hit rate in percent; writing resets its statistics.
  int CacheFrequency() const;
  void SetCacheFrequency(int);
  // Also true while the open file or its folder cannot be written.
  bool ReadOnly() const;
  void SetReadOnly(bool on);
  bool SaveOnClose() const;
  void SetSaveOnClose(bool on);
  bool ExpandedFileNames() const;
  void SetExpandedFileNames(bool on);

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
  // The index, cache, working files and state, in qdb.cpp: users of the store
  // see none of the internal headers.
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace pellmark::store
