// The tax figures of a year close: the lines of Forms 1120S and 1065 with
// their schedules K, L, M-1 and M-2, each member's Schedule K-1 income and
// deduction row and capital account, and the four supporting schedules, all
// from the year's earnings distribution, capital gains, income statement and
// balance sheets. Every figure is whole cents and every total the sum of the
// figures it adds up.
//
//   TaxFigures figures = ComputeTaxFigures(club, 2026);   // throws InvalidCategory
//   club.StageFile(club.Folder() / TaxFileName(2026), EncodeTaxFile(TaxFileOf(figures)));
//   ledger::CreditEarnings(club, figures.Earnings(), closing_unit);
//
// Each K-1 column adds up to its Schedule K line: the members' shares are the
// distribution's rows, whose rounding cents are handed out rather than lost
// (only amounts of months in which no member held units stay undivided). The
// K-1 "Ordinary Income" is a member's share of the club's ordinary income
// (income less deductions, before foreign taxes, which have their own column);
// the member's earnings are that less the member's foreign taxes. A member's
// capital account closes: beginning + capital in + earnings − capital out =
// ending, to the cent.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "club/club_session.h"
#include "members/earnings_credit.h"
#include "reports/tax_file.h"
#include "reports/year_records.h"

namespace pellmark::reports {

struct TaxLine {
  std::string label;
  double amount = 0;
};

// One member's Schedule K-1 figures. Deductions and foreign taxes are amounts
// spent (the file writes them negated).
struct TaxMemberRow {
  std::int32_t memid = 0;
  std::string name;  // "First Last"; a group's whole name
  double ordinary = 0, interest = 0, dividends = 0, short_term = 0, medium_term = 0, long_term = 0;
  double deductions = 0, foreign_taxes = 0;
  double earnings = 0;  // ordinary − foreign taxes: the year's earnings credited to the member
  // The capital account; capital out is what the member was paid out.
  double beginning = 0, capital_in = 0, capital_out = 0, ending = 0;
};

struct TaxFigures {
  std::int32_t year = 0;
  bool foreign_taxes = false;  // the year's foreign taxes are not 0
  std::vector<TaxLine> lines;  // the return lines in their order
  std::array<std::vector<TaxLine>, 4> schedules;  // Schedules 1 to 4
  // Active members, and the members paid off in the year, in store order.
  std::vector<TaxMemberRow> members;

  // Each member's earnings, for the earnings credit.
  std::vector<ledger::EarningsShare> Earnings() const;
};

// The figures of `year` (January 1 to December 31). Throws InvalidCategory
// (reports/club_tables.h) when an account transaction of the year names a
// category the store does not have.
TaxFigures ComputeTaxFigures(ClubSession& club, std::int32_t year);
// The same from the records of `year` with every store read.
TaxFigures ComputeTaxFigures(const YearRecords& records, std::int32_t year);

// The tax file of the figures: the "+" year line, the return lines, the
// schedules, the K-1 rows, the capital account rows and, for a year with
// foreign taxes, each member's foreign taxes after a seventh separator.
TaxFile TaxFileOf(const TaxFigures& figures);

}  // namespace pellmark::reports
