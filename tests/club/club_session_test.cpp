#include "club/club_session.h"
#include "forms/club_setup_form.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <iterator>
#include <span>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "club/club_info_file.h"
#include "club/journal.h"
#include "club/keys.h"
#include "store/failing_file_layer.h"
#include "support/byte_fixture.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace pellmark {
namespace {

using ::testing::ElementsAre;
using testing::ByteFixture;
using testing::ScriptedInteraction;
using testing::TempFolder;

DayNumber Day(int y, int m, int d) { return DayNumberFromCivil({y, m, d}); }

constexpr const char* kStoreFiles[] = {"clubmem.qdb", "memrec.qdb",  "clubstk.qdb", "stkprice.qdb", "stkrec.qdb",
                                       "actrec.qdb",  "clubcat.qdb", "clubact.qdb", "clubunit.qdb"};

class ClubSessionTest : public ::testing::Test {
 protected:
  ClubInfoFields FirstSetUp(ClubSession& club) {
    ClubInfoFields fields = ClubSetupFields(club);
    fields.club = "Elm Street Investors";
    return fields;
  }

  // Opens a store of the club folder directly, as another program would.
  void WithStore(const char* file, const std::function<void(store::TQDB&)>& work) {
    store::TQDB store;
    store.WarnNoData = [](store::TQDB&) {};
    store.SetFileName(folder.Path() / file);
    work(store);
    store.SetFileName("");
  }

  TempFolder folder;
  ScriptedInteraction ui;
  FixedClock clock{Day(2026, 12, 7)};
};

TEST_F(ClubSessionTest, FirstRunInAnEmptyFolder) {
  {
    ClubSession club(folder.Path(), ui, clock);
    club.OpenClub(false);
    EXPECT_FALSE(club.InfoExists());
    EXPECT_EQ(club.categories.Count(), 10);
    ClubInfoFields fields = ClubSetupFields(club);
    EXPECT_EQ(fields.club, "Investment Club Name");
    EXPECT_EQ(fields.addr, "Address, City, Zip");
    EXPECT_EQ(fields.idnum, "Tax ID");
    EXPECT_EQ(fields.year, "2026");
    EXPECT_EQ(fields.startunit, "25.00");

    fields.year = "1999";
    fields.club = "Elm Street Investors";
    ASSERT_TRUE(CommitClubSetup(club, fields));
    EXPECT_THAT(ui.Messages(), ElementsAre("Club Information added."));
    EXPECT_EQ(ui.SoundCount(), 1);
    EXPECT_TRUE(club.InfoExists());
    EXPECT_TRUE(club.Info().sort);

    auto unit = *club.unitfile.Find("1999_000_00000");
    EXPECT_EQ(unit.unitval, 25.0);
    EXPECT_EQ(unit.date, Day(1999, 1, 1));
    EXPECT_FALSE(unit.upd);
    EXPECT_EQ(club.Info().unitind, 1);
    EXPECT_EQ(club.Info().unitkey, 0);
    EXPECT_EQ(club.Info().vunit, 25.0);

    auto cash = *club.accounts.Find("_Cash");
    EXPECT_EQ(cash.number, "Account Number");
    EXPECT_EQ(cash.lstchk, -1);
    EXPECT_EQ(cash.lstdate, Day(2026, 12, 7));
    EXPECT_EQ(cash.actid, 1);
    EXPECT_FALSE(cash.ExcludedFromValuation());
    EXPECT_EQ(club.Info().defact, 1);
    EXPECT_EQ(club.Info().defstkact, 1);
    club.Close();
  }
  for (const char* file : kStoreFiles) EXPECT_TRUE(std::filesystem::exists(folder.Path() / file)) << file;
  EXPECT_TRUE(std::filesystem::exists(folder.Path() / "clubstaten.qdb"));
  auto info = ReadClubInfo(folder.Path());
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->club, "Elm Street Investors");
  EXPECT_EQ(info->year, 1999);
}

// The session keeps the newest kJournalCapacity entries, in order, however
// many commits pass the limit, and the file the close writes holds the same.
TEST_F(ClubSessionTest, TheJournalKeepsItsNewestEntriesAcrossManyCommits) {
  std::vector<std::uint64_t> kept;
  {
    ClubSession club(folder.Path(), ui, clock);
    club.OpenClub(false);
    ASSERT_TRUE(CommitClubSetup(club, FirstSetUp(club)));
    const std::uint64_t first = club.Journal().back().id;
    constexpr int kCommits = 2 * static_cast<int>(kJournalCapacity) + 37;
    for (int n = 1; n <= kCommits; ++n) {
      TAccountRec cash = *club.accounts.Find(NameKey(false, "Cash"));
      cash.number = std::to_string(n);
      club.accounts.Put(cash);
      club.Commit();
      const std::span<const JournalEntry> journal = club.Journal();
      const std::uint64_t newest = first + static_cast<std::uint64_t>(n);
      ASSERT_EQ(journal.back().id, newest) << "commit " << n;
      ASSERT_EQ(journal.size(), std::min<std::uint64_t>(kJournalCapacity, newest)) << "commit " << n;
      ASSERT_EQ(journal.front().id, newest - journal.size() + 1) << "commit " << n;
      ASSERT_EQ(club.UndoCandidate(), &journal.back()) << "commit " << n;
    }
    for (const JournalEntry& entry : club.Journal()) kept.push_back(entry.id);
    EXPECT_EQ(club.Journal().back().label, "Change account Cash");
    club.Close();
  }
  ClubSession again(folder.Path(), ui, clock);
  again.OpenClub(false);
  std::vector<std::uint64_t> read;
  for (const JournalEntry& entry : again.Journal()) read.push_back(entry.id);
  EXPECT_EQ(read, kept);
  ASSERT_TRUE(again.UndoNewest());
  again.Commit();
  EXPECT_EQ(again.accounts.Find(NameKey(false, "Cash"))->number, std::to_string(2 * kJournalCapacity + 36));
  again.Close();
}

// The newest entries ride in the commit record until they are written to the
// working file together: a program that dies after any commit leaves a club
// whose next open has every entry committed, and the working file is written
// far less often than once a commit.
TEST_F(ClubSessionTest, AProgramThatDiesAfterAnyCommitLeavesEveryEntryCommitted) {
  namespace fs = std::filesystem;
  ClubSession club(folder.Path(), ui, clock);
  club.OpenClub(false);
  ASSERT_TRUE(CommitClubSetup(club, FirstSetUp(club)));
  const fs::path working = folder.Path() / kWorkingFolderName / kJournalWorkingName;
  int writes_of_the_working_file = 0;
  std::uintmax_t working_size = fs::exists(working) ? fs::file_size(working) : 0;
  constexpr int kCommits = 60;
  for (int n = 1; n <= kCommits; ++n) {
    TAccountRec cash = *club.accounts.Find(NameKey(false, "Cash"));
    cash.number = std::string(20, static_cast<char>('a' + n % 26));
    club.accounts.Put(cash);
    club.Commit();
    const std::uintmax_t size = fs::exists(working) ? fs::file_size(working) : 0;
    if (size != working_size) ++writes_of_the_working_file;
    working_size = size;

    const TempFolder died;
    fs::copy(folder.Path(), died.Path(), fs::copy_options::recursive);
    ClubSession reopened(died.Path(), ui, clock);
    reopened.OpenClub(false);
    ASSERT_EQ(reopened.Journal().size(), club.Journal().size()) << "after commit " << n;
    for (std::size_t i = 0; i < club.Journal().size(); ++i) {
      ASSERT_EQ(reopened.Journal()[i].id, club.Journal()[i].id) << "after commit " << n;
      ASSERT_EQ(reopened.Journal()[i].items.size(), club.Journal()[i].items.size()) << "after commit " << n;
    }
    EXPECT_EQ(reopened.accounts.Find(NameKey(false, "Cash"))->number, cash.number);
    EXPECT_FALSE(reopened.JournalDamage()) << "after commit " << n;
    reopened.Close();
  }
  EXPECT_GT(writes_of_the_working_file, 0);
  EXPECT_LT(writes_of_the_working_file, kCommits / 4);
  club.Close();
}

TEST_F(ClubSessionTest, AnInvalidTrackYearChangesNothing) {
  ClubSession club(folder.Path(), ui, clock);
  club.OpenClub(false);
  ClubInfoFields fields = FirstSetUp(club);
  fields.year = "19x7";
  EXPECT_FALSE(CommitClubSetup(club, fields));
  EXPECT_THAT(ui.Messages(), ElementsAre("Invalid Track Year"));
  EXPECT_EQ(ui.BeepCount(), 1);
  EXPECT_FALSE(club.InfoExists());
  EXPECT_EQ(club.unitfile.Count(), 0);
  EXPECT_EQ(club.accounts.Count(), 0);
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "clubinfo.qdb"));
}

TEST_F(ClubSessionTest, TheTrackYearMayHaveSpacesAroundButNoPlusSign) {
  ClubSession club(folder.Path(), ui, clock);
  club.OpenClub(false);
  ClubInfoFields fields = FirstSetUp(club);
  for (const char* bad : {"+1999", "1999.0", "0", "10000", " "}) {
    fields.year = bad;
    EXPECT_FALSE(CommitClubSetup(club, fields)) << bad;
  }
  EXPECT_THAT(ui.Messages(), ElementsAre("Invalid Track Year", "Invalid Track Year", "Invalid Track Year",
                                         "Invalid Track Year", "Invalid Track Year"));
  fields.year = " 1999 ";
  ASSERT_TRUE(CommitClubSetup(club, fields));
  EXPECT_EQ(club.Info().year, 1999);
}

TEST_F(ClubSessionTest, SetUpChecksRunInOrderAndStopAtTheFirstFailure) {
  ClubSession club(folder.Path(), ui, clock);
  club.OpenClub(false);
  ClubInfoFields fields = FirstSetUp(club);
  fields.usepxy = true;
  fields.usepas = true;
  fields.contyp = 0;
  fields.startunit = "abc";

  EXPECT_FALSE(CommitClubSetup(club, fields));
  fields.proxy = "proxy.example.com";
  EXPECT_FALSE(CommitClubSetup(club, fields));
  fields.user = "ann";
  EXPECT_FALSE(CommitClubSetup(club, fields));
  fields.passwd = "secret";
  bool cleared = false;
  EXPECT_FALSE(CommitClubSetup(club, fields, &cleared));
  EXPECT_TRUE(cleared);
  fields.contyp = 1;
  EXPECT_FALSE(CommitClubSetup(club, fields, &cleared));
  EXPECT_FALSE(cleared);
  fields.startunit = "0";
  EXPECT_FALSE(CommitClubSetup(club, fields));
  fields.startunit = "1e308";  // $50 of dues would buy no visible units
  EXPECT_FALSE(CommitClubSetup(club, fields));
  fields.startunit = "0.001";
  EXPECT_FALSE(CommitClubSetup(club, fields));

  EXPECT_THAT(ui.Messages(),
              ElementsAre("Use Proxy checked but proxy server not provided.",
                          "Basic Authentication checked but user and/or password not provided.",
                          "Basic Authentication checked but user and/or password not provided.",
                          "Dialup Connection selected but no dialup entry selected.", "Invalid Start Unit Value",
                          "Invalid Start Unit Value", "Invalid Start Unit Value", "Invalid Start Unit Value"));
  EXPECT_FALSE(club.InfoExists());
  EXPECT_EQ(club.unitfile.Count(), 0);

  ui.Clear();
  fields.startunit = "12.50";
  ASSERT_TRUE(CommitClubSetup(club, fields));
  EXPECT_EQ(club.Info().proxy, "proxy.example.com");
  EXPECT_TRUE(club.Info().usepxy);
  EXPECT_EQ(club.Info().contyp, 1);
  EXPECT_EQ(club.Info().vunit, 12.5);
}

TEST_F(ClubSessionTest, ASecondCommitUpdatesWithoutAnotherUnitOrAccount) {
  ClubSession club(folder.Path(), ui, clock);
  club.OpenClub(false);
  ASSERT_TRUE(CommitClubSetup(club, FirstSetUp(club)));
  ClubInfoFields fields = ClubSetupFields(club);
  EXPECT_FALSE(fields.startunit.has_value());
  fields.addr = std::string(70, 'A');
  ASSERT_TRUE(CommitClubSetup(club, fields));
  EXPECT_THAT(ui.Messages(), ElementsAre("Club Information added.", "Club Information updated."));
  EXPECT_EQ(club.Info().addr.size(), 60u);
  EXPECT_EQ(club.unitfile.Count(), 1);
  EXPECT_EQ(club.accounts.Count(), 1);
}

TEST_F(ClubSessionTest, ClubInformationCutOrLostIsDamageNotANewClub) {
  {
    ClubSession club(folder.Path(), ui, clock);
    club.OpenClub(false);
    ASSERT_TRUE(CommitClubSetup(club, FirstSetUp(club)));
    club.Close();
  }
  const std::filesystem::path file = folder.Path() / kClubInfoFileName;
  std::string whole;
  {
    std::ifstream in(file, std::ios::binary);
    whole.assign(std::istreambuf_iterator<char>(in), {});
  }
  ASSERT_EQ(whole.size(), 313u);
  const std::string damaged = "The club information file " + file.string() + " is damaged. Restore the club from a backup.";
  const std::string missing = "The club information file " + file.string() +
                              " is missing, though the club's stores hold its records. Restore the club from a backup.";
  for (std::size_t length : {std::size_t{0}, std::size_t{1}, std::size_t{78}, std::size_t{133}, std::size_t{135},
                             std::size_t{146}, std::size_t{148}, std::size_t{156}, std::size_t{312}, std::size_t{313},
                             std::string::npos}) {
    SCOPED_TRACE(length);
    if (length == std::string::npos) {
      std::filesystem::remove(file);
    } else {
      std::ofstream(file, std::ios::binary | std::ios::trunc) << whole.substr(0, length);
    }
    ui.Clear();
    ClubSession club(folder.Path(), ui, clock);
    club.OpenClub(false);
    if (length == 313) {
      EXPECT_TRUE(club.InfoExists());
      EXPECT_FALSE(club.InfoDamage());
      club.Close();
      continue;
    }
    EXPECT_FALSE(club.InfoExists());
    EXPECT_EQ(club.InfoDamage(), length == std::string::npos ? missing : damaged);
    // A set-up would take the stores over at a new unit value.
    EXPECT_TRUE(CommitClubSetup(club, FirstSetUp(club)).Refused());
    EXPECT_THAT(ui.Messages(), ElementsAre(length == std::string::npos ? missing : damaged));
    EXPECT_EQ(club.unitfile.Count(), 1);
    club.Close();
    if (length == std::string::npos) {
      EXPECT_FALSE(std::filesystem::exists(file));
    } else {
      std::ifstream in(file, std::ios::binary);
      EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), whole.substr(0, length)) << "left as it was";
    }
  }
}

TEST_F(ClubSessionTest, AClubWithoutInformationOrRecordsIsANewClub) {
  {
    ClubSession club(folder.Path(), ui, clock);
    club.OpenClub(false);
    club.Close();
  }
  ClubSession club(folder.Path(), ui, clock);
  club.OpenClub(false);  // the stores are there, the categories only in them
  EXPECT_FALSE(club.InfoDamage());
  EXPECT_TRUE(CommitClubSetup(club, FirstSetUp(club)));
}

TEST_F(ClubSessionTest, ReopeningKeepsCategoriesEvenWhenSomeWereDeleted) {
  {
    ClubSession club(folder.Path(), ui, clock);
    club.OpenClub(false);
    ASSERT_TRUE(club.categories.Remove("Other Income_5_D"));
    club.Close();
  }
  ClubSession club(folder.Path(), ui, clock);
  club.OpenClub(false);
  EXPECT_EQ(club.categories.Count(), 9);
}

TEST_F(ClubSessionTest, HiddenItemsAreRecountedAndTheirFiguresZeroed) {
  {
    ClubSession club(folder.Path(), ui, clock);
    club.OpenClub(false);
    ASSERT_TRUE(CommitClubSetup(club, FirstSetUp(club)));
    TMemberRec member;
    member.lname = "Smith";
    member.fname = "Ann";
    member.tunits = 10;
    club.members.PutAt("_Smith, Ann", member);
    member.active = false;
    member.lname = "Jones";
    member.tunits = 4;
    club.members.PutAt("~Jones, Ann", member);
    member.lname = "Zed";
    member.tunits = 0;
    club.members.PutAt("~Zed, Ann", member);
    club.Close();
  }
  ClubSession club(folder.Path(), ui, clock);
  club.OpenClub(false);
  EXPECT_EQ(club.Info().hidmems, 2);
  EXPECT_EQ(club.members.Find("~Jones, Ann")->tunits, 0);
  EXPECT_EQ(club.members.Find("_Smith, Ann")->tunits, 10);
  EXPECT_EQ(ReadClubInfo(folder.Path())->hidmems, 2);  // written at once
}

TEST_F(ClubSessionTest, TheOlderViewStateFileIsUsedOnce) {
  std::ofstream(folder.Path() / "clubstate.qdb", std::ios::binary) << ByteFixture(19).Byte(3, 1).Bytes();
  ClubSession club(folder.Path(), ui, clock);
  club.OpenClub(false);
  EXPECT_TRUE(club.View().alldues);
  EXPECT_TRUE(club.View().usecolor);
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "clubstate.qdb"));
}

TEST_F(ClubSessionTest, TheStoresAndTheClubFilesGoThroughTheSessionsFileLayer) {
  store::testing::FailingFileLayer files;
  files.MarkUnwritable(folder.Path() / "clubmem.qdb");
  ClubSession club(folder.Path(), ui, clock);
  club.SetFileLayer(&files);
  club.OpenClub(false);
  EXPECT_TRUE(club.members.UnderlyingStore().ReadOnly());
  EXPECT_FALSE(club.memrecs.UnderlyingStore().ReadOnly());
  club.CloseStores();

  auto failure = [](const std::function<void()>& write) -> std::string {
    try {
      write();
    } catch (const store::FileLayerError& error) {
      return error.what();
    }
    return "no failure";
  };
  files.FailAt(1, ENOSPC);
  // The books are closed whole: a view state that cannot be written is only a warning.
  ui.Clear();
  EXPECT_EQ(failure([&] { club.Close(); }), "no failure");
  EXPECT_THAT(ui.Messages(), ::testing::ElementsAre("The view settings could not be saved (Could not create " +
                                                    (folder.Path() / "clubstaten.qdb.new").string() +
                                                    ": No space left on device)."));
  files.FailAt(4, EIO);
  EXPECT_EQ(failure([&] { club.WriteClubInfo(); }),
            "Could not replace " + (folder.Path() / "clubinfo.qdb").string() + ": Input/output error");
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "clubinfo.qdb"));

  club.SetFileLayer(nullptr);
  files.FailAt(1, EIO);
  club.WriteClubInfo();
  club.Close();
  EXPECT_EQ(files.Calls(), 0);
  EXPECT_TRUE(std::filesystem::exists(folder.Path() / "clubinfo.qdb"));
  EXPECT_TRUE(std::filesystem::exists(folder.Path() / "clubstaten.qdb"));
}

// A club written by the oldest release: a 134-byte club information file,
// 230-byte member records, member transactions without unit links and two prices
// of one day.
class OldClubTest : public ClubSessionTest {
 protected:
  void SetUp() override {
    std::ofstream(folder.Path() / "clubinfo.qdb", std::ios::binary)
        << ByteFixture(134).Text(0, "Oldest Club").Double(102, 11).Int(110, 2).Int(114, 1998).Int(118, 1).Bytes();
    WithStore("clubunit.qdb", [](store::TQDB& units) {
      TUnitValueRec unit;
      unit.unitval = 10;
      unit.date = Day(1998, 1, 1);
      units.Add(EncodeRecord(unit), "old-key-a");
      unit.unitval = 11;
      unit.date = Day(1998, 6, 30);
      unit.unitid = 9;
      units.Add(EncodeRecord(unit), "old-key-b");
    });
    WithStore("clubmem.qdb", [](store::TQDB& members) {
      members.Add(ByteFixture(230).Text(0, "Smith").Text(16, "Ann").Text(63, "A City Name Longer Than Twenty")
                      .Text(176, "ann@example.com").Byte(196, 'P').Double(197, 5).Double(205, 50).Int(221, 1)
                      .Int(225, 3).Byte(229, 1).Bytes(),
                  "_Smith, Ann");
    });
    WithStore("memrec.qdb", [](store::TQDB& memrecs) {
      TMemberTranRec payment;
      payment.memid = 1;
      payment.dues = 50;
      payment.cunit = 10;
      payment.trandate = Day(1998, 2, 1);
      payment.image.PutInt(24, 77);  // the older layout's value at bytes 24..31
      payment.gain = 77;
      memrecs.Add(EncodeRecord(payment), TranKey(1, 0, payment.trandate));
      TMemberTranRec empty = payment;
      empty.dues = 0.004;
      empty.duestran = 1;
      memrecs.Add(EncodeRecord(empty), TranKey(1, 1, empty.trandate));
      TMemberTranRec unpriced = payment;
      unpriced.cunit = 0;
      unpriced.duestran = 2;
      unpriced.trandate = Day(1998, 3, 1);
      memrecs.Add(EncodeRecord(unpriced), TranKey(1, 2, unpriced.trandate));
    });
    WithStore("clubstk.qdb", [](store::TQDB& securities) {
      TSecurityRec acme;
      acme.stkid = 4;
      securities.Add(EncodeRecord(acme), "_Acme");
    });
    WithStore("stkprice.qdb", [](store::TQDB& prices) {
      for (std::int32_t id : {0, 1, 2}) {
        TPriceRec price;
        price.stkid = 4;
        price.tranid = id;
        price.price = 20 + id;
        price.trandate = id == 0 ? Day(1998, 5, 1) : Day(1998, 6, 1);
        prices.Add(EncodeRecord(price), TranKey(4, id, price.trandate));
      }
    });
  }
};

TEST_F(OldClubTest, BothUpgradesRunInOneStart) {
  ClubSession club(folder.Path(), ui, clock);
  const std::vector<std::int32_t> recalculated = club.OpenClub(false);

  EXPECT_THAT(ui.Messages(), ElementsAre("Pellmark Data File Formats will be updated"));
  EXPECT_EQ(ui.BeepCount(), 3);
  EXPECT_EQ(club.Info().cnthndl, 0);

  TMemberRec member = *club.members.Find("_Smith, Ann");
  EXPECT_EQ(member.city, "A City Name Longer T");
  EXPECT_EQ(member.email, "ann@example.com");
  EXPECT_EQ(member.totalc, 50);
  EXPECT_EQ(member.duescount, 3);
  EXPECT_THAT(recalculated, ElementsAre(1));

  // The unit values are re-keyed by position, and the club points at the one of vunit.
  EXPECT_THAT(club.unitfile.Keys(), ElementsAre("1998_000_00000", "1998_180_00001"));
  EXPECT_EQ(club.Info().unitind, 10);  // above the kept ids 0 and 9, not the count of records
  EXPECT_EQ(club.Info().unitkey, 9);  // the id stored in the record that holds vunit
  EXPECT_EQ(club.Info().date, Day(1998, 6, 30));

  EXPECT_EQ(club.memrecs.Count(), 2);  // the empty payment is gone
  auto payment = *club.memrecs.Find(TranKey(1, 0, Day(1998, 2, 1)));
  EXPECT_EQ(payment.gain, 0);
  EXPECT_EQ(payment.unitind, 0);
  auto unpriced = *club.memrecs.Find(TranKey(1, 2, Day(1998, 3, 1)));
  EXPECT_EQ(unpriced.unitind, -1);

  EXPECT_THAT(club.prices.Keys(), ElementsAre("4_1998_120_00000", "4_1998_151_00002"));

  auto stored = ReadClubInfo(folder.Path());
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->cnthndl, 0);
  EXPECT_EQ(stored->unitkey, 9);
}

TEST_F(OldClubTest, ACentIsNoEmptyAmountAndSurvivesTheUpgrade) {
  WithStore("memrec.qdb", [](store::TQDB& memrecs) {
    TMemberTranRec cent;
    cent.memid = 1;
    cent.dues = 0.01;
    cent.duestran = 3;
    cent.trandate = Day(1998, 4, 1);
    memrecs.Add(EncodeRecord(cent), TranKey(1, 3, cent.trandate));
  });
  ClubSession club(folder.Path(), ui, clock);
  static_cast<void>(club.OpenClub(false));
  ASSERT_TRUE(club.memrecs.Find(TranKey(1, 3, Day(1998, 4, 1))).has_value());
  EXPECT_FALSE(club.memrecs.Find(TranKey(1, 1, Day(1998, 2, 1))).has_value());  // 0.004 goes
}

TEST_F(OldClubTest, APaymentDatedOnAValuationDayLinksToThatValuation) {
  WithStore("memrec.qdb", [](store::TQDB& memrecs) {
    TMemberTranRec on_the_day;
    on_the_day.memid = 1;
    on_the_day.dues = 22;
    on_the_day.cunit = 11;
    on_the_day.duestran = 3;
    on_the_day.trandate = Day(1998, 6, 30);
    memrecs.Add(EncodeRecord(on_the_day), TranKey(1, 3, on_the_day.trandate));
  });
  ClubSession club(folder.Path(), ui, clock);
  static_cast<void>(club.OpenClub(false));
  EXPECT_EQ(club.memrecs.Find(TranKey(1, 3, Day(1998, 6, 30)))->unitind, 9);
}

}  // namespace
}  // namespace pellmark
