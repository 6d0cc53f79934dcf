#include "store/file_set.h"

#include <charconv>
#include <cstdint>

#include <optional>
#include <random>
#include <sstream>
#include <string_view>

#include "store/whole_files.h"

namespace pellmark::store {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kJournalHead = "pellmark file set ";
constexpr std::size_t kTagLength = 16;

struct Journal {
  std::string tag;
  std::vector<std::string> names;
};

bool IsTag(std::string_view text) {
  return text.size() == kTagLength && text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

// A target the journal may name: one plain name, never a path.
bool PlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

fs::path StagedFile(const fs::path& folder, const std::string& name, const std::string& tag) {
  return folder / (name + "." + tag + kStagedExtension);
}

// "<name>.<tag>.staged", whatever the tag.
bool IsStagedName(std::string_view name) {
  if (!name.ends_with(kStagedExtension)) return false;
  name.remove_suffix(std::string_view(kStagedExtension).size());
  return name.size() > kTagLength + 1 && name[name.size() - kTagLength - 1] == '.' &&
         IsTag(name.substr(name.size() - kTagLength));
}

std::string EncodeJournal(const Journal& journal) {
  std::string text = std::string(kJournalHead) + journal.tag + "\n";
  for (const std::string& name : journal.names) text += name + "\n";
  return text + "end\n";
}

// Nothing unless the text is a whole journal: one cut short or never written
// (the file is made empty when its set begins) names no set.
std::optional<Journal> DecodeJournal(const std::string& text) {
  if (!text.ends_with("\nend\n")) return std::nullopt;
  std::istringstream lines(text);
  std::string line;
  if (!std::getline(lines, line) || !line.starts_with(kJournalHead)) return std::nullopt;
  Journal journal{line.substr(kJournalHead.size()), {}};
  if (!IsTag(journal.tag)) return std::nullopt;
  while (std::getline(lines, line)) {
    if (line == "end") return lines.peek() == std::char_traits<char>::eof() ? std::optional(journal) : std::nullopt;
    if (!PlainName(line)) return std::nullopt;
    journal.names.push_back(line);
  }
  return std::nullopt;
}

std::string NewTag() {
  std::random_device random;
  std::string tag;
  for (int half = 0; half < 2; ++half) {
    char digits[8];
    const auto written = std::to_chars(digits, digits + sizeof digits, static_cast<std::uint32_t>(random()), 16).ptr;
    tag.append(sizeof digits - static_cast<std::size_t>(written - digits), '0').append(digits, written);
  }
  return tag;
}

void RemoveQuietly(FileLayer& files, const fs::path& file) {
  try {
    if (files.Exists(file)) files.Remove(file);
  } catch (const FileLayerError&) {
    // A leftover staged file or journal names nothing the next finish needs.
  }
}

// Runs `step`; its failure is reported against `file`, the file the user knows.
template <class Step>
void Against(const fs::path& file, std::string_view what, Step&& step) {
  try {
    step();
  } catch (const FileLayerError& error) {
    throw FileLayerError(error.ErrorNumber(), file, what);
  }
}

}  // namespace

void FinishFileSet(FileLayer& files, const fs::path& folder) {
  const fs::path journal_file = folder / kFileSetJournalName;
  if (files.Exists(journal_file)) {
    // A journal that cannot be read might still name a set half renamed: nothing goes.
    if (const std::optional<Journal> journal = DecodeJournal(ReadWholeFile(files, journal_file))) {
      for (const std::string& name : journal->names) {
        const fs::path staged = StagedFile(folder, name, journal->tag);
        if (files.Exists(staged)) files.Rename(staged, folder / name);
      }
      files.FlushFolder(folder);
    }
    RemoveQuietly(files, journal_file);
  }
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    if (IsStagedName(entry.path().filename().string())) RemoveQuietly(files, entry.path());
  }
}

FileSet::FileSet(FileLayer& files, fs::path folder) : files_(files), folder_(std::move(folder)), tag_(NewTag()) {
  FinishFileSet(files_, folder_);
}

FileSet::~FileSet() {
  CloseHandles();
  // Past the journal the staged files are the set: the next finish renames them.
  if (journaled_) return;
  // The journal goes first: while one stands, every staged file it may name stays.
  const fs::path journal = folder_ / kFileSetJournalName;
  try {
    if (files_.Exists(journal)) files_.Remove(journal);
  } catch (const FileLayerError&) {
    return;
  }
  for (const Staged& staged : staged_) RemoveQuietly(files_, staged.file);
}

void FileSet::CloseHandles() noexcept {
  for (Staged& staged : staged_) {
    if (staged.handle >= 0) files_.Close(staged.handle);
    staged.handle = -1;
  }
}

FileHandle FileSet::Stage(const std::string& name) {
  // The file staged before is whole now: its writing to disk goes on while
  // the next one is made.
  if (!staged_.empty()) files_.StartFlush(staged_.back().handle);
  Staged staged{name, StagedFile(folder_, name, tag_)};
  Against(folder_ / name, "create", [&] { staged.handle = files_.Open(staged.file, OpenMode::kCreate); });
  staged_.push_back(staged);
  return staged.handle;
}

void FileSet::Commit() {
  // The journal is made empty first, so that the one folder flush that puts
  // the staged files' names on disk puts its name there too.
  const fs::path journal_file = folder_ / kFileSetJournalName;
  std::optional<OpenFile> out;
  Against(journal_file, "create", [&] { out.emplace(files_, journal_file, OpenMode::kCreate); });
  if (!staged_.empty()) files_.StartFlush(staged_.back().handle);
  if (staged_.size() <= kFilesFlushedOneByOne) {
    for (const Staged& staged : staged_) Against(folder_ / staged.name, "flush", [&] { files_.Flush(staged.handle); });
  } else {
    Against(folder_, "flush", [&] { files_.FlushFileSystem(folder_); });
  }
  CloseHandles();
  Against(folder_, "flush folder", [&] { files_.FlushFolder(folder_); });
  Journal journal{tag_, {}};
  for (const Staged& staged : staged_) journal.names.push_back(staged.name);
  Against(journal_file, "write", [&] {
    files_.WriteAt(out->Handle(), 0, EncodeJournal(journal));
    files_.Flush(out->Handle());
  });
  out.reset();
  journaled_ = true;
  for (const Staged& staged : staged_) {
    Against(folder_ / staged.name, "rename", [&] { files_.Rename(staged.file, folder_ / staged.name); });
  }
  Against(folder_, "flush folder", [&] { files_.FlushFolder(folder_); });
  RemoveQuietly(files_, journal_file);
}

}  // namespace pellmark::store
