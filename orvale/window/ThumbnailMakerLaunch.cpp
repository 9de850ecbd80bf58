#include "orvale/window/ThumbnailMakerLaunch.h"

#include "orvale/builder/ProgramName.h"
#include "platform/RunTimeError.h"

namespace orvale {

void LaunchThumbnailMaker(const std::string& currentFolder, const ThumbnailMakerOutputs& outputs,
                          bool allMedia, platform::HostServices& host,
                          const std::filesystem::path& programFolder) {
  if (outputs.thumbnails) {
    const int failure = MakeOutputFolder(currentFolder, kThumbnailsFolder);
    if (failure == platform::kPathNotFound) {
      host.showMessage("Creating a new folder! ", "New Folder");
    } else if (failure != 0) {
      return;
    }
  }
  if (outputs.webCopies) {
    const int failure = MakeOutputFolder(currentFolder, kWebCopiesFolder);
    // A built folder that has gone was said above when thumbnails were asked for.
    const bool saidAlready = failure == platform::kPathNotFound && outputs.thumbnails;
    if (failure != 0 && !saidAlready) {
      host.showMessage(OutputFolderNotMade(failure, currentFolder + kWebCopiesFolder),
                       kProgramName);
      if (!outputs.thumbnails) return;
    }
  }
  if (!outputs.thumbnails && !outputs.webCopies) return;
  const std::filesystem::path program = ThumbnailMakerProgram(programFolder);
  // The desktop shell would say when a program cannot be started; a detached
  // start has nobody else to say it, so the user hears it from us.
  if (!host.startProgram(program.string(), ThumbnailMakerArguments(currentFolder, allMedia),
                         programFolder.string()))
    host.showMessage(ThumbnailMakerNotStarted(program), kProgramName);
}

}  // namespace orvale
