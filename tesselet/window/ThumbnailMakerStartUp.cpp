#include "tesselet/window/ThumbnailMakerStartUp.h"

#include <QApplication>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "platform/ConsoleHostServices.h"
#include "platform/DisplayCheck.h"
#include "platform/QtHostServices.h"
#include "tesselet/window/Module1.h"

namespace tesselet {

std::string CommandLineArgument(int argc, char** argv) {
  std::string argument;
  for (int k = 1; k < argc; ++k) {
    if (k > 1) argument += ' ';
    argument += argv[k];
  }
  return argument;
}

int RunThumbnailMaker(int argc, char** argv) {
  const std::string argument = CommandLineArgument(argc, argv);
  const bool showsWindows = platform::ShowsWindows();
  if (!showsWindows && platform::NeedsDisplayServer()) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Qt sees only the program's name: the argument is a path, never Qt's
  // own options.
  int qtArgc = 1;
  QApplication application(qtArgc, argv);
  std::unique_ptr<platform::HostServices> host;
  if (showsWindows)
    host = std::make_unique<platform::QtHostServices>();
  else
    host = std::make_unique<platform::ConsoleHostServices>(std::cout, std::cerr, false);
  return Module1(*host).Main(argument);
}

}  // namespace tesselet
