#pragma once

#include <string>

namespace rizarode {

class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  // Starts a program from a command line (program name first, arguments
  // separated by blanks, no shell) with a normal, activated window. Does not
  // wait for it. Returns false when the program could not be started at all.
  virtual bool Start(const std::string& commandLine) = 0;
  // Why the last Start failed, in a sentence for the user (8-bit text), or
  // empty when the start-failure message says enough.
  virtual std::string FailureReason() const { return {}; }
};

}  // namespace rizarode
