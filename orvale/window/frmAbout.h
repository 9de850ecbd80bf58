#pragma once

#include <QDialog>
#include <QLabel>
#include <QMargins>
#include <QPlainTextEdit>
#include <QPushButton>

#include "common/FormsCollection.h"
#include "platform/HostServices.h"

namespace orvale {

// The about box: what the program does, where to read more, and its
// revision history. A modeless window with a fixed frame that takes part in
// the loaded-windows collection, so closing the main window closes it too.
class frmAbout : public QDialog, public common::LoadedForm {
  Q_OBJECT

 public:
  explicit frmAbout(platform::HostServices& host,
                    common::FormsCollection& forms = common::FormsCollection::program(),
                    QWidget* parent = nullptr);
  ~frmAbout() override;

  void unload() override;
  bool isLoaded() const { return loaded_; }

  QLabel Label1;
  QPushButton Command1;
  QPlainTextEdit Text1;
  QLabel Label4;
  QPushButton cmdHollin;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  // Esc and the dialog buttons end the box as closing it does.
  void done(int result) override;

 private:
  void centreOnScreen();
  QMargins currentFrame() const;

  platform::HostServices& host_;
  common::FormsCollection& forms_;
  bool loaded_ = true;
  bool centred_ = false;
  // The frame the box was centred with, and where that put it: the window
  // manager draws the frame only after the box is first shown, and the box
  // is centred again then, unless the user has moved it in the meantime.
  QMargins frameUsed_;
  QPoint centredAt_;
};

}  // namespace orvale
