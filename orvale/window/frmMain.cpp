#include "orvale/window/frmMain.h"

#include <QCloseEvent>
#include <QDropEvent>
#include <QMenuBar>
#include <utility>

#include "common/UnloadAllForms.h"
#include "orvale/builder/ProgramName.h"
#include "orvale/builder/TemplatePaths.h"
#include "orvale/window/DroppedItems.h"
#include "orvale/window/ProgramIcon.h"
#include "orvale/window/TailTemplateChoice.h"
#include "orvale/window/ThumbnailMakerLaunch.h"
#include "platform/QtText.h"
#include "platform/RunTimeError.h"
#include "platform/TwipsLayout.h"

namespace orvale {

namespace {

using platform::Place;

QSize TwipsSize(int width, int height) {
  return {platform::Pixels(width), platform::Pixels(height)};
}

const QSize kCollapsedSize = TwipsSize(6075, 3615);
const QSize kExpandedSize = TwipsSize(9945, 6420);
const QString kMoreOptions = QStringLiteral("More Options");

// The Open dialog's file types, the first preselected. Names on disk keep
// their case, so the text files are matched in both.
const QStringList kTailTemplateTypes = {
    QStringLiteral("LastPart Files (LastPart*.txt) (LastPart*.*)"),
    QStringLiteral("Text Files (*.TXT) (*.TXT *.txt)"),
    QStringLiteral("All Files (*.*) (*)"),
};

// The dialog's code for "failed to load". The companion file browser then
// shows the program folder while the user presses "..." again.
constexpr int kDialogFailedToLoad = 32768;
constexpr int kLongestFileName = 256;

void Centre(QLabel& label) {
  label.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  label.setWordWrap(true);
}

}  // namespace

frmMain::frmMain(Module1& state, platform::HostServices& host, std::filesystem::path programFolder,
                 common::FormsCollection& forms, common::TimeOfDayClock clock)
    : state_(state),
      host_(host),
      programFolder_(std::move(programFolder)),
      forms_(forms),
      clock_(std::move(clock)),
      outerSize_(*this) {
  // Menus are pop-up windows of their own; parenting them keeps them with
  // the window's children.
  mnuFile.setParent(this, mnuFile.windowFlags());
  mnuHelpMain.setParent(this, mnuHelpMain.windowFlags());
  setObjectName("frmMain");
  setWindowTitle(kProgramName);
  setWindowIcon(ProgramIcon());
  setAcceptDrops(true);
  // The default dialog font the layout was drawn for.
  setFont(platform::DialogFont(font(), QStringLiteral("Microsoft Sans Serif"), 8));
  setCentralWidget(&client);
  client.setObjectName("client");
  createControls();
  createActions();
  setTabOrderOfControls();
  forms_.add(this);
  outerSize_.apply(kCollapsedSize);
}

frmMain::~frmMain() { forms_.remove(this); }

void frmMain::createControls() {
  Place(Label1, client, "Label1", 120, 1560, 5940, 315,
        "Drag a folder from any Windows Explorer window onto the text box above.  ");
  Centre(Label1);
  Place(Label2, client, "Label2", 0, 1800, 5640, 195,
        "A file named 'Index.htm' will be created in that folder.");
  Centre(Label2);

  Place(txtFolderToBrowse, client, "txtFolderToBrowse", 360, 75, 5160, 1320);
  txtFolderToBrowse.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txtFolderToBrowse.setTabChangesFocus(true);
  txtFolderToBrowse.setToolTip("Drag a folder or files onto this text box.");
  txtFolderToBrowse.setDropHandler(
      [this](const std::optional<std::vector<std::string>>& items) { takeDrop(items); });

  // Never shown: the build runs its click, nobody clicks it.
  Place(Command1, client, "Command1", 3240, 6480, 2715, 390, "Create Index.htm");
  Command1.hide();
  connect(&Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

  Place(Label3, client, "Label3", 600, 4680, 4890, 465,
        "Note:  You can edit files named FirstPart.txt and LastPart.txt to change how "
        "Index.htm will be built.");
  Centre(Label3);

  Place(chkRunSlideShow, client, "chkRunSlideShow", 1560, 3000, 3375, 375,
        "&Run slide show as soon as it is created.");
  chkRunSlideShow.setChecked(true);

  Place(Frame1, client, "Frame1", 240, 3480, 5415, 975, "Display slide show files:");
  Place(optSortBy[0], Frame1, "optSortBy", 960, 360, 1815, 400, "&Alphabetically");
  optSortBy[0].setToolTip("Sort by file name small to large");
  optSortBy[0].setProperty("Index", 0);
  Place(optSortBy[1], Frame1, "optSortBy", 2640, 360, 2295, 400, "&Sorted by Date");
  optSortBy[1].setToolTip("Sort by modified date ");
  optSortBy[1].setProperty("Index", 1);
  optSortBy[1].setChecked(true);

  Place(cmdMore, client, "cmdMore", 4680, 2640, 1095, 255, kMoreOptions);
  cmdMore.setToolTip("Click here to make form larger or smaller");
  connect(&cmdMore, &QPushButton::clicked, this, [this] { cmdMore_Click(); });

  createAdvancedOptions();

  Place(CmdCreateThumbs, client, "CmdCreateThumbs", 6840, 6240, 1695, 615, "CreateThumbNails");
  CmdCreateThumbs.hide();
  connect(&CmdCreateThumbs, &QPushButton::clicked, this, [this] { CmdCreateThumbs_Click(); });
}

void frmMain::createAdvancedOptions() {
  Place(Frame2, client, "Frame2", 6000, 0, 3735, 3135, "Advanced Options:");
  Place(chkBMPandGIF, Frame2, "chkBMPandGIF", 240, 240, 2895, 375,
        "Include .BMP's, TIF's, and .GIF's ");
  Place(txtLastPartFileName, Frame2, "txtLastPartFileName", 120, 1440, 2775, 285, "./LastPart.txt");
  // Dropped text would otherwise be typed into the boxes; drops outside the
  // folder box belong to the window, which ignores them.
  txtLastPartFileName.setAcceptDrops(false);
  Place(Label6, Frame2, "Label6", 120, 1200, 2295, 255, "Alternative LastPart.txt:");
  Place(cmdBrowse, Frame2, "cmdBrowse", 3000, 1440, 255, 255, "...");
  connect(&cmdBrowse, &QPushButton::clicked, this, [this] { cmdBrowse_Click(); });
  Place(txtFileName, Frame2, "txtFileName", 120, 2280, 3375, 285, "Index.htm");
  txtFileName.setToolTip("Name of HTML file to create.  Must include .htm extension.");
  txtFileName.setAcceptDrops(false);
  // Connected after the default text is in, which is not an edit.
  connect(&txtFileName, &QLineEdit::textChanged, this, [this] { txtFileName_Change(); });
  Place(Label4, Frame2, "Label4", 120, 2040, 1215, 255, "File to Create:");
  Place(chkCreateThumbnails, Frame2, "chkCreateThumbnails", 240, 600, 2775, 375,
        "Create Thumbnails");
  Place(chkMakeWebCopies, Frame2, "chkMakeWebCopies", 240, 880, 2775, 315, "Make web copies");
  chkMakeWebCopies.setToolTip(
      "Also make smaller copies in a Web folder, which the page shows instead of the originals");
  Place(chkAllMedia, Frame2, "chkAllMedia", 240, 2640, 3375, 315,
        "Photos and videos of every kind");
  chkAllMedia.setToolTip(
      "Also show PNG, WebP and HEIC photos, videos, and the captions written into photos");
}

// Every menu and action is made here and connected where it is made.
void frmMain::createActions() {
  const auto item = [this](QAction& action, QMenu& menu, const char* name, const char* text,
                           void (frmMain::*handler)() = nullptr) {
    action.setObjectName(QString::fromLatin1(name));
    action.setText(QString::fromLatin1(text));
    action.setParent(&menu);
    menu.addAction(&action);
    if (handler) connect(&action, &QAction::triggered, this, handler);
  };
  // Menus open as windows of their own, which take no font from this one.
  mnuFile.setFont(font());
  mnuHelpMain.setFont(font());
  mnuFile.setObjectName("mnuFile");
  mnuFile.setTitle("&File");
  menuBar()->addMenu(&mnuFile);
  item(mnuEditFirst, mnuFile, "mnuEditFirst", "Edit &First Part.txt", &frmMain::mnuEditFirst_Click);
  item(mnuEditLast, mnuFile, "mnuEditLast", "Edit &Last Part.txt", &frmMain::mnuEditLast_Click);
  item(mnuExit, mnuFile, "mnuExit", "E&xit", &frmMain::mnuExit_Click);

  mnuHelpMain.setObjectName("mnuHelpMain");
  mnuHelpMain.setTitle("&Help");
  menuBar()->addMenu(&mnuHelpMain);
  item(mnuDemo, mnuHelpMain, "mnuDemo", "&View Multimedia Demo", &frmMain::mnuDemo_Click);
  item(mnuHelp, mnuHelpMain, "mnuHelp", "&Help", &frmMain::mnuHelp_Click);
  mnuHelp.setShortcut(QKeySequence(Qt::Key_F1));
  mnuHelp.setShortcutContext(Qt::WindowShortcut);
  item(mnuHelpAbout, mnuHelpMain, "mnuHelpAbout", "&About", &frmMain::mnuHelpAbout_Click);
}

void frmMain::setTabOrderOfControls() {
  // Labels and frames take no focus; the rest follow the form's tab order.
  QWidget* const order[] = {
      &txtFolderToBrowse, &Command1,    &chkRunSlideShow, &optSortBy[0],
      &optSortBy[1],      &cmdMore,     &chkBMPandGIF,    &txtLastPartFileName,
      &cmdBrowse,         &txtFileName, &CmdCreateThumbs, &chkCreateThumbnails,
      &chkMakeWebCopies,  &chkAllMedia};
  for (std::size_t k = 1; k < std::size(order); ++k) setTabOrder(order[k - 1], order[k]);
}

bool frmMain::sortAlphabetically() const { return optSortBy[0].isChecked(); }

bool frmMain::includeBmpGifTif() const { return chkBMPandGIF.isChecked(); }

bool frmMain::allMedia() const { return chkAllMedia.isChecked(); }

std::string frmMain::lastPartFileName() const {
  return platform::ToBytes(txtLastPartFileName.text());
}

void frmMain::takeDrop(const std::optional<std::vector<std::string>>& items) {
  waitingDrops_.push_back(items);
  QMetaObject::invokeMethod(
      this, [this] { buildWaitingDrops(); }, Qt::QueuedConnection);
}

void frmMain::buildWaitingDrops() {
  // The running build takes them up when it ends.
  if (!buildMayStart_) return;
  while (!waitingDrops_.empty()) {
    const std::optional<std::vector<std::string>> items = std::move(waitingDrops_.front());
    waitingDrops_.pop_front();
    txtFolderToBrowse_OLEDragDrop(items);
  }
}

void frmMain::pause(double seconds) {
  const bool mayStart = std::exchange(buildMayStart_, true);
  common::WaitSeconds(host_, seconds, clock_);
  buildMayStart_ = mayStart;
}

void frmMain::txtFolderToBrowse_OLEDragDrop(const std::optional<std::vector<std::string>>& items) {
  const bool mayStart = std::exchange(buildMayStart_, false);
  host_.setBusyPointer(true);
  txtFolderToBrowse.showText("Scanning Folder...");
  pause(0.6);
  txtFolderToBrowse.showText("Building slideshow...");
  pause(0.5);
  // Each item in turn; the last one decides which folder is built.
  if (items) {
    for (const std::string& item : *items) {
      txtFolderToBrowse.showText(item);
      const std::string folder = FolderOfDroppedItem(item);
      if (folder != item) txtFolderToBrowse.showText(folder);
    }
  }
  const ScanOutcome scan = Command1_Click();
  CmdCreateThumbs_Click();
  std::string done = "Done";
  // A page made from the user's own templates says so, below "Done".
  for (const std::string& copy : scan.userCopiesRead) {
    done += '\n';
    done += UserCopyReadNote(copy);
  }
  txtFolderToBrowse.showText(done);
  host_.setBusyPointer(false);
  if (scan.pageWritten && chkRunSlideShow.isChecked()) {
    host_.openDocument(state_.CurrentFolder + state_.PageFileName, state_.CurrentFolder);
  } else {
    for (int k = 0; k < 3; ++k) host_.beep();
  }
  buildMayStart_ = mayStart;
  // Drops taken while this build could not give way wait for it no longer.
  if (!waitingDrops_.empty())
    QMetaObject::invokeMethod(
        this, [this] { buildWaitingDrops(); }, Qt::QueuedConnection);
}

ScanOutcome frmMain::Command1_Click() {
  latestScan_ = ScanFolder(txtFolderToBrowse.text(), *this, state_, host_, programFolder_);
  return latestScan_;
}

void frmMain::CmdCreateThumbs_Click() {
  const ThumbnailMakerOutputs outputs{chkCreateThumbnails.isChecked(),
                                      chkMakeWebCopies.isChecked()};
  if (!outputs.thumbnails && !outputs.webCopies) return;
  // Thumbnails for a folder that was not reached would land in an earlier
  // build's folder, or in the working folder before any build.
  if (!latestScan_.folderReached) return;
  LaunchThumbnailMaker(state_.CurrentFolder, outputs, allMedia(), host_, programFolder_);
}

void frmMain::mnuExit_Click() { common::UnloadAllForms(forms_); }

void frmMain::cmdBrowse_Click() {
  try {
    const std::optional<std::string> chosen =
        chooseFile_(*this, programFolder_.string(), kTailTemplateTypes);
    if (!chosen) return;  // cancelled: the box keeps its template
    txtLastPartFileName.setText(platform::ToQString(*chosen));
    if (txtLastPartFileName.text().size() > kLongestFileName)
      host_.showMessage(
          "Windows long file names cannot exceed 256 characters.  This includes the path to "
          "the file.",
          kProgramName);
    txtLastPartFileName.setText(platform::ToQString(TailTemplateText(programFolder_, *chosen)));
  } catch (const platform::RunTimeError& error) {
    if (error.number() != kDialogFailedToLoad) {
      host_.showMessage("Error Opening Common Dialogue ", "Please try again.");
      return;
    }
    host_.startProgram((programFolder_ / "wexmoor").string(), {"1"}, programFolder_.string());
    host_.showMessage("File browser wasn't ready, please double click again.", "32768 Corrected");
  } catch (const std::exception&) {
    host_.showMessage("Error Opening Common Dialogue ", "Please try again.");
  }
}

void frmMain::shellOpen(const std::string& target) {
  host_.openDocument(target, programFolder_.string());
}

void frmMain::editTemplate(const TemplateFile& file) {
  host_.showMessage("Please remember to make a back up copy before changing Java Script.",
                    kProgramName);
  const TemplateToOpen target = TemplateToEdit(file);
  if (target.copyError) {
    host_.showMessage("Your own copy of the template could not be made at " +
                          file.userCopy->string() + ": " + target.copyError->description() +
                          ".\nThe shipped template is opened instead.",
                      kProgramName);
  }
  shellOpen(target.path);
}

void frmMain::mnuEditFirst_Click() {
  editTemplate(HeadTemplate(programFolder_, UserTemplateFolder()));
}

// The template the box names now, which the next build reads.
void frmMain::mnuEditLast_Click() {
  editTemplate(TailTemplate(programFolder_, UserTemplateFolder(), lastPartFileName()));
}

void frmMain::mnuDemo_Click() { shellOpen((programFolder_ / "OrvaleDemo.avi").string()); }

void frmMain::mnuHelp_Click() { shellOpen((programFolder_ / "Help.htm").string()); }

void frmMain::mnuHelpAbout_Click() {
  if (!aboutBox()) about_ = std::make_unique<frmAbout>(host_, forms_);
  about_->show();
  about_->raise();
  about_->activateWindow();
}

frmAbout* frmMain::aboutBox() const {
  return about_ && about_->isLoaded() ? about_.get() : nullptr;
}

void frmMain::cmdMore_Click() {
  if (isMaximisedNow()) return;
  if (cmdMore.text() == kMoreOptions) {
    outerSize_.apply(kExpandedSize);
    cmdMore.setText("See Less");
  } else {
    outerSize_.apply(kCollapsedSize);
    cmdMore.setText(kMoreOptions);
  }
}

void frmMain::txtFileName_Change() { state_.PageFileName = platform::ToBytes(txtFileName.text()); }

bool frmMain::isMaximisedNow() const {
  const Qt::WindowStates states = windowState();
  return (states & (Qt::WindowMaximized | Qt::WindowFullScreen)) && !(states & Qt::WindowMinimized);
}

void frmMain::Form_Resize() { cmdMore.setVisible(!isMaximisedNow()); }

void frmMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  Form_Resize();
}

void frmMain::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) Form_Resize();
}

void frmMain::unload() {
  if (!loaded_) return;
  loaded_ = false;
  forms_.remove(this);
  // The other windows go with the main window.
  common::UnloadAllForms(forms_);
  close();
}

void frmMain::closeEvent(QCloseEvent* event) {
  unload();
  event->accept();
}

// A drop anywhere else on the window is taken and nothing comes of it.
void frmMain::dragEnterEvent(QDragEnterEvent* event) { TakeDrop(*event); }

void frmMain::dragMoveEvent(QDragMoveEvent* event) { TakeDrop(*event); }

void frmMain::dropEvent(QDropEvent* event) { TakeDrop(*event); }

}  // namespace orvale
