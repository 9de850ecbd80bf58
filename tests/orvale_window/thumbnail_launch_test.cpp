#include <sys/stat.h>

#include <QMimeData>

#include "orvale/window/ThumbnailMakerLaunch.h"
#include "tests/orvale_window/WindowTestSupport.h"
#include "tests/support/Unprivileged.h"

namespace {

bool IsFolder(const std::filesystem::path& path) { return std::filesystem::is_directory(path); }

}  // namespace

TEST_F(MainWindowTest, TickedBuildMakesThumbNailsAndStartsTheThumbnailMaker) {
  TempFolder parent;
  const struct {
    const char* rule;
    std::string folderName;
    bool thumbNailsExist;
    bool thumbnails, webCopies;
    bool allMedia = false;
  } rows[] = {
      {"plain folder", "Trip", false, true, false},
      {"a blank in the name stays unquoted", "My Photos", false, true, false},
      {"an existing ThumbNails folder is kept", "Kept", true, true, false},
      {"web copies alone make Web only", "Web only", false, false, true},
      {"both make both folders, one start", "Both", false, true, true},
      {"every kind: the word, then the folder", "All kinds", false, true, true, true},
  };
  for (const auto& row : rows) {
    form->chkCreateThumbnails.setChecked(row.thumbnails);
    form->chkMakeWebCopies.setChecked(row.webCopies);
    form->chkAllMedia.setChecked(row.allMedia);
    const auto folder = parent.path() / row.folderName;
    parent.write(row.folderName + "/a.jpg", "x");
    if (row.thumbNailsExist) parent.write(row.folderName + "/ThumbNails/thumba.jpg", "old");
    host = {};

    ASSERT_TRUE(DropOnBox(*Files({folder.string()}))) << row.rule;

    EXPECT_EQ(IsFolder(folder / "ThumbNails"), row.thumbnails || row.thumbNailsExist) << row.rule;
    EXPECT_EQ(IsFolder(folder / "Web"), row.webCopies) << row.rule;
    ASSERT_EQ(host.started.size(), 1u) << row.rule;
    EXPECT_EQ(host.started[0].program, (program.path() / "tesselet").string()) << row.rule;
    std::vector<std::string> arguments{folder.string() + "/"};
    if (row.allMedia) arguments.insert(arguments.begin(), "--all-media");
    EXPECT_EQ(host.started[0].arguments, arguments)
        << row.rule << ": the folder with its slash as one argument";
    EXPECT_EQ(host.started[0].workingFolder, program.path().string()) << row.rule;
    EXPECT_TRUE(host.messages.empty()) << row.rule;
    EXPECT_EQ(host.opened.size(), 1u) << row.rule << ": the build still opens its page";
    if (row.thumbNailsExist) {
      EXPECT_EQ(TempFolder::read(folder / "ThumbNails/thumba.jpg"), "old") << row.rule;
    }
  }

  // Each ticked build starts one more thumbnail maker.
  form->chkMakeWebCopies.setChecked(false);
  host = {};
  parent.write("Trip/Index.htm", "x");
  host.answers = {true};
  ASSERT_TRUE(DropOnBox(*Files({(parent.path() / "Trip").string()})));
  EXPECT_EQ(host.started.size(), 1u);
}

TEST_F(MainWindowTest, NoThumbnailsUnlessTickedAndTheFolderWasReached) {
  TempFolder photos;
  photos.write("a.jpg", "x");

  ASSERT_TRUE(DropOnBox(*Files({photos.path().string()})));
  EXPECT_FALSE(IsFolder(photos.path() / "ThumbNails")) << "box not ticked";
  EXPECT_TRUE(host.started.empty());

  // Ticked, but the folder of this build cannot be opened: the earlier
  // build's folder must not get the thumbnails.
  form->chkCreateThumbnails.setChecked(true);
  host = {};
  QMimeData text;
  text.setText("not a folder");
  ASSERT_TRUE(DropOnBox(text));
  ASSERT_TRUE(DropOnBox(*Files({(photos.path() / "gone").string()})));
  EXPECT_FALSE(IsFolder(photos.path() / "ThumbNails"));
  EXPECT_TRUE(host.started.empty());
  EXPECT_EQ(state.CurrentFolder, photos.withSlash()) << "the last folder reached is kept";
}

TEST(LaunchThumbnailMaker, FailuresToMakeThumbNails) {
  TempFolder program, folder;
  folder.write("ThumbNails", "a file, not a folder");
  folder.write("Web", "a file, not a folder");
  const std::string gone = (folder.path() / "gone").string() + "/";
  const orvale::ThumbnailMakerOutputs thumbnails{true, false}, copies{false, true},
      both{true, true};
  const struct {
    const char* rule;
    std::string currentFolder;
    orvale::ThumbnailMakerOutputs outputs;
    bool started;
    std::vector<platform::RecordingHostServices::Message> messages;
  } rows[] = {
      {"the folder has gone: said, and started anyway",
       gone,
       thumbnails,
       true,
       {{"Creating a new folder! ", "New Folder"}}},
      {"the folder has gone, copies too: said once",
       gone,
       both,
       true,
       {{"Creating a new folder! ", "New Folder"}}},
      {"ThumbNails is a file: ends quietly", folder.withSlash(), thumbnails, false, {}},
      {"Web is a file: said, nothing to start",
       folder.withSlash(),
       copies,
       false,
       {{"File already exists: " + folder.withSlash() + "Web", "Orvale"}}},
  };
  for (const auto& row : rows) {
    platform::RecordingHostServices host;
    orvale::LaunchThumbnailMaker(row.currentFolder, row.outputs, false, host, program.path());
    EXPECT_EQ(host.started.size(), row.started ? 1u : 0u) << row.rule;
    EXPECT_EQ(host.messages, row.messages) << row.rule;
  }
}

TEST(LaunchThumbnailMaker, ReadOnlyFolderEndsQuietly) {
  TempFolder program, folder;
  ::chmod(folder.path().c_str(), 0555);
  const auto result = RunUnprivileged([&] {
    platform::RecordingHostServices host;
    orvale::LaunchThumbnailMaker(folder.withSlash(), {true, false}, false, host, program.path());
    return int(host.started.size() + 10 * host.messages.size());
  });
  if (!result) GTEST_SKIP() << "cannot drop privileges here";
  EXPECT_EQ(*result, 0) << "nothing started, nothing said";
  EXPECT_FALSE(IsFolder(folder.path() / "ThumbNails"));
}

TEST(LaunchThumbnailMaker, AThumbnailMakerThatCannotStartIsReported) {
  TempFolder program, folder;
  platform::RecordingHostServices host;
  host.startSucceeds = false;
  orvale::LaunchThumbnailMaker(folder.withSlash(), {true, false}, false, host, program.path());
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].title, "Orvale");
  EXPECT_NE(host.messages[0].body.find((program.path() / "tesselet").string()), std::string::npos);
}
