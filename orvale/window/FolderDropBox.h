#pragma once

#include <QPlainTextEdit>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orvale {

// The main window's folder box: a multi-line text box that takes drops of
// any kind and hands them to the build instead of inserting dropped text.
class FolderDropBox : public QPlainTextEdit {
  Q_OBJECT

 public:
  // The local paths of the drop's file list, or nothing for a drop without one.
  using DropHandler = std::function<void(const std::optional<std::vector<std::string>>&)>;

  explicit FolderDropBox(QWidget* parent = nullptr);
  void setDropHandler(DropHandler handler) { dropHandler_ = std::move(handler); }

  // Replaces the text, puts the caret after its last character and paints
  // the box at once.
  void showText(const std::string& text);
  // The text as bytes: a path that is not valid UTF-8, shown or typed,
  // still names its folder.
  std::string text() const;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  DropHandler dropHandler_;
};

}  // namespace orvale
