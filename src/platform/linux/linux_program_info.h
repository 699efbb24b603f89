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
  std::string UserLanguage() override;
  // The system's texts are UTF-8; characters that Windows-1252 lacks
  // become "?".
  std::string ProgramText(const std::string& systemText) override;

 private:
  std::string argumentText_;
};

}  // namespace rizarode
