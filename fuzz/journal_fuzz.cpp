// Feeds arbitrary bytes to the reader of the journal, as a journal file cut
// short or damaged on disk (or the working file of a session's entries) would
// reach it. Nothing may crash; every entry read must encode to bytes that read
// as the same entries, and the undo position of what was read must name only
// entries that were read.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "club/journal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (bool with_header : {true, false}) {
    const pellmark::JournalRead read = pellmark::DecodeJournal(bytes, with_header);
    if (read.entries.empty()) continue;
    std::string again = with_header ? pellmark::JournalFileHeader(read.entries.back().id) : "";
    for (const pellmark::JournalEntry& entry : read.entries) again += pellmark::EncodeJournalEntry(entry);
    const pellmark::JournalRead reread = pellmark::DecodeJournal(again, with_header);
    if (reread.entries != read.entries || reread.damaged_at) std::abort();
    if (with_header && pellmark::DecodeJournal(pellmark::EncodeJournalFile(read.entries)).entries != read.entries) {
      std::abort();
    }
    const pellmark::JournalPosition position = pellmark::PositionOf(read.entries);
    for (std::uint64_t id : position.done) {
      if (std::none_of(read.entries.begin(), read.entries.end(),
                       [&](const pellmark::JournalEntry& entry) { return entry.id == id; })) {
        std::abort();
      }
    }
  }
  return 0;
}
