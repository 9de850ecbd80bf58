#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>

#include "orvale/window/frmAbout.h"
#include "tests/orvale_window/WindowTestSupport.h"
#include "tests/support/CaptionFit.h"

namespace {

QRect Twips(int left, int top, int width, int height) {
  return QRect(qRound(left / 15.0), qRound(top / 15.0), qRound(width / 15.0),
               qRound(height / 15.0));
}

QString Caption(const QWidget& control) {
  if (auto* button = qobject_cast<const QAbstractButton*>(&control)) return button->text();
  if (auto* label = qobject_cast<const QLabel*>(&control)) return label->text();
  if (auto* line = qobject_cast<const QLineEdit*>(&control)) return line->text();
  if (auto* frame = qobject_cast<const QGroupBox*>(&control)) return frame->title();
  if (auto* box = qobject_cast<const QPlainTextEdit*>(&control)) return box->toPlainText();
  return {};
}

}  // namespace

TEST_F(MainWindowTest, FreshStartShowsTheLayoutAndDefaults) {
  const struct {
    const char* name;
    const char* container;
    QRect geometry;
    const char* caption;
    const char* toolTip;
  } controls[] = {
      {"Label1", "client", Twips(120, 1560, 5940, 315),
       "Drag a folder from any Windows Explorer window onto the text box above.  ", ""},
      {"Label2", "client", Twips(0, 1800, 5640, 195),
       "A file named 'Index.htm' will be created in that folder.", ""},
      {"txtFolderToBrowse", "client", Twips(360, 75, 5160, 1320), "",
       "Drag a folder or files onto this text box."},
      {"Command1", "client", Twips(3240, 6480, 2715, 390), "Create Index.htm", ""},
      {"Label3", "client", Twips(600, 4680, 4890, 465),
       "Note:  You can edit files named FirstPart.txt and LastPart.txt to change how Index.htm "
       "will be built.",
       ""},
      {"chkRunSlideShow", "client", Twips(1560, 3000, 3375, 375),
       "&Run slide show as soon as it is created.", ""},
      {"Frame1", "client", Twips(240, 3480, 5415, 975), "Display slide show files:", ""},
      {"cmdMore", "client", Twips(4680, 2640, 1095, 255), "More Options",
       "Click here to make form larger or smaller"},
      {"Frame2", "client", Twips(6000, 0, 3735, 3135), "Advanced Options:", ""},
      {"chkBMPandGIF", "Frame2", Twips(240, 240, 2895, 375), "Include .BMP's, TIF's, and .GIF's ",
       ""},
      {"txtLastPartFileName", "Frame2", Twips(120, 1440, 2775, 285), "./LastPart.txt", ""},
      {"Label6", "Frame2", Twips(120, 1200, 2295, 255), "Alternative LastPart.txt:", ""},
      {"cmdBrowse", "Frame2", Twips(3000, 1440, 255, 255), "...", ""},
      {"txtFileName", "Frame2", Twips(120, 2280, 3375, 285), "Index.htm",
       "Name of HTML file to create.  Must include .htm extension."},
      {"Label4", "Frame2", Twips(120, 2040, 1215, 255), "File to Create:", ""},
      {"CmdCreateThumbs", "client", Twips(6840, 6240, 1695, 615), "CreateThumbNails", ""},
      {"chkCreateThumbnails", "Frame2", Twips(240, 600, 2775, 375), "Create Thumbnails", ""},
      {"chkMakeWebCopies", "Frame2", Twips(240, 880, 2775, 315), "Make web copies",
       "Also make smaller copies in a Web folder, which the page shows instead of the originals"},
      {"chkAllMedia", "Frame2", Twips(240, 2640, 3375, 315), "Photos and videos of every kind",
       "Also show PNG, WebP and HEIC photos, videos, and the captions written into photos"},
  };
  for (const auto& row : controls) {
    const auto* control = form->findChild<QWidget*>(row.name);
    ASSERT_NE(control, nullptr) << row.name;
    EXPECT_EQ(control->parentWidget()->objectName(), row.container) << row.name;
    EXPECT_EQ(control->geometry(), row.geometry) << row.name;
    EXPECT_EQ(Caption(*control), QString::fromUtf8(row.caption)) << row.name;
    EXPECT_EQ(control->toolTip(), QString::fromUtf8(row.toolTip)) << row.name;
  }

  const auto options = form->findChildren<QRadioButton*>("optSortBy");
  ASSERT_EQ(options.size(), 2);
  EXPECT_EQ(options[0]->text(), "&Alphabetically");
  EXPECT_EQ(options[0]->geometry(), Twips(960, 360, 1815, 400));
  EXPECT_EQ(options[0]->toolTip(), "Sort by file name small to large");
  EXPECT_EQ(options[1]->text(), "&Sorted by Date");
  EXPECT_EQ(options[1]->geometry(), Twips(2640, 360, 2295, 400));
  EXPECT_EQ(options[1]->toolTip(), "Sort by modified date ");
  EXPECT_EQ(options[0]->parentWidget()->objectName(), "Frame1");

  EXPECT_EQ(form->windowTitle(), "Orvale");
  EXPECT_TRUE(form->chkRunSlideShow.isChecked()) << "the page opens by default";
  EXPECT_TRUE(options[1]->isChecked()) << "sorted by date by default";
  EXPECT_FALSE(options[0]->isChecked());
  EXPECT_FALSE(form->chkBMPandGIF.isChecked());
  EXPECT_FALSE(form->chkCreateThumbnails.isChecked());
  EXPECT_FALSE(form->chkMakeWebCopies.isChecked());
  EXPECT_FALSE(form->chkAllMedia.isChecked());
  EXPECT_EQ(state.PageFileName, "Index.htm");
  EXPECT_TRUE(form->Command1.isHidden()) << "the build's buttons are never seen";
  EXPECT_TRUE(form->CmdCreateThumbs.isHidden());

  // What the build reads from the window follows its controls.
  EXPECT_FALSE(form->sortAlphabetically());
  EXPECT_FALSE(form->includeBmpGifTif());
  EXPECT_FALSE(form->allMedia());
  EXPECT_EQ(form->lastPartFileName(), "./LastPart.txt");
  options[0]->setChecked(true);
  form->chkBMPandGIF.setChecked(true);
  form->chkAllMedia.setChecked(true);
  form->txtLastPartFileName.setText("./Alt/LastPart2.txt");
  EXPECT_TRUE(form->sortAlphabetically());
  EXPECT_TRUE(form->includeBmpGifTif());
  EXPECT_TRUE(form->allMedia());
  EXPECT_EQ(form->lastPartFileName(), "./Alt/LastPart2.txt");
}

TEST_F(MainWindowTest, NoCaptionOfEitherWindowIsClipped) {
  EXPECT_EQ(caption_fit::ClippedCaptions(*form), std::vector<std::string>{})
      << "the main window, the advanced options and the hidden buttons included";
  orvale::frmAbout about(host, forms);
  EXPECT_EQ(caption_fit::ClippedCaptions(about), std::vector<std::string>{}) << "the about box";
}

TEST_F(MainWindowTest, OuterSizeIncludesTheFrameFromTheFirstShow) {
  EXPECT_EQ(form->frameGeometry().size(), QSize(405, 241)) << "6075 by 3615 twips, frame included";
  const QMargins frame = form->windowHandle()->frameMargins();
  ASSERT_FALSE(frame.isNull())
      << "the offscreen platform draws a frame, so the test means something";
  EXPECT_EQ(form->size(), QSize(405, 241).shrunkBy(frame))
      << "the client area leaves room for the frame";
}

TEST_F(MainWindowTest, MenusCarryTheirNamesTextsAndShortcut) {
  const struct {
    const char* name;
    const char* text;
  } items[] = {
      {"mnuEditFirst", "Edit &First Part.txt"},
      {"mnuEditLast", "Edit &Last Part.txt"},
      {"mnuExit", "E&xit"},
      {"mnuDemo", "&View Multimedia Demo"},
      {"mnuHelp", "&Help"},
      {"mnuHelpAbout", "&About"},
  };
  for (const auto& item : items) {
    const auto* action = form->findChild<QAction*>(item.name);
    ASSERT_NE(action, nullptr) << item.name;
    EXPECT_EQ(action->text(), item.text) << item.name;
  }
  const auto menus = form->menuBar()->actions();
  ASSERT_EQ(menus.size(), 2);
  EXPECT_EQ(menus[0]->text(), "&File");
  EXPECT_EQ(menus[0]->menu()->actions(),
            (QList<QAction*>{&form->mnuEditFirst, &form->mnuEditLast, &form->mnuExit}));
  EXPECT_EQ(menus[1]->text(), "&Help");
  EXPECT_EQ(menus[1]->menu()->actions(),
            (QList<QAction*>{&form->mnuDemo, &form->mnuHelp, &form->mnuHelpAbout}));
  EXPECT_EQ(form->mnuHelp.shortcut(), QKeySequence(Qt::Key_F1));
}

TEST_F(MainWindowTest, TabMovesThroughTheControlsInTheFormsOrder) {
  form->findChild<QPushButton*>("cmdMore")->click();  // every control on screen
  const std::vector<QWidget*> expected = {
      &form->txtFolderToBrowse, &form->chkRunSlideShow, &form->optSortBy[0],
      &form->cmdMore,           &form->chkBMPandGIF,    &form->txtLastPartFileName,
      &form->cmdBrowse,         &form->txtFileName,     &form->chkCreateThumbnails,
      &form->chkMakeWebCopies,  &form->chkAllMedia};
  form->activateWindow();
  form->txtFolderToBrowse.setFocus();
  std::vector<QWidget*> visited;
  for (std::size_t k = 0; k < expected.size(); ++k) {
    visited.push_back(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  EXPECT_EQ(visited, expected) << "hidden buttons are passed over; the options are one stop";
  EXPECT_EQ(QApplication::focusWidget(), &form->txtFolderToBrowse) << "the order wraps around";
}

TEST_F(MainWindowTest, MoreOptionsAndSeeLessSwitchTheOuterSize) {
  const QPoint corner = form->frameGeometry().topLeft();
  const struct {
    QSize outer;
    const char* caption;
  } steps[] = {{{663, 428}, "See Less"}, {{405, 241}, "More Options"}, {{663, 428}, "See Less"}};
  for (const auto& step : steps) {
    form->cmdMore.click();
    EXPECT_EQ(form->frameGeometry().size(), step.outer) << step.caption;
    EXPECT_EQ(form->cmdMore.text(), step.caption);
    EXPECT_EQ(form->frameGeometry().topLeft(), corner) << "the window grows right and down";
  }

  // A size dragged by hand changes nothing; the next click applies a fixed size.
  form->resize(500, 300);
  form->cmdMore.click();
  EXPECT_EQ(form->frameGeometry().size(), QSize(405, 241));
  EXPECT_EQ(form->cmdMore.text(), "More Options");
}

TEST_F(MainWindowTest, MaximisedWindowHidesMoreOptionsAndIgnoresIt) {
  form->cmdMore.click();
  form->showMaximized();
  QTRY_VERIFY(form->isMaximized());
  EXPECT_TRUE(form->cmdMore.isHidden());
  const QSize maximised = form->size();
  form->cmdMore.click();  // the action itself also looks at the window state
  EXPECT_EQ(form->size(), maximised);
  EXPECT_EQ(form->cmdMore.text(), "See Less");

  form->showNormal();
  QTRY_VERIFY(!form->isMaximized());
  EXPECT_FALSE(form->cmdMore.isHidden());
  EXPECT_EQ(form->cmdMore.text(), "See Less");
  QTRY_COMPARE(form->frameGeometry().size(), QSize(663, 428));

  form->showMinimized();
  EXPECT_FALSE(form->cmdMore.isHidden()) << "only a maximised window hides the button";
}

TEST_F(MainWindowTest, PageFileNameFollowsEveryEditOfTheBox) {
  form->txtFileName.setFocus();
  form->txtFileName.selectAll();
  QTest::keyClick(&form->txtFileName, Qt::Key_Delete);
  EXPECT_EQ(state.PageFileName, "") << "an empty name is stored as it is";
  QTest::keyClicks(&form->txtFileName, "Show");
  EXPECT_EQ(state.PageFileName, "Show") << "key by key";
  QTest::keyClicks(&form->txtFileName, ".html");
  EXPECT_EQ(state.PageFileName, "Show.html");
  form->txtFileName.setText("Diaporama é.htm");
  EXPECT_EQ(state.PageFileName, "Diaporama \xC3\xA9.htm");
  EXPECT_EQ(form->Label2.text(), "A file named 'Index.htm' will be created in that folder.");
}

TEST_F(MainWindowTest, ClosingTheMainWindowClosesEveryWindow) {
  const struct {
    const char* how;
    std::function<void(orvale::frmMain&)> close;
  } ways[] = {
      {"close box", [](orvale::frmMain& window) { window.close(); }},
      {"Exit", [](orvale::frmMain& window) { window.mnuExit.trigger(); }},
  };
  for (const auto& way : ways) {
    form = std::make_unique<orvale::frmMain>(state, host, program.path(), forms);
    form->show();
    orvale::frmAbout about(host, forms);
    about.show();
    ASSERT_EQ(forms.count(), 2u) << way.how;
    way.close(*form);
    EXPECT_FALSE(form->isVisible()) << way.how;
    EXPECT_FALSE(about.isVisible()) << way.how;
    EXPECT_EQ(forms.count(), 0u) << way.how;
  }
  // Closing the about box alone leaves the main window alone.
  form = std::make_unique<orvale::frmMain>(state, host, program.path(), forms);
  form->show();
  {
    orvale::frmAbout about(host, forms);
    about.show();
    about.close();
    EXPECT_EQ(forms.count(), 1u);
  }
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(forms.count(), 1u);
}
