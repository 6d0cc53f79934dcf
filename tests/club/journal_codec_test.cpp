// The journal's format: the bytes of an entry as docs/journal.md gives them,
// what the reader makes of entries cut short, damaged or out of order, the
// header's newest id, and where undo and redo stand after a run of entries.
#include <gtest/gtest.h>

#include <string>

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
  std::string frame = "PJE1";
  AppendLittle<std::uint32_t>(frame, static_cast<std::uint32_t>(body.size()));
  AppendLittle<std::uint64_t>(frame, CommitChecksum(body));
  EXPECT_EQ(EncodeJournalEntry(entry), frame + body);

  const JournalRead read = DecodeJournal(JournalFileHeader(1) + frame + body);
  ASSERT_EQ(read.entries.size(), 1u);
  EXPECT_EQ(read.entries[0], entry);
  EXPECT_FALSE(read.damaged_at);
  EXPECT_EQ(JournalFileHeader(1), "pellmark journal 1 last 1\n");
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

}  // namespace
}  // namespace pellmark
