#include "club/club_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "club/number_parse.h"

namespace pellmark {

ClubLock::ClubLock(const std::filesystem::path& working_folder) {
  const std::filesystem::path file = working_folder / kLockFileName;
  fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) throw std::runtime_error("Could not open " + file.string() + ": " + std::strerror(errno));
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    char digits[32] = {};
    const ssize_t got = ::pread(fd_, digits, sizeof digits - 1, 0);
    ::close(fd_);
    fd_ = -1;
    const std::string holder = got > 0 ? std::to_string(ParseInteger(TrimBlanks(digits, " \n")).value_or(0)) : std::string("unknown");
    throw ClubLocked("The club is open in another Pellmark (process " + holder + ").");
  }
  const std::string pid = std::to_string(::getpid()) + "\n";
  // The id only names the holder in the message of a refused open; the lock is the flock.
  if (::ftruncate(fd_, 0) == 0) {
    [[maybe_unused]] const ssize_t written = ::pwrite(fd_, pid.data(), pid.size(), 0);
  }
}

ClubLock::~ClubLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace pellmark
