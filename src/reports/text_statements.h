// The plain-text statements: the valuation statement, the earnings
// distribution, the membership vote and the roster written as lines of fixed-width fields, for saving under a name of
// the user's choice or attaching to mail. Each function returns the whole file's
// text, every line ended by "\n"; books/text_statement_files.h writes them into
// the club folder.
//
//   std::string text = ValuationStatementText(statement, info.club, true);   // "valuerpt.txt"
//   std::string vote = VoteStatementText(ComputeMembershipVote(club, date), info.club);
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "club/dates.h"
#include "club/records.h"
#include "reports/earnings_distribution.h"
#include "reports/membership_vote.h"
#include "valuation/statement_file.h"

namespace pellmark::reports {

enum class TextStatementKind { kValuation, kDistribution, kVote, kRoster };

// "valuerpt.txt", "distrpt.txt", "voterpt.txt", "rosterrpt.txt".
std::string_view TextStatementFileName(TextStatementKind kind);

enum class FieldAlign { kLeft, kRight };

// One field of a text line: the text padded with blanks to `width` (after it
// when left-aligned, before it when right-aligned), then one blank. A longer
// text is written whole.
std::string TextField(std::string_view text, std::size_t width, FieldAlign align);

// 80 characters of `fill`.
std::string TextRule(char fill = '-');

// The valuation statement in the order of its securities as loaded (sorted by
// performance when the club asks for it). `membership_summary` adds each
// member's units and value. Money is rounded to the cent as the printed
// statement rounds it, and the totals are the sums of the figures above them.
std::string ValuationStatementText(const valuation::Statement& statement, std::string_view club_name,
                                   bool membership_summary);

// The earnings distribution: the year's amounts, the paid-off members with
// the adjusted amounts, then each active member's share; the foreign taxes
// column only when the year has foreign taxes. Costs and foreign taxes are
// written as negative amounts.
std::string DistributionStatementText(const EarningsDistribution& distribution, std::string_view club_name);

// The membership voting percentages as of the vote's date.
std::string VoteStatementText(const MembershipVote& vote, std::string_view club_name);

// The roster of `members` (the active ones, in store order): address and
// phone lines, the e-mail address on the first line that has room for it.
// Placeholder texts of the member form count as empty.
std::string RosterStatementText(const std::vector<TMemberRec>& members, std::string_view club_name);

}  // namespace pellmark::reports
