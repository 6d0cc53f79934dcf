// The tax report's four layouts: the K-1 table has a Medium column only for a
// file with the "+" first line and a Foreign column only for a year with
// foreign taxes; the placeholders of the address and tax id are not printed.
#include "reports/tax_report.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "club/clock.h"
#include "reports/page_device.h"
#include "support/temp_folder.h"

namespace pellmark::reports {
namespace {

std::string LaidOut(TaxReport& report) {
  testing::TempFolder folder;
  const std::filesystem::path file = folder.Path() / "tax.txt";
  FixedMetricsDevice device;
  FixedClock clock(DayNumberFromCivil({2027, 1, 5}));
  TPagePrinter printer(device, clock);
  printer.SetWordWrap(false);
  printer.SetFileName(file.string());
  printer.SetPrintToFile(true);
  printer.BeginDoc();
  report.Lay(printer);
  printer.EndDoc();
  std::ifstream in(file);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TaxFile File(bool medium, bool foreign) {
  TaxFile file;
  file.medium = medium;
  file.foreign = foreign;
  file.year = "2026";
  file.Section(TaxSection::kReturnLines) = {"Cash - Form 1120S,1065 (Line 1b) Schedule L|$10.00"};
  std::string k1 = "Ann Smith|$1.00|$2.00|$3.00|$4.00|" + std::string(medium ? "$5.00|" : "") + "$6.00|$-7.00";
  if (foreign) k1 += "|$-8.00";
  file.Section(TaxSection::kK1) = {k1};
  file.Section(TaxSection::kCapital) = {"Ann Smith|$0.00|$100.00|$1.00|$0.00|$101.00"};
  file.Section(TaxSection::kSchedule4) = {"Acme|$50.00"};
  return file;
}

TEST(TaxReport, EachOfTheFourLayoutsHasItsColumns) {
  struct Variant {
    bool medium, foreign;
    const char* header;
  };
  for (const Variant& variant :
       {Variant{true, false, "1120S (4e1)"}, Variant{false, false, "1120S (4e)"}, Variant{true, true, "1120S (15e)"},
        Variant{false, true, "1065 (17e)"}}) {
    TaxReport report(File(variant.medium, variant.foreign), "Elm", "Address, City, Zip", "Tax ID");
    const std::string text = LaidOut(report);
    EXPECT_NE(text.find(variant.header), std::string::npos) << variant.medium << variant.foreign;
    EXPECT_EQ(text.find("Medium") != std::string::npos, variant.medium) << variant.medium << variant.foreign;
    EXPECT_EQ(text.find("Foreign") != std::string::npos, variant.foreign) << variant.medium << variant.foreign;
    EXPECT_NE(text.find("Schedule 4 - Portfolio at beginning of year"), std::string::npos);
    EXPECT_EQ(text.find("Schedule 1"), std::string::npos);
    EXPECT_EQ(text.find("Address:"), std::string::npos);
    EXPECT_EQ(text.find("Tax ID:"), std::string::npos);
    // Its figures read back from the same file, the Medium column 0 where there is none.
    const TaxFileFigures figures = ReadTaxFileFigures(report.File(), "club2026.tax");
    ASSERT_EQ(figures.k1.size(), 1u);
    EXPECT_EQ(figures.k1[0].long_term, 6.00);
    EXPECT_EQ(figures.k1[0].medium_term, variant.medium ? 5.00 : 0.00);
    EXPECT_EQ(figures.k1[0].foreign_taxes, variant.foreign ? -8.00 : 0.00);
  }
}

TEST(TaxReport, TheClubsAddressAndTaxIdArePrintedWhenSet) {
  TaxReport report(File(true, false), "Elm", "12 Elm St", "12-3456789");
  const std::string text = LaidOut(report);
  EXPECT_NE(text.find("Address: 12 Elm St"), std::string::npos);
  EXPECT_NE(text.find("Tax ID: 12-3456789"), std::string::npos);
  EXPECT_NE(text.find(" Tax report for 2026."), std::string::npos);
}

TEST(TaxReport, AMemberRowWithTheWrongCellsIsNamedByItsRecord) {
  TaxFile file = File(true, false);
  file.Section(TaxSection::kK1) = {"Ann Smith|$1.00|$2.00"};
  const TaxFile back = DecodeTaxFile(EncodeTaxFile(file), "club2026.tax");
  try {
    (void)ReadTaxFileFigures(back, "club2026.tax");
    FAIL() << "read";
  } catch (const TaxFileError& error) {
    // "+2026", one return line, separators 1 to 4, the Schedule 4 line, separator 5: the K-1 row is record 9.
    EXPECT_STREQ(error.what(), "Tax file club2026.tax is damaged: record 9 has 3 cells where 8 belong.");
  }
}

}  // namespace
}  // namespace pellmark::reports
