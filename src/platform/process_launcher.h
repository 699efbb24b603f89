#pragma once

#include <cstdint>
#include <string>

namespace rizarode {

class FileHandle;

// A process of the system; 0 is none, or one that is not known.
using ProcessId = uint32_t;

// Why a start failed, as far as the message the user sees depends on it.
enum class StartFailure {
  kNotStarted,     // the program could not be started
  kNoDosEmulator,  // a DOS program, on a system that needs an emulator for it and has none
};

// Where this system's DOS emulator comes from, which the message about a
// missing one tells the user.
enum class EmulatorSource {
  kSystemPackage,  // the system's own package of DOSBox
  kOwnInstaller,   // the DOSBox that the program's installer brings
};

class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  // Starts a program from a command line (program name first, arguments
  // separated by blanks, no shell) with a normal, activated window. Does not
  // wait for it. Returns false when the program could not be started at all.
  virtual bool Start(const std::string& commandLine) = 0;
  // Why the last Start failed, in a sentence for the user (8-bit text), or
  // empty when the start-failure message says enough.
  // For kNoDosEmulator: where the emulator was looked for, one place a line
  // ("\r" between them).
  virtual std::string FailureReason() const { return {}; }
  virtual StartFailure FailureKind() const { return StartFailure::kNotStarted; }
  virtual EmulatorSource DosEmulatorSource() const { return EmulatorSource::kSystemPackage; }
  // The process that the last successful Start began, whose window is the
  // host's; 0 when the start went through something that does not tell (a
  // program information file opened by the shell).
  virtual ProcessId StartedProcess() const { return 0; }
  // Whether Start would run the host program file as a DOS program of the
  // system's own, which takes the work directory on a DOS command line
  // (short directories only). An emulator gives a DOS host the work
  // directory as a drive of its own, and a program of this system takes
  // any. Asked before the start, when the work directory is chosen.
  virtual bool RunsDosHostItself(const std::string& hostFile) const {
    (void)hostFile;
    return true;
  }
  // Whether the last successful Start began an emulator for a DOS host
  // (StartedProcess) that still runs. The emulator ends with the host, so
  // the host runs as long as it does, whatever becomes of its windows: SDL
  // replaces the first one for some outputs (OpenGL), and a slow start opens
  // it late. False for any other start.
  virtual bool EmulatorRunning() { return false; }
  // Every later Start hands the host (the program, or the emulator that
  // runs it) a copy of this open file, which it holds without knowing of it
  // until it ends, whatever becomes of this program; nothing else of this
  // program's reaches it. The file stays open here until no Start is to
  // come. Where a start cannot hand it down (through the shell), it does
  // not.
  virtual void HandDownToHost(const FileHandle& file) { (void)file; }
};

}  // namespace rizarode
