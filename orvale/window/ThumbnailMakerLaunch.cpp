#include "orvale/window/ThumbnailMakerLaunch.h"

#include <sys/stat.h>

#include <cerrno>

#include "orvale/builder/ProgramName.h"
#include "platform/RunTimeError.h"

namespace orvale {

namespace {

// Creates one level only. A missing parent is "path not found", as for any
// folder made inside a path that is gone.
int MakeThumbnailsFolder(const std::string& folder) {
  struct stat info {};
  if (stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return 0;
  if (mkdir(folder.c_str(), 0777) == 0) return 0;
  return platform::ErrorNumberFromErrno(errno, platform::FileOperation::kCreateFile);
}

}  // namespace

void LaunchThumbnailMaker(const std::string& currentFolder, platform::HostServices& host,
                          const std::filesystem::path& programFolder) {
  const int failure = MakeThumbnailsFolder(currentFolder + "ThumbNails");
  if (failure == platform::kPathNotFound) {
    host.showMessage("Creating a new folder! ", "New Folder");
  } else if (failure != 0) {
    return;
  }
  const std::string program = (programFolder / "tesselet").string();
  // The desktop shell would say when a program cannot be started; a detached
  // start has nobody else to say it, so the user hears it from us.
  if (!host.startProgram(program, {currentFolder}, programFolder.string()))
    host.showMessage("The thumbnail maker could not be started:\n" + program, kProgramName);
}

}  // namespace orvale
