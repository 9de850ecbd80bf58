#include "orvale/window/ThumbnailMakerLaunch.h"

#include "orvale/builder/ProgramName.h"
#include "orvale/builder/ThumbnailMaker.h"
#include "platform/RunTimeError.h"

namespace orvale {

void LaunchThumbnailMaker(const std::string& currentFolder, platform::HostServices& host,
                          const std::filesystem::path& programFolder) {
  const int failure = MakeThumbnailsFolder(currentFolder);
  if (failure == platform::kPathNotFound) {
    host.showMessage("Creating a new folder! ", "New Folder");
  } else if (failure != 0) {
    return;
  }
  const std::filesystem::path program = ThumbnailMakerProgram(programFolder);
  // The desktop shell would say when a program cannot be started; a detached
  // start has nobody else to say it, so the user hears it from us.
  if (!host.startProgram(program.string(), {currentFolder}, programFolder.string()))
    host.showMessage(ThumbnailMakerNotStarted(program), kProgramName);
}

}  // namespace orvale
