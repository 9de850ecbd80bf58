#include "tesselet/batch/FolderText.h"

#include <sys/stat.h>

namespace tesselet {

std::string TrimBlanks(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string WithTrailingSlash(const std::string& folder) {
  if (!folder.empty() && folder.back() == '/') return folder;
  return folder + '/';
}

bool IsUsableDestination(const std::string& folderText) {
  const std::string folder = TrimBlanks(folderText);
  struct stat info {};
  // Any entry passes, a file too: writing the first thumbnail then fails
  // with the writer's own description.
  return !folder.empty() && ::stat(folder.c_str(), &info) == 0;
}

}  // namespace tesselet
