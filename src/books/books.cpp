#include "books/books.h"

#include <iostream>

#include "club/dates.h"

namespace pellmark {

Books::Books(std::filesystem::path folder, Interaction& ui, const Clock& clock)
    : club_(std::move(folder), ui, clock), accounts_(club_), members_(club_), categories_(club_),
      securities_(club_),
      prices_(club_, securities_),
      trades_(club_, securities_, prices_, accounts_),
      changes_(club_, securities_, accounts_),
      figures_(club_),
      valuations_(club_, figures_) {}

void Books::Open(bool reset) {
  figures_.ForgetPurchaseUnit();
  const std::vector<std::int32_t> to_recalculate = club_.OpenClub(reset);
  if (to_recalculate.empty()) return;
  Run([&] {
    for (std::int32_t memid : to_recalculate) members_.RecalculateMember(memid);
    // A recalculated hidden member may hold units again; the recount clears them
    // as it did before the recalculation.
    club_.RecountHiddenItems();
    return true;
  });
}

void Books::Abandon() {
  try {
    club_.Abandon();
  } catch (const std::exception& error) {
    // The failure that made the operation stop is the one to report; the close
    // takes the last commit whatever is left in memory. This one is kept for
    // whoever looks into it.
    std::cerr << "pellmark: dropping a failed operation's changes failed too: " << error.what() << '\n';
  }
}

void Books::Close() { club_.Close(); }

Outcome Books::Backup(std::optional<std::filesystem::path> folder) {
  return Settle(interchange::BackupClub(club_, std::move(folder)));
}

Outcome Books::Restore(std::optional<std::filesystem::path> folder) {
  club_.NameOperation("Restore Backup");
  Outcome outcome = interchange::RestoreClub(club_, members_, std::move(folder));
  // The purchase unit value is looked up again for the restored club.
  if (outcome) figures_.ForgetPurchaseUnit();
  return Settle(std::move(outcome));
}

Outcome Books::Reset() {
  club_.NameOperation("Reset of all club data");
  Outcome outcome = interchange::ResetClub(club_);
  if (outcome) figures_.ForgetPurchaseUnit();
  return Settle(std::move(outcome));
}

Outcome Books::BringBackKeptFiles() {
  club_.NameOperation("Files put back from before a restore or reset");
  Outcome outcome = interchange::BringBackKeptFiles(club_, members_);
  if (outcome) figures_.ForgetPurchaseUnit();
  return Settle(std::move(outcome));
}

Outcome Books::Export(const std::filesystem::path& file) { return Settle(interchange::ExportClubData(club_, file)); }

Outcome Books::ExportMailLabels(const std::filesystem::path& file) {
  return Settle(interchange::ExportMailLabelData(club_, file));
}

interchange::ImportReport Books::Import(interchange::ImportSource kind, std::optional<std::filesystem::path> source,
                                       Interaction* ui) {
  // What came before stays whatever becomes of the import.
  club_.Commit();
  interchange::ImportReport report = Run([&] {
    interchange::ImportReport read =
        interchange::ImportClubData(club_, {accounts_, members_, securities_}, kind, std::move(source),
                                    ui != nullptr ? *ui : club_.Ui());
    if (!read.outcome) Abandon();
    return read;
  });
  figures_.ForgetPurchaseUnit();
  return report;
}

valuation::ValuationResult Books::CreateValuation(DayNumber date, bool official) {
  valuation::ValuationResult result = valuations_.CreateValuation(date, official);
  if (result.failed) {
    Abandon();
    return result;
  }
  result.outcome = Settle(std::move(result.outcome));
  if (!result.backup_pending) return result;
  result.backup_pending = false;
  try {
    interchange::CopyClubFiles(interchange::CopyDirection::kToBackup, club_, club_.Folder());
  } catch (const std::exception& error) {
    // The valuation is recorded and committed: it is announced as created, and
    // the backup's failure is reported as the backup command reports it.
    valuations_.AnnounceOfficial(*result.figures);
    result.outcome = interchange::BackupFailed(club_.Ui(), error);
    return result;
  }
  valuations_.AnnounceOfficial(*result.figures);
  return result;
}

Outcome Books::AuditValuations(DayNumber start, bool announce) {
  // What came before is kept whatever becomes of the valuations.
  club_.Commit();
  club_.NameOperation("Audit of valuations from " + FormatDate(start));
  Outcome outcome = Run([&] { return KeepOrDrop(valuations_.AuditValuations(start)); });
  if (outcome && announce) valuations_.AnnounceAudit();
  figures_.RefreshPurchaseUnit();
  return outcome;
}

Outcome Books::RecalculateAllMembers(Interaction* ui) {
  club_.Commit();
  club_.NameOperation("Recalculate All Members");
  Interaction& shown = ui != nullptr ? *ui : club_.Ui();
  Outcome outcome = Run([&] { return KeepOrDrop(valuations_.RecalculateAllMembers(shown)); });
  if (outcome) valuations_.AnnounceRecalculated(shown);
  return outcome;
}

Outcome Books::KeepOrDrop(Outcome outcome) {
  if (outcome) {
    club_.Commit();
  } else {
    Abandon();
  }
  return outcome;
}

Outcome Books::Settle(Outcome outcome) {
  if (outcome.RollsBack()) {
    Abandon();
    return outcome;
  }
  if (!outcome.audit_from) {
    club_.Commit();
    return outcome;
  }
  // A Yes to the back-dated question: the later valuations of that year run
  // again, committed with the change that asked for them; when they cannot be
  // written, the change goes with them.
  const DayNumber start = *outcome.audit_from;
  Outcome audited = Run([&] {
    Outcome done = valuations_.AuditValuations(start);
    if (!done) Abandon();
    return done;
  });
  if (audited) valuations_.AnnounceAudit();
  figures_.RefreshPurchaseUnit();
  if (!audited) return audited;
  return outcome;
}

}  // namespace pellmark
