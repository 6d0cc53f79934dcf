#include "interchange/text_import.h"

#include <fmt/format.h>

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <unordered_map>
#include <variant>

#include "club/dates.h"
#include "club/record_keys.h"

namespace pellmark::interchange {
namespace {

// Where the reading is, for the messages of damage.
struct Place {
  std::string_view file;
  std::size_t line = 0;

  [[noreturn]] void Damage(std::string_view what) const {
    throw ImportDamage(fmt::format("{} line {}: {}", file, line, what));
  }
};

std::string_view DropLeadingBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

// The values of one line, cut at each "|", blanks at each value's start dropped.
void SplitValues(std::string_view line, std::vector<std::string_view>& values) {
  values.clear();
  std::size_t start = 0;
  for (;;) {
    const std::size_t bar = line.find('|', start);
    values.push_back(DropLeadingBlanks(line.substr(start, bar == std::string_view::npos ? bar : bar - start)));
    if (bar == std::string_view::npos) return;
    start = bar + 1;
  }
}

bool IsDateField(std::string_view name) {
  return name == "trandate" || name == "date" || name == "pricedate" || name == "lstdate";
}

std::optional<double> ReadDouble(std::string_view text) {
  if (text.empty()) return std::nullopt;
  double value = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  if (*first == '+') ++first;
  const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
  if (error != std::errc() || end != last || !std::isfinite(value)) return std::nullopt;
  return value;
}

template <class Integer>
std::optional<Integer> ReadInteger(std::string_view text) {
  std::int64_t value = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  const auto [end, error] = std::from_chars(first, last, value);
  if (first == last || error != std::errc() || end != last) return std::nullopt;
  if (value < std::numeric_limits<Integer>::min() || value > std::numeric_limits<Integer>::max()) return std::nullopt;
  return static_cast<Integer>(value);
}

struct Dialect {
  TextImportKind kind;
  bool first_version() const { return kind == TextImportKind::kFirstVersion; }
};

std::optional<bool> ReadFlag(std::string_view text, const Dialect& dialect) {
  if (dialect.first_version()) return text == "TRUE" || text.starts_with('Y') || text == "1";
  if (text == "1") return true;
  if (text == "0") return false;
  return std::nullopt;
}

// One value into its field of the record.
template <class Record>
void SetField(Record& record, const FieldSpec<Record>& field, std::string_view text, const Dialect& dialect,
              const Place& place) {
  auto bad = [&](std::string_view what) {
    place.Damage(fmt::format("the value \"{}\" of {} {}", text, field.name, what));
  };
  std::visit(
      [&](auto member) {
        using Value = std::remove_reference_t<decltype(record.*member)>;
        if constexpr (std::is_same_v<Value, std::string>) {
          if (text.size() > field.capacity) bad(fmt::format("is longer than its {} characters", field.capacity));
          record.*member = std::string(text);
        } else if constexpr (std::is_same_v<Value, double>) {
          std::optional<double> value;
          if (dialect.first_version() && IsDateField(field.name)) {
            value = text.empty() ? std::optional<double>(0) : ParseFirstVersionDate(text);
            if (!value) bad("is not a date (dd-MON-yyyy)");
          } else {
            value = ReadDouble(text);
            if (!value) bad("is not a number");
          }
          record.*member = *value;
        } else if constexpr (std::is_same_v<Value, bool>) {
          const std::optional<bool> value = ReadFlag(text, dialect);
          if (!value) bad("is not 0 or 1");
          record.*member = *value;
        } else if constexpr (std::is_same_v<Value, char>) {
          if (text.size() != 1) bad("is not one character");
          record.*member = text.front();
        } else {
          const std::optional<Value> value = ReadInteger<Value>(text);
          if (!value) bad("is not a whole number of its range");
          record.*member = *value;
        }
      },
      field.member);
}

// A stored date must be a whole day the keys can hold, or 0 where none is set.
void CheckDay(double day, std::string_view name, bool required, const Place& place) {
  if (!required && day == 0) return;
  const bool whole = day == std::floor(day) && day > -1e7 && day < 1e7;
  const int year = whole ? CivilFromDayNumber(day).year : 0;
  if (!whole || year < kEarliestYear || year > kLatestYear) {
    place.Damage(fmt::format("the {} {} is not a day between {} and {}", name, day, kEarliestYear, kLatestYear));
  }
}

// The checks a record needs before its key can be made.
void CheckKeyable(const TMemberTranRec& tran, const Place& place) { CheckDay(tran.trandate, "trandate", true, place); }
void CheckKeyable(const TSecurityTranRec& tran, const Place& place) {
  CheckDay(tran.trandate, "trandate", true, place);
}
void CheckKeyable(const TPriceRec& price, const Place& place) { CheckDay(price.trandate, "trandate", true, place); }
void CheckKeyable(const TAccountTranRec& tran, const Place& place) {
  CheckDay(tran.trandate, "trandate", true, place);
}
void CheckKeyable(const TUnitValueRec& unit, const Place& place) { CheckDay(unit.date, "date", true, place); }
void CheckKeyable(const TMemberRec& member, const Place& place) {
  if (member.mtype != 'P' && member.mtype != 'G') place.Damage("the member's mtype is neither P nor G");
}
void CheckKeyable(const TSecurityRec& security, const Place& place) {
  CheckDay(security.pricedate, "pricedate", false, place);
}
void CheckKeyable(const TAccountRec& account, const Place& place) {
  CheckDay(account.lstdate, "lstdate", false, place);
}
void CheckKeyable(const TClubInfoRec& info, const Place& place) { CheckDay(info.date, "date", false, place); }
void CheckKeyable(const TCategoryRec& category, const Place& place) {
  if (category.typ != 1 && category.typ != 2) place.Damage("the category's typ is neither 1 nor 2");
}

// One section being read: its records, the columns of its header, the keys seen.
template <class Record>
class Section {
 public:
  using KeyFunction = std::string (*)(const Record&);
  // `same_key` gives equal texts exactly when the store keys are equal (and
  // is quick to make); `key_of` the store key a message names.
  Section(std::vector<Record>& records, KeyFunction same_key, KeyFunction key_of)
      : records_(&records), same_key_(same_key), key_of_(key_of) {}

  void ReadHeader(const std::vector<std::string_view>& names, const Dialect& dialect, const Place& place) {
    columns_.clear();
    for (std::string_view name : names) {
      if (dialect.first_version() && name == "csz" && std::is_same_v<Record, TMemberRec>) {
        columns_.push_back(kCityStateZip);
        continue;
      }
      const auto& layout = Record::Layout();
      std::size_t found = layout.size();
      for (std::size_t i = 0; i < layout.size(); ++i) {
        if (name == layout[i].name) found = i;
      }
      if (found == layout.size()) place.Damage(fmt::format("the header names \"{}\", no field of a {}", name, Record::kName));
      columns_.push_back(found);
    }
  }

  // A line of values; `extra` names one more value a line may carry after the header's.
  void ReadLine(const std::vector<std::string_view>& values, const Dialect& dialect, const Place& place,
                const char* extra) {
    const auto& layout = Record::Layout();
    const std::size_t named = columns_.size();
    const bool with_extra = extra != nullptr && values.size() == named + 1;
    if (values.size() != named && !with_extra) {
      place.Damage(fmt::format("{} values where the header names {}", values.size(), named));
    }
    Record record;
    for (std::size_t i = 0; i < named; ++i) {
      if (columns_[i] == kCityStateZip) {
        if constexpr (std::is_same_v<Record, TMemberRec>) {
          CityStateZip parts = SplitCityStateZip(values[i]);
          record.city = std::move(parts.city);
          record.state = std::move(parts.state);
          record.zip = std::move(parts.zip);
        }
        continue;
      }
      SetField(record, layout[columns_[i]], values[i], dialect, place);
    }
    if (with_extra) {
      for (const auto& field : layout) {
        if (std::string_view(field.name) == extra) SetField(record, field, values[named], dialect, place);
      }
    }
    CheckKeyable(record, place);
    if (same_key_ != nullptr) {
      const auto [seen, fresh] = keys_.emplace(same_key_(record), place.line);
      if (!fresh) place.Damage(fmt::format("a second {} of the key {} (the first is on line {})", Record::kName,
                                           key_of_(record), seen->second));
    }
    records_->push_back(std::move(record));
  }

 private:
  static constexpr std::size_t kCityStateZip = std::numeric_limits<std::size_t>::max();
  std::vector<Record>* records_;
  KeyFunction same_key_;
  KeyFunction key_of_;
  std::vector<std::size_t> columns_;
  std::unordered_map<std::string, std::size_t> keys_;
};

using AnySection = std::variant<Section<TMemberRec>, Section<TMemberTranRec>, Section<TSecurityRec>,
                                Section<TSecurityTranRec>, Section<TPriceRec>, Section<TAccountRec>,
                                Section<TAccountTranRec>, Section<TCategoryRec>, Section<TUnitValueRec>,
                                Section<TClubInfoRec>>;

struct SectionName {
  const char* exported;       // the export's store file
  const char* first_version;  // the first version's file, nullptr when it had none
};

// Keys are made by the stores' own key functions; case-insensitive as the stores compare them.
template <class Record>
std::string UpperKey(const Record& record, std::string (*key_of)(const Record&)) {
  std::string key = key_of(record);
  for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return key;
}

// Twelve bytes equal exactly when two transaction keys (owner, whole day, id)
// are: short enough to be kept without an allocation.
std::string SameTranKey(std::int32_t owner, double date, std::int32_t id) {
  const auto day = static_cast<std::int32_t>(date);
  std::string key(12, '\0');
  std::memcpy(key.data(), &owner, 4);
  std::memcpy(key.data() + 4, &day, 4);
  std::memcpy(key.data() + 8, &id, 4);
  return key;
}

}  // namespace

std::optional<double> ParseFirstVersionDate(std::string_view text) {
  static constexpr std::array<std::string_view, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                               "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  const std::string padded = (text.size() == 10 ? std::string("0") : std::string()) + std::string(text);
  if (padded.size() != 11 || padded[2] != '-' || padded[6] != '-') return std::nullopt;
  const std::optional<int> day = ReadInteger<int>(std::string_view(padded).substr(0, 2));
  const std::optional<int> year = ReadInteger<int>(std::string_view(padded).substr(7, 4));
  int month = 0;
  for (std::size_t i = 0; i < kMonths.size(); ++i) {
    if (std::string_view(padded).substr(3, 3) == kMonths[i]) month = static_cast<int>(i) + 1;
  }
  if (!day || !year || month == 0 || padded[0] == '+' || padded[7] == '+') return std::nullopt;
  const CivilDate date{*year, month, *day};
  if (!IsValidCivil(date) || *year < kEarliestYear || *year > kLatestYear) return std::nullopt;
  return DayNumberFromCivil(date);
}

CityStateZip SplitCityStateZip(std::string_view text) {
  CityStateZip parts{"", "St", "Zip Code"};
  auto trim = [](std::string_view rest) {
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == ',')) rest.remove_suffix(1);
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    return rest;
  };
  auto last_word = [](std::string_view rest) {
    const std::size_t blank = rest.find_last_of(" ,");
    return blank == std::string_view::npos ? rest : rest.substr(blank + 1);
  };
  std::string_view rest = trim(text);
  std::string_view word = last_word(rest);
  if (!word.empty() && word.find_first_of("0123456789") != std::string_view::npos) {
    parts.zip = std::string(word.substr(0, 10));
    rest = trim(rest.substr(0, rest.size() - word.size()));
    word = last_word(rest);
  }
  const bool letters = word.size() == 2 && std::isalpha(static_cast<unsigned char>(word[0])) &&
                       std::isalpha(static_cast<unsigned char>(word[1]));
  if (letters && word.size() < rest.size()) {
    parts.state = std::string(word);
    rest = trim(rest.substr(0, rest.size() - word.size()));
  }
  parts.city = std::string(rest.substr(0, 20));
  return parts;
}

ImportedClub ReadTextImport(TextImportKind kind, std::string_view bytes, std::string_view file_name) {
  const Dialect dialect{kind};
  ImportedClub club;
  std::vector<TClubInfoRec> infos;
  static constexpr std::array<SectionName, 10> kNames = {{{"clubmem.qdb", "clubmem.dat"},
                                                          {"memrec.qdb", "memrecs.dat"},
                                                          {"clubstk.qdb", "clubstk.dat"},
                                                          {"stkrec.qdb", "stkrecs.dat"},
                                                          {"stkprice.qdb", nullptr},
                                                          {"clubact.qdb", "clubact.dat"},
                                                          {"actrec.qdb", nullptr},
                                                          {"clubcat.qdb", nullptr},
                                                          {"clubunit.qdb", "clubunit.dat"},
                                                          {"clubinfo.qdb", "clubinfo.dat"}}};
  std::array<bool, kNames.size()> seen{};
  auto make_section = [&](std::size_t index) -> AnySection {
    switch (index) {
      case 0:
        return Section<TMemberRec>(club.members, [](const TMemberRec& r) { return UpperKey(r, MemberKey); }, MemberKey);
      case 1:
        return Section<TMemberTranRec>(
            club.memrecs, [](const TMemberTranRec& r) { return SameTranKey(r.memid, r.trandate, r.duestran); },
            MemberTranKey);
      case 2:
        return Section<TSecurityRec>(club.securities, [](const TSecurityRec& r) { return UpperKey(r, SecurityKey); },
                                     SecurityKey);
      case 3:
        return Section<TSecurityTranRec>(
            club.stkrecs, [](const TSecurityTranRec& r) { return SameTranKey(r.stkid, r.trandate, r.stranid); },
            SecurityTranKey);
      case 4:
        return Section<TPriceRec>(
            club.prices, [](const TPriceRec& r) { return SameTranKey(r.stkid, r.trandate, r.tranid); }, PriceKey);
      case 5:
        return Section<TAccountRec>(club.accounts, [](const TAccountRec& r) { return UpperKey(r, AccountKey); },
                                    AccountKey);
      case 6:
        return Section<TAccountTranRec>(
            club.actrecs, [](const TAccountTranRec& r) { return SameTranKey(r.actid, r.trandate, r.tranid); },
            AccountTranKey);
      case 7:
        return Section<TCategoryRec>(
            club.categories, [](const TCategoryRec& r) { return UpperKey(r, CategoryRecordKey); }, CategoryRecordKey);
      case 8:
        return Section<TUnitValueRec>(
            club.unitfile, [](const TUnitValueRec& r) { return SameTranKey(0, r.date, r.unitid); }, UnitValueKey);
      default: return Section<TClubInfoRec>(infos, nullptr, nullptr);
    }
  };

  Place place{file_name, 0};
  std::optional<AnySection> section;
  std::size_t section_index = 0;
  bool header_pending = false;
  std::vector<std::string_view> values;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find('\n', start);
    std::string_view line = bytes.substr(start, end == std::string_view::npos ? end : end - start);
    start = end == std::string_view::npos ? bytes.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++place.line;
    if (place.line == 1 && kind == TextImportKind::kExport) {
      if (line != "V2.20") place.Damage("the first line is not \"V2.20\"");
      continue;
    }
    if (line.empty()) continue;
    if (line.starts_with("*** ") && line.ends_with(" ***") && line.size() >= 8) {
      if (header_pending) place.Damage("a section title where the header of the section before was due");
      const std::string_view name = line.substr(4, line.size() - 8);
      std::size_t found = kNames.size();
      for (std::size_t i = 0; i < kNames.size(); ++i) {
        const char* expected = dialect.first_version() ? kNames[i].first_version : kNames[i].exported;
        if (expected != nullptr && name == expected) found = i;
      }
      if (found == kNames.size()) place.Damage(fmt::format("\"{}\" is no section of this file", name));
      if (seen[found]) place.Damage(fmt::format("a second section \"{}\"", name));
      seen[found] = true;
      section_index = found;
      section = make_section(found);
      header_pending = true;
      continue;
    }
    if (!section) place.Damage("a line before the first section title");
    SplitValues(line, values);
    if (header_pending) {
      std::visit([&](auto& s) { s.ReadHeader(values, dialect, place); }, *section);
      header_pending = false;
      continue;
    }
    const char* extra = section_index == 6 && !dialect.first_version() ? "xferact" : nullptr;
    std::visit([&](auto& s) { s.ReadLine(values, dialect, place, extra); }, *section);
    if (section_index == 9 && infos.size() > 1) place.Damage("a second club information line");
  }
  if (place.line == 0 && kind == TextImportKind::kExport) {
    throw ImportDamage(fmt::format("{} line 1: the file is empty, not \"V2.20\"", file_name));
  }
  if (header_pending) place.Damage("the file ends before the header of its last section");
  if (!infos.empty()) club.info = std::move(infos.front());
  if (dialect.first_version()) {
    // The first version kept no register: nothing links to one, and the
    // data-format update brings its unit values and links up to date.
    for (TMemberTranRec& tran : club.memrecs) tran.tranid = -1;
    for (TSecurityTranRec& tran : club.stkrecs) tran.transid = -1;
    if (club.info) club.info->unitkey = -1;
  }
  return club;
}

std::vector<std::pair<std::string, std::size_t>> RecordCounts(const ImportedClub& club) {
  return {{"members", club.members.size()},
          {"member transactions", club.memrecs.size()},
          {"securities", club.securities.size()},
          {"security transactions", club.stkrecs.size()},
          {"prices", club.prices.size()},
          {"accounts", club.accounts.size()},
          {"account transactions", club.actrecs.size()},
          {"categories", club.categories.size()},
          {"unit values", club.unitfile.size()},
          {"club information", club.info ? 1u : 0u}};
}

}  // namespace pellmark::interchange
