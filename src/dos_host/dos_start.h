#pragma once
// The start of a DOS host, composed the same way on every system: from the
// host file found (a DOS program, or a PIF that names one) and the host's
// command line, the run under DOSBox and the title the program goes by.
// Only spawning the emulator and watching it are the launcher's own.

#include <optional>
#include <string>
#include <vector>

#include "dos_host/dosbox_run.h"

namespace rizarode {

struct DosStart {
  DosRun run;
  // The DOS program's title: the PIF's, else the program's name without
  // its extension.
  std::string title;
};

// The words of a command line: the pieces between single blanks, empty ones
// kept, so that the arguments joined with single blanks give back the
// command line after the program's name exactly, blanks in the argument
// text (doubled, at its end) included. Nothing before the argument text
// holds a blank: neither the host file's name, nor the print file's, nor
// the work directory's.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Whether the host file runs under DOS: a DOS program (told by its
// contents), or a ".PIF" that is no program of this system.
bool RunsUnderDos(const std::string& programFile);

// Composes the start. words are the host's command line split into words:
// words[0] the name as given, the rest joined with single blanks give the
// command line after it. Nothing, with a sentence for the user in failure,
// when the host cannot start as composed: a PIF that cannot be read, a
// program the PIF names that is not in the host's directory (see
// FindDosPath), a command tail longer than DOS takes, characters the DOS
// shell would act on.
std::optional<DosStart> ComposeDosStart(const std::string& programFile,
                                        const std::vector<std::string>& words,
                                        std::string& failure);

}  // namespace rizarode
