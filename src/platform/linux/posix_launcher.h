#pragma once
// Starting the host program: the command line is split at blanks into the
// program file and its arguments and handed to posix_spawn; no shell ever
// sees it, so nothing in a file name or argument is interpreted.

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/process_launcher.h"

namespace rizarode {

// The words of a command line: the pieces between blanks, empty ones left out.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The program file a command names. A bare name is looked up in the current
// directory without regard to case, as the host's DOS world names its files;
// a name with a directory part is taken as it is.
std::optional<std::string> FindProgramFile(const std::string& name);

class PosixLauncher : public ProcessLauncher {
 public:
  // The program file is executed directly, whatever its extension (".EXE",
  // ".PIF"): it must be an executable file of this system, a binary or a
  // script with a "#!" line.
  bool Start(const std::string& commandLine) override;

  // Collects the exit status of every child that has ended, so that an ended
  // host does not linger as a zombie. Never blocks.
  void ReapEndedChildren();

 private:
  std::vector<pid_t> children_;
};

}  // namespace rizarode
