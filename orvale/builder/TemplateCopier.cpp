#include "orvale/builder/TemplateCopier.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "orvale/builder/ProgramName.h"
#include "platform/RunTimeError.h"

namespace orvale {

namespace {

class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (fd_ < 0) throw platform::RunTimeError::fromErrno(errno, kProgramName);
  }
  ~ReadOnlyFile() { ::close(fd_); }
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  // Bytes read into the buffer; 0 at the end of the file.
  std::size_t read(std::vector<char>& buffer) {
    for (;;) {
      const ssize_t got = ::read(fd_, buffer.data(), buffer.size());
      if (got >= 0) return std::size_t(got);
      if (errno != EINTR) throw platform::RunTimeError::fromErrno(errno, kProgramName);
    }
  }

 private:
  int fd_;
};

}  // namespace

void CopyTemplateLines(const std::string& templatePath, PageFile& page) {
  ReadOnlyFile file(templatePath);
  std::vector<char> buffer(1 << 16);
  std::string out;
  bool lineOpen = false;       // content since the last line end
  bool afterReturn = false;    // the previous byte ended a line
  for (std::size_t got; (got = file.read(buffer)) > 0;) {
    out.clear();
    for (std::size_t k = 0; k < got; ++k) {
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

}  // namespace orvale
