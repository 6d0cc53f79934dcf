// A file layer that keeps every file and folder in memory: a whole club can be
// created, changed, committed, reopened and backed up without touching a disk,
// and a test can read or damage any file's bytes directly.
//
//   MemoryFileLayer files;
//   files.CreateFolder("/club");
//   club.SetFileLayer(&files);           // before the club opens
//   std::string bytes = files.Contents("/club/clubmem.qdb").value();
//
// Paths are compared as given after lexical normalisation, so "/club/./x" and
// "/club/x" are one file; a relative path is its own name, never the working
// directory's. Flushes do nothing: nothing here outlives the object.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "store/file_layer.h"

namespace pellmark::store {

class MemoryFileLayer : public FileLayer {
 public:
  FileHandle Open(const std::filesystem::path& path, OpenMode mode) override;
  void Close(FileHandle handle) noexcept override;
  std::size_t ReadAt(FileHandle handle, std::uint64_t offset, std::span<char> buffer) override;
  void WriteAt(FileHandle handle, std::uint64_t offset, std::span<const char> bytes) override;
  std::uint64_t Size(FileHandle handle) override;
  std::uint64_t CopyRange(FileHandle from, std::uint64_t from_offset, FileHandle to, std::uint64_t to_offset,
                          std::uint64_t count) override;
  std::unique_ptr<FileView> Map(FileHandle handle, std::uint64_t size) override;
  void Flush(FileHandle handle) override;
  void FlushFileSystem(const std::filesystem::path& folder) override;
  void FlushFolder(const std::filesystem::path& folder) override;
  std::filesystem::path CreateTemp(const std::filesystem::path& folder, std::string_view prefix) override;
  void Rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
  void Remove(const std::filesystem::path& path) override;
  bool Exists(const std::filesystem::path& path) override;
  bool IsFolder(const std::filesystem::path& path) override;
  FileKind KindOf(const std::filesystem::path& path) override;
  bool IsWritable(const std::filesystem::path& path) override;
  std::optional<FileTime> ModificationTime(const std::filesystem::path& path) override;
  void CreateFolder(const std::filesystem::path& folder) override;
  std::vector<FolderEntry> ListFolder(const std::filesystem::path& folder) override;
  void RemoveFolder(const std::filesystem::path& folder) override;
  std::unique_ptr<FileLock> TryLock(const std::filesystem::path& file, std::string_view note,
                                    std::string& holder_note) override;

  // The bytes of a file, or nullopt when there is none.
  std::optional<std::string> Contents(const std::filesystem::path& path) const;
  // Every file under `folder` (its sub-folders too) by its path relative to it,
  // with its bytes: a snapshot to compare before and after an operation.
  std::map<std::string, std::string> FilesUnder(const std::filesystem::path& folder) const;

  struct File {
    std::string bytes;
    FileTime modified = 0;
  };

 private:
  struct Handle {
    std::shared_ptr<File> file;
    bool writable = false;
  };
  Handle& Opened(FileHandle handle);
  bool FolderExists(const std::string& name) const;
  void RequireParent(const std::string& name, std::string_view operation) const;
  // True when a folder above `name` is a file, which makes the path no path.
  bool UnderAFile(const std::string& name) const;
  void Touch(File& file);

  mutable std::mutex mutex_;
  std::map<std::string, std::shared_ptr<File>> files_;
  std::set<std::string> folders_;
  std::map<FileHandle, Handle> handles_;
  struct Locks {
    std::mutex mutex;
    std::set<std::string> held;
  };
  std::shared_ptr<Locks> locks_ = std::make_shared<Locks>();
  FileHandle next_handle_ = 3;
  std::uint64_t next_temp_ = 1;
  FileTime clock_ = 1;
};

}  // namespace pellmark::store
