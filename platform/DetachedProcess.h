#pragma once

#include <string>
#include <vector>

namespace platform {

// Starts a program that outlives its starter and is never waited for (the
// starter reaps only the short-lived middle process). False when the program
// could not be started at all.
bool StartDetachedProcess(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& workingFolder);

}  // namespace platform
