#pragma once

#include <filesystem>
#include <string>

namespace orvale {

// What the tail template box holds for a file chosen in the Open dialog: the
// short form "./below/the/folder" for a file in or under the program folder
// (names compared without regard to letter case), the full path otherwise,
// which the template readers take as it is.
std::string TailTemplateText(const std::filesystem::path& programFolder, const std::string& chosen);

}  // namespace orvale
