#pragma once

#include "platform/HostServices.h"

class QWidget;

namespace platform {

// Host services on a desktop: Qt message boxes, the desktop's associated
// programs, detached processes, the system beep and the override cursor.
class QtHostServices : public HostServices {
 public:
  // Message boxes are modal to the owner when there is one.
  explicit QtHostServices(QWidget* owner = nullptr);
  void setOwner(QWidget* owner) { owner_ = owner; }

  void showMessage(const std::string& body, const std::string& title, MessageIcon icon) override;
  bool askYesNo(const std::string& prompt, const std::string& title) override;
  void openDocument(const std::string& target, const std::string& workingFolder) override;
  bool startProgram(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& workingFolder) override;
  void beep() override;
  void setBusyPointer(bool busy) override;
  void processEvents(std::chrono::milliseconds maxWait) override;

 private:
  QWidget* owner_;
  bool busy_ = false;
};

}  // namespace platform
