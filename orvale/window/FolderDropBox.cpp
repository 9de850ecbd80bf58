#include "orvale/window/FolderDropBox.h"

#include <QDropEvent>
#include <QMimeData>

#include "orvale/window/DroppedItems.h"
#include "platform/QtText.h"

namespace orvale {

FolderDropBox::FolderDropBox(QWidget* parent) : QPlainTextEdit(parent) { setAcceptDrops(true); }

void FolderDropBox::showText(const std::string& text) {
  setPlainText(platform::ToQString(text));
  moveCursor(QTextCursor::End);
  // The build runs inside one event and handles no others while it works,
  // so a text that waited for the next paint would never be seen: the folder
  // would not show while the page is written, only "Done" after it.
  viewport()->repaint();
}

std::string FolderDropBox::text() const { return platform::ToBytes(toPlainText()); }

// Every drag is welcome, whatever it carries.
void FolderDropBox::dragEnterEvent(QDragEnterEvent* event) { TakeDrop(*event); }

void FolderDropBox::dragMoveEvent(QDragMoveEvent* event) { TakeDrop(*event); }

void FolderDropBox::dragLeaveEvent(QDragLeaveEvent* event) { event->accept(); }

void FolderDropBox::dropEvent(QDropEvent* event) {
  // The file list is read now: the drag's data may be gone once the build
  // has handled other events during its pauses.
  std::optional<std::vector<std::string>> items;
  if (const QMimeData* data = event->mimeData()) items = DroppedFileList(*data);
  TakeDrop(*event);
  if (dropHandler_) dropHandler_(items);
}

}  // namespace orvale
