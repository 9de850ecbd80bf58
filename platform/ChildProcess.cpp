#include "platform/ChildProcess.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace platform {

namespace {

struct FileActions {
  posix_spawn_file_actions_t actions;
  FileActions() { posix_spawn_file_actions_init(&actions); }
  ~FileActions() { posix_spawn_file_actions_destroy(&actions); }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
};

// The argument strings as the NULL-ended array exec takes; it borrows them.
std::vector<char*> Pointers(const std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (const auto& text : texts) pointers.push_back(const_cast<char*>(text.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

// This process's environment with the added variables in place of any of
// the same name.
std::vector<std::string> Environment(const std::vector<std::string>& added) {
  std::vector<std::string> result;
  for (char** variable = environ; variable && *variable; ++variable) {
    const std::string text = *variable;
    const std::string name = text.substr(0, text.find('=') + 1);
    bool replaced = false;
    for (const auto& addition : added) replaced = replaced || addition.starts_with(name);
    if (!replaced) result.push_back(text);
  }
  result.insert(result.end(), added.begin(), added.end());
  return result;
}

}  // namespace

int RunProgramAndWait(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& workingFolder,
                      const std::vector<std::string>& addedEnvironment) {
  std::vector<std::string> argumentTexts{program};
  argumentTexts.insert(argumentTexts.end(), arguments.begin(), arguments.end());
  const std::vector<std::string> environmentTexts = Environment(addedEnvironment);
  std::vector<char*> argv = Pointers(argumentTexts);
  std::vector<char*> envp = Pointers(environmentTexts);

  FileActions files;
  if (!workingFolder.empty() &&
      posix_spawn_file_actions_addchdir_np(&files.actions, workingFolder.c_str()) != 0)
    return -1;
  pid_t child = 0;
  // posix_spawn reports a program that cannot be executed as its own result.
  if (posix_spawn(&child, program.c_str(), &files.actions, nullptr, argv.data(), envp.data()) != 0)
    return -1;
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace platform
