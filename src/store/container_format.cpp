#include "store/container_format.h"
#include "store/index_codec.h"

#include <algorithm>
#include <cerrno>
#include <span>
#include <string>

#include "store/little_endian.h"
#include "store/qdb_errors.h"

namespace pellmark::store {
namespace {

namespace fs = std::filesystem;

constexpr int kNameAttempts = 100;

void RemoveQuietly(FileLayer& files, const fs::path& name) {
  try {
    files.Remove(name);
  } catch (const FileLayerError&) {
    // Nothing more can be done about a working file that will not go.
  }
}

fs::path FolderOf(const fs::path& name) {
  return name.has_parent_path() ? name.parent_path() : fs::path(".");
}

std::string ReadExactly(FileLayer& files, FileHandle handle, std::uint64_t offset, std::size_t count) {
  std::string bytes(count, '\0');
  bytes.resize(files.ReadAt(handle, offset, bytes));
  return bytes;
}

SectionBytes ReadSection(FileLayer& files, FileHandle handle, std::uint64_t offset, std::size_t count) {
  SectionBytes section{std::make_unique_for_overwrite<char[]>(count), 0};
  section.size = files.ReadAt(handle, offset, std::span<char>(section.bytes.get(), count));
  return section;
}

std::int32_t SectionLength(const fs::path& name, std::uint64_t size) {
  if (size > static_cast<std::uint64_t>(INT32_MAX)) throw EQDBFileError(QdbText(kTextCannotExtend, name.string()));
  return static_cast<std::int32_t>(size);
}

}  // namespace

fs::path WorkingFolder(FileLayer& files, const fs::path& setting) {
  if (!setting.empty() && files.IsFolder(setting)) return setting;
  return fs::temp_directory_path();
}

fs::path IndexNameFor(const fs::path& data_file) {
  return data_file.parent_path() / ("QIX" + data_file.filename().string().substr(3));
}

void CreateEmpty(FileLayer& files, const fs::path& name) {
  if (files.Exists(name)) throw FileLayerError(EEXIST, name, "create");
  fs::path fresh;
  try {
    fresh = files.CreateTemp(FolderOf(name), "QDD");
  } catch (const TempNameError& error) {
    // The store file is what cannot be created (a missing folder, a full disk).
    throw FileLayerError(error.ErrorNumber(), name, "create");
  }
  try {
    {
      OpenFile file(files, fresh, OpenMode::kReadWrite);
      files.WriteAt(file.Handle(), 0, kEmptyContainer);
    }
    ReplaceFile(files, fresh, name);
  } catch (...) {
    RemoveQuietly(files, fresh);
    throw;
  }
}

WorkingFiles CreateWorkingFiles(FileLayer& files, const fs::path& folder) {
  for (int attempt = 0;; ++attempt) {
    fs::path data = files.CreateTemp(folder, "QDB");
    try {
      files.Close(files.Open(IndexNameFor(data), OpenMode::kCreateNew));
      return {data, IndexNameFor(data)};
    } catch (const FileLayerError& error) {
      RemoveQuietly(files, data);
      if (error.ErrorNumber() != EEXIST || attempt == kNameAttempts) throw;
    }
  }
}

void RemoveWorkingFiles(FileLayer& files, const WorkingFiles& working) {
  RemoveQuietly(files, working.data);
  RemoveQuietly(files, working.index);
}

namespace {

// The frame of a container: where its data and index sections lie. The
// whole frame is checked against the file's size before anything is read.
struct ContainerFrame {
  std::uint64_t data_length;
  std::uint64_t index_at;
  std::uint64_t index_length;
};

ContainerFrame ReadContainerFrame(FileLayer& files, FileHandle in, const fs::path& name) {
  const std::uint64_t size = files.Size(in);
  auto invalid = [&] { return EQDBFileError(QdbText(kTextNotValid, name.string())); };
  const std::string head = ReadExactly(files, in, 0, 8);
  if (head.size() < 8 || std::string_view(head).substr(0, 4) != kQdbMarker) throw invalid();
  // A password container would need the store's own scrambling, which is not read.
  if (std::string_view(head).substr(4, 4) == kQpwMarker) throw invalid();
  const std::int64_t data_length = ReadLittle<std::int32_t>(head.data() + 4);
  if (data_length < 0 || 8 + static_cast<std::uint64_t>(data_length) + 8 > size) throw invalid();
  const std::uint64_t index_at = 8 + static_cast<std::uint64_t>(data_length);
  const std::string frame = ReadExactly(files, in, index_at, 8);
  if (frame.size() < 8 || std::string_view(frame).substr(0, 4) != kQixMarker) throw invalid();
  const std::int64_t index_length = ReadLittle<std::int32_t>(frame.data() + 4);
  if (index_length < 0 || index_at + 8 + static_cast<std::uint64_t>(index_length) > size) throw invalid();
  return {static_cast<std::uint64_t>(data_length), index_at, static_cast<std::uint64_t>(index_length)};
}

}  // namespace

void CheckContainer(FileLayer& files, const fs::path& name) {
  OpenFile container(files, name, OpenMode::kRead);
  const FileHandle in = container.Handle();
  const ContainerFrame frame = ReadContainerFrame(files, in, name);
  const SectionBytes index = ReadSection(files, in, frame.index_at + 8, static_cast<std::size_t>(frame.index_length));
  if (index.size != frame.index_length) throw EQDBFileError(QdbText(kTextNotValid, name.string()));
  DecodeIndex(index.View(), frame.data_length);
}

SplitStore Split(FileLayer& files, const fs::path& name, const fs::path& folder) {
  OpenFile container(files, name, OpenMode::kRead);
  const FileHandle in = container.Handle();
  // The whole frame is checked before any working file exists.
  const auto [data_length, index_at, index_length] = ReadContainerFrame(files, in, name);

  SplitStore split{CreateWorkingFiles(files, folder), {}};
  try {
    {
      OpenFile data(files, split.working.data, OpenMode::kReadWrite);
      CopyBytes(files, in, 8, data.Handle(), 0, static_cast<std::uint64_t>(data_length));
    }
    split.index = ReadSection(files, in, index_at + 8, static_cast<std::size_t>(index_length));
    if (split.index.size != static_cast<std::size_t>(index_length)) {
      throw FileLayerError(EIO, name, "read (the file ended early)");
    }
    OpenFile index(files, split.working.index, OpenMode::kReadWrite);
    files.WriteAt(index.Handle(), 0, split.index.View());
  } catch (...) {
    RemoveWorkingFiles(files, split.working);
    throw;
  }
  return split;
}

std::uint64_t WriteContainer(FileLayer& files, FileHandle data, std::uint64_t data_length, FileHandle index,
                             std::uint64_t index_length, FileHandle out, const fs::path& name) {
  const std::int32_t data_section = SectionLength(name, data_length);
  const std::int32_t index_section = SectionLength(name, index_length);
  std::string head(kQdbMarker);
  AppendLittle<std::int32_t>(head, data_section);
  files.WriteAt(out, 0, head);
  std::uint64_t at = head.size();
  CopyBytes(files, data, 0, out, at, data_length);
  at += data_length;
  std::string frame(kQixMarker);
  AppendLittle<std::int32_t>(frame, index_section);
  files.WriteAt(out, at, frame);
  at += frame.size();
  CopyBytes(files, index, 0, out, at, index_length);
  return at + index_length;
}

void Join(FileLayer& files, const WorkingFiles& working, const fs::path& target,
          std::optional<std::uint64_t> data_length_wanted, std::optional<std::uint64_t> index_length_wanted) {
  const fs::path folder = FolderOf(target);
  const fs::path joined = files.CreateTemp(folder, "QDD");
  try {
    {
      OpenFile out(files, joined, OpenMode::kReadWrite);
      OpenFile data(files, working.data, OpenMode::kRead);
      OpenFile index(files, working.index, OpenMode::kRead);
      WriteContainer(files, data.Handle(), data_length_wanted ? *data_length_wanted : files.Size(data.Handle()),
                     index.Handle(), index_length_wanted ? *index_length_wanted : files.Size(index.Handle()),
                     out.Handle(), target);
      files.Flush(out.Handle());
    }
    // The new container's bytes are on disk; its name need not be, as the
    // rename replaces it and the folder is flushed after that.
    ReplaceFile(files, joined, target);
  } catch (...) {
    RemoveQuietly(files, joined);
    throw;
  }
  files.FlushFolder(folder);
}

void ReplaceFile(FileLayer& files, const fs::path& source, const fs::path& target) {
  files.Rename(source, target);
}

void CopyBytes(FileLayer& files, FileHandle from, std::uint64_t from_offset, FileHandle to, std::uint64_t to_offset,
               std::uint64_t count) {
  if (files.CopyRange(from, from_offset, to, to_offset, count) != count) {
    throw FileLayerError(EIO, "", "read (the file ended early)");
  }
}

fs::path FreeOverwriteName(FileLayer& files, const fs::path& name) {
  fs::path candidate = name;
  while (files.Exists(candidate)) candidate = candidate.parent_path() / ("1." + candidate.filename().string());
  return candidate;
}

}  // namespace pellmark::store
