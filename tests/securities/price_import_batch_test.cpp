// The import enters a file's prices per security with one write, and must
// leave what entering its lines one by one leaves: a seeded file of random
// lines (zero prices that write a security off and take it back, several
// prices a date, dates past today, a security without a price, a hidden one,
// unknown symbols) is imported, dropped, and entered line by line; every
// stored record, the club information and every message must agree. A
// failure names its seed.
#include <gmock/gmock.h>

#include <fmt/format.h>
#include <fstream>
#include <random>
#include <set>

#include "securities/price_import.h"
#include "forms/club_setup_form.h"
#include "securities/price_ledger.h"
#include "securities/trade_fixture.h"
#include "support/property_seed.h"

namespace pellmark::ledger {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The row as the grid shows it: "mm/dd/yyyy price".
std::string PriceLine(const PriceRow& row) { return FormatDate(row.date) + " " + FormatPrice(row.price); }

class PriceImportBatchTest : public testing::TradeFixture {
 protected:
  std::filesystem::path Write(const std::string& text) {
    std::filesystem::path file = folder.Path() / "prices.txt";
    std::ofstream(file, std::ios::binary) << text;
    return file;
  }
};

TEST_F(PriceImportBatchTest, AnImportLeavesWhatEnteringItsLinesOneByOneLeaves) {
  const unsigned seed = pellmark::testing::PropertySeed();
  std::mt19937 random(seed);
  AddSecurity("Crane", "CRN");  // never priced
  AddSecurity("Dormant", "DRM");
  ASSERT_TRUE(books.Securities().Hide("Dormant"));
  ui.AnswerEvery("The Stock transaction just entered has a date earlier", false);
  ASSERT_TRUE(Buy("Acme", 1000, 10, 5, Day(2025, 1, 1)));
  ASSERT_TRUE(Buy("Acme", 300, 30, 1, Day(2026, 6, 1)));
  ASSERT_TRUE(Buy("Bolt", 500, 5, 0, Day(2026, 2, 1)));
  Price("Bolt", 6, Day(2026, 11, 30));
  Price("Bolt", 6.5, Day(2026, 12, 1));
  // A price of 0 writes a security off and offers to hide it; the same
  // answer goes to the import and to the line-by-line entry.
  ui.AnswerEvery("Do you want to hide security?", random() % 2 == 0);
  books.Commit();

  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(fmt::format("seed {} round {}", seed, round));
    const char* symbols[] = {"ACM", "BLT", "CRN", "DRM", "XYZ"};
    const DayNumber today = club.Today();
    std::string text = "ACM,11,12/01/2026\n";
    const int lines = 1 + static_cast<int>(random() % 60);
    for (int line = 0; line < lines; ++line) {
      const CivilDate date = CivilFromDayNumber(today + static_cast<int>(random() % 12) - 8);
      const int tenths = random() % 6 == 0 ? 0 : 1 + static_cast<int>(random() % 200);
      text += fmt::format("{},{}.{},{:02}/{:02}/{}\n", symbols[random() % 5], tenths / 10, tenths % 10, date.month,
                          date.day, date.year);
    }
    const auto before = Snapshot();
    ui.Clear();
    const Outcome outcome = books.Prices().ImportPrices(Write(text));
    const auto imported = Snapshot();
    const std::vector<testing::ScriptedInteraction::Event> shown = ui.Events();
    club.Abandon();
    ASSERT_EQ(Snapshot(), before);

    ui.Clear();
    const std::vector<TSecurityRec> listed = books.Securities().List(true);
    std::vector<std::string> listed_symbols;
    for (const TSecurityRec& security : listed) listed_symbols.push_back(security.symbol);
    std::set<std::int32_t> priced;
    for (const ImportedPrice& line : ReadPriceImport(text, listed_symbols, today).lines) {
      TPriceRec price;
      price.price = line.price;
      price.trandate = line.date;
      const std::int32_t stkid = listed[line.security].stkid;
      if (books.Prices().RecordPrice(stkid, PriceMode::NewWithoutDialog, price) == PriceResult::Stored) {
        priced.insert(stkid);
      }
    }
    // Every security written off and hidden: nothing takes a price.
    if (priced.empty()) {
      ui.ShowError("No prices were updated. Symbol lookup failed.");
      EXPECT_TRUE(outcome.Refused());
    } else {
      club.Info().stks = true;
      club.WriteClubInfo();
      ui.PlayConfirmationSound();
      ui.ShowInformation(fmt::format("Imported prices for {} securities", priced.size()));
      EXPECT_TRUE(outcome);
    }
    ASSERT_EQ(Snapshot(), imported) << text;
    ASSERT_EQ(ui.Events(), shown) << text;
    // The next round goes on from here, written-off and hidden securities included.
    books.Commit();
  }
}

TEST_F(PriceImportBatchTest, AReplacedPriceOfTheStoreGoesAndTheLastOfADateStays) {
  Price("Bolt", 4, Day(2026, 11, 2));
  Price("Bolt", 4.5, Day(2026, 11, 3));
  ui.Clear();
  ASSERT_TRUE(books.Prices().ImportPrices(
      Write("BLT,5,11/02/2026\nBLT,6,11/02/2026\nBLT,7,11/04/2026\nBLT,8,11/02/2026\nACM,9,11/04/2026\n")));
  std::vector<std::pair<std::string, std::int32_t>> rows;
  for (const PriceRow& row : books.Prices().PriceRows("Bolt", std::nullopt)) {
    rows.emplace_back(PriceLine(row), row.record.tranid);
  }
  EXPECT_THAT(rows, ElementsAre(std::pair<std::string, std::int32_t>{"11/02/2026 8.00", 5},
                                std::pair<std::string, std::int32_t>{"11/03/2026 4.50", 1},
                                std::pair<std::string, std::int32_t>{"11/04/2026 7.00", 4}));
  EXPECT_EQ(Security("Bolt").pricecount, 6);
  EXPECT_EQ(Security("Bolt").pricec, 7);
  EXPECT_EQ(Security("Bolt").pricedate, Day(2026, 11, 4));
  EXPECT_EQ(Security("Acme").pricec, 9);
  EXPECT_THAT(ui.Messages(), ElementsAre("Imported prices for 2 securities"));
}

// The interaction port of a club that also keeps every progress report.
class ProgressRecorder : public testing::ScriptedInteraction {
 public:
  void ShowProgress(std::string_view caption, int percent) override {
    steps.emplace_back(std::string(caption), percent);
  }
  std::vector<std::pair<std::string, int>> steps;
};

TEST(PriceImportProgress, AFileOfManyLinesShowsItsProgressAndAShortOneNone) {
  pellmark::testing::TempFolder folder;
  ProgressRecorder ui;
  FixedClock clock{DayNumberFromCivil({2026, 12, 7})};
  Books books{folder.Path(), ui, clock};
  books.Open();
  ClubInfoFields fields = ClubSetupFields(books.Club());
  fields.club = "Elm Street Investors";
  fields.year = "2026";
  ASSERT_TRUE(CommitClubSetup(books.Club(), fields));
  ASSERT_TRUE(books.Securities().CommitSecurity(std::nullopt, {"Acme Corp", "ACME"}));
  const std::filesystem::path file = folder.Path() / "prices.txt";

  std::ofstream(file, std::ios::binary) << "ACME,1,12/01/2026\nACME,2,12/02/2026\n";
  ui.steps.clear();
  ASSERT_TRUE(books.Prices().ImportPrices(file));
  EXPECT_THAT(ui.steps, IsEmpty());

  std::string text;
  for (int line = 0; line < 3000; ++line) {
    const CivilDate date = CivilFromDayNumber(DayNumberFromCivil({2015, 1, 1}) + line);
    text += fmt::format("ACME,{},{:02}/{:02}/{}\n", 1 + line % 50, date.month, date.day, date.year);
  }
  std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
  ui.Clear();
  ASSERT_TRUE(books.Prices().ImportPrices(file));
  EXPECT_THAT(ui.Messages(), ElementsAre("Imported prices for 1 securities"));
  ASSERT_GE(ui.steps.size(), 50u);
  int last = 0;
  for (std::size_t i = 0; i + 1 < ui.steps.size(); ++i) {
    EXPECT_EQ(ui.steps[i].first, kImportCaption);
    EXPECT_GT(ui.steps[i].second, last) << i;  // forward only, each step once
    last = ui.steps[i].second;
  }
  EXPECT_EQ(ui.steps[ui.steps.size() - 2].second, 100);
  EXPECT_EQ(ui.steps.back(), (std::pair<std::string, int>{kImportCaption, 0}));
  EXPECT_EQ(books.Prices().PriceRows("Acme Corp", std::nullopt).size(), 3002u);
}

}  // namespace
}  // namespace pellmark::ledger
