#pragma once

#include <string>
#include <vector>

#include "platform/program_info.h"

namespace rizarode {

class LinuxProgramInfo : public ProgramInfo {
 public:
  LinuxProgramInfo(int argc, char** argv);
  std::string ArgumentText() override;
  std::string ExecutableName() override;
  FileVersion Version() override;

 private:
  std::string argumentText_;
};

}  // namespace rizarode
