#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tesselet {

// Whether a file name is one the thumbnail maker takes: its extension (after
// its last dot), in any case, is jpg, jpeg, jpe, gif or bmp. Every JPEG the
// page shows as a photo thus gets a thumbnail; the page asks for thumbnails
// by the same rule. With allMedia (photos and videos of every kind) png,
// webp, heic, heif, mp4, m4v, mov and webm are taken too.
bool IsPictureFileName(const std::string& name, bool allMedia = false);

// The picture file names of a folder (the text as typed, a "/" added when it
// lacks one, so an empty text is the root folder), in the order the file
// system lists them: ordinary files only, hidden ones (a leading dot) left
// out. Names are the file system's bytes. A folder that does not exist lists
// nothing; any other failure to list it raises a run-time error.
std::vector<std::string> ListImageFiles(const std::string& folderText, bool allMedia = false);

// How many picture files the folder holds by the same rule; failures are
// ignored and the count reached so far stands.
std::int32_t CountPictureFiles(const std::string& folder, bool allMedia = false);

}  // namespace tesselet
