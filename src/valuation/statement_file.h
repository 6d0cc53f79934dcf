// Valuation statement files ("V" + mmddyyyy + ".stm"): a sequence of 51-byte
// records, each beginning with its kind; amounts are 6-byte reals, texts
// Windows-1252 ending in NUL, and the bytes after a record's last field zero.
//
//   Statement s;  s.date = DayNumberFromCivil({1999, 12, 31});  ...
//   WriteStatementFile(files, club / StatementFileName(s.date), s);
//   Statement back = ReadStatementFile(files, club / "V12311999.stm");
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "club/dates.h"
#include "store/file_layer.h"

namespace pellmark::valuation {

inline constexpr std::size_t kStatementRecordSize = 51;

enum class StatementRecordKind : std::uint8_t {
  kHeader = 0,
  kMember = 1,
  kSecurity = 2,
  kAccount = 3,
  kSummary = 4,
  kDividends = 5,
  kTrailer = 6,
};

struct StatementSecurity {
  double cost_per_share = 0;
  double price = 0;
  double dividends = 0;  // of the year
  double shares = 0;     // negative for a short position
  std::string name;      // at most 25 characters
};

struct StatementAccount {
  double balance = 0;
  double interest = 0;  // earned in the year
  std::string name;     // at most 37 characters
};

struct StatementMember {
  double units = 0;
  double contributions = 0;  // totalc
  double earnings = 0;       // totale
  std::string name;          // display name, at most 31 characters
};

struct StatementSummary {
  double new_unit_value = 0;
  double previous_unit_value = 0;
  double total_value = 0;
  double total_units = 0;
};

// One statement; each list in file order.
struct Statement {
  DayNumber date = 0;
  std::vector<StatementSecurity> securities;
  std::optional<double> dividends;  // of the whole club in the year
  std::vector<StatementAccount> accounts;
  std::vector<StatementMember> members;
  std::optional<StatementSummary> summary;
  std::optional<std::int32_t> unit_id;  // the trailer: the valuation's unitid, -1 for a test
};

// A statement that cannot be written (an amount beyond the 6-byte real: the
// message names the security, account or member whose figure it is, or the
// club) or read (a damaged file); the message says which and why.
class StatementError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "31-DEC-1999": the date as the header record holds it.
std::string StatementDateText(DayNumber date);

// "V12311999.stm" for 31 December 1999.
std::string StatementFileName(DayNumber date);

// The records in the order a valuation writes them: header, securities,
// dividends, accounts, members, then summary and trailer when present. Names
// longer than their field are cut to it.
std::string EncodeStatement(const Statement& statement);
// Reads a whole file's bytes; `name` appears in the messages. A file that is
// empty, not a whole number of records, without its date first, or with a
// second header, a text without its NUL or a number that is no 6-byte real is
// damaged: StatementError naming the record (counted from 1). A record of a
// kind not known here is passed over.
Statement DecodeStatement(std::string_view bytes, std::string_view name);

void WriteStatementFile(store::FileLayer& files, const std::filesystem::path& file, const Statement& statement);
// A file that cannot be read throws store::FileLayerError; a damaged one
// StatementError, also one that does not end with its summary and trailer.
Statement ReadStatementFile(store::FileLayer& files, const std::filesystem::path& file);

}  // namespace pellmark::valuation
