#include "orvale/builder/TemplateCopier.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "orvale/builder/ProgramName.h"
#include "platform/FileDescriptor.h"
#include "platform/RunTimeError.h"

namespace orvale {

void CopyTemplateLines(const std::string& templatePath, platform::AtomicFile& page) {
  const platform::FileDescriptor file(::open(templatePath.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.isOpen()) throw platform::RunTimeError::fromErrno(errno, kProgramName);
  std::vector<char> buffer(1 << 16);
  std::string out;
  bool lineOpen = false;     // content since the last line end
  bool afterReturn = false;  // the previous byte ended a line
  for (;;) {
    const ssize_t got = file.readSome(buffer.data(), buffer.size());
    if (got < 0) throw platform::RunTimeError::fromErrno(errno, kProgramName);
    if (got == 0) break;
    out.clear();
    for (ssize_t k = 0; k < got; ++k) {
      const char c = buffer[k];
      if (c == '\r') {
        out += "\r\n";
        lineOpen = false;
        afterReturn = true;
      } else if (c == '\n' && afterReturn) {
        afterReturn = false;
      } else {
        out += c;
        lineOpen = true;
        afterReturn = false;
      }
    }
    page.write(out);
  }
  if (lineOpen) page.write("\r\n");
}

void WritePageFile(const std::string& pagePath, const std::string& listText,
                   const std::string& headTemplatePath, const std::string& tailTemplatePath) {
  platform::AtomicFile page(pagePath, kProgramName);
  page.open();
  CopyTemplateLines(headTemplatePath, page);
  page.write(listText.substr(0, listText.empty() ? 0 : listText.size() - 1));
  CopyTemplateLines(tailTemplatePath, page);
  page.commit();
}

}  // namespace orvale
