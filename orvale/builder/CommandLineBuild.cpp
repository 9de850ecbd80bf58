#include "orvale/builder/CommandLineBuild.h"

#include <ostream>

#include "orvale/builder/BuildOptions.h"
#include "platform/ConsoleHostServices.h"
#include "orvale/builder/Module1.h"
#include "orvale/builder/ScanFolder.h"

namespace orvale {

namespace {

const char* const kUsage =
    "Usage: orvale --build DIR [--by-name] [--all-types] [--page NAME] [--tail TEXT] [--replace]\n"
    "       orvale [PATH...]\n"
    "\n"
    "With --build, writes the slide show page for the pictures directly in DIR\n"
    "without opening a window, using the main window's defaults:\n"
    "  --by-name     order the pictures by name (default: by modified time, oldest first)\n"
    "  --all-types   count .BMP, .GIF and .TIF files as pictures too (default: JPEG only)\n"
    "  --page NAME   the page's file name (default: Index.htm)\n"
    "  --tail TEXT   the tail template, relative to the program folder unless absolute\n"
    "                (default: ./LastPart.txt)\n"
    "  --replace     answer Yes when asked to replace an existing page (default: No)\n"
    "Messages and questions go to standard error as \"title: text\"; a question is\n"
    "followed by the answer taken. The path of the written page (or of the folder a\n"
    "window would open) is printed on standard output.\n"
    "Exit status: 0 the page was written, 1 no page was written, 2 bad usage.\n"
    "\n"
    "Without --build, orvale opens its window and builds the PATHs as if they had\n"
    "been dropped together on the window's folder box (the last item's folder).\n";

struct ParsedArguments {
  std::string folder;
  FixedBuildOptions options;
  std::string pageName = "Index.htm";
  bool replace = false;
  bool help = false;
};

// False, with the reason in `problem`, for arguments that make no sense.
bool Parse(const std::vector<std::string>& arguments, ParsedArguments& parsed, std::string& problem) {
  bool haveFolder = false;
  bool optionsEnded = false;
  for (std::size_t k = 0; k < arguments.size(); ++k) {
    const std::string& a = arguments[k];
    const auto value = [&](std::string& target) {
      if (k + 1 >= arguments.size()) {
        problem = a + " needs a value";
        return false;
      }
      target = arguments[++k];
      return true;
    };
    if (!optionsEnded && a == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (a == "--help" || a == "-h")) {
      parsed.help = true;
    } else if (!optionsEnded && a == "--build") {
      if (!value(parsed.folder)) return false;
      if (haveFolder) {
        problem = "only one folder can be built at a time";
        return false;
      }
      haveFolder = true;
    } else if (!optionsEnded && a == "--by-name") {
      parsed.options.alphabetically = true;
    } else if (!optionsEnded && a == "--all-types") {
      parsed.options.bmpGifTif = true;
    } else if (!optionsEnded && a == "--page") {
      if (!value(parsed.pageName)) return false;
    } else if (!optionsEnded && a == "--tail") {
      if (!value(parsed.options.lastPart)) return false;
    } else if (!optionsEnded && a == "--replace") {
      parsed.replace = true;
    } else {
      problem = "unexpected argument: " + a;
      return false;
    }
  }
  if (!haveFolder && !parsed.help) {
    problem = "--build needs the folder to build";
    return false;
  }
  return true;
}

}  // namespace

bool IsCommandLineBuild(const std::vector<std::string>& arguments) {
  for (const auto& a : arguments) {
    if (a == "--") return false;
    if (a == "--build" || a == "--help" || a == "-h") return true;
  }
  return false;
}

int RunCommandLineBuild(const std::vector<std::string>& arguments, std::ostream& out,
                        std::ostream& err, const std::filesystem::path& programFolder) {
  ParsedArguments parsed;
  std::string problem;
  if (!Parse(arguments, parsed, problem)) {
    err << "orvale: " << problem << "\n\n" << kUsage;
    return 2;
  }
  if (parsed.help) {
    out << kUsage;
    return 0;
  }
  platform::ConsoleHostServices host(out, err, parsed.replace);
  Module1 state;
  state.PageFileName = parsed.pageName;
  ScanFolder(parsed.folder, parsed.options, state, host, programFolder);
  if (!state.PageWritten) return 1;
  // Where the window would open the finished page, say where it is.
  host.openDocument(state.CurrentFolder + state.PageFileName, state.CurrentFolder);
  return 0;
}

}  // namespace orvale
