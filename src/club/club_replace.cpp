#include "club/club_replace.h"

#include <fmt/format.h>

#include <algorithm>
#include <optional>
#include <sstream>

#include "store/container_format.h"
#include "store/whole_files.h"

namespace pellmark {
namespace {

namespace fs = std::filesystem;

constexpr const char* kJournalHead = "pellmark replace";
constexpr const char* kStagedPrefix = "replace.";

fs::path StagedName(const fs::path& working_folder, const std::string& file) {
  return working_folder / (kStagedPrefix + file);
}

void Stage(store::FileLayer& files, const fs::path& working_folder, const FileReplacement& item) {
  const fs::path staged = StagedName(working_folder, item.file);
  switch (item.kind) {
    case FileReplacement::Kind::kCopy: {
      store::OpenFile in(files, item.source, store::OpenMode::kRead);
      store::OpenFile out(files, staged, store::OpenMode::kCreate);
      store::CopyBytes(files, in.Handle(), 0, out.Handle(), 0, files.Size(in.Handle()));
      files.Flush(out.Handle());
      break;
    }
    case FileReplacement::Kind::kEmpty:
      if (files.Exists(staged)) files.Remove(staged);
      store::CreateEmpty(files, staged);
      break;
    case FileReplacement::Kind::kRemove:
      break;
  }
}

struct Journal {
  std::string kept;
  std::vector<std::string> put;     // staged files moved into the club folder
  std::vector<std::string> remove;  // club files moved out only
};

// A file name the journal may name: one plain name, never a path.
bool PlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

std::optional<Journal> DecodeJournal(const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  if (!std::getline(lines, line) || line != kJournalHead) return std::nullopt;
  Journal journal;
  while (std::getline(lines, line)) {
    if (line == "end") return PlainName(journal.kept) ? std::optional<Journal>(journal) : std::nullopt;
    const std::size_t space = line.find(' ');
    if (space == std::string::npos) return std::nullopt;
    const std::string word = line.substr(0, space);
    const std::string name = line.substr(space + 1);
    if (!PlainName(name)) return std::nullopt;
    if (word == "kept") {
      journal.kept = name;
    } else if (word == "put") {
      journal.put.push_back(name);
    } else if (word == "remove") {
      journal.remove.push_back(name);
    } else {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace

fs::path StageReplacement(store::FileLayer& files, const fs::path& working_folder,
                          const std::vector<FileReplacement>& plan, const std::string& stamp) {
  fs::path kept = working_folder / (kKeptFolderPrefix + stamp);
  // Zero-padded, so that the names sort in the order they were made.
  for (int n = 2; files.Exists(kept); ++n) {
    kept = working_folder / fmt::format("{}{}-{:02}", kKeptFolderPrefix, stamp, n);
  }
  std::string journal = std::string(kJournalHead) + "\nkept " + kept.filename().string() + "\n";
  try {
    files.CreateFolder(kept);
    for (const FileReplacement& item : plan) {
      Stage(files, working_folder, item);
      journal += (item.kind == FileReplacement::Kind::kRemove ? "remove " : "put ") + item.file + "\n";
    }
    journal += "end\n";
    files.FlushFolder(working_folder);
    store::SaveFileAtomically(files, working_folder / kReplaceJournalName, journal);
  } catch (...) {
    for (const FileReplacement& item : plan) {
      try {
        if (files.Exists(StagedName(working_folder, item.file))) files.Remove(StagedName(working_folder, item.file));
      } catch (const store::FileLayerError&) {
        // The next open removes what is left as strays.
      }
    }
    try {
      files.RemoveFolder(kept);
    } catch (const store::FileLayerError&) {
      // An empty folder left over keeps nothing from anybody.
    }
    throw;
  }
  return kept;
}

bool ApplyReplacementJournal(store::FileLayer& files, const fs::path& club_folder, const fs::path& working_folder) {
  const fs::path journal_file = working_folder / kReplaceJournalName;
  const std::optional<std::string> text = store::TryReadWholeFile(files, journal_file);
  if (!text) return false;
  const std::optional<Journal> journal = DecodeJournal(*text);
  // The journal is replaced atomically: one that does not read whole is no journal of ours.
  if (!journal) {
    files.Remove(journal_file);
    return false;
  }
  const fs::path kept = working_folder / journal->kept;
  files.CreateFolder(kept);
  auto keep = [&](const std::string& file) {
    if (files.Exists(club_folder / file) && !files.Exists(kept / file)) files.Rename(club_folder / file, kept / file);
  };
  for (const std::string& file : journal->put) {
    const fs::path staged = StagedName(working_folder, file);
    // A staged file already moved in has done its part.
    if (!files.Exists(staged)) continue;
    keep(file);
    files.Rename(staged, club_folder / file);
  }
  for (const std::string& file : journal->remove) keep(file);
  files.FlushFolder(kept);
  files.FlushFolder(club_folder);
  files.Remove(journal_file);
  files.FlushFolder(working_folder);
  return true;
}

std::vector<fs::path> KeptFolders(store::FileLayer& files, const fs::path& working_folder) {
  std::vector<fs::path> kept;
  for (const store::FolderEntry& entry : files.ListFolder(working_folder)) {
    if (entry.folder && entry.name.starts_with(kKeptFolderPrefix)) kept.push_back(working_folder / entry.name);
  }
  std::sort(kept.begin(), kept.end());
  return kept;
}

}  // namespace pellmark
