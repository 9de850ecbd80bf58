#include "orvale/window/TailTemplateChoice.h"

#include <QString>

#include "platform/QtText.h"

namespace orvale {

std::string TailTemplateText(const std::filesystem::path& programFolder,
                             const std::string& chosen) {
  const QString folder = platform::ToQString(programFolder.string());
  const QString file = platform::ToQString(chosen);
  if (folder.isEmpty() || !file.startsWith(folder, Qt::CaseInsensitive)) return chosen;
  const std::string rest = platform::ToBytes(file.mid(folder.size()));
  if (folder.endsWith('/')) return "./" + rest;  // the root folder
  // A sibling that merely starts with the folder's name is not below it.
  if (!rest.starts_with('/')) return chosen;
  return "." + rest;
}

}  // namespace orvale
