#include "platform/DisplayCheck.h"

#include <cstdlib>

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

std::string PlatformsToTry() {
  if (!NeedsDisplayServer()) return "";
  if (!DisplayNamed()) return "offscreen";
  std::string platforms(Variable("QT_QPA_PLATFORM"));
  if (platforms.empty()) {
    // Qt's own choice: Wayland before X where both are named.
    if (!Variable("WAYLAND_DISPLAY").empty()) platforms = "wayland;";
    if (!Variable("DISPLAY").empty()) platforms += "xcb;";
  } else if (platforms.find("offscreen") == std::string::npos) {
    platforms += ';';
  } else {
    return platforms;
  }
  return platforms + "offscreen";
}

std::string NamedDisplays() {
  std::string named;
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    if (Variable(name).empty()) continue;
    if (!named.empty()) named += " and ";
    named += std::string(name) + "=" + std::string(Variable(name));
  }
  return named;
}

bool ShowsWindows(std::string_view startedPlatform) {
  return !startedPlatform.starts_with("offscreen") && !startedPlatform.starts_with("minimal");
}

}  // namespace platform
