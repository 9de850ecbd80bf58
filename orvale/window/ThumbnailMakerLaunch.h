#pragma once

#include <filesystem>
#include <string>

#include "orvale/builder/ThumbnailMaker.h"
#include "platform/HostServices.h"

namespace orvale {

// Makes sure the built folder has the sub-folders that ask for `outputs`
// and starts the thumbnail maker from the program folder on that folder,
// for every kind of photo and video when `allMedia` says so. Returns as soon as the process
// is started; it is never waited for. For thumbnails, a missing path is
// reported and the start still made, since the thumbnail maker reports the
// missing folder itself, and any other failure to make ThumbNails ends the
// launch quietly. A Web folder that cannot be made is said, and the
// thumbnails, if asked for, are still made.
void LaunchThumbnailMaker(const std::string& currentFolder, const ThumbnailMakerOutputs& outputs,
                          bool allMedia, platform::HostServices& host,
                          const std::filesystem::path& programFolder);

}  // namespace orvale
