#pragma once

#include <string>
#include <vector>

#include "orvale/builder/Module1.h"
#include "orvale/window/frmMain.h"

namespace orvale {

// The slide show maker with its window. Needs a display; without one, or
// with one named that cannot be reached, it says so on standard error,
// points to the build without a window, and returns 2.
// The paths (already read from the command line) are built as one drop of
// those items on the folder box, once the window is up.
int RunWindowProgram(char* programName, const std::vector<std::string>& paths);

// The start-up routine and the run on window events: the page name every run
// begins with, the main window shown modeless, the paths built as one drop
// once events flow. Returns when the last window has closed.
int RunMainWindow(Module1& state, frmMain& form, const std::vector<std::string>& paths);

}  // namespace orvale
