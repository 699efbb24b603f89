#pragma once
// Starting the host program: an .EXE through CreateProcessA, a .PIF (which
// only the shell knows how to run) through ShellExecuteExA. Both with a
// normal, activated window; no handle to the new process is kept.

#include <string>

#include "platform/process_launcher.h"

namespace rizarode {

// The program file a command line names (its first word) and the rest.
struct CommandParts {
  std::string program;
  std::string arguments;
};
CommandParts SplitProgramName(const std::string& commandLine);

class Win32Launcher : public ProcessLauncher {
 public:
  bool Start(const std::string& commandLine) override;
};

}  // namespace rizarode
