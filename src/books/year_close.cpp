#include "books/year_close.h"

#include <fmt/format.h>

#include "books/books.h"
#include "cash/interest_year.h"
#include "members/earnings_credit.h"
#include "reports/club_tables.h"
#include "reports/tax_figures.h"
#include "reports/tax_file.h"
#include "reports/year_records.h"
#include "valuation/year_close.h"

namespace pellmark {

YearClose Books::CloseYear() {
  YearClose close;
  valuation::YearCloseStart start = valuation::StartYearClose(club_, club_.Files());
  if (!start.closing) {
    close.outcome = std::move(start.outcome);
    return close;
  }
  const valuation::ClosingValuation& closing = *start.closing;
  close.year = closing.year;
  close.date = closing.unit.date;
  close.tax_file = club_.Folder() / reports::TaxFileName(closing.year);
  BusyGuard busy(club_.Ui());
  // Read once: the tax figures and the securities' reset both work from it
  // (the close writes no security transaction in between).
  const reports::YearRecords records = reports::ReadYearRecords(club_, closing.year);
  try {
    close.figures = reports::ComputeTaxFigures(records, closing.year);
  } catch (const reports::InvalidCategory& invalid) {
    close.outcome = Refuse(club_.Ui(), invalid.what());
    return close;
  }
  (void)Run([&] {
    // Named for what it is: the journal would name it by the first earnings credited.
    club_.NameOperation(fmt::format("Close Year {}", closing.year));
    valuation::MarkYearClosed(club_, closing);
    close.credited = ledger::CreditEarnings(club_, close.figures->Earnings(), closing.unit);
    club_.StageFile(close.tax_file, reports::EncodeTaxFile(reports::TaxFileOf(*close.figures)));
    valuation::OpenNextYear(club_);
    // The figures of the year (dividends, interest) start again in the new one.
    const std::vector<TSecurityTranRec> none;
    for (const TSecurityRec& security : securities_.List(/*active_only=*/true)) {
      const std::vector<TSecurityTranRec>* transactions = records.TransactionsOf(security.stkid);
      (void)securities_.ResetSecurity(security.name, transactions ? *transactions : none, /*announce=*/false);
    }
    // The close writes no account transaction: the ones read still hold.
    ledger::RestartYearInterest(club_, records.account_transactions);
    return Outcome::Done();
  });
  return close;
}

void Books::AnnounceYearClosed(const YearClose& close) { valuation::AnnounceYearClosed(club_.Ui(), close.year); }

}  // namespace pellmark
