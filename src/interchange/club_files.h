// Backup, restore and club reset: whole club files copied to and from a set
// of ".bck" files, or replaced by empty stores.
//
//   CopyClubFiles(CopyDirection::kToBackup, club, "/media/usb/elm");   // throws CopyFailed
//   Outcome outcome = RestoreClub(club, members, "/media/usb/elm");  // messages shown
//
// A restore and a reset replace the club's files all or nothing (see
// ClubSession::ReplaceClubFiles); the files they replace are kept in a dated
// folder inside the club's working folder, which BringBackKeptFiles puts back.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "club/club_session.h"
#include "club/outcome.h"
#include "members/member_ledger.h"

namespace pellmark::interchange {

enum class CopyDirection {
  kToBackup = 0,   // club files to backup files
  kFromBackup = 1  // backup files to club files
};

// The backup set, in the order of the copy: the nine stores, then the club information.
inline constexpr std::array<const char*, 10> kBackupFiles = {
    "clubmem.bck", "memrec.bck", "clubstk.bck", "stkrec.bck",   "stkprice.bck",
    "clubact.bck", "actrec.bck", "clubcat.bck", "clubunit.bck", "clubinfo.bck"};

// A copy could not be made; the text says which file and why ("Cannot open
// file %s", "Cannot create file %s", or a backup file that is missing or no
// record store).
class CopyFailed : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Copies the club's files to the backup set in `backup_folder` (kToBackup) or
// back (kFromBackup), store by store in the order members, memrecs,
// securities, stkrecs, prices, accounts, actrecs, categories, unitfile, then
// "clubinfo". A backup commits, then writes each store as of that commit
// from its working files (the stores stay open) and the club information as
// committed, and replaces the ten ".bck" files together (WriteCommittedCopies): a
// failure, or a crash, leaves the earlier backup's set whole or the new one.
// A restore first checks the whole set (CheckBackupSet), then replaces all
// ten club files at once and opens the club again; it returns what
// ClubSession::ReplaceClubFiles returns (nothing for a backup). Throws
// CopyFailed, or the store's error when the commit fails.
ClubSession::Replaced CopyClubFiles(CopyDirection direction, ClubSession& club,
                                    const std::filesystem::path& backup_folder);

// Finishes a backup a crash cut short in `backup_folder` (FinishCopies),
// then checks that all ten files of the backup set are present, each store a
// readable container and the club information of a length some layout has;
// else CopyFailed naming the first file that is not.
void CheckBackupSet(const std::filesystem::path& backup_folder,
                    store::FileLayer& files = store::DefaultFileLayer());

// Shows "Data Backup failed" with what went wrong below it and returns the refusal.
Outcome BackupFailed(Interaction& ui, const std::exception& error);

// "Backup Files": the folder chooser, then the copy; "Club Data has been
// Backed up." or "Data Backup failed". `folder` skips the chooser.
Outcome BackupClub(ClubSession& club, std::optional<std::filesystem::path> folder = std::nullopt);

// "Restore Backup": the folder chooser, the copy back, the data-format update
// when the restored club information asks for it (and the member
// recalculation an older layout asks for); "Club Data has been Restored from
// Backup." or "Backup Restoral failed" with the file at fault.
Outcome RestoreClub(ClubSession& club, ledger::MemberLedger& members,
                    std::optional<std::filesystem::path> folder = std::nullopt);

// "RESET": after Yes to "This will remove all club data. Continue?" every
// store is emptied, the club information and the valuation statements go,
// and the club opens afresh with the predefined categories and the default
// view state: "Club data has been reset.".
Outcome ResetClub(ClubSession& club);

// Puts back the files the newest restore, reset or bring-back kept (keeping
// the current ones in turn). Refused when nothing was kept.
Outcome BringBackKeptFiles(ClubSession& club, ledger::MemberLedger& members);

// A valuation statement, official or test: a file named "*.stm", the
// extension in any case. They belong to the club's data: a reset removes
// them, an import replaces them.
bool IsStatementFile(const std::filesystem::path& path);

}  // namespace pellmark::interchange
