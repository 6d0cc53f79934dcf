// Every file access of the record store goes through a FileLayer, so tests can
// put a layer in between that fails on purpose. The default is POSIX; a store
// uses DefaultFileLayer() unless it is given its own.
//
//   FileLayer& files = DefaultFileLayer();
//   FileHandle h = files.Open("/club/clubmem.qdb", OpenMode::kRead);
//   std::size_t got = files.ReadAt(h, 0, buffer);   // short only at the end
//   files.Close(h);
//
// Failures are thrown as FileLayerError carrying the errno value; a temporary
// name that cannot be had is a TempNameError.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pellmark::store {

using FileHandle = int;
using FileTime = std::int64_t;  // nanoseconds since the epoch

enum class OpenMode {
  kRead,       // existing file, reading only
  kReadWrite,  // existing file, reading and writing
  kCreate,     // created or emptied, reading and writing
  kCreateNew,  // created, reading and writing; fails when the file exists
};

class FileLayerError : public std::runtime_error {
 public:
  FileLayerError(int error_number, const std::filesystem::path& path, std::string_view operation);
  int ErrorNumber() const { return error_number_; }
  const std::filesystem::path& Path() const { return path_; }

 private:
  int error_number_;
  std::filesystem::path path_;
};

class TempNameError : public FileLayerError {
 public:
  using FileLayerError::FileLayerError;
};

// A read-only view of the first bytes of an open file, sharing the file's
// pages: bytes written through WriteAt after the view was made show in it.
class FileView {
 public:
  virtual ~FileView() = default;
  virtual std::uint64_t Size() const = 0;
  // Copies the bytes at [offset, offset + out.size()). False when they lie
  // beyond the view or the file was cut short under it; never a crash.
  virtual bool CopyAt(std::uint64_t offset, std::span<char> out) const = 0;
  // Asks for the bytes at `offset` to be brought towards the processor, so a
  // CopyAt soon after does not wait for memory. Only a hint: it never fails.
  virtual void Prefetch(std::uint64_t offset) const = 0;
};

// What stands at a path: nothing, a plain file, a folder, or something else
// (a pipe, a device) that must not be replaced by a plain file.
enum class FileKind { kNone, kPlain, kFolder, kOther };

// One name in a folder.
struct FolderEntry {
  std::string name;
  bool folder = false;
};

// An exclusive lock on a file, held until the object goes.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

class FileLayer {
 public:
  virtual ~FileLayer() = default;

  virtual FileHandle Open(const std::filesystem::path& path, OpenMode mode) = 0;
  // Never fails: closing is the last thing done with a handle.
  virtual void Close(FileHandle handle) noexcept = 0;
  // Reads up to buffer.size() bytes at `offset`; fewer only at the end of the file.
  virtual std::size_t ReadAt(FileHandle handle, std::uint64_t offset, std::span<char> buffer) = 0;
  // Writes all of `bytes` at `offset`.
  virtual void WriteAt(FileHandle handle, std::uint64_t offset, std::span<const char> bytes) = 0;
  virtual std::uint64_t Size(FileHandle handle) = 0;
  // Copies up to `count` bytes from one open file to another, inside the
  // kernel where the file system allows; fewer only when `from` ends first.
  // Returns the number copied.
  virtual std::uint64_t CopyRange(FileHandle from, std::uint64_t from_offset, FileHandle to, std::uint64_t to_offset,
                                  std::uint64_t count) = 0;
  // A view of the first `size` bytes (at least 1) of an open file, which stays
  // valid after the handle is closed.
  virtual std::unique_ptr<FileView> Map(FileHandle handle, std::uint64_t size) = 0;
  // Makes the file's contents durable (fsync).
  virtual void Flush(FileHandle handle) = 0;
  // Starts writing the file's contents to disk without waiting for it, so
  // that flushing several files costs about one wait. Only a hint: it never
  // fails, and Flush is still what makes the contents durable.
  virtual void StartFlush(FileHandle) noexcept {}
  // Makes the contents of every file on the folder's file system durable
  // (syncfs): one wait for many files written together, where a Flush of each
  // waits once a file (see kFilesFlushedOneByOne).
  virtual void FlushFileSystem(const std::filesystem::path& folder) = 0;
  // Makes the names in a folder durable (fsync of the folder).
  virtual void FlushFolder(const std::filesystem::path& folder) = 0;

  // Creates a new empty file named `prefix` plus a unique rest inside `folder`.
  virtual std::filesystem::path CreateTemp(const std::filesystem::path& folder, std::string_view prefix) = 0;
  // Replaces `to` atomically when it exists.
  virtual void Rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  virtual void Remove(const std::filesystem::path& path) = 0;

  virtual bool Exists(const std::filesystem::path& path) = 0;
  virtual bool IsFolder(const std::filesystem::path& path) = 0;
  // Follows symbolic links; kNone also when the path cannot be looked at.
  virtual FileKind KindOf(const std::filesystem::path& path) = 0;
  virtual bool IsWritable(const std::filesystem::path& path) = 0;
  virtual std::optional<FileTime> ModificationTime(const std::filesystem::path& path) = 0;

  // Creates the folder and any missing parents; one that exists is fine.
  virtual void CreateFolder(const std::filesystem::path& folder) = 0;
  // The names in a folder (never "." or ".."), in no set order; none when the
  // folder cannot be read.
  virtual std::vector<FolderEntry> ListFolder(const std::filesystem::path& folder) = 0;
  // Removes an empty folder; one that is gone is fine.
  virtual void RemoveFolder(const std::filesystem::path& folder) = 0;
  // Takes an exclusive lock on `file` (created when missing) and writes `note`
  // into it. When another program or object holds it, returns nullptr and puts
  // the note its holder wrote into `holder_note`.
  virtual std::unique_ptr<FileLock> TryLock(const std::filesystem::path& file, std::string_view note,
                                            std::string& holder_note) = 0;
};

// An open handle that is closed when the scope ends, however it ends.
//
//   OpenFile out(files, name, OpenMode::kCreate);
//   files.WriteAt(out.Handle(), 0, bytes);
// Up to this many files written together are flushed one by one; more are
// flushed with one FlushFileSystem, which then costs less.
inline constexpr std::size_t kFilesFlushedOneByOne = 8;

class OpenFile {
 public:
  OpenFile(FileLayer& files, const std::filesystem::path& path, OpenMode mode)
      : files_(files), handle_(files.Open(path, mode)) {}
  ~OpenFile() { files_.Close(handle_); }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  FileHandle Handle() const { return handle_; }

 private:
  FileLayer& files_;
  FileHandle handle_;
};

// The layer stores use unless given their own; SetDefaultFileLayer(nullptr)
// goes back to POSIX.
FileLayer& DefaultFileLayer();
void SetDefaultFileLayer(FileLayer* layer);

}  // namespace pellmark::store
