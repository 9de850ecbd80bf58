#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace orvale {

// True when the arguments ask for a build without a window (or for help).
bool IsCommandLineBuild(const std::vector<std::string>& arguments);

// `orvale --build DIR [options]`: one build of DIR with the window's
// defaults and no window. Messages go to `err` as "title: body"; what a
// window would open is printed on `out`. Returns the exit status: 0 when the
// page was written, 1 when it was not, 2 for bad usage.
int RunCommandLineBuild(const std::vector<std::string>& arguments, std::ostream& out,
                        std::ostream& err, const std::filesystem::path& programFolder);

}  // namespace orvale
