#pragma once

#include <string>
#include <variant>
#include <vector>

#include "orvale/builder/BuildOptions.h"
#include "orvale/builder/ThumbnailMaker.h"

namespace orvale {

// `orvale --help` (or -h).
struct ShowHelp {};

// `orvale --version`.
struct ShowVersion {};

// Arguments that make no sense; `problem` says which.
struct BadUsage {
  std::string problem;
};

// `orvale --build DIR [options]`: one build with the window's defaults and
// no window.
struct HeadlessBuild {
  std::string folder;
  FixedBuildOptions options;
  std::string pageName = "Index.htm";
  bool replace = false;  // the answer to the replace question
  // What the thumbnail maker, run on the folder and waited for, makes.
  ThumbnailMakerOutputs outputs;
};

// `orvale [PATH...]`: the window, building the paths as one drop once it is
// up. The paths are absolute, as a drop's are.
struct WindowStart {
  std::vector<std::string> paths;
};

// What the command line asks for, read once for the whole program.
using CommandLine = std::variant<ShowHelp, ShowVersion, BadUsage, HeadlessBuild, WindowStart>;

// Reads the arguments after the program's name. An argument that starts with
// "-" and is not an option of ours is bad usage; after "--" every argument is
// a path, so a path may start with "-" there. A lone "-" is a path.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The help text, ending in a line end.
const char* UsageText();

// "orvale " and the version, ending in a line end.
std::string VersionText();

}  // namespace orvale
