#pragma once

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/FormsCollection.h"
#include "common/WaitSeconds.h"
#include "orvale/builder/BuildOptions.h"
#include "orvale/builder/Module1.h"
#include "orvale/builder/ScanFolder.h"
#include "orvale/builder/TemplatePaths.h"
#include "orvale/window/FolderDropBox.h"
#include "orvale/window/OpenFileDialog.h"
#include "orvale/window/OuterWindowSize.h"
#include "orvale/window/frmAbout.h"
#include "platform/HostServices.h"

namespace orvale {

// The slide show maker's main window: the folder box that takes drops and
// shows the build's progress, the options the build reads, and the More
// Options / See Less button that switches between two fixed window sizes.
// Controls are public members carrying their names as object names; the
// hidden buttons Command1 and CmdCreateThumbs hold the build's two steps.
class frmMain : public QMainWindow, public BuildOptions, public common::LoadedForm {
  Q_OBJECT

 public:
  frmMain(Module1& state, platform::HostServices& host, std::filesystem::path programFolder,
          common::FormsCollection& forms = common::FormsCollection::program(),
          common::TimeOfDayClock clock = common::SecondsSinceMidnight);
  ~frmMain() override;

  // What the build reads from the window, at the moment it needs it.
  bool sortAlphabetically() const override;
  bool includeBmpGifTif() const override;
  bool allMedia() const override;
  std::string lastPartFileName() const override;

  // Closing the main window closes every window of the program.
  void unload() override;

  // The build a drop on the folder box runs: the dropped items' local paths,
  // or nothing for a drop without a file list.
  void txtFolderToBrowse_OLEDragDrop(const std::optional<std::vector<std::string>>& items);
  // Takes a drop's items at once and has them built after the event that
  // brought them, in turn with every other drop: none is ever lost.
  void takeDrop(const std::optional<std::vector<std::string>>& items);

  // Replaces the Open dialog that "..." shows, so tests can answer it.
  void setOpenFileChooser(OpenFileChooser chooser) { chooseFile_ = std::move(chooser); }

  // The about box while it is open, else nothing.
  frmAbout* aboutBox() const;

  // The window's client area, below the menu bar; the controls sit on it.
  QWidget client;

  QLabel Label1;
  QLabel Label2;
  FolderDropBox txtFolderToBrowse;
  QPushButton Command1;
  QLabel Label3;
  QCheckBox chkRunSlideShow;
  QGroupBox Frame1;
  // Index 0 orders the pictures by name, index 1 by date.
  std::array<QRadioButton, 2> optSortBy;
  QPushButton cmdMore;
  QGroupBox Frame2;
  QCheckBox chkBMPandGIF;
  QLineEdit txtLastPartFileName;
  QLabel Label6;
  QPushButton cmdBrowse;
  QLineEdit txtFileName;
  QLabel Label4;
  QPushButton CmdCreateThumbs;
  QCheckBox chkCreateThumbnails;
  QCheckBox chkMakeWebCopies;
  QCheckBox chkAllMedia;

  QMenu mnuFile;
  QMenu mnuHelpMain;
  QAction mnuEditFirst;
  QAction mnuEditLast;
  QAction mnuExit;
  QAction mnuDemo;
  QAction mnuHelp;
  QAction mnuHelpAbout;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void createControls();
  // The controls of the frame that More Options shows.
  void createAdvancedOptions();
  void createActions();
  void setTabOrderOfControls();

  // The hidden buttons' click actions, which the drop build runs in turn.
  ScanOutcome Command1_Click();
  void CmdCreateThumbs_Click();
  void mnuExit_Click();
  void cmdBrowse_Click();
  void mnuEditFirst_Click();
  void mnuEditLast_Click();
  void mnuDemo_Click();
  void mnuHelp_Click();
  void mnuHelpAbout_Click();
  // Builds the drops that wait, one after the other, unless a build is
  // past its pauses.
  void buildWaitingDrops();
  void pause(double seconds);
  // Hands a file to the desktop, from the program folder.
  void shellOpen(const std::string& target);
  // The warning about backups, then the user's copy of the template in the
  // desktop's editor.
  void editTemplate(const TemplateFile& file);
  void cmdMore_Click();
  void txtFileName_Change();
  void Form_Resize();
  bool isMaximisedNow() const;

  Module1& state_;
  platform::HostServices& host_;
  std::filesystem::path programFolder_;
  common::FormsCollection& forms_;
  common::TimeOfDayClock clock_;
  OuterWindowSize outerSize_;
  bool loaded_ = true;
  // What the latest scan reported: the thumbnail launch that follows it has
  // no other way to know whether CurrentFolder is the folder just built.
  ScanOutcome latestScan_;
  OpenFileChooser chooseFile_ = ShowOpenFileDialog;
  // Drops taken and not yet built, oldest first. A drop is built after the
  // event that brought it: the platform ends its side of a drag only when
  // that event returns, and a drag that starts in the meantime must not be
  // ended with it.
  std::deque<std::optional<std::vector<std::string>>> waitingDrops_;
  // No build runs, or the one that runs is in a pause, where a drop may run
  // a whole build of its own; elsewhere (a question open, the page being
  // written) a new build would change what the running one works on.
  bool buildMayStart_ = true;
  // Made on first demand and again after it was closed; one box at most.
  std::unique_ptr<frmAbout> about_;
};

}  // namespace orvale
