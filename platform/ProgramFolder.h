#pragma once

#include <filesystem>

namespace platform {

// The folder that holds the running executable. Both programs and every file
// shipped with them live there.
std::filesystem::path ProgramFolder();

}  // namespace platform
