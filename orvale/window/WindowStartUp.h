#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvale {

// The slide show maker with its window. Needs a display; without one it says
// so on standard error, points to the build without a window, and returns 2.
// Paths on the command line are built as one drop of those items on the
// folder box, once the window is up.
int RunWindowProgram(int argc, char** argv);

// The paths a command line hands over, made absolute as a drop's are. A
// leading "--" ends the options and is not a path. Nothing, with the reason
// in `problem`, when an option is not one this program knows.
std::optional<std::vector<std::string>> CommandLinePaths(const std::vector<std::string>& arguments,
                                                         std::string& problem);

// Whether a window can be shown: a display is named, or Qt is told to use a
// platform that needs none.
bool HasDisplay();

}  // namespace orvale
