// Record store files as whole files, at the club's level, for what works on
// the club's files as a whole (backup, restore, reset, export, the listing of
// a store): the committed club copied into a folder as one set of files that
// replaces the earlier set together, a check that a file is a readable record
// store, a store's items read without changing it, and small whole files read
// and saved through the session's file layer.
//
//   WriteCommittedCopies(club, "/media/usb/elm", names);   // nine stores, then the club information
//   CheckStoreFile(club.Files(), "/media/usb/elm/clubmem.bck");
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "club/club_session.h"
#include "store/file_layer.h"

namespace pellmark {

// A copy failed: which file, at which step and why (errno).
class CopyError : public std::runtime_error {
 public:
  enum class Step {
    kCreate,       // a file of the set could not be created, written or put in place
    kReadClubInfo  // the committed club information could not be read
  };
  CopyError(Step step, std::filesystem::path file, int error_number, const std::string& what)
      : std::runtime_error(what), step_(step), file_(std::move(file)), error_number_(error_number) {}
  Step WhatStep() const { return step_; }
  const std::filesystem::path& File() const { return file_; }
  int ErrorNumber() const { return error_number_; }

 private:
  Step step_;
  std::filesystem::path file_;
  int error_number_;
};

// Commits, then writes each store as of that commit (from its working files,
// the stores stay open) and the committed club information into `folder`
// under `names` (the stores in kClubStoreFiles order, then the club
// information), all replacing the earlier files together: a failure, or a
// crash, leaves the earlier set whole or the new one. Throws CopyError, or
// the store's error when the commit fails.
void WriteCommittedCopies(ClubSession& club, const std::filesystem::path& folder,
                          const std::array<const char*, kClubStoreFiles.size() + 1>& names);

// Finishes a set of copies a crash cut short in `folder`. Throws store::FileLayerError.
void FinishCopies(store::FileLayer& files, const std::filesystem::path& folder);

// A file that is a record store container with a damaged index.
class DamagedStoreFile : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads `file` as a record store without copying anything: DamagedStoreFile
// for a bad index, store::FileLayerError when it cannot be read, the store's
// error naming the file when it is no record store.
void CheckStoreFile(store::FileLayer& files, const std::filesystem::path& file);

// The whole contents of a file, or nullopt when it is missing or cannot be read.
std::optional<std::string> TryReadFile(store::FileLayer& files, const std::filesystem::path& file);

// One ordinary item of a record store file, as stored.
struct StoredItem {
  std::string key;
  std::int32_t size = 0;
  std::int32_t flags = 0;
  std::string data;
};

// Calls `visit` with every ordinary item of the record store `file` (".QDB"
// added when it has no extension), in store order. The store is opened
// read-only, so the file is never joined back and its working files go when
// it closes. Throws the store's error when the file is missing or no store.
void ForEachStoredItem(store::FileLayer& files, std::filesystem::path file,
                       const std::function<void(const StoredItem&)>& visit);

// Replaces `file` with `bytes` atomically: the old file or the new, never half.
// Throws store::FileLayerError.
void SaveFileWhole(store::FileLayer& files, const std::filesystem::path& file, std::string_view bytes);

}  // namespace pellmark
