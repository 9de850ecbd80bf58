#pragma once

#include <string>
#include <vector>

namespace platform {

// Runs a program in the working folder, with the given variables added to
// this process's environment ("NAME=value"), and waits for it to end. Its
// standard streams are this process's. Returns its exit status, 128 plus the
// signal's number when a signal ended it (as a shell reports it), or -1
// when it could not be started.
int RunProgramAndWait(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& workingFolder,
                      const std::vector<std::string>& addedEnvironment = {});

}  // namespace platform
