#include "orvale/window/TailTemplateChoice.h"

#include <QByteArray>
#include <QString>

namespace orvale {

std::string TailTemplateText(const std::filesystem::path& programFolder,
                             const std::string& chosen) {
  const QString folder = QString::fromStdString(programFolder.string());
  const QString file = QString::fromStdString(chosen);
  if (folder.isEmpty() || !file.startsWith(folder, Qt::CaseInsensitive)) return chosen;
  const QByteArray tail = file.mid(folder.size()).toUtf8();
  const std::string rest(tail.constData(), std::size_t(tail.size()));
  if (folder.endsWith('/')) return "./" + rest;  // the root folder
  // A sibling that merely starts with the folder's name is not below it.
  if (!rest.starts_with('/')) return chosen;
  return "." + rest;
}

}  // namespace orvale
