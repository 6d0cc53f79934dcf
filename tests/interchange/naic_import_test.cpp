// The NAIC import from hand-made ".dt" files: the question first, the four
// accounts, the cash codes with their categories and types, a transfer with
// its counterpart, deleted records skipped, unknown codes reported and left
// out, members and securities that hold nothing hidden, the default accounts
// set to the busiest one; damaged files refused naming file and record.
#include "interchange/naic_import.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "books/books_check.h"
#include "club/keys.h"
#include "club/record_kinds.h"
#include "interchange/club_import.h"
#include "store/whole_files.h"
#include "valuation/statement_file.h"
#include "support/ledger_fixture.h"

namespace pellmark::testing {
namespace {

namespace fs = std::filesystem;
using interchange::ImportSource;
using interchange::NaicFiles;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// One fixed-size record built field by field.
class Bytes {
 public:
  explicit Bytes(std::size_t size) : bytes_(size, '\0') {}
  Bytes& Word(std::size_t offset, std::uint16_t value) {
    bytes_[offset] = static_cast<char>(value & 0xFF);
    bytes_[offset + 1] = static_cast<char>(value >> 8);
    return *this;
  }
  Bytes& Byte(std::size_t offset, std::uint8_t value) {
    bytes_[offset] = static_cast<char>(value);
    return *this;
  }
  Bytes& Double(std::size_t offset, double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    for (int i = 0; i < 8; ++i) bytes_[offset + static_cast<std::size_t>(i)] = static_cast<char>(bits >> (8 * i));
    return *this;
  }
  Bytes& Text(std::size_t offset, std::string_view text) {
    std::memcpy(bytes_.data() + offset, text.data(), text.size());
    return *this;
  }
  Bytes& Date(std::size_t offset, int year, int month, int day) {
    return Word(offset, static_cast<std::uint16_t>(((year - 1980) << 9) | (month << 5) | day));
  }
  const std::string& Str() const { return bytes_; }

 private:
  std::string bytes_;
};

std::string File(std::initializer_list<Bytes> records) {
  std::string bytes(interchange::kNaicHeaderSize, 'H');
  for (const Bytes& record : records) bytes += record.Str();
  return bytes;
}

Bytes Cash(int year, int month, int day, int code, int account, double amount, std::string_view desc,
           std::uint8_t byte8 = 0) {
  return Bytes(52).Date(4, year, month, day).Word(6, static_cast<std::uint16_t>(code)).Byte(8, byte8)
      .Word(10, static_cast<std::uint16_t>(account)).Double(12, amount).Text(20, desc);
}

// A small club: two members (one paid off wholly), two securities (one sold
// out), the bank's register with dues, a dividend, interest, an expense, a
// transfer to the broker, an unknown code and a deleted record.
NaicFiles SmallClub() {
  NaicFiles files;
  files["cash.dt"] = File({Cash(1996, 1, 10, 10, 0, 200, "Dues"), Cash(1996, 2, 1, 3, 4, -12.5, "ACME"),
                           Cash(1996, 3, 1, 2, 4, 1.25, "Bank"), Cash(1996, 3, 5, 0, 4, 20, "Postage"),
                           Cash(1996, 4, 1, 5, 4, 100, "To broker", 1), Cash(1996, 4, 2, 99, 4, 7, "Odd"),
                           Bytes(52).Text(0, "\x1b" "del").Double(12, 5000)});
  files["secname.dt"] = File({Bytes(153).Word(0, 1).Text(4, "Acme Corp").Text(35, "ACME"),
                              Bytes(153).Word(0, 2).Text(4, "Bolt Inc").Text(35, "BOLT")});
  files["valuatn.dt"] = File({Bytes(16).Word(0, 1).Date(4, 1996, 4, 30).Double(8, 21.5)});
  files["member.dt"] = File({Bytes(271).Word(0, 1).Text(4, "Smith").Text(20, "Ann").Text(67, "Springfield"),
                             Bytes(271).Word(0, 2).Text(4, "Jones").Text(20, "Bob")});
  files["security.dt"] = File({Bytes(58).Word(0, 2).Date(4, 1996, 3, 1).Word(6, 2).Double(8, 5).Double(16, 60),
                               Bytes(58).Word(0, 1).Date(4, 1996, 2, 1).Word(6, 1).Double(8, 10).Double(16, 200),
                               Bytes(58).Word(0, 2).Date(4, 1996, 2, 1).Word(6, 1).Double(8, 5).Double(16, 50),
                               Bytes(58).Word(0, 1).Date(4, 1996, 3, 2).Word(6, 14).Double(8, 1).Double(16, 20),
                               Bytes(58).Word(0, 1).Date(4, 1996, 3, 3).Word(6, 55).Double(8, 1).Double(16, 20)});
  files["memtrans.dt"] = File({Bytes(56).Word(0, 1).Date(4, 1996, 1, 10).Word(6, 1).Double(8, 100).Double(16, 10),
                               Bytes(56).Word(0, 2).Date(4, 1996, 1, 10).Word(6, 1).Double(8, 100).Double(16, 10),
                               Bytes(56).Word(0, 2).Date(4, 1996, 3, 1).Word(6, 3).Double(8, 100).Double(16, 10),
                               Bytes(56).Word(0, 9).Date(4, 1996, 3, 1).Word(6, 1).Double(8, 5).Double(16, 10)});
  files["invparms.dt"] = File({Bytes(140).Text(4, "Oak Tree Club").Text(30, "1 Oak Lane").Word(103, 1996)});
  return files;
}

class NaicImport : public ::testing::Test {
 protected:
  void Write(const NaicFiles& files) {
    fs::create_directories(source);
    for (const auto& [name, bytes] : files) store::SaveFileAtomically(store::DefaultFileLayer(), source / name, bytes);
  }
  TempFolder folder;
  fs::path source = folder.Path() / "naic";
  fs::path club_folder = folder.Path() / "club";
  ScriptedInteraction ui;
  FixedClock clock{DayNumberFromCivil({1996, 12, 31})};
};

TEST_F(NaicImport, NoToTheUnarchivedQuestionChangesNothing) {
  fs::create_directories(club_folder);
  Books books(club_folder, ui, clock);
  books.Open();
  ui.AnswerNext(interchange::kNaicUnarchivedQuestion, false);
  EXPECT_TRUE(books.Import(ImportSource::kNaic).outcome.WasCancelled());
  EXPECT_FALSE(books.Club().InfoExists());
  EXPECT_EQ(books.Club().accounts.Count(), 0);
  EXPECT_TRUE(ui.FolderRequests().empty());
  books.Close();
}

TEST_F(NaicImport, ReadsTheClubAndLeavesConsistentBooks) {
  Write(SmallClub());
  fs::create_directories(club_folder);
  Books books(club_folder, ui, clock);
  books.Open();
  ui.AnswerNext(interchange::kNaicUnarchivedQuestion, true);
  ui.AnswerFolderChooser(source);
  const interchange::ImportReport report = books.Import(ImportSource::kNaic);
  ASSERT_TRUE(report.outcome) << report.outcome.Message();
  ASSERT_EQ(ui.FolderRequests().size(), 1u);
  EXPECT_EQ(ui.FolderRequests()[0].mask, "DT|*.dt");
  EXPECT_THAT(report.skipped, ElementsAre("Unknown Account Transaction: 99 Amount $7.00",
                                          "Payoffs with securities not supported", "Could not find member 9"));
  ClubSession& club = books.Club();
  std::vector<std::string> accounts;
  for (const TAccountRec& account : club.accounts.Select("")) accounts.push_back(account.name + ":" +
                                                                                 std::to_string(account.actid));
  EXPECT_THAT(accounts, ElementsAre("Bank:4", "Broker:1", "Petty Cash:3", "Suspense:2"));
  const TAccountRec bank = *club.accounts.Find(NameKey(false, "Bank"));
  EXPECT_DOUBLE_EQ(bank.bal, 200 + 12.5 + 1.25 - 20 - 100);
  EXPECT_DOUBLE_EQ(club.accounts.Find(NameKey(false, "Broker"))->bal, 100);
  std::vector<std::string> lines;
  for (const TAccountTranRec& tran : club.actrecs.Select(OwnerFilter(bank.actid))) {
    lines.push_back(tran.desc + " " + std::to_string(tran.typ) + "/" + std::to_string(tran.catid));
  }
  EXPECT_THAT(lines, ElementsAre("Dues 1/1", "ACME Dividend 1/2", "Bank Interest 4/3", "Postage 2/8",
                                 "To broker 5/10"));
  EXPECT_EQ(club.Info().defact, bank.actid);
  EXPECT_EQ(club.Info().defstkact, bank.actid);
  EXPECT_EQ(club.Info().club, "Oak Tree Club");
  EXPECT_EQ(club.Info().year, 1996);
  // Bob Jones was paid off and Bolt Inc sold out: both hidden.
  EXPECT_EQ(club.members.Keys(), (std::vector<std::string>{"_Smith, Ann", "~Jones, Bob"}));
  EXPECT_EQ(club.securities.Keys(), (std::vector<std::string>{"_Acme Corp", "~Bolt Inc"}));
  const TSecurityRec acme = *club.securities.Find(NameKey(false, "Acme Corp"));
  EXPECT_DOUBLE_EQ(acme.sharest, 10);
  EXPECT_DOUBLE_EQ(acme.pricec, 21.5);
  EXPECT_NEAR(club.members.Find(NameKey(false, "Smith, Ann"))->tunits, 10, 1e-9);
  // The valuation of the payout's day has its statement, made from the
  // imported books with the unit value the files recorded; the first day's,
  // the club's starting value, has none.
  EXPECT_FALSE(fs::exists(club_folder / "V01101996.stm"));
  const valuation::Statement statement =
      valuation::ReadStatementFile(store::DefaultFileLayer(), club_folder / "V03011996.stm");
  const TUnitValueRec payout_day = club.unitfile.Select("").at(1);
  EXPECT_EQ(statement.date, DayNumberFromCivil({1996, 3, 1}));
  EXPECT_EQ(statement.unit_id, payout_day.unitid);
  ASSERT_TRUE(statement.summary);
  EXPECT_DOUBLE_EQ(statement.summary->new_unit_value, payout_day.unitval);
  EXPECT_DOUBLE_EQ(statement.summary->previous_unit_value, club.unitfile.Select("").at(0).unitval);
  ASSERT_EQ(statement.members.size(), 1u);
  EXPECT_EQ(statement.members[0].name, "Ann Smith");
  EXPECT_NEAR(statement.members[0].units, 10, 1e-9);
  std::vector<std::string> breaches;
  for (const BooksBreach& breach : CheckBooks(club)) breaches.push_back(breach.text);
  EXPECT_THAT(breaches, ::testing::IsEmpty());
  books.Close();
}

TEST_F(NaicImport, DamagedFilesAreRefusedNamingFileAndRecord) {
  auto refusal = [&](NaicFiles files) {
    fs::remove_all(source);
    Write(files);
    const fs::path club = folder.Path() / ("club" + std::to_string(ui.Messages().size()));
    fs::create_directories(club);
    Books books(club, ui, clock);
    books.Open();
    ui.AnswerNext(interchange::kNaicUnarchivedQuestion, true);
    const interchange::ImportReport report = books.Import(ImportSource::kNaic, source);
    EXPECT_EQ(books.Club().accounts.Count(), 0);
    books.Close();
    return report.outcome.Message();
  };
  NaicFiles cut = SmallClub();
  cut["cash.dt"].resize(cut["cash.dt"].size() - 10);
  EXPECT_EQ(refusal(cut),
            "Import file not found or incorrect.\ncash.dt record 7: 42 bytes where a record has 52");
  NaicFiles missing = SmallClub();
  missing.erase("memtrans.dt");
  EXPECT_EQ(refusal(missing), "Import file not found or incorrect.\nCould not open memtrans.dt");
  NaicFiles account = SmallClub();
  account["cash.dt"] += Cash(1996, 5, 1, 1, 7, 5, "Lost").Str();
  EXPECT_EQ(refusal(account), "Import file not found or incorrect.\ncash.dt record 8: Could not find account 7");
  NaicFiles date = SmallClub();
  date["cash.dt"] += Cash(1996, 13, 1, 1, 4, 5, "Never").Str();
  EXPECT_THAT(refusal(date), HasSubstr("cash.dt record 8: the date"));
  NaicFiles amount = SmallClub();
  amount["memtrans.dt"] += Bytes(56).Word(0, 1).Date(4, 1996, 1, 10).Word(6, 1).Double(8, std::nan("")).Str();
  EXPECT_EQ(refusal(amount), "Import file not found or incorrect.\nmemtrans.dt record 5: the amount is no amount");
}

}  // namespace
}  // namespace pellmark::testing
