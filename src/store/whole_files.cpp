#include "store/whole_files.h"

#include <cerrno>

namespace pellmark::store {
namespace {

namespace fs = std::filesystem;

// Runs `step`; its failure is reported as `what` of `name`, the words the user reads.
template <class Step>
void Reworded(std::string_view what, const fs::path& name, Step&& step) {
  try {
    step();
  } catch (const FileLayerError& error) {
    throw FileLayerError(error.ErrorNumber(), name, what);
  }
}

// Writes "<file>.new" through `write`, flushes it, renames it over `file` and
// flushes the folder.
template <class Write>
void ReplaceAtomically(FileLayer& files, const fs::path& file, Write&& write) {
  fs::path fresh = file;
  fresh += ".new";
  try {
    {
      std::optional<OpenFile> out;
      Reworded("Could not create", fresh, [&] { out.emplace(files, fresh, OpenMode::kCreate); });
      Reworded("Could not write", fresh, [&] {
        write(out->Handle());
        files.Flush(out->Handle());
      });
    }
    Reworded("Could not replace", file, [&] { files.Rename(fresh, file); });
  } catch (...) {
    try {
      files.Remove(fresh);
    } catch (const FileLayerError&) {
      // The first failure is the one to report.
    }
    throw;
  }
  try {
    files.FlushFolder(file.parent_path());
  } catch (const FileLayerError&) {
    // The file is replaced already; only its new name might not outlast a
    // power cut, and reporting a failure would say the save did not happen.
  }
}

}  // namespace

void SaveFileAtomically(FileLayer& files, const fs::path& file, std::string_view bytes) {
  ReplaceAtomically(files, file, [&](FileHandle out) { files.WriteAt(out, 0, bytes); });
}

void CopyFileAtomically(FileLayer& files, const fs::path& from, const fs::path& file) {
  std::optional<OpenFile> in;
  Reworded("Could not open", from, [&] { in.emplace(files, from, OpenMode::kRead); });
  const std::uint64_t size = files.Size(in->Handle());
  ReplaceAtomically(files, file, [&](FileHandle out) {
    std::uint64_t done = 0;
    while (done < size) {
      const std::uint64_t copied = files.CopyRange(in->Handle(), done, out, done, size - done);
      if (copied == 0) throw FileLayerError(EIO, from, "read (the file ended early)");
      done += copied;
    }
  });
}

std::string ReadWholeFile(FileLayer& files, const fs::path& file) {
  OpenFile in(files, file, OpenMode::kRead);
  std::string bytes(static_cast<std::size_t>(files.Size(in.Handle())), '\0');
  if (files.ReadAt(in.Handle(), 0, bytes) != bytes.size()) throw FileLayerError(EIO, file, "read (the file ended early)");
  return bytes;
}

std::optional<std::string> TryReadWholeFile(FileLayer& files, const fs::path& file) {
  try {
    return ReadWholeFile(files, file);
  } catch (const FileLayerError&) {
    return std::nullopt;
  }
}

}  // namespace pellmark::store
