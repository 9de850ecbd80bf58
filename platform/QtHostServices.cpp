#include "platform/QtHostServices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>
#include <QTimer>

#include "platform/DetachedProcess.h"
#include "platform/QtText.h"

namespace platform {

namespace {
// A message box grows with its text, and long lines wrap: past this many
// lines its OK button could leave the screen.
constexpr qsizetype kMostLinesShown = 10;
}  // namespace

QtHostServices::QtHostServices(QWidget* owner) : owner_(owner) {}

void QtHostServices::showMessage(const std::string& body, const std::string& title,
                                 MessageIcon icon) {
  const QMessageBox::Icon shown =
      icon == MessageIcon::kInformation ? QMessageBox::Information : QMessageBox::NoIcon;
  const QString text = ToQString(body);
  QMessageBox box(shown, ToQString(title), text, QMessageBox::Ok, owner_);
  // A long message shows its first lines, and all of it under "Show
  // Details...", where it scrolls.
  if (const QStringList lines = text.split('\n'); lines.size() > kMostLinesShown) {
    box.setText(lines.first(kMostLinesShown - 1).join('\n') + "\n\u2026");
    box.setDetailedText(text);
  }
  box.exec();
}

bool QtHostServices::askYesNo(const std::string& prompt, const std::string& title) {
  QMessageBox box(QMessageBox::Critical, ToQString(title), ToQString(prompt),
                  QMessageBox::Yes | QMessageBox::No, owner_);
  box.setDefaultButton(QMessageBox::No);
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  box.raise();
  box.activateWindow();
  return box.exec() == QMessageBox::Yes;
}

void QtHostServices::openDocument(const std::string& target, const std::string&) {
  QDesktopServices::openUrl(DocumentUrl(target));
}

// Started from the bytes themselves: Qt's own start would pass a folder whose
// name is not UTF-8 on as another name.
bool QtHostServices::startProgram(const std::string& program,
                                  const std::vector<std::string>& arguments,
                                  const std::string& workingFolder) {
  return StartDetachedProcess(program, arguments, workingFolder);
}

void QtHostServices::beep() { QApplication::beep(); }

void QtHostServices::setBusyPointer(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy)
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QGuiApplication::restoreOverrideCursor();
}

void QtHostServices::processEvents(std::chrono::milliseconds maxWait) {
  // Sleep until an event arrives instead of spinning; the timer is the event
  // that ends the wait when nothing else comes.
  QTimer wake;
  wake.setSingleShot(true);
  wake.start(maxWait);
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

}  // namespace platform
