#include "tesselet/batch/ImageListing.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/RunTimeError.h"
#include "tesselet/batch/FolderText.h"
#include "tesselet/batch/ProgramName.h"

namespace tesselet {

namespace {

namespace fs = std::filesystem;

bool IsListedFile(const fs::directory_entry& entry, bool allMedia) {
  const std::string name = entry.path().filename().string();
  if (name.empty() || name.front() == '.') return false;
  std::error_code error;
  return entry.is_regular_file(error) && IsPictureFileName(name, allMedia);
}

bool IsMissingFolder(const std::error_code& error) {
  return error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory;
}

[[noreturn]] void RaiseListingError(const std::error_code& error, const std::string& folder) {
  throw platform::RunTimeError::fromErrno(
      error.value(), platform::FileOperation::kOpenFolder, kFrontEndSource,
      platform::DescriptionFromErrno(error.value(), platform::FileOperation::kOpenFolder) + ": " +
          folder);
}

}  // namespace

bool IsPictureFileName(const std::string& name, bool allMedia) {
  const auto dot = name.rfind('.');
  if (dot == std::string::npos || name.size() - dot > 5) return false;
  std::string extension = name.substr(dot + 1);
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  for (const char* known : {"jpg", "jpeg", "jpe", "gif", "bmp"})
    if (extension == known) return true;
  if (!allMedia) return false;
  for (const char* known : {"png", "webp", "heic", "heif", "mp4", "m4v", "mov", "webm"})
    if (extension == known) return true;
  return false;
}

std::vector<std::string> ListImageFiles(const std::string& folderText, bool allMedia) {
  const std::string folder = WithTrailingSlash(folderText);
  std::vector<std::string> names;
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error) {
    if (IsMissingFolder(error)) return names;
    RaiseListingError(error, folder);
  }
  // A failed step ends the walk with the error set.
  for (; it != fs::directory_iterator(); it.increment(error)) {
    if (IsListedFile(*it, allMedia)) names.push_back(it->path().filename().string());
  }
  if (error) RaiseListingError(error, folder);
  return names;
}

std::int32_t CountPictureFiles(const std::string& folder, bool allMedia) {
  std::int32_t count = 0;
  std::error_code error;
  for (fs::directory_iterator it(WithTrailingSlash(folder), error);
       !error && it != fs::directory_iterator(); it.increment(error)) {
    if (IsListedFile(*it, allMedia) && count < INT32_MAX) ++count;
  }
  return count;
}

}  // namespace tesselet
