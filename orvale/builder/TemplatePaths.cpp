#include "orvale/builder/TemplatePaths.h"

#include <QString>
#include <system_error>

namespace orvale {

std::string HeadTemplatePath(const std::filesystem::path& programFolder) {
  const std::string name = "FirstPart.txt";
  const auto exact = programFolder / name;
  std::error_code error;
  if (std::filesystem::exists(exact, error)) return exact.string();
  // increment(error), not ++: a listing that fails half-way must end the
  // search, not throw through the build into the window's event handler.
  for (std::filesystem::directory_iterator entry(programFolder, error), end; !error && entry != end;
       entry.increment(error)) {
    const std::string candidate = entry->path().filename().string();
    if (QString::fromStdString(candidate).compare(QString::fromStdString(name),
                                                  Qt::CaseInsensitive) == 0)
      return entry->path().string();
  }
  return exact.string();  // opening it reports that it is missing
}

std::string TailTemplatePath(const std::filesystem::path& programFolder, const std::string& text) {
  const std::filesystem::path path(text);
  if (path.is_absolute()) return text;
  return programFolder.string() + (programFolder.string().ends_with('/') ? "" : "/") + text;
}

}  // namespace orvale
