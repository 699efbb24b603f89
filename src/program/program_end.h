#pragma once
// Ending the program: at once, with no later step.
//
// EndProgram throws ProgramEnded, which nothing but the entry point (and the
// event loop, which carries it out) catches. So whatever step ends the
// program, no later step of it runs, and tests can observe the end and its
// code without the test process ending.

namespace rizarode {

// How a run ended; the process exit code.
enum class ExitCode : int {
  kNormal = 0,           // the host application ended, or the help was shown
  kUnexpected = 1,       // a failure no step foresaw
  kBadCommandLine = 2,   // a "/WDEBUG=" value out of range
  kNoWorkDirectory = 3,  // the "/TEMP=" directory fails the write test
  kNoPrinter = 4,        // the printer does not take the font
  kRestartNeeded = 5,    // fonts installed, the system must restart
  kDriverRefused = 6,    // the driver file lists no form or no pitch
  kHostNotStarted = 7,   // no host window appeared
  kSessionEnded = 8,     // shutdown or log-off closed the status window
  kAlreadyRunning = 9,   // a run of the user's is active in this host directory
};

struct ProgramEnded {
  ExitCode code;
};

[[noreturn]] inline void EndProgram(ExitCode code) { throw ProgramEnded{code}; }

}  // namespace rizarode
