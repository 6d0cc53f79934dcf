// The year's records read once: what they hold against what the stores give
// through their own filters, and every figure worked out from one reading
// against the same figure worked out from the stores afresh, over random
// clubs of three years.
#include "reports/year_records.h"

#include <charconv>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "club/keys.h"
#include "club/record_keys.h"
#include "members/member_posting.h"
#include "reports/balance_sheet.h"
#include "reports/capital_gains.h"
#include "reports/club_records_fixture.h"
#include "reports/earnings_distribution.h"
#include "reports/income_statement.h"
#include "reports/payoff_letter.h"
#include "reports/tax_figures.h"
#include "support/property_seed.h"

namespace pellmark::testing {
namespace {

using reports::YearRecords;

class YearRecordsTest : public ClubRecordsFixture {
 protected:
  void SetUp() override {
    ClubRecordsFixture::SetUp();
    seed = PropertySeed();
    random.seed(seed);
    FillRandomClub();
  }

  double Cents(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random) / 100.0; }
  DayNumber DayOf(int year) { return Day(year, 1, 1) + std::uniform_int_distribution<int>(0, 364)(random); }

  // Dues, payouts with fees, fees, earnings credits; purchases, sales of whole
  // lots, capital gain distributions and foreign taxes; dividends, interest and
  // expenses; over 2025, 2026 and 2027.
  void FillRandomClub() {
    const std::int32_t cash = FindAccount(1).actid;
    const std::int32_t bank = AddAccount("Bank");
    for (const char* last : {"Avery", "Brook", "Crane", "Dale", "Ellis"}) {
      members.push_back(AddMember(last, "Pat"));
      MemberTran(members.back(), MemberTranKind::Payment, 1000, 10, Day(2025, 1, 2));
    }
    members.push_back(AddMember("Friends of ", "Elm", true, 'G'));
    MemberTran(members.back(), MemberTranKind::Payment, 500, 10, Day(2025, 2, 3));
    std::vector<std::int32_t> securities;
    for (const char* name : {"Acme", "Bolt", "Crane Rail"}) securities.push_back(AddSecurity(name));
    // The edges of the year: its eve, its first and its last day.
    for (const DayNumber edge : {Day(2025, 12, 31), Day(2026, 1, 1), Day(2026, 12, 31)}) {
      MemberTran(members[0], MemberTranKind::Payment, 250, 12.5, edge);
      AccountTran(bank, AccountTranKind::Interest, 3.25, PredefinedCategory::InterestIncome, edge);
      SecurityTran(securities[0], SecurityTranKind::ForeignTax, 1.75, 0, 0, edge);
    }
    for (int step = 0; step < 240; ++step) {
      const int year = 2025 + static_cast<int>(random() % 3);
      const DayNumber date = DayOf(year);
      const std::int32_t account = random() % 2 ? cash : bank;
      const std::int32_t member = members[random() % members.size()];
      const std::int32_t stkid = securities[random() % securities.size()];
      switch (random() % 9) {
        case 0:
          MemberTran(member, MemberTranKind::Payment, Cents(1000, 40000), 10 + Cents(0, 500), date);
          break;
        case 1:
          // A part payout of less than a unit, with a fee now and then.
          Payout(member, Cents(100, 900), random() % 2 ? Cents(100, 500) : 0, date);
          break;
        case 2:
          MemberTran(member, random() % 2 ? MemberTranKind::Earnings : MemberTranKind::Fee, Cents(100, 2000),
                     10 + Cents(0, 500), date);
          break;
        case 3: {
          const double amount = Cents(5000, 90000);
          const std::int32_t lot = SecurityTran(stkid, SecurityTranKind::Purchase, amount, 10, Cents(0, 2000), date);
          if (random() % 2) {
            const DayNumber sold = DayOf(2025 + static_cast<int>(random() % 3));
            if (sold < date) break;
            SecurityTran(stkid, SecurityTranKind::Sale, Cents(5000, 90000), 12, Cents(0, 1500), sold, lot);
            MarkSold(stkid, lot);
          }
          break;
        }
        case 4:
          SecurityTran(stkid, SecurityTranKind::CapitalGain, Cents(100, 9000), 0, 0, date, -1, random() % 2 == 0,
                       random() % 3 == 0);
          break;
        case 5:
          SecurityTran(stkid, SecurityTranKind::ForeignTax, Cents(1, 900), 0, 0, date);
          break;
        case 6:
          AccountTran(account, AccountTranKind::Deposit, Cents(1, 5000), PredefinedCategory::DividendIncome, date);
          break;
        case 7:
          AccountTran(account, AccountTranKind::Interest, Cents(1, 900), PredefinedCategory::InterestIncome, date);
          break;
        default:
          AccountTran(account, AccountTranKind::Check, Cents(1, 3000), PredefinedCategory::OperatingExpenses, date);
          break;
      }
    }
  }

  void Payout(std::int32_t memid, double dues, double fee, DayNumber date) {
    TMemberRec member = FindMember(memid);
    TMemberTranRec tran;
    tran.memid = memid;
    tran.typ = Code(MemberTranKind::Payout);
    tran.dues = dues;
    tran.cunit = 1000;
    tran.fee = fee;
    tran.gain = static_cast<std::int32_t>(random() % 3);
    tran.trandate = date;
    tran.duestran = AllocateTranId(member.duescount);
    club.memrecs.Put(tran);
    ledger::ApplyMemberPosting(member, tran, +1);
    club.members.Put(member);
  }

  unsigned seed = 0;
  std::mt19937 random;
  std::vector<std::int32_t> members;
};

// The year a transaction key (owner_year_day_id) is filed under.
int KeyYear(const std::string& key) {
  const std::size_t from = key.find('_') + 1;
  int year = 0;
  std::from_chars(key.data() + from, key.data() + key.find('_', from), year);
  return year;
}

template <class Record>
std::vector<std::string> Keys(const std::vector<Record>& records, std::string (*key_of)(const Record&)) {
  std::vector<std::string> keys;
  for (const Record& record : records) keys.push_back(key_of(record));
  return keys;
}

// What the reading holds for a year is what the stores give: the transactions
// their year filter selects (those dated in the year), each security
// transaction found by its id, and each member's totals as the year began
// taken again from the transactions dated before it.
TEST_F(YearRecordsTest, HoldWhatTheStoresGiveForTheYear) {
  SCOPED_TRACE("PELLMARK_SEED=" + std::to_string(seed));
  for (const int year : {2025, 2026, 2027}) {
    SCOPED_TRACE(year);
    const YearRecords records = reports::ReadYearRecords(club, year);
    const std::string filter = "<_" + std::to_string(year) + "_>";

    std::vector<TAccountTranRec> accounts_of_year;
    for (std::size_t at : records.year_account_transactions) accounts_of_year.push_back(records.account_transactions[at]);
    EXPECT_EQ(Keys(accounts_of_year, AccountTranKey), Keys(club.actrecs.Select(filter), AccountTranKey));
    EXPECT_EQ(Keys(records.account_transactions, AccountTranKey), Keys(club.actrecs.Select(), AccountTranKey));

    std::vector<TSecurityTranRec> securities_of_year;
    for (reports::TransactionPlace at : records.year_security_transactions) securities_of_year.push_back(records.At(at));
    EXPECT_EQ(Keys(securities_of_year, SecurityTranKey), Keys(club.stkrecs.Select(filter), SecurityTranKey));
    std::size_t security_transactions = 0;
    for (const TSecurityRec& security : club.securities.Select()) {
      const std::vector<TSecurityTranRec> stored = club.stkrecs.Select(OwnerFilter(security.stkid));
      security_transactions += stored.size();
      const std::vector<TSecurityTranRec>* held = records.TransactionsOf(security.stkid);
      ASSERT_NE(held, nullptr);
      EXPECT_EQ(Keys(*held, SecurityTranKey), Keys(stored, SecurityTranKey));
      for (const TSecurityTranRec& tran : stored) {
        const TSecurityTranRec* found = records.SecurityTransaction(tran.stkid, tran.stranid);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(SecurityTranKey(*found), SecurityTranKey(tran));
      }
      EXPECT_EQ(records.SecurityTransaction(security.stkid, -7), nullptr);
    }
    EXPECT_EQ(records.security_ids.size(), security_transactions);

    const std::vector<TMemberRec> stored_members = club.members.Select();
    ASSERT_EQ(records.members.size(), stored_members.size());
    for (std::size_t i = 0; i < stored_members.size(); ++i) {
      const reports::MemberYear& member = records.members[i];
      EXPECT_EQ(member.record.memid, stored_members[i].memid);
      const std::vector<TMemberTranRec> stored = club.memrecs.Select(OwnerFilter(member.record.memid));
      EXPECT_EQ(Keys(member.transactions, MemberTranKey), Keys(stored, MemberTranKey));
      std::vector<TMemberTranRec> before, of_year;
      for (const TMemberTranRec& tran : stored) {
        if (tran.trandate < records.first) before.push_back(tran);
        if (KeyYear(MemberTranKey(tran)) == year) of_year.push_back(tran);
      }
      std::vector<TMemberTranRec> held_of_year;
      for (const reports::MemberYear::OfYear& at : member.of_year) {
        held_of_year.push_back(member.transactions[at.index]);
        EXPECT_EQ(at.units, ledger::UnitsOf(member.transactions[at.index]));
      }
      EXPECT_EQ(Keys(held_of_year, MemberTranKey), Keys(of_year, MemberTranKey));
      const TMemberRec opening = ledger::MemberTotalsFrom(TMemberRec{}, before);
      EXPECT_EQ(member.opening.tunits, opening.tunits);
      EXPECT_EQ(member.opening.totalc, opening.totalc);
      EXPECT_EQ(member.opening.totale, opening.totale);
    }
  }
}

void ExpectSameLetters(const reports::PayoffLetters& once, const reports::PayoffLetters& afresh) {
  ASSERT_EQ(once.letters.size(), afresh.letters.size());
  for (std::size_t i = 0; i < once.letters.size(); ++i) {
    const reports::PayoffLetter& a = once.letters[i];
    const reports::PayoffLetter& b = afresh.letters[i];
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(MemberTranKey(a.payout), MemberTranKey(b.payout));
    EXPECT_EQ(a.share, b.share);
    EXPECT_EQ(a.club, b.club);
    EXPECT_EQ(a.basis, b.basis);
    EXPECT_EQ(a.additional_gain, b.additional_gain);
    const reports::PayoffRows rows_a = reports::PayoffLetterRows(a), rows_b = reports::PayoffLetterRows(b);
    EXPECT_EQ(rows_a.shares, rows_b.shares);
    EXPECT_EQ(rows_a.payoff, rows_b.payoff);
    EXPECT_EQ(rows_a.taxable, rows_b.taxable);
  }
}

// One reading of a year serves every figure of every date of it: each equals
// the figure the stores give afresh for that date, to the last bit, whatever
// figures and dates were worked out from the reading before.
TEST_F(YearRecordsTest, OneReadingGivesWhatTheStoresGiveForEveryDate) {
  SCOPED_TRACE("PELLMARK_SEED=" + std::to_string(seed));
  const YearRecords records = reports::ReadYearRecords(club, 2026);
  std::vector<DayNumber> dates = {Day(2026, 1, 1), Day(2026, 12, 31)};
  for (int i = 0; i < 14; ++i) dates.push_back(DayOf(2026));
  std::size_t letters = 0;
  for (const DayNumber date : dates) {
    SCOPED_TRACE("as of " + FormatDate(date));
    EXPECT_EQ(reports::ComputeEarningsDistribution(records, date), reports::ComputeEarningsDistribution(club, date));
    EXPECT_EQ(reports::ComputeCapitalGains(records, date), reports::ComputeCapitalGains(club, date));
    EXPECT_EQ(reports::ComputeIncomeStatement(records, date), reports::ComputeIncomeStatement(club, date));
    EXPECT_EQ(reports::ComputeBalanceSheet(records, date), reports::ComputeBalanceSheet(club, date));
    const reports::PayoffLetters once = reports::ComputePayoffLetters(records, date);
    ExpectSameLetters(once, reports::ComputePayoffLetters(club, date));
    letters += once.letters.size();
  }
  EXPECT_GT(letters, 0u) << "no payout in the year: the letters went untried";
  // A balance sheet of any date, the one of the year's eve among them.
  for (const DayNumber date : {Day(2025, 12, 31), Day(2025, 6, 30), Day(2027, 12, 31)}) {
    EXPECT_EQ(reports::ComputeBalanceSheet(records, date), reports::ComputeBalanceSheet(club, date));
  }
  const reports::TaxFigures once = reports::ComputeTaxFigures(records, 2026);
  const reports::TaxFigures afresh = reports::ComputeTaxFigures(club, 2026);
  EXPECT_EQ(reports::EncodeTaxFile(reports::TaxFileOf(once)), reports::EncodeTaxFile(reports::TaxFileOf(afresh)));
  ASSERT_EQ(once.members.size(), afresh.members.size());
  for (std::size_t i = 0; i < once.members.size(); ++i) {
    EXPECT_EQ(once.members[i].memid, afresh.members[i].memid);
    EXPECT_EQ(once.members[i].earnings, afresh.members[i].earnings);
  }
}

// A reading of one year does not answer for another: the figures of a date
// of another year are refused rather than worked out from the wrong year's
// transactions and opening totals.
TEST_F(YearRecordsTest, FiguresOfAnotherYearAreRefused) {
  const YearRecords records = reports::ReadYearRecords(club, 2026);
  EXPECT_THROW(reports::ComputeEarningsDistribution(records, Day(2025, 12, 31)), std::invalid_argument);
  EXPECT_THROW(reports::ComputeCapitalGains(records, Day(2027, 1, 1)), std::invalid_argument);
  EXPECT_THROW(reports::ComputeIncomeStatement(records, Day(2025, 6, 30)), std::invalid_argument);
  EXPECT_THROW(reports::ComputePayoffLetters(records, Day(2027, 3, 1)), std::invalid_argument);
  EXPECT_THROW(reports::ComputeTaxFigures(records, 2025), std::invalid_argument);
  EXPECT_NO_THROW(reports::ComputeEarningsDistribution(records, Day(2026, 1, 1)));
}

}  // namespace
}  // namespace pellmark::testing
