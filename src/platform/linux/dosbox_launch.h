#pragma once
// Starting a DOS host under DOSBox on this system: the emulator is found,
// the run's configuration and log file are made in the work directory, and
// the emulator is started and watched until it has shown that it runs. What
// the run is (drives, commands, files) is composed in dos_host.

#include <sys/types.h>

#include <optional>
#include <string>

#include "dos_host/dosbox_run.h"

namespace rizarode {

struct DosboxStart {
  std::optional<pid_t> emulator;  // running, or nothing
  std::string failure;            // why not, for the user
};

// The emulator's program file: kDosboxVariable when set, else "dosbox" on
// PATH; nothing when it is not an executable file.
std::optional<std::string> FindDosbox();

// Starts the run as composed (ComposeDosStart). With dummyDisplay the
// emulator draws and plays into SDL's dummy drivers, for a machine without
// a display.
DosboxStart StartUnderDosbox(const DosRun& run, bool dummyDisplay);

}  // namespace rizarode
