#include "orvale/window/OpenFileDialog.h"

#include <QFileDialog>

namespace orvale {

std::optional<std::string> ShowOpenFileDialog(QWidget& owner, const std::string& initialFolder,
                                              const QStringList& fileTypes) {
  QFileDialog dialog(&owner, QStringLiteral("Open"), QString::fromStdString(initialFolder));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // The captions name the types; the patterns in the last brackets stay out
  // of sight.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters(fileTypes);
  if (!fileTypes.isEmpty()) dialog.selectNameFilter(fileTypes.front());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QByteArray bytes = dialog.selectedFiles().front().toUtf8();
  return std::string(bytes.constData(), std::size_t(bytes.size()));
}

}  // namespace orvale
