#include "books/statement_report.h"

#include "reports/club_reports.h"
#include "reports/member_reports.h"
#include "reports/valuation_statement.h"

namespace pellmark {

std::unique_ptr<reports::Report> StatementReport(Books& books, ReportMailKind kind, DayNumber date,
                                                 const std::filesystem::path& valuation_statement) {
  ClubSession& club = books.Club();
  switch (kind) {
    case ReportMailKind::kDistribution:
      return reports::SetUpClubReport(reports::ClubReportKind::Distribution, club, date);
    case ReportMailKind::kVote:
      return reports::SetUpMemberReport(reports::MemberReportKind::Vote, club, date);
    case ReportMailKind::kRoster:
      return reports::SetUpMemberReport(reports::MemberReportKind::Roster, club, date);
    case ReportMailKind::kValuation:
      break;
  }
  return reports::LoadValuationStatement(club.Files(), valuation_statement, club.Folder());
}

}  // namespace pellmark
