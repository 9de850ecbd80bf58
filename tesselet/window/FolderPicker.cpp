#include "tesselet/window/FolderPicker.h"

#include <QPushButton>

#include "platform/QtText.h"

namespace tesselet {

using platform::ToBytes;
using platform::ToQString;

FolderPicker::FolderPicker(QWidget* owner, const std::string& promptText, Callback callback)
    : QDialog(owner), callback_(std::move(callback)) {
  setObjectName("FolderPicker");
  setWindowTitle("Browse for Folder");
  setModal(true);
  prompt.setObjectName("prompt");
  prompt.setText(ToQString(promptText));
  prompt.setWordWrap(true);
  status.setObjectName("status");
  model_.setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  model_.setRootPath("/");
  tree.setObjectName("tree");
  tree.setModel(&model_);
  tree.setHeaderHidden(true);
  for (int column = 1; column < model_.columnCount(); ++column) tree.hideColumn(column);
  buttons.setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons.setObjectName("buttons");
  connect(&buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(&buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  // The model reads folders in the background; the highlighted folder is
  // brought into view again as the rows above it arrive.
  connect(&model_, &QFileSystemModel::directoryLoaded, this, [this] {
    if (tree.currentIndex().isValid())
      tree.scrollTo(tree.currentIndex(), QAbstractItemView::PositionAtCenter);
  });
  connect(tree.selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (callback_) callback_(*this, kSelectionChanged, ToBytes(model_.filePath(current)));
          });
  layout_.addWidget(&prompt);
  layout_.addWidget(&status);
  layout_.addWidget(&tree);
  layout_.addWidget(&buttons);
  setLayout(&layout_);
  resize(320, 360);
}

void FolderPicker::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (initialized_) return;
  initialized_ = true;
  if (callback_) callback_(*this, kInitialized, {});
}

void FolderPicker::SetSelection(const std::string& folder) {
  const QModelIndex index = model_.index(ToQString(folder));
  if (!index.isValid()) return;
  for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
    tree.expand(parent);
  tree.setCurrentIndex(index);
  tree.scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void FolderPicker::SetStatusText(const std::string& text) { status.setText(ToQString(text)); }

void FolderPicker::EnableOk(bool enabled) {
  buttons.button(QDialogButtonBox::Ok)->setEnabled(enabled);
}

std::string FolderPicker::SelectedFolder() const {
  const QModelIndex current = tree.currentIndex();
  return current.isValid() ? ToBytes(model_.filePath(current)) : std::string();
}

}  // namespace tesselet
