#include "store/memory_file_layer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>

namespace pellmark::store {
namespace {

std::string Name(const std::filesystem::path& path) {
  std::string name = path.lexically_normal().string();
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  return name;
}

std::string Parent(const std::string& name) { return std::filesystem::path(name).parent_path().string(); }

// The file a view was made of; bytes written later show in it, as in a shared mapping.
class MemoryFileView final : public FileView {
 public:
  MemoryFileView(std::shared_ptr<MemoryFileLayer::File> file, std::uint64_t size, std::mutex& mutex)
      : file_(std::move(file)), size_(size), mutex_(mutex) {}
  std::uint64_t Size() const override { return size_; }
  bool CopyAt(std::uint64_t offset, std::span<char> out) const override {
    std::lock_guard lock(mutex_);
    if (offset + out.size() > size_ || offset + out.size() > file_->bytes.size()) return false;
    std::memcpy(out.data(), file_->bytes.data() + offset, out.size());
    return true;
  }
  void Prefetch(std::uint64_t) const override {}

 private:
  std::shared_ptr<MemoryFileLayer::File> file_;
  std::uint64_t size_;
  std::mutex& mutex_;
};

}  // namespace

bool MemoryFileLayer::FolderExists(const std::string& name) const {
  return name.empty() || name == "/" || folders_.contains(name);
}

void MemoryFileLayer::RequireParent(const std::string& name, std::string_view operation) const {
  if (!FolderExists(Parent(name))) throw FileLayerError(ENOENT, name, operation);
}

void MemoryFileLayer::Touch(File& file) { file.modified = clock_++; }

bool MemoryFileLayer::UnderAFile(const std::string& name) const {
  for (std::string parent = Parent(name); !parent.empty() && parent != "/"; parent = Parent(parent)) {
    if (files_.contains(parent)) return true;
  }
  return false;
}

MemoryFileLayer::Handle& MemoryFileLayer::Opened(FileHandle handle) {
  const auto found = handles_.find(handle);
  if (found == handles_.end()) throw FileLayerError(EBADF, "file handle " + std::to_string(handle), "use");
  return found->second;
}

FileHandle MemoryFileLayer::Open(const std::filesystem::path& path, OpenMode mode) {
  std::lock_guard lock(mutex_);
  const std::string name = Name(path);
  if (folders_.contains(name)) throw FileLayerError(EISDIR, path, "open");
  auto found = files_.find(name);
  switch (mode) {
    case OpenMode::kRead:
    case OpenMode::kReadWrite:
      if (found == files_.end()) throw FileLayerError(ENOENT, path, "open");
      break;
    case OpenMode::kCreate:
      RequireParent(name, "open");
      if (found == files_.end()) {
        found = files_.emplace(name, std::make_shared<File>()).first;
      } else {
        found->second->bytes.clear();
      }
      Touch(*found->second);
      break;
    case OpenMode::kCreateNew:
      RequireParent(name, "open");
      if (found != files_.end()) throw FileLayerError(EEXIST, path, "open");
      found = files_.emplace(name, std::make_shared<File>()).first;
      Touch(*found->second);
      break;
  }
  const FileHandle handle = next_handle_++;
  handles_.emplace(handle, Handle{found->second, mode != OpenMode::kRead});
  return handle;
}

void MemoryFileLayer::Close(FileHandle handle) noexcept {
  std::lock_guard lock(mutex_);
  handles_.erase(handle);
}

std::size_t MemoryFileLayer::ReadAt(FileHandle handle, std::uint64_t offset, std::span<char> buffer) {
  std::lock_guard lock(mutex_);
  const std::string& bytes = Opened(handle).file->bytes;
  if (offset >= bytes.size()) return 0;
  const std::size_t count = std::min<std::uint64_t>(buffer.size(), bytes.size() - offset);
  std::memcpy(buffer.data(), bytes.data() + offset, count);
  return count;
}

void MemoryFileLayer::WriteAt(FileHandle handle, std::uint64_t offset, std::span<const char> bytes) {
  std::lock_guard lock(mutex_);
  Handle& opened = Opened(handle);
  if (!opened.writable) throw FileLayerError(EBADF, "file handle " + std::to_string(handle), "write");
  if (bytes.empty()) return;
  std::string& contents = opened.file->bytes;
  if (contents.size() < offset + bytes.size()) contents.resize(offset + bytes.size(), '\0');
  std::copy(bytes.begin(), bytes.end(), contents.begin() + static_cast<std::ptrdiff_t>(offset));
  Touch(*opened.file);
}

std::uint64_t MemoryFileLayer::Size(FileHandle handle) {
  std::lock_guard lock(mutex_);
  return Opened(handle).file->bytes.size();
}

std::uint64_t MemoryFileLayer::CopyRange(FileHandle from, std::uint64_t from_offset, FileHandle to,
                                         std::uint64_t to_offset, std::uint64_t count) {
  std::string bytes;
  {
    std::lock_guard lock(mutex_);
    const std::string& source = Opened(from).file->bytes;
    if (from_offset < source.size()) bytes = source.substr(from_offset, count);
  }
  WriteAt(to, to_offset, bytes);
  return bytes.size();
}

std::unique_ptr<FileView> MemoryFileLayer::Map(FileHandle handle, std::uint64_t size) {
  std::lock_guard lock(mutex_);
  return std::make_unique<MemoryFileView>(Opened(handle).file, size, mutex_);
}

void MemoryFileLayer::Flush(FileHandle handle) {
  std::lock_guard lock(mutex_);
  Opened(handle);
}

void MemoryFileLayer::FlushFileSystem(const std::filesystem::path& folder) { FlushFolder(folder); }

void MemoryFileLayer::FlushFolder(const std::filesystem::path& folder) {
  std::lock_guard lock(mutex_);
  if (!FolderExists(Name(folder))) throw FileLayerError(ENOENT, folder, "open folder");
}

std::filesystem::path MemoryFileLayer::CreateTemp(const std::filesystem::path& folder, std::string_view prefix) {
  std::lock_guard lock(mutex_);
  if (!FolderExists(Name(folder))) throw TempNameError(ENOENT, folder / prefix, "create temporary file");
  std::string name;
  do {
    const std::string number = std::to_string(next_temp_++);
    name = Name(folder / (std::string(prefix) + std::string(number.size() < 6 ? 6 - number.size() : 0, '0') + number));
  } while (files_.contains(name) || folders_.contains(name));
  auto file = std::make_shared<File>();
  Touch(*file);
  files_.emplace(name, std::move(file));
  return name;
}

void MemoryFileLayer::Rename(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::lock_guard lock(mutex_);
  const std::string source = Name(from), target = Name(to);
  const bool source_is_file = files_.contains(source);
  if (!source_is_file && !folders_.contains(source)) throw FileLayerError(ENOENT, to, "rename");
  if (source == target) return;
  RequireParent(target, "rename");
  if (source_is_file) {
    if (folders_.contains(target)) throw FileLayerError(EISDIR, to, "rename");
    files_[target] = files_[source];
    files_.erase(source);
    return;
  }
  if (files_.contains(target)) throw FileLayerError(ENOTDIR, to, "rename");
  const std::string prefix = source + "/";
  if (target.starts_with(prefix)) throw FileLayerError(EINVAL, to, "rename");
  if (folders_.contains(target)) {
    // A folder replaces only an empty one.
    const std::string inside = target + "/";
    const auto under = [&](const std::string& name) { return name.starts_with(inside); };
    if (std::any_of(files_.begin(), files_.end(), [&](const auto& f) { return under(f.first); }) ||
        std::any_of(folders_.begin(), folders_.end(), under)) {
      throw FileLayerError(ENOTEMPTY, to, "rename");
    }
    folders_.erase(target);
  }
  // A folder moves with everything under it.
  std::map<std::string, std::shared_ptr<File>> moved_files;
  for (auto it = files_.begin(); it != files_.end();) {
    if (it->first.starts_with(prefix)) {
      moved_files.emplace(target + "/" + it->first.substr(prefix.size()), it->second);
      it = files_.erase(it);
    } else {
      ++it;
    }
  }
  std::set<std::string> moved_folders{target};
  for (auto it = folders_.begin(); it != folders_.end();) {
    if (*it == source || it->starts_with(prefix)) {
      if (*it != source) moved_folders.insert(target + "/" + it->substr(prefix.size()));
      it = folders_.erase(it);
    } else {
      ++it;
    }
  }
  files_.merge(moved_files);
  folders_.merge(moved_folders);
}

void MemoryFileLayer::Remove(const std::filesystem::path& path) {
  std::lock_guard lock(mutex_);
  const std::string name = Name(path);
  if (folders_.contains(name)) throw FileLayerError(EISDIR, path, "remove");
  if (UnderAFile(name)) throw FileLayerError(ENOTDIR, path, "remove");
  files_.erase(name);
}

bool MemoryFileLayer::Exists(const std::filesystem::path& path) {
  std::lock_guard lock(mutex_);
  const std::string name = Name(path);
  return files_.contains(name) || FolderExists(name);
}

bool MemoryFileLayer::IsFolder(const std::filesystem::path& path) {
  std::lock_guard lock(mutex_);
  return FolderExists(Name(path));
}

FileKind MemoryFileLayer::KindOf(const std::filesystem::path& path) {
  std::lock_guard lock(mutex_);
  const std::string name = Name(path);
  if (files_.contains(name)) return FileKind::kPlain;
  return FolderExists(name) ? FileKind::kFolder : FileKind::kNone;
}

bool MemoryFileLayer::IsWritable(const std::filesystem::path& path) { return Exists(path); }

std::optional<FileTime> MemoryFileLayer::ModificationTime(const std::filesystem::path& path) {
  std::lock_guard lock(mutex_);
  const auto found = files_.find(Name(path));
  if (found == files_.end()) return std::nullopt;
  return found->second->modified;
}

void MemoryFileLayer::CreateFolder(const std::filesystem::path& folder) {
  std::lock_guard lock(mutex_);
  std::vector<std::string> missing;
  for (std::string name = Name(folder); !FolderExists(name); name = Parent(name)) {
    if (files_.contains(name)) throw FileLayerError(missing.empty() ? EEXIST : ENOTDIR, folder, "create folder");
    missing.push_back(name);
  }
  folders_.insert(missing.begin(), missing.end());
}

std::vector<FolderEntry> MemoryFileLayer::ListFolder(const std::filesystem::path& folder) {
  std::lock_guard lock(mutex_);
  std::vector<FolderEntry> entries;
  const std::string name = Name(folder);
  if (!FolderExists(name)) return entries;
  for (const auto& [file, contents] : files_) {
    if (Parent(file) == name) entries.push_back({std::filesystem::path(file).filename().string(), false});
  }
  for (const std::string& sub : folders_) {
    if (Parent(sub) == name) entries.push_back({std::filesystem::path(sub).filename().string(), true});
  }
  return entries;
}

void MemoryFileLayer::RemoveFolder(const std::filesystem::path& folder) {
  std::lock_guard lock(mutex_);
  const std::string name = Name(folder);
  if (files_.contains(name) || UnderAFile(name)) throw FileLayerError(ENOTDIR, folder, "remove folder");
  if (!folders_.contains(name)) return;
  const std::string prefix = name + "/";
  const bool empty = std::none_of(files_.begin(), files_.end(), [&](const auto& f) { return f.first.starts_with(prefix); }) &&
                     std::none_of(folders_.begin(), folders_.end(), [&](const auto& f) { return f.starts_with(prefix); });
  if (!empty) throw FileLayerError(ENOTEMPTY, folder, "remove folder");
  folders_.erase(name);
}

namespace {

class MemoryFileLock final : public FileLock {
 public:
  MemoryFileLock(std::shared_ptr<void> table, std::function<void()> release)
      : table_(std::move(table)), release_(std::move(release)) {}
  ~MemoryFileLock() override { release_(); }

 private:
  std::shared_ptr<void> table_;
  std::function<void()> release_;
};

}  // namespace

std::unique_ptr<FileLock> MemoryFileLayer::TryLock(const std::filesystem::path& file, std::string_view note,
                                                   std::string& holder_note) {
  const std::string name = Name(file);
  {
    std::lock_guard lock(locks_->mutex);
    if (locks_->held.contains(name)) {
      holder_note = Contents(file).value_or("");
      return nullptr;
    }
  }
  {
    OpenFile opened(*this, file, OpenMode::kCreate);
    WriteAt(opened.Handle(), 0, std::span<const char>(note.data(), note.size()));
  }
  std::lock_guard lock(locks_->mutex);
  locks_->held.insert(name);
  Locks* locks = locks_.get();
  return std::make_unique<MemoryFileLock>(locks_, [locks, name] {
    std::lock_guard release(locks->mutex);
    locks->held.erase(name);
  });
}

std::optional<std::string> MemoryFileLayer::Contents(const std::filesystem::path& path) const {
  std::lock_guard lock(mutex_);
  const auto found = files_.find(Name(path));
  if (found == files_.end()) return std::nullopt;
  return found->second->bytes;
}

std::map<std::string, std::string> MemoryFileLayer::FilesUnder(const std::filesystem::path& folder) const {
  std::lock_guard lock(mutex_);
  const std::string prefix = Name(folder) + "/";
  std::map<std::string, std::string> under;
  for (const auto& [name, file] : files_) {
    if (name.starts_with(prefix)) under.emplace(name.substr(prefix.size()), file->bytes);
  }
  return under;
}

}  // namespace pellmark::store
