#pragma once
// Starting a DOS host under DOSBox: the emulator is found, the run's
// configuration and log file are made in the work directory, and the
// emulator is started and watched until it has shown that it runs.

#include <sys/types.h>

#include <optional>
#include <string>

#include "dos_host/dosbox_run.h"

namespace rizarode {

// Names the emulator to use, as a path or a name looked up on PATH.
inline constexpr const char* kDosboxVariable = "RIZARODE_DOSBOX";
// The run's files in the work directory, in 8.3 names since the host sees
// them on D:.
inline constexpr const char* kDosboxConfigurationName = "RZDOSBOX.CNF";
inline constexpr const char* kDosboxLogName = "RZDOSBOX.LOG";

struct DosboxStart {
  std::optional<pid_t> emulator;  // running, or nothing
  std::string failure;            // why not, for the user
};

// The emulator's program file: RIZARODE_DOSBOX when set, else "dosbox" on
// PATH; nothing when it is not an executable file.
std::optional<std::string> FindDosbox();

// Starts the run. With dummyDisplay the emulator draws and plays into
// SDL's dummy drivers, for a machine without a display.
DosboxStart StartUnderDosbox(const DosRun& run, bool dummyDisplay);

}  // namespace rizarode
