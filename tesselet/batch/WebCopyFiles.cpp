#include "tesselet/batch/WebCopyFiles.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstddef>

#include "imaging/ErrorSources.h"
#include "imaging/thumbnail/WebCopies.h"
#include "platform/AtomicFile.h"
#include "platform/RunTimeError.h"
#include "tesselet/batch/FolderText.h"

namespace tesselet {

namespace {

std::string SideFolder(const std::string& webFolder, std::int32_t longSide) {
  return WithTrailingSlash(webFolder) + std::to_string(longSide);
}

}  // namespace

std::string WebFolderOf(const std::string& imageFolder) {
  const std::string folder = WithTrailingSlash(imageFolder) + "Web";
  struct stat info {};
  return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? folder : std::string();
}

std::string WebCopyPath(const std::string& webFolder, std::int32_t longSide,
                        const std::string& fileName) {
  return SideFolder(webFolder, longSide) + "/" + fileName + ".jpg";
}

void WriteWebCopies(const std::string& webFolder, const std::string& fileName,
                    const std::vector<std::string>& copies) {
  for (std::size_t k = 0; k < copies.size() && k < imaging::thumbnail::WebCopies::kLongSides.size();
       ++k) {
    const std::int32_t side = imaging::thumbnail::WebCopies::kLongSides[k];
    // A folder that cannot be made shows as the copy's own failure below.
    ::mkdir(SideFolder(webFolder, side).c_str(), 0777);
    const std::string path = WebCopyPath(webFolder, side, fileName);
    try {
      platform::AtomicFile file(path, imaging::kWebCopySource);
      file.open();
      file.write(copies[k]);
      file.commit();
    } catch (const platform::RunTimeError& error) {
      throw platform::RunTimeError(error.number(), error.source(),
                                   error.description() + ": " + path);
    }
  }
}

}  // namespace tesselet
