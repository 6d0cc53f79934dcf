#include "reports/tax_report.h"

#include <algorithm>

#include <fmt/format.h>

#include "club/club_info_file.h"
#include "club/number_parse.h"
#include "store/file_layer.h"

namespace pellmark::reports {

namespace {

constexpr const char* kAddressPlaceholder = "Address, City, Zip";
constexpr const char* kTaxIdPlaceholder = "Tax ID";

struct K1Layout {
  const char* format;
  std::array<const char*, 4> headers;
};

// The K-1 table by whether the file has medium-term and foreign-tax columns.
K1Layout K1LayoutOf(bool medium, bool foreign) {
  if (medium && !foreign) {
    return {"<1.30|>0.85|>0.85|>0.85|>0.85|>0.85|>0.85|>0.85",
            {" |Ordinary| | |Short|Medium|Long|Other", " |Income|Interest|Dividends|Term|Term|Term|Deductions",
             " |1120S (1)|1120S (4a)|1120S (4b)|1120S (4d)|1120S (4e1)|1120S (4e2)|1120S (10)",
             "Name|1065 (1)|1065 (4a)|1065 (4b)|1065 (4d)|1065 (4e1)|1065 (4e2)|1065 (11)"}};
  }
  if (!medium && !foreign) {
    return {"<2.15|>0.85|>0.85|>0.85|>0.85|>0.85|>0.85",
            {" |Ordinary| | |Short|Long|Other", " |Income|Interest|Dividends|Term|Term|Deductions",
             " |1120S (1)|1120S (4a)|1120S (4b)|1120S (4d)|1120S (4e)|1120S (10)",
             "Name|1065 (1)|1065 (4a)|1065 (4b)|1065 (4d)|1065 (4e)|1065 (11)"}};
  }
  if (medium) {
    return {"<1.17|>0.76|>0.76|>0.76|>0.76|>0.76|>0.76|>0.76|>0.76",
            {" |Ordinary| | |Short|Medium|Long|Other|Foreign",
             " |Income|Interest|Dividends|Term|Term|Term|Deductions|Taxes",
             " |1120S (1)|1120S (4a)|1120S (4b)|1120S (4d)|1120S (4e1)|1120S (4e2)|1120S (10)|1120S (15e)",
             "Name|1065 (1)|1065 (4a)|1065 (4b)|1065 (4d)|1065 (4e1)|1065 (4e2)|1065 (11)|1065 (17e)"}};
  }
  return {"<1.93|>0.76|>0.76|>0.76|>0.76|>0.76|>0.76|>0.76",
          {" |Ordinary| | |Short|Long|Other|Foreign", " |Income|Interest|Dividends|Term|Term|Deductions|Taxes",
           " |1120S (1)|1120S (4a)|1120S (4b)|1120S (4d)|1120S (4e)|1120S (10)|1120S (15e)",
           "Name|1065 (1)|1065 (4a)|1065 (4b)|1065 (4d)|1065 (4e)|1065 (11)|1065 (17e)"}};
}

constexpr std::array<const char*, 4> kScheduleTitles = {"1 - Other Income(loss)", "2 - Other Deductions",
                                                        "3 - Portfolio at end of year",
                                                        "4 - Portfolio at beginning of year"};

std::string Filler(TPagePrinter& printer, char fill, int digits) {
  return std::string(static_cast<std::size_t>(std::max(printer.RepeatCount(std::string(1, fill), digits), 0)), fill);
}

// A rule row: the name column `name_digits` wide, then `columns` columns of `digits`.
std::string RuleRow(TPagePrinter& printer, int name_digits, std::size_t columns, int digits) {
  std::string row = Filler(printer, '=', name_digits);
  const std::string other = Filler(printer, '=', digits);
  for (std::size_t i = 0; i < columns; ++i) row += "|" + other;
  return row;
}

void BoldLine(TPagePrinter& printer, const std::string& text, double points) {
  printer.BoldOn();
  printer.SetFontSize(points);
  printer.WriteLine(text);
  printer.BoldOff();
}

void TwoBlankLines(TPagePrinter& printer) {
  printer.WriteLine(" ");
  printer.WriteLine(" ");
}

std::vector<std::string_view> Cells(std::string_view line) {
  std::vector<std::string_view> cells;
  std::size_t start = 0;
  for (std::size_t bar = line.find('|'); bar != std::string_view::npos; bar = line.find('|', start)) {
    cells.push_back(line.substr(start, bar - start));
    start = bar + 1;
  }
  cells.push_back(line.substr(start));
  return cells;
}

}  // namespace

TaxReport::TaxReport(TaxFile file, std::string club_name, std::string address, std::string tax_id)
    : file_(std::move(file)), club_name_(std::move(club_name)), address_(std::move(address)), tax_id_(std::move(tax_id)) {}

void TaxReport::Lay(TPagePrinter& printer) {
  // 1. Heading, the caution and the club's particulars.
  layout::Heading(printer, club_name_, " Tax report for " + file_.year + ".");
  TwoBlankLines(printer);
  printer.BoldOn();
  printer.WriteLine("The report should be used as an aid to filing out taxes for your club.  It is not a");
  printer.WriteLine("replacement for a qualified individual who should be used to verify your taxes.");
  printer.BoldOff();
  TwoBlankLines(printer);
  if (address_ != kAddressPlaceholder) printer.WriteLine("Address: " + address_);
  if (tax_id_ != kTaxIdPlaceholder) printer.WriteLine("Tax ID: " + tax_id_);

  // 2. The return lines.
  TwoBlankLines(printer);
  BoldLine(printer, "Form 1120S (S-Corporations) and 1065 (Partnerships)", 10);
  printer.SetFontSize(8);
  layout::HalfGap(printer);
  printer.SetTableFormat("<4.74|>.76");
  for (const std::string& line : file_.Section(TaxSection::kReturnLines)) printer.WriteTableLine(line);

  // 3. The members' K-1 lines.
  TwoBlankLines(printer);
  BoldLine(printer, "Member Schedule K-1 lines - Income (Loss) Deductions", 10);
  printer.SetFontSize(7);
  const K1Layout k1 = K1LayoutOf(file_.medium, file_.foreign);
  printer.SetTableFormat(k1.format);
  for (const char* header : k1.headers) printer.WriteTableLine(header);
  const std::size_t amount_columns = (file_.medium ? 7u : 6u) + (file_.foreign ? 1u : 0u);
  const std::string k1_rule = RuleRow(printer, 32, amount_columns, 10);
  printer.WriteTableLine(k1_rule);
  for (const std::string& row : file_.Section(TaxSection::kK1)) printer.WriteTableLine(row);
  printer.WriteTableLine(k1_rule);

  // 4. The members' capital accounts, in the K-1 table's columns.
  TwoBlankLines(printer);
  BoldLine(printer, "Member Schedule K-1 lines - Analysis of partners capital account", 10);
  printer.SetFontSize(8);
  layout::HalfGap(printer);
  printer.WriteTableLine(" |BOY|Capital In|Earnings|Capital Out|EOY");
  printer.WriteTableLine("Name|Capital|for year|Share|for year|Capital");
  printer.WriteTableLine(" |1065 (Ja)|1065 (Jb)|1065 (Jc)|1065 (Jd)|1065 (Je)");
  const std::string capital_rule = RuleRow(printer, 32, 5, 11);
  printer.WriteTableLine(capital_rule);
  for (const std::string& row : file_.Section(TaxSection::kCapital)) printer.WriteTableLine(row);
  printer.WriteTableLine(capital_rule);

  // 5. The schedules that have lines.
  printer.SetTableFormat("<3.83|>1.67");
  for (std::size_t s = 0; s < kScheduleTitles.size(); ++s) {
    const std::vector<std::string>& lines = file_.sections[s + 1];
    if (lines.empty()) continue;
    TwoBlankLines(printer);
    BoldLine(printer, std::string("Schedule ") + kScheduleTitles[s], 10);
    printer.SetFontSize(9);
    for (const std::string& line : lines) printer.WriteTableLine(line);
  }
}

std::unique_ptr<TaxReport> LoadTaxReport(store::FileLayer& files, const std::filesystem::path& file,
                                         const std::filesystem::path& club_folder) {
  TaxFile tax = ReadTaxFile(files, file);
  std::optional<TClubInfoRec> info = ReadClubInfo(club_folder, files);
  return std::make_unique<TaxReport>(std::move(tax), info ? info->club : std::string(),
                                     info ? info->addr : std::string(), info ? info->idnum : std::string());
}

TaxFileFigures ReadTaxFileFigures(const TaxFile& file, std::string_view name) {
  auto damaged = [&](TaxSection section, std::size_t line, std::string_view why) {
    return TaxFileError(
        fmt::format("Tax file {} is damaged: record {} {}.", name, file.RecordOf(section, line), why));
  };
  auto amount = [&](std::string_view cell, TaxSection section, std::size_t line) {
    const std::optional<double> value = cell.starts_with('$') ? ParseNumber(cell.substr(1)) : std::nullopt;
    if (!value) throw damaged(section, line, fmt::format("holds \"{}\" where an amount belongs", cell));
    return *value;
  };
  auto labelled = [&](TaxSection section) {
    std::vector<TaxFileLine> lines;
    const std::vector<std::string>& texts = file.Section(section);
    for (std::size_t i = 0; i < texts.size(); ++i) {
      const std::string_view text = texts[i];
      const std::size_t bar = text.rfind("|$");
      if (bar == std::string_view::npos) throw damaged(section, i, "has no amount");
      lines.push_back({std::string(text.substr(0, bar)), amount(text.substr(bar + 1), section, i)});
    }
    return lines;
  };
  // The cells of a member row: its name and `count` amounts.
  auto row = [&](TaxSection section, std::size_t i, std::size_t count) {
    const std::vector<std::string_view> cells = Cells(file.Section(section)[i]);
    if (cells.size() != count + 1) {
      throw damaged(section, i, fmt::format("has {} cells where {} belong", cells.size(), count + 1));
    }
    std::vector<double> amounts;
    for (std::size_t c = 1; c < cells.size(); ++c) amounts.push_back(amount(cells[c], section, i));
    return std::make_pair(std::string(cells[0]), amounts);
  };

  TaxFileFigures figures;
  figures.year = file.year;
  figures.lines = labelled(TaxSection::kReturnLines);
  for (std::size_t s = 0; s < figures.schedules.size(); ++s) {
    figures.schedules[s] = labelled(static_cast<TaxSection>(s + 1));
  }
  const std::size_t k1_amounts = (file.medium ? 7u : 6u) + (file.foreign ? 1u : 0u);
  for (std::size_t i = 0; i < file.Section(TaxSection::kK1).size(); ++i) {
    auto [member, a] = row(TaxSection::kK1, i, k1_amounts);
    TaxFileK1Row k1{std::move(member)};
    std::size_t c = 0;
    for (double* field : {&k1.ordinary, &k1.interest, &k1.dividends, &k1.short_term}) *field = a[c++];
    if (file.medium) k1.medium_term = a[c++];
    k1.long_term = a[c++];
    k1.deductions = a[c++];
    if (file.foreign) k1.foreign_taxes = a[c++];
    figures.k1.push_back(std::move(k1));
  }
  for (std::size_t i = 0; i < file.Section(TaxSection::kCapital).size(); ++i) {
    auto [member, a] = row(TaxSection::kCapital, i, 5);
    figures.capital.push_back({std::move(member), a[0], a[1], a[2], a[3], a[4]});
  }
  return figures;
}

}  // namespace pellmark::reports
