#include "reports/member_reports.h"

#include "reports/dues_report.h"
#include "reports/member_book.h"
#include "reports/member_returns.h"
#include "reports/payoff_letter.h"
#include "reports/roster_report.h"
#include "reports/vote_report.h"

namespace pellmark::reports {

std::unique_ptr<Report> SetUpMemberReport(MemberReportKind kind, ClubSession& club, DayNumber date) {
  const std::string& name = club.Info().club;
  switch (kind) {
    case MemberReportKind::DuesPayment:
      return std::make_unique<DuesPaymentReport>(name, ComputeDuesPayments(ReadMemberBook(club), date));
    case MemberReportKind::Payoff:
      return std::make_unique<PayoffLetterReport>(name, ComputePayoffLetters(club, date));
    case MemberReportKind::Roster:
      return std::make_unique<RosterReport>(name, ComputeRoster(ReadMemberBook(club)));
    case MemberReportKind::Vote:
      return std::make_unique<VoteReport>(name,
                                          ComputeVote(ReadMemberBook(club), VoteUnitValue(club.unitfile, date), date));
    case MemberReportKind::Returns:
      return std::make_unique<MemberReturnsReport>(
          name, ComputeMemberReturns(ReadMemberBook(club), club.unitfile.Select(), date));
  }
  return nullptr;
}

}  // namespace pellmark::reports
