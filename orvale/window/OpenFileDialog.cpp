#include "orvale/window/OpenFileDialog.h"

#include <QFileDialog>

#include "platform/QtText.h"

namespace orvale {

std::optional<std::string> ShowOpenFileDialog(QWidget& owner, const std::string& initialFolder,
                                              const QStringList& fileTypes) {
  QFileDialog dialog(&owner, QStringLiteral("Open"), platform::ToQString(initialFolder));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // The captions name the types; the patterns in the last brackets stay out
  // of sight.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters(fileTypes);
  if (!fileTypes.isEmpty()) dialog.selectNameFilter(fileTypes.front());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return platform::ToBytes(dialog.selectedFiles().front());
}

}  // namespace orvale
