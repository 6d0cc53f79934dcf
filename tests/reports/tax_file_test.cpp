#include "reports/tax_file.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/byte_fixture.h"
#include "support/property_seed.h"

namespace pellmark::reports {
namespace {

using testing::ByteFixture;

// One record of the layout: length byte, characters, zeros to 121 bytes.
std::string Record(std::string_view text) { return ByteFixture(121).Text(0, text).Bytes(); }

std::string Records(std::initializer_list<std::string_view> texts) {
  std::string bytes;
  for (std::string_view text : texts) bytes += Record(text);
  return bytes;
}

TaxFile SmallFile(bool foreign) {
  TaxFile file;
  file.year = "2026";
  file.foreign = foreign;
  file.Section(TaxSection::kReturnLines) = {"Other Income|$10.00", "Total Income|$10.00"};
  file.Section(TaxSection::kSchedule1) = {"Dividend Income|$10.00"};
  file.Section(TaxSection::kSchedule3) = {"Acme|$250.00"};
  file.Section(TaxSection::kK1) = {"Ann Smith|$10.00|$0.00"};
  file.Section(TaxSection::kCapital) = {"Ann Smith|$0.00|$100.00|$10.00|$0.00|$110.00"};
  if (foreign) file.Section(TaxSection::kForeign) = {"Ann Smith|$-1.00"};
  return file;
}

TEST(TaxFile, IsWrittenRecordByRecordAsTheLayoutSays) {
  EXPECT_EQ(EncodeTaxFile(SmallFile(false)),
            Records({"+2026", "Other Income|$10.00", "Total Income|$10.00", " | ", "Dividend Income|$10.00", " | ",
                     " | ", "Acme|$250.00", " | ", " | ", "Ann Smith|$10.00|$0.00", " | ",
                     "Ann Smith|$0.00|$100.00|$10.00|$0.00|$110.00"}));
  EXPECT_EQ(TaxFileName(2026), "club2026.tax");
}

TEST(TaxFile, AYearWithForeignTaxesHasASeventhSeparatorAndItsRows) {
  const std::string bytes = EncodeTaxFile(SmallFile(true));
  EXPECT_EQ(bytes.size(), 15 * 121u);
  EXPECT_EQ(bytes.substr(13 * 121), Records({" | ", "Ann Smith|$-1.00"}));
  const TaxFile back = DecodeTaxFile(bytes, "club2026.tax");
  EXPECT_TRUE(back.foreign);
  EXPECT_EQ(back.Section(TaxSection::kForeign), std::vector<std::string>{"Ann Smith|$-1.00"});
  EXPECT_EQ(back.RecordOf(TaxSection::kForeign, 0), 15u);
  EXPECT_FALSE(DecodeTaxFile(EncodeTaxFile(SmallFile(false)), "x").foreign);
}

TEST(TaxFile, ALineIsCutAt120CharactersAndPaddedWithZeros) {
  TaxFile file = SmallFile(false);
  file.Section(TaxSection::kSchedule2) = {std::string(130, 'x')};
  const std::string bytes = EncodeTaxFile(file);
  // "+2026", two return lines, two separators, one Schedule 1 line, then the long line.
  const std::string record = bytes.substr(6 * 121, 121);
  EXPECT_EQ(record, ByteFixture(121).Text(0, std::string(120, 'x')).Bytes());
  EXPECT_EQ(DecodeTaxFile(bytes, "x").Section(TaxSection::kSchedule2), std::vector<std::string>{std::string(120, 'x')});
  EXPECT_EQ(EncodeTaxFile(SmallFile(false)).substr(121, 121),
            std::string(1, '\x13') + "Other Income|$10.00" + std::string(101, '\0'));
}

TEST(TaxFile, AFileWithoutThePlusHasNoMediumColumns) {
  const TaxFile file = DecodeTaxFile(Records({"1998", "A|$1.00", " | ", " | ", " | ", " | ", " | ", " | "}), "x");
  EXPECT_FALSE(file.medium);
  EXPECT_EQ(file.year, "1998");
  EXPECT_EQ(file.Section(TaxSection::kReturnLines), std::vector<std::string>{"A|$1.00"});
  EXPECT_EQ(file.RecordOf(TaxSection::kReturnLines, 0), 2u);
  EXPECT_EQ(file.RecordOf(TaxSection::kCapital, 0), 9u);
  // Any record of length 3 separates, whatever its characters.
  EXPECT_EQ(DecodeTaxFile(Records({"+1998", "abc", "---", "|||", " | ", "xyz", "+++"}), "x").year, "1998");
}

TEST(TaxFile, ADamagedFileIsRefusedNamingItsRecord) {
  auto refusal = [](const std::string& bytes) {
    try {
      (void)DecodeTaxFile(bytes, "club2026.tax");
    } catch (const TaxFileError& error) {
      return std::string(error.what());
    }
    return std::string("read");
  };
  const std::string whole = EncodeTaxFile(SmallFile(false));
  EXPECT_EQ(refusal(""), "Tax file club2026.tax is damaged: it is empty.");
  EXPECT_EQ(refusal(whole.substr(0, whole.size() - 1)), "Tax file club2026.tax is damaged: record 13 is cut short.");
  EXPECT_EQ(refusal(whole + "x"), "Tax file club2026.tax is damaged: record 14 is cut short.");
  std::string long_length = whole;
  long_length[3 * 121] = static_cast<char>(121);
  EXPECT_EQ(refusal(long_length), "Tax file club2026.tax is damaged: record 4 has a length of 121.");
  EXPECT_EQ(refusal(Records({"+26", " | "})), "Tax file club2026.tax is damaged: record 1 is not the year.");
  EXPECT_EQ(refusal(Records({" | "})), "Tax file club2026.tax is damaged: record 1 is not the year.");
  EXPECT_EQ(refusal(Records({"+2026", " | ", " | ", " | ", " | ", " | "})),
            "Tax file club2026.tax is damaged: it ends at record 6 after 5 of its six separators.");
  EXPECT_EQ(refusal(Records({"+2026", " | ", " | ", " | ", " | ", " | ", " | ", " | ", "a|$1", " | "})),
            "Tax file club2026.tax is damaged: record 10 is an eighth separator.");
}

TEST(TaxFile, ALineOfThreeCharactersCannotBeWritten) {
  TaxFile file = SmallFile(false);
  file.Section(TaxSection::kSchedule1).push_back("a|b");
  EXPECT_THROW((void)EncodeTaxFile(file), std::invalid_argument);
}

// Any file the writer writes reads back to the same lines, sections and flags,
// each line's record number counting the records before it.
TEST(TaxFileProperty, TheReaderReadsBackWhatTheWriterWrote) {
  const unsigned seed = testing::PropertySeed();
  std::mt19937 random(seed);
  for (int round = 0; round < 300; ++round) {
    TaxFile file;
    file.medium = random() % 2 == 0;
    file.year = std::to_string(1990 + random() % 60);
    file.foreign = random() % 2 == 0;
    std::size_t record = 2;
    for (std::size_t section = 0; section < kTaxSections; ++section) {
      if (section == 7 && !file.foreign) break;
      if (section > 0) ++record;
      const std::size_t lines = random() % 5;
      for (std::size_t i = 0; i < lines; ++i) {
        std::size_t length = random() % 121;
        if (length == 3) length = 4;
        std::string line;
        for (std::size_t c = 0; c < length; ++c) line += static_cast<char>(random() % 256);
        file.sections[section].push_back(line);
      }
      file.first_record[section] = record;
      record += lines;
    }
    const std::string bytes = EncodeTaxFile(file);
    ASSERT_EQ(bytes.size(), (record - 1) * kTaxRecordSize) << "seed " << seed;
    const TaxFile back = DecodeTaxFile(bytes, "x");
    EXPECT_EQ(back.medium, file.medium) << "seed " << seed;
    EXPECT_EQ(back.year, file.year) << "seed " << seed;
    EXPECT_EQ(back.foreign, file.foreign) << "seed " << seed;
    EXPECT_EQ(back.sections, file.sections) << "seed " << seed;
    for (std::size_t section = 0; section < (file.foreign ? 8u : 7u); ++section) {
      EXPECT_EQ(back.first_record[section], file.first_record[section]) << "seed " << seed << " section " << section;
    }
    if (HasFailure()) break;
  }
}

}  // namespace
}  // namespace pellmark::reports
