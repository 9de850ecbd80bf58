#include "orvale/builder/TemplatePaths.h"

#include <fcntl.h>

#include <QString>
#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <vector>

#include "orvale/builder/ProgramName.h"
#include "platform/AtomicFile.h"
#include "platform/FileDescriptor.h"
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

// A copy that fails half-way leaves no file behind, so a torn template never
// becomes the one every build reads.
void CopyFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  const platform::FileDescriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (!source.isOpen()) throw platform::RunTimeError::fromErrno(errno, kProgramName);
  std::error_code folderError;
  std::filesystem::create_directories(to.parent_path(), folderError);
  if (folderError) {
    throw platform::RunTimeError::fromErrno(folderError.value(),
                                            platform::FileOperation::kOpenFolder, kProgramName);
  }
  platform::AtomicFile copy(to.string(), kProgramName);
  copy.open();
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const ssize_t got = source.readSome(buffer.data(), buffer.size());
    if (got < 0) throw platform::RunTimeError::fromErrno(errno, kProgramName);
    if (got == 0) break;
    copy.write(buffer.data(), std::size_t(got));
  }
  copy.commit();
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
  if (named.is_absolute()) return {named, std::nullopt};
  const std::string folder = programFolder.string();
  TemplateFile file{
      std::filesystem::path(folder + (folder.ends_with('/') ? "" : "/") + text).lexically_normal(),
      std::nullopt};
  const std::filesystem::path below = named.lexically_normal();
  const bool leavesFolder = below.empty() || *below.begin() == "." || *below.begin() == "..";
  if (!userFolder.empty() && !leavesFolder) file.userCopy = userFolder / below;
  return file;
}

std::string TemplateToRead(const TemplateFile& file) {
  if (file.userCopy && Exists(*file.userCopy)) return file.userCopy->string();
  return file.shipped.string();
}

TemplateToOpen TemplateToEdit(const TemplateFile& file) {
  if (!file.userCopy) return {file.shipped.string(), std::nullopt};
  if (Exists(*file.userCopy)) return {file.userCopy->string(), std::nullopt};
  // Nothing shipped to copy: the named file is opened, to be made there.
  if (!Exists(file.shipped)) return {file.shipped.string(), std::nullopt};
  try {
    CopyFile(file.shipped, *file.userCopy);
    return {file.userCopy->string(), std::nullopt};
  } catch (const platform::RunTimeError& error) {
    return {file.shipped.string(), error};
  }
}

std::string HeadTemplatePath(const std::filesystem::path& programFolder) {
  return TemplateToRead(HeadTemplate(programFolder, UserTemplateFolder()));
}

std::string TailTemplatePath(const std::filesystem::path& programFolder, const std::string& text) {
  return TemplateToRead(TailTemplate(programFolder, UserTemplateFolder(), text));
}

}  // namespace orvale
