#pragma once

#include <string>
#include <vector>

namespace platform {

// The command line a program hands Qt: its name, and the platforms to try
// (PlatformsToTry) when the environment leaves a choice. Nothing of the
// program's own command line reaches Qt, so no path is ever taken for one of
// Qt's options. Qt keeps the count and values for the application's life, so
// this object must outlive it.
class PlatformArguments {
 public:
  explicit PlatformArguments(const char* programName);
  PlatformArguments(const PlatformArguments&) = delete;
  PlatformArguments& operator=(const PlatformArguments&) = delete;

  int& count() { return count_; }
  char** values() { return values_.data(); }

 private:
  std::vector<std::string> texts_;
  std::vector<char*> values_;
  int count_ = 0;
};

}  // namespace platform
