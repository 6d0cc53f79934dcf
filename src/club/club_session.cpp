#include "club/club_session.h"

#include <cmath>

#include "club/club_info_file.h"
#include "club/keys.h"
#include "club/number_parse.h"
#include "club/store_operations.h"
#include "club/upgrade.h"

namespace pellmark {
namespace {

constexpr int kMasterCacheSize = 2500;
constexpr int kTransactionCacheSize = 16384;
constexpr double kLeastStartUnit = 0.01;
constexpr double kMostStartUnit = 1e6;

std::optional<std::int32_t> ParseTrackYear(std::string_view text) {
  std::optional<std::int32_t> year = ParseInteger(text, PlusSign::kRefused);
  if (!year || !IsValidCivil({*year, 1, 1})) return std::nullopt;
  return year;
}

std::string Cut(const std::string& text, std::size_t length) { return text.substr(0, length); }

}  // namespace

ClubSession::ClubSession(std::filesystem::path folder, Interaction& ui, const Clock& clock)
    : folder_(std::move(folder)), ui_(ui), clock_(clock) {}

ClubSession::~ClubSession() {
  try {
    CloseStores();
  } catch (...) {
    // The working files stay behind; the next open recovers them.
  }
}

void ClubSession::ConfigureStores() {
  const std::filesystem::path working = folder_ / kWorkingFolderName;
  std::error_code ignored;
  std::filesystem::create_directories(working, ignored);
  Stores& s = stores_;
  for (store::TQDB* master : {&s.members, &s.securities, &s.accounts, &s.categories}) {
    master->SetCacheSize(kMasterCacheSize);
  }
  for (store::TQDB* transactions : {&s.memrecs, &s.stkrecs, &s.actrecs, &s.prices}) {
    transactions->SetCacheSize(kTransactionCacheSize);
  }
  for (store::TQDB* store : s.All()) {
    store->WarnNoData = [](store::TQDB&) {};
    store->SetTempFolder(working);
    store->OnRecovery = [this](store::TQDB&, const store::RecoveryReport& report) { ReportRecovery(report); };
  }
}

void ClubSession::ReportRecovery(const store::RecoveryReport& report) {
  const std::string file = report.store_file.filename().string();
  if (report.joined) {
    ui_.ShowInformation("Changes to " + file + " left by a program that ended without closing the club have been recovered.");
  } else {
    ui_.ShowError("Changes to " + file + " left by a program that ended without closing the club could not be recovered (" +
                  report.problem + "); they were left in " + report.marker_file.parent_path().string() + ".");
  }
}

void ClubSession::ResetInfoForFirstSetUp() {
  info_ = TClubInfoRec{};
  info_.sort = true;
  info_.year = CivilFromDayNumber(Today()).year;
  info_.contyp = -1;
  info_.defact = -1;
  info_.defstkact = -1;
}

std::vector<std::int32_t> ClubSession::OpenClub(bool reset) {
  if (auto info = ReadClubInfo(folder_, Files())) {
    info_ = *info;
    info_exists_ = true;
  } else {
    ResetInfoForFirstSetUp();
    info_exists_ = false;
  }

  ConfigureStores();
  Stores& s = stores_;
  s.members.SetFileName(folder_ / "clubmem.qdb");
  s.memrecs.SetFileName(folder_ / "memrec.qdb");
  s.securities.SetFileName(folder_ / "clubstk.qdb");
  s.prices.SetFileName(folder_ / "stkprice.qdb");
  s.stkrecs.SetFileName(folder_ / "stkrec.qdb");
  s.actrecs.SetFileName(folder_ / "actrec.qdb");
  s.categories.SetFileName(folder_ / "clubcat.qdb");
  s.accounts.SetFileName(folder_ / "clubact.qdb");
  s.unitfile.SetFileName(folder_ / "clubunit.qdb");
  open_ = true;

  if (categories.Count() == 0) AddPredefinedCategories(categories);

  view_ = ReadViewState(folder_, reset, Files());

  std::vector<std::int32_t> to_recalculate;
  if (info_exists_ && info_.cnthndl == 255) {
    to_recalculate = UpgradeMemberRecords(s.members, s.memrecs);
    info_.cnthndl = 0;
    WriteClubInfo();
  }
  if (info_exists_ && info_.unitkey == -1) {
    UpdateDataFormats(ui_, info_, s.unitfile, s.memrecs, s.prices, s.securities, s.members);
    WriteClubInfo();
  }

  RecountHiddenItems();
  return to_recalculate;
}

namespace {

// Walks a master store backwards from its last item while the items are hidden,
// zeroing `figure` of each hidden item that still holds one; returns the count.
template <class Record>
std::int32_t RecountHidden(store::TQDB& store, double Record::*figure) {
  FilterGuard all(store, "");
  std::int32_t hidden = 0;
  bool written = false;
  for (int i = store.Count() - 1; i >= 0; --i) {
    Record record = DecodeRecord<Record>(store.GetDataAt(i));
    if (record.active) break;
    ++hidden;
    if (record.*figure != 0) {
      record.*figure = 0;
      store.Change(EncodeRecord(record));
      written = true;
    }
  }
  if (written) store.SaveIndex();
  return hidden;
}

}  // namespace

void ClubSession::RecountHiddenItems() {
  const std::int32_t members_hidden = RecountHidden(stores_.members, &TMemberRec::tunits);
  const std::int32_t securities_hidden = RecountHidden(stores_.securities, &TSecurityRec::sharest);
  const std::int32_t accounts_hidden = RecountHidden(stores_.accounts, &TAccountRec::bal);
  const bool changed = members_hidden != info_.hidmems || securities_hidden != info_.hidstks ||
                       accounts_hidden != info_.hidacts;
  info_.hidmems = members_hidden;
  info_.hidstks = securities_hidden;
  info_.hidacts = accounts_hidden;
  if (changed && info_exists_) WriteClubInfo();
}

void ClubSession::CloseStores() {
  if (!open_) return;
  open_ = false;
  Stores& s = stores_;
  for (store::TQDB* store : {&s.accounts, &s.securities, &s.members, &s.actrecs, &s.memrecs, &s.stkrecs, &s.unitfile,
                             &s.categories, &s.prices}) {
    store->SetFileName("");
  }
}

void ClubSession::Close() {
  CloseStores();
  WriteViewState(folder_, view_, Files());
}

void ClubSession::SetFileLayer(store::FileLayer* files) {
  files_ = files;
  for (store::TQDB* store : stores_.All()) store->SetFileLayer(files);
}

void ClubSession::WriteClubInfo() { pellmark::WriteClubInfo(folder_, info_, Files()); }

void ClubSession::SetSortSecurities(bool sort) {
  info_.sort = sort;
  WriteClubInfo();
}

ClubInfoFields ClubSession::DisplayedClubInfo() const {
  ClubInfoFields fields;
  if (!info_exists_) {
    fields.club = "Investment Club Name";
    fields.addr = "Address, City, Zip";
    fields.idnum = "Tax ID";
    fields.year = std::to_string(CivilFromDayNumber(Today()).year);
    fields.startunit = "25.00";
    return fields;
  }
  fields.club = info_.club;
  fields.addr = info_.addr;
  fields.idnum = info_.idnum;
  fields.year = std::to_string(info_.year);
  fields.host = info_.host;
  fields.retadr = info_.retadr;
  fields.proxy = info_.proxy;
  fields.user = info_.user;
  fields.passwd = info_.passwd;
  fields.usepxy = info_.usepxy;
  fields.pxycsh = info_.pxycsh;
  fields.usepas = info_.usepas;
  fields.contyp = info_.contyp;
  fields.dialup = info_.dialup;
  fields.cnthndl = info_.cnthndl == 1 ? 1 : 0;
  return fields;
}

Outcome ClubSession::CommitClubInformation(const ClubInfoFields& fields, bool* dialup_choice_cleared) {
  if (dialup_choice_cleared) *dialup_choice_cleared = false;
  auto refuse = [this](const char* message) { return Refuse(ui_, message); };
  auto year = ParseTrackYear(fields.year);
  if (!year) return refuse("Invalid Track Year");
  if (fields.usepxy && fields.proxy.empty()) return refuse("Use Proxy checked but proxy server not provided.");
  if (fields.usepas && (fields.passwd.empty() || fields.user.empty())) {
    return refuse("Basic Authentication checked but user and/or password not provided.");
  }
  if (fields.contyp == 0 && fields.dialup.empty()) {
    if (dialup_choice_cleared) *dialup_choice_cleared = true;
    return refuse("Dialup Connection selected but no dialup entry selected.");
  }
  std::optional<double> start_unit;
  if (fields.startunit) {
    start_unit = ParseNumber(*fields.startunit);
    // A unit value of zero or less would make every later dues payment divide
    // by it; one beyond a million would buy no visible units with any dues.
    if (!start_unit || *start_unit < kLeastStartUnit || *start_unit > kMostStartUnit) {
      return refuse("Invalid Start Unit Value");
    }
  }

  info_.year = *year;
  if (start_unit) {
    info_.vunit = *start_unit;
    TUnitValueRec unit;
    unit.unitval = info_.vunit;
    unit.date = DayNumberFromCivil({info_.year, 1, 1});
    unit.upd = false;
    unit.unitid = AllocateTranId(info_.unitind);
    unitfile.Put(unit);
    info_.unitkey = unit.unitid;
    info_.date = unit.date;
    info_.updcnt = 0;
  }
  info_.club = Cut(fields.club, 25);
  info_.addr = Cut(fields.addr, 60);
  info_.idnum = Cut(fields.idnum, 11);
  info_.host = Cut(fields.host, 30);
  info_.retadr = Cut(fields.retadr, 30);
  info_.proxy = Cut(fields.proxy, 30);
  info_.user = Cut(fields.user, 15);
  info_.passwd = Cut(fields.passwd, 15);
  info_.contyp = fields.contyp;
  info_.dialup = Cut(fields.dialup, 30);
  info_.cnthndl = fields.cnthndl;
  info_.usepxy = fields.usepxy;
  info_.pxycsh = fields.pxycsh;
  info_.usepas = fields.usepas;
  info_exists_ = true;

  if (accounts.Count() == 0) {
    CreateFirstAccount();
    ui_.PlayConfirmationSound();
    ui_.ShowInformation("Club Information added.");
    info_.sort = true;
  } else {
    ui_.PlayConfirmationSound();
    ui_.ShowInformation("Club Information updated.");
  }
  WriteClubInfo();
  return Outcome::Done();
}

void ClubSession::CreateFirstAccount() {
  TAccountRec cash;
  cash.name = "Cash";
  cash.number = "Account Number";
  cash.lstchk = -1;
  cash.lstdate = Today();
  cash.trancount = 0;
  cash.actid = NextRecordId(accounts, &TAccountRec::actid);
  cash.active = true;
  cash.SetExcludedFromValuation(false);
  accounts.Put(cash);
  info_.defact = cash.actid;
  info_.defstkact = cash.actid;
}

}  // namespace pellmark
