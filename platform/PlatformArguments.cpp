#include "platform/PlatformArguments.h"

#include "platform/DisplayCheck.h"

namespace platform {

PlatformArguments::PlatformArguments(const char* programName) {
  texts_.emplace_back(programName);
  const std::string platforms = PlatformsToTry();
  if (!platforms.empty()) {
    texts_.emplace_back("-platform");
    texts_.push_back(platforms);
  }
  for (std::string& text : texts_) values_.push_back(text.data());
  count_ = int(values_.size());
  values_.push_back(nullptr);
}

}  // namespace platform
