#include "orvale/builder/ImageCollection.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>
#include <memory>

#include "orvale/builder/PictureListText.h"
#include "orvale/builder/ProgramName.h"
#include "platform/RunTimeError.h"

namespace orvale {

namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

platform::RunTimeError FolderError(int errnoValue) {
  return platform::RunTimeError::fromErrno(errnoValue, platform::FileOperation::kOpenFolder,
                                           kProgramName);
}

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// The text after the last dot, upper-cased; empty for a name without a dot.
std::string UpperExtension(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) return {};
  std::string extension = name.substr(dot + 1);
  for (char& c : extension) c = UpperAscii(c);
  return extension;
}

bool IsOneOf(const std::string& extension, std::initializer_list<const char*> extensions) {
  for (const char* candidate : extensions)
    if (extension == candidate) return true;
  return false;
}

}  // namespace

std::string OpenScanFolder(const std::string& folderPath) {
  if (folderPath.empty() || folderPath.find('\0') != std::string::npos)
    throw platform::RunTimeError::standard(platform::kPathNotFound, kProgramName);
  struct stat info {};
  if (stat(folderPath.c_str(), &info) != 0) throw FolderError(errno);
  if (!S_ISDIR(info.st_mode))
    throw platform::RunTimeError::standard(platform::kPathNotFound, kProgramName);
  DirHandle probe(opendir(folderPath.c_str()));
  if (!probe) throw FolderError(errno);

  std::error_code error;
  std::filesystem::path full = std::filesystem::absolute(folderPath, error);
  if (error) throw platform::RunTimeError::fromErrno(error.value(), kProgramName);
  std::string text = full.lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  if (text != "/") text += '/';
  return text;
}

std::vector<FileRow> ListFolderFiles(const std::string& folder) {
  DirHandle dir(opendir(folder.c_str()));
  if (!dir) throw FolderError(errno);
  const int dirFd = dirfd(dir.get());
  std::vector<FileRow> rows;
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(dir.get());
    if (!entry) {
      if (errno != 0) throw FolderError(errno);
      break;
    }
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat info {};
    // A link counts as what it points to; a dangling one as the link itself.
    if (fstatat(dirFd, entry->d_name, &info, 0) != 0 &&
        fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
      // Only a file that vanished while listing is passed over: a folder
      // whose files cannot be examined is a failure to report, not a folder
      // without pictures.
      if (errno == ENOENT) continue;
      throw platform::RunTimeError::fromErrno(errno, kProgramName);
    }
    if (S_ISDIR(info.st_mode)) continue;
    rows.push_back({ToPageText(name), std::int64_t(info.st_mtim.tv_sec), name});
  }
  return rows;
}

bool IsPictureName(const std::string& name, bool includeBmpGifTif) {
  if (name.size() < 3) return false;
  std::string last(name.end() - 3, name.end());
  for (char& c : last) c = UpperAscii(c);
  if (last == "JPG" || last == "PEG") return true;
  return includeBmpGifTif && (last == "BMP" || last == "GIF" || last == "TIF");
}

bool IsVideoName(const std::string& name) {
  return IsOneOf(UpperExtension(name), {"MP4", "M4V", "MOV", "WEBM"});
}

bool IsListedName(const std::string& name, bool includeBmpGifTif, bool allMedia) {
  if (IsPictureName(name, includeBmpGifTif)) return true;
  return allMedia &&
         (IsVideoName(name) || IsOneOf(UpperExtension(name), {"PNG", "WEBP", "HEIC", "HEIF"}));
}

}  // namespace orvale
