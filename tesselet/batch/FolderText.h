#pragma once

#include <string>

namespace tesselet {

// The text without the blanks at either end (tabs and other characters
// stay, as a folder name may hold them).
std::string TrimBlanks(const std::string& text);

// The folder text ending in one "/" (nothing added when it has one).
std::string WithTrailingSlash(const std::string& folder);

// A thumbnails folder the batch may write to: the trimmed text is not empty
// and names an existing entry of the file system.
bool IsUsableDestination(const std::string& folderText);

}  // namespace tesselet
