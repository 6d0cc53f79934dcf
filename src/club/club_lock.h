// The lock on a club: an advisory lock (flock) on "lock" in the club's working
// folder, held from the open to the close. A second program on the same club,
// window or command line, is refused at once; the lock of a program that died
// went with it, so the next open takes it over.
//
//   ClubLock lock(files, club / ".pellmark-work");   // throws ClubLocked
#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>

#include "store/file_layer.h"

namespace pellmark {

inline constexpr const char* kLockFileName = "lock";

// "The club is open in another Pellmark (process N)."
class ClubLocked : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ClubLock {
 public:
  // Takes the lock and writes this process's id into the file.
  // store::FileLayerError when the lock's file cannot be opened.
  ClubLock(store::FileLayer& files, const std::filesystem::path& working_folder);
  ~ClubLock();
  ClubLock(const ClubLock&) = delete;
  ClubLock& operator=(const ClubLock&) = delete;

 private:
  std::unique_ptr<store::FileLock> lock_;
};

}  // namespace pellmark
