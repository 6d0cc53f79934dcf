// Files read whole and replaced whole through the file layer: the club's
// one-record files, the store's markers and index working files.
//
//   SaveFileAtomically(files, club / "clubinfo.qdb", bytes);  // old or new, never half
//   std::optional<std::string> bytes = TryReadWholeFile(files, club / "clubinfo.qdb");
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "store/file_layer.h"

namespace pellmark::store {

// Writes `bytes` to "<file>.new" beside `file`, flushes it to disk, renames it
// over `file` and flushes the folder, so that `file` holds its old bytes or the
// new ones and nothing in between. On failure "<file>.new" is removed and a
// FileLayerError names what could not be done: "Could not create" or "Could not
// write" the new file, or "Could not replace" `file`.
void SaveFileAtomically(FileLayer& files, const std::filesystem::path& file, std::string_view bytes);

// The same for a copy of the file `from`, copied inside the kernel where the
// file system allows: "Could not open" `from`, then the failures above.
void CopyFileAtomically(FileLayer& files, const std::filesystem::path& from, const std::filesystem::path& file);

// The whole contents of a file; a FileLayerError when it cannot be opened or read.
std::string ReadWholeFile(FileLayer& files, const std::filesystem::path& file);

// The whole contents of a file, or nullopt when it is missing or cannot be read.
std::optional<std::string> TryReadWholeFile(FileLayer& files, const std::filesystem::path& file);

}  // namespace pellmark::store
