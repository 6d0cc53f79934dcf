#include "interchange/naic_import.h"

#include <fmt/format.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <set>

#include "club/dates.h"
#include "club/record_kinds.h"
#include "club/store_files.h"
#include "club/text_encoding.h"

namespace pellmark::interchange {
namespace {

constexpr std::array<const char*, 7> kNaicFileNames = {"cash.dt",     "secname.dt",  "valuatn.dt", "member.dt",
                                                       "security.dt", "memtrans.dt", "invparms.dt"};
constexpr std::array<const char*, 4> kAccountNames = {"Broker", "Suspense", "Petty Cash", "Bank"};
constexpr std::int32_t kBankAccount = 4;

// One fixed-size record of a file, read field by field.
class NaicRecord {
 public:
  NaicRecord(std::string_view bytes, std::string_view file, std::size_t number)
      : bytes_(bytes), file_(file), number_(number) {}

  bool Deleted() const { return bytes_.substr(0, 4) == std::string_view("\x1b" "del", 4); }
  std::uint16_t Word(std::size_t offset) const {
    return static_cast<std::uint16_t>(Byte(offset) | (Byte(offset + 1) << 8));
  }
  std::uint8_t Byte(std::size_t offset) const { return static_cast<std::uint8_t>(bytes_[offset]); }
  double Double(std::size_t offset, std::string_view what) const {
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | Byte(offset + static_cast<std::size_t>(i));
    const double value = std::bit_cast<double>(bits);
    if (!std::isfinite(value) || std::fabs(value) > 1e12) Damage(fmt::format("the {} is no amount", what));
    return value;
  }
  // A zero-terminated text of at most `width` bytes, cut to `keep` characters.
  std::string Text(std::size_t offset, std::size_t width, std::size_t keep) const {
    std::string_view text = bytes_.substr(offset, width);
    text = text.substr(0, text.find('\0'));
    return std::string(text.substr(0, keep));
  }
  DayNumber Date(std::size_t offset) const {
    const std::uint16_t packed = Word(offset);
    const CivilDate date{1980 + (packed >> 9), (packed >> 5) & 0x0F, packed & 0x1F};
    if (!IsValidCivil(date)) Damage(fmt::format("the date {:#06x} is no day", packed));
    return DayNumberFromCivil(date);
  }
  [[noreturn]] void Damage(std::string_view what) const {
    throw ImportDamage(fmt::format("{} record {}: {}", file_, number_, what));
  }
  std::string_view File() const { return file_; }

 private:
  std::string_view bytes_;
  std::string_view file_;
  std::size_t number_;
};

class NaicReader {
 public:
  explicit NaicReader(const NaicFiles& files) : files_(files) {}

  ImportedClub Read() {
    CreateAccounts();
    ForEachRecord("cash.dt", 52, [&](const NaicRecord& r) { ReadCash(r); });
    const std::size_t name_body = Bytes("secname.dt").size() - std::min(Bytes("secname.dt").size(), kNaicHeaderSize);
    ForEachRecord("secname.dt", name_body % 153 == 0 ? 153 : 152, [&](const NaicRecord& r) { ReadSecurity(r); });
    ForEachRecord("valuatn.dt", 16, [&](const NaicRecord& r) { ReadPrice(r); });
    ForEachRecord("member.dt", 271, [&](const NaicRecord& r) { ReadMember(r); });
    // Lots first, so that the sales of the second pass find what they relieve.
    ForEachRecord("security.dt", 58, [&](const NaicRecord& r) { ReadTrade(r, true); });
    ForEachRecord("security.dt", 58, [&](const NaicRecord& r) { ReadTrade(r, false); });
    ForEachRecord("memtrans.dt", 56, [&](const NaicRecord& r) { ReadMemberTransaction(r); });
    ReadParameters();
    for (TAccountRec& account : club_.accounts) account.trancount = next_account_id_[account.actid - 1];
    return std::move(club_);
  }

 private:
  const std::string& Bytes(const char* name) {
    const auto found = files_.find(name);
    if (found == files_.end()) throw ImportDamage(std::string("Could not open ") + name);
    return found->second;
  }

  void ForEachRecord(const char* name, std::size_t size, const std::function<void(const NaicRecord&)>& read) {
    const std::string& bytes = Bytes(name);
    if (bytes.size() < kNaicHeaderSize) {
      throw ImportDamage(fmt::format("{}: {} bytes, shorter than the {}-byte header", name, bytes.size(),
                                     kNaicHeaderSize));
    }
    const std::size_t body = bytes.size() - kNaicHeaderSize;
    if (body % size != 0) {
      throw ImportDamage(fmt::format("{} record {}: {} bytes where a record has {}", name, body / size + 1,
                                     body % size, size));
    }
    for (std::size_t n = 0; n < body / size; ++n) {
      const NaicRecord record(std::string_view(bytes).substr(kNaicHeaderSize + n * size, size), name, n + 1);
      if (!record.Deleted()) read(record);
    }
  }

  void Remember(DayNumber day) { latest_ = std::max(latest_, day); }

  void CreateAccounts() {
    for (std::size_t i = 0; i < kAccountNames.size(); ++i) {
      TAccountRec account;
      account.name = kAccountNames[i];
      account.number = "Account Number";
      account.lstchk = -1;
      account.actid = static_cast<std::int32_t>(i) + 1;
      club_.accounts.push_back(account);
    }
  }

  std::int32_t AccountOf(const NaicRecord& r, std::uint16_t number) {
    const std::int32_t actid = number == 0 ? kBankAccount : number;
    if (actid > static_cast<std::int32_t>(kAccountNames.size())) {
      r.Damage(fmt::format("Could not find account {}", number));
    }
    return actid;
  }

  TAccountTranRec CashRecord(std::int32_t actid, DayNumber date, double amount, std::string desc) {
    TAccountTranRec tran;
    tran.trandate = date;
    tran.amount = amount;
    tran.desc = desc.substr(0, 30);
    tran.checknum = -1;
    tran.cancel = true;
    tran.updateloc = 0;
    tran.actid = actid;
    tran.tranid = next_account_id_[actid - 1]++;
    return tran;
  }

  void ReadCash(const NaicRecord& r) {
    const DayNumber date = r.Date(4);
    Remember(date);
    const std::uint16_t code = r.Word(6);
    const std::int32_t actid = AccountOf(r, r.Word(10));
    const double amount = std::fabs(r.Double(12, "amount"));
    std::string desc = r.Text(20, 32, 30);
    struct Mapping {
      PredefinedCategory category;
      AccountTranKind kind;
      const char* suffix;
    };
    std::optional<Mapping> mapping;
    switch (code) {
      case 0: mapping = Mapping{PredefinedCategory::OperatingExpenses, AccountTranKind::Withdrawal, ""}; break;
      case 1: mapping = Mapping{PredefinedCategory::InvestmentIncome, AccountTranKind::Deposit, ""}; break;
      case 2: mapping = Mapping{PredefinedCategory::InterestIncome, AccountTranKind::Interest, " Interest"}; break;
      case 3: mapping = Mapping{PredefinedCategory::DividendIncome, AccountTranKind::Deposit, " Dividend"}; break;
      case 4: mapping = Mapping{PredefinedCategory::NonDeductibleExpenses, AccountTranKind::Withdrawal, ""}; break;
      case 6: mapping = Mapping{PredefinedCategory::OtherIncome, AccountTranKind::Deposit, ""}; break;
      case 7: mapping = Mapping{PredefinedCategory::OperatingExpenses, AccountTranKind::BankCharge, ""}; break;
      case 10:
      case 18: mapping = Mapping{PredefinedCategory::MemberContributions, AccountTranKind::Deposit, ""}; break;
      case 11: mapping = Mapping{PredefinedCategory::Investments, AccountTranKind::Withdrawal, ""}; break;
      case 12: mapping = Mapping{PredefinedCategory::Investments, AccountTranKind::Deposit, ""}; break;
      case 19: mapping = Mapping{PredefinedCategory::MemberContributions, AccountTranKind::Withdrawal, ""}; break;
      default: break;
    }
    if (code == 5) {
      const std::int32_t other = AccountOf(r, r.Byte(8));
      if (other == actid) r.Damage("a transfer into its own account");
      TAccountTranRec out = CashRecord(actid, date, amount, desc);
      TAccountTranRec in = CashRecord(other, date, amount, desc);
      out.catid = Code(PredefinedCategory::TransferOut);
      out.typ = Code(AccountTranKind::TransferOut);
      in.catid = Code(PredefinedCategory::TransferIn);
      in.typ = Code(AccountTranKind::TransferIn);
      out.xferact = other;
      in.xferact = actid;
      out.checknum = in.tranid;
      in.checknum = out.tranid;
      club_.actrecs.push_back(out);
      club_.actrecs.push_back(in);
      return;
    }
    if (!mapping) {
      club_.skipped.push_back(fmt::format("Unknown Account Transaction: {} Amount ${:.2f}", code, amount));
      return;
    }
    TAccountTranRec tran = CashRecord(actid, date, amount, desc + mapping->suffix);
    tran.catid = Code(mapping->category);
    tran.typ = Code(mapping->kind);
    if (code >= 11) tran.updateloc = r.Byte(8);
    club_.actrecs.push_back(tran);
  }

  void ReadSecurity(const NaicRecord& r) {
    TSecurityRec security;
    security.stkid = r.Word(0);
    security.name = r.Text(4, 31, 25);
    security.symbol = r.Text(35, 11, 10);
    if (security.name.empty()) r.Damage("a security without a name");
    if (!security_ids_.insert(security.stkid).second) r.Damage(fmt::format("a second security {}", security.stkid));
    if (!security_names_.insert(Upper(security.name)).second) {
      r.Damage(fmt::format("a second security named {}", security.name));
    }
    club_.securities.push_back(security);
  }

  TSecurityRec* SecurityOf(std::uint16_t number) {
    for (TSecurityRec& security : club_.securities) {
      if (security.stkid == number) return &security;
    }
    return nullptr;
  }

  void ReadPrice(const NaicRecord& r) {
    TSecurityRec* security = SecurityOf(r.Word(0));
    if (security == nullptr) {
      club_.skipped.push_back(fmt::format("Could not find stock {}", r.Word(0)));
      return;
    }
    TPriceRec price;
    price.stkid = security->stkid;
    price.trandate = r.Date(4);
    Remember(price.trandate);
    price.price = r.Double(8, "price");
    if (price.price < 0) r.Damage("a price below zero");
    // One price a day: a later record of the same day replaces it.
    if (!priced_days_.insert({price.stkid, price.trandate}).second) return;
    price.tranid = security->pricecount++;
    club_.prices.push_back(price);
  }

  void ReadMember(const NaicRecord& r) {
    TMemberRec member;
    member.memid = r.Word(0);
    member.lname = r.Text(4, 16, 15);
    member.fname = r.Text(20, 16, 15);
    member.addr = r.Text(36, 31, 30);
    member.city = r.Text(67, 21, 20);
    member.state = r.Text(88, 3, 2);
    member.zip = r.Text(91, 11, 10);
    member.hphone = r.Text(102, 18, 17);
    member.email = r.Text(120, 31, 30);
    if (member.lname.empty()) r.Damage("a member without a last name");
    if (!member_ids_.insert(member.memid).second) r.Damage(fmt::format("a second member {}", member.memid));
    if (!member_names_.insert(Upper(MemberName(member))).second) {
      r.Damage(fmt::format("a second member named {}", MemberName(member)));
    }
    club_.members.push_back(member);
  }

  void ReadTrade(const NaicRecord& r, bool lots) {
    const std::uint16_t code = r.Word(6);
    const bool makes_lot = code == 1 || code == 4;
    if (makes_lot != lots) return;
    TSecurityRec* security = SecurityOf(r.Word(0));
    const double shares = r.Double(8, "share count");
    const double amount = std::fabs(r.Double(16, "amount"));
    const DayNumber date = r.Date(4);
    Remember(date);
    static const std::set<std::uint16_t> kIgnored = {40, 53, 54, 55, 56, 57, 67, 72, 79, 80, 97};
    if (kIgnored.contains(code)) return;
    if (code == 14 || code == 16) {
      club_.skipped.push_back("Payoffs with securities not supported");
      return;
    }
    if (code == 21) {
      club_.skipped.push_back(fmt::format(
          "Pellmark does not support seperate company paid transactions. {} Amount ${:.2f}", FormatDate(date), amount));
      return;
    }
    if (security == nullptr) {
      club_.skipped.push_back(fmt::format("Could not find stock {}", r.Word(0)));
      return;
    }
    std::optional<SecurityTranKind> kind;
    switch (code) {
      case 1: kind = SecurityTranKind::Purchase; break;
      case 2: kind = SecurityTranKind::Sale; break;
      case 3: kind = SecurityTranKind::Dividend; break;
      case 4: kind = SecurityTranKind::Reinvestment; break;
      case 5: kind = SecurityTranKind::CapitalGain; break;
      default: break;
    }
    const bool traded = kind == SecurityTranKind::Purchase || kind == SecurityTranKind::Sale ||
                        kind == SecurityTranKind::Reinvestment;
    if (!kind || (traded && !(std::fabs(shares) >= kShareTolerance))) {
      club_.skipped.push_back(fmt::format("Unknown Security Transaction: {}, Shares {:.3f} Amount ${:.2f}",
                                          security->name, shares, amount));
      return;
    }
    TSecurityTranRec tran;
    tran.stkid = security->stkid;
    tran.stranid = security->trancount++;
    tran.trandate = date;
    tran.typ = Code(*kind);
    tran.amount = amount;
    tran.price = traded ? amount / std::fabs(shares) : 0;
    tran.comm = std::fabs(r.Double(24, "commission"));
    tran.tax = *kind == SecurityTranKind::Dividend || *kind == SecurityTranKind::Reinvestment;
    // The cash of every trade is in cash.dt already.
    tran.actid = -1;
    tran.transid = -1;
    club_.stkrecs.push_back(tran);
  }

  void ReadMemberTransaction(const NaicRecord& r) {
    const std::uint16_t code = r.Word(6);
    const DayNumber date = r.Date(4);
    Remember(date);
    const double amount = r.Double(8, "amount");
    const double unit_value = r.Double(16, "unit value");
    TMemberRec* member = nullptr;
    for (TMemberRec& candidate : club_.members) {
      if (candidate.memid == r.Word(0)) member = &candidate;
    }
    if (member == nullptr) {
      club_.skipped.push_back(fmt::format("Could not find member {}", r.Word(0)));
      return;
    }
    std::optional<MemberTranKind> kind;
    if (code == 1 || code == 2) kind = MemberTranKind::Payment;
    if (code == 3) kind = MemberTranKind::Payout;
    if (code == 4) kind = MemberTranKind::NuEarnings;
    const bool buys = kind == MemberTranKind::Payment || kind == MemberTranKind::Payout;
    if (!kind || (buys && !(unit_value > 0))) {
      club_.skipped.push_back(
          fmt::format("Unknown Member Transaction: {} Amount ${:.2f}", MemberName(*member), amount));
      return;
    }
    TMemberTranRec tran;
    tran.memid = member->memid;
    tran.duestran = member->duescount++;
    tran.trandate = date;
    tran.typ = Code(*kind);
    tran.dues = std::fabs(amount);
    tran.actid = -1;
    tran.tranid = -1;
    if (buys) {
      tran.cunit = unit_value;
      tran.unitind = UnitValueOf(date, unit_value);
    } else {
      tran.unitind = -1;
    }
    club_.memrecs.push_back(tran);
  }

  // The valuation a payment bought at: one unit value record per day, the first value met on it.
  std::int32_t UnitValueOf(DayNumber date, double value) {
    for (const TUnitValueRec& unit : club_.unitfile) {
      if (unit.date == date) return unit.unitid;
    }
    TUnitValueRec unit;
    unit.date = date;
    unit.unitval = value;
    unit.unitid = static_cast<std::int32_t>(club_.unitfile.size());
    club_.unitfile.push_back(unit);
    return unit.unitid;
  }

  void ReadParameters() {
    const std::string& bytes = Bytes("invparms.dt");
    if (bytes.size() < kNaicHeaderSize + 140) {
      throw ImportDamage(fmt::format("invparms.dt: {} bytes, not the header and one 140-byte record", bytes.size()));
    }
    const NaicRecord r(std::string_view(bytes).substr(kNaicHeaderSize, 140), "invparms.dt", 1);
    TClubInfoRec info;
    info.club = r.Text(4, 26, 25);
    info.addr = r.Text(30, 61, 60);
    info.idnum = r.Text(91, 12, 11);
    const int year = r.Word(103);
    const int latest_year = latest_ > 0 ? CivilFromDayNumber(latest_).year : 1980;
    info.year = year >= kEarliestYear && year <= kLatestYear ? year : latest_year;
    info.sort = true;
    info.defact = info.defstkact = 0;
    info.unitind = static_cast<std::int32_t>(club_.unitfile.size());
    if (!club_.unitfile.empty()) {
      const TUnitValueRec* newest = &club_.unitfile.front();
      for (const TUnitValueRec& unit : club_.unitfile) {
        if (unit.date > newest->date) newest = &unit;
      }
      info.vunit = newest->unitval;
      info.unitkey = newest->unitid;
      info.date = newest->date;
    }
    club_.info = info;
  }

  static std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
  }

  const NaicFiles& files_;
  ImportedClub club_;
  std::array<std::int32_t, 4> next_account_id_{};
  std::set<std::int32_t> security_ids_, member_ids_;
  std::set<std::string> security_names_, member_names_;
  std::set<std::pair<std::int32_t, DayNumber>> priced_days_;
  DayNumber latest_ = 0;
};

}  // namespace

ImportedClub ReadNaicFiles(const NaicFiles& files) { return NaicReader(files).Read(); }

ImportedClub ReadNaicFolder(store::FileLayer& files, const std::filesystem::path& folder) {
  NaicFiles read;
  for (const char* name : kNaicFileNames) {
    std::optional<std::string> bytes = TryReadFile(files, folder / name);
    if (!bytes) throw ImportDamage(std::string("Could not open ") + name);
    read.emplace(name, std::move(*bytes));
  }
  return ReadNaicFiles(read);
}

}  // namespace pellmark::interchange
