#include "club/club_commit.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <sstream>
#include <system_error>

#include "club/club_info_file.h"
#include "club/journal.h"
#include "store/container_format.h"
#include "store/index_codec.h"
#include "store/whole_files.h"

namespace pellmark {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTitle = "pellmark club commit";
constexpr std::string_view kSlotTitle = "pellmark commit";

// A table rather than a format call per byte: every commit of a session that
// changed the club information carries its 313 bytes.
std::string Hex(std::string_view bytes) {
  constexpr std::string_view kDigits = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (unsigned char byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0xf];
  }
  return text;
}

std::optional<std::string> Unhex(std::string_view text) {
  if (text.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    unsigned value = 0;
    auto [end, error] = std::from_chars(text.data() + i, text.data() + i + 2, value, 16);
    if (error != std::errc() || end != text.data() + i + 2) return std::nullopt;
    bytes += static_cast<char>(value);
  }
  return bytes;
}

bool PlainName(const std::string& name) { return !name.empty() && fs::path(name).filename() == name; }

// Empty when the working files hold a store that can be joined, else what is wrong.
std::string CheckStore(store::FileLayer& files, const fs::path& working_folder, const StoreCommit& commit) {
  const store::WorkingFiles working{working_folder / commit.data, working_folder / commit.index};
  for (const fs::path& file : {working.data, working.index}) {
    if (!files.Exists(file)) return "the working file " + file.string() + " is missing";
  }
  try {
    std::uint64_t data_size = 0;
    {
      store::OpenFile data(files, working.data, store::OpenMode::kRead);
      data_size = files.Size(data.Handle());
    }
    if (data_size < commit.data_length) return "the working file " + working.data.string() + " is too short";
    std::string index = store::ReadWholeFile(files, working.index);
    if (commit.index_length) {
      if (index.size() < *commit.index_length) return "the working file " + working.index.string() + " is too short";
      index.resize(*commit.index_length);
    }
    store::DecodeIndex(index, commit.data_length);
  } catch (const store::InvalidIndex& error) {
    return std::string("the index working file is not consistent: ") + error.what();
  } catch (const store::FileLayerError& error) {
    return std::string("the working files cannot be read: ") + error.what();
  }
  return {};
}

std::uint64_t Checksum(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (unsigned char byte : bytes) hash = (hash ^ byte) * 1099511628211ull;
  return hash;
}

// Empty when the staged file is whole or was put in place already, else what is wrong.
std::string CheckStagedFile(store::FileLayer& files, const fs::path& working_folder, const FileCommit& commit) {
  if (commit.staged.empty()) return {};
  const fs::path staged = working_folder / commit.staged;
  if (!files.Exists(staged)) return {};
  const std::optional<std::string> bytes = store::TryReadWholeFile(files, staged);
  if (!bytes) return "the staged file " + staged.string() + " cannot be read";
  if (bytes->size() != commit.length || Checksum(*bytes) != commit.checksum) {
    return "the staged file " + staged.string() + " of " + commit.target + " is damaged";
  }
  return {};
}

std::string EncodeCommitRecord(const ClubCommitRecord& record) {
  std::string text = std::string(kTitle) + "\n";
  for (const StoreCommit& store : record.stores) {
    text += fmt::format("store {} {} {} {}", store.store, store.data, store.index, store.data_length);
    if (store.index_length) text += fmt::format(" {}", *store.index_length);
    text += "\n";
  }
  for (const FileCommit& file : record.files) {
    if (file.staged.empty()) {
      text += fmt::format("remove {}\n", file.target);
    } else {
      text += fmt::format("file {} {} {} {:016x}\n", file.target, file.staged, file.length, file.checksum);
    }
  }
  if (record.journal) {
    text += fmt::format("journal {} {}", record.journal->working, record.journal->length);
    if (!record.journal->pending.empty()) text += fmt::format(" {}", record.journal->pending.size());
    text += "\n";
  }
  if (record.info) text += "info " + Hex(*record.info) + "\n";
  text += "end\n";
  return text;
}

// `pending_length`: the length of the journal entries that follow the record.
std::optional<ClubCommitRecord> DecodeCommitRecord(std::string_view text, std::uint64_t& pending_length) {
  std::istringstream in{std::string(text)};
  std::string line;
  if (!std::getline(in, line) || line != kTitle) return std::nullopt;
  ClubCommitRecord record;
  bool ended = false;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string word;
    words >> word;
    if (word == "store") {
      StoreCommit store;
      if (!(words >> store.store >> store.data >> store.index >> store.data_length)) return std::nullopt;
      if (!PlainName(store.store) || !PlainName(store.data) || !PlainName(store.index)) return std::nullopt;
      if (std::uint64_t index_length = 0; words >> index_length) {
        store.index_length = index_length;
      } else if (!words.eof()) {
        return std::nullopt;
      }
      record.stores.push_back(std::move(store));
    } else if (word == "file") {
      FileCommit file;
      std::string checksum;
      if (!(words >> file.target >> file.staged >> file.length >> checksum)) return std::nullopt;
      if (!PlainName(file.target) || !PlainName(file.staged)) return std::nullopt;
      auto [end, error] = std::from_chars(checksum.data(), checksum.data() + checksum.size(), file.checksum, 16);
      if (error != std::errc() || end != checksum.data() + checksum.size()) return std::nullopt;
      if (words >> word) return std::nullopt;
      record.files.push_back(std::move(file));
    } else if (word == "remove") {
      FileCommit file;
      if (!(words >> file.target) || !PlainName(file.target) || (words >> word)) return std::nullopt;
      record.files.push_back(std::move(file));
    } else if (word == "journal") {
      JournalCommit journal;
      if (!(words >> journal.working >> journal.length) || !PlainName(journal.working)) return std::nullopt;
      // The pending entries' length; the bytes follow the record.
      if (words >> pending_length) {
        if (pending_length == 0) return std::nullopt;
      } else if (!words.eof()) {
        return std::nullopt;
      }
      if (words >> word) return std::nullopt;
      record.journal = std::move(journal);
    } else if (word == "info") {
      std::string hex;
      words >> hex;
      record.info = Unhex(hex);
      if (!record.info) return std::nullopt;
    } else if (word == "end") {
      ended = true;
    } else {
      return std::nullopt;
    }
  }
  if (!ended) return std::nullopt;
  return record;
}

}  // namespace

std::uint64_t CommitChecksum(std::string_view bytes) { return Checksum(bytes); }

std::string EncodeCommitSlot(const ClubCommitRecord& record) {
  const std::string body = EncodeCommitRecord(record);
  std::string slot = fmt::format("{} {} {} {:016x}\n", kSlotTitle, record.sequence, body.size(), Checksum(body));
  slot.reserve(slot.size() + body.size() + (record.journal ? record.journal->pending.size() : 0));
  slot += body;
  // The entries carry their own checksums.
  if (record.journal) slot += record.journal->pending;
  return slot;
}

std::optional<ClubCommitRecord> DecodeCommitSlot(std::string_view text) {
  const std::size_t line_end = text.find('\n');
  if (line_end == std::string_view::npos) return std::nullopt;
  std::istringstream frame{std::string(text.substr(0, line_end))};
  std::string first, second;
  std::uint64_t sequence = 0;
  std::size_t length = 0;
  std::string checksum;
  if (!(frame >> first >> second >> sequence >> length >> checksum) || first + " " + second != kSlotTitle) {
    return std::nullopt;
  }
  if (text.size() - line_end - 1 < length) return std::nullopt;
  const std::string_view body = text.substr(line_end + 1, length);
  if (fmt::format("{:016x}", Checksum(body)) != checksum) return std::nullopt;
  std::uint64_t pending_length = 0;
  std::optional<ClubCommitRecord> record = DecodeCommitRecord(body, pending_length);
  if (!record) return std::nullopt;
  record->sequence = sequence;
  if (pending_length > 0) {
    const std::size_t pending_at = line_end + 1 + length;
    if (!record->journal || text.size() - pending_at < pending_length) return std::nullopt;
    std::string& pending = record->journal->pending;
    pending.assign(text.substr(pending_at, static_cast<std::size_t>(pending_length)));
    // Whole entries only: a slot whose entries were cut short is no whole record.
    const JournalRead read = DecodeJournal(pending, false);
    if (read.damaged_at || read.entries.empty()) return std::nullopt;
  }
  return record;
}

CommitSlots::CommitSlots(store::FileLayer& files, fs::path working_folder)
    : files_(files), folder_(std::move(working_folder)) {}

CommitSlots::~CommitSlots() {
  for (store::FileHandle handle : handles_) {
    if (handle >= 0) files_.Close(handle);
  }
}

void CommitSlots::Write(const ClubCommitRecord& record) {
  store::FileHandle& handle = handles_[record.sequence % 2];
  if (handle < 0) {
    const fs::path slot = folder_ / kCommitSlotNames[record.sequence % 2];
    handle = files_.Open(slot, files_.Exists(slot) ? store::OpenMode::kReadWrite : store::OpenMode::kCreate);
  }
  files_.WriteAt(handle, 0, EncodeCommitSlot(record));
}

std::vector<std::string> ApplyCommitRecord(store::FileLayer& files, const fs::path& club_folder,
                                           const fs::path& working_folder) {
  std::optional<ClubCommitRecord> record;
  for (const char* slot : kCommitSlotNames) {
    const std::optional<std::string> text = store::TryReadWholeFile(files, working_folder / slot);
    // A slot that holds no whole record was being written when the program died.
    std::optional<ClubCommitRecord> found = text ? DecodeCommitSlot(*text) : std::nullopt;
    if (found && (!record || found->sequence > record->sequence)) record = std::move(found);
  }
  if (!record) return {};
  auto unrecoverable = [&](const std::string& problem) {
    return UnrecoverableCommit("The changes left by a program that ended without closing the club could not be "
                               "recovered (" + problem + "); they were left in " + working_folder.string() + ". " +
                               kPendingChangesAdvice);
  };
  // Every store is checked before any is joined: the club takes the whole commit or none of it.
  for (const StoreCommit& store : record->stores) {
    if (std::string problem = CheckStore(files, working_folder, store); !problem.empty()) throw unrecoverable(problem);
  }
  for (const FileCommit& file : record->files) {
    if (std::string problem = CheckStagedFile(files, working_folder, file); !problem.empty()) {
      throw unrecoverable(problem);
    }
  }
  std::vector<std::string> joined;
  for (const StoreCommit& store : record->stores) {
    store::Join(files, {working_folder / store.data, working_folder / store.index}, club_folder / store.store,
                store.data_length, store.index_length);
    joined.push_back(store.store);
  }
  if (record->info) store::SaveFileAtomically(files, club_folder / kClubInfoFileName, *record->info);
  std::string failure;
  if (!PlaceStagedFiles(files, club_folder, working_folder, record->files, &failure).empty()) {
    throw unrecoverable(failure);
  }
  if (record->journal) {
    JoinJournal(files, club_folder, working_folder / record->journal->working, record->journal->length,
                record->journal->pending);
  }
  RemoveCommitSlots(files, working_folder, record->sequence);
  return joined;
}

std::vector<FileCommit> PlaceStagedFiles(store::FileLayer& files, const fs::path& club_folder,
                                         const fs::path& working_folder, const std::vector<FileCommit>& staged,
                                         std::string* failure) {
  std::vector<FileCommit> left;
  for (const FileCommit& file : staged) {
    const fs::path from = working_folder / file.staged;
    try {
      if (file.staged.empty()) {
        if (files.Exists(club_folder / file.target)) files.Remove(club_folder / file.target);
      } else if (files.Exists(from)) {
        files.Rename(from, club_folder / file.target);
      }
    } catch (const store::FileLayerError& error) {
      if (failure != nullptr && left.empty()) *failure = error.what();
      left.push_back(file);
    }
  }
  if (left.size() < staged.size()) {
    try {
      files.FlushFolder(club_folder);
    } catch (const store::FileLayerError&) {
      // The files are in place; only their new names might not outlast a power cut.
    }
  }
  return left;
}

void RemoveCommitSlots(store::FileLayer& files, const fs::path& working_folder, std::uint64_t newest_sequence) {
  const std::size_t newest = newest_sequence % kCommitSlotNames.size();
  files.Remove(working_folder / kCommitSlotNames[1 - newest]);
  files.Remove(working_folder / kCommitSlotNames[newest]);
}

std::optional<fs::path> SetPendingChangesAside(store::FileLayer& files, const fs::path& club_folder,
                                               const fs::path& working_folder, const std::vector<std::string>& keep) {
  bool pending = false;
  for (const char* slot : kCommitSlotNames) pending = pending || files.Exists(working_folder / slot);
  if (!pending) return std::nullopt;
  fs::path aside;
  for (int n = 1; aside.empty() || files.Exists(aside); ++n) {
    aside = club_folder / (".pellmark-set-aside-" + std::to_string(n));
  }
  files.CreateFolder(aside);
  for (const store::FolderEntry& entry : files.ListFolder(working_folder)) {
    if (std::find(keep.begin(), keep.end(), entry.name) == keep.end() && !entry.folder) {
      files.Rename(working_folder / entry.name, aside / entry.name);
    }
  }
  return aside;
}

namespace {

// A stray file that cannot be removed does no harm; the next open tries again.
void RemoveIfAble(store::FileLayer& files, const fs::path& file) {
  try {
    files.Remove(file);
  } catch (const store::FileLayerError&) {
  }
}

}  // namespace

void RemoveStrayFiles(store::FileLayer& files, const fs::path& club_folder, const fs::path& working_folder,
                      const std::vector<std::string>& keep) {
  for (const store::FolderEntry& entry : files.ListFolder(working_folder)) {
    if (std::find(keep.begin(), keep.end(), entry.name) == keep.end() && !entry.folder) {
      RemoveIfAble(files, working_folder / entry.name);
    }
  }
  for (const store::FolderEntry& entry : files.ListFolder(club_folder)) {
    if (entry.folder) continue;
    const std::string& name = entry.name;
    const bool temporary_container = name.starts_with("QDD") && !fs::path(name).has_extension();
    const bool interrupted_save = name.ends_with(".new");
    const bool temporary_marker = name.starts_with(".") && name.find(".open.") != std::string::npos &&
                                  !name.ends_with(".unrecovered");
    if (temporary_container || interrupted_save || temporary_marker) RemoveIfAble(files, club_folder / name);
  }
}

}  // namespace pellmark
