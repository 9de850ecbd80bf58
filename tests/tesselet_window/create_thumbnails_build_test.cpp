#include <QTest>
#include <sstream>

#include "orvale/builder/CommandLine.h"
#include "orvale/builder/CommandLineBuild.h"
#include "orvale/builder/Module1.h"
#include "orvale/window/frmMain.h"
#include "tests/support/RecordingHostServices.h"
#include "tests/support/UnattendedRun.h"
#include "tests/tesselet_window/TesseletTestSupport.h"

namespace {

// Records like the test host, but really starts the program it is asked to
// start, and waits for it, so the test sees what it made.
class StartingHost : public platform::RecordingHostServices {
 public:
  int exitCode = -1;
  bool startProgram(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& workingFolder) override {
    RecordingHostServices::startProgram(program, arguments, workingFolder);
    std::vector<std::string> command{program};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const TempFolder scratch;
    const unattended_run::Outcome run = unattended_run::Finish(
        unattended_run::Start(command, scratch.path() / "errors", {.workingFolder = workingFolder}),
        std::chrono::seconds(120));
    if (!run.ended) return false;
    exitCode = run.status;
    return true;
  }
};

}  // namespace

// A program folder as installed: the templates and the thumbnail maker.
void FillProgramFolder(const TempFolder& program) {
  for (const char* name : {"FirstPart.txt", "LastPart.txt"})
    std::filesystem::copy_file(std::filesystem::path(ORVALE_BIN_DIR) / name, program.path() / name);
  std::filesystem::create_symlink(TESSELET_EXECUTABLE, program.path() / "tesselet");
}

// The whole system: a folder dropped on the slide show maker's window with
// "Create Thumbnails" ticked gives the page and a thumbnail of every picture.
TEST(CreateThumbnailsBuild, DropMakesThePageAndAllThumbnails) {
  TempFolder program;
  FillProgramFolder(program);
  TempFolder photos;
  tesselet_test::WritePicture(photos, "first.jpg", 300, 200);
  tesselet_test::WritePicture(photos, "second.jpg", 200, 300);
  tesselet_test::WritePicture(photos, "third.JPG", 60, 40);

  StartingHost host;
  orvale::Module1 state;
  common::FormsCollection forms;
  double now = 1000;
  orvale::frmMain form(state, host, program.path(), forms, [&now] { return now += 0.05; });
  form.show();
  form.chkCreateThumbnails.setChecked(true);
  form.txtFolderToBrowse_OLEDragDrop(std::vector<std::string>{photos.path().string()});

  ASSERT_EQ(host.started.size(), 1u);
  EXPECT_EQ(host.exitCode, 0);
  EXPECT_TRUE(std::filesystem::exists(photos.path() / "Index.htm"));
  EXPECT_EQ(tesselet_test::Names(photos.path() / "ThumbNails"),
            (std::vector<std::string>{"thumbfirst.jpg", "thumbsecond.jpg", "thumbthird.jpg"}));
  EXPECT_EQ(tesselet_test::PictureSize(photos.path() / "ThumbNails/thumbsecond.jpg"),
            std::make_pair(33, 50));
}

// `orvale --build DIR --thumbnails` (or `--web`) waits for the thumbnail
// maker and folds its outcome into its own exit status; the page is written
// either way.
TEST(CreateThumbnailsBuild, HeadlessBuildWaitsForTheThumbnailsAndSaysHowThatWent) {
  struct Case {
    const char* rule;
    const char* option;
    bool damaged;
    bool programThere;
    int status;
    std::vector<std::string> thumbnails;
    std::vector<std::string> tiles;
  };
  const Case cases[] = {
      {"every thumbnail made",
       "--thumbnails",
       false,
       true,
       0,
       {"thumbfirst.jpg", "thumbsecond.jpg"},
       {}},
      {"a damaged picture fails the build, the others get theirs",
       "--thumbnails",
       true,
       true,
       1,
       {"thumbfirst.jpg"},
       {}},
      {"no thumbnail maker to run", "--thumbnails", false, false, 1, {}, {}},
      {"web copies alone: no ThumbNails folder",
       "--web",
       false,
       true,
       0,
       {},
       {"first.jpg.jpg", "second.jpg.jpg"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rule);
    TempFolder program;
    FillProgramFolder(program);
    if (!c.programThere) std::filesystem::remove(program.path() / "tesselet");
    TempFolder photos;
    tesselet_test::WritePicture(photos, "first.jpg", 300, 200);
    if (c.damaged)
      photos.write("second.jpg", "\xFF\xD8\xFF not a picture");
    else
      tesselet_test::WritePicture(photos, "second.jpg", 200, 300);
    const orvale::CommandLine command =
        orvale::ParseCommandLine({"--build", photos.path().string(), "--by-name", c.option});
    std::ostringstream out, err;
    EXPECT_EQ(orvale::RunCommandLineBuild(std::get<orvale::HeadlessBuild>(command), out, err,
                                          program.path()),
              c.status)
        << err.str();
    EXPECT_TRUE(std::filesystem::exists(photos.path() / "Index.htm"));
    EXPECT_EQ(tesselet_test::Names(photos.path() / "ThumbNails"), c.thumbnails);
    EXPECT_EQ(tesselet_test::Names(photos.path() / "Web/240"), c.tiles);
  }
}

// The real `orvale --build DIR --thumbnails`, as a script runs it: what the
// thumbnail maker reports reaches the script's standard error.
TEST(CreateThumbnailsBuild, HeadlessBuildPassesTheThumbnailMakersReportOn) {
  TempFolder photos;
  tesselet_test::WritePicture(photos, "first.jpg", 300, 200);
  photos.write("second.jpg", "\xFF\xD8\xFF not a picture");
  const TempFolder results;
  const auto errorsFile = results.path() / "errors";
  const pid_t child = unattended_run::Start(
      {std::string(ORVALE_BIN_DIR) + "/orvale", "--build", photos.path().string(), "--thumbnails"},
      errorsFile, {{{"XDG_DATA_HOME", results.path().string()}}});
  ASSERT_GT(child, 0);
  const unattended_run::Outcome run = unattended_run::Finish(child);
  const std::string errors = TempFolder::read(errorsFile);
  ASSERT_TRUE(run.ended) << errors;
  EXPECT_EQ(run.status, 1) << errors;
  EXPECT_NE(errors.find("Tesselet: 1 of 2 pictures could not be read; it has no thumbnail:\n"
                        "\"second.jpg\" (picture "),
            std::string::npos)
      << errors;
}
