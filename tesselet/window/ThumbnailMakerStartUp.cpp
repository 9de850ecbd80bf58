#include "tesselet/window/ThumbnailMakerStartUp.h"

#include <QApplication>
#include <iostream>
#include <memory>

#include "platform/ConsoleHostServices.h"
#include "platform/DisplayCheck.h"
#include "platform/PlatformArguments.h"
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
  // The argument is a path, never one of Qt's own options.
  platform::PlatformArguments qtArguments(argv[0]);
  QApplication application(qtArguments.count(), qtArguments.values());
  // Where no display could be reached Qt runs off screen, and a message
  // box there would wait for a click that cannot come.
  std::unique_ptr<platform::HostServices> host;
  if (platform::ShowsWindows(QGuiApplication::platformName().toStdString()))
    host = std::make_unique<platform::QtHostServices>();
  else
    host = std::make_unique<platform::ConsoleHostServices>(std::cout, std::cerr, false);
  return Module1(*host).Main(argument);
}

}  // namespace tesselet
