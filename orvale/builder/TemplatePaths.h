#pragma once

#include <filesystem>
#include <string>

namespace orvale {

// The head template in the program folder. Its name is matched without
// regard to letter case, as users and older copies spell it either way.
std::string HeadTemplatePath(const std::filesystem::path& programFolder);

// The tail template: the box's text joined to the program folder, or the
// text itself when it is an absolute path.
std::string TailTemplatePath(const std::filesystem::path& programFolder, const std::string& text);

}  // namespace orvale
