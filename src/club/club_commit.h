// The club's unit of work on disk. While a club is open its stores keep their
// changes in working files inside the hidden working folder; a commit writes
// every changed store's index into a new working file and then replaces one
// small record, "club.commit", that names for every store changed since the
// open its data file, its index file and the data length at that commit, and
// the club information when it changed. The rename of the record is the
// commit: a crash before it leaves the previous record, after it the new one.
// The next open joins what the newest record names into the store files
// (`ApplyCommitRecord`) and removes every other working file.
//
//   club.commit:
//     pellmark club commit
//     store clubmem.qdb QDBa1B2c3 QIXd4E5f6 1207
//     info 4d7920436c7562...
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "store/file_layer.h"

namespace pellmark {

inline constexpr const char* kCommitRecordName = "club.commit";

// One store in a commit record; the names are file names: the store's inside
// the club folder, its working files inside the working folder.
struct StoreCommit {
  std::string store;
  std::string data;
  std::string index;
  std::uint64_t data_length = 0;
};

struct ClubCommitRecord {
  std::vector<StoreCommit> stores;
  std::optional<std::string> info;  // the bytes of the club information file
};

std::string EncodeCommitRecord(const ClubCommitRecord& record);
// Nothing when the text is not a commit record.
std::optional<ClubCommitRecord> DecodeCommitRecord(std::string_view text);

// Replaces the record in `working_folder` through a rename. Not flushed: a
// commit has to outlive the death of the program; the close flushes the stores.
void WriteCommitRecord(store::FileLayer& files, const std::filesystem::path& working_folder,
                       const ClubCommitRecord& record);

// What a commit record names cannot be joined: the record and its working files stay.
class UnrecoverableCommit : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Joins every store the record in `working_folder` names into `club_folder`
// and writes the club information it holds; then removes the record. Returns
// the store file names joined (empty when there was no record). A join that
// fails leaves the record for the next open.
std::vector<std::string> ApplyCommitRecord(store::FileLayer& files, const std::filesystem::path& club_folder,
                                           const std::filesystem::path& working_folder);

// Removes every file of `working_folder` but those named in `keep`, and the temporary files
// an interrupted save leaves in `club_folder` ("QDD..." containers, "*.new"
// files, ".*.open.*" markers).
void RemoveStrayFiles(const std::filesystem::path& club_folder, const std::filesystem::path& working_folder,
                      const std::vector<std::string>& keep);

}  // namespace pellmark
