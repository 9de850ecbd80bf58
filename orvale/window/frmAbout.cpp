#include "orvale/window/frmAbout.h"

#include <QCloseEvent>

namespace orvale {

frmAbout::frmAbout(common::FormsCollection& forms, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint),
      forms_(forms) {
  setObjectName("frmAbout");
  setWindowTitle("About Orvale");
  setModal(false);
  // 5655 by 5040 twips of client area.
  setFixedSize(377, 336);
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

void frmAbout::done(int result) {
  QDialog::done(result);
  unload();
}

}  // namespace orvale
