// The printed report of a statement kind, as a mail attaches it beside the
// kind's text statement: the valuation statement of a statement file, the
// earnings distribution, the membership vote or the roster of the date.
//
//   std::unique_ptr<reports::Report> report = StatementReport(books, ReportMailKind::kVote, date, {});
#pragma once

#include <filesystem>
#include <memory>

#include "books/books.h"
#include "reports/report.h"

namespace pellmark {

// `valuation_statement` names the statement file of a valuation; the other
// kinds read the books as of `date`. Throws what loading a statement throws.
std::unique_ptr<reports::Report> StatementReport(Books& books, ReportMailKind kind, DayNumber date,
                                                 const std::filesystem::path& valuation_statement);

}  // namespace pellmark
