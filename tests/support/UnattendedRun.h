#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// A program run as the slide show maker runs its unattended helpers: no
// display (Qt then runs offscreen), standard output discarded, standard
// error into a file the test reads.
namespace unattended_run {

struct Options {
  std::vector<std::pair<std::string, std::string>> variables;  // added to the environment
  rlim_t addressSpace = 0;  // a cap on the child's address space; 0 for none
};

struct Outcome {
  bool ended = false;  // by itself, before the test gave up on it
  int status = -1;     // exit status, when it exited
  int signal = 0;      // the signal that ended it, when one did
  long peakKilobytes = 0;
};

// Starts the program (looked up on PATH when the name has no slash); -1
// when it cannot be started at all.
inline pid_t Start(const std::vector<std::string>& arguments,
                   const std::filesystem::path& errorsFile, const Options& options = {}) {
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    if (options.addressSpace != 0) {
      const rlimit cap{options.addressSpace, options.addressSpace};
      setrlimit(RLIMIT_AS, &cap);
    }
    const int errors = open(errorsFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int nothing = open("/dev/null", O_RDWR | O_CLOEXEC);
    dup2(errors, 2), dup2(nothing, 1), dup2(nothing, 0);
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) unsetenv(name);
    for (const auto& [name, value] : options.variables) setenv(name.c_str(), value.c_str(), 1);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return child;
}

// Waits for the run to end, killing it as hung after the patience, and
// measures its peak resident memory.
inline Outcome Finish(pid_t child, std::chrono::seconds patience = std::chrono::seconds(60)) {
  Outcome run;
  int status = 0;
  rusage usage{};
  const auto deadline = std::chrono::steady_clock::now() + patience;
  pid_t done = 0;
  while ((done = wait4(child, &status, WNOHANG, &usage)) == 0 &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  run.ended = done == child;
  if (!run.ended) {
    kill(child, SIGKILL);
    wait4(child, &status, 0, &usage);
  }
  if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  run.peakKilobytes = usage.ru_maxrss;
  return run;
}

}  // namespace unattended_run
