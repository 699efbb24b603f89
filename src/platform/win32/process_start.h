#pragma once
// Creating a process with a normal, activated window that inherits one
// handle of this program's at most, and no other.

#include <string>

#include "platform/win32/windows_api.h"

namespace rizarode {

// CreateProcessA of program (named, never searched for) with the command
// line, in currentDirectory (nullptr: this program's). handedDown, when not
// null, is an open handle of which the new process gets a copy of its own
// (a file's: the sharing claim of the open then lasts as long as either
// process holds it). On success the caller owns process's handles.
bool CreateProcessHandingDown(const std::string& program, std::string commandLine,
                              const char* currentDirectory, HANDLE handedDown,
                              PROCESS_INFORMATION& process);

}  // namespace rizarode
