#include <QMimeData>
#include <functional>
#include <utility>

#include "orvale/window/DroppedItems.h"
#include "tests/orvale_window/WindowTestSupport.h"

namespace {

using Statuses = std::vector<std::string>;

bool Exists(const std::filesystem::path& path) { return std::filesystem::exists(path); }

}  // namespace

TEST_F(MainWindowTest, DroppedFolderIsBuiltThenOpenedOrBeepedFor) {
  TempFolder photos;
  photos.write("b.jpg", "x");
  photos.write("a.jpg", "x");
  const std::string folder = photos.path().string();

  const struct {
    const char* rule;
    bool runSlideShow;
    int beeps;
    bool opened;
  } rows[] = {
      {"page opened with the folder as working folder", true, 0, true},
      {"not asked to open: three beeps", false, 3, false},
  };
  for (const auto& row : rows) {
    std::filesystem::remove(photos.path() / "Index.htm");
    host = {};
    statuses.clear();
    form->chkRunSlideShow.setChecked(row.runSlideShow);

    ASSERT_TRUE(DropOnBox(*Files({folder}))) << row.rule;

    EXPECT_EQ(statuses, (Statuses{"Scanning Folder...", "Building slideshow...", folder, "Done"}))
        << row.rule;
    EXPECT_TRUE(Exists(photos.path() / "Index.htm")) << row.rule;
    EXPECT_TRUE(host.messages.empty()) << row.rule;
    EXPECT_EQ(host.beeps, row.beeps) << row.rule;
    ASSERT_EQ(host.opened.size(), row.opened ? 1u : 0u) << row.rule;
    if (row.opened) {
      EXPECT_EQ(host.opened[0].program, photos.withSlash() + "Index.htm") << row.rule;
      EXPECT_EQ(host.opened[0].workingFolder, photos.withSlash()) << row.rule;
    }
    EXPECT_FALSE(host.busyPointer) << row.rule << ": the default pointer at the end";
    EXPECT_GT(host.eventPasses, 0) << row.rule << ": the pauses handle window events";
    EXPECT_TRUE(host.started.empty()) << row.rule << ": no thumbnails unless asked";
  }
}

namespace {

// Notes the folder box's text each time the box is painted.
class PaintedTexts : public QObject {
  Q_OBJECT

 public:
  explicit PaintedTexts(orvale::FolderDropBox& box) : box_(box) {
    box.viewport()->installEventFilter(this);
  }
  std::vector<std::string> texts;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) texts.push_back(box_.toPlainText().toStdString());
    return false;
  }

 private:
  orvale::FolderDropBox& box_;
};

// Notes what the box last showed on screen when the build asks whether to
// replace the page, the moment before the page is written.
struct HostThatLooksAtTheBox : platform::RecordingHostServices {
  PaintedTexts* painted = nullptr;
  std::string shownWhenAsked;
  bool askYesNo(const std::string& prompt, const std::string& title) override {
    shownWhenAsked = painted->texts.empty() ? "" : painted->texts.back();
    return RecordingHostServices::askYesNo(prompt, title);
  }
};

}  // namespace

TEST(DropBuild, TheBoxShowsTheFolderWhileThePageIsWritten) {
  TempFolder program, photos;
  program.write("FirstPart.txt", "[\r\n");
  program.write("LastPart.txt", "]\r\n");
  photos.write("a.jpg", "x");
  photos.write("Index.htm", "old page");
  HostThatLooksAtTheBox host;
  host.answers = {true};
  orvale::Module1 state;
  common::FormsCollection forms;
  double now = 0;
  orvale::frmMain form(state, host, program.path(), forms, [&now] { return now += 0.05; });
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  QApplication::processEvents();
  PaintedTexts painted(form.txtFolderToBrowse);
  host.painted = &painted;

  // The host handles no window events, so only the build's own repaints show.
  form.txtFolderToBrowse_OLEDragDrop(std::vector<std::string>{photos.path().string()});
  EXPECT_EQ(host.shownWhenAsked, photos.path().string()) << "the folder, before \"Done\"";
  EXPECT_EQ(painted.texts, (std::vector<std::string>{"Scanning Folder...", "Building slideshow...",
                                                     photos.path().string(), "Done"}))
      << "each status text is on screen as soon as it is set";
}

TEST_F(MainWindowTest, TheLastDroppedItemDecidesTheFolder) {
  TempFolder first, second;
  const auto firstPicture = first.write("one.jpg", "x");
  const auto secondPicture = second.write("two.jpg", "x");
  const auto secondOther = second.write("three.jpg", "x");

  ASSERT_TRUE(DropOnBox(*Files({firstPicture.string(), secondPicture.string()})));
  EXPECT_EQ(statuses, (Statuses{"Scanning Folder...", "Building slideshow...",
                                firstPicture.string(), first.path().string(),
                                secondPicture.string(), second.path().string(), "Done"}))
      << "each file shows, then its folder";
  EXPECT_FALSE(Exists(first.path() / "Index.htm")) << "earlier items leave no trace";
  EXPECT_TRUE(Exists(second.path() / "Index.htm"));
  ASSERT_EQ(host.opened.size(), 1u);
  EXPECT_EQ(host.opened[0].program, second.withSlash() + "Index.htm");

  // Several files of one folder build it once: one page, no replace question.
  std::filesystem::remove(second.path() / "Index.htm");
  host = {};
  ASSERT_TRUE(DropOnBox(*Files({secondPicture.string(), secondOther.string()})));
  EXPECT_TRUE(host.questions.empty());
  EXPECT_EQ(host.opened.size(), 1u);
}

namespace {

// Lets a test act in the middle of a build: in its first pause, or while its
// first question is open (a modal box handles events too).
struct HostThatActsMidBuild : platform::RecordingHostServices {
  std::function<void()> inPause, inQuestion;
  void processEvents(std::chrono::milliseconds maxWait) override {
    RecordingHostServices::processEvents(maxWait);
    if (const auto act = std::exchange(inPause, nullptr)) act();
  }
  bool askYesNo(const std::string& prompt, const std::string& title) override {
    if (const auto act = std::exchange(inQuestion, nullptr)) act();
    return RecordingHostServices::askYesNo(prompt, title);
  }
};

}  // namespace

TEST_F(MainWindowTest, EveryDropRunsABuildOfItsOwnWheneverItIsLetGo) {
  enum class LetGo { kInAPause, kInAQuestion, kAfterTheBuild };
  const struct {
    const char* rule;
    LetGo when;
    bool builtInsideTheFirst;
  } rows[] = {
      {"let go in a pause: built at once, then the first build goes on", LetGo::kInAPause, true},
      {"let go while the first build asks: built once the first has ended", LetGo::kInAQuestion,
       false},
      {"dragged in during a build, let go after it ended", LetGo::kAfterTheBuild, false},
  };
  for (const auto& row : rows) {
    TempFolder first, second;
    first.write("a.jpg", "x");
    first.write("Index.htm", "old page");
    second.write("b.jpg", "x");
    HostThatActsMidBuild host;
    host.answers = {true};
    common::FormsCollection forms;
    orvale::frmMain form(state, host, program.path(), forms, [this] { return now += 0.05; });
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form)) << row.rule;
    std::vector<std::string> shown;
    QObject::connect(&form.txtFolderToBrowse, &QPlainTextEdit::textChanged, [&] {
      const QString text = form.txtFolderToBrowse.toPlainText();
      if (!text.isEmpty()) shown.push_back(text.toStdString());
    });
    QWidget& box = *form.txtFolderToBrowse.viewport();
    auto secondDrop = Files({second.path().string()});
    // The drag's data is gone once it was dropped, as a file manager's is.
    const auto letGo = [&] {
      const std::size_t before = shown.size();
      EXPECT_TRUE(Release(box, *secondDrop)) << row.rule;
      EXPECT_EQ(shown.size(), before) << row.rule << ": nothing is built inside the drop event";
      secondDrop.reset();
      QCoreApplication::sendPostedEvents();
    };
    if (row.when == LetGo::kInAPause)
      host.inPause = [&] {
        Drag(box, *secondDrop);
        letGo();
      };
    if (row.when == LetGo::kInAQuestion)
      host.inQuestion = [&] {
        Drag(box, *secondDrop);
        letGo();
      };
    if (row.when == LetGo::kAfterTheBuild) host.inPause = [&] { Drag(box, *secondDrop); };

    ASSERT_TRUE(Drop(box, *Files({first.path().string()}))) << row.rule;
    QCoreApplication::sendPostedEvents();
    if (row.when == LetGo::kAfterTheBuild) letGo();

    const Statuses firstBuild{"Scanning Folder...", "Building slideshow...", first.path().string(),
                              "Done"};
    const Statuses secondBuild{"Scanning Folder...", "Building slideshow...",
                               second.path().string(), "Done"};
    Statuses expected;
    if (row.builtInsideTheFirst) {
      expected = {firstBuild[0]};
      expected.insert(expected.end(), secondBuild.begin(), secondBuild.end());
      expected.insert(expected.end(), firstBuild.begin() + 1, firstBuild.end());
    } else {
      expected = firstBuild;
      expected.insert(expected.end(), secondBuild.begin(), secondBuild.end());
    }
    EXPECT_EQ(shown, expected) << row.rule;
    std::vector<std::string> opened;
    for (const auto& launch : host.opened) opened.push_back(launch.program);
    const std::string firstPage = first.withSlash() + "Index.htm";
    const std::string secondPage = second.withSlash() + "Index.htm";
    EXPECT_EQ(opened, (row.builtInsideTheFirst ? Statuses{secondPage, firstPage}
                                               : Statuses{firstPage, secondPage}))
        << row.rule << ": each page written into its own folder and opened";
    EXPECT_NE(TempFolder::read(first.path() / "Index.htm"), "old page") << row.rule;
    EXPECT_TRUE(host.messages.empty()) << row.rule;
  }
}

TEST_F(MainWindowTest, FailedOrDeclinedBuildsEndWithThreeBeeps) {
  TempFolder empty, existing, textDrop;
  existing.write("a.jpg", "x");
  existing.write("Index.htm", "old page");
  QMimeData text;
  text.setText(Text(textDrop.path().string()));
  const auto emptyDrop = Files({empty.path().string()});
  const auto existingDrop = Files({existing.path().string()});

  const struct {
    const char* rule;
    const QMimeData& drop;
    Statuses statuses;
    std::string messageTitle;
    std::string messageStart;
  } rows[] = {
      {"no pictures",
       *emptyDrop,
       {"Scanning Folder...", "Building slideshow...", empty.path().string(), "Done"},
       "Orvale",
       "No JPG's were found"},
      {"replace declined",
       *existingDrop,
       {"Scanning Folder...", "Building slideshow...", existing.path().string(), "Done"},
       "",
       ""},
      {"dragged text is no file list",
       text,
       {"Scanning Folder...", "Building slideshow...", "Done"},
       "Error Message",
       "Sub: ScanFolder, Error #  76 was generated by "},
  };
  for (const auto& row : rows) {
    host = {};
    statuses.clear();
    ASSERT_TRUE(DropOnBox(row.drop)) << row.rule << ": any drop is taken";
    EXPECT_EQ(statuses, row.statuses) << row.rule;
    EXPECT_EQ(host.beeps, 3) << row.rule << ", even with the page to be opened";
    EXPECT_TRUE(host.opened.empty()) << row.rule;
    if (row.messageTitle.empty()) {
      EXPECT_TRUE(host.messages.empty()) << row.rule;
    } else {
      ASSERT_EQ(host.messages.size(), 1u) << row.rule;
      EXPECT_EQ(host.messages[0].title, row.messageTitle) << row.rule;
      EXPECT_EQ(host.messages[0].body.rfind(row.messageStart, 0), 0u)
          << row.rule << ": " << host.messages[0].body;
    }
  }
  EXPECT_EQ(TempFolder::read(existing.path() / "Index.htm"), "old page");
  EXPECT_FALSE(Exists(textDrop.path() / "Index.htm")) << "dragged text is not a path";
}

TEST_F(MainWindowTest, FolderWithANameThatIsNotUtf8IsBuilt) {
  TempFolder parent;
  const std::filesystem::path folder = parent.path() / "caf\xE9";
  std::filesystem::create_directory(folder);
  std::ofstream(folder / "a.jpg") << "x";

  ASSERT_TRUE(DropOnBox(*Files({folder.string()})));
  EXPECT_TRUE(host.messages.empty()) << host.messages[0].body;
  EXPECT_TRUE(Exists(folder / "Index.htm")) << "the dropped bytes name the folder";
}

TEST_F(MainWindowTest, DropOutsideTheBoxIsTakenAndIgnored) {
  TempFolder photos;
  photos.write("a.jpg", "x");
  EXPECT_TRUE(Drop(*form, *Files({photos.path().string()})));
  EXPECT_TRUE(statuses.empty());
  EXPECT_FALSE(Exists(photos.path() / "Index.htm"));
  EXPECT_EQ(host.beeps, 0);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_FALSE(form->txtFileName.acceptDrops()) << "dropped text must not land in the name boxes";
  EXPECT_FALSE(form->txtLastPartFileName.acceptDrops());
}

TEST_F(MainWindowTest, DroppedTextIsNeverTypedIntoTheBox) {
  form->txtFolderToBrowse.showText("Done");
  QMimeData text;
  text.setText("inserted?");
  ASSERT_TRUE(DropOnBox(text));
  EXPECT_EQ(form->txtFolderToBrowse.toPlainText(), "Done");
  EXPECT_EQ(std::count(statuses.begin(), statuses.end(), "inserted?"), 0);
}

TEST_F(MainWindowTest, Command1BuildsTheBoxTextAndNothingElse) {
  TempFolder photos;
  photos.write("a.jpg", "x");
  form->chkCreateThumbnails.setChecked(true);
  form->txtFolderToBrowse.setPlainText(Text(photos.path().string()));
  statuses.clear();
  form->Command1.click();
  EXPECT_TRUE(Exists(photos.path() / "Index.htm"));
  EXPECT_EQ(state.CurrentFolder, photos.withSlash());
  EXPECT_TRUE(statuses.empty());
  EXPECT_EQ(host.eventPasses, 0) << "no pauses";
  EXPECT_EQ(host.beeps, 0);
  EXPECT_TRUE(host.opened.empty());
  EXPECT_TRUE(host.started.empty());
}

TEST(DroppedFileList, OnlyLocalFilesMakeAFileList) {
  const auto Urls = [](std::initializer_list<const char*> texts) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const char* text : texts) urls << QUrl(QString::fromUtf8(text));
    data->setUrls(urls);
    return data;
  };
  using List = std::optional<std::vector<std::string>>;
  QMimeData text;
  text.setText("/home/someone/Photos");
  const struct {
    const char* rule;
    std::unique_ptr<QMimeData> data;
    List expected;
  } rows[] = {
      {"local files in order", Urls({"file:///b/x.jpg", "file:///a"}), List{{"/b/x.jpg", "/a"}}},
      {"encoded names decoded byte for byte", Urls({"file:///p/My%20Photos/caf%E9"}),
       List{{"/p/My Photos/caf\xE9"}}},
      {"web links are no file list", Urls({"https://example.org/a.jpg"}), std::nullopt},
      {"web links among files are left out", Urls({"https://example.org/", "file:///c"}),
       List{{"/c"}}},
  };
  for (const auto& row : rows)
    EXPECT_EQ(orvale::DroppedFileList(*row.data), row.expected) << row.rule;
  EXPECT_EQ(orvale::DroppedFileList(text), std::nullopt) << "plain text is no file list";
}

TEST(FolderOfDroppedItem, AFileStandsForItsFolder) {
  TempFolder folder;
  const auto file = folder.write("sub/a.jpg", "x");
  const struct {
    const char* rule;
    std::string item;
    std::string folder;
  } rows[] = {
      {"a folder stands for itself", (folder.path() / "sub").string(),
       (folder.path() / "sub").string()},
      {"a file for the folder holding it", file.string(), (folder.path() / "sub").string()},
      {"the root stands for itself", "/", "/"},
      {"what cannot be examined is taken as it is", (folder.path() / "gone").string(),
       (folder.path() / "gone").string()},
  };
  for (const auto& row : rows)
    EXPECT_EQ(orvale::FolderOfDroppedItem(row.item), row.folder) << row.rule;
}

TEST(TakenDropAction, ACopyWhereverTheSourceAllowsOne) {
  const struct {
    Qt::DropActions possible;
    Qt::DropAction proposed;
    Qt::DropAction taken;
  } rows[] = {
      {Qt::CopyAction | Qt::MoveAction, Qt::MoveAction, Qt::CopyAction},
      {Qt::MoveAction | Qt::LinkAction, Qt::MoveAction, Qt::LinkAction},
      {Qt::MoveAction, Qt::MoveAction, Qt::MoveAction},
  };
  for (const auto& row : rows)
    EXPECT_EQ(orvale::TakenDropAction(row.possible, row.proposed), row.taken)
        << "a moving source must not delete what it dropped here";
}

// PaintedTexts above declares Q_OBJECT; its meta-object code is made from this file.
#include "drop_build_test.moc"
