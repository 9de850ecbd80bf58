#pragma once

#include <QStringList>
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace orvale {

// Asks for one existing file, modal to the owner, starting in a folder with
// a list of file types whose first is preselected. Nothing when cancelled.
// Failing to show the dialog raises platform::RunTimeError. Windows take it
// as a function so tests can answer in place of the user.
using OpenFileChooser = std::function<std::optional<std::string>(
    QWidget& owner, const std::string& initialFolder, const QStringList& fileTypes)>;

// The desktop's Open dialog. Each file type is "Caption (patterns)"; the
// caption alone is shown.
std::optional<std::string> ShowOpenFileDialog(QWidget& owner, const std::string& initialFolder,
                                              const QStringList& fileTypes);

}  // namespace orvale
