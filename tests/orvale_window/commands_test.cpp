#include <QMenuBar>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "orvale/window/TailTemplateChoice.h"
#include "platform/RunTimeError.h"
#include "tests/orvale_window/WindowTestSupport.h"

namespace {

using Message = platform::RecordingHostServices::Message;

const Message kBackUpWarning{"Please remember to make a back up copy before changing Java Script.",
                             "Orvale"};

// The main window with the user's data folder in a folder of the test's own,
// where the edit commands make their copies of the templates.
class CommandsTest : public MainWindowTest {
 protected:
  void SetUp() override {
    if (const char* old = std::getenv("XDG_DATA_HOME")) oldDataHome_ = old;
    setenv("XDG_DATA_HOME", dataHome.path().c_str(), 1);
    MainWindowTest::SetUp();
  }
  void TearDown() override {
    if (oldDataHome_)
      setenv("XDG_DATA_HOME", oldDataHome_->c_str(), 1);
    else
      unsetenv("XDG_DATA_HOME");
  }
  std::filesystem::path userCopy(const char* name) const {
    return dataHome.path() / "orvale" / name;
  }

  TempFolder dataHome;

 private:
  std::optional<std::string> oldDataHome_;
};

}  // namespace

TEST(TailTemplateText, FilesInOrBelowTheProgramFolderAreWrittenShort) {
  const struct {
    const char* rule;
    const char* folder;
    const char* chosen;
    const char* text;
  } rows[] = {
      {"in the folder", "/tools/slides", "/tools/slides/LastPart2.txt", "./LastPart2.txt"},
      {"letter case is ignored", "/tools/slides", "/TOOLS/SLIDES/x/Tail.txt", "./x/Tail.txt"},
      {"elsewhere keeps the full path", "/tools/slides", "/other/LastPart.txt",
       "/other/LastPart.txt"},
      {"a sibling sharing the name's start is elsewhere", "/tools/slides",
       "/tools/slides2/LastPart.txt", "/tools/slides2/LastPart.txt"},
      {"the root folder", "/", "/LastPart3.txt", "./LastPart3.txt"},
      {"names that are not UTF-8 keep their bytes", "/tools/caf\xE9", "/tools/caf\xE9/Tail\xE9.txt",
       "./Tail\xE9.txt"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(orvale::TailTemplateText(row.folder, row.chosen), row.text) << row.rule;
}

TEST_F(CommandsTest, BrowseStoresTheChosenTailTemplateWhichEditLastOpens) {
  std::string initialFolder;
  QStringList types;
  std::optional<std::string> answer = (program.path() / "Alt" / "LastPart2.txt").string();
  form->setOpenFileChooser([&](QWidget&, const std::string& folder, const QStringList& offered) {
    initialFolder = folder;
    types = offered;
    return answer;
  });

  form->mnuEditLast.trigger();
  form->cmdBrowse.click();
  EXPECT_EQ(initialFolder, program.path().string()) << "the dialog starts in the program folder";
  EXPECT_EQ(types.size(), 3);
  EXPECT_TRUE(types.value(0).startsWith("LastPart Files (LastPart*.txt)")) << "preselected";
  EXPECT_EQ(form->txtLastPartFileName.text(), "./Alt/LastPart2.txt");
  form->mnuEditLast.trigger();

  answer.reset();
  form->cmdBrowse.click();
  EXPECT_EQ(form->txtLastPartFileName.text(), "./Alt/LastPart2.txt") << "cancel keeps the box";

  const std::string longPath = "/" + std::string(256, 'n');
  answer = longPath;
  form->cmdBrowse.click();
  EXPECT_EQ(form->txtLastPartFileName.text().toStdString(), longPath) << "still stored";

  EXPECT_EQ(host.messages,
            (std::vector<Message>{kBackUpWarning,
                                  kBackUpWarning,
                                  {"Windows long file names cannot exceed 256 characters.  This "
                                   "includes the path to the file.",
                                   "Orvale"}}));
  ASSERT_EQ(host.opened.size(), 2u);
  EXPECT_EQ(host.opened[0].program, userCopy("LastPart.txt").string()) << "the default's copy";
  EXPECT_EQ(host.opened[1].program, (program.path() / "Alt" / "LastPart2.txt").string())
      << "nothing shipped to copy: the named file";
}

TEST_F(MainWindowTest, BrowseFailuresAreReportedAndLeaveTheBox) {
  const struct {
    int number;
    Message message;
    bool startsFileBrowser;
  } rows[] = {
      {32768, {"File browser wasn't ready, please double click again.", "32768 Corrected"}, true},
      {5, {"Error Opening Common Dialogue ", "Please try again."}, false},
  };
  for (const auto& row : rows) {
    host = {};
    form->setOpenFileChooser([&](QWidget&, const std::string&, const QStringList&) {
      throw platform::RunTimeError(row.number, "CommonDialog1", "failed");
      return std::optional<std::string>();
    });
    form->cmdBrowse.click();
    EXPECT_EQ(host.messages, std::vector<Message>{row.message}) << row.number;
    EXPECT_EQ(form->txtLastPartFileName.text(), "./LastPart.txt") << row.number;
    ASSERT_EQ(host.started.size(), row.startsFileBrowser ? 1u : 0u) << row.number;
    if (row.startsFileBrowser) {
      EXPECT_EQ(host.started[0].program, (program.path() / "wexmoor").string());
      EXPECT_EQ(host.started[0].workingFolder, program.path().string());
    }
  }
}

TEST_F(CommandsTest, MenusOpenTheShippedFilesAndTheUsersTemplateCopies) {
  const struct {
    QAction* item;
    std::filesystem::path file;
    bool warns;
  } rows[] = {
      {&form->mnuEditFirst, userCopy("FirstPart.txt"), true},
      {&form->mnuDemo, program.path() / "OrvaleDemo.avi", false},
      {&form->mnuHelp, program.path() / "Help.htm", false},
  };
  for (const auto& row : rows) {
    host = {};
    row.item->trigger();
    EXPECT_EQ(host.messages.size(), row.warns ? 1u : 0u) << row.file;
    if (row.warns) {
      EXPECT_EQ(host.messages[0], kBackUpWarning);
    }
    ASSERT_EQ(host.opened.size(), 1u) << row.file;
    EXPECT_EQ(host.opened[0].program, row.file.string());
    EXPECT_EQ(host.opened[0].workingFolder, program.path().string()) << row.file;
  }

  // A copy that cannot be made (the data folder under a file) is said, and
  // the shipped template opened.
  host = {};
  setenv("XDG_DATA_HOME", (program.path() / "FirstPart.txt").c_str(), 1);
  form->mnuEditLast.trigger();
  setenv("XDG_DATA_HOME", dataHome.path().c_str(), 1);
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_TRUE(host.messages[1].body.starts_with("Your own copy of the template could not be made"))
      << host.messages[1].body;
  ASSERT_EQ(host.opened.size(), 1u);
  EXPECT_EQ(host.opened[0].program, (program.path() / "LastPart.txt").string());

  // The next build reads the edited copy.
  TempFolder::write_to(userCopy("FirstPart.txt"), "mine [\r\n");
  TempFolder photos;
  photos.write("a.jpg", "x");
  ASSERT_TRUE(DropOnBox(*Files({photos.path().string()})));
  EXPECT_TRUE(TempFolder::read(photos.path() / "Index.htm").starts_with("mine [\r\n\r\n\"a.jpg\""));
  EXPECT_EQ(form->txtFolderToBrowse.text(),
            "Done\nBuilt with your own copy of the template: " + userCopy("FirstPart.txt").string())
      << "the build says so where the user looks";
}

TEST_F(MainWindowTest, AboutIsOneBoxThatExitClosesWithTheProgram) {
  form->mnuHelpAbout.trigger();
  orvale::frmAbout* about = form->aboutBox();
  ASSERT_NE(about, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(about));
  form->mnuHelpAbout.trigger();
  EXPECT_EQ(form->aboutBox(), about) << "asked again, the same box comes forward";
  EXPECT_EQ(forms.count(), 2u);
  EXPECT_FALSE(form->windowIcon().isNull()) << "the program's own icon";
  EXPECT_EQ(about->windowIcon().pixmap(32).toImage(), form->windowIcon().pixmap(32).toImage())
      << "the about box shows the same icon";

  const QStringList lines = about->Label1.text().split('\n');
  ASSERT_EQ(lines.size(), 3);
  about->cmdHollin.click();
  ASSERT_EQ(host.opened.size(), 1u);
  EXPECT_EQ(Text(host.opened[0].program), lines[2]) << "the button opens the address shown";
  EXPECT_TRUE(
      about->Text1.toPlainText().startsWith("Revision: 4-8-03:  Added code to create thumbnails."));

  QTest::keyClick(about, Qt::Key_Escape);
  EXPECT_EQ(form->aboutBox(), nullptr) << "Esc closes it";
  EXPECT_TRUE(form->isVisible());
  form->mnuHelpAbout.trigger();
  ASSERT_NE(form->aboutBox(), nullptr) << "and it opens again";

  form->mnuExit.trigger();
  EXPECT_EQ(forms.count(), 0u);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->aboutBox(), nullptr);
}
