#pragma once

#include <QDialog>

#include "common/FormsCollection.h"

namespace orvale {

// The about box, as far as the program's windows need it: a modeless window
// with a fixed frame that takes part in the loaded-windows collection, so
// closing the main window closes it too.
class frmAbout : public QDialog, public common::LoadedForm {
 public:
  explicit frmAbout(common::FormsCollection& forms = common::FormsCollection::program(),
                    QWidget* parent = nullptr);
  ~frmAbout() override;

  void unload() override;
  bool isLoaded() const { return loaded_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Esc and the dialog buttons end the box as closing it does.
  void done(int result) override;

 private:
  common::FormsCollection& forms_;
  bool loaded_ = true;
};

}  // namespace orvale
