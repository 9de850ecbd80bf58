#include "orvale/builder/TemplatePaths.h"

#include <QString>
#include <cstdlib>
#include <system_error>

#include "orvale/builder/UserTemplateCopy.h"
#include "platform/RunTimeError.h"

namespace orvale {

namespace {

const std::string kHeadName = "FirstPart.txt";

std::filesystem::path FindIgnoringCase(const std::filesystem::path& folder,
                                       const std::string& name) {
  const auto exact = folder / name;
  std::error_code error;
  if (std::filesystem::exists(exact, error)) return exact;
  // increment(error), not ++: a listing that fails half-way must end the
  // search, not throw through the build into the window's event handler.
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    const std::string candidate = entry->path().filename().string();
    if (QString::fromStdString(candidate).compare(QString::fromStdString(name),
                                                  Qt::CaseInsensitive) == 0)
      return entry->path();
  }
  return exact;  // opening it reports that it is missing
}

bool Exists(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

// Where a file lies below the program folder, or nothing when it lies
// elsewhere. Both are resolved first (links followed, "." and ".." gone),
// so every way of writing one name gives one answer.
std::optional<std::filesystem::path> PlaceBelow(const std::filesystem::path& programFolder,
                                                const std::filesystem::path& file) {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::weakly_canonical(programFolder, error);
  if (error) return std::nullopt;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(file, error);
  if (error) return std::nullopt;
  const std::filesystem::path below = resolved.lexically_relative(folder);
  if (below.empty() || *below.begin() == "." || *below.begin() == "..") return std::nullopt;
  return below;
}

// The user has a copy, and it says something the shipped file does not.
bool CopyShadowsShipped(const TemplateFile& file) {
  return file.userCopy && Exists(*file.userCopy) &&
         !(Exists(file.shipped) && IsUnchangedCopy(*file.userCopy));
}

}  // namespace

std::filesystem::path UserTemplateFolder(const char* dataHome, const char* home) {
  if (dataHome && std::filesystem::path(dataHome).is_absolute())
    return std::filesystem::path(dataHome) / "orvale";
  if (home && std::filesystem::path(home).is_absolute())
    return std::filesystem::path(home) / ".local/share/orvale";
  return {};
}

std::filesystem::path UserTemplateFolder() {
  return UserTemplateFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

TemplateFile HeadTemplate(const std::filesystem::path& programFolder,
                          const std::filesystem::path& userFolder) {
  TemplateFile file{FindIgnoringCase(programFolder, kHeadName), std::nullopt};
  if (!userFolder.empty()) file.userCopy = FindIgnoringCase(userFolder, kHeadName);
  return file;
}

TemplateFile TailTemplate(const std::filesystem::path& programFolder,
                          const std::filesystem::path& userFolder, const std::string& text) {
  const std::filesystem::path named(text);
  const std::string folder = programFolder.string();
  TemplateFile file{named.is_absolute()
                        ? named
                        : std::filesystem::path(folder + (folder.ends_with('/') ? "" : "/") + text)
                              .lexically_normal(),
                    std::nullopt};
  if (userFolder.empty()) return file;
  if (const auto below = PlaceBelow(programFolder, file.shipped))
    file.userCopy = userFolder / *below;
  return file;
}

TemplateRead TemplateToRead(const TemplateFile& file) {
  if (CopyShadowsShipped(file)) return {file.userCopy->string(), true};
  return {file.shipped.string(), false};
}

std::string UserCopyReadNote(const std::string& path) {
  return "Built with your own copy of the template: " + path;
}

TemplateToOpen TemplateToEdit(const TemplateFile& file) {
  if (!file.userCopy) return {file.shipped.string(), std::nullopt};
  // Nothing shipped to copy: the named file is opened, to be made there.
  if (!Exists(file.shipped)) {
    return {Exists(*file.userCopy) ? file.userCopy->string() : file.shipped.string(), std::nullopt};
  }
  const bool current =
      Exists(*file.userCopy) &&
      !(IsUnchangedCopy(*file.userCopy) && ShippedFileChangedSince(*file.userCopy, file.shipped));
  if (current) return {file.userCopy->string(), std::nullopt};
  try {
    MakeUserCopy(file.shipped, *file.userCopy);
    return {file.userCopy->string(), std::nullopt};
  } catch (const platform::RunTimeError& error) {
    return {file.shipped.string(), error};
  }
}

TemplateRead HeadTemplatePath(const std::filesystem::path& programFolder) {
  return TemplateToRead(HeadTemplate(programFolder, UserTemplateFolder()));
}

TemplateRead TailTemplatePath(const std::filesystem::path& programFolder, const std::string& text) {
  return TemplateToRead(TailTemplate(programFolder, UserTemplateFolder(), text));
}

}  // namespace orvale
