#include "tesselet/window/frmThumbs.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <memory>
#include <string>
#include <utility>

#include "imaging/pixels/SystemColour.h"
#include "platform/QtText.h"
#include "platform/RunTimeError.h"
#include "platform/TwipsLayout.h"
#include "tesselet/batch/BatchProgress.h"
#include "tesselet/batch/FolderText.h"
#include "tesselet/batch/ImageListing.h"
#include "tesselet/batch/ProgramName.h"

namespace tesselet {

namespace {

using platform::Pixels;
using platform::Place;
using platform::ToBytes;
using platform::ToQString;

constexpr int kClientWidth = 5520;
constexpr int kClientHeight = 1125;
constexpr double kClickWaitSeconds = 0.4;
constexpr int kEntryBytes = Qt::UserRole;

void PlaceLine(QFrame& line, QWidget& form, const char* name, int left, int right, int y) {
  Place(line, form, name, left, y, right - left, 30);
  line.setFrameShape(QFrame::HLine);
  line.setFrameShadow(QFrame::Sunken);
  line.setFocusPolicy(Qt::NoFocus);
}

void Bold(QWidget& control) {
  QFont font = control.font();
  font.setBold(true);
  control.setFont(font);
}

}  // namespace

frmThumbs::frmThumbs(platform::HostServices& host, common::FormsCollection& forms,
                     common::TimeOfDayClock clock)
    : host_(host), forms_(forms), clock_(std::move(clock)) {
  mnuSel.setParent(this, mnuSel.windowFlags());
  setObjectName("frmThumbs");
  setWindowTitle("Orvale Thumbnail Creator");
  // A fixed border with a close button only.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFont(platform::DialogFont(font(), QStringLiteral("MS Sans Serif"), 8.25));
  setFixedSize(Pixels(kClientWidth), Pixels(kClientHeight));
  createControls();
  createMenu();
  setTabOrderOfControls();
  forms_.add(this);
  // The load step.
  chooseColor.InitCustomColors();
}

frmThumbs::~frmThumbs() {
  // The list goes before this window's own parts, and its teardown must not
  // reach the filter of a window that is half gone.
  lstImages.viewport()->removeEventFilter(this);
  forms_.remove(this);
}

void frmThumbs::createControls() {
  static constexpr const char* kLabels[] = {
      "Image Dir:",  "Thumbnail Dir:", "Select Images:", "Max Width:",
      "Max Height:", "Back Color:",    "Type:"};
  static constexpr int kLabelPlaces[][4] = {{900, 2550, 885, 195},   {540, 2910, 1245, 195},
                                            {510, 3450, 1275, 195},  {3240, 3960, 975, 195},
                                            {3240, 4320, 1035, 195}, {3240, 5160, 1005, 195},
                                            {3240, 3480, 495, 225}};
  for (std::size_t k = 0; k < Label1.size(); ++k) {
    const int* at = kLabelPlaces[k];
    Place(Label1[k], *this, "Label1", at[0], at[1], at[2], at[3], kLabels[k]);
    Label1[k].setProperty("Index", int(k));
    Bold(Label1[k]);
  }
  // Centred in height like the other labels: a face taller than its row
  // would otherwise lose its descenders at the bottom.
  Label1[0].setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Label1[1].setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  Place(txtImgDir, *this, "txtImgDir", 1830, 2490, 3825, 285);
  connect(&txtImgDir, &QLineEdit::textChanged, this, [this] { txtImgDir_Change(); });
  Place(txtThumbDir, *this, "txtThumbDir", 1800, 2850, 3825, 285);
  Place(cmdBrowseImg, *this, "cmdBrowseImg", 5700, 2490, 315, 315, "...");
  connect(&cmdBrowseImg, &QPushButton::clicked, this, [this] { cmdBrowseImg_Click(); });
  Place(cmdBrowseThumb, *this, "cmdBrowseThumb", 5700, 2850, 315, 315, "...");
  connect(&cmdBrowseThumb, &QPushButton::clicked, this, [this] { cmdBrowseThumb_Click(); });

  Place(lstImages, *this, "lstImages", 480, 3720, 2445, 2340);
  // A click toggles an entry; several may be selected.
  lstImages.setSelectionMode(QAbstractItemView::MultiSelection);
  lstImages.viewport()->installEventFilter(this);

  createSettingControls();

  Place(picProgress, *this, "picProgress", 1440, 360, 2790, 255);
  picProgress.hide();
  Place(lblProgress, *this, "lblProgress", 1440, 120, 2745, 225, "Creating thumbnails...");
  lblProgress.setAlignment(Qt::AlignHCenter | Qt::AlignTop);

  PlaceLine(Line1, *this, "Line1", 480, 6030, 3300);
  PlaceLine(Line3[1], *this, "Line3", 3240, 6030, 3810);
  Line3[1].setProperty("Index", 1);
  PlaceLine(Line3[0], *this, "Line3", 3240, 6030, 4680);
  Line3[0].setProperty("Index", 0);
  PlaceLine(Line2, *this, "Line2", 3240, 6030, 5490);
}

void frmThumbs::createSettingControls() {
  // The units and "Bitmap" are wider than drawn, so their captions fit a
  // face with Arial's metrics, and the captions with descenders in the row
  // of the type are two pixels taller, so a taller face keeps them; the room
  // is free to their right and below.
  Place(Label2, *this, "Label2", 5220, 3960, 495, 225, "pixels");
  Place(Label3, *this, "Label3", 5220, 4320, 495, 225, "pixels");
  Place(txtMaxWidth, *this, "txtMaxWidth", 4350, 3930, 795, 285, "50");
  Place(txtMaxHeight, *this, "txtMaxHeight", 4350, 4290, 795, 285, "50");

  Place(cmdBackColor, *this, "cmdBackColor", 4350, 5130, 795, 285);
  SetBackColor(0xFFFFFF);
  connect(&cmdBackColor, &QPushButton::clicked, this, [this] { cmdBackColor_Click(); });
  Place(cmdCreate, *this, "cmdCreate", 3120, 5640, 2775, 465, "Create Thumbnails!");
  Bold(cmdCreate);
  connect(&cmdCreate, &QPushButton::clicked, this, [this] { cmdCreate_Click(); });
  Place(chkForceDimensions, *this, "chkForceDimensions", 3240, 4830, 2775, 195,
        "Force above dimensions");

  Place(optType[0], *this, "optType", 3930, 3480, 870, 225, "Bitmap");
  optType[0].setProperty("Index", 0);
  Place(optType[1], *this, "optType", 4800, 3480, 795, 225, "JPEG");
  optType[1].setProperty("Index", 1);
  optType[1].setChecked(true);
}

void frmThumbs::createMenu() {
  mnuSel.setObjectName("mnuSel");
  mnuSel.setFont(font());
  const auto item = [this](QAction& action, const char* name, const char* text, bool selected) {
    action.setObjectName(QString::fromLatin1(name));
    action.setText(QString::fromLatin1(text));
    action.setParent(&mnuSel);
    mnuSel.addAction(&action);
    connect(&action, &QAction::triggered, this, [this, selected] { SetAllSelected(selected); });
  };
  item(mnuSelAll, "mnuSelAll", "Select all", true);
  item(mnuDeselAll, "mnuDeselAll", "Deselect all", false);
}

void frmThumbs::setTabOrderOfControls() {
  QWidget* const order[] = {&txtImgDir, &txtThumbDir,        &cmdBrowseImg, &cmdBrowseThumb,
                            &lstImages, &txtMaxWidth,        &txtMaxHeight, &cmdBackColor,
                            &cmdCreate, &chkForceDimensions, &optType[0],   &optType[1]};
  for (std::size_t k = 1; k < std::size(order); ++k) setTabOrder(order[k - 1], order[k]);
}

BatchOutcome frmThumbs::ClickTHEButton() {
  ListImages();
  ThumbnailBatch batch(*this, host_);
  // The other cores start on the pictures while the pause lets the window
  // settle; each picture still takes the settings of its own turn.
  batch.BeginDecoding();
  common::WaitSeconds(host_, kClickWaitSeconds, clock_);
  // Closed during the pause: nothing is left to show the batch in.
  if (stopRequested_) {
    lastOutcome_ = {};
    lastOutcome_.kind = BatchOutcome::Kind::kStopped;
    return lastOutcome_;
  }
  RunBatch(batch);
  return lastOutcome_;
}

void frmThumbs::ListImages() {
  lstImages.clear();
  for (const std::string& name : ListImageFiles(ToBytes(txtImgDir.text()), allMedia_)) {
    // The list shows the name; the batch uses its bytes, which a name that
    // is not valid UTF-8 would lose on the way through the text.
    auto item = std::make_unique<QListWidgetItem>(ToQString(name));
    item->setData(kEntryBytes, QByteArray::fromStdString(name));
    lstImages.addItem(item.release());
  }
}

void frmThumbs::txtImgDir_Change() {
  // Typing passes through folders that cannot be read; they list nothing
  // here, and the unattended run lists again and reports them.
  try {
    ListImages();
  } catch (const platform::RunTimeError&) {
    lstImages.clear();
  }
}

void frmThumbs::SetBackColor(std::uint32_t colour) {
  backColor_ = colour;
  const std::uint32_t plain = imaging::pixels::SystemColour::OleTranslateColor(colour);
  // The face is the colour itself, flat: a style sheet with a border of its
  // own keeps the style from shading it. The border says where the button
  // is on any colour, sinks when pressed and shows the focus.
  cmdBackColor.setStyleSheet(QString("QPushButton { background-color: rgb(%1, %2, %3); "
                                     "border: 1px solid palette(shadow); border-radius: 2px; } "
                                     "QPushButton:focus { border: 1px solid palette(highlight); } "
                                     "QPushButton:pressed { border-width: 2px; }")
                                 .arg(plain & 0xFF)
                                 .arg(plain >> 8 & 0xFF)
                                 .arg(plain >> 16 & 0xFF));
}

void frmThumbs::cmdBrowseImg_Click() {
  const std::string folder =
      browseForFolder.BrowseForFolder(this, TrimBlanks(ToBytes(txtImgDir.text())),
                                      "Select a folder that contains the full-size images.", true);
  if (folder.empty()) return;
  txtImgDir.setText(ToQString(folder));
  if (txtThumbDir.text().isEmpty()) txtThumbDir.setText(ToQString(folder));
}

void frmThumbs::cmdBrowseThumb_Click() {
  const std::string folder = browseForFolder.BrowseForFolder(
      this, TrimBlanks(ToBytes(txtThumbDir.text())),
      "Select a destination folder for the thumbnail images.", false);
  if (!folder.empty()) txtThumbDir.setText(ToQString(folder));
}

void frmThumbs::cmdBackColor_Click() {
  const std::int32_t colour = chooseColor.ShowColorDialog(this);
  if (colour != -1) SetBackColor(std::uint32_t(colour));
}

void frmThumbs::cmdCreate_Click() {
  ThumbnailBatch batch(*this, host_);
  RunBatch(batch);
}

void frmThumbs::RunBatch(ThumbnailBatch& batch) {
  lastOutcome_ = batch.Run();
  // One message at the end, whoever started the batch: what stopped it and
  // every picture it had to skip. A window the user closed has nothing
  // left to show it in.
  if (lastOutcome_.kind == BatchOutcome::Kind::kStopped) return;
  if (const std::string report = BatchReport(lastOutcome_); !report.empty())
    host_.showMessage(report, kProgramName);
}

void frmThumbs::SetAllSelected(bool selected) {
  const int current = lstImages.currentRow();
  lstImages.setUpdatesEnabled(false);
  for (int row = 0; row < lstImages.count(); ++row) lstImages.item(row)->setSelected(selected);
  if (current >= 0) {
    lstImages.selectionModel()->setCurrentIndex(lstImages.model()->index(current, 0),
                                                QItemSelectionModel::NoUpdate);
  }
  lstImages.setUpdatesEnabled(true);
}

bool frmThumbs::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lstImages.viewport() && event->type() == QEvent::MouseButtonPress) {
    const auto* press = static_cast<QMouseEvent*>(event);
    if (press->button() == Qt::RightButton) {
      if (lstImages.count() > 0) mnuSel.popup(press->globalPosition().toPoint());
      // The right button opens the menu only; it selects nothing.
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void frmThumbs::closeEvent(QCloseEvent* event) {
  // Closing the window stops the run after the picture in hand.
  stopRequested_ = true;
  forms_.remove(this);
  QWidget::closeEvent(event);
}

void frmThumbs::unload() {
  forms_.remove(this);
  hide();
}

std::string frmThumbs::thumbnailsFolderText() const { return ToBytes(txtThumbDir.text()); }

std::vector<std::string> frmThumbs::listEntries() const {
  std::vector<std::string> entries;
  entries.reserve(std::size_t(lstImages.count()));
  for (int row = 0; row < lstImages.count(); ++row)
    entries.push_back(lstImages.item(row)->data(kEntryBytes).toByteArray().toStdString());
  return entries;
}

ThumbnailSettings frmThumbs::currentSettings() const {
  ThumbnailSettings settings;
  settings.imageFolder = TrimBlanks(ToBytes(txtImgDir.text()));
  settings.thumbnailsFolder = TrimBlanks(ToBytes(txtThumbDir.text()));
  settings.maxWidthText = ToBytes(txtMaxWidth.text());
  settings.maxHeightText = ToBytes(txtMaxHeight.text());
  settings.backColor = backColor_;
  settings.forcedDimensions = chkForceDimensions.checkState() == Qt::Checked;
  settings.type = optType[0].isChecked()   ? ThumbnailType::kBitmap
                  : optType[1].isChecked() ? ThumbnailType::kJpeg
                                           : ThumbnailType::kNone;
  settings.allMedia = allMedia_;
  return settings;
}

void frmThumbs::showBatchStarted() {
  cmdCreate.hide();
  picProgress.Clear();
  picProgress.show();
  lblProgress.show();
}

void frmThumbs::showProgress(std::int32_t done, std::int32_t total) {
  lblProgress.setText(ToQString(ProgressCaption(done, total)));
  if (done > 0) picProgress.DrawBar(ProgressBarRight(done, total, picProgress.width()));
}

void frmThumbs::showBatchEnded() {
  lblProgress.hide();
  picProgress.hide();
  cmdCreate.show();
}

}  // namespace tesselet
