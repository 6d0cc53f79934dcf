// The errors of the record store and their texts. Every store error is an
// EQDBError; the texts are the store's own and are formatted with the store's
// file name, except the bad-key text, which takes the key.
//
//   throw EQDBNoData(QdbText(kTextFileEmpty, "/club/clubmem.qdb"));
//   // what(): "File /club/clubmem.qdb is empty"
//   throw FileErrorForCode(ENOSPC, "/club/clubmem.qdb");   // "The drive is full"
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace pellmark::store {

inline constexpr std::string_view kTextNoFile = "Illegal operation - no file assigned";
inline constexpr std::string_view kTextFileEmpty = "File %s is empty";
inline constexpr std::string_view kTextReadOnly = "%s is marked as read-only";
inline constexpr std::string_view kTextOutOfBounds = "The list index is out of bounds";
inline constexpr std::string_view kTextBadKey = "The key '%s' does not exist";
inline constexpr std::string_view kTextDuplicateKey = "Duplicate keys are not allowed";
inline constexpr std::string_view kTextIndexFull = "Not enough memory to extend the index to %s";
inline constexpr std::string_view kTextNotValid = "The file %s is not a valid QDB file";
inline constexpr std::string_view kTextNoTempFile = "Could not create a necessary temporary file";
inline constexpr std::string_view kTextCannotExtend = "Unable to extend the file %s";
inline constexpr std::string_view kTextInvalidPassword = "The password you have provided is invalid";
inline constexpr std::string_view kTextNoMemory = "Insufficient memory to compress or expand";
inline constexpr std::string_view kTextFileNotFound = "Could not find the file %s";
inline constexpr std::string_view kTextDriveNotReady = "The drive you are trying to access is not ready";
inline constexpr std::string_view kTextNoHandles = "No more file handles are available";
inline constexpr std::string_view kTextInUse = "The file %s seems to be in use by another program";
inline constexpr std::string_view kTextDriveFull = "The drive is full";
inline constexpr std::string_view kTextUnidentified = "Unidentified problem -  %s";

// `text` with its "%s" (if any) replaced by `argument`.
std::string QdbText(std::string_view text, std::string_view argument = {});

class EQDBError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class EQDBListError : public EQDBError {
 public:
  using EQDBError::EQDBError;
};

class EQDBFileError : public EQDBError {
 public:
  using EQDBError::EQDBError;
};

class EQDBIndexError : public EQDBError {
 public:
  using EQDBError::EQDBError;
};

class EQDBInvalidPW : public EQDBError {
 public:
  using EQDBError::EQDBError;
};

class EQDBNoCompress : public EQDBError {
 public:
  using EQDBError::EQDBError;
};

class EQDBBadKey : public EQDBError {
 public:
  using EQDBError::EQDBError;
};

class EQDBOutOfBounds : public EQDBIndexError {
 public:
  using EQDBIndexError::EQDBIndexError;
};

class EQDBNoData : public EQDBIndexError {
 public:
  using EQDBIndexError::EQDBIndexError;
};

class EQDBReadOnly : public EQDBIndexError {
 public:
  using EQDBIndexError::EQDBIndexError;
};

class EQDBNoFile : public EQDBIndexError {
 public:
  using EQDBIndexError::EQDBIndexError;
};

// The file error for an operating-system error number (errno) met while creating,
// opening, reading or writing `file_name`.
EQDBFileError FileErrorForCode(int error_number, std::string_view file_name);

}  // namespace pellmark::store
