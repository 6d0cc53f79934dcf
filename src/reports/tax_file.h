// Tax files ("club" + year + ".tax"): the figures of a year close, kept so the
// tax report can be laid out again at any time. A file is a run of 121-byte
// records, each one line of text: a length byte (0 to 120) and 120 character
// bytes, of which the first `length` count (the rest written as zeros). A
// record of length 3 is a separator (" | ") that opens the next section. The
// first record is "+" and the year ("+1999"; a file of a version without
// medium-term gains holds the year alone), then the return lines, then six
// separated sections, and a seventh when the year had foreign taxes.
//
//   TaxFile file;  file.year = "1999";  file.Section(TaxSection::kReturnLines).push_back("Label|$12.00");
//   club.StageFile(club.Folder() / TaxFileName(1999), EncodeTaxFile(file));
//   TaxFile back = ReadTaxFile(files, club.Folder() / "club1999.tax");
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "store/file_layer.h"

namespace pellmark::reports {

inline constexpr std::size_t kTaxRecordSize = 121;
inline constexpr std::size_t kTaxLineWidth = kTaxRecordSize - 1;
inline constexpr std::string_view kTaxSeparator = " | ";

enum class TaxSection : std::size_t {
  kReturnLines = 0,
  kSchedule1 = 1,  // other income
  kSchedule2 = 2,  // other deductions
  kSchedule3 = 3,  // portfolio at the end of the year
  kSchedule4 = 4,  // portfolio at the beginning of the year
  kK1 = 5,         // each member's income and deduction row
  kCapital = 6,    // each member's capital account row
  kForeign = 7,    // written only for a year with foreign taxes
};
inline constexpr std::size_t kTaxSections = 8;

// A damaged tax file; the message names the file and the record (from 1).
class TaxFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TaxFile {
  bool medium = true;    // the first line begins with "+": the report has medium-term columns
  std::string year;      // four digits
  bool foreign = false;  // a seventh separator and section: the report has foreign-tax columns
  std::array<std::vector<std::string>, kTaxSections> sections;
  // Read back: the record number of each section's first line.
  std::array<std::size_t, kTaxSections> first_record{};

  std::vector<std::string>& Section(TaxSection section) { return sections[static_cast<std::size_t>(section)]; }
  const std::vector<std::string>& Section(TaxSection section) const {
    return sections[static_cast<std::size_t>(section)];
  }
  // The record a line read back came from.
  std::size_t RecordOf(TaxSection section, std::size_t line) const {
    return first_record[static_cast<std::size_t>(section)] + line;
  }
};

// "club1999.tax".
std::string TaxFileName(std::int32_t year);

// The records of the file; lines longer than 120 characters are cut. A line of
// three characters would read back as a separator: std::invalid_argument.
std::string EncodeTaxFile(const TaxFile& file);

// Reads a whole file's bytes; `name` appears in the messages. Refused with
// TaxFileError: an empty file, a length that is not whole records, a length
// byte above 120, a first line that is not the year, more than seven
// separators, or fewer than six.
TaxFile DecodeTaxFile(std::string_view bytes, std::string_view name);

// A file that cannot be read throws store::FileLayerError; a damaged one TaxFileError.
TaxFile ReadTaxFile(store::FileLayer& files, const std::filesystem::path& file);

}  // namespace pellmark::reports
