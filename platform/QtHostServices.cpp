#include "platform/QtHostServices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <QUrl>

namespace platform {

namespace {
QString FromText(const std::string& text) {
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// A message box grows with its text, and long lines wrap: past this many
// lines its OK button could leave the screen.
constexpr qsizetype kMostLinesShown = 10;
}  // namespace

QtHostServices::QtHostServices(QWidget* owner) : owner_(owner) {}

void QtHostServices::showMessage(const std::string& body, const std::string& title,
                                 MessageIcon icon) {
  const QMessageBox::Icon shown =
      icon == MessageIcon::kInformation ? QMessageBox::Information : QMessageBox::NoIcon;
  const QString text = FromText(body);
  QMessageBox box(shown, FromText(title), text, QMessageBox::Ok, owner_);
  // A long message shows its first lines, and all of it under "Show
  // Details...", where it scrolls.
  if (const QStringList lines = text.split('\n'); lines.size() > kMostLinesShown) {
    box.setText(lines.first(kMostLinesShown - 1).join('\n') + "\n\u2026");
    box.setDetailedText(text);
  }
  box.exec();
}

bool QtHostServices::askYesNo(const std::string& prompt, const std::string& title) {
  QMessageBox box(QMessageBox::Critical, FromText(title), FromText(prompt),
                  QMessageBox::Yes | QMessageBox::No, owner_);
  box.setDefaultButton(QMessageBox::No);
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  box.raise();
  box.activateWindow();
  return box.exec() == QMessageBox::Yes;
}

void QtHostServices::openDocument(const std::string& target, const std::string&) {
  const QString text = FromText(target);
  const QUrl url = QDir::isAbsolutePath(text) ? QUrl::fromLocalFile(text) : QUrl(text);
  QDesktopServices::openUrl(url);
}

bool QtHostServices::startProgram(const std::string& program,
                                  const std::vector<std::string>& arguments,
                                  const std::string& workingFolder) {
  QStringList args;
  for (const auto& a : arguments) args << FromText(a);
  return QProcess::startDetached(FromText(program), args, FromText(workingFolder));
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
