// The year close's own steps: finding the official valuation of 31 December of
// the open year and asking whether the year is ready, marking that valuation
// closed, opening the next year, and the closing message. The figures the
// close writes (the earnings credits and the tax file) come from the tax
// computation; the books run all of it as one unit of work.
//
//   YearCloseStart start = StartYearClose(club, files);   // refusals and the question
//   if (!start.closing) return start.outcome;
//   MarkYearClosed(club, *start.closing);
//   OpenNextYear(club);
//   ... commit ...
//   AnnounceYearClosed(club.Ui(), start.closing->year);
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "club/club_session.h"
#include "club/outcome.h"
#include "store/file_layer.h"

namespace pellmark::valuation {

// The valuation a close finishes the year with.
struct ClosingValuation {
  std::int32_t year = 0;
  std::filesystem::path statement;  // "V1231" + year + ".stm" in the club folder
  TUnitValueRec unit;               // the unit record the statement's trailer names
};

struct YearCloseStart {
  Outcome outcome = Outcome::Done();
  std::optional<ClosingValuation> closing;  // when the close may go on
};

// "Need to create an Official Valuation Statement for 12/31/" + year.
std::string NeedClosingStatement(std::int32_t year);

// The checks of "Close Year" for the open year, then its question. Refused
// when the year's 31 December statement is missing, is a test statement, has
// no trailer or names no unit record ("Need to create an Official Valuation
// Statement for 12/31/<year>"), or cannot be read (its damage named), and
// when that valuation is already closed ("Year <year> already closed.");
// cancelled by No to "Have all transactions for <year> been entered and
// verified?". Nothing is changed.
YearCloseStart StartYearClose(ClubSession& club, store::FileLayer& files);

// Sets the closed mark (`upd`) of the closing valuation's unit record.
void MarkYearClosed(ClubSession& club, const ClosingValuation& closing);

// The club information's open year grows by one.
void OpenNextYear(ClubSession& club);

// The sound and "Year <year> has been closed.  Tax Report Created.".
void AnnounceYearClosed(Interaction& ui, std::int32_t year);

}  // namespace pellmark::valuation
