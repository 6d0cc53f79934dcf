// A treasurer's autumn, every figure worked out by hand: dues at the starting
// unit value, a purchase, a price, an official valuation, dues that buy at the
// new value, a current valuation, a payoff at it and a test statement.
#include <gmock/gmock.h>

#include <fstream>

#include "valuation/valuation_fixture.h"

namespace pellmark::valuation {
namespace {

using ::testing::ElementsAre;

// A 51-byte statement record written by hand from the layout table.
class RecordImage {
 public:
  explicit RecordImage(std::uint8_t kind) : bytes_(kStatementRecordSize, '\0') { bytes_[0] = static_cast<char>(kind); }
  RecordImage& Real(std::size_t at, std::initializer_list<std::uint8_t> six) {
    for (std::uint8_t b : six) bytes_[at++] = static_cast<char>(b);
    return *this;
  }
  RecordImage& Text(std::size_t at, std::string_view text) {
    bytes_.replace(at, text.size(), text);
    return *this;
  }
  RecordImage& Int(std::size_t at, std::int32_t value) {
    for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<char>(static_cast<std::uint32_t>(value) >> (8 * i));
    return *this;
  }
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// 6-byte reals by hand: exponent + 129, then the fraction after the leading 1
// with its top seven bits in byte 5 (0x40 is one half).
constexpr std::initializer_list<std::uint8_t> kZero{0, 0, 0, 0, 0, 0};
constexpr std::initializer_list<std::uint8_t> k2{0x82, 0, 0, 0, 0, 0};           // 1 x 2^1
constexpr std::initializer_list<std::uint8_t> k4{0x83, 0, 0, 0, 0, 0};           // 1 x 2^2
constexpr std::initializer_list<std::uint8_t> k6{0x83, 0, 0, 0, 0, 0x40};        // 1.5 x 2^2
constexpr std::initializer_list<std::uint8_t> k10{0x84, 0, 0, 0, 0, 0x20};       // 1.25 x 2^3
constexpr std::initializer_list<std::uint8_t> k10_5{0x84, 0, 0, 0, 0, 0x28};     // 1.3125 x 2^3
constexpr std::initializer_list<std::uint8_t> k12{0x84, 0, 0, 0, 0, 0x40};       // 1.5 x 2^3
constexpr std::initializer_list<std::uint8_t> k25{0x85, 0, 0, 0, 0, 0x48};       // 1.5625 x 2^4
constexpr std::initializer_list<std::uint8_t> k27_5{0x85, 0, 0, 0, 0, 0x5C};     // 1.71875 x 2^4
constexpr std::initializer_list<std::uint8_t> k45{0x86, 0, 0, 0, 0, 0x34};       // 1.40625 x 2^5
constexpr std::initializer_list<std::uint8_t> k50{0x86, 0, 0, 0, 0, 0x48};       // 1.5625 x 2^5
constexpr std::initializer_list<std::uint8_t> k100{0x87, 0, 0, 0, 0, 0x48};      // 1.5625 x 2^6
constexpr std::initializer_list<std::uint8_t> k165{0x88, 0, 0, 0, 0, 0x25};      // 1.2890625 x 2^7

class TreasurerStory : public testing::ValuationFixture {};

TEST_F(TreasurerStory, UnitValuesAndMemberFiguresFollowTheBooks) {
  const DayNumber nov30 = Day(2026, 11, 30);
  const DayNumber dec7 = Day(2026, 12, 7);

  // November: dues at the starting 25.00 (Bob 2 units, Ann 4), 10 Acme at 10.00
  // with 5.00 commission (Cash 150 - 105 = 45), Acme at 12.00.
  Dues(Day(2026, 11, 2), {{"Smith, Ann", "100"}, {"Jones, Bob", "50"}});
  AddSecurity("Acme", "ACM");
  Buy("Acme", 10, 10, 5, Day(2026, 11, 5));
  NewPrice("Acme", 12, Day(2026, 11, 20));
  ui.Clear();

  // 30 November, past-dated: 10 x 12 + 45 = 165 over 6 units = 27.50.
  ValuationResult november = Official(nov30);
  ASSERT_TRUE(november.outcome) << november.outcome.Message();
  EXPECT_THAT(ui.Messages(), ElementsAre("Valuation Statement V11302026.stm created. Valuation Updated"));
  EXPECT_EQ(ui.SoundCount(), 1);
  EXPECT_FALSE(november.figures->current);
  EXPECT_EQ(november.figures->unit_value, 27.5);
  EXPECT_EQ(november.figures->previous_unit_value, 25);
  const std::string expected =
      RecordImage(0).Text(1, "30-NOV-2026").Bytes() +
      RecordImage(2).Real(1, k10_5).Real(7, k12).Real(13, kZero).Real(19, k10).Text(25, "Acme").Bytes() +
      RecordImage(5).Real(1, kZero).Bytes() +
      RecordImage(3).Real(1, k45).Real(7, kZero).Text(13, "Cash").Bytes() +
      RecordImage(1).Real(1, k2).Real(7, k50).Real(13, kZero).Text(19, "Bob Jones").Bytes() +
      RecordImage(1).Real(1, k4).Real(7, k100).Real(13, kZero).Text(19, "Ann Smith").Bytes() +
      RecordImage(4).Real(1, k27_5).Real(7, k25).Real(13, k165).Real(19, k6).Bytes() +
      RecordImage(6).Int(1, 1).Bytes();
  EXPECT_EQ(FileBytes(StatementPath(nov30)), expected);
  ASSERT_EQ(Units().size(), 2u);
  EXPECT_EQ(Units()[1].unitval, 27.5);
  EXPECT_EQ(Units()[1].unitid, 1);
  EXPECT_FALSE(Units()[1].upd);
  EXPECT_EQ(club.Info().vunit, 27.5);
  EXPECT_EQ(club.Info().unitkey, 1);
  EXPECT_EQ(club.Info().date, nov30);
  EXPECT_EQ(club.Info().unitind, 2);
  EXPECT_FALSE(club.Info().dues);
  EXPECT_FALSE(club.Info().stks);
  // The backup set lies in the club folder, the club information as committed.
  for (const char* name : interchange::kBackupFiles) EXPECT_TRUE(std::filesystem::exists(folder.Path() / name)) << name;
  EXPECT_EQ(FileBytes(folder.Path() / "clubinfo.bck"), FileBytes(folder.Path() / "clubinfo.qdb"));

  // 1 December: dues buy at 27.50 (Bob 27.50 is 1 unit, Ann 55 is 2); Cash 127.50.
  Dues(Day(2026, 12, 1), {{"Smith, Ann", "55"}, {"Jones, Bob", "27.50"}});
  const TMemberTranRec ann_december = books.Members().Transactions(Member("Smith, Ann").memid).back();
  EXPECT_EQ(ann_december.cunit, 27.5);
  EXPECT_EQ(ann_december.unitind, 1);
  EXPECT_EQ(Member("Smith, Ann").tunits, 6);
  EXPECT_EQ(Member("Jones, Bob").tunits, 3);
  NewPrice("Acme", 14.25, Day(2026, 12, 3));
  ui.Clear();

  // 7 December, current (prices and dues both new, so no question):
  // 10 x 14.25 + 127.50 = 270 over 9 units = 30.00.
  ValuationResult december = Official(dec7);
  ASSERT_TRUE(december.outcome);
  EXPECT_TRUE(december.figures->current);
  EXPECT_EQ(december.figures->unit_value, 30);
  EXPECT_EQ(december.figures->previous_unit_value, 27.5);
  EXPECT_THAT(ui.Messages(), ElementsAre("Valuation Statement V12072026.stm created. Valuation Updated"));
  Statement official = ReadStatement(dec7);
  EXPECT_EQ(official.unit_id, 2);
  EXPECT_EQ(official.summary->total_value, 270);
  EXPECT_EQ(official.members.at(0).units, 3);
  EXPECT_EQ(official.members.at(0).contributions, 77.5);
  EXPECT_EQ(official.accounts.at(0).balance, 127.5);
  ClubSummary panel = books.Figures().Summary();
  EXPECT_EQ(panel.assets, 270);
  EXPECT_EQ(panel.units, 9);
  EXPECT_EQ(panel.actual_unit, 30);
  EXPECT_EQ(panel.purchase_unit, 30);

  // Bob is paid off at 30.00: 3 units are 90 (Cash 37.50, his contributions 77.50 - 90).
  ui.AnswerEntryDialog([](EntryDialog& dialog) {
    dialog.Form().amount.text = "90";
    dialog.Form().price.text = "0";
    dialog.Form().tax.checked = false;
    dialog.taxClick();
  });
  ui.AnswerNext("Do you want to hide member Bob Jones?", false);
  ASSERT_TRUE(books.Settle(books.Members().Collect(ledger::MemberAction::Payoff, std::string("Jones, Bob"), dec7)));
  EXPECT_EQ(Member("Jones, Bob").tunits, 0);
  EXPECT_EQ(Member("Jones, Bob").totalc, -12.5);
  EXPECT_EQ(Cash().bal, 37.5);
  ui.Clear();

  // A test statement of the same day replaces the official one: 142.50 + 37.50
  // = 180 over Ann's 6 units is still 30.00; nothing is recorded.
  ui.AnswerNext("Security Prices and Member Dues Not updated, Continue?", true);
  ValuationResult test = Test(dec7);
  ASSERT_TRUE(test.outcome);
  EXPECT_THAT(ui.Messages(), ElementsAre("Security Prices and Member Dues Not updated, Continue?",
                                         "Valuation Statement V12072026.stm created."));
  Statement replaced = ReadStatement(dec7);
  EXPECT_EQ(replaced.unit_id, -1);
  ASSERT_EQ(replaced.members.size(), 1u);
  EXPECT_EQ(replaced.members[0].name, "Ann Smith");
  EXPECT_EQ(replaced.summary->total_value, 180);
  EXPECT_EQ(replaced.summary->total_units, 6);
  EXPECT_EQ(replaced.summary->new_unit_value, 30);
  EXPECT_EQ(Units().size(), 3u);
  EXPECT_EQ(club.Info().unitind, 3);
}

}  // namespace
}  // namespace pellmark::valuation
