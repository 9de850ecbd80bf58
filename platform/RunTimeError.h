#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// Run-time error numbers the programs raise and report. The numbering is the
// one users of these programs know from their error messages.
enum ErrorNumber : int {
  kInvalidProcedureCall = 5,
  kOverflow = 6,
  kOutOfMemory = 7,
  kSubscriptOutOfRange = 9,
  kTypeMismatch = 13,
  kBadFileName = 52,
  kFileNotFound = 53,
  kDeviceIoError = 57,
  kFileAlreadyExists = 58,
  kDiskFull = 61,
  kTooManyFiles = 67,
  kPermissionDenied = 70,
  kPathFileAccessError = 75,
  kPathNotFound = 76,
  kInvalidPicture = 481,
};

// What a file operation was doing when it failed. Only the meaning of a
// missing name depends on it: a file that should be there is "File not
// found", while a file being made, or a folder along a path, is missing only
// when a folder on its way is, which is "Path not found".
enum class FileOperation {
  kOpenFile,    // reading or examining a file that should exist
  kCreateFile,  // making or replacing a file
  kOpenFolder,  // opening or listing a folder
};

// The one exception type for run-time failures: a number, the component that
// raised it (its source) and a description for people.
class RunTimeError : public std::runtime_error {
 public:
  RunTimeError(int number, std::string source, std::string description);

  // An error with the standard description of its number.
  static RunTimeError standard(int number, std::string source);

  // Maps an errno value from a file operation to the run-time numbering.
  // When the description is empty, the standard one for the number is used.
  static RunTimeError fromErrno(int errnoValue, std::string source, std::string description = {});
  // The same for an operation whose number depends on what it was doing.
  static RunTimeError fromErrno(int errnoValue, FileOperation operation, std::string source,
                                std::string description = {});

  int number() const { return number_; }
  const std::string& source() const { return source_; }
  const std::string& description() const { return description_; }

 private:
  int number_;
  std::string source_;
  std::string description_;
};

// The standard description of a run-time error number ("File not found").
std::string StandardDescription(int number);

// The run-time number for an errno value (ENOENT -> 53, EACCES -> 75, ...);
// the one place where errno becomes a run-time number.
int ErrorNumberFromErrno(int errnoValue, FileOperation operation = FileOperation::kOpenFile);

// The description for an errno value: the standard one of its number, except
// where that would send the user looking for the wrong fault (a name too
// long, symbolic links in a loop), which are said as they are.
std::string DescriptionFromErrno(int errnoValue,
                                 FileOperation operation = FileOperation::kOpenFile);

}  // namespace platform
