// The file layer over POSIX calls (open, pread, pwrite, copy_file_range, mmap,
// fsync, mkstemp, rename, flock).
//
//   PosixFileLayer files;
//   auto path = files.CreateTemp("/tmp", "QDB");   // "/tmp/QDBa1B2c3"
#pragma once

#include "store/file_layer.h"

namespace pellmark::store {

class PosixFileLayer : public FileLayer {
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
  void StartFlush(FileHandle handle) noexcept override;
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

 private:
  // CopyRange through a buffer of `count` clamped to 1 KiB..512 KiB, for files
  // the kernel will not copy between.
  std::uint64_t BufferedCopy(FileHandle from, std::uint64_t from_offset, FileHandle to, std::uint64_t to_offset,
                             std::uint64_t count);
};

}  // namespace pellmark::store
