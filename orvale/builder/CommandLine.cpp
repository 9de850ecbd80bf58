#include "orvale/builder/CommandLine.h"

#include <filesystem>
#include <system_error>

namespace orvale {

namespace {

const char* const kUsage =
    "Usage: orvale --build DIR [--by-name] [--all-types] [--all-media] [--page NAME] [--tail "
    "TEXT]\n"
    "                          [--replace] [--thumbnails] [--web]\n"
    "       orvale [--] [PATH...]\n"
    "       orvale --help | --version\n"
    "\n"
    "With --build, writes the slide show page for the pictures directly in DIR\n"
    "without opening a window, using the main window's defaults:\n"
    "  --by-name     order the pictures by name (default: by modified time, oldest first)\n"
    "  --all-types   count .BMP, .GIF and .TIF files as pictures too (default: JPEG only)\n"
    "  --all-media   photos and videos of every kind: also list .png, .webp, .heic, .heif,\n"
    "                .mp4, .m4v, .mov and .webm files, show the captions written into the\n"
    "                photos, and have the thumbnail maker make their thumbnails and copies\n"
    "  --page NAME   the page's file name (default: Index.htm)\n"
    "  --tail TEXT   the tail template, relative to the program folder unless absolute\n"
    "                (default: ./LastPart.txt)\n"
    "  --replace     answer Yes when asked to replace an existing page (default: No)\n"
    "  --thumbnails  also make DIR/ThumbNails and run the thumbnail maker on DIR,\n"
    "                waiting for it (its messages go to standard error too)\n"
    "  --web         also make DIR/Web and run the thumbnail maker on DIR, which makes\n"
    "                the web copies the page shows instead of the originals there\n"
    "Messages and questions go to standard error as \"title: text\"; a question is\n"
    "followed by the answer taken. The path of the written page (or of the folder a\n"
    "window would open) is printed on standard output.\n"
    "Exit status: 0 the page was written (and every thumbnail and copy asked for),\n"
    "1 no page was written or the thumbnail maker failed, 2 bad usage.\n"
    "\n"
    "Without --build, orvale opens its window and builds the PATHs as if they had\n"
    "been dropped together on the window's folder box (the last item's folder).\n"
    "A PATH that starts with \"-\" goes after \"--\".\n";

bool IsOption(const std::string& argument) { return argument.size() > 1 && argument[0] == '-'; }

// Relative paths are taken from the working folder, as a file manager's
// would be; a path that cannot be resolved stays as given, so the build
// names it in its own report.
std::vector<std::string> AbsolutePaths(const std::vector<std::string>& paths) {
  std::vector<std::string> absolute;
  for (const std::string& path : paths) {
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::absolute(path, error);
    absolute.push_back(error ? path : resolved.string());
  }
  return absolute;
}

// The arguments as they are read: options set fields, everything else is a
// path. The first problem found stops the reading.
struct Reading {
  HeadlessBuild build;
  bool building = false;
  bool help = false;
  bool version = false;
  std::string buildOnlyOption;  // a build option, which needs --build
  std::vector<std::string> paths;
  std::string problem;
};

// Stores an option's value, or says that it has none.
void TakeValue(const std::vector<std::string>& arguments, std::size_t& k, std::string& target,
               Reading& reading) {
  if (k + 1 >= arguments.size())
    reading.problem = arguments[k] + " needs a value";
  else
    target = arguments[++k];
}

// Takes one of the options that only a build without a window has. False
// for any other argument.
bool TakeBuildOption(const std::vector<std::string>& arguments, std::size_t& k, Reading& reading) {
  const std::string& option = arguments[k];
  HeadlessBuild& build = reading.build;
  if (option == "--by-name")
    build.options.alphabetically = true;
  else if (option == "--all-types")
    build.options.bmpGifTif = true;
  else if (option == "--all-media")
    build.options.allMediaKinds = true;
  else if (option == "--page")
    TakeValue(arguments, k, build.pageName, reading);
  else if (option == "--tail")
    TakeValue(arguments, k, build.options.lastPart, reading);
  else if (option == "--replace")
    build.replace = true;
  else if (option == "--thumbnails")
    build.outputs.thumbnails = true;
  else if (option == "--web")
    build.outputs.webCopies = true;
  else
    return false;
  reading.buildOnlyOption = option;
  return true;
}

// Takes one option, with its value where it has one. False for an option
// this program does not know.
bool TakeOption(const std::vector<std::string>& arguments, std::size_t& k, Reading& reading) {
  const std::string& option = arguments[k];
  if (option == "--help" || option == "-h") {
    reading.help = true;
  } else if (option == "--version") {
    reading.version = true;
  } else if (option == "--build") {
    if (reading.building) reading.problem = "only one folder can be built at a time";
    reading.building = true;
    TakeValue(arguments, k, reading.build.folder, reading);
  } else {
    return TakeBuildOption(arguments, k, reading);
  }
  return true;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  Reading reading;
  bool optionsEnded = false;
  for (std::size_t k = 0; k < arguments.size() && reading.problem.empty(); ++k) {
    const std::string& argument = arguments[k];
    if (optionsEnded || !IsOption(argument)) {
      if (!argument.empty()) reading.paths.push_back(argument);
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (!TakeOption(arguments, k, reading)) {
      reading.problem = "unknown option: " + argument;
    }
  }
  if (!reading.problem.empty()) return BadUsage{reading.problem};
  if (reading.help) return ShowHelp{};
  if (reading.version) return ShowVersion{};
  if (reading.building) {
    if (!reading.paths.empty()) return BadUsage{"unexpected argument: " + reading.paths.front()};
    return reading.build;
  }
  if (!reading.buildOnlyOption.empty()) return BadUsage{reading.buildOnlyOption + " needs --build"};
  return WindowStart{AbsolutePaths(reading.paths)};
}

const char* UsageText() { return kUsage; }

std::string VersionText() { return std::string("orvale ") + ORVALE_VERSION + "\n"; }

}  // namespace orvale
