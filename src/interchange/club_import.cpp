#include "interchange/club_import.h"

#include <fmt/format.h>

#include <cmath>
#include <map>

#include "club/dates.h"
#include "club/keys.h"
#include "club/money.h"
#include "club/number_format.h"
#include "club/record_kinds.h"
#include "club/store_files.h"
#include "club/store_operations.h"
#include "club/text_encoding.h"
#include "members/member_posting.h"
#include "interchange/club_files.h"
#include "interchange/naic_import.h"
#include "interchange/text_import.h"
#include "valuation/recorded_statements.h"

namespace pellmark::interchange {
namespace {

namespace fs = std::filesystem;

constexpr const char* kProgressCaption = "Import";
constexpr double kCorrectionTolerance = 0.005;

// The resets of an import run over hidden items too, which the page's resets
// refuse, and show nothing for each: audit mode gives both.
class QuietResets {
 public:
  explicit QuietResets(ClubSession& club) : club_(club), was_(club.AuditMode()) { club_.SetAuditMode(true); }
  ~QuietResets() { club_.SetAuditMode(was_); }
  QuietResets(const QuietResets&) = delete;
  QuietResets& operator=(const QuietResets&) = delete;

 private:
  ClubSession& club_;
  bool was_;
};

bool HoldsData(ClubSession& club) {
  return club.InfoExists() || club.members.Count() > 0 || club.memrecs.Count() > 0 || club.securities.Count() > 0 ||
         club.stkrecs.Count() > 0 || club.prices.Count() > 0 || club.accounts.Count() > 0 ||
         club.actrecs.Count() > 0 || club.unitfile.Count() > 0;
}

std::string Shown(const fs::path& path) { return ToWindows1252(path.string()); }

// The source's records, or the damage that keeps it from being read.
ImportedClub ReadSource(ClubSession& club, ImportSource kind, const fs::path& source) {
  if (kind == ImportSource::kNaic) return ReadNaicFolder(club.Files(), source);
  const std::optional<std::string> bytes = TryReadFile(club.Files(), source);
  if (!bytes) throw ImportDamage("Could not open " + Shown(source));
  return ReadTextImport(kind == ImportSource::kExport ? TextImportKind::kExport : TextImportKind::kFirstVersion,
                        *bytes, Shown(source.filename()));
}

// Every store emptied and filled with the imported records; the predefined
// categories when the source brought none.
template <class Record>
void Empty(Table<Record>& table) {
  if (table.Count() > 0) table.RemoveAll("");
}

void StoreRecords(ClubSession& club, const ImportedClub& imported) {
  Empty(club.members);
  Empty(club.memrecs);
  Empty(club.securities);
  Empty(club.stkrecs);
  Empty(club.prices);
  Empty(club.accounts);
  Empty(club.actrecs);
  Empty(club.categories);
  Empty(club.unitfile);
  club.members.PutAll(imported.members);
  club.memrecs.PutAll(imported.memrecs);
  club.securities.PutAll(imported.securities);
  club.stkrecs.PutAll(imported.stkrecs);
  club.prices.PutAll(imported.prices);
  club.accounts.PutAll(imported.accounts);
  club.actrecs.PutAll(imported.actrecs);
  club.unitfile.PutAll(imported.unitfile);
  if (imported.categories.empty()) {
    AddPredefinedCategories(club.categories);
  } else {
    club.categories.PutAll(imported.categories);
  }
  if (imported.info) club.TakeClubInfo(*imported.info);
}

// 31 December of the year before the club's open year: where the first
// version's corrections are dated.
DayNumber CorrectionDate(const ClubSession& club) {
  return DayNumberFromCivil({std::max(club.Info().year - 1, kEarliestYear), 12, 31});
}

// The accounts reset from their registers; the id of the account with the
// most transactions. The first version's balances are kept by an "Account
// Correction" for what its register does not explain.
std::int32_t ResetAccounts(ClubSession& club, ImportLedgers& ledgers, const ImportedClub& imported,
                           bool first_version, ImportReport& report) {
  std::map<std::int32_t, std::size_t> counts;
  for (const TAccountTranRec& tran : imported.actrecs) ++counts[tran.actid];
  std::int32_t busiest = -1;
  std::size_t most = 0;
  for (const TAccountRec& before : club.accounts.Select("")) {
    if (busiest < 0 || counts[before.actid] > most) {
      busiest = before.actid;
      most = counts[before.actid];
    }
    (void)ledgers.accounts.ResetAccount(before.name, false);
    std::optional<TAccountRec> after = ledgers.accounts.FindById(before.actid);
    if (after && before.lstdate != 0) {
      // The source's last entry date and check number are no balances: kept as they came.
      after->lstdate = before.lstdate;
      after->lstchk = before.lstchk;
      club.accounts.Put(*after);
    }
    if (!first_version) continue;
    if (!after || std::fabs(before.bal - after->bal) <= kCorrectionTolerance) continue;
    TAccountTranRec correction;
    correction.trandate = CorrectionDate(club);
    correction.amount = std::fabs(before.bal - after->bal);
    correction.desc = "Account Correction";
    correction.checknum = -1;
    correction.tranid = AllocateTranId(after->trancount);
    const bool raise = before.bal > after->bal;
    correction.catid = Code(raise ? PredefinedCategory::OtherIncome : PredefinedCategory::NonDeductibleExpenses);
    correction.typ = Code(raise ? AccountTranKind::Deposit : AccountTranKind::Withdrawal);
    correction.actid = before.actid;
    correction.updateloc = 0;
    correction.cancel = true;
    club.actrecs.Put(correction);
    club.accounts.Put(*after);
    (void)ledgers.accounts.ResetAccount(before.name, false);
    report.corrections.push_back(
        fmt::format("Account {}: Account Correction of {}", before.name, FormatMoney(correction.amount)));
  }
  return busiest;
}

// The members' totals taken again from their transactions (the member reset,
// over one walk of the transactions rather than one per member); the first
// version's earnings kept by a "Total Earnings" transaction for what its
// transactions do not explain.
void ResetMembers(ClubSession& club, bool first_version, ImportReport& report) {
  std::map<std::int32_t, std::vector<TMemberTranRec>> transactions;
  club.memrecs.ForEach("", [&](TMemberTranRec&& tran) { transactions[tran.memid].push_back(std::move(tran)); });
  std::vector<std::pair<std::string, TMemberRec>> members;
  club.members.ForEachKeyed("", [&](const std::string& key, TMemberRec&& member) {
    members.emplace_back(key, std::move(member));
  });
  for (auto& [key, before] : members) {
    std::vector<TMemberTranRec>& own = transactions[before.memid];
    TMemberRec after = ledger::MemberTotalsFrom(before, own);
    if (first_version && std::fabs(before.totale - after.totale) > kCorrectionTolerance) {
      TMemberTranRec earnings;
      earnings.typ = Code(MemberTranKind::NuEarnings);
      earnings.dues = before.totale - after.totale;
      earnings.trandate = CorrectionDate(club);
      earnings.memid = before.memid;
      earnings.actid = -1;
      earnings.duestran = AllocateTranId(after.duescount);
      club.memrecs.Put(earnings);
      own = club.memrecs.Select(OwnerFilter(before.memid));
      after = ledger::MemberTotalsFrom(after, own);
      report.corrections.push_back(
          fmt::format("Member {}: earnings correction of {}", MemberName(before), FormatMoney(earnings.dues)));
    }
    club.members.PutAt(key, after);
  }
}

// NAIC files: securities reset, and members and securities that hold nothing hidden.
void ResetAndHideNaic(ClubSession& club, ImportLedgers& ledgers) {
  for (const TSecurityRec& security : club.securities.Select("")) {
    (void)ledgers.securities.ResetSecurity(security.name, false);
  }
  for (const TSecurityRec& security : club.securities.Select("_>")) {
    if (security.sharest == 0) (void)ledgers.securities.Hide(security.name);
  }
  for (const TMemberRec& member : club.members.Select("_>")) {
    if (member.tunits == 0) (void)ledgers.members.Hide(MemberName(member));
  }
}

bool AccountExists(ClubSession& club, std::int32_t actid) {
  bool found = false;
  club.accounts.ForEach("", [&](const TAccountRec& account) { found = found || account.actid == actid; });
  return found;
}

void PostProcess(ClubSession& club, ImportLedgers& ledgers, ImportSource kind, const ImportedClub& imported,
                 ImportReport& report, Interaction& ui) {
  // What the open after an import runs: the upgrades older data asks for
  // (the members they name are recalculated below with all the others).
  club.RunPendingUpgrades();
  std::int32_t busiest = -1;
  {
    QuietResets quiet(club);
    busiest = ResetAccounts(club, ledgers, imported, kind == ImportSource::kFirstVersion, report);
    ui.ShowProgress(kProgressCaption, 80);
    ResetMembers(club, kind == ImportSource::kFirstVersion, report);
    if (kind == ImportSource::kNaic) ResetAndHideNaic(club, ledgers);
  }
  ui.ShowProgress(kProgressCaption, 100);
  club.RecountHiddenItems();
  if (!club.InfoExists()) return;
  TClubInfoRec& info = club.Info();
  if (busiest >= 0) {
    if (info.defact <= 0 || !AccountExists(club, info.defact)) info.defact = busiest;
    if (info.defstkact <= 0 || !AccountExists(club, info.defstkact)) info.defstkact = busiest;
  }
  club.WriteClubInfo();
}

// The statement files belong to the data replaced; the imported valuations
// get theirs, made from the imported books, in the same unit of work.
void ReplaceStatements(ClubSession& club) {
  for (const store::FolderEntry& entry : club.Files().ListFolder(club.Folder())) {
    if (!entry.folder && IsStatementFile(entry.name)) club.StageRemoval(club.Folder() / entry.name);
  }
  valuation::StageRecordedStatements(club);
}

}  // namespace

ImportReport ImportClubData(ClubSession& club, ImportLedgers ledgers, ImportSource kind,
                            std::optional<fs::path> source, Interaction& ui) {
  ImportReport report;
  if (kind == ImportSource::kNaic) {
    if (!ui.Confirm(kNaicUnarchivedQuestion)) return report;
    if (!source) {
      std::optional<fs::path> folder = ui.ChooseTargetDirectory({club.Folder(), "DT|*.dt"});
      if (!folder) return report;
      source = *folder;
    }
  }
  if (!source) return report;
  if (HoldsData(club) && !ui.Confirm(kReplaceDataQuestion)) return report;

  BusyGuard busy(ui);
  ui.ShowProgress(kProgressCaption, 0);
  ImportedClub imported;
  try {
    imported = ReadSource(club, kind, *source);
  } catch (const ImportDamage& damage) {
    ui.ShowProgress(kProgressCaption, 0);
    report.outcome = Refuse(ui, std::string(kImportFailedMessage) + "\n" + damage.what());
    return report;
  }
  report.counts = RecordCounts(imported);
  report.skipped = imported.skipped;
  for (const std::string& skipped : imported.skipped) ui.ShowError(skipped);
  ui.ShowProgress(kProgressCaption, 40);
  try {
    StoreRecords(club, imported);
    ui.ShowProgress(kProgressCaption, 60);
    PostProcess(club, ledgers, kind, imported, report, ui);
    ReplaceStatements(club);
  } catch (const std::exception& error) {
    ui.ShowProgress(kProgressCaption, 0);
    report.outcome = Fail(ui, std::string("File Import failed\n") + error.what());
    return report;
  }
  ui.PlayConfirmationSound();
  ui.ShowInformation("Data has been imported from " + Shown(*source) + ".");
  ui.ShowProgress(kProgressCaption, 0);
  report.outcome = Outcome::Done();
  return report;
}

}  // namespace pellmark::interchange
