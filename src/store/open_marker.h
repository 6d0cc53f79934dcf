// While a store is open, a small marker beside its file names the working
// files that hold its changes. A program that dies leaves the marker behind;
// the next open of the store finds it and, when the working files are
// consistent (the index loads and every entry lies inside the data file),
// joins them into the store file before opening it.
//
//   ".clubmem.qdb.open" beside "clubmem.qdb":
//     pellmark store working files
//     data=/club/.pellmark-work/QDBa1B2c3
//     index=/club/.pellmark-work/QIXa1B2c3
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "store/container_format.h"
#include "store/file_layer.h"

namespace pellmark::store {

std::filesystem::path OpenMarkerFor(const std::filesystem::path& store_file);

// Written to a temporary name and renamed, so a marker is whole or absent.
void WriteOpenMarker(FileLayer& files, const std::filesystem::path& marker, const WorkingFiles& working);

// Points an existing marker that names `old` at `now` instead. When the names
// are as long as before (temporary names always are), the new text is written
// over the old in one small write: the death of the process leaves the old
// text or the new, and no rename (which costs a flush of the renamed file on
// some file systems) is needed. Otherwise the marker is written anew.
void RepointOpenMarker(FileLayer& files, const std::filesystem::path& marker, const WorkingFiles& old,
                       const WorkingFiles& now);

// The working files a marker names; nothing when it cannot be read.
std::optional<WorkingFiles> ReadOpenMarker(FileLayer& files, const std::filesystem::path& marker);

// What CheckWorkingFiles says when neither working file exists: the session
// had removed them while closing, or the temporary folder was emptied.
inline constexpr std::string_view kBothWorkingFilesGone = "both working files are gone";

// Empty when the working files form a store that can be joined, else what is wrong.
std::string CheckWorkingFiles(FileLayer& files, const WorkingFiles& working);

}  // namespace pellmark::store
