#include "tests/support/RecordingHostServices.h"

#include <thread>

namespace platform {

void RecordingHostServices::showMessage(const std::string& body, const std::string& title,
                                        MessageIcon icon) {
  messages.push_back({body, title, icon});
}

bool RecordingHostServices::askYesNo(const std::string& prompt, const std::string& title) {
  questions.push_back({prompt, title});
  if (answers.empty()) return false;
  const bool answer = answers.front();
  answers.pop_front();
  return answer;
}

void RecordingHostServices::openDocument(const std::string& target,
                                         const std::string& workingFolder) {
  opened.push_back({target, {}, workingFolder});
}

bool RecordingHostServices::startProgram(const std::string& program,
                                         const std::vector<std::string>& arguments,
                                         const std::string& workingFolder) {
  started.push_back({program, arguments, workingFolder});
  return startSucceeds;
}

void RecordingHostServices::beep() { ++beeps; }

void RecordingHostServices::setBusyPointer(bool busy) { busyPointer = busy; }

void RecordingHostServices::processEvents(std::chrono::milliseconds maxWait) {
  ++eventPasses;
  std::this_thread::sleep_for(std::min(maxWait, std::chrono::milliseconds(1)));
}

}  // namespace platform
