#include "store/open_marker.h"

#include <sstream>

#include "store/index_codec.h"
#include "store/whole_files.h"

namespace pellmark::store {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kMarkerTitle = "pellmark store working files";
constexpr std::size_t kLongestWriteInPlace = 512;

std::string MarkerText(const WorkingFiles& working) {
  // Absolute names: the next open may run from another working directory.
  return std::string(kMarkerTitle) + "\ndata=" + fs::absolute(working.data).string() +
         "\nindex=" + fs::absolute(working.index).string() + "\n";
}

// Writes `text` over the start of an existing file.
void WriteFromStart(FileLayer& files, const fs::path& file, std::string_view text) {
  OpenFile out(files, file, OpenMode::kReadWrite);
  files.WriteAt(out.Handle(), 0, text);
}

}  // namespace

fs::path OpenMarkerFor(const fs::path& store_file) {
  return store_file.parent_path() / ("." + store_file.filename().string() + ".open");
}

void WriteOpenMarker(FileLayer& files, const fs::path& marker, const WorkingFiles& working) {
  const std::string text = MarkerText(working);
  const fs::path folder = marker.has_parent_path() ? marker.parent_path() : fs::path(".");
  const fs::path fresh = files.CreateTemp(folder, marker.filename().string() + ".");
  try {
    WriteFromStart(files, fresh, text);
    files.Rename(fresh, marker);
  } catch (...) {
    try {
      files.Remove(fresh);
    } catch (const FileLayerError&) {
      // A stray temporary marker holds nothing of value.
    }
    throw;
  }
}

void RepointOpenMarker(FileLayer& files, const fs::path& marker, const WorkingFiles& old, const WorkingFiles& now) {
  const std::string text = MarkerText(now);
  // A write within the first page cannot be cut in two by the death of the process.
  if (text.size() != MarkerText(old).size() || text.size() > kLongestWriteInPlace) {
    return WriteOpenMarker(files, marker, now);
  }
  WriteFromStart(files, marker, text);
}

std::optional<WorkingFiles> ReadOpenMarker(FileLayer& files, const fs::path& marker) {
  std::istringstream text(ReadWholeFile(files, marker));
  std::string line;
  if (!std::getline(text, line) || line != kMarkerTitle) return std::nullopt;
  WorkingFiles working;
  while (std::getline(text, line)) {
    if (line.starts_with("data=")) working.data = line.substr(5);
    if (line.starts_with("index=")) working.index = line.substr(6);
  }
  if (working.data.empty() || working.index.empty()) return std::nullopt;
  // A relative name, written by an older version, was relative to the working
  // directory of the program that wrote it; when that does not find the file,
  // the marker's folder is the likely base.
  for (fs::path* name : {&working.data, &working.index}) {
    if (name->is_relative() && !files.Exists(*name)) *name = marker.parent_path() / *name;
  }
  return working;
}

std::string CheckWorkingFiles(FileLayer& files, const WorkingFiles& working) {
  if (!files.Exists(working.data) && !files.Exists(working.index)) return std::string(kBothWorkingFilesGone);
  for (const fs::path& file : {working.data, working.index}) {
    if (!files.Exists(file)) return "the working file " + file.string() + " is missing";
  }
  try {
    std::uint64_t data_size = 0;
    {
      OpenFile data(files, working.data, OpenMode::kRead);
      data_size = files.Size(data.Handle());
    }
    DecodeIndex(ReadWholeFile(files, working.index), data_size);
  } catch (const InvalidIndex& error) {
    return std::string("the index working file is not consistent: ") + error.what();
  } catch (const FileLayerError& error) {
    return std::string("the working files cannot be read: ") + error.what();
  }
  return {};
}

}  // namespace pellmark::store
