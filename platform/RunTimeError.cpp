#include "platform/RunTimeError.h"

#include <cerrno>

namespace platform {

RunTimeError::RunTimeError(int number, std::string source, std::string description)
    : std::runtime_error(description),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)) {}

RunTimeError RunTimeError::standard(int number, std::string source) {
  return RunTimeError(number, std::move(source), StandardDescription(number));
}

RunTimeError RunTimeError::fromErrno(int errnoValue, std::string source, std::string description) {
  return fromErrno(errnoValue, FileOperation::kOpenFile, std::move(source), std::move(description));
}

RunTimeError RunTimeError::fromErrno(int errnoValue, FileOperation operation, std::string source,
                                     std::string description) {
  const int number = ErrorNumberFromErrno(errnoValue, operation);
  if (description.empty()) description = DescriptionFromErrno(errnoValue, operation);
  return RunTimeError(number, std::move(source), std::move(description));
}

std::string StandardDescription(int number) {
  switch (number) {
    case kInvalidProcedureCall:
      return "Invalid procedure call or argument";
    case kOverflow:
      return "Overflow";
    case kOutOfMemory:
      return "Out of memory";
    case kSubscriptOutOfRange:
      return "Subscript out of range";
    case kTypeMismatch:
      return "Type mismatch";
    case kBadFileName:
      return "Bad file name or number";
    case kFileNotFound:
      return "File not found";
    case kDeviceIoError:
      return "Device I/O error";
    case kFileAlreadyExists:
      return "File already exists";
    case kDiskFull:
      return "Disk full";
    case kTooManyFiles:
      return "Too many files";
    case kPermissionDenied:
      return "Permission denied";
    case kPathFileAccessError:
      return "Path/File access error";
    case kPathNotFound:
      return "Path not found";
    case kInvalidPicture:
      return "Invalid picture";
    default:
      return "Application-defined or object-defined error";
  }
}

int ErrorNumberFromErrno(int errnoValue, FileOperation operation) {
  switch (errnoValue) {
    case ENOENT:
      return operation == FileOperation::kOpenFile ? kFileNotFound : kPathNotFound;
    case ENOTDIR:
    case ELOOP:  // the path cannot be followed to its end
      return kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EBUSY:
    case ETXTBSY:
      return kPathFileAccessError;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
    case EFBIG:
      return kDiskFull;
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ:
      return kBadFileName;
    case EMFILE:
    case ENFILE:
      return kTooManyFiles;
    case EEXIST:
      return kFileAlreadyExists;
    case ENOMEM:
      return kOutOfMemory;
    case EIO:
    default:
      return kDeviceIoError;
  }
}

std::string DescriptionFromErrno(int errnoValue, FileOperation operation) {
  switch (errnoValue) {
    case ENAMETOOLONG:
      return "Name too long: a name on the path, or the whole path, is longer than the file "
             "system allows";
    case ELOOP:
      return "Path not found: its symbolic links lead round in a loop";
    default:
      return StandardDescription(ErrorNumberFromErrno(errnoValue, operation));
  }
}

}  // namespace platform
