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
  // The language the user's session is set to, as a language code ("NL",
  // "D", "GB"), for a message that cannot take the host application's
  // language because the host directory has no language marker; empty
  // when the system does not say.
  virtual std::string UserLanguage() { return {}; }

  // A text that the system handed over (the command line, a path, an
  // environment value) as the program's 8-bit text, so that a message shows
  // it as typed. Such texts keep the system's encoding everywhere else, as
  // file operations need them unchanged. The default serves a system whose
  // texts are in the program's code page already.
  virtual std::string ProgramText(const std::string& systemText) { return systemText; }
};

}  // namespace rizarode
