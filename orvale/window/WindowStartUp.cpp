#include "orvale/window/WindowStartUp.h"

#include <QApplication>
#include <iostream>

#include "platform/DisplayCheck.h"
#include "platform/PlatformArguments.h"
#include "platform/ProgramFolder.h"
#include "platform/QtHostServices.h"

namespace orvale {

int RunMainWindow(Module1& state, frmMain& form, const std::vector<std::string>& paths) {
  state.PageFileName = "Index.htm";
  form.show();
  // Built once the window is on screen and events flow, as a drop is.
  if (!paths.empty()) form.takeDrop(paths);
  return QApplication::exec();
}

namespace {

int NoDisplay(const std::string& why) {
  std::cerr << "orvale: the window needs a display, and " << why
            << ".\n"
               "To build a slide show without a window, run: orvale --build FOLDER\n"
               "(orvale --help lists the options).\n";
  return 2;
}

}  // namespace

int RunWindowProgram(char* programName, const std::vector<std::string>& paths) {
  if (!platform::HasDisplay()) return NoDisplay("none is set (DISPLAY or WAYLAND_DISPLAY)");
  // Qt is handed no arguments of the command line: it has been read already,
  // and a path given after "--" must not be taken for one of Qt's own
  // options.
  platform::PlatformArguments arguments(programName);
  QApplication application(arguments.count(), arguments.values());
  // A display that is named but cannot be reached leaves Qt off screen,
  // where nobody would see the window.
  if (!platform::ShowsWindows(QGuiApplication::platformName().toStdString()) &&
      platform::NeedsDisplayServer())
    return NoDisplay("the one named (" + platform::NamedDisplays() + ") cannot be reached");

  Module1 state;
  platform::QtHostServices host;
  frmMain form(state, host, platform::ProgramFolder());
  host.setOwner(&form);
  return RunMainWindow(state, form, paths);
}

}  // namespace orvale
