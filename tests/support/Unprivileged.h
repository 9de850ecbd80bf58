#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <optional>

// Runs a check in a child process without root's power over file
// permissions, so "access denied" and "read-only" really happen. The child's
// exit status is returned; nullopt when privileges could not be dropped.
// Files the child must reach need permissions for user "nobody" (65534).
inline std::optional<int> RunUnprivileged(const std::function<int()>& check) {
  const pid_t child = fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    if (geteuid() == 0) {
      if (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0) _exit(125);
    }
    _exit(check());
  }
  int status = 0;
  if (waitpid(child, &status, 0) < 0 || !WIFEXITED(status)) return std::nullopt;
  if (WEXITSTATUS(status) == 125) return std::nullopt;
  return WEXITSTATUS(status);
}
