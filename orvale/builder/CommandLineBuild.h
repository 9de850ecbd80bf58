#pragma once

#include <filesystem>
#include <iosfwd>

#include "orvale/builder/CommandLine.h"

namespace orvale {

// One build of the folder with the window's defaults and no window.
// Messages go to `err` as "title: body"; what a window would open is printed
// on `out`. With thumbnails or web copies asked for, the thumbnail maker
// then runs on the folder and is waited for. Returns the exit status: 0 when
// the page (and every thumbnail and copy asked for) was written, 1 when not.
int RunCommandLineBuild(const HeadlessBuild& build, std::ostream& out, std::ostream& err,
                        const std::filesystem::path& programFolder);

}  // namespace orvale
