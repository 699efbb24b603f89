#pragma once
// How a DOS host runs under DOSBox: the configuration written for the run
// and the emulator's arguments. The host's directory is drive C: and its
// current drive, the work directory the root of drive D:, so the host sees
// "/TEMP=D:\" where a native host sees the work directory's own path.

#include <optional>
#include <string>
#include <vector>

namespace rizarode {

// DOS passes at most this many characters after a program's name.
inline constexpr std::size_t kMaxDosCommandTail = 126;

struct DosRun {
  std::string hostDirectory;  // mounted as C:
  std::string workDirectory;  // mounted as D:
  std::string program;        // as the DOS shell is to run it
  std::string tail;           // everything after the program's name
  // Drive and directory to make current before the start (a PIF's), or
  // empty for C:\ (the host's directory).
  std::string startDirectory;
};

// The host's command line words after its own name, for DOS: the work
// directory in "/TEMP=" becomes "D:\", and so does the directory of every
// "/TEMP=" or "/TEMP:" option passed on from the program's own command line,
// which names that same work directory by a path that means nothing in DOS.
std::string DosArguments(const std::vector<std::string>& words);

// The work directory that the words name in their first "/TEMP=", or empty.
std::string WorkDirectoryIn(const std::vector<std::string>& words);

// Why the run cannot start as composed, in a sentence for the user, or
// nothing when it can.
std::optional<std::string> DosRunProblem(const DosRun& run);

// The configuration for the run: no sound, no joystick or serial ports,
// cycles that leave the processor alone while the host waits for a key.
// userConfiguration (a dosbox.conf kept in the host's directory) follows,
// so that its settings win; its [autoexec] section is left out, because
// the start is this run's own.
std::string DosboxConfiguration(const std::string& userConfiguration);

// The emulator's arguments after its own name. The final "exit" ends the
// emulator when the host ends.
std::vector<std::string> DosboxArguments(const DosRun& run, const std::string& configurationPath);

}  // namespace rizarode
