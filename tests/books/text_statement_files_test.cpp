#include "books/text_statement_files.h"

#include <cerrno>
#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "club/keys.h"
#include "club/record_kinds.h"
#include "store/posix_file_layer.h"
#include "store/whole_files.h"
#include "support/ledger_fixture.h"
#include "valuation/statement_file.h"

namespace pellmark::testing {
namespace {

using ::testing::ElementsAre;
namespace fs = std::filesystem;

// A full disk where a commit stages the files it puts in the club folder.
class NoRoomForStagedFiles final : public store::PosixFileLayer {
 public:
  store::FileHandle Open(const fs::path& path, store::OpenMode mode) override {
    if (path.filename().string().starts_with("staged.")) throw store::FileLayerError(ENOSPC, path, "open");
    return PosixFileLayer::Open(path, mode);
  }
};

class TextStatementFilesTest : public ClubFixture {
 protected:
  TMemberRec AddMember(std::string lname, std::string fname, std::int32_t memid, bool active = true) {
    TMemberRec member;
    member.lname = std::move(lname);
    member.fname = std::move(fname);
    member.memid = memid;
    member.active = active;
    member.city = "Salem";
    member.state = "OR";
    member.zip = "97301";
    club.members.Put(member);
    return member;
  }
  // A payment of `dues` at `cunit` a unit, posted into the member's total.
  void Pay(TMemberRec& member, double dues, double cunit, DayNumber date, std::int32_t id) {
    TMemberTranRec payment;
    payment.memid = member.memid;
    payment.duestran = id;
    payment.dues = dues;
    payment.cunit = cunit;
    payment.trandate = date;
    payment.typ = Code(MemberTranKind::Payment);
    club.memrecs.Put(payment);
    member.tunits += dues / cunit;
    member.totalc += dues;
    club.members.Put(member);
  }
  std::string Read(const fs::path& file) { return store::ReadWholeFile(club.Files(), file); }
};

TEST_F(TextStatementFilesTest, VoteCountsTheUnitsHeldOnTheDateAtTheValueInForce) {
  AddUnitValue(10, Day(2026, 1, 31));
  AddUnitValue(12.5, Day(2026, 2, 28));
  AddUnitValue(20, Day(2026, 4, 30));
  TMemberRec ann = AddMember("Smith", "Ann", 1);
  TMemberRec bob = AddMember("Jones", "Bob", 2, false);
  TMemberRec cy = AddMember("Young", "Cy", 3);
  Pay(ann, 100, 10, Day(2026, 2, 1), 1);   // 10 units
  Pay(ann, 125, 12.5, Day(2026, 3, 1), 2);  // 10 more
  Pay(bob, 300, 10, Day(2026, 2, 1), 1);   // 30 units, an inactive member still votes
  Pay(cy, 200, 20, Day(2026, 5, 1), 1);    // after the date: no vote
  books.Commit();

  const TextStatementFile written = WriteVoteTextFile(books, Day(2026, 3, 31));
  ASSERT_TRUE(written.outcome);
  EXPECT_EQ(written.file, folder.Path() / "voterpt.txt");
  const std::string dashes(80, '-');
  // 20 + 30 units at the 02/28 value of 12.50, active members first as the store keeps them.
  EXPECT_EQ(Read(written.file), "Elm Street Investors\n"
                                "Membership Voting Percentages as of 03/31/2026.\n" +
                                    dashes + "\n \n" +
                                    "Name                                   Units       Value  Percentage \n" +
                                    dashes + "\n" +
                                    "Ann Smith                             20.000     $250.00      40.00% \n"
                                    "Bob Jones                             30.000     $375.00      60.00% \n" +
                                    dashes + "\n");
  EXPECT_TRUE(ui.Events().empty());
}

TEST_F(TextStatementFilesTest, DistributionWithoutUnitsSaysSoInItsFile) {
  const TextStatementFile written = WriteDistributionTextFile(books, Day(2026, 3, 31));
  ASSERT_TRUE(written.outcome);
  EXPECT_EQ(written.file, folder.Path() / "distrpt.txt");
  EXPECT_EQ(Read(written.file), "Elm Street Investors\nClub Earnings Distribution as of 03/31/2026.\n" +
                                    std::string(80, '-') + "\n \nNo Distributions are available for the report date.\n");
}

TEST_F(TextStatementFilesTest, RosterListsTheActiveMembersOnly) {
  AddMember("Smith", "Ann", 1);
  AddMember("Jones", "Bob", 2, false);
  books.Commit();
  const TextStatementFile written = WriteRosterTextFile(books);
  ASSERT_TRUE(written.outcome);
  const std::string text = Read(folder.Path() / "rosterrpt.txt");
  EXPECT_NE(text.find("Ann Smith"), std::string::npos);
  EXPECT_EQ(text.find("Bob Jones"), std::string::npos);
}

TEST_F(TextStatementFilesTest, ValuationFromAStatementFileInTheClubsOrder) {
  valuation::Statement s;
  s.date = Day(2026, 6, 30);
  s.securities = {{10, 10, 0, 10, "Flat"}, {10, 20, 0, 10, "Up"}};
  s.summary = valuation::StatementSummary{10, 10, 300, 30};
  s.unit_id = 1;
  const fs::path stm = folder.Path() / valuation::StatementFileName(s.date);
  valuation::WriteStatementFile(club.Files(), stm, s);
  club.SetSortSecurities(true);

  const TextStatementFile written = WriteValuationTextFile(books, stm, true);
  ASSERT_TRUE(written.outcome);
  const std::string text = Read(folder.Path() / "valuerpt.txt");
  // Sorted by performance as the printed statement is: Up before Flat.
  EXPECT_LT(text.find("\nUp "), text.find("\nFlat "));
  EXPECT_EQ(text.substr(0, text.find('\n')), "Elm Street Investors");
}

TEST_F(TextStatementFilesTest, AStatementThatCannotBeReadIsRefusedAndLeavesTheOldTextWhole) {
  const fs::path old_text = folder.Path() / "valuerpt.txt";
  store::SaveFileAtomically(club.Files(), old_text, "old\n");
  const TextStatementFile written = WriteValuationTextFile(books, folder.Path() / "V06302026.stm");
  EXPECT_TRUE(written.outcome.Refused());
  EXPECT_THAT(ui.Messages(), ElementsAre("Creation of Valuation Statement Failed."));
  EXPECT_EQ(Read(old_text), "old\n");
}

TEST_F(TextStatementFilesTest, ATextThatCannotBeWrittenIsRefusedAndTheOldFileStays) {
  valuation::Statement s;
  s.date = Day(2026, 6, 30);
  s.summary = valuation::StatementSummary{10, 10, 0, 0};
  s.unit_id = 1;
  const fs::path stm = folder.Path() / valuation::StatementFileName(s.date);
  valuation::WriteStatementFile(club.Files(), stm, s);
  store::SaveFileAtomically(club.Files(), folder.Path() / "valuerpt.txt", "old\n");
  store::SaveFileAtomically(club.Files(), folder.Path() / "voterpt.txt", "old vote\n");
  NoRoomForStagedFiles full;
  club.SetFileLayer(&full);

  EXPECT_TRUE(WriteValuationTextFile(books, stm).outcome.Refused());
  EXPECT_THAT(ui.Messages(), ElementsAre("Creation of Valuation Statement Failed."));
  EXPECT_EQ(Read(folder.Path() / "valuerpt.txt"), "old\n");

  ui.Clear();
  EXPECT_TRUE(WriteVoteTextFile(books, Day(2026, 6, 30)).outcome.Refused());
  EXPECT_TRUE(ui.Events().empty()) << "the vote, roster and distribution files fail silently";
  EXPECT_EQ(Read(folder.Path() / "voterpt.txt"), "old vote\n");
  club.SetFileLayer(nullptr);
}

TEST_F(TextStatementFilesTest, ATextFileIsAnOperationOfTheJournalThatUndoPutsBack) {
  store::SaveFileAtomically(club.Files(), folder.Path() / "rosterrpt.txt", "old roster\n");
  AddMember("Smith", "Ann", 1);
  books.Commit();
  const TextStatementFile written = WriteRosterTextFile(books);
  ASSERT_TRUE(written.outcome);
  const std::string text = Read(written.file);
  ASSERT_NE(text, "old roster\n");
  EXPECT_EQ(club.Journal().back().label, "Text statement rosterrpt.txt");
  ASSERT_TRUE(books.Undo());
  EXPECT_EQ(Read(folder.Path() / "rosterrpt.txt"), "old roster\n");
  ASSERT_TRUE(books.Redo());
  EXPECT_EQ(Read(folder.Path() / "rosterrpt.txt"), text);
}

}  // namespace
}  // namespace pellmark::testing
