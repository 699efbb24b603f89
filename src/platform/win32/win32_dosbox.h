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

// The folder beside rizarode.exe into which the program's installer puts
// DOSBox.exe.
inline constexpr const char* kOwnDosboxFolder = "DOSBox";

// DOSBox.exe from RIZARODE_DOSBOX, then the one the program's installer put
// into kOwnDosboxFolder beside the program, then DOSBox's "App Paths"
// registry entry (both registry views: a 32-bit installer writes the 32-bit
// one), then the folders DOSBox's own installer uses.
DosboxSearch FindDosbox();

struct DosboxStarted {
  ProcessId emulator = 0;  // running, or 0
  void* process = nullptr;  // its handle, the caller's to close
  std::string failure;     // why not, for the user
};

// Starts DOSBox for the composed run: the work directory is the emulator's
// current directory, since without a console it writes its output there.
// Its window fits the work area of the primary monitor. The emulator gets a
// copy of handedDown (when not null) as CreateProcessHandingDown gives it.
DosboxStarted StartUnderDosbox(const std::string& dosboxExe, const DosRun& run, void* handedDown);

}  // namespace rizarode
