// The payoff letter (kind 10): for a member paid off during the year, the
// member's share of the year's income up to the payout (the member's paid-off
// row of the earnings distribution as of the payout date), the payoff amount,
// and the tax basis of the units paid out.
//
//   PayoffLetters letters = ComputePayoffLetters(club, date);   // every payout of the year
//   PayoffLetterReport report(info.club, letters);              // "&Options": one item a payout
//   GenerateReport(report, printer, ui);
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "club/club_session.h"
#include "club/dates.h"
#include "reports/club_tables.h"
#include "reports/earnings_distribution.h"
#include "reports/report.h"
#include "reports/year_records.h"

namespace pellmark::reports {

struct PayoffLetter {
  std::string name;  // "First Last", or the group's name
  std::string listing_name;  // "Last, First", or the group's name
  TMemberTranRec payout;
  // The member's share and the club's figures of the year up to the payout
  // date; costs and foreign taxes as amounts spent.
  DistributionRow share;
  DistributionRow club;
  bool foreign_taxes = false;  // the club's foreign taxes up to the payout are not 0
  double units = 0;            // `dues` ÷ `cunit`
  double basis = 0;
  double additional_gain = 0;  // `dues` − basis
  std::string gain_class;      // "short", "medium" or "long"
};

struct PayoffLetters {
  DayNumber date = 0;
  std::vector<PayoffLetter> letters;  // the payouts of the year up to the date, in store order
};

// Every payout of the year up to `date` whose member exists. Throws
// InvalidCategory as the earnings distribution does.
PayoffLetters ComputePayoffLetters(ClubSession& club, DayNumber date);
// The same from records of the date's year with every store read: one reading
// for the letters of all the payout dates.
PayoffLetters ComputePayoffLetters(const YearRecords& records, DayNumber date);

// The rows of the letter's tables, cells joined by "|": the income shares, the
// payoff calculation and the taxable income.
struct PayoffRows {
  std::vector<std::string> shares, payoff, taxable;
};
PayoffRows PayoffLetterRows(const PayoffLetter& letter);

class PayoffLetterReport : public Report {
 public:
  // "&Options": one item a payout, captioned with the member's name, the first selected.
  PayoffLetterReport(std::string club_name, PayoffLetters letters);
  int Kind() const override { return 10; }
  std::string Caption() const override { return "Member Payoff Letter"; }
  void Lay(TPagePrinter& printer) override;
  // Every letter, each from a new page, instead of the selected one.
  void ChooseAll() { all_ = true; }
  const PayoffLetters& Letters() const { return letters_; }

 private:
  void LayLetter(TPagePrinter& printer, const PayoffLetter& letter);

  std::string club_name_;
  PayoffLetters letters_;
  bool all_ = false;
};

}  // namespace pellmark::reports
