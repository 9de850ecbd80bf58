#include "orvale/window/frmAbout.h"

#include <QCloseEvent>
#include <QScreen>
#include <QWindow>

#include "orvale/window/ProgramIcon.h"
#include "orvale/window/WebSite.h"
#include "platform/TwipsLayout.h"

namespace orvale {

namespace {

using platform::Place;

// Newest first, back to the release of version 2.0.
constexpr char kRevisionHistory[] =
    "Revision: 4-8-03:  Added code to create thumbnails.  "
    "3-15-03:  The page's file name can be chosen under More Options.  "
    "2-22-03:  Added the alternative LastPart.txt and its browse button.  "
    "1-30-03:  BMP, TIF and GIF files can be included in the slide show.  "
    "12-14-02:  Pictures can be sorted by name as well as by date.  "
    "11-9-02:  Added the help page and the multimedia demo.  "
    "10-5-02:  Version 2.0 released.";

}  // namespace

frmAbout::frmAbout(platform::HostServices& host, common::FormsCollection& forms, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint),
      host_(host),
      forms_(forms) {
  setObjectName("frmAbout");
  setWindowTitle("About Orvale");
  setWindowIcon(ProgramIcon());
  setModal(false);
  setFont(platform::DialogFont(font(), QStringLiteral("Microsoft Sans Serif"), 8));
  setFixedSize(platform::Pixels(5655), platform::Pixels(5040));

  Place(Label1, *this, "Label1", 600, 240, 4575, 855,
        QString("Orvale creates Java Script Slide shows for JPG files. \n"
                " For more information, see help file or visit \n") +
            kWebSiteAddress);
  Label1.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  Place(Command1, *this, "Command1", 2160, 3960, 1215, 495, "&OK");
  // Enter presses it as the default button; Esc ends the dialog as it does.
  Command1.setDefault(true);
  connect(&Command1, &QPushButton::clicked, this, [this] { unload(); });
  Place(Text1, *this, "Text1", 480, 2760, 4935, 1095);
  Text1.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Text1.setReadOnly(true);
  Text1.setPlainText(kRevisionHistory);
  Place(Label4, *this, "Label4", 480, 2400, 1575, 255, "Revision Information:");
  Place(cmdHollin, *this, "cmdHollin", 1440, 1200, 2895, 375, QString("Go to ") + kWebSiteName);
  connect(&cmdHollin, &QPushButton::clicked, this,
          [this] { host_.openDocument(kWebSiteAddress, {}); });
  setTabOrder(&Command1, &Text1);
  setTabOrder(&Text1, &cmdHollin);
  forms_.add(this);
}

frmAbout::~frmAbout() { forms_.remove(this); }

void frmAbout::unload() {
  if (!loaded_) return;
  loaded_ = false;
  forms_.remove(this);
  close();
}

void frmAbout::closeEvent(QCloseEvent* event) {
  unload();
  event->accept();
}

// Once, when the box first appears.
void frmAbout::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (centred_) return;
  centred_ = true;
  centreOnScreen();
}

// The window manager framing the box moves its client area: once the frame
// is known, the whole box, frame and all, is centred.
void frmAbout::moveEvent(QMoveEvent* event) {
  QDialog::moveEvent(event);
  if (!centred_) return;
  const QMargins frame = currentFrame();
  const QPoint client = geometry().topLeft();
  // Where the box was put, with the frame it has now or the one it had.
  const bool leftWhereItWasPut = client - QPoint(frame.left(), frame.top()) == centredAt_ ||
                                 client - QPoint(frameUsed_.left(), frameUsed_.top()) == centredAt_;
  if (frame != frameUsed_ && leftWhereItWasPut) centreOnScreen();
}

QMargins frmAbout::currentFrame() const {
  const QWindow* handle = windowHandle();
  return handle ? handle->frameMargins() : QMargins();
}

// The outer size, frame included, is what is centred on the screen.
void frmAbout::centreOnScreen() {
  frameUsed_ = currentFrame();
  const QRect screenArea = screen()->geometry();
  const QSize box = size().grownBy(frameUsed_);
  centredAt_ = QPoint(screenArea.left() + (screenArea.width() - box.width()) / 2,
                      screenArea.top() + (screenArea.height() - box.height()) / 2);
  move(centredAt_);
}

void frmAbout::done(int result) {
  QDialog::done(result);
  unload();
}

}  // namespace orvale
