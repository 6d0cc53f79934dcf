// The club's two plain one-record files (club information and view state) are
// read whole and replaced whole.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pellmark {

// The file's bytes, or nullopt when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file);

// Writes `bytes` to a new file beside `file`, flushes it to disk and renames it
// over `file`, so a failure leaves the old file whole. Throws std::system_error.
void ReplaceFileContents(const std::filesystem::path& file, std::string_view bytes);

}  // namespace pellmark
