#pragma once

#include <cstdint>
#include <string>

#include "tesselet/window/FolderPickerControl.h"

class QWidget;

namespace tesselet {

// The folder picker as the window uses it: opens on a start folder, shows
// how many picture files the highlighted folder holds, and for the image
// folder lets OK be pressed only while that count is above 0.
class mBrowseForFolder {
 public:
  static constexpr char kStatusPrefix[] = "Number of picture files: ";

  // The chosen folder's path, or "" when the user cancels. An empty start
  // folder is the process's current folder.
  std::string BrowseForFolder(QWidget* owner, const std::string& startFolder,
                              const std::string& prompt, bool requirePictures);

  // What the picker's messages do; errors inside are ignored. Returns 0.
  std::int32_t BrowseCallback(FolderPickerControl& picker, int message, const std::string& folder);

  // Records the start folder (without one trailing "/") and the flag.
  void SetBrowseStart(const std::string& startFolder, bool requirePictures);

  const std::string& StartFolder() const { return startFolder_; }
  bool RequirePictures() const { return requirePictures_; }

 private:
  void EnableOkByCount(FolderPickerControl& picker, std::int32_t count) const;

  std::string startFolder_;
  bool requirePictures_ = false;
};

}  // namespace tesselet
