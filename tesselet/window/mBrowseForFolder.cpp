#include "tesselet/window/mBrowseForFolder.h"

#include <filesystem>
#include <system_error>

#include "tesselet/batch/FolderText.h"
#include "tesselet/batch/ImageListing.h"
#include "tesselet/window/FolderPicker.h"

namespace tesselet {

std::string mBrowseForFolder::BrowseForFolder(QWidget* owner, const std::string& startFolder,
                                              const std::string& prompt, bool requirePictures) {
  std::string start = startFolder;
  if (start.empty()) {
    std::error_code error;
    start = std::filesystem::current_path(error).string();
  }
  SetBrowseStart(start, requirePictures);
  FolderPicker picker(owner, prompt,
                      [this](FolderPickerControl& control, int message, const std::string& folder) {
                        return BrowseCallback(control, message, folder);
                      });
  if (picker.exec() != QDialog::Accepted) return {};
  return picker.SelectedFolder();
}

std::int32_t mBrowseForFolder::BrowseCallback(FolderPickerControl& picker, int message,
                                              const std::string& folder) {
  if (message == FolderPicker::kInitialized) {
    if (!startFolder_.empty()) picker.SetSelection(startFolder_);
    if (requirePictures_) EnableOkByCount(picker, CountPictureFiles(TrimBlanks(startFolder_)));
  } else if (message == FolderPicker::kSelectionChanged) {
    // A highlighted item with no path in the file system shows nothing.
    if (folder.empty()) return 0;
    const std::int32_t count = CountPictureFiles(TrimBlanks(folder));
    picker.SetStatusText(kStatusPrefix + std::to_string(count));
    if (requirePictures_) EnableOkByCount(picker, count);
  }
  return 0;
}

void mBrowseForFolder::SetBrowseStart(const std::string& startFolder, bool requirePictures) {
  startFolder_ = startFolder;
  if (!startFolder_.empty() && startFolder_.back() == '/') startFolder_.pop_back();
  requirePictures_ = requirePictures;
}

void mBrowseForFolder::EnableOkByCount(FolderPickerControl& picker, std::int32_t count) const {
  picker.EnableOk(count > 0);
}

}  // namespace tesselet
