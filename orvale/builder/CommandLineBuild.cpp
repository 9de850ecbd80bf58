#include "orvale/builder/CommandLineBuild.h"

#include <ostream>
#include <utility>

#include "orvale/builder/Module1.h"
#include "orvale/builder/ProgramName.h"
#include "orvale/builder/ScanFolder.h"
#include "orvale/builder/TemplatePaths.h"
#include "orvale/builder/ThumbnailMaker.h"
#include "platform/ChildProcess.h"
#include "platform/ConsoleHostServices.h"
#include "platform/RunTimeError.h"

namespace orvale {

namespace {

// Makes the output folders asked for, then runs the thumbnail maker on the
// built folder and waits for it. It runs offscreen, so its messages come to
// standard error and never wait for a click. True when it made everything
// asked for.
bool RunThumbnailMaker(const std::string& currentFolder, const ThumbnailMakerOutputs& outputs,
                       bool allMedia, platform::HostServices& host,
                       const std::filesystem::path& programFolder) {
  for (const auto& [asked, name] :
       {std::pair{outputs.thumbnails, kThumbnailsFolder}, {outputs.webCopies, kWebCopiesFolder}}) {
    if (!asked) continue;
    if (const int failure = MakeOutputFolder(currentFolder, name); failure != 0) {
      host.showMessage(OutputFolderNotMade(failure, currentFolder + name), kProgramName);
      return false;
    }
  }
  const std::filesystem::path program = ThumbnailMakerProgram(programFolder);
  const int status = platform::RunProgramAndWait(
      program.string(), ThumbnailMakerArguments(currentFolder, allMedia), programFolder.string(),
      {"QT_QPA_PLATFORM=offscreen"});
  if (status < 0) host.showMessage(ThumbnailMakerNotStarted(program), kProgramName);
  return status == 0;
}

}  // namespace

int RunCommandLineBuild(const HeadlessBuild& build, std::ostream& out, std::ostream& err,
                        const std::filesystem::path& programFolder) {
  platform::ConsoleHostServices host(out, err, build.replace);
  Module1 state;
  state.PageFileName = build.pageName;
  const ScanOutcome outcome = ScanFolder(build.folder, build.options, state, host, programFolder);
  for (const std::string& copy : outcome.userCopiesRead)
    host.showMessage(UserCopyReadNote(copy), kProgramName, platform::MessageIcon::kNone);
  // As from the window, the thumbnails and copies follow whenever the
  // folder was reached, whether or not the page was written.
  const bool asked = build.outputs.thumbnails || build.outputs.webCopies;
  const bool outputsMade =
      !asked ||
      (outcome.folderReached && RunThumbnailMaker(state.CurrentFolder, build.outputs,
                                                  build.options.allMedia(), host, programFolder));
  if (!outcome.pageWritten) return 1;
  // Where the window would open the finished page, say where it is.
  host.openDocument(state.CurrentFolder + state.PageFileName, state.CurrentFolder);
  return outputsMade ? 0 : 1;
}

}  // namespace orvale
