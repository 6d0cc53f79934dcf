#include "store/qdb_errors.h"

#include <cerrno>

namespace pellmark::store {

std::string QdbText(std::string_view text, std::string_view argument) {
  std::string result(text);
  if (auto at = result.find("%s"); at != std::string::npos) result.replace(at, 2, argument);
  return result;
}

EQDBFileError FileErrorForCode(int error_number, std::string_view file_name) {
  switch (error_number) {
    case ENOENT:
    case ENOTDIR:
      return EQDBFileError(QdbText(kTextFileNotFound, file_name));
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM:
      return EQDBFileError(QdbText(kTextDriveNotReady));
    case EMFILE:
    case ENFILE:
      return EQDBFileError(QdbText(kTextNoHandles));
    case EBUSY:
    case ETXTBSY:
    case EWOULDBLOCK:
      return EQDBFileError(QdbText(kTextInUse, file_name));
    case ENOSPC:
    case EDQUOT:
      return EQDBFileError(QdbText(kTextDriveFull));
    default:
      return EQDBFileError(QdbText(kTextUnidentified, std::to_string(error_number)));
  }
}

}  // namespace pellmark::store
