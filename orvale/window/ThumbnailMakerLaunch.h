#pragma once

#include <filesystem>
#include <string>

#include "platform/HostServices.h"

namespace orvale {

// Makes sure the built folder has its ThumbNails sub-folder and starts the
// thumbnail maker from the program folder with that folder (ending in "/",
// unquoted, as one argument). Returns as soon as the process is started; it
// is never waited for. A missing path is reported and the start still made,
// since the thumbnail maker reports the missing folder itself; any other
// failure to make the sub-folder ends the launch quietly.
void LaunchThumbnailMaker(const std::string& currentFolder, platform::HostServices& host,
                          const std::filesystem::path& programFolder);

}  // namespace orvale
