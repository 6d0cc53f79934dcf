#include "store/posix_file_layer.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "store/posix_file_view.h"

namespace pellmark::store {
namespace {

// The handle of a failed call is reported with the path it was opened with.
std::filesystem::path HandlePath(FileHandle handle) {
  return "file handle " + std::to_string(handle);
}

constexpr std::uint64_t kSmallestBuffer = 1024;
constexpr std::uint64_t kLargestBuffer = 524288;

// One copy buffer of `count` clamped to 1 KiB..512 KiB, halved while memory is short.
std::vector<char> CopyBuffer(std::uint64_t count) {
  std::uint64_t size = std::clamp(count, kSmallestBuffer, kLargestBuffer);
  while (true) {
    try {
      return std::vector<char>(size);
    } catch (const std::bad_alloc&) {
      if (size <= 1) throw;
      size /= 2;
    }
  }
}

// copy_file_range refuses these pairs of files; the copy then goes through a buffer.
bool NeedsBufferedCopy(int error) { return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP; }

}  // namespace

FileLayerError::FileLayerError(int error_number, const std::filesystem::path& path, std::string_view operation)
    : std::runtime_error(std::string(operation) + " " + path.string() + ": " + std::strerror(error_number)),
      error_number_(error_number),
      path_(path) {}

FileHandle PosixFileLayer::Open(const std::filesystem::path& path, OpenMode mode) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case OpenMode::kRead: flags |= O_RDONLY; break;
    case OpenMode::kReadWrite: flags |= O_RDWR; break;
    case OpenMode::kCreate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case OpenMode::kCreateNew: flags |= O_RDWR | O_CREAT | O_EXCL; break;
  }
  int fd;
  do {
    fd = ::open(path.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) throw FileLayerError(errno, path, "open");
  return fd;
}

void PosixFileLayer::Close(FileHandle handle) noexcept { ::close(handle); }

std::size_t PosixFileLayer::ReadAt(FileHandle handle, std::uint64_t offset, std::span<char> buffer) {
  std::size_t done = 0;
  while (done < buffer.size()) {
    ssize_t got = ::pread(handle, buffer.data() + done, buffer.size() - done, static_cast<off_t>(offset + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      throw FileLayerError(errno, HandlePath(handle), "read");
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

void PosixFileLayer::WriteAt(FileHandle handle, std::uint64_t offset, std::span<const char> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t put = ::pwrite(handle, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
    if (put < 0) {
      if (errno == EINTR) continue;
      throw FileLayerError(errno, HandlePath(handle), "write");
    }
    done += static_cast<std::size_t>(put);
  }
}

std::uint64_t PosixFileLayer::Size(FileHandle handle) {
  struct stat info {};
  if (::fstat(handle, &info) != 0) throw FileLayerError(errno, HandlePath(handle), "stat");
  return static_cast<std::uint64_t>(info.st_size);
}

std::uint64_t PosixFileLayer::CopyRange(FileHandle from, std::uint64_t from_offset, FileHandle to,
                                        std::uint64_t to_offset, std::uint64_t count) {
  std::uint64_t done = 0;
  while (done < count) {
    auto in = static_cast<off_t>(from_offset + done);
    auto out = static_cast<off_t>(to_offset + done);
    const ssize_t got = ::copy_file_range(from, &in, to, &out, static_cast<std::size_t>(std::min<std::uint64_t>(count - done, 1U << 30)), 0);
    if (got > 0) {
      done += static_cast<std::uint64_t>(got);
      continue;
    }
    if (got == 0) return done;
    if (errno == EINTR) continue;
    if (!NeedsBufferedCopy(errno)) throw FileLayerError(errno, HandlePath(to), "copy");
    return done + BufferedCopy(from, from_offset + done, to, to_offset + done, count - done);
  }
  return done;
}

std::uint64_t PosixFileLayer::BufferedCopy(FileHandle from, std::uint64_t from_offset, FileHandle to,
                                           std::uint64_t to_offset, std::uint64_t count) {
  std::vector<char> buffer = CopyBuffer(count);
  std::uint64_t done = 0;
  while (done < count) {
    std::span<char> chunk(buffer.data(), static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), count - done)));
    const std::size_t read = ReadAt(from, from_offset + done, chunk);
    WriteAt(to, to_offset + done, chunk.first(read));
    done += read;
    if (read < chunk.size()) break;
  }
  return done;
}

std::unique_ptr<FileView> PosixFileLayer::Map(FileHandle handle, std::uint64_t size) {
  return PosixFileView::Map(handle, size);
}

void PosixFileLayer::Flush(FileHandle handle) {
  if (::fsync(handle) != 0) throw FileLayerError(errno, HandlePath(handle), "fsync");
}

void PosixFileLayer::StartFlush(FileHandle handle) noexcept {
  // Not every file system has it; the flush after waits for whatever is left.
  (void)::sync_file_range(handle, 0, 0, SYNC_FILE_RANGE_WRITE);
}

namespace {

// Opens the folder ("." for an empty path), runs `flush` on it and closes it;
// returns the errno of a failed flush, 0 when it worked.
template <class Flush>
int FlushOpenFolder(const std::filesystem::path& name, Flush flush) {
  int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) throw FileLayerError(errno, name, "open folder");
  const int result = flush(fd);
  const int error = errno;
  ::close(fd);
  return result != 0 ? error : 0;
}

std::filesystem::path FolderName(const std::filesystem::path& folder) {
  return folder.empty() ? std::filesystem::path(".") : folder;
}

}  // namespace

void PosixFileLayer::FlushFileSystem(const std::filesystem::path& folder) {
  const std::filesystem::path name = FolderName(folder);
  if (const int error = FlushOpenFolder(name, ::syncfs); error != 0) {
    throw FileLayerError(error, name, "flush file system");
  }
}

void PosixFileLayer::FlushFolder(const std::filesystem::path& folder) {
  const std::filesystem::path name = FolderName(folder);
  const int error = FlushOpenFolder(name, ::fsync);
  // Some file systems cannot flush a folder; their names are as safe as they get.
  if (error != 0 && error != EINVAL && error != EROFS) throw FileLayerError(error, name, "fsync folder");
}

std::filesystem::path PosixFileLayer::CreateTemp(const std::filesystem::path& folder, std::string_view prefix) {
  std::string pattern = (folder / (std::string(prefix) + "XXXXXX")).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) throw TempNameError(errno, pattern, "create temporary file");
  ::close(fd);
  return std::filesystem::path(name.data());
}

void PosixFileLayer::Rename(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) throw FileLayerError(errno, to, "rename");
}

void PosixFileLayer::Remove(const std::filesystem::path& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) throw FileLayerError(errno, path, "remove");
}

bool PosixFileLayer::Exists(const std::filesystem::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

bool PosixFileLayer::IsFolder(const std::filesystem::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

FileKind PosixFileLayer::KindOf(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return FileKind::kNone;
  if (S_ISREG(info.st_mode)) return FileKind::kPlain;
  return S_ISDIR(info.st_mode) ? FileKind::kFolder : FileKind::kOther;
}

bool PosixFileLayer::IsWritable(const std::filesystem::path& path) {
  const std::filesystem::path name = path.empty() ? std::filesystem::path(".") : path;
  return ::access(name.c_str(), W_OK) == 0;
}

std::optional<FileTime> PosixFileLayer::ModificationTime(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return static_cast<FileTime>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
}

void PosixFileLayer::CreateFolder(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error && !IsFolder(folder)) throw FileLayerError(error.value(), folder, "create folder");
}

std::vector<FolderEntry> PosixFileLayer::ListFolder(const std::filesystem::path& folder) {
  std::vector<FolderEntry> entries;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code kind_error;
    entries.push_back({it->path().filename().string(), it->is_directory(kind_error)});
  }
  return entries;
}

void PosixFileLayer::RemoveFolder(const std::filesystem::path& folder) {
  if (::rmdir(folder.c_str()) != 0 && errno != ENOENT) throw FileLayerError(errno, folder, "remove folder");
}

namespace {

class PosixFileLock final : public FileLock {
 public:
  explicit PosixFileLock(int fd) : fd_(fd) {}
  ~PosixFileLock() override { ::close(fd_); }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<FileLock> PosixFileLayer::TryLock(const std::filesystem::path& file, std::string_view note,
                                                  std::string& holder_note) {
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) throw FileLayerError(errno, file, "open");
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    char text[64] = {};
    const ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
    ::close(fd);
    holder_note.assign(text, got > 0 ? static_cast<std::size_t>(got) : 0);
    return nullptr;
  }
  // The note only names the holder to a program refused; the lock is the flock.
  if (::ftruncate(fd, 0) == 0) {
    [[maybe_unused]] const ssize_t written = ::pwrite(fd, note.data(), note.size(), 0);
  }
  return std::make_unique<PosixFileLock>(fd);
}

namespace {
FileLayer* g_default_layer = nullptr;
}  // namespace

FileLayer& DefaultFileLayer() {
  static PosixFileLayer posix;
  return g_default_layer != nullptr ? *g_default_layer : posix;
}

void SetDefaultFileLayer(FileLayer* layer) { g_default_layer = layer; }

}  // namespace pellmark::store
