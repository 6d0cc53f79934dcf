// The journal's format: the bytes of an entry as docs/journal.md gives them,
// what the reader makes of entries cut short, damaged or out of order, the
// header's newest id, and where undo and redo stand after a run of entries.
#include <gtest/gtest.h>

#include <string>

#include <fmt/format.h>

#include "club/club_commit.h"
#include "club/journal.h"
#include "store/little_endian.h"

namespace pellmark {
namespace {

using store::AppendLittle;

JournalEntry Entry(std::uint64_t id, JournalKind kind = JournalKind::kOperation, std::uint64_t target = 0) {
  JournalEntry entry;
  entry.id = id;
  entry.time = 1765000000 + static_cast<std::int64_t>(id);
  entry.kind = kind;
  entry.target = target;
  entry.label = "Entry " + std::to_string(id);
  return entry;
}

// The entry checksum as docs/journal.md gives it: FNV-1a over little-endian
// 8-byte words then the bytes left, each step followed by h ^= h >> 32.
std::uint64_t WordChecksum(const std::string& body) {
  std::uint64_t hash = 14695981039346656037ull;
  auto step = [&](std::uint64_t value) {
    hash = (hash ^ value) * 1099511628211ull;
    hash ^= hash >> 32;
  };
  std::size_t at = 0;
  for (; at + 8 <= body.size(); at += 8) {
    std::uint64_t word = 0;
    for (int byte = 7; byte >= 0; --byte) word = word << 8 | static_cast<unsigned char>(body[at + byte]);
    step(word);
  }
  for (; at < body.size(); ++at) step(static_cast<unsigned char>(body[at]));
  return hash;
}

TEST(JournalCodec, AnEntryIsFramedAsTheFormatSays) {
  JournalEntry entry = Entry(1);
  entry.label = "A";
  entry.items.push_back({5, std::nullopt, store::StoredItem{"_Cash", "xy"}});
  entry.files.push_back({"V1.stm", std::string("old"), std::nullopt});
  std::string body;
  AppendLittle<std::uint64_t>(body, 1);
  AppendLittle<std::int64_t>(body, 1765000001);
  body += '\0';                                      // kind: operation
  AppendLittle<std::uint64_t>(body, 0);              // target
  body += std::string("\x01\0\0\0A", 5);             // label
  body += std::string("\0\0\0\0", 4);                // final reason
  body += std::string("\x01\0\0\0", 4);              // one item
  body += std::string("\x05\x00\x01", 3);            // store 5, no before, an after
  body += std::string("\x05\0\0\0_Cash\x02\0\0\0xy", 15);
  body += std::string("\0\0", 2);                    // club information unchanged
  body += std::string("\x01\0\0\0", 4);              // one file
  body += std::string("\x06\0\0\0V1.stm\x01\x03\0\0\0old\x00", 19);
  std::string frame = "PJE2";
  AppendLittle<std::uint32_t>(frame, static_cast<std::uint32_t>(body.size()));
  AppendLittle<std::uint64_t>(frame, WordChecksum(body));
  EXPECT_EQ(EncodeJournalEntry(entry), frame + body);

  const JournalRead read = DecodeJournal(JournalFileHeader(1) + frame + body);
  ASSERT_EQ(read.entries.size(), 1u);
  EXPECT_EQ(read.entries[0], entry);
  EXPECT_FALSE(read.damaged_at);
  EXPECT_EQ(JournalFileHeader(1), "pellmark journal 1 last 1\n");

  // The first version's frame, checksummed a byte at a time as the commit record is, is still read.
  std::string first = "PJE1";
  AppendLittle<std::uint32_t>(first, static_cast<std::uint32_t>(body.size()));
  AppendLittle<std::uint64_t>(first, CommitChecksum(body));
  const JournalRead old = DecodeJournal(JournalFileHeader(1) + first + body);
  ASSERT_EQ(old.entries.size(), 1u);
  EXPECT_EQ(old.entries[0], entry);
  EXPECT_FALSE(old.damaged_at);
  // Each frame's checksum is its own: the first version's sum under the new frame is damage.
  std::string crossed = "PJE2";
  AppendLittle<std::uint32_t>(crossed, static_cast<std::uint32_t>(body.size()));
  AppendLittle<std::uint64_t>(crossed, CommitChecksum(body));
  EXPECT_EQ(DecodeJournal(JournalFileHeader(1) + crossed + body).damaged_at, JournalFileHeader(1).size());
}

TEST(JournalCodec, AFlippedBitAnywhereInAnEntryIsSeen) {
  JournalEntry entry = Entry(1);
  entry.items.push_back(
      {6, store::StoredItem{"_Cash01", std::string(70, 'a')}, store::StoredItem{"_Cash01", std::string(70, 'b')}});
  const std::string frame = EncodeJournalEntry(entry);
  for (std::size_t at = 0; at < frame.size(); ++at) {
    for (int bit = 0; bit < 8; ++bit) {
      std::string flipped = frame;
      flipped[at] = static_cast<char>(flipped[at] ^ (1 << bit));
      const JournalRead read = DecodeJournal(flipped, /*with_header=*/false);
      EXPECT_TRUE(read.entries.empty()) << "byte " << at << " bit " << bit;
      EXPECT_EQ(read.damaged_at, 0u) << "byte " << at << " bit " << bit;
    }
  }
}

TEST(JournalCodec, TheReaderStopsAtTheFirstEntryThatIsNotWhole) {
  const std::string first = EncodeJournalEntry(Entry(1));
  const std::string second = EncodeJournalEntry(Entry(2));
  const std::string header = JournalFileHeader(2);
  EXPECT_EQ(DecodeJournal(header + first + second).entries.size(), 2u);
  // Cut short inside the second entry, or between the two: the header names entry 2.
  for (const std::string& bytes : {header + first + second.substr(0, 20), header + first}) {
    const JournalRead read = DecodeJournal(bytes);
    ASSERT_EQ(read.entries.size(), 1u);
    EXPECT_EQ(read.damaged_at, header.size() + first.size());
  }
  // A flipped byte in the first entry's body: nothing is read.
  std::string flipped = header + first + second;
  flipped[header.size() + 20] ^= 0x10;
  EXPECT_TRUE(DecodeJournal(flipped).entries.empty());
  EXPECT_EQ(DecodeJournal(flipped).damaged_at, header.size());
  // Ids that do not rise.
  EXPECT_EQ(DecodeJournal(header + second + first).entries.size(), 1u);
  // Another header.
  EXPECT_EQ(DecodeJournal("pellmark journal 2 last 2\n" + first + second).damaged_at, 0u);
  // The working file has no header.
  EXPECT_EQ(DecodeJournal(first + second, /*with_header=*/false).entries.size(), 2u);
}

TEST(JournalCodec, TheFileKeepsTheNewestEntries) {
  std::vector<JournalEntry> entries;
  for (std::uint64_t id = 1; id <= kJournalCapacity + 3; ++id) entries.push_back(Entry(id));
  const JournalRead read = DecodeJournal(EncodeJournalFile(entries));
  ASSERT_EQ(read.entries.size(), kJournalCapacity);
  EXPECT_EQ(read.entries.front().id, 4u);
  EXPECT_FALSE(read.damaged_at);
}

TEST(JournalCodec, UndoAndRedoStandWhereTheEntriesLeaveThem) {
  using K = JournalKind;
  // op 1, op 2, undo of 2 (3), undo of 1 (4), redo of 4 (5), op 6: the redo of 3 is gone.
  std::vector<JournalEntry> entries{Entry(1), Entry(2), Entry(3, K::kUndo, 2), Entry(4, K::kUndo, 1)};
  JournalPosition position = PositionOf(entries);
  EXPECT_TRUE(position.done.empty());
  EXPECT_EQ(position.undone, (std::vector<std::uint64_t>{3, 4}));
  entries.push_back(Entry(5, K::kRedo, 4));
  position = PositionOf(entries);
  EXPECT_EQ(position.done, (std::vector<std::uint64_t>{5}));
  EXPECT_EQ(position.undone, (std::vector<std::uint64_t>{3}));
  entries.push_back(Entry(6));
  position = PositionOf(entries);
  EXPECT_EQ(position.done, (std::vector<std::uint64_t>{5, 6}));
  EXPECT_TRUE(position.undone.empty());
  // An entry that cannot be undone stops undo below it.
  entries[5].final_reason = "a year close cannot be undone.";
  EXPECT_TRUE(UndoableEntries(entries).empty());
  entries.push_back(Entry(7));
  EXPECT_EQ(UndoableEntries(entries), (std::vector<std::uint64_t>{7}));
  EXPECT_EQ(OperationLabel("Undo \"Deposit $5.00 to Cash\""), "Deposit $5.00 to Cash");
  EXPECT_EQ(OperationLabel("Deposit $5.00 to Cash"), "Deposit $5.00 to Cash");
}

TEST(JournalCodec, TheCommitRecordNamesTheJournalAndTheFilesItRemoves) {
  ClubCommitRecord record;
  record.sequence = 4;
  record.files.push_back({"V03312026.stm", "", 0, 0});
  record.journal = JournalCommit{"journal.entries", 5120};
  const std::string slot = EncodeCommitSlot(record);
  EXPECT_NE(slot.find("remove V03312026.stm\njournal journal.entries 5120\nend\n"), std::string::npos) << slot;
  const std::optional<ClubCommitRecord> read = DecodeCommitSlot(slot);
  ASSERT_TRUE(read);
  ASSERT_EQ(read->files.size(), 1u);
  EXPECT_EQ(read->files[0].target, "V03312026.stm");
  EXPECT_TRUE(read->files[0].staged.empty());
  ASSERT_TRUE(read->journal);
  EXPECT_EQ(read->journal->length, 5120u);
}

// The newest entries follow the record in the slot; the record names their
// length. A slot whose entries are cut short or damaged is no whole record, so
// the other slot's, one commit older, counts.
TEST(JournalCodec, TheCommitSlotCarriesThePendingEntriesAfterTheRecord) {
  const std::string pending = EncodeJournalEntry(Entry(8)) + EncodeJournalEntry(Entry(9));
  ClubCommitRecord record;
  record.sequence = 5;
  record.journal = JournalCommit{"journal.entries", 5120, pending};
  const std::string slot = EncodeCommitSlot(record);
  const std::string tail = fmt::format("journal journal.entries 5120 {}\nend\n", pending.size()) + pending;
  ASSERT_GE(slot.size(), tail.size());
  EXPECT_EQ(slot.substr(slot.size() - tail.size()), tail);

  const std::optional<ClubCommitRecord> read = DecodeCommitSlot(slot + "left over from a longer record");
  ASSERT_TRUE(read);
  ASSERT_TRUE(read->journal);
  EXPECT_EQ(read->journal->length, 5120u);
  EXPECT_EQ(read->journal->pending, pending);

  EXPECT_FALSE(DecodeCommitSlot(slot.substr(0, slot.size() - 1)));
  for (std::size_t at = slot.size() - pending.size(); at < slot.size(); at += 7) {
    std::string damaged = slot;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x10);
    EXPECT_FALSE(DecodeCommitSlot(damaged)) << "byte " << at;
  }
}

}  // namespace
}  // namespace pellmark
