// The member reports of the report window (the Reports page's "Transaction"
// group): each computed once when it is set up, and laid out from its figures
// as often as the window asks.
//
//   std::unique_ptr<Report> report = SetUpMemberReport(MemberReportKind::Payoff, club, date);
//   GenerateReport(*report, printer, ui);
//
// The payoff letter's set-up throws InvalidCategory (reports/club_tables.h),
// whose message the window shows instead of the report.
#pragma once

#include <memory>

#include "club/club_session.h"
#include "club/dates.h"
#include "reports/report.h"

namespace pellmark::reports {

enum class MemberReportKind { DuesPayment, Payoff, Roster, Vote, Returns };

std::unique_ptr<Report> SetUpMemberReport(MemberReportKind kind, ClubSession& club, DayNumber date);

}  // namespace pellmark::reports
