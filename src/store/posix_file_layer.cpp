#include "store/posix_file_layer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace pellmark::store {
namespace {

// The handle of a failed call is reported with the path it was opened with.
std::filesystem::path HandlePath(FileHandle handle) {
  return "file handle " + std::to_string(handle);
}

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

void PosixFileLayer::Flush(FileHandle handle) {
  if (::fsync(handle) != 0) throw FileLayerError(errno, HandlePath(handle), "fsync");
}

void PosixFileLayer::FlushFolder(const std::filesystem::path& folder) {
  const std::filesystem::path name = folder.empty() ? std::filesystem::path(".") : folder;
  int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) throw FileLayerError(errno, name, "open folder");
  int result = ::fsync(fd);
  int error = errno;
  ::close(fd);
  // Some file systems cannot flush a folder; their names are as safe as they get.
  if (result != 0 && error != EINVAL && error != EROFS) throw FileLayerError(error, name, "fsync folder");
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

bool PosixFileLayer::IsWritable(const std::filesystem::path& path) {
  const std::filesystem::path name = path.empty() ? std::filesystem::path(".") : path;
  return ::access(name.c_str(), W_OK) == 0;
}

std::optional<FileTime> PosixFileLayer::ModificationTime(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return static_cast<FileTime>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
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
