#include "platform/ProgramFolder.h"

#include <system_error>

namespace platform {

std::filesystem::path ProgramFolder() {
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) return executable.parent_path();
  // Without /proc the working folder is the best guess; with neither, the
  // files beside the program are looked for where a relative path leads.
  const auto working = std::filesystem::current_path(error);
  return error ? std::filesystem::path(".") : working;
}

}  // namespace platform
