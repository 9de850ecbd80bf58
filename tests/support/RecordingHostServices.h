#pragma once

#include <deque>

#include "platform/HostServices.h"

namespace platform {

// Host services for tests: records everything shown, opened and started, and
// answers questions from a queue (No once the queue is empty, as the default
// button would).
class RecordingHostServices : public HostServices {
 public:
  struct Message {
    std::string body;
    std::string title;
    MessageIcon icon = MessageIcon::kNone;  // a question's is not recorded
    bool operator==(const Message&) const = default;
  };
  struct Launch {
    std::string program;
    std::vector<std::string> arguments;
    std::string workingFolder;
  };

  std::vector<Message> messages;
  std::vector<Message> questions;
  std::deque<bool> answers;
  std::vector<Launch> opened;  // program holds the target; arguments stay empty
  std::vector<Launch> started;
  bool startSucceeds = true;
  int beeps = 0;
  bool busyPointer = false;
  int eventPasses = 0;

  void showMessage(const std::string& body, const std::string& title, MessageIcon icon) override;
  bool askYesNo(const std::string& prompt, const std::string& title) override;
  void openDocument(const std::string& target, const std::string& workingFolder) override;
  bool startProgram(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& workingFolder) override;
  void beep() override;
  void setBusyPointer(bool busy) override;
  void processEvents(std::chrono::milliseconds maxWait) override;
};

}  // namespace platform
