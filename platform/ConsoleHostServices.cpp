#include "platform/ConsoleHostServices.h"

#include <ostream>
#include <thread>

#include "platform/DetachedProcess.h"

namespace platform {

namespace {
// A carriage return on a terminal would overwrite the start of the line, so
// the console shows each one as a line break.
std::string ForTerminal(std::string text) {
  for (char& c : text)
    if (c == '\r') c = '\n';
  return text;
}
}  // namespace

ConsoleHostServices::ConsoleHostServices(std::ostream& out, std::ostream& err, bool answerYes)
    : out_(out), err_(err), answerYes_(answerYes) {}

// A console has no icons; the title says what kind of message it is.
void ConsoleHostServices::showMessage(const std::string& body, const std::string& title,
                                      MessageIcon) {
  err_ << ForTerminal(title) << ": " << ForTerminal(body) << std::endl;
}

bool ConsoleHostServices::askYesNo(const std::string& prompt, const std::string& title) {
  err_ << ForTerminal(title) << ": " << ForTerminal(prompt) << ' ' << (answerYes_ ? "Yes" : "No")
       << std::endl;
  return answerYes_;
}

void ConsoleHostServices::openDocument(const std::string& target, const std::string&) {
  out_ << target << std::endl;
}

bool ConsoleHostServices::startProgram(const std::string& program,
                                       const std::vector<std::string>& arguments,
                                       const std::string& workingFolder) {
  return StartDetachedProcess(program, arguments, workingFolder);
}

void ConsoleHostServices::beep() { err_ << '\a' << std::flush; }

void ConsoleHostServices::setBusyPointer(bool) {}

void ConsoleHostServices::processEvents(std::chrono::milliseconds maxWait) {
  // No window, so no events: waiting is all there is to do.
  std::this_thread::sleep_for(maxWait);
}

}  // namespace platform
