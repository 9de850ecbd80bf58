#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/DisplayCheck.h"

namespace {

// Sets or clears environment variables for one test and puts them back.
class EnvironmentScope {
 public:
  explicit EnvironmentScope(std::vector<std::pair<std::string, const char*>> values) {
    for (const auto& [name, value] : values) {
      const char* old = std::getenv(name.c_str());
      saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
      if (value)
        setenv(name.c_str(), value, 1);
      else
        unsetenv(name.c_str());
    }
  }
  ~EnvironmentScope() {
    for (const auto& [name, value] : saved_) {
      if (value)
        setenv(name.c_str(), value->c_str(), 1);
      else
        unsetenv(name.c_str());
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace

// A window can be made with a display or on a platform that needs none; a
// person sees it only where the platform does not draw off screen.
TEST(DisplayCheck, ADisplayOrAPlatformThatNeedsNoneAndWhetherAPersonSeesIt) {
  const struct {
    const char* rule;
    const char* display;
    const char* wayland;
    const char* platform;
    bool has;
    bool seen;
  } rows[] = {
      {"X display", ":0", nullptr, nullptr, true, true},
      {"Wayland display", nullptr, "wayland-0", nullptr, true, true},
      {"nothing", nullptr, nullptr, nullptr, false, false},
      {"empty values count as unset", "", "", "", false, false},
      {"offscreen needs no display, and nobody sees it", nullptr, nullptr, "offscreen", true,
       false},
      {"offscreen wins over a display", ":0", nullptr, "offscreen", true, false},
      {"minimal draws where nobody looks", nullptr, nullptr, "minimal", true, false},
      {"vnc needs no display, and a viewer sees it", nullptr, nullptr, "vnc", true, true},
      {"xcb still needs one", nullptr, nullptr, "xcb", false, false},
      {"wayland still needs one", nullptr, nullptr, "wayland-egl", false, false},
  };
  for (const auto& row : rows) {
    EnvironmentScope scope({{"DISPLAY", row.display},
                            {"WAYLAND_DISPLAY", row.wayland},
                            {"QT_QPA_PLATFORM", row.platform}});
    EXPECT_EQ(platform::HasDisplay(), row.has) << row.rule;
    EXPECT_EQ(platform::ShowsWindows(), row.seen) << row.rule;
  }
}
