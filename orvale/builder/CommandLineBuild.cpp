#include "orvale/builder/CommandLineBuild.h"

#include <ostream>

#include "orvale/builder/Module1.h"
#include "orvale/builder/ScanFolder.h"
#include "platform/ConsoleHostServices.h"

namespace orvale {

int RunCommandLineBuild(const HeadlessBuild& build, std::ostream& out, std::ostream& err,
                        const std::filesystem::path& programFolder) {
  platform::ConsoleHostServices host(out, err, build.replace);
  Module1 state;
  state.PageFileName = build.pageName;
  const ScanOutcome outcome = ScanFolder(build.folder, build.options, state, host, programFolder);
  if (!outcome.pageWritten) return 1;
  // Where the window would open the finished page, say where it is.
  host.openDocument(state.CurrentFolder + state.PageFileName, state.CurrentFolder);
  return 0;
}

}  // namespace orvale
