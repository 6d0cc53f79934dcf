#include "interchange/club_files.h"

#include <cstring>
#include <exception>
#include <utility>

#include "club/club_info_file.h"
#include "club/store_files.h"
#include "club/text_encoding.h"

namespace pellmark::interchange {
namespace {

namespace fs = std::filesystem;

constexpr const char* kBackupMask = "*.bck";
// The shortest club information file a layout has (the oldest, 134 bytes).
constexpr std::size_t kShortestClubInfo = 134;

std::string QdbName(const char* bck) { return fs::path(bck).replace_extension(".qdb").string(); }

std::string Shown(const fs::path& path) { return ToWindows1252(path.string()); }

std::string Reason(int error_number) { return std::string(" (") + std::strerror(error_number) + ")"; }

std::string CannotCreate(const fs::path& file, const store::FileLayerError& error) {
  return "Cannot create file " + Shown(file) + Reason(error.ErrorNumber());
}

// The backup: each store written as of the last commit straight from its
// working files, the club information as committed, all into one set of files
// that replaces the ten ".bck" files together.
void CopyToBackup(ClubSession& club, const fs::path& backup_folder) {
  try {
    WriteCommittedCopies(club, backup_folder, kBackupFiles);
  } catch (const CopyError& error) {
    switch (error.WhatStep()) {
      case CopyError::Step::kCreate:
        throw CopyFailed("Cannot create file " + Shown(error.File()) + Reason(error.ErrorNumber()));
      case CopyError::Step::kReadClubInfo:
        throw CopyFailed("Cannot open file " + Shown(error.File()) + Reason(error.ErrorNumber()));
    }
    throw;
  }
}

// "Backup Restoral failed" and the like, with what went wrong below it.
Outcome Failed(Interaction& ui, const std::string& message, const std::string& detail) {
  return Refuse(ui, message + "\n" + detail);
}

std::string KeptNote(const fs::path& kept) {
  return "\nThe club's files from before are kept in " + Shown(kept) + " (pellmark-cli undo-restore puts them back).";
}

void RecalculateMembers(ClubSession& club, ledger::MemberLedger& members, const std::vector<std::int32_t>& ids) {
  if (ids.empty()) return;
  for (std::int32_t memid : ids) members.RecalculateMember(memid);
  club.RecountHiddenItems();
  club.Commit();
}

// Once the club's files are replaced the replacement stands whatever follows:
// what could not be finished after it is a warning, never a failure.
std::string NotReopened(const ClubSession::Replaced& replaced) {
  return "The club's files were replaced, but the club could not be opened again (" + replaced.reopen_failure +
         "); open it again to go on.";
}

// The members' totals the upgrade of an older backup asks for; returns the warning when they could not be taken again.
std::string FinishReplacement(ClubSession& club, ledger::MemberLedger& members, const ClubSession::Replaced& replaced) {
  if (!replaced.reopen_failure.empty()) return NotReopened(replaced);
  try {
    RecalculateMembers(club, members, replaced.to_recalculate);
  } catch (const std::exception& error) {
    club.Abandon();
    return std::string("The club's files were replaced, but the members' totals could not be recalculated (") +
           error.what() + "); pellmark-cli check-books --repair recalculates them.";
  }
  return {};
}

std::optional<fs::path> ChooseFolder(ClubSession& club, std::optional<fs::path> folder) {
  if (folder) return folder;
  return club.Ui().ChooseTargetDirectory({club.Folder(), kBackupMask});
}

}  // namespace

bool IsStatementFile(const fs::path& path) {
  std::string extension = path.extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".stm";
}

void CheckBackupSet(const fs::path& backup_folder, store::FileLayer& files) {
  try {
    FinishCopies(files, backup_folder);
  } catch (const store::FileLayerError& error) {
    throw CopyFailed(CannotCreate(error.Path(), error));
  }
  for (const char* name : kBackupFiles) {
    const fs::path file = backup_folder / name;
    if (!files.Exists(file) || files.IsFolder(file)) throw CopyFailed(Shown(file) + " is missing.");
    if (std::string(name) == "clubinfo.bck") {
      const std::optional<std::string> bytes = TryReadFile(files, file);
      if (!bytes) throw CopyFailed("Cannot open file " + Shown(file));
      if (bytes->size() < kShortestClubInfo) {
        throw CopyFailed(Shown(file) + " is not a club information file (" + std::to_string(bytes->size()) +
                         " bytes).");
      }
      continue;
    }
    try {
      CheckStoreFile(files, file);
    } catch (const store::FileLayerError& error) {
      throw CopyFailed("Cannot open file " + Shown(file) + Reason(error.ErrorNumber()));
    } catch (const DamagedStoreFile& error) {
      throw CopyFailed(Shown(file) + " is damaged (" + error.what() + ").");
    } catch (const std::exception& error) {
      throw CopyFailed(error.what());
    }
  }
}

ClubSession::Replaced CopyClubFiles(CopyDirection direction, ClubSession& club, const fs::path& backup_folder) {
  if (direction == CopyDirection::kToBackup) {
    CopyToBackup(club, backup_folder);
    return {};
  }
  CheckBackupSet(backup_folder, club.Files());
  std::vector<FileReplacement> plan;
  for (const char* name : kBackupFiles)
    plan.push_back({QdbName(name), FileReplacement::Kind::kCopy, backup_folder / name});
  try {
    return club.ReplaceClubFiles(plan, false);
  } catch (const store::FileLayerError& error) {
    throw CopyFailed(error.what());
  }
}

Outcome BackupFailed(Interaction& ui, const std::exception& error) {
  return Failed(ui, "Data Backup failed", error.what());
}

Outcome BackupClub(ClubSession& club, std::optional<fs::path> folder) {
  Interaction& ui = club.Ui();
  const std::optional<fs::path> target = ChooseFolder(club, std::move(folder));
  if (!target) return Outcome::Cancelled();
  try {
    BusyGuard busy(ui);
    // A backup folder named but not yet made is made, as the folder chooser would.
    try {
      club.Files().CreateFolder(*target);
    } catch (const store::FileLayerError& error) {
      throw CopyFailed("Cannot create folder " + Shown(*target) + Reason(error.ErrorNumber()));
    }
    CopyClubFiles(CopyDirection::kToBackup, club, *target);
  } catch (const std::exception& error) {
    return BackupFailed(ui, error);
  }
  ui.PlayConfirmationSound();
  ui.ShowInformation("Club Data has been Backed up.");
  return Outcome::Done();
}

Outcome RestoreClub(ClubSession& club, ledger::MemberLedger& members, std::optional<fs::path> folder) {
  Interaction& ui = club.Ui();
  const std::optional<fs::path> source = ChooseFolder(club, std::move(folder));
  if (!source) return Outcome::Cancelled();
  ClubSession::Replaced replaced;
  try {
    BusyGuard busy(ui);
    replaced = CopyClubFiles(CopyDirection::kFromBackup, club, *source);
  } catch (const std::exception& error) {
    return Failed(ui, "Backup Restoral failed", error.what());
  }
  const std::string unfinished = FinishReplacement(club, members, replaced);
  ui.PlayConfirmationSound();
  ui.ShowInformation("Club Data has been Restored from Backup." + KeptNote(replaced.kept));
  if (!unfinished.empty()) ui.ShowError(unfinished);
  return Outcome::Done();
}

Outcome ResetClub(ClubSession& club) {
  Interaction& ui = club.Ui();
  if (!ui.Confirm("This will remove all club data. Continue?")) return Outcome::Cancelled();
  std::vector<FileReplacement> plan;
  for (const char* name : kClubStoreFiles) plan.push_back({name, FileReplacement::Kind::kEmpty, {}});
  plan.push_back({kClubInfoFileName, FileReplacement::Kind::kRemove, {}});
  store::FileLayer& files = club.Files();
  for (const store::FolderEntry& entry : files.ListFolder(club.Folder())) {
    const fs::path path = club.Folder() / entry.name;
    if (!entry.folder && IsStatementFile(path) && files.KindOf(path) == store::FileKind::kPlain) {
      plan.push_back({entry.name, FileReplacement::Kind::kRemove, {}});
    }
  }
  ClubSession::Replaced replaced;
  try {
    BusyGuard busy(ui);
    replaced = club.ReplaceClubFiles(plan, true);
  } catch (const std::exception& failure) {
    return Failed(ui, "Club reset failed", failure.what());
  }
  ui.PlayConfirmationSound();
  ui.ShowInformation("Club data has been reset." + KeptNote(replaced.kept));
  if (!replaced.reopen_failure.empty()) ui.ShowError(NotReopened(replaced));
  return Outcome::Done();
}

Outcome BringBackKeptFiles(ClubSession& club, ledger::MemberLedger& members) {
  Interaction& ui = club.Ui();
  const std::vector<fs::path> kept = KeptFolders(club.Files(), club.Folder() / kWorkingFolderName);
  if (kept.empty()) return Refuse(ui, "No club files have been kept from a restore or a reset.");
  const fs::path& newest = kept.back();
  std::vector<FileReplacement> plan;
  store::FileLayer& files = club.Files();
  for (const char* name : kClubStoreFiles) {
    // A store the club did not have before stays as it is now.
    if (!files.Exists(newest / name)) continue;
    try {
      CheckStoreFile(files, newest / name);
    } catch (const std::exception& error) {
      return Failed(ui, "The kept club files could not be put back", error.what());
    }
    plan.push_back({name, FileReplacement::Kind::kCopy, newest / name});
  }
  plan.push_back(files.Exists(newest / kClubInfoFileName)
                     ? FileReplacement{kClubInfoFileName, FileReplacement::Kind::kCopy, newest / kClubInfoFileName}
                     : FileReplacement{kClubInfoFileName, FileReplacement::Kind::kRemove, {}});
  for (const store::FolderEntry& entry : files.ListFolder(newest)) {
    if (!entry.folder && IsStatementFile(newest / entry.name)) {
      plan.push_back({entry.name, FileReplacement::Kind::kCopy, newest / entry.name});
    }
  }
  ClubSession::Replaced replaced;
  try {
    BusyGuard busy(ui);
    replaced = club.ReplaceClubFiles(plan, false);
  } catch (const std::exception& failure) {
    return Failed(ui, "The kept club files could not be put back", failure.what());
  }
  const std::string unfinished = FinishReplacement(club, members, replaced);
  ui.PlayConfirmationSound();
  ui.ShowInformation("The club's files have been put back from " + Shown(newest) + "." + KeptNote(replaced.kept));
  if (!unfinished.empty()) ui.ShowError(unfinished);
  return Outcome::Done();
}

}  // namespace pellmark::interchange
