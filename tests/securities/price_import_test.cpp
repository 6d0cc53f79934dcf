#include "securities/price_import.h"

#include <fstream>
#include <gmock/gmock.h>

#include "securities/price_ledger.h"
#include "securities/security_fixture.h"
#include "store/failing_file_layer.h"
#include "store/whole_files.h"

namespace pellmark::ledger {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const DayNumber kToday = DayNumberFromCivil({2026, 12, 7});
DayNumber Day(int y, int m, int d) { return DayNumberFromCivil({y, m, d}); }

TEST(ReadPriceImport, QuotesAreDroppedAndSymbolsMatchExactlyInListOrder) {
  const std::vector<std::string> symbols = {"", "XYZ", "ACME", "ACME"};
  PriceImportReading reading = ReadPriceImport(
      "\"ACME\",12.375,\"03/15/1999\"\r\n"
      "acme,1,03/15/1999\n"
      "\n"
      "XY\"Z\",\"7\",02/03/99,extra\n"
      ",5,03/15/1999\n"
      "NONE,junk,junk",
      symbols, kToday);
  EXPECT_FALSE(reading.bad_line);
  ASSERT_EQ(reading.lines.size(), 2u);
  EXPECT_EQ(reading.lines[0].security, 2u);
  EXPECT_EQ(reading.lines[0].price, 12.375);
  EXPECT_EQ(reading.lines[0].date, Day(1999, 3, 15));
  EXPECT_EQ(reading.lines[1].security, 1u);
  EXPECT_EQ(reading.lines[1].date, Day(1999, 2, 3));
}

TEST(ReadPriceImport, AMatchedBadLineStopsTheReadingAfterTheGoodLinesBeforeIt) {
  const std::vector<std::string> symbols = {"ACME"};
  for (const char* bad : {"ACME", "ACME,", "ACME,abc,01/02/2026", "ACME,-1,01/02/2026", "ACME,1e300,01/02/2026",
                          "ACME,5", "ACME,5,02/30/1999", "ACME,5,13/01/1999", "ACME,5,3/5/9", "ACME,5,3/5/199",
                          "ACME,5,2026-01-02"}) {
    PriceImportReading reading = ReadPriceImport(
        std::string("ACME,1,01/02/2026\nOTHER,junk\n") + bad + "\r\nACME,2,01/03/2026\n", symbols, kToday);
    ASSERT_TRUE(reading.bad_line) << bad;
    EXPECT_EQ(reading.bad_line->number, 3u) << bad;
    EXPECT_EQ(reading.bad_line->text, bad);
    EXPECT_EQ(reading.lines.size(), 1u) << bad;
  }
}

TEST(ReadPriceImport, ShortDatesAndBlanksAroundTheDateAreRead) {
  const std::vector<std::string> symbols = {"ACME"};
  for (const char* date : {"3/5/2026", "3/5/26", "03/05/26", "3/5/2026 ", " 03/05/2026", "\"3/5/26 \"", "3/05/26\t"}) {
    PriceImportReading reading = ReadPriceImport(std::string("ACME,7,") + date + "\n", symbols, kToday);
    EXPECT_FALSE(reading.bad_line) << date;
    ASSERT_EQ(reading.lines.size(), 1u) << date;
    EXPECT_EQ(reading.lines[0].date, Day(2026, 3, 5)) << date;
  }
}

TEST(ReadPriceImport, TheRefusalNamesTheLineAndAtMost80OfItsCharacters) {
  EXPECT_EQ(ImportRefusal({12, "ACME,x,1/2/26"}), "Invalid Price Import File (line 12: ACME,x,1/2/26)");
  const std::string long_line = "ACME,5," + std::string(100, '9');
  EXPECT_EQ(ImportRefusal({1, long_line}), "Invalid Price Import File (line 1: " + long_line.substr(0, 80) + ")");
}

TEST(ReadPriceImport, APriceOutsideTheOneRangeOfPricesIsABadLine) {
  for (const char* price : {"1e-300", "0.00009", "1000000000001"}) {
    PriceImportReading reading =
        ReadPriceImport(std::string("ACME,1,01/02/2026\nACME,") + price + ",01/03/2026\n", {"ACME"}, kToday);
    EXPECT_TRUE(reading.bad_line) << price;
    EXPECT_EQ(reading.lines.size(), 1u) << price;
  }
  EXPECT_EQ(ReadPriceImport("ACME,0.0001,01/02/2026\nACME,0,01/03/2026\n", {"ACME"}, kToday).lines.size(), 2u);
}

TEST(ReadPriceImport, LongLinesNulBytesAndGarbageDoNotMatch) {
  std::string text(100000, 'A');
  text += ",1,01/02/2026\n";
  text += std::string("AC\0ME,1,01/02/2026\n", 19);
  for (int byte = 0; byte < 256; ++byte) text.push_back(static_cast<char>(byte));
  PriceImportReading reading = ReadPriceImport(text, {"ACME"}, kToday);
  EXPECT_FALSE(reading.bad_line);
  EXPECT_THAT(reading.lines, IsEmpty());
}

class PriceImportTest : public testing::SecurityFixture {
 protected:
  void SetUp() override {
    SecurityFixture::SetUp();
    AddSecurity("Acme Corp", "ACME");
    AddSecurity("Bolt Inc", "BOLT");
  }
  std::filesystem::path Write(const std::string& text) {
    std::filesystem::path file = folder.Path() / "prices.txt";
    std::ofstream(file, std::ios::binary) << text;
    return file;
  }
  PriceLedger& prices = books.Prices();
};

TEST_F(PriceImportTest, GoodLinesAreEnteredAndCounted) {
  ASSERT_TRUE(prices.ImportPrices(Write("\"ACME\",12.375,\"12/01/2026\"\nBOLT,4,12/01/2026\nBOLT,5,12/02/26\n")));
  EXPECT_EQ(Security("Acme Corp").pricec, 12.375);
  EXPECT_EQ(Security("Bolt Inc").pricec, 5);
  EXPECT_EQ(Security("Bolt Inc").pricedate, Day(2026, 12, 2));
  EXPECT_TRUE(club.Info().stks);
  EXPECT_THAT(ui.Messages(), ElementsAre("Imported prices for 2 securities"));  // Bolt twice counts once
  EXPECT_EQ(ui.SoundCount(), 1);
}

TEST_F(PriceImportTest, AByteOrderMarkIsNoPartOfTheFirstSymbol) {
  ASSERT_TRUE(prices.ImportPrices(Write("\xEF\xBB\xBF" "ACME,12,12/01/2026\nBOLT,4,12/01/2026\n")));
  EXPECT_EQ(Security("Acme Corp").pricec, 12);
  EXPECT_EQ(Security("Bolt Inc").pricec, 4);
  EXPECT_THAT(ui.Messages(), ElementsAre("Imported prices for 2 securities"));
}

TEST_F(PriceImportTest, LowerCaseSymbolsDoNotMatchAndHiddenSecuritiesTakeNoPrice) {
  ASSERT_TRUE(books.Securities().Hide("Bolt Inc"));
  ui.Clear();
  const auto before = Snapshot();
  EXPECT_TRUE(prices.ImportPrices(Write("acme,12,12/01/2026\nBOLT,4,12/01/2026\n")).Refused());
  EXPECT_THAT(ui.Messages(), ElementsAre("No prices were updated. Symbol lookup failed."));
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(PriceImportTest, ABadLineAnywhereKeepsNoPriceOfTheFileAndIsNamed) {
  const std::vector<std::pair<std::string, std::string>> files = {
      {"ACME,12,12/01/2026\nBOLT,4,3-5-99\nBOLT,5,12/02/2026\n", "Invalid Price Import File (line 2: BOLT,4,3-5-99)"},
      {"ACME,12,12/01/2026\nBOLT,4,12/01/2026\nBOLT,x,12/02/2026\n",
       "Invalid Price Import File (line 3: BOLT,x,12/02/2026)"}};
  for (const auto& [text, message] : files) {
    ui.Clear();
    const auto before = Snapshot();
    const std::string info = EncodeRecord(club.Info());
    EXPECT_TRUE(books.Settle(prices.ImportPrices(Write(text))).Refused());
    EXPECT_EQ(Snapshot(), before) << text;
    EXPECT_EQ(EncodeRecord(club.Info()), info);
    EXPECT_THAT(ui.Messages(), ElementsAre(message));
  }
}

TEST_F(PriceImportTest, AFileThatCannotBeReadIsInvalid) {
  const auto before = Snapshot();
  EXPECT_TRUE(prices.ImportPrices(folder.Path() / "missing.txt").Refused());
  EXPECT_TRUE(prices.ImportPrices(folder.Path()).Refused());
  EXPECT_THAT(ui.Messages(), ElementsAre("Invalid Price Import File", "Invalid Price Import File"));
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(PriceImportTest, AStoreThatFailsWhileEnteringSaysTheImportFailed) {
  const std::filesystem::path file = Write("ACME,12,12/01/2026\n");
  store::testing::FailingFileLayer files;
  club.SetFileLayer(&files);
  // The import reads its file through the club's layer too: the failure comes after.
  files.FailAt(0, 0);
  static_cast<void>(files.IsFolder(file));
  static_cast<void>(store::TryReadWholeFile(files, file));
  files.FailAt(files.Calls() + 1, ENOSPC);
  EXPECT_TRUE(prices.ImportPrices(file).Refused());
  EXPECT_TRUE(files.Failed());
  EXPECT_THAT(ui.Messages(), ElementsAre("Price Import failed"));
  club.SetFileLayer(nullptr);
  EXPECT_THAT(prices.PriceRows("Acme Corp", std::nullopt), IsEmpty());
}

TEST_F(PriceImportTest, TheFlagAsksFirst) {
  club.Info().stks = true;
  ui.AnswerNext(kPriceUpdateQuestion, false);
  EXPECT_TRUE(prices.AskBeforePriceUpdate().WasCancelled());
  ui.AnswerNext(kPriceUpdateQuestion, true);
  EXPECT_TRUE(prices.AskBeforePriceUpdate());
  club.Info().stks = false;
  EXPECT_TRUE(prices.AskBeforePriceUpdate());
  EXPECT_TRUE(ui.AllAnswersUsed());
}

}  // namespace
}  // namespace pellmark::ledger
