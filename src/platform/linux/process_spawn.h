#pragma once
// Starting one program with posix_spawn: no shell, every signal at its
// default, and a process group of its own, so that the interrupt typed at
// the terminal for this program (Ctrl-C, which it refuses as a close
// request) never reaches the host. It gets the standard descriptors and
// what the request hands it, nothing else of this program's: a descriptor
// inherited by a program that outlives this one (a pipe of the shell that
// started it, say) would keep its other end waiting.

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace rizarode {

struct SpawnRequest {
  std::string program;                 // the file to execute
  std::vector<std::string> arguments;  // argv, its name first
  // Extra "NAME=value" entries over this program's environment.
  std::vector<std::string> environment;
  // When set: standard input from /dev/null, standard output and error into
  // this open file, so that the program's talk stays off the terminal.
  int outputFile = -1;
  // When set: an open descriptor that the program holds as its descriptor 3
  // (kHandedDownDescriptor), so that what belongs to the open file (an OFD
  // lock) lasts as long as the program does.
  int handedDown = -1;
  // A session of its own instead of a process group: no hangup of this
  // program's terminal or group reaches it, and nobody waits for it.
  bool newSession = false;
};

inline constexpr int kHandedDownDescriptor = 3;

// The new process's id, or nothing when it could not be started.
std::optional<pid_t> Spawn(const SpawnRequest& request);

}  // namespace rizarode
