#include "platform/DisplayCheck.h"

#include <cstdlib>
#include <string_view>

namespace platform {

namespace {

std::string_view Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool DisplayNamed() { return !Variable("DISPLAY").empty() || !Variable("WAYLAND_DISPLAY").empty(); }

bool PlatformStartsWith(std::string_view prefix) {
  return Variable("QT_QPA_PLATFORM").substr(0, prefix.size()) == prefix;
}

}  // namespace

bool NeedsDisplayServer() {
  return Variable("QT_QPA_PLATFORM").empty() || PlatformStartsWith("xcb") ||
         PlatformStartsWith("wayland");
}

bool HasDisplay() { return !NeedsDisplayServer() || DisplayNamed(); }

bool ShowsWindows() {
  if (NeedsDisplayServer()) return DisplayNamed();
  return !PlatformStartsWith("offscreen") && !PlatformStartsWith("minimal");
}

}  // namespace platform
