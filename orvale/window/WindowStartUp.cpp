#include "orvale/window/WindowStartUp.h"

#include <QApplication>
#include <iostream>

#include "platform/DisplayCheck.h"
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

int RunWindowProgram(char* programName, const std::vector<std::string>& paths) {
  if (!platform::HasDisplay()) {
    std::cerr << "orvale: the window needs a display, and none is set (DISPLAY or "
                 "WAYLAND_DISPLAY).\n"
                 "To build a slide show without a window, run: orvale --build FOLDER\n"
                 "(orvale --help lists the options).\n";
    return 2;
  }
  // Qt is handed no arguments: the command line has been read already, and a
  // path given after "--" must not be taken for one of Qt's own options.
  int argumentCount = 1;
  char* arguments[] = {programName, nullptr};
  QApplication application(argumentCount, arguments);

  Module1 state;
  platform::QtHostServices host;
  frmMain form(state, host, platform::ProgramFolder());
  host.setOwner(&form);
  return RunMainWindow(state, form, paths);
}

}  // namespace orvale
