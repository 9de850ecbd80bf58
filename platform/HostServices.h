#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace platform {

// What a message box shows beside its text.
enum class MessageIcon { kNone, kInformation };

// Everything the programs show to the user or start outside themselves goes
// through this interface, so the same logic runs in a window, on a console
// without a display, and in tests that answer questions and record the rest.
class HostServices {
 public:
  virtual ~HostServices() = default;

  // A modal message box with an OK button only, and no icon unless asked.
  // The default lives here only, so no implementation can differ from it.
  virtual void showMessage(const std::string& body, const std::string& title,
                           MessageIcon icon = MessageIcon::kNone) = 0;

  // A modal Yes/No question whose default button is No. True means Yes.
  virtual bool askYesNo(const std::string& prompt, const std::string& title) = 0;

  // Opens a document, folder or web address with the program the desktop
  // associates with it. Failures are the desktop's to report.
  virtual void openDocument(const std::string& target, const std::string& workingFolder) = 0;

  // Starts a program without waiting for it. False when it could not start.
  virtual bool startProgram(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& workingFolder) = 0;

  virtual void beep() = 0;

  // The busy (hourglass) pointer on or off for the whole screen.
  virtual void setBusyPointer(bool busy) = 0;

  // Handles the window events that are waiting, or that arrive within
  // maxWait; returns early once it has handled some.
  virtual void processEvents(std::chrono::milliseconds maxWait) = 0;
};

}  // namespace platform
