#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace orvale {

// One file that lies directly in a scanned folder.
struct FileRow {
  std::string name;       // without its folder, as page text
  std::int64_t modified;  // last modified, whole seconds since the epoch
};

// The folder's absolute path with exactly one trailing "/" ("/" for the root).
// Raises the run-time error for a folder that cannot be opened (76 when there
// is no such folder).
std::string OpenScanFolder(const std::string& folderPath);

// Every file directly in the folder, hidden ones included, sub-folders left
// out, in the order the file system lists them.
std::vector<FileRow> ListFolderFiles(const std::string& folder);

// Picture test on the last three letters of the name, in any letter case:
// JPG and PEG always; BMP, GIF and TIF only when asked.
bool IsPictureName(const std::string& name, bool includeBmpGifTif);

}  // namespace orvale
