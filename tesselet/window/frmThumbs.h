#pragma once

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/FormsCollection.h"
#include "common/WaitSeconds.h"
#include "platform/HostServices.h"
#include "tesselet/batch/BatchView.h"
#include "tesselet/batch/ThumbnailBatch.h"
#include "tesselet/window/ProgressPicture.h"
#include "tesselet/window/mBrowseForFolder.h"
#include "tesselet/window/mChooseColor.h"

namespace tesselet {

// The thumbnail maker's window. Its small client area shows only the
// progress caption and bar; the settings the batch reads (folders, picture
// list, type, size, background colour) sit further down, outside it, as
// the unattended run needs no more. Controls are public members carrying
// their names as object names.
class frmThumbs : public QWidget, public BatchView, public common::LoadedForm {
  Q_OBJECT

 public:
  frmThumbs(platform::HostServices& host,
            common::FormsCollection& forms = common::FormsCollection::program(),
            common::TimeOfDayClock clock = common::SecondsSinceMidnight);
  ~frmThumbs() override;

  // The unattended run: relist, pause 0.4 seconds, run the batch.
  BatchOutcome ClickTHEButton();

  // Whether the list takes photos and videos of every kind (PNG, WebP,
  // HEIC, MP4...) beside today's pictures; set before the folder's text.
  void SetAllMedia(bool allMedia) { allMedia_ = allMedia; }

  // Rebuilds the picture list from the image folder's text. Raises the
  // listing's run-time error when the folder cannot be read.
  void ListImages();

  // The colour the button shows and the batch uses (0x00BBGGRR).
  std::uint32_t BackColor() const { return backColor_; }
  void SetBackColor(std::uint32_t colour);

  void unload() override;

  // BatchView
  std::string thumbnailsFolderText() const override;
  std::vector<std::string> listEntries() const override;
  ThumbnailSettings currentSettings() const override;
  void showBatchStarted() override;
  void showProgress(std::int32_t done, std::int32_t total) override;
  void showBatchEnded() override;
  bool stopRequested() const override { return stopRequested_; }

  std::array<QLabel, 7> Label1;
  QLineEdit txtImgDir;
  QLineEdit txtThumbDir;
  QPushButton cmdBrowseImg;
  QPushButton cmdBrowseThumb;
  QListWidget lstImages;
  QLabel Label2;
  QLabel Label3;
  QLineEdit txtMaxWidth;
  QLineEdit txtMaxHeight;
  QPushButton cmdBackColor;
  QPushButton cmdCreate;
  QCheckBox chkForceDimensions;
  // Index 0 writes bitmaps, index 1 JPEG files.
  std::array<QRadioButton, 2> optType;
  ProgressPicture picProgress;
  QLabel lblProgress;
  QFrame Line1;
  std::array<QFrame, 2> Line3;
  QFrame Line2;

  QMenu mnuSel;
  QAction mnuSelAll;
  QAction mnuDeselAll;

  // The picker modules, kept for the whole run.
  mBrowseForFolder browseForFolder;
  mChooseColor chooseColor;

  // The outcome of the latest batch.
  const BatchOutcome& LastOutcome() const { return lastOutcome_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void createControls();
  void createSettingControls();
  void createMenu();
  void setTabOrderOfControls();

  void txtImgDir_Change();
  void cmdBrowseImg_Click();
  void cmdBrowseThumb_Click();
  void cmdBackColor_Click();
  void cmdCreate_Click();
  void RunBatch(ThumbnailBatch& batch);
  void SetAllSelected(bool selected);

  platform::HostServices& host_;
  common::FormsCollection& forms_;
  common::TimeOfDayClock clock_;
  std::uint32_t backColor_ = 0xFFFFFF;
  BatchOutcome lastOutcome_;
  bool stopRequested_ = false;
  bool allMedia_ = false;
};

}  // namespace tesselet
