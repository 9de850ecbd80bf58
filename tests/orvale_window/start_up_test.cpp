#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/TempFolder.h"
#include "orvale/window/WindowStartUp.h"

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

TEST(CommandLinePaths, PathsAreHandedOverAsADropWould) {
  const std::string here = std::filesystem::current_path().string();
  using Paths = std::optional<std::vector<std::string>>;
  const struct {
    const char* rule;
    std::vector<std::string> arguments;
    Paths paths;
  } rows[] = {
      {"no arguments, no build", {}, Paths{std::vector<std::string>{}}},
      {"absolute paths as they are", {"/p/My Photos", "/q/a.jpg"}, Paths{{"/p/My Photos", "/q/a.jpg"}}},
      {"relative paths made absolute", {"Trip"}, Paths{{here + "/Trip"}}},
      {"-- ends the options", {"--", "-odd"}, Paths{{here + "/-odd"}}},
      {"a lone dash is a name", {"-"}, Paths{{here + "/-"}}},
      {"unknown options are refused", {"--bogus", "/p"}, std::nullopt},
  };
  for (const auto& row : rows) {
    std::string problem;
    EXPECT_EQ(orvale::CommandLinePaths(row.arguments, problem), row.paths) << row.rule;
    EXPECT_EQ(problem.empty(), row.paths.has_value()) << row.rule << ": " << problem;
  }
}

TEST(HasDisplay, ADisplayOrAPlatformThatNeedsNone) {
  const struct {
    const char* rule;
    const char* display;
    const char* wayland;
    const char* platform;
    bool has;
  } rows[] = {
      {"X display", ":0", nullptr, nullptr, true},
      {"Wayland display", nullptr, "wayland-0", nullptr, true},
      {"nothing", nullptr, nullptr, nullptr, false},
      {"empty values count as unset", "", "", "", false},
      {"offscreen needs no display", nullptr, nullptr, "offscreen", true},
      {"xcb still needs one", nullptr, nullptr, "xcb", false},
      {"wayland still needs one", nullptr, nullptr, "wayland", false},
  };
  for (const auto& row : rows) {
    EnvironmentScope scope(
        {{"DISPLAY", row.display}, {"WAYLAND_DISPLAY", row.wayland}, {"QT_QPA_PLATFORM", row.platform}});
    EXPECT_EQ(orvale::HasDisplay(), row.has) << row.rule;
  }
}

TEST(WindowProgram, WithoutADisplayItSaysHowToBuildAndExits2) {
#ifndef ORVALE_EXECUTABLE
  GTEST_SKIP() << "built without the orvale executable";
#else
  TempFolder scratch;
  const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" +
                              std::string(ORVALE_EXECUTABLE) + "' '" + scratch.path().string() +
                              "' >'" + (scratch.path() / "out").string() + "' 2>'" +
                              (scratch.path() / "err").string() + "'";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
  const std::string err = TempFolder::read(scratch.path() / "err");
  EXPECT_NE(err.find("needs a display"), std::string::npos) << err;
  EXPECT_NE(err.find("orvale --build"), std::string::npos) << err;
  EXPECT_EQ(TempFolder::read(scratch.path() / "out"), "");
  EXPECT_FALSE(std::filesystem::exists(scratch.path() / "Index.htm")) << "nothing was built";
#endif
}
