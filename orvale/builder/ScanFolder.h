#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "orvale/builder/BuildOptions.h"
#include "orvale/builder/Module1.h"
#include "platform/HostServices.h"

namespace orvale {

// What one scan did, told to the build that ran it.
struct ScanOutcome {
  // The folder was opened, so CurrentFolder names it and not an earlier scan's.
  bool folderReached = false;
  // The page is in place at CurrentFolder + PageFileName.
  bool pageWritten = false;
  // The user's own template copies the page was built from, for the build
  // to say so where the user looks.
  std::vector<std::string> userCopiesRead;
};

// Turns one folder into a slide show page: collects and orders its pictures,
// asks before replacing an existing page, writes the page from the head
// template, the quoted picture list and the tail template, and reports its
// own failures in one message. Sets state.CurrentFolder once the folder is
// opened; a folder that cannot be opened leaves it as it was.
ScanOutcome ScanFolder(const std::string& folderPath, const BuildOptions& options, Module1& state,
                       platform::HostServices& host, const std::filesystem::path& programFolder);

}  // namespace orvale
