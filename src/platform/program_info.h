#pragma once

#include <string>

namespace rizarode {

struct FileVersion {
  int major = 0;
  int minor = 0;
  int revision = 0;
};

class ProgramInfo {
 public:
  virtual ~ProgramInfo() = default;
  // The argument part of the command line as typed, without the program's
  // own name.
  virtual std::string ArgumentText() = 0;
  // The program file's name without directory and extension.
  virtual std::string ExecutableName() = 0;
  virtual FileVersion Version() = 0;
};

}  // namespace rizarode
