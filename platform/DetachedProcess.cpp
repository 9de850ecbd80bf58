#include "platform/DetachedProcess.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/FileDescriptor.h"

namespace platform {

bool StartDetachedProcess(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& workingFolder) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  // The grandchild reports a failed exec through a close-on-exec pipe: an
  // empty read means exec succeeded.
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return false;
  FileDescriptor reportRead(ends[0]), reportWrite(ends[1]);
  const pid_t middle = fork();
  if (middle < 0) return false;
  if (middle == 0) {
    reportRead.close();
    if (setsid() < 0) _exit(127);
    const pid_t child = fork();
    if (child != 0) _exit(child < 0 ? 127 : 0);
    if (!workingFolder.empty() && chdir(workingFolder.c_str()) != 0) {
      const int e = errno;
      reportWrite.writeAll(&e, sizeof e);
      _exit(127);
    }
    execv(program.c_str(), argv.data());
    const int e = errno;
    reportWrite.writeAll(&e, sizeof e);
    _exit(127);
  }
  reportWrite.close();
  int status = 0;
  while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
  int childErrno = 0;
  const ssize_t got = reportRead.readSome(&childErrno, sizeof childErrno);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == 0;
}

}  // namespace platform
