// The tax report (kind 12): a tax file laid out with the return lines, each
// member's Schedule K-1 lines and capital account, and the four schedules. A
// file of the version without medium-term gains has no Medium column, a year
// without foreign taxes no Foreign column: four layouts in all.
//
//   std::unique_ptr<TaxReport> report = LoadTaxReport(files, club / "club2026.tax", club);
//   GenerateReport(*report, printer, ui);
//   TaxFileFigures figures = ReadTaxFileFigures(report->File(), "club2026.tax");   // amounts as numbers
#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "reports/report.h"
#include "reports/tax_file.h"
#include "store/file_layer.h"

namespace pellmark::reports {

class TaxReport : public Report {
 public:
  // `address` and `tax_id` as the club information holds them; their
  // placeholders ("Address, City, Zip", "Tax ID") are not printed.
  TaxReport(TaxFile file, std::string club_name, std::string address, std::string tax_id);

  int Kind() const override { return 12; }
  std::string Caption() const override { return "Tax Report"; }
  void Lay(TPagePrinter& printer) override;

  const TaxFile& File() const { return file_; }

 private:
  TaxFile file_;
  std::string club_name_, address_, tax_id_;
};

// A tax file loaded for the report, with the club's name, address and tax id
// from the club folder's information (none when the folder has none). Throws
// store::FileLayerError when the file cannot be read and TaxFileError when it
// is damaged.
std::unique_ptr<TaxReport> LoadTaxReport(store::FileLayer& files, const std::filesystem::path& file,
                                         const std::filesystem::path& club_folder);

// The figures of a tax file as numbers: each line a label and its amount, each
// member row its name and amounts, as printed (deductions, foreign taxes and
// capital out negative).
struct TaxFileLine {
  std::string label;
  double amount = 0;
};
struct TaxFileK1Row {
  std::string name;
  double ordinary = 0, interest = 0, dividends = 0, short_term = 0, medium_term = 0, long_term = 0,
         deductions = 0, foreign_taxes = 0;
};
struct TaxFileCapitalRow {
  std::string name;
  double beginning = 0, contributed = 0, earnings = 0, withdrawn = 0, ending = 0;
};
struct TaxFileFigures {
  std::string year;
  std::vector<TaxFileLine> lines;
  std::array<std::vector<TaxFileLine>, 4> schedules;  // Schedules 1 to 4
  std::vector<TaxFileK1Row> k1;
  std::vector<TaxFileCapitalRow> capital;
};

// Throws TaxFileError naming the record of a line whose cells are not a name
// and "$" amounts as its section has them.
TaxFileFigures ReadTaxFileFigures(const TaxFile& file, std::string_view name);

}  // namespace pellmark::reports
