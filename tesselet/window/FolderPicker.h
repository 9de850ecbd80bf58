#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileSystemModel>
#include <QLabel>
#include <QTreeView>
#include <QVBoxLayout>
#include <functional>
#include <string>

#include "tesselet/window/FolderPickerControl.h"

namespace tesselet {

// A modal folder picker: the prompt, the folder tree from the root, a status
// line and OK / Cancel. It tells its callback when it has opened (message
// kInitialized) and whenever another folder is highlighted (kSelectionChanged,
// with that folder's path); the callback answers through the control calls.
class FolderPicker : public QDialog, public FolderPickerControl {
  Q_OBJECT

 public:
  static constexpr int kInitialized = 1;
  static constexpr int kSelectionChanged = 2;
  using Callback =
      std::function<int(FolderPickerControl& picker, int message, const std::string& folder)>;

  FolderPicker(QWidget* owner, const std::string& prompt, Callback callback);

  void SetSelection(const std::string& folder) override;
  void SetStatusText(const std::string& text) override;
  void EnableOk(bool enabled) override;

  // The highlighted folder's path ("" when none).
  std::string SelectedFolder() const;

  QLabel prompt;
  QTreeView tree;
  QLabel status;
  QDialogButtonBox buttons;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QFileSystemModel model_;
  Callback callback_;
  bool initialized_ = false;
  // Last, so it goes before the controls it arranges.
  QVBoxLayout layout_;
};

}  // namespace tesselet
