#pragma once
// The program's command line as Windows keeps it, its file name, and the
// version from its own version resource.

#include <optional>
#include <string>

#include "platform/program_info.h"

namespace rizarode {

// The argument part of a Windows command line: what follows the program
// name (quoted or not) and the blanks after it.
std::string ArgumentPart(const std::string& commandLine);

// The file version in a program file's version resource; nothing when it has
// none.
std::optional<FileVersion> FileVersionOf(const std::string& file);

// Writes text (lines ending in "\n") to the file or pipe that standard
// output was sent to, else to the console of the command prompt the program
// was started from; a start from elsewhere (Explorer's Run box) shows it in
// a box with this title.
void ShowOnConsole(const std::string& text, const std::string& title);

class Win32ProgramInfo : public ProgramInfo {
 public:
  std::string ArgumentText() override;
  std::string ExecutableName() override;
  FileVersion Version() override;
  // The language of Windows' own menus and dialogs for this user.
  std::string UserLanguage() override;
};

}  // namespace rizarode
