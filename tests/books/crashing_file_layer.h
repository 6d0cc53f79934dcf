// A file layer for crash tests: counts the calls that change files (create,
// write, copy, rename, remove) and, from the n-th on, either kills the process
// at that call (SIGKILL, as a user's machine would lose it) or fails that call
// and every later one but removals with ENOSPC, a write or copy leaving half
// its bytes as a full disk does.
//
//   CrashingFileLayer files;
//   files.Arm(17, CrashingFileLayer::Mode::kKill);
//   store::SetDefaultFileLayer(&files);
#pragma once

#include <signal.h>

#include <cerrno>

#include "store/posix_file_layer.h"

namespace pellmark::testing {

class CrashingFileLayer final : public store::PosixFileLayer {
 public:
  enum class Mode { kKill, kFull };

  // Call number `n` (counted from 1 from now on) is the first to fail; 0 never.
  void Arm(int n, Mode mode) {
    fail_from_ = n;
    mode_ = mode;
    changes_ = 0;
  }
  int Changes() const { return changes_; }

  store::FileHandle Open(const std::filesystem::path& path, store::OpenMode mode) override {
    if (mode == store::OpenMode::kCreate || mode == store::OpenMode::kCreateNew) Change(path, "open");
    return PosixFileLayer::Open(path, mode);
  }
  void WriteAt(store::FileHandle handle, std::uint64_t offset, std::span<const char> bytes) override {
    if (Fails()) {
      PosixFileLayer::WriteAt(handle, offset, bytes.first(bytes.size() / 2));
      throw store::FileLayerError(ENOSPC, "", "write");
    }
    PosixFileLayer::WriteAt(handle, offset, bytes);
  }
  std::uint64_t CopyRange(store::FileHandle from, std::uint64_t from_offset, store::FileHandle to,
                          std::uint64_t to_offset, std::uint64_t count) override {
    if (Fails()) {
      PosixFileLayer::CopyRange(from, from_offset, to, to_offset, count / 2);
      throw store::FileLayerError(ENOSPC, "", "copy");
    }
    return PosixFileLayer::CopyRange(from, from_offset, to, to_offset, count);
  }
  std::filesystem::path CreateTemp(const std::filesystem::path& folder, std::string_view prefix) override {
    if (Fails()) throw store::TempNameError(ENOSPC, folder, "create temporary file");
    return PosixFileLayer::CreateTemp(folder, prefix);
  }
  void Rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
    Change(to, "rename");
    PosixFileLayer::Rename(from, to);
  }
  // A full disk does not stop a removal: it is counted, and killed at, only.
  void Remove(const std::filesystem::path& path) override {
    Fails();
    PosixFileLayer::Remove(path);
  }

 private:
  // Counts one changing call; true when it is to fail with a full disk.
  bool Fails() {
    ++changes_;
    if (fail_from_ == 0 || changes_ < fail_from_) return false;
    if (mode_ == Mode::kKill) ::raise(SIGKILL);
    return true;
  }
  void Change(const std::filesystem::path& path, std::string_view operation) {
    if (Fails()) throw store::FileLayerError(ENOSPC, path, operation);
  }

  int fail_from_ = 0;
  Mode mode_ = Mode::kKill;
  int changes_ = 0;
};

}  // namespace pellmark::testing
