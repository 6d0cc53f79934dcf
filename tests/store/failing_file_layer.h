// A file layer for tests: passes every call to POSIX, but fails the Nth call
// that can fail with a chosen errno (a failed write or copy leaves half its
// bytes written, as a real full disk does), and can report chosen paths as not writable.
//
//   FailingFileLayer files;
//   files.FailAt(7, ENOSPC);
//   store.SetFileLayer(&files);
#pragma once

#include <set>
#include <string>

#include "store/posix_file_layer.h"

namespace pellmark::store::testing {

class FailingFileLayer : public PosixFileLayer {
 public:
  // Fails call number `n` (counted from 1 from now on); 0 fails nothing.
  void FailAt(int n, int error_number) {
    fail_at_ = n;
    error_number_ = error_number;
    calls_ = 0;
  }
  int Calls() const { return calls_; }
  bool Failed() const { return fail_at_ > 0 && calls_ >= fail_at_; }
  // What the failed call was doing ("remove", "write", ...); empty before a failure.
  const std::string& FailedOperation() const { return failed_operation_; }
  void MarkUnwritable(const std::filesystem::path& path) { unwritable_.insert(path); }

  FileHandle Open(const std::filesystem::path& path, OpenMode mode) override {
    Count(path, "open");
    return PosixFileLayer::Open(path, mode);
  }
  std::size_t ReadAt(FileHandle handle, std::uint64_t offset, std::span<char> buffer) override {
    Count("", "read");
    return PosixFileLayer::ReadAt(handle, offset, buffer);
  }
  void WriteAt(FileHandle handle, std::uint64_t offset, std::span<const char> bytes) override {
    if (++calls_ == fail_at_) {
      failed_operation_ = "write";
      PosixFileLayer::WriteAt(handle, offset, bytes.first(bytes.size() / 2));
      throw FileLayerError(error_number_, "", "write");
    }
    PosixFileLayer::WriteAt(handle, offset, bytes);
  }
  std::uint64_t Size(FileHandle handle) override {
    Count("", "stat");
    return PosixFileLayer::Size(handle);
  }
  std::uint64_t CopyRange(FileHandle from, std::uint64_t from_offset, FileHandle to, std::uint64_t to_offset,
                          std::uint64_t count) override {
    if (++calls_ == fail_at_) {
      failed_operation_ = "copy";
      PosixFileLayer::CopyRange(from, from_offset, to, to_offset, count / 2);
      throw FileLayerError(error_number_, "", "copy");
    }
    return PosixFileLayer::CopyRange(from, from_offset, to, to_offset, count);
  }
  std::unique_ptr<FileView> Map(FileHandle handle, std::uint64_t size) override {
    ++maps_;
    Count("", "map");
    return PosixFileLayer::Map(handle, size);
  }
  // How many maps were asked for, failed ones included.
  int Maps() const { return maps_; }
  void Flush(FileHandle handle) override {
    Count("", "fsync");
    PosixFileLayer::Flush(handle);
  }
  void FlushFileSystem(const std::filesystem::path& folder) override {
    Count(folder, "flush file system");
    PosixFileLayer::FlushFileSystem(folder);
  }
  void FlushFolder(const std::filesystem::path& folder) override {
    Count(folder, "fsync folder");
    PosixFileLayer::FlushFolder(folder);
  }
  std::filesystem::path CreateTemp(const std::filesystem::path& folder, std::string_view prefix) override {
    if (++calls_ == fail_at_) {
      failed_operation_ = "create temporary file";
      throw TempNameError(error_number_, folder, failed_operation_);
    }
    return PosixFileLayer::CreateTemp(folder, prefix);
  }
  void Rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
    Count(to, "rename");
    PosixFileLayer::Rename(from, to);
  }
  void Remove(const std::filesystem::path& path) override {
    Count(path, "remove");
    PosixFileLayer::Remove(path);
  }
  bool IsWritable(const std::filesystem::path& path) override {
    return !unwritable_.contains(path) && PosixFileLayer::IsWritable(path);
  }

 private:
  void Count(const std::filesystem::path& path, std::string_view operation) {
    if (++calls_ == fail_at_) {
      failed_operation_ = operation;
      throw FileLayerError(error_number_, path, operation);
    }
  }

  int fail_at_ = 0;
  int error_number_ = 0;
  int calls_ = 0;
  int maps_ = 0;
  std::string failed_operation_;
  std::set<std::filesystem::path> unwritable_;
};

}  // namespace pellmark::store::testing
