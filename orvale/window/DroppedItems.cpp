#include "orvale/window/DroppedItems.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <filesystem>
#include <system_error>

namespace orvale {

std::optional<std::vector<std::string>> DroppedFileList(const QMimeData& data) {
  if (!data.hasUrls()) return std::nullopt;
  std::vector<std::string> paths;
  for (const QUrl& url : data.urls()) {
    if (!url.isLocalFile()) continue;
    // Decoded from the encoded form, byte for byte: decoding to text first
    // would turn bytes that are not UTF-8 into replacement characters.
    const QByteArray path =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (!path.isEmpty()) paths.emplace_back(path.constData(), std::size_t(path.size()));
  }
  if (paths.empty()) return std::nullopt;
  return paths;
}

std::string FolderOfDroppedItem(const std::string& item) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(item, error);
  if (error || !fs::exists(status) || fs::is_directory(status)) return item;
  const fs::path folder = fs::path(item).parent_path();
  return folder.empty() ? item : folder.string();
}

Qt::DropAction TakenDropAction(Qt::DropActions possible, Qt::DropAction proposed) {
  if (possible & Qt::CopyAction) return Qt::CopyAction;
  if (possible & Qt::LinkAction) return Qt::LinkAction;
  return proposed;
}

void TakeDrop(QDropEvent& event) {
  event.setDropAction(TakenDropAction(event.possibleActions(), event.proposedAction()));
  event.accept();
}

}  // namespace orvale
