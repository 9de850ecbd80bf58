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

// A window can be made with a display or on a platform that needs none. Qt
// tries the display asked for, then offscreen, so that one named but out of
// reach never aborts the program; a person sees the windows only where the
// platform Qt starts on does not draw off screen.
TEST(DisplayCheck, ADisplayOrAPlatformThatNeedsNoneAndWhetherAPersonSeesIt) {
  const struct {
    const char* rule;
    const char* display;
    const char* wayland;
    const char* platform;
    bool has;
    std::string platforms;  // to try in order; "" leaves Qt to the environment
    bool seen;              // on the first of them that starts
  } rows[] = {
      {"X display", ":0", nullptr, nullptr, true, "xcb;offscreen", true},
      {"Wayland display", nullptr, "wayland-0", nullptr, true, "wayland;offscreen", true},
      {"both: Wayland first, as Qt chooses", ":0", "wayland-0", nullptr, true,
       "wayland;xcb;offscreen", true},
      {"nothing", nullptr, nullptr, nullptr, false, "offscreen", false},
      {"empty values count as unset", "", "", "", false, "offscreen", false},
      {"offscreen needs no display, and nobody sees it", nullptr, nullptr, "offscreen", true, "",
       false},
      {"offscreen wins over a display", ":0", nullptr, "offscreen", true, "", false},
      {"minimal draws where nobody looks", nullptr, nullptr, "minimal", true, "", false},
      {"vnc needs no display, and a viewer sees it", nullptr, nullptr, "vnc", true, "", true},
      {"xcb still needs one", nullptr, nullptr, "xcb", false, "offscreen", false},
      {"wayland still needs one", nullptr, nullptr, "wayland-egl", false, "offscreen", false},
      {"the platform asked for comes first", ":0", nullptr, "xcb:nograb", true,
       "xcb:nograb;offscreen", true},
      {"a list that already ends off screen stands", ":0", nullptr, "xcb;offscreen", true,
       "xcb;offscreen", true},
  };
  for (const auto& row : rows) {
    EnvironmentScope scope({{"DISPLAY", row.display},
                            {"WAYLAND_DISPLAY", row.wayland},
                            {"QT_QPA_PLATFORM", row.platform}});
    EXPECT_EQ(platform::HasDisplay(), row.has) << row.rule;
    EXPECT_EQ(platform::PlatformsToTry(), row.platforms) << row.rule;
    const std::string started = row.platforms.empty() ? row.platform : row.platforms;
    EXPECT_EQ(platform::ShowsWindows(started.substr(0, started.find_first_of(":;"))), row.seen)
        << row.rule;
  }
}
