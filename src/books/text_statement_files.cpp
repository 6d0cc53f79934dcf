#include "books/text_statement_files.h"

#include <string>
#include <utility>

#include "club/keys.h"
#include "reports/club_tables.h"
#include "reports/earnings_distribution.h"
#include "reports/text_statements.h"
#include "reports/valuation_statement.h"
#include "store/file_layer.h"
#include "valuation/statement_file.h"

namespace pellmark {

namespace {

constexpr const char* kValuationFailed = "Creation of Valuation Statement Failed.";

// Writes the text under its fixed name as one operation of the books (its
// unit of work, so the journal keeps the file's bytes before and after); a
// file error leaves the old file whole and is refused, with `failure` shown
// when there is one.
TextStatementFile Save(Books& books, reports::TextStatementKind kind, const std::string& text,
                       const char* failure) {
  const std::string name(reports::TextStatementFileName(kind));
  const std::filesystem::path file = books.Club().Folder() / name;
  try {
    (void)books.Run([&] {
      books.Club().NameOperation("Text statement " + name);
      books.Club().StageFile(file, text);
      return Outcome::Done();
    });
  } catch (const store::FileLayerError&) {
    if (failure != nullptr) return {Fail(books.Club().Ui(), failure), {}};
    return {Outcome::Refusal(""), {}};  // these files are silently not written
  }
  return {Outcome::Done(), file};
}

}  // namespace

TextStatementFile WriteValuationTextFile(Books& books, const std::filesystem::path& statement,
                                         bool membership_summary) {
  std::string text;
  try {
    // Loaded as for the printed statement, so the securities come in its order.
    const reports::ValuationStatementReport report(
        valuation::ReadStatementFile(books.Club().Files(), statement), books.Club().Info().club,
        books.Club().Info().sort);
    text = reports::ValuationStatementText(report.Statement(), books.Club().Info().club, membership_summary);
  } catch (const store::FileLayerError&) {
    return {Fail(books.Club().Ui(), kValuationFailed), {}};
  } catch (const valuation::StatementError&) {
    return {Fail(books.Club().Ui(), kValuationFailed), {}};
  }
  return Save(books, reports::TextStatementKind::kValuation, text, kValuationFailed);
}

TextStatementFile WriteDistributionTextFile(Books& books, DayNumber date) {
  std::string text;
  try {
    text = reports::DistributionStatementText(reports::ComputeEarningsDistribution(books.Club(), date),
                                              books.Club().Info().club);
  } catch (const reports::InvalidCategory& invalid) {
    return {Refuse(books.Club().Ui(), invalid.what()), {}};
  }
  return Save(books, reports::TextStatementKind::kDistribution, text, nullptr);
}

TextStatementFile WriteVoteTextFile(Books& books, DayNumber date) {
  const std::string text =
      reports::VoteStatementText(
          reports::ComputeVote(reports::ReadMemberBook(books.Club()), reports::VoteUnitValue(books.Club().unitfile, date), date),
          books.Club().Info().club);
  return Save(books, reports::TextStatementKind::kVote, text, nullptr);
}

TextStatementFile WriteRosterTextFile(Books& books) {
  const std::string text = reports::RosterStatementText(books.Club().members.Select(kActiveFilter),
                                                        books.Club().Info().club);
  return Save(books, reports::TextStatementKind::kRoster, text, nullptr);
}

}  // namespace pellmark
