#include "orvale/window/WindowStartUp.h"

#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "platform/ProgramFolder.h"
#include "platform/QtHostServices.h"
#include "orvale/window/frmMain.h"

namespace orvale {

namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// The start-up routine: the page name every run begins with, then the main
// window, modeless; the program then runs on the window's events.
void Main(Module1& state, frmMain& form) {
  state.PageFileName = "Index.htm";
  form.show();
}

}  // namespace

bool HasDisplay() {
  if (IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY")) return true;
  // offscreen, vnc, linuxfb and the like draw without a display server.
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (!platform || !*platform) return false;
  const std::string name(platform);
  return name.rfind("xcb", 0) != 0 && name.rfind("wayland", 0) != 0;
}

std::optional<std::vector<std::string>> CommandLinePaths(const std::vector<std::string>& arguments,
                                                         std::string& problem) {
  std::vector<std::string> paths;
  bool optionsEnded = false;
  for (const std::string& argument : arguments) {
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
      continue;
    }
    if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
      problem = "unknown option: " + argument;
      return std::nullopt;
    }
    if (argument.empty()) continue;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(argument, error);
    paths.push_back(error ? argument : absolute.string());
  }
  return paths;
}

int RunWindowProgram(int argc, char** argv) {
  if (!HasDisplay()) {
    std::cerr << "orvale: the window needs a display, and none is set (DISPLAY or "
                 "WAYLAND_DISPLAY).\n"
                 "To build a slide show without a window, run: orvale --build FOLDER\n"
                 "(orvale --help lists the options).\n";
    return 2;
  }
  QApplication application(argc, argv);
  // Qt has taken its own options (-platform, -style...) out of argv by now.
  std::string problem;
  const auto paths = CommandLinePaths(std::vector<std::string>(argv + 1, argv + argc), problem);
  if (!paths) {
    std::cerr << "orvale: " << problem << "\n(orvale --help lists the options.)\n";
    return 2;
  }

  Module1 state;
  platform::QtHostServices host;
  frmMain form(state, host, platform::ProgramFolder());
  host.setOwner(&form);
  Main(state, form);
  if (!paths->empty()) {
    // Built once the window is on screen and events flow, as a drop would be.
    QTimer::singleShot(0, &form, [&form, &paths] { form.txtFolderToBrowse_OLEDragDrop(*paths); });
  }
  return QApplication::exec();
}

}  // namespace orvale
