#include "club/journal.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>

#include "club/club_commit.h"
#include "store/little_endian.h"
#include "store/whole_files.h"

namespace pellmark {
namespace {

using store::AppendLittle;
using store::ReadLittle;

// Entries are framed "PJE2" (checksummed by EntryChecksum); the first
// version's "PJE1" entries (checksummed as the commit record is, a byte at a
// time) are still read. The file's header line is the same for both.
constexpr std::string_view kEntryMagic = "PJE2";
constexpr std::string_view kFirstEntryMagic = "PJE1";
// magic, body length (4 bytes), checksum (8 bytes)
constexpr std::size_t kFrameSize = 4 + 4 + 8;

// 64-bit FNV-1a taken over 8-byte words, each step folded (the high half into
// the low) so that every bit of a word reaches the whole sum; the last bytes
// one at a time. Every step is one-to-one, so any one word changed changes
// the sum; a word at a time it costs an eighth of the bytewise sum, which a
// commit pays for every entry.
std::uint64_t EntryChecksum(std::string_view body) {
  constexpr std::uint64_t kPrime = 1099511628211ull;
  std::uint64_t hash = 14695981039346656037ull;
  std::size_t at = 0;
  for (; body.size() - at >= 8; at += 8) {
    hash = (hash ^ ReadLittle<std::uint64_t>(body.data() + at)) * kPrime;
    hash ^= hash >> 32;
  }
  for (; at < body.size(); ++at) {
    hash = (hash ^ static_cast<unsigned char>(body[at])) * kPrime;
    hash ^= hash >> 32;
  }
  return hash;
}

void PutText(std::string& out, std::string_view text) {
  AppendLittle<std::uint32_t>(out, static_cast<std::uint32_t>(text.size()));
  out += text;
}

void PutImage(std::string& out, const std::optional<std::string>& image) {
  AppendLittle<std::uint8_t>(out, image ? 1 : 0);
  if (image) PutText(out, *image);
}

void PutItem(std::string& out, const std::optional<store::StoredItem>& item) {
  AppendLittle<std::uint8_t>(out, item ? 1 : 0);
  if (item) {
    PutText(out, item->key);
    PutText(out, item->data);
  }
}

// Reads a body; every read checks what is left, so no length in the bytes
// can make it read or allocate beyond them.
class BodyReader {
 public:
  explicit BodyReader(std::string_view bytes) : bytes_(bytes) {}
  bool ok() const { return ok_; }
  bool AtEnd() const { return at_ == bytes_.size(); }

  template <class T>
  T Number() {
    if (!ok_ || bytes_.size() - at_ < sizeof(T)) {
      ok_ = false;
      return T{};
    }
    const T value = ReadLittle<T>(bytes_.data() + at_);
    at_ += sizeof(T);
    return value;
  }
  std::string Text() {
    const auto length = Number<std::uint32_t>();
    if (!ok_ || bytes_.size() - at_ < length) {
      ok_ = false;
      return {};
    }
    std::string text(bytes_.substr(at_, length));
    at_ += length;
    return text;
  }
  bool Present() {
    const auto flag = Number<std::uint8_t>();
    if (flag > 1) ok_ = false;
    return ok_ && flag == 1;
  }
  std::optional<std::string> Image() {
    if (!Present()) return std::nullopt;
    return Text();
  }
  std::optional<store::StoredItem> Item() {
    if (!Present()) return std::nullopt;
    store::StoredItem item;
    item.key = Text();
    item.data = Text();
    return item;
  }
  // A count of things each at least `least` bytes long: no more than could fit.
  std::uint32_t Count(std::size_t least) {
    const auto count = Number<std::uint32_t>();
    if (ok_ && count > (bytes_.size() - at_) / least) ok_ = false;
    return ok_ ? count : 0;
  }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

std::optional<JournalEntry> DecodeBody(std::string_view body) {
  BodyReader in(body);
  JournalEntry entry;
  entry.id = in.Number<std::uint64_t>();
  entry.time = in.Number<std::int64_t>();
  const auto kind = in.Number<std::uint8_t>();
  if (kind > static_cast<std::uint8_t>(JournalKind::kRedo)) return std::nullopt;
  entry.kind = static_cast<JournalKind>(kind);
  entry.target = in.Number<std::uint64_t>();
  entry.label = in.Text();
  entry.final_reason = in.Text();
  const std::uint32_t items = in.Count(3);
  for (std::uint32_t i = 0; i < items && in.ok(); ++i) {
    StoreItemChange change;
    change.store = in.Number<std::uint8_t>();
    change.before = in.Item();
    change.after = in.Item();
    if (change.store >= kClubStoreCount) return std::nullopt;
    entry.items.push_back(std::move(change));
  }
  entry.info_before = in.Image();
  entry.info_after = in.Image();
  const std::uint32_t files = in.Count(6);
  for (std::uint32_t i = 0; i < files && in.ok(); ++i) {
    FileChange change;
    change.name = in.Text();
    change.before = in.Image();
    change.after = in.Image();
    entry.files.push_back(std::move(change));
  }
  if (!in.ok() || !in.AtEnd()) return std::nullopt;
  return entry;
}

}  // namespace

std::string JournalFileHeader(std::uint64_t newest_id) { return fmt::format("{}{}\n", kJournalHeader, newest_id); }

std::string OperationLabel(const std::string& label) {
  for (std::string_view wrapper : {"Undo \"", "Redo \""}) {
    if (label.starts_with(wrapper) && label.ends_with('"') && label.size() > wrapper.size()) {
      return label.substr(wrapper.size(), label.size() - wrapper.size() - 1);
    }
  }
  return label;
}

std::string EncodeJournalEntry(const JournalEntry& entry) {
  std::string framed;
  EncodeJournalEntryInto(framed, entry);
  return framed;
}

void EncodeJournalEntryInto(std::string& out, const JournalEntry& entry) {
  // Room for the whole entry at once: a dues run's entry holds every member's records.
  std::size_t size = kFrameSize + 64 + entry.label.size() + entry.final_reason.size();
  for (const StoreItemChange& change : entry.items) {
    for (const std::optional<store::StoredItem>* item : {&change.before, &change.after}) {
      if (*item) size += 16 + (*item)->key.size() + (*item)->data.size();
    }
  }
  for (const std::optional<std::string>* image : {&entry.info_before, &entry.info_after}) {
    if (*image) size += 8 + (*image)->size();
  }
  for (const FileChange& change : entry.files) {
    size += 16 + change.name.size() + (change.before ? change.before->size() : 0) + (change.after ? change.after->size() : 0);
  }
  const std::size_t start = out.size();
  // Grown by doubling when short, so that a file of many entries is not copied at each.
  if (out.capacity() - start < size) out.reserve(std::max(start + size, 2 * out.capacity()));
  // The frame goes in front of the body, filled in once the body is whole.
  std::string& framed = out;
  framed.append(kFrameSize, '\0');
  AppendLittle<std::uint64_t>(framed, entry.id);
  AppendLittle<std::int64_t>(framed, entry.time);
  AppendLittle<std::uint8_t>(framed, static_cast<std::uint8_t>(entry.kind));
  AppendLittle<std::uint64_t>(framed, entry.target);
  PutText(framed, entry.label);
  PutText(framed, entry.final_reason);
  AppendLittle<std::uint32_t>(framed, static_cast<std::uint32_t>(entry.items.size()));
  for (const StoreItemChange& change : entry.items) {
    AppendLittle<std::uint8_t>(framed, change.store);
    PutItem(framed, change.before);
    PutItem(framed, change.after);
  }
  PutImage(framed, entry.info_before);
  PutImage(framed, entry.info_after);
  AppendLittle<std::uint32_t>(framed, static_cast<std::uint32_t>(entry.files.size()));
  for (const FileChange& change : entry.files) {
    PutText(framed, change.name);
    PutImage(framed, change.before);
    PutImage(framed, change.after);
  }
  const std::string_view body(framed.data() + start + kFrameSize, framed.size() - start - kFrameSize);
  framed.replace(start, kEntryMagic.size(), kEntryMagic);
  store::WriteLittle<std::uint32_t>(framed.data() + start + 4, static_cast<std::uint32_t>(body.size()));
  store::WriteLittle<std::uint64_t>(framed.data() + start + 8, EntryChecksum(body));
}

JournalRead DecodeJournal(std::string_view bytes, bool with_header) {
  JournalRead read;
  std::size_t at = 0;
  std::optional<std::uint64_t> newest;
  if (with_header) {
    const std::size_t line_end = bytes.find('\n');
    std::uint64_t id = 0;
    const char* digits = bytes.data() + std::min(kJournalHeader.size(), bytes.size());
    const char* end = bytes.data() + (line_end == std::string_view::npos ? 0 : line_end);
    const auto parsed = std::from_chars(digits, std::max(digits, end), id);
    if (!bytes.starts_with(kJournalHeader) || line_end == std::string_view::npos || parsed.ec != std::errc() ||
        parsed.ptr != end) {
      read.damaged_at = 0;
      return read;
    }
    newest = id;
    at = line_end + 1;
  }
  while (at < bytes.size()) {
    const std::string_view rest = bytes.substr(at);
    const bool first_version = rest.starts_with(kFirstEntryMagic);
    if (rest.size() < kFrameSize || !(first_version || rest.starts_with(kEntryMagic))) break;
    const auto length = ReadLittle<std::uint32_t>(rest.data() + 4);
    const auto checksum = ReadLittle<std::uint64_t>(rest.data() + 8);
    if (rest.size() - kFrameSize < length) break;
    const std::string_view body = rest.substr(kFrameSize, length);
    if ((first_version ? CommitChecksum(body) : EntryChecksum(body)) != checksum) break;
    std::optional<JournalEntry> entry = DecodeBody(body);
    if (!entry || (!read.entries.empty() && entry->id <= read.entries.back().id)) break;
    read.entries.push_back(std::move(*entry));
    at += kFrameSize + length;
  }
  const std::uint64_t last = read.entries.empty() ? 0 : read.entries.back().id;
  if (at < bytes.size() || (newest && *newest != last)) read.damaged_at = at;
  return read;
}

std::string EncodeJournalFile(std::span<const JournalEntry> entries) {
  std::string bytes = JournalFileHeader(entries.empty() ? 0 : entries.back().id);
  const std::size_t first = entries.size() > kJournalCapacity ? entries.size() - kJournalCapacity : 0;
  for (std::size_t i = first; i < entries.size(); ++i) EncodeJournalEntryInto(bytes, entries[i]);
  return bytes;
}

JournalPosition PositionOf(std::span<const JournalEntry> entries) {
  JournalPosition position;
  for (const JournalEntry& entry : entries) {
    switch (entry.kind) {
      case JournalKind::kOperation:
        position.done.push_back(entry.id);
        position.undone.clear();
        break;
      case JournalKind::kUndo:
        if (!position.done.empty() && position.done.back() == entry.target) {
          position.done.pop_back();
        } else {
          position.done.clear();
        }
        position.undone.push_back(entry.id);
        break;
      case JournalKind::kRedo:
        if (!position.undone.empty() && position.undone.back() == entry.target) {
          position.undone.pop_back();
        } else {
          position.undone.clear();
        }
        position.done.push_back(entry.id);
        break;
    }
  }
  return position;
}

std::vector<std::uint64_t> UndoableEntries(std::span<const JournalEntry> entries) {
  const JournalPosition position = PositionOf(entries);
  std::vector<std::uint64_t> undoable;
  for (auto id = position.done.rbegin(); id != position.done.rend(); ++id) {
    const auto entry = std::lower_bound(entries.begin(), entries.end(), *id,
                                        [](const JournalEntry& held, std::uint64_t wanted) { return held.id < wanted; });
    if (entry == entries.end() || entry->id != *id || !entry->final_reason.empty()) break;
    undoable.push_back(*id);
  }
  return undoable;
}

void JoinJournal(store::FileLayer& files, const std::filesystem::path& club_folder,
                 const std::filesystem::path& working_file, std::uint64_t length, std::string_view pending) {
  // A working file that cannot be read loses its entries, never the club's open.
  std::string added = length > 0 ? store::TryReadWholeFile(files, working_file).value_or("") : std::string();
  if (added.size() > length) added.resize(length);
  // Entries after a shorter file would not follow on: they go with it.
  if (added.size() == length) added += pending;
  JournalRead fresh = DecodeJournal(added, false);
  std::vector<JournalEntry> entries;
  if (std::optional<std::string> held = store::TryReadWholeFile(files, club_folder / kJournalFileName)) {
    entries = DecodeJournal(*held).entries;
  }
  const std::uint64_t held = entries.empty() ? 0 : entries.back().id;
  bool newer = false;
  for (JournalEntry& entry : fresh.entries) {
    if (entry.id <= held) continue;
    entries.push_back(std::move(entry));
    newer = true;
  }
  if (!newer) return;
  store::SaveFileAtomically(files, club_folder / kJournalFileName, EncodeJournalFile(entries));
}

}  // namespace pellmark
