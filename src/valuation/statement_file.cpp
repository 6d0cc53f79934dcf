#include "valuation/statement_file.h"

#include <algorithm>
#include <array>
#include <cstring>

#include <fmt/format.h>

#include "club/real48.h"
#include "store/whole_files.h"

namespace pellmark::valuation {

namespace {

using Record = std::array<std::uint8_t, kStatementRecordSize>;

constexpr const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                   "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
constexpr std::size_t kDateField = 12;  // "31-DEC-1999" and its NUL
constexpr std::string_view kClub = "the club";

Record NewRecord(StatementRecordKind kind) {
  Record record{};
  record[0] = static_cast<std::uint8_t>(kind);
  return record;
}

// `owner` names whose figure it is, so that the user knows what to correct.
void PutReal(Record& record, std::size_t at, double value, const char* what, std::string_view owner) {
  std::optional<Real48> bytes = EncodeReal48(value);
  if (!bytes) {
    throw StatementError(
        fmt::format("The {} {} of {} is beyond what a valuation statement can hold.", what, value, owner));
  }
  std::copy(bytes->begin(), bytes->end(), record.begin() + static_cast<std::ptrdiff_t>(at));
}

// The text cut to leave room for its NUL before the record's end.
void PutText(Record& record, std::size_t at, std::string_view text, std::size_t most) {
  text = text.substr(0, std::min(most, kStatementRecordSize - at - 1));
  std::memcpy(record.data() + at, text.data(), text.size());
}

double GetReal(const Record& record, std::size_t at) {
  Real48 bytes;
  std::copy_n(record.begin() + static_cast<std::ptrdiff_t>(at), 6, bytes.begin());
  return DecodeReal48(bytes);
}

// A zero exponent stands for zero alone: with any other bit set the bytes were
// not written as a 6-byte real.
bool IsReal(const Record& record, std::size_t at) {
  return record[at] != 0 || std::all_of(record.begin() + static_cast<std::ptrdiff_t>(at) + 1,
                                        record.begin() + static_cast<std::ptrdiff_t>(at) + 6,
                                        [](std::uint8_t b) { return b == 0; });
}

// Up to the NUL; nullopt when the field runs to the record's end without one.
std::optional<std::string> GetText(const Record& record, std::size_t at) {
  std::string text;
  for (std::size_t i = at; i < kStatementRecordSize; ++i) {
    if (record[i] == 0) return text;
    text += static_cast<char>(record[i]);
  }
  return std::nullopt;
}

std::optional<DayNumber> ParseHeaderDate(std::string_view text) {
  if (text.size() != 11 || text[2] != '-' || text[6] != '-') return std::nullopt;
  auto digits = [](std::string_view d) {
    int value = 0;
    for (char c : d) {
      if (c < '0' || c > '9') return -1;
      value = value * 10 + (c - '0');
    }
    return value;
  };
  int day = digits(text.substr(0, 2));
  int year = digits(text.substr(7, 4));
  int month = 0;
  for (int m = 0; m < 12; ++m) {
    if (text.substr(3, 3) == kMonths[m]) month = m + 1;
  }
  CivilDate date{year, month, day};
  if (day < 0 || year < 0 || month == 0 || !IsValidCivil(date)) return std::nullopt;
  return DayNumberFromCivil(date);
}

}  // namespace

std::string StatementDateText(DayNumber date) {
  CivilDate civil = CivilFromDayNumber(date);
  return fmt::format("{:02}-{}-{:04}", civil.day, kMonths[civil.month - 1], civil.year);
}

std::string StatementFileName(DayNumber date) {
  CivilDate civil = CivilFromDayNumber(date);
  return fmt::format("V{:02}{:02}{:04}.stm", civil.month, civil.day, civil.year);
}

std::string EncodeStatement(const Statement& statement) {
  std::string bytes;
  auto append = [&](const Record& record) { bytes.append(reinterpret_cast<const char*>(record.data()), record.size()); };

  Record header = NewRecord(StatementRecordKind::kHeader);
  PutText(header, 1, StatementDateText(statement.date), kDateField - 1);
  append(header);
  for (const StatementSecurity& security : statement.securities) {
    Record record = NewRecord(StatementRecordKind::kSecurity);
    const std::string owner = "security " + security.name;
    PutReal(record, 1, security.cost_per_share, "cost per share", owner);
    PutReal(record, 7, security.price, "price", owner);
    PutReal(record, 13, security.dividends, "dividend amount", owner);
    PutReal(record, 19, security.shares, "share count", owner);
    PutText(record, 25, security.name, 25);
    append(record);
  }
  if (statement.dividends) {
    Record record = NewRecord(StatementRecordKind::kDividends);
    PutReal(record, 1, *statement.dividends, "dividend amount", kClub);
    append(record);
  }
  for (const StatementAccount& account : statement.accounts) {
    Record record = NewRecord(StatementRecordKind::kAccount);
    const std::string owner = "account " + account.name;
    PutReal(record, 1, account.balance, "balance", owner);
    PutReal(record, 7, account.interest, "interest amount", owner);
    PutText(record, 13, account.name, 37);
    append(record);
  }
  for (const StatementMember& member : statement.members) {
    Record record = NewRecord(StatementRecordKind::kMember);
    const std::string owner = "member " + member.name;
    PutReal(record, 1, member.units, "unit count", owner);
    PutReal(record, 7, member.contributions, "contribution amount", owner);
    PutReal(record, 13, member.earnings, "earnings amount", owner);
    PutText(record, 19, member.name, 31);
    append(record);
  }
  if (statement.summary) {
    Record record = NewRecord(StatementRecordKind::kSummary);
    PutReal(record, 1, statement.summary->new_unit_value, "unit value", kClub);
    PutReal(record, 7, statement.summary->previous_unit_value, "previous unit value", kClub);
    PutReal(record, 13, statement.summary->total_value, "total value", kClub);
    PutReal(record, 19, statement.summary->total_units, "unit count", kClub);
    append(record);
  }
  if (statement.unit_id) {
    Record record = NewRecord(StatementRecordKind::kTrailer);
    auto id = static_cast<std::uint32_t>(*statement.unit_id);
    for (int i = 0; i < 4; ++i) record[1 + i] = static_cast<std::uint8_t>(id >> (8 * i));
    append(record);
  }
  return bytes;
}

Statement DecodeStatement(std::string_view bytes, std::string_view name) {
  auto damaged = [&](std::string_view why) {
    return StatementError(fmt::format("Valuation statement {} is damaged: {}.", name, why));
  };
  if (bytes.empty()) throw damaged("it is empty");
  if (bytes.size() % kStatementRecordSize != 0) throw damaged("its length is not a whole number of 51-byte records");
  Statement statement;
  for (std::size_t at = 0; at < bytes.size(); at += kStatementRecordSize) {
    const std::size_t number = at / kStatementRecordSize + 1;
    auto damaged_record = [&](std::string_view why) { return damaged(fmt::format("record {} {}", number, why)); };
    Record record;
    std::memcpy(record.data(), bytes.data() + at, kStatementRecordSize);
    auto kind = static_cast<StatementRecordKind>(record[0]);
    auto real = [&](std::size_t offset) {
      if (!IsReal(record, offset)) throw damaged_record("holds a number that is not a 6-byte real");
      return GetReal(record, offset);
    };
    auto text = [&](std::size_t offset) {
      std::optional<std::string> value = GetText(record, offset);
      if (!value) throw damaged_record("holds a text without its end");
      return *value;
    };
    if (at == 0) {
      if (kind != StatementRecordKind::kHeader) throw damaged("it does not begin with its date");
      std::optional<DayNumber> date = ParseHeaderDate(text(1));
      if (!date) throw damaged("its date is not a date");
      statement.date = *date;
      continue;
    }
    switch (kind) {
      case StatementRecordKind::kSecurity:
        statement.securities.push_back({real(1), real(7), real(13), real(19), text(25)});
        break;
      case StatementRecordKind::kDividends: statement.dividends = real(1); break;
      case StatementRecordKind::kAccount: statement.accounts.push_back({real(1), real(7), text(13)}); break;
      case StatementRecordKind::kMember: statement.members.push_back({real(1), real(7), real(13), text(19)}); break;
      case StatementRecordKind::kSummary:
        statement.summary = StatementSummary{real(1), real(7), real(13), real(19)};
        break;
      case StatementRecordKind::kTrailer: {
        std::uint32_t id = 0;
        for (int i = 0; i < 4; ++i) id |= static_cast<std::uint32_t>(record[1 + i]) << (8 * i);
        statement.unit_id = static_cast<std::int32_t>(id);
        break;
      }
      case StatementRecordKind::kHeader: throw damaged_record("is a second header");
      default: break;  // a kind this program does not know is passed over, as the earlier versions did
    }
  }
  return statement;
}

void WriteStatementFile(store::FileLayer& files, const std::filesystem::path& file, const Statement& statement) {
  store::SaveFileAtomically(files, file, EncodeStatement(statement));
}

Statement ReadStatementFile(store::FileLayer& files, const std::filesystem::path& file) {
  const std::string bytes = store::ReadWholeFile(files, file);
  const std::string name = file.filename().string();
  Statement statement = DecodeStatement(bytes, name);
  // A valuation writes the summary and the trailer last and keeps no file
  // without units: a file that ends before them was cut short, even when the
  // cut fell between two records.
  const auto last = static_cast<StatementRecordKind>(bytes[bytes.size() - kStatementRecordSize]);
  if (!statement.summary || !statement.unit_id || last != StatementRecordKind::kTrailer) {
    throw StatementError(fmt::format("Valuation statement {} is damaged: it ends without its summary and trailer.", name));
  }
  return statement;
}

}  // namespace pellmark::valuation
