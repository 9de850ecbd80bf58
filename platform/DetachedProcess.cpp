#include "platform/DetachedProcess.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

bool StartDetachedProcess(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& workingFolder) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  // The grandchild reports a failed exec through a close-on-exec pipe: an
  // empty read means exec succeeded.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return false;
  const pid_t middle = fork();
  if (middle < 0) {
    close(report[0]);
    close(report[1]);
    return false;
  }
  if (middle == 0) {
    close(report[0]);
    if (setsid() < 0) _exit(127);
    const pid_t child = fork();
    if (child != 0) _exit(child < 0 ? 127 : 0);
    if (!workingFolder.empty() && chdir(workingFolder.c_str()) != 0) {
      int e = errno;
      (void)!write(report[1], &e, sizeof e);
      _exit(127);
    }
    execv(program.c_str(), argv.data());
    int e = errno;
    (void)!write(report[1], &e, sizeof e);
    _exit(127);
  }
  close(report[1]);
  int status = 0;
  while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
  int childErrno = 0;
  ssize_t got;
  do {
    got = read(report[0], &childErrno, sizeof childErrno);
  } while (got < 0 && errno == EINTR);
  close(report[0]);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == 0;
}

}  // namespace platform
