#pragma once
// A DOS host on a Windows that cannot run DOS programs: DOSBox for Windows
// is found where its installer or the user put it, the run's configuration
// is written into the work directory, and the emulator is started there and
// watched until it has shown that it runs.

#include <optional>
#include <string>
#include <vector>

#include "dos_host/dos_start.h"
#include "platform/process_launcher.h"

namespace rizarode {

struct DosboxSearch {
  std::optional<std::string> found;  // DOSBox.exe, when one was found
  std::vector<std::string> places;   // where it was looked for, in order
};

// DOSBox.exe from RIZARODE_DOSBOX, then DOSBox's "App Paths" registry entry
// (both registry views: a 32-bit installer writes the 32-bit one), then the
// folders its own installer uses.
DosboxSearch FindDosboxExe();

struct DosboxStarted {
  ProcessId emulator = 0;  // running, or 0
  std::string failure;     // why not, for the user
};

// Starts DOSBox for the composed run: the work directory is the emulator's
// current directory, since without a console it writes its output there.
DosboxStarted StartDosbox(const std::string& dosboxExe, const DosRun& run);

// A command line argument as the C runtime's parser reads it back: quoted
// when it holds a blank, a tab or a quote, or is empty.
std::string QuotedArgument(const std::string& argument);

}  // namespace rizarode
