#include "books/text_statement_files.h"

#include <string>
#include <utility>

#include "club/keys.h"
#include "club/text_encoding.h"
#include "reports/club_tables.h"
#include "reports/earnings_distribution.h"
#include "reports/text_statements.h"
#include "reports/valuation_statement.h"
#include "store/file_layer.h"
#include "valuation/statement_file.h"

namespace pellmark {

namespace {

constexpr const char* kValuationFailed = "Creation of Valuation Statement Failed.";

// Writes the bytes under `name` in the club folder as one operation of the
// books (its unit of work, so the journal keeps the file's bytes before and
// after); a file error leaves the old file whole and is refused, with
// `failure` shown when there is one.
TextStatementFile SaveInClubFolder(Books& books, const std::string& name, const std::string& bytes,
                                   const std::string& label, const char* failure) {
  const std::filesystem::path file = books.Club().Folder() / name;
  try {
    (void)books.Run([&] {
      books.Club().NameOperation(label);
      books.Club().StageFile(file, bytes);
      return Outcome::Done();
    });
  } catch (const store::FileLayerError&) {
    if (failure != nullptr) return {Fail(books.Club().Ui(), failure), {}};
    return {Outcome::Refusal(""), {}};  // these files are silently not written
  }
  return {Outcome::Done(), file};
}

// The text under its fixed name.
TextStatementFile Save(Books& books, reports::TextStatementKind kind, const std::string& text,
                       const char* failure) {
  const std::string name(reports::TextStatementFileName(kind));
  return SaveInClubFolder(books, name, text, "Text statement " + name, failure);
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

TextStatementFile SavePdfBeside(Books& books, const std::filesystem::path& text_file, const std::string& pdf) {
  const std::string name = std::filesystem::path(text_file).replace_extension(".pdf").filename().string();
  const std::string failure = "Could not write " + ToWindows1252((books.Club().Folder() / name).string());
  return SaveInClubFolder(books, name, pdf, "Printed statement " + name, failure.c_str());
}

}  // namespace pellmark
