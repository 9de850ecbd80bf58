#pragma once

#include <unistd.h>

#include <functional>
#include <optional>

#include "tests/support/UnattendedRun.h"

// Runs a check in a child process without root's power over file
// permissions, so "access denied" and "read-only" really happen. The child's
// exit status is returned; nullopt when privileges could not be dropped.
// Files the child must reach need permissions for user "nobody" (65534).
inline std::optional<int> RunUnprivileged(const std::function<int()>& check) {
  return unattended_run::Check([&] {
    if (geteuid() == 0) {
      if (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0) return 125;
    }
    return check();
  });
}
