#pragma once

#include <string>

namespace tesselet {

// What the folder picker's callback may ask of the open picker.
class FolderPickerControl {
 public:
  virtual ~FolderPickerControl() = default;
  // Highlights this folder and shows it.
  virtual void SetSelection(const std::string& folder) = 0;
  // The line of text under the prompt.
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void EnableOk(bool enabled) = 0;
};

}  // namespace tesselet
