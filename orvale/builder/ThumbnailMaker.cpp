#include "orvale/builder/ThumbnailMaker.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/RunTimeError.h"

namespace orvale {

std::filesystem::path ThumbnailMakerProgram(const std::filesystem::path& programFolder) {
  return programFolder / "tesselet";
}

std::vector<std::string> ThumbnailMakerArguments(const std::string& currentFolder, bool allMedia) {
  if (allMedia) return {"--all-media", currentFolder};
  return {currentFolder};
}

int MakeOutputFolder(const std::string& currentFolder, const char* name) {
  const std::string folder = currentFolder + name;
  struct stat info {};
  if (stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return 0;
  if (mkdir(folder.c_str(), 0777) == 0) return 0;
  return platform::ErrorNumberFromErrno(errno, platform::FileOperation::kCreateFile);
}

std::string OutputFolderNotMade(int failure, const std::string& folder) {
  return platform::StandardDescription(failure) + ": " + folder;
}

std::string ThumbnailMakerNotStarted(const std::filesystem::path& program) {
  return "The thumbnail maker could not be started:\n" + program.string();
}

}  // namespace orvale
