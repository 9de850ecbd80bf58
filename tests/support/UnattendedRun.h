#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// Children the tests run on their own: a program, started as the slide
// show maker runs its unattended helpers (no display, so Qt runs offscreen;
// standard output discarded; standard error into a file the test reads), or
// a check of the test's own code. Either may have its address space capped.
namespace unattended_run {

struct Options {
  std::vector<std::pair<std::string, std::string>> variables{};  // added to a program's environment
  rlim_t addressSpace = 0;  // a cap on the child's address space; 0 for none
  rlim_t room = 0;  // or a cap at what the child has mapped when it starts, plus this; 0 for none
  std::filesystem::path workingFolder{};  // a program's; empty for the test's own
};

struct Outcome {
  bool ended = false;  // by itself, before the test gave up on it
  int status = -1;     // exit status, when it exited
  int signal = 0;      // the signal that ended it, when one did
  long peakKilobytes = 0;
};

// Holds this process's address space to what it has mapped now plus `room`
// bytes; false when the cap could not be set.
inline bool HoldAddressSpace(rlim_t room) {
  rlim_t pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  const rlim_t bytes = pages * rlim_t(sysconf(_SC_PAGESIZE)) + room;
  const rlimit cap{bytes, bytes};
  return setrlimit(RLIMIT_AS, &cap) == 0;
}

// Runs `body` in a child, under the options' cap, that exits with what it
// returns; -1 when no child can be made.
inline pid_t Fork(const std::function<int()>& body, const Options& options = {}) {
  const pid_t child = fork();
  if (child == 0) {
    const rlimit cap{options.addressSpace, options.addressSpace};
    if (options.addressSpace != 0) setrlimit(RLIMIT_AS, &cap);
    if (options.room != 0) HoldAddressSpace(options.room);
    _exit(body());
  }
  return child;
}

// Starts the program (looked up on PATH when the name has no slash); -1
// when it cannot be started at all.
inline pid_t Start(const std::vector<std::string>& arguments,
                   const std::filesystem::path& errorsFile, const Options& options = {}) {
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  return Fork(
      [&] {
        const int errors = open(errorsFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const int nothing = open("/dev/null", O_RDWR | O_CLOEXEC);
        dup2(errors, 2), dup2(nothing, 1), dup2(nothing, 0);
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) unsetenv(name);
        for (const auto& [name, value] : options.variables) setenv(name.c_str(), value.c_str(), 1);
        if (!options.workingFolder.empty() && chdir(options.workingFolder.c_str()) != 0) return 127;
        execvp(argv[0], argv.data());
        return 127;
      },
      options);
}

// Waits for the run to end, killing it as hung after the patience, and
// measures its peak resident memory.
inline Outcome Finish(pid_t child, std::chrono::seconds patience = std::chrono::seconds(60)) {
  Outcome run;
  if (child <= 0) return run;
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

// Runs `body` in a child and waits for it as Finish does.
inline Outcome Run(const std::function<int()>& body, const Options& options = {},
                   std::chrono::seconds patience = std::chrono::seconds(60)) {
  return Finish(Fork(body, options), patience);
}

// The exit status of a check run in a child; nullopt when the child did not
// exit by itself, or exited with 125, by which a check's set-up says that
// the child could not be made as the check needs it.
inline std::optional<int> Check(const std::function<int()>& body) {
  const Outcome run = Run(body);
  if (!run.ended || run.signal != 0 || run.status == 125) return std::nullopt;
  return run.status;
}

}  // namespace unattended_run
