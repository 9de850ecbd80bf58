#pragma once

#include <QtCore/qnamespace.h>

#include <optional>
#include <string>
#include <vector>

class QDropEvent;
class QMimeData;

namespace orvale {

// The local paths a drop carries, in the order of its file list, or nothing
// when the drop has no file list (dragged text, web links). Paths keep the
// bytes the file system uses, so names that are not valid UTF-8 survive.
std::optional<std::vector<std::string>> DroppedFileList(const QMimeData& data);

// The folder a dropped item stands for: a folder stands for itself, a file
// for the folder that holds it. An item that cannot be examined is taken as
// it is, so the build names it in its own failure report.
std::string FolderOfDroppedItem(const std::string& item);

// The action a drop is taken with: a copy where the source allows one, so
// a source that moves never deletes what was dropped here.
Qt::DropAction TakenDropAction(Qt::DropActions possible, Qt::DropAction proposed);

// Takes a drag's entry, move or drop with that action.
void TakeDrop(QDropEvent& event);

}  // namespace orvale
