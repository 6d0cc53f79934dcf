#include "club/store_files.h"

#include "club/club_info_file.h"
#include "store/container_format.h"
#include "store/file_set.h"
#include "store/index_codec.h"
#include "store/qdb.h"
#include "store/qdb_errors.h"
#include "store/whole_files.h"

namespace pellmark {
namespace {

[[noreturn]] void CannotCreate(const std::filesystem::path& file, const store::FileLayerError& error) {
  throw CopyError(CopyError::Step::kCreate, file, error.ErrorNumber(), error.what());
}

}  // namespace

void WriteCommittedCopies(ClubSession& club, const std::filesystem::path& folder,
                          const std::array<const char*, kClubStoreFiles.size() + 1>& names) {
  store::FileLayer& files = club.Files();
  club.Commit();
  std::optional<store::FileSet> set;
  try {
    set.emplace(files, folder);
  } catch (const store::FileLayerError& error) {
    CannotCreate(error.Path(), error);
  }
  auto stage = [&](const char* name) {
    try {
      return set->Stage(name);
    } catch (const store::FileLayerError& error) {
      CannotCreate(error.Path(), error);
    }
  };
  for (std::size_t i = 0; i < kClubStoreFiles.size(); ++i) {
    const store::FileHandle out = stage(names[i]);
    try {
      club.WriteCommittedStore(i, out);
    } catch (const store::FileLayerError& error) {
      CannotCreate(folder / names[i], error);
    }
  }
  std::string info;
  try {
    info = club.CommittedClubInfo();
  } catch (const store::FileLayerError& error) {
    throw CopyError(CopyError::Step::kReadClubInfo, club.Folder() / kClubInfoFileName, error.ErrorNumber(),
                    error.what());
  }
  const store::FileHandle out = stage(names.back());
  try {
    files.WriteAt(out, 0, info);
  } catch (const store::FileLayerError& error) {
    CannotCreate(folder / names.back(), error);
  }
  try {
    set->Commit();
  } catch (const store::FileLayerError& error) {
    CannotCreate(error.Path(), error);
  }
}

void FinishCopies(store::FileLayer& files, const std::filesystem::path& folder) { store::FinishFileSet(files, folder); }

void CheckStoreFile(store::FileLayer& files, const std::filesystem::path& file) {
  try {
    store::CheckContainer(files, file);
  } catch (const store::InvalidIndex& error) {
    throw DamagedStoreFile(error.what());
  }
}

std::optional<std::string> TryReadFile(store::FileLayer& files, const std::filesystem::path& file) {
  return store::TryReadWholeFile(files, file);
}

void ForEachStoredItem(store::FileLayer& files, std::filesystem::path file,
                       const std::function<void(const StoredItem&)>& visit) {
  if (!file.has_extension()) file += ".QDB";
  if (!files.Exists(file)) {
    throw store::EQDBFileError(store::QdbText(store::kTextFileNotFound, file.string()));
  }
  store::TQDB qdb;
  qdb.SetFileLayer(&files);
  qdb.SetReadOnly(true);
  qdb.SetFileName(file);
  for (int i = 0; i < qdb.Count(); ++i) {
    std::string data = qdb.GetDataAt(i);
    const store::IndexEntry& entry = qdb.EntryAt(i);
    visit({.key = std::string(entry.key), .size = entry.size, .flags = entry.flags, .data = std::move(data)});
  }
  qdb.Close();
}

void SaveFileWhole(store::FileLayer& files, const std::filesystem::path& file, std::string_view bytes) {
  store::SaveFileAtomically(files, file, bytes);
}

}  // namespace pellmark
