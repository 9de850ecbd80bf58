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
  // The name's own bytes, which open the file even where page text had to
  // replace some of them.
  std::string fileName = {};
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

// A video by the text after the name's last dot, in any letter case: mp4,
// m4v, mov or webm.
bool IsVideoName(const std::string& name);

// Whether a build lists the file: a picture by IsPictureName, and with
// `allMedia` also PNG, WebP, HEIC and HEIF pictures and videos, told by the
// text after the last dot in any letter case.
bool IsListedName(const std::string& name, bool includeBmpGifTif, bool allMedia);

}  // namespace orvale
