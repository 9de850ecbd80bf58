#pragma once

#include <iosfwd>

#include "platform/HostServices.h"

namespace platform {

// Host services for a run with no display: messages and questions go to the
// error stream as "title: body", questions take a fixed answer, and what a
// window would open is printed on the output stream instead.
class ConsoleHostServices : public HostServices {
 public:
  ConsoleHostServices(std::ostream& out, std::ostream& err, bool answerYes);

  void showMessage(const std::string& body, const std::string& title, MessageIcon icon) override;
  bool askYesNo(const std::string& prompt, const std::string& title) override;
  void openDocument(const std::string& target, const std::string& workingFolder) override;
  bool startProgram(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& workingFolder) override;
  void beep() override;
  void setBusyPointer(bool busy) override;
  void processEvents(std::chrono::milliseconds maxWait) override;

 private:
  std::ostream& out_;
  std::ostream& err_;
  bool answerYes_;
};

}  // namespace platform
