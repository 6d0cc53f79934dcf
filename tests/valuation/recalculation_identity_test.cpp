// Two years of random months (dues, a purchase, a price, interest, an official
// valuation at the month's end) with some unit values and purchase prices then
// damaged. On copies of that club, the program's recalculation and its audit
// must leave every file of the club byte-identical to the steps as written
// (bench/straightforward_recalculation.h), which value, write and commit one
// valuation at a time. A failure names its seed.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <random>

#include "straightforward_recalculation.h"
#include "support/property_seed.h"
#include "valuation/valuation_fixture.h"

namespace pellmark::valuation {
namespace {

namespace fs = std::filesystem;

class RecalculationIdentity : public testing::ValuationFixture {
 protected:
  // The club as built, closed, copied to `name`, opened, changed by
  // `operation` and closed with its changed stores packed (the bytes of items
  // replaced along the way are not part of the books); the files it holds then.
  std::map<std::string, std::string> Run(const std::string& name, const std::function<void(Books&)>& operation) {
    const fs::path copy = copies.Path() / name;
    fs::copy(folder.Path(), copy, fs::copy_options::recursive);
    testing::ScriptedInteraction quiet;
    quiet.AnswerEvery(kRecalculateQuestion, true);
    {
      Books copied(copy, quiet, clock);
      copied.Open();
      operation(copied);
      copied.Club().members.UnderlyingStore().Pack();
      copied.Club().memrecs.UnderlyingStore().Pack();
      copied.Club().unitfile.UnderlyingStore().Pack();
      copied.Commit();
      copied.Close();
    }
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(copy)) {
      // The journal names how the books got there (its labels differ), not what they hold.
      const std::string name = entry.path().filename().string();
      if (entry.is_regular_file() && name != kJournalFileName) files[name] = FileBytes(entry.path());
    }
    return files;
  }

  testing::TempFolder copies;
};

TEST_F(RecalculationIdentity, TheProgramLeavesTheFilesTheStepsAsWrittenLeave) {
  const unsigned seed = testing::PropertySeed();
  SCOPED_TRACE(::testing::Message() << "seed " << seed);
  std::mt19937 random(seed);
  auto amount = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };

  // The club's starting unit record is dated 1 January 2026: the 2025 dues are back-dated.
  ui.AnswerEvery(
      "The Member transaction just entered has a date earlier than the last Valuation Date. Do you want to perform "
      "an audit?",
      false);
  AddSecurity("Acme", "ACM");
  Person("Gray", "Cy");
  ASSERT_TRUE(books.Members().Hide("Gray, Cy"));
  club.Info().year = 2025;
  for (int month = 0; month < 23; ++month) {
    const int year = 2025 + month / 12;
    club.Info().year = year;
    const int in_year = month % 12 + 1;
    std::map<std::string, std::string> dues = {{"Smith, Ann", std::to_string(amount(20, 200))}};
    if (amount(0, 2) > 0) dues["Jones, Bob"] = std::to_string(amount(20, 200));
    Dues(Day(year, in_year, amount(1, 9)), dues);
    if (amount(0, 1) == 0) Buy("Acme", amount(1, 5), amount(10, 30), 5, Day(year, in_year, 12));
    NewPrice("Acme", amount(10, 40), Day(year, in_year, 20));
    Post(AccountTranKind::Deposit, amount(1, 9), PredefinedCategory::InterestIncome, Day(year, in_year, 21));
    ASSERT_TRUE(Official(Day(year, in_year, 28)).outcome) << ui.Messages().back();
  }
  // Damage: unit values of some valuations and what some dues paid for units.
  for (TUnitValueRec unit : Units()) {
    if (amount(0, 3) > 0) continue;
    unit.unitval *= 1 + amount(1, 50) / 100.0;
    club.unitfile.Put(unit);
  }
  for (const TMemberRec& member : books.Members().List(true)) {
    for (TMemberTranRec tran : books.Members().Transactions(member.memid)) {
      if (amount(0, 4) > 0) continue;
      tran.cunit += amount(1, 9);
      club.memrecs.Put(tran);
    }
  }
  books.Commit();
  books.Close();

  const auto reference = Run("reference", [](Books& copy) { reference::StraightforwardRecalculation(copy); });
  const auto program = Run("program", [](Books& copy) { ASSERT_TRUE(copy.RecalculateAllMembers()); });
  ASSERT_EQ(reference.size(), program.size());
  for (const auto& [file, bytes] : reference) EXPECT_TRUE(program.at(file) == bytes) << file;

  const DayNumber start = Day(2026, amount(1, 11), amount(1, 28));
  const auto audited = Run("audited", [&](Books& copy) { reference::StraightforwardAudit(copy, start); });
  const auto audit = Run("audit", [&](Books& copy) { ASSERT_TRUE(copy.AuditValuations(start, false)); });
  ASSERT_EQ(audited.size(), audit.size());
  for (const auto& [file, bytes] : audited) EXPECT_TRUE(audit.at(file) == bytes) << file;
  EXPECT_NE(audit, reference);
}

}  // namespace
}  // namespace pellmark::valuation
