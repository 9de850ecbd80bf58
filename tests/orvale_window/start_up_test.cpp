#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "orvale/window/WindowStartUp.h"
#include "tests/orvale_window/WindowTestSupport.h"
#include "tests/support/TempFolder.h"

TEST(WindowProgram, TheCommandLineIsReadBeforeAnyWindowOpens) {
#ifndef ORVALE_EXECUTABLE
  GTEST_SKIP() << "built without the orvale executable";
#else
  // No display at all, or one named where nothing listens: a run that
  // wants its window says so and exits 2.
  const struct {
    const char* rule;
    std::vector<std::string> arguments;
    int status;
    std::string out;           // how standard output starts; "" for nothing at all
    std::string err;           // how standard error starts; "" for nothing at all
    std::string display = "";  // variables naming a display, as "NAME=value ..."
  } rows[] = {
      {"no display for the window", {}, 2, "", "orvale: the window needs a display"},
      {"a path after -- is still a window start",
       {"--", "-odd"},
       2,
       "",
       "orvale: the window needs a display"},
      {"an unknown option is bad usage, said before anything else",
       {"--bogus"},
       2,
       "",
       "orvale: unknown option: --bogus\n"},
      {"the version", {"--version"}, 0, "orvale " ORVALE_VERSION "\n", ""},
      {"the help", {"--help"}, 0, "Usage: orvale --build DIR", ""},
      {"an X display that cannot be reached",
       {},
       2,
       "",
       "orvale: the window needs a display, and the one named (DISPLAY=:65000) cannot be "
       "reached.",
       "DISPLAY=:65000"},
      {"a stale Wayland display",
       {},
       2,
       "",
       "orvale: the window needs a display, and the one named "
       "(WAYLAND_DISPLAY=orvale-test-stale) cannot be reached.",
       "WAYLAND_DISPLAY=orvale-test-stale"},
  };
  const auto starts = [](const std::string& text, const std::string& start) {
    return start.empty() ? text.empty() : text.rfind(start, 0) == 0;
  };
  // What the program says, past the lines Qt logs on its way to a platform.
  const auto own = [](const std::string& text) {
    std::string kept;
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = std::min(text.find('\n', at), text.size() - 1) + 1;
      const std::string line = text.substr(at, end - at);
      if (line.rfind("qt.", 0) != 0 && line.rfind("QStandardPaths:", 0) != 0) kept += line;
      at = end;
    }
    return kept;
  };
  for (const auto& row : rows) {
    TempFolder scratch;
    std::string command = "cd '" + scratch.path().string() +
                          "' && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                          row.display + " '" + std::string(ORVALE_EXECUTABLE) + "'";
    for (const auto& argument : row.arguments) command += " '" + argument + "'";
    command += " >out 2>err";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << row.rule;
    EXPECT_EQ(WEXITSTATUS(status), row.status) << row.rule;
    const std::string out = TempFolder::read(scratch.path() / "out");
    const std::string err = own(TempFolder::read(scratch.path() / "err"));
    EXPECT_TRUE(starts(out, row.out)) << row.rule << ": " << out;
    EXPECT_TRUE(starts(err, row.err)) << row.rule << ": " << err;
  }
#endif
}

namespace {

// Ends the run on window events once the build has opened its page.
struct HostThatClosesOnOpen : platform::RecordingHostServices {
  void openDocument(const std::string& target, const std::string& workingFolder) override {
    RecordingHostServices::openDocument(target, workingFolder);
    QTimer::singleShot(0, [] { QApplication::closeAllWindows(); });
  }
};

}  // namespace

TEST(StartUp, ThePageIsIndexHtmAndTheCommandLinePathsAreBuilt) {
  TempFolder program, photos;
  program.write("FirstPart.txt", "[\r\n");
  program.write("LastPart.txt", "]\r\n");
  photos.write("a.jpg", "x");
  HostThatClosesOnOpen host;
  orvale::Module1 state;
  common::FormsCollection forms;
  double now = 0;
  orvale::frmMain form(state, host, program.path(), forms, [&now] { return now += 0.05; });
  // Should the page never open, the run still ends.
  QTimer::singleShot(std::chrono::seconds(30), [] { QApplication::closeAllWindows(); });

  EXPECT_EQ(orvale::RunMainWindow(state, form, {photos.path().string()}), 0);
  EXPECT_EQ(state.PageFileName, "Index.htm");
  ASSERT_EQ(host.opened.size(), 1u);
  EXPECT_EQ(host.opened[0].program, photos.withSlash() + "Index.htm");
  EXPECT_EQ(TempFolder::read(photos.path() / "Index.htm"), "[\r\n\r\n\"a.jpg\"]\r\n");
}
