#include <QColorDialog>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <map>

#include "platform/QtHostServices.h"
#include "tesselet/window/FolderPicker.h"
#include "tesselet/window/Module1.h"
#include "tesselet/window/frmThumbs.h"
#include "tests/support/CaptionFit.h"
#include "tests/support/RecordingHostServices.h"
#include "tests/tesselet_window/TesseletTestSupport.h"

namespace {

using tesselet_test::PictureSize;
using tesselet_test::WritePicture;

// Records what is shown, and lets a test act on the window each time the
// batch hands events to it (once per picture).
class BatchHost : public platform::RecordingHostServices {
 public:
  std::function<void()> onEvents;
  void processEvents(std::chrono::milliseconds maxWait) override {
    RecordingHostServices::processEvents(maxWait);
    if (onEvents) onEvents();
  }
};

QString Text(const std::string& bytes) { return QString::fromStdString(bytes); }

std::vector<std::string> Entries(const QListWidget& list) {
  std::vector<std::string> names;
  for (int row = 0; row < list.count(); ++row)
    names.push_back(list.item(row)->text().toStdString());
  return names;
}

class ThumbsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<tesselet::frmThumbs>(host, forms, [this] { return now += 0.05; });
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }

  // The picture folder with its ThumbNails sub-folder, in the boxes.
  void UseFolder(const TempFolder& folder) {
    std::filesystem::create_directories(folder.path() / "ThumbNails");
    form->txtImgDir.setText(Text(folder.withSlash()));
    form->txtThumbDir.setText(Text(folder.withSlash() + "ThumbNails"));
  }

  // Runs a function once the next modal dialog is up.
  static void WhenModal(std::function<void(QWidget&)> act) {
    QTimer::singleShot(0, [act] {
      QWidget* dialog = QApplication::activeModalWidget();
      ASSERT_NE(dialog, nullptr);
      act(*dialog);
    });
  }

  BatchHost host;
  common::FormsCollection forms;
  double now = 1000;
  std::unique_ptr<tesselet::frmThumbs> form;
};

}  // namespace

TEST_F(ThumbsWindowTest, SmallClientAreaWithTheProgressOnly) {
  EXPECT_EQ(form->size(), QSize(368, 75)) << "5520 x 1125 twips";
  EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "a fixed border";
  EXPECT_EQ(form->lblProgress.geometry(), QRect(96, 8, 183, 15)) << "twips / 15";
  EXPECT_TRUE(form->lblProgress.isVisible()) << "the caption shows from the start";
  EXPECT_FALSE(form->picProgress.isVisible()) << "the bar only in a batch";
  EXPECT_EQ(form->txtImgDir.geometry(), QRect(122, 166, 255, 19))
      << "the settings lie outside the client area";
  EXPECT_TRUE(form->Label1[6].font().bold() && form->cmdCreate.font().bold());
}

TEST_F(ThumbsWindowTest, NoCaptionIsClipped) {
  EXPECT_EQ(caption_fit::ClippedCaptions(*form), std::vector<std::string>{})
      << "in the font the window draws with, settings outside the client area included";
}

TEST_F(ThumbsWindowTest, EveryChangeOfTheImageFolderRelistsAndTheMenuKeepsTheCurrentEntry) {
  TempFolder photos;
  for (const char* name : {"a.jpg", "b.jpg", "c.gif"}) photos.write(name, "x");
  QWidget* viewport = form->lstImages.viewport();
  QTest::mouseClick(viewport, Qt::RightButton, {}, {5, 5});
  EXPECT_FALSE(form->mnuSel.isVisible()) << "no menu on an empty list";

  form->txtImgDir.clear();
  QTest::keyClicks(&form->txtImgDir, Text(photos.path().string()));
  EXPECT_EQ(form->lstImages.count(), 3) << "typed in, listed at the last key";
  QTest::keyClick(&form->txtImgDir, Qt::Key_Backspace);
  EXPECT_EQ(form->lstImages.count(), 0) << "relisted at every key";
  form->txtImgDir.setText(Text(photos.withSlash()));
  ASSERT_EQ(form->lstImages.count(), 3);

  form->lstImages.setCurrentRow(1);
  QTest::mouseClick(viewport, Qt::RightButton, {}, {5, 5});
  EXPECT_TRUE(form->mnuSel.isVisible()) << "the popup on a list with entries";
  EXPECT_EQ(form->lstImages.selectedItems().size(), 1) << "the right button selects nothing";
  form->mnuSel.hide();
  const struct {
    QAction* action;
    int selected;
  } steps[] = {{&form->mnuDeselAll, 0}, {&form->mnuSelAll, 3}, {&form->mnuDeselAll, 0}};
  for (const auto& step : steps) {
    step.action->trigger();
    EXPECT_EQ(form->lstImages.selectedItems().size(), step.selected)
        << step.action->text().toStdString();
    EXPECT_EQ(form->lstImages.currentRow(), 1) << "the current entry stays";
    EXPECT_TRUE(form->lstImages.updatesEnabled());
  }
}

TEST_F(ThumbsWindowTest, BatchMakesEveryEntryAndCountsWithTheBar) {
  TempFolder photos;
  WritePicture(photos, "wide.jpg", 640, 480);
  WritePicture(photos, "tall.jpg", 480, 640);
  WritePicture(photos, "sq.bmp", 20, 20);
  UseFolder(photos);
  ASSERT_EQ(form->lstImages.count(), 3);
  form->lstImages.item(0)->setSelected(true);  // the selection is ignored
  // Blanks around the thumbnails folder are ignored.
  form->txtThumbDir.setText("  " + form->txtThumbDir.text() + "  ");
  std::vector<std::pair<std::string, int>> seen;
  host.onEvents = [this, &seen] {
    seen.emplace_back(form->lblProgress.text().toStdString(), form->picProgress.BarRight());
    EXPECT_FALSE(form->cmdCreate.isVisible()) << "hidden for the whole batch";
    EXPECT_TRUE(form->picProgress.isVisible());
    // Settings are read afresh for every picture: from the second on, bitmaps.
    form->optType[0].setChecked(true);
  };

  form->cmdCreate.click();

  const int width = form->picProgress.width();
  const std::vector<std::pair<std::string, int>> expected = {
      {"Creating thumbnails... (1 of 3)", int(std::nearbyint(width / 3.0))},
      {"Creating thumbnails... (2 of 3)", int(std::nearbyint(2 * width / 3.0))},
      {"Creating thumbnails... (3 of 3)", width}};
  EXPECT_EQ(seen, expected) << "caption and bar after each picture, events once per picture";
  std::vector<std::string> made;
  for (const std::string& name : Entries(form->lstImages))
    made.push_back("thumb" + name.substr(0, name.rfind('.')) + (made.empty() ? ".jpg" : ".bmp"));
  std::sort(made.begin(), made.end());
  EXPECT_EQ(tesselet_test::Names(photos.path() / "ThumbNails"), made)
      << "every entry, selected or not; the first as JPEG, the rest as bitmaps once the type "
         "changed";
  EXPECT_EQ(form->LastOutcome().kind, tesselet::BatchOutcome::Kind::kCompleted);
  EXPECT_TRUE(form->cmdCreate.isVisible()) << "back after the batch";
  EXPECT_FALSE(form->lblProgress.isVisible());
  EXPECT_FALSE(form->picProgress.isVisible());
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(ThumbsWindowTest, NamesThatCollideAreWrittenInListOrder) {
  TempFolder photos;
  WritePicture(photos, "a.jpg", 100, 50);
  WritePicture(photos, "a.bmp", 20, 40);
  WritePicture(photos, "trip.1.jpg", 60, 60);
  WritePicture(photos, "trip.2.jpg", 30, 10);
  UseFolder(photos);
  form->cmdCreate.click();
  const std::map<std::string, std::pair<int, int>> sizes = {
      {"a.jpg", {50, 25}}, {"a.bmp", {20, 40}}, {"trip.1.jpg", {50, 50}}, {"trip.2.jpg", {30, 10}}};
  std::map<std::string, std::pair<int, int>> last;
  for (const std::string& name : Entries(form->lstImages))
    last["thumb" + name.substr(0, name.rfind('.')) + ".jpg"] = sizes.at(name);
  for (const auto& [thumb, size] : last)
    EXPECT_EQ(PictureSize(photos.path() / "ThumbNails" / thumb), size)
        << thumb << ": the later entry wins";
}

TEST_F(ThumbsWindowTest, BadDirectoryWritesNothingAndChangesNothing) {
  TempFolder photos;
  WritePicture(photos, "a.jpg", 10, 10);
  form->txtImgDir.setText(Text(photos.withSlash()));
  form->txtThumbDir.setText("   ");
  form->cmdCreate.click();
  const std::vector<platform::RecordingHostServices::Message> expected = {
      {"The destination path specified for the thumbnails is not valid.", "Bad directory",
       platform::MessageIcon::kInformation}};
  EXPECT_EQ(host.messages, expected);
  EXPECT_EQ(form->LastOutcome().kind, tesselet::BatchOutcome::Kind::kRefused);
  EXPECT_EQ(form->lblProgress.text(), "Creating thumbnails...") << "the window as it was";
  EXPECT_TRUE(form->cmdCreate.isVisible());
  EXPECT_EQ(host.eventPasses, 0);
  EXPECT_EQ(tesselet_test::Names(photos.path()), std::vector<std::string>{"a.jpg"});
}

TEST_F(ThumbsWindowTest, EmptyListCountsZeroOfZero) {
  TempFolder photos;
  UseFolder(photos);
  form->cmdCreate.click();
  EXPECT_EQ(form->lblProgress.text(), "Creating thumbnails... (0 of 0)");
  EXPECT_EQ(form->picProgress.BarRight(), 0) << "nothing drawn";
  EXPECT_TRUE(form->cmdCreate.isVisible());
  EXPECT_TRUE(tesselet_test::Names(photos.path() / "ThumbNails").empty());
}

TEST_F(ThumbsWindowTest, ImageFolderPickerCountsPicturesAndEnablesOkOnlyWithSome) {
  TempFolder tree;
  tree.write("Photos/a.jpg", "x");
  tree.write("Photos/B.GIF", "x");
  tree.write("Empty/notes.txt", "x");
  tree.write("Empty/deeper/c.jpg", "x");
  const std::string photos = (tree.path() / "Photos").string();
  const std::string empty = (tree.path() / "Empty").string();
  form->txtImgDir.setText(Text(photos + "/"));
  form->txtThumbDir.clear();
  std::vector<std::pair<std::string, bool>> seen;
  WhenModal([&](QWidget& dialog) {
    auto& picker = dynamic_cast<tesselet::FolderPicker&>(dialog);
    QPushButton* ok = picker.buttons.button(QDialogButtonBox::Ok);
    EXPECT_EQ(picker.prompt.text(), "Select a folder that contains the full-size images.");
    EXPECT_EQ(picker.SelectedFolder(), photos) << "opens on the start folder";
    seen.emplace_back(picker.status.text().toStdString(), ok->isEnabled());
    picker.SetSelection(empty);
    seen.emplace_back(picker.status.text().toStdString(), ok->isEnabled());
    picker.SetSelection(photos);
    seen.emplace_back(picker.status.text().toStdString(), ok->isEnabled());
    ok->click();
  });
  form->cmdBrowseImg.click();
  const std::vector<std::pair<std::string, bool>> expected = {{"Number of picture files: 2", true},
                                                              {"Number of picture files: 0", false},
                                                              {"Number of picture files: 2", true}};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(form->txtImgDir.text().toStdString(), photos);
  EXPECT_EQ(form->txtThumbDir.text().toStdString(), photos) << "an empty thumbnails box follows";
  EXPECT_EQ(form->lstImages.count(), 2);

  // The thumbnails picker counts too, but OK stays enabled; cancelling keeps the box.
  form->txtThumbDir.setText(Text(empty));
  WhenModal([&](QWidget& dialog) {
    auto& picker = dynamic_cast<tesselet::FolderPicker&>(dialog);
    EXPECT_EQ(picker.status.text(), "Number of picture files: 0");
    EXPECT_TRUE(picker.buttons.button(QDialogButtonBox::Ok)->isEnabled());
    picker.reject();
  });
  form->cmdBrowseThumb.click();
  EXPECT_EQ(form->txtThumbDir.text().toStdString(), empty);

  // A thumbnails folder the user chose stays when the image folder changes.
  WhenModal([&](QWidget& dialog) {
    dynamic_cast<tesselet::FolderPicker&>(dialog).buttons.button(QDialogButtonBox::Ok)->click();
  });
  form->cmdBrowseImg.click();
  EXPECT_EQ(form->txtImgDir.text().toStdString(), photos);
  EXPECT_EQ(form->txtThumbDir.text().toStdString(), empty) << "only an empty box follows";
}

TEST_F(ThumbsWindowTest, ColourPickerOffersGreysAndKeepsCustomColoursBetweenUses) {
  const int greys[] = {255, 239, 223, 206, 190, 174, 158, 142, 125, 109, 93, 77, 61, 45, 28, 12};
  WhenModal([&](QWidget& dialog) {
    auto& picker = dynamic_cast<QColorDialog&>(dialog);
    EXPECT_EQ(picker.currentColor(), QColor(Qt::black)) << "opens on black";
    for (int k = 0; k < 16; ++k)
      EXPECT_EQ(QColorDialog::customColor(k), QColor(greys[k], greys[k], greys[k])) << k;
    QColorDialog::setCustomColor(3, QColor(10, 20, 30));  // the user defines one
    picker.setCurrentColor(QColor(1, 2, 3));
    picker.accept();
  });
  form->cmdBackColor.click();
  EXPECT_EQ(form->BackColor(), 0x030201u) << "0x00BBGGRR";
  // The face shows the colour itself, flat: no shading from the style.
  const QImage face = form->cmdBackColor.grab().toImage();
  for (const int y : {3, face.height() / 2, face.height() - 4}) {
    for (const int x : {3, face.width() / 2, face.width() - 4})
      EXPECT_EQ(face.pixelColor(x, y).name().toStdString(), "#010203") << "at " << x << ", " << y;
  }

  QColorDialog::setCustomColor(3, QColor(Qt::green));  // as any other dialog might
  WhenModal([&](QWidget& dialog) {
    EXPECT_EQ(QColorDialog::customColor(3), QColor(10, 20, 30)) << "kept from the first use";
    EXPECT_EQ(QColorDialog::customColor(4), QColor(190, 190, 190));
    dynamic_cast<QColorDialog&>(dialog).reject();
  });
  form->cmdBackColor.click();
  EXPECT_EQ(form->BackColor(), 0x030201u) << "cancelled: the colour stays";
}

TEST_F(ThumbsWindowTest, ClosingTheWindowStopsTheBatchAfterThePictureInHand) {
  using Kind = tesselet::BatchOutcome::Kind;
  const struct {
    const char* rule;
    int closedDuring;  // the picture in hand when the window is closed
    Kind kind;
    int status;  // the program's exit status for the batch
    std::size_t written;
  } rows[] = {
      {"closed during the first of three: stopped after it", 1, Kind::kStopped, 1, 1},
      {"closed during the last: nothing is left undone", 3, Kind::kCompleted, 0, 3},
  };
  for (const auto& row : rows) {
    TempFolder photos;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) WritePicture(photos, name, 10, 10);
    form = std::make_unique<tesselet::frmThumbs>(host, forms, [this] { return now += 0.05; });
    form->show();
    UseFolder(photos);
    host.eventPasses = 0;
    // The close reaches the window at the event pass after its picture.
    host.onEvents = [this, &row] {
      if (host.eventPasses == row.closedDuring) form->close();
    };
    form->cmdCreate.click();
    EXPECT_EQ(form->LastOutcome().kind, row.kind) << row.rule;
    EXPECT_EQ(tesselet::Module1::StatusOf(form->LastOutcome()), row.status) << row.rule;
    EXPECT_EQ(host.eventPasses, row.closedDuring) << row.rule;
    EXPECT_EQ(tesselet_test::Names(photos.path() / "ThumbNails").size(), row.written) << row.rule;
    EXPECT_EQ(forms.count(), 0u) << row.rule << ": a closed window has left the collection";
  }
}

TEST_F(ThumbsWindowTest, AWriteFailureStopsAtItsPictureAndLeavesTheProgressShowing) {
  TempFolder photos;
  for (const char* name : {"a.jpg", "b.jpg"}) WritePicture(photos, name, 10, 10);
  UseFolder(photos);
  const std::string first = Entries(form->lstImages)[0];
  // A folder holds the first thumbnail's name: it cannot be written.
  std::filesystem::create_directory(photos.path() / "ThumbNails" /
                                    ("thumb" + first.substr(0, 1) + ".jpg"));
  form->cmdCreate.click();
  const tesselet::BatchOutcome& outcome = form->LastOutcome();
  EXPECT_EQ(outcome.kind, tesselet::BatchOutcome::Kind::kFailed);
  EXPECT_EQ(outcome.failedEntry, first);
  EXPECT_EQ(outcome.failedAt, 1);
  ASSERT_TRUE(outcome.error.has_value());
  EXPECT_EQ(outcome.error->number(), platform::kPathFileAccessError);
  EXPECT_EQ(form->lblProgress.text(), "Creating thumbnails... (0 of 2)") << "counted before it";
  EXPECT_FALSE(form->cmdCreate.isVisible()) << "the run ends here; nothing is restored";
  EXPECT_EQ(tesselet_test::Names(photos.path() / "ThumbNails").size(), 1u) << "nothing written";
  EXPECT_EQ(host.eventPasses, 0);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].body, tesselet::BatchReport(outcome)) << "said once";
}

// With many pictures that cannot be read, the message box keeps to a screen:
// its first lines, and every picture under "Show Details...".
TEST_F(ThumbsWindowTest, UnreadablePicturesAreSkippedAndToldInOneMessageAtTheEnd) {
  TempFolder photos;
  WritePicture(photos, "good.jpg", 10, 10);
  for (int k = 0; k < 24; ++k) photos.write("bad" + std::to_string(k) + ".jpg", k % 2 ? "" : "x");
  platform::QtHostServices desktop;
  tesselet::frmThumbs window(desktop, forms, [this] { return now += 0.05; });
  std::filesystem::create_directory(photos.path() / "ThumbNails");
  window.txtImgDir.setText(Text(photos.withSlash()));
  window.txtThumbDir.setText(Text(photos.withSlash() + "ThumbNails"));
  window.show();
  std::vector<std::pair<QString, QString>> boxes;  // text, details
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      boxes.emplace_back(box->text(), box->detailedText());
      box->accept();
    }
  });
  closer.start(10);

  window.cmdCreate.click();

  EXPECT_EQ(window.LastOutcome().skipped.size(), 24u);
  EXPECT_TRUE(window.cmdCreate.isVisible()) << "the batch went to its end";
  EXPECT_EQ(tesselet_test::Names(photos.path() / "ThumbNails"),
            std::vector<std::string>{"thumbgood.jpg"});
  ASSERT_EQ(boxes.size(), 1u) << "one message, at the end";
  const auto& [text, details] = boxes[0];
  EXPECT_TRUE(text.startsWith("24 of 25 pictures could not be read; they have no thumbnails:"))
      << text.toStdString();
  EXPECT_LE(text.count('\n'), 9) << "a screenful";
  EXPECT_EQ(details.toStdString(), tesselet::BatchReport(window.LastOutcome()))
      << "all of it, every picture with its error, in the details";
  EXPECT_TRUE(details.endsWith("\nThe other one has its thumbnail.")) << details.toStdString();
}

TEST_F(ThumbsWindowTest, ANameThatIsNotUtf8StillGetsItsThumbnail) {
  TempFolder photos;
  const std::string name = "\xE9t\xE9.jpg";  // Latin-1 bytes, not UTF-8
  std::filesystem::rename(WritePicture(photos, "plain.jpg", 10, 10), photos.path() / name);
  UseFolder(photos);
  form->cmdCreate.click();
  EXPECT_EQ(form->LastOutcome().kind, tesselet::BatchOutcome::Kind::kCompleted);
  EXPECT_TRUE(std::filesystem::exists(photos.path() / "ThumbNails" / "thumb\xE9t\xE9.jpg"))
      << "the batch uses the file system's bytes, not the list's text";
}
