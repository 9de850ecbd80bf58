#pragma once

#include <filesystem>
#include <string>

#include "orvale/builder/BuildOptions.h"
#include "platform/HostServices.h"
#include "orvale/builder/Module1.h"

namespace orvale {

// Turns one folder into a slide show page: collects and orders its pictures,
// asks before replacing an existing page, writes the page from the head
// template, the quoted picture list and the tail template, and reports its
// own failures in one message. Sets state.CurrentFolder, and state.PageWritten
// once the page is in place.
void ScanFolder(const std::string& folderPath, const BuildOptions& options, Module1& state,
                platform::HostServices& host, const std::filesystem::path& programFolder);

}  // namespace orvale
