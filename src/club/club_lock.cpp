#include "club/club_lock.h"

#include <unistd.h>

#include <charconv>
#include <string>

namespace pellmark {

ClubLock::ClubLock(store::FileLayer& files, const std::filesystem::path& working_folder) {
  std::string holder_note;
  lock_ = files.TryLock(working_folder / kLockFileName, std::to_string(::getpid()) + "\n", holder_note);
  if (lock_ == nullptr) {
    long holder = 0;
    const auto [end, error] = std::from_chars(holder_note.data(), holder_note.data() + holder_note.size(), holder);
    throw ClubLocked("The club is open in another Pellmark (process " +
                     (error == std::errc() && end != holder_note.data() ? std::to_string(holder) : std::string("unknown")) +
                     ").");
  }
}

ClubLock::~ClubLock() = default;

}  // namespace pellmark
