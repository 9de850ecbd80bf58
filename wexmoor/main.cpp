// The companion file browser: shows the folder that holds the programs and
// their shipped files in the desktop's file manager, then ends. The slide
// show maker starts it when its Open dialog could not be shown.
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

#include "platform/ProgramFolder.h"

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);
  const QString folder = QString::fromStdString(platform::ProgramFolder().string());
  return QDesktopServices::openUrl(QUrl::fromLocalFile(folder)) ? 0 : 1;
}
