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

// The emulator's program file: the one kDosboxVariable names when it is
// set (a bare name is looked up on PATH), else "dosbox" on PATH; found only
// when it is an executable file.
DosboxSearch FindDosbox();

// Starts the run as composed (ComposeDosStart) in the emulator found. With
// dummyDisplay the emulator draws and plays into SDL's dummy drivers, for a
// machine without a display. The emulator holds handedDown (when set) as
// SpawnRequest::handedDown.
DosboxStart StartUnderDosbox(const std::string& dosbox, const DosRun& run, bool dummyDisplay,
                             int handedDown);

}  // namespace rizarode
