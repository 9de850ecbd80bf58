#include <QProcess>
#include <QTest>

#include "orvale/builder/Module1.h"
#include "orvale/window/frmMain.h"
#include "tests/support/RecordingHostServices.h"
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
    QStringList args;
    for (const auto& argument : arguments) args << QString::fromStdString(argument);
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(workingFolder));
    process.start(QString::fromStdString(program), args);
    if (!process.waitForFinished(120000)) return false;
    exitCode = process.exitCode();
    return true;
  }
};

}  // namespace

// The whole system: a folder dropped on the slide show maker's window with
// "Create Thumbnails" ticked gives the page and a thumbnail of every picture.
TEST(CreateThumbnailsBuild, DropMakesThePageAndAllThumbnails) {
  TempFolder program;
  for (const char* name : {"FirstPart.txt", "LastPart.txt"})
    std::filesystem::copy_file(std::filesystem::path(ORVALE_BIN_DIR) / name, program.path() / name);
  std::filesystem::create_symlink(TESSELET_EXECUTABLE, program.path() / "tesselet");
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
