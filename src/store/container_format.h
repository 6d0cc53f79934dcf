// The container file (".qdb") and its two working files. A container is the
// "QDB" marker, the data length and data section, the "QIX" marker, the index
// length and index section; the container ends after the index section.
// Opening splits it into a data working file and an index working file;
// closing joins them into a new container that replaces the store file.
//
//   CreateEmpty(files, "/club/clubmem.qdb");              // the 21-byte container
//   SplitStore s = Split(files, "/club/clubmem.qdb", WorkingFolder(files, {}));
//   ... change s.working.data and s.working.index ...
//   Join(files, s.working, "/club/clubmem.qdb");           // atomic replacement
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "store/file_layer.h"

namespace pellmark::store {

inline constexpr std::string_view kQdbMarker{"QDB\0", 4};
inline constexpr std::string_view kQixMarker{"QIX\0", 4};
inline constexpr std::string_view kQpwMarker{"QPW\0", 4};
inline constexpr std::string_view kEmptyContainer{
    "QDB\0" "\0\0\0\0" "QIX\0" "\x05\0\0\0" "\0\0\0\0" "\0", 21};

struct WorkingFiles {
  std::filesystem::path data;
  std::filesystem::path index;
};

// The folder for working files: `setting` when it names an existing folder,
// else the system's temporary folder.
std::filesystem::path WorkingFolder(FileLayer& files, const std::filesystem::path& setting);

// The index working file that belongs to a data working file: "QIX" and the
// rest of the data file's name, in the same folder.
std::filesystem::path IndexNameFor(const std::filesystem::path& data_file);

// Writes the empty container under a temporary name and renames it: a crash
// leaves no file or a whole one, never a file of 0 bytes. Fails when `name` exists.
void CreateEmpty(FileLayer& files, const std::filesystem::path& name);

// A new empty pair of working files inside `folder`: "QDB" plus a unique rest,
// and its "QIX" partner.
WorkingFiles CreateWorkingFiles(FileLayer& files, const std::filesystem::path& folder);

// Removes both working files; failures are ignored (nothing more can be done).
void RemoveWorkingFiles(FileLayer& files, const WorkingFiles& working);

// Bytes of a file section, read into memory that is not zero-filled first: an
// index section of a million entries is 30 MB.
struct SectionBytes {
  std::unique_ptr<char[]> bytes;
  std::size_t size = 0;
  std::string_view View() const { return {bytes.get(), size}; }
};

struct SplitStore {
  WorkingFiles working;
  SectionBytes index;  // the index section, as written to the index working file
};

// Checks the container and copies its sections into new working files inside
// `folder`. A bad container raises EQDBFileError "The file %s is not a valid
// QDB file" before any working file exists; on any failure none is left.
SplitStore Split(FileLayer& files, const std::filesystem::path& name, const std::filesystem::path& folder);

// Checks a container file as Split does, and its index entries as an open
// does, without copying anything: EQDBFileError "The file %s is not a valid
// QDB file" for a bad frame, InvalidIndex for a bad index, FileLayerError when
// it cannot be read.
void CheckContainer(FileLayer& files, const std::filesystem::path& name);

// Writes a new container from the working files beside `target`, flushes it,
// renames it over `target` and flushes the folder. On failure the new
// container is removed and `target` is as it was. With `data_length` and
// `index_length`, only that many bytes of each working file are taken (the
// rest is not part of the commit being joined).
void Join(FileLayer& files, const WorkingFiles& working, const std::filesystem::path& target,
          std::optional<std::uint64_t> data_length = std::nullopt,
          std::optional<std::uint64_t> index_length = std::nullopt);

// Writes a container into `out` from its start: the first `data_length`
// bytes of `data` as the data section and the first `index_length` bytes of
// `index` as the index section. Returns the container's length; nothing is
// flushed. A section too long for a container is EQDBFileError "Unable to
// extend the file %s" naming `name`.
std::uint64_t WriteContainer(FileLayer& files, FileHandle data, std::uint64_t data_length, FileHandle index,
                             std::uint64_t index_length, FileHandle out, const std::filesystem::path& name);

// Renames `source` over `target` (both in one folder).
void ReplaceFile(FileLayer& files, const std::filesystem::path& source, const std::filesystem::path& target);

// Copies `count` bytes between open files (FileLayer::CopyRange); a source
// that ends early is an EIO FileLayerError.
void CopyBytes(FileLayer& files, FileHandle from, std::uint64_t from_offset, FileHandle to, std::uint64_t to_offset,
               std::uint64_t count);

// `name` itself when no file of that name exists, else "1." in front of its
// file name, again and again, until none does: 1.clubmem.qdb, 1.1.clubmem.qdb.
std::filesystem::path FreeOverwriteName(FileLayer& files, const std::filesystem::path& name);

}  // namespace pellmark::store
