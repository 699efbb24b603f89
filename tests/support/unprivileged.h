#pragma once
// Runs a check as a user who may write only what everyone may write: the test
// process itself when it is not root, otherwise a child process that has
// become "nobody" (root may write anywhere, so a read-only directory would
// prove nothing for it).

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace rizarode::testing {

inline constexpr uid_t kNobody = 65534;

// The check's result (0..99); 100 when the user could not be changed.
inline int AsUnprivilegedUser(const std::function<int()>& check) {
  if (::geteuid() != 0) return check();
  pid_t pid = ::fork();
  if (pid < 0) return 101;
  if (pid == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
      ::_exit(100);
    }
    ::_exit(check());
  }
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return 102;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 103;
}

}  // namespace rizarode::testing
