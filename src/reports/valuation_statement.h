// The valuation statement report (kind 3): a statement file laid out with the
// club's securities, cash accounts and members; for the whole club
// ("&Non-Member"), for one member, or once for every member ("&All Members").
//
//   ValuationStatementReport report(ReadStatementFile(files, path), info.club, info.sort);
//   report.options.Click(report.MemberItem(2));   // the second member
//   GenerateReport(report, printer, ui);
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "reports/report.h"
#include "valuation/statement_file.h"

namespace pellmark::reports {

class ValuationStatementReport : public Report {
 public:
  static constexpr int kNonMemberTag = -1;
  static constexpr int kMembershipSummaryTag = -99;
  static constexpr int kAllMembersTag = -98;

  // Loads the statement: the "&Options" menu gets "&Non-Member" (selected),
  // "&Membership Summary" (checked), "&All Members" and one item per member;
  // with `sort` the securities go from the highest total return to the lowest.
  ValuationStatementReport(valuation::Statement statement, std::string club_name, bool sort);

  int Kind() const override { return 3; }
  std::string Caption() const override { return "Valuation Statement"; }
  // A member's statement text may be missing a summary record: that throws,
  // and the report window says "Report Generation failed".
  void Lay(TPagePrinter& printer) override;

  const valuation::Statement& Statement() const { return statement_; }
  // Chooses the statement of the member with this display name, as its
  // "&Options" item does; false when no member has it.
  bool ChooseMember(std::string_view name);
  // Chooses "&All Members".
  void ChooseAllMembers() { options.Click(2); }
  // The index in options.Items() of the member at position `position` (1, 2, …).
  std::size_t MemberItem(int position) const { return 2 + static_cast<std::size_t>(position); }

  // The rows of the investment summary, cell texts joined by "|", as Lay writes them.
  struct InvestmentRows {
    std::vector<std::string> securities;  // in the statement's order (sorted when asked)
    std::string totals;                   // empty without securities
    std::string sold_dividends;           // empty when there is none
    std::vector<std::string> accounts;
    std::string gross_assets;
  };
  InvestmentRows Investments() const;

 private:
  void LayFor(TPagePrinter& printer, int selection);

  valuation::Statement statement_;
  std::string club_name_;
};

// A statement file loaded for the report, with the club's name and its
// "Sort Securities by Performance" setting from the club folder's information
// (no name and no sorting when the folder has none). Throws
// store::FileLayerError when the file cannot be read and
// valuation::StatementError when it is damaged.
std::unique_ptr<ValuationStatementReport> LoadValuationStatement(store::FileLayer& files,
                                                                 const std::filesystem::path& file,
                                                                 const std::filesystem::path& club_folder);

// Total return of a security line: ((price − cost) × shares + dividends) ÷ (cost × shares),
// as the 6-byte real holds it.
double TotalReturn(const valuation::StatementSecurity& security);

}  // namespace pellmark::reports
