#pragma once

#include <filesystem>
#include <iosfwd>

#include "orvale/builder/CommandLine.h"

namespace orvale {

// One build of the folder with the window's defaults and no window.
// Messages go to `err` as "title: body"; what a window would open is printed
// on `out`. Returns the exit status: 0 when the page was written, 1 when it
// was not.
int RunCommandLineBuild(const HeadlessBuild& build, std::ostream& out, std::ostream& err,
                        const std::filesystem::path& programFolder);

}  // namespace orvale
