#pragma once
// Starting the host program: an .EXE through CreateProcessA, a .PIF (which
// only the shell knows how to run) through ShellExecuteExA. Both with a
// normal, activated window; no handle to the new process is kept. A DOS
// host (told by its contents), or a PIF, on a Windows that cannot run DOS
// programs (every 64-bit one) runs in DOSBox for Windows instead.

#include <string>
#include <vector>

#include "platform/process_launcher.h"

namespace rizarode {

// The program file a command line names (its first word) and the rest.
struct CommandParts {
  std::string program;
  std::string arguments;
};

class Win32Launcher : public ProcessLauncher {
 public:
  bool Start(const std::string& commandLine) override;
  std::string FailureReason() const override { return failure_; }
  StartFailure FailureKind() const override { return failureKind_; }
  ProcessId StartedProcess() const override { return started_; }
  EmulatorSource DosEmulatorSource() const override { return EmulatorSource::kOwnInstaller; }
  // Only 32-bit Windows starts a DOS host itself; elsewhere it runs in
  // DOSBox, which gives it the work directory as D:.
  bool RunsDosHostItself(const std::string& hostFile) const override;
  bool EmulatorRunning() override;
  // Not through the shell (a PIF on a Windows that runs DOS programs).
  void HandDownToHost(const FileHandle& file) override;

  Win32Launcher() = default;
  ~Win32Launcher() override;
  Win32Launcher(const Win32Launcher&) = delete;
  Win32Launcher& operator=(const Win32Launcher&) = delete;

 private:
  bool StartProgram(const CommandParts& parts, const std::string& commandLine);
  bool StartDos(const std::string& programFile, const std::string& commandLine);
  bool Fail(StartFailure kind, std::string reason);

  void ForgetEmulator();

  ProcessId started_ = 0;
  void* emulator_ = nullptr;  // the handle of the emulator started, if one was
  void* handedDown_ = nullptr;
  std::string failure_;
  StartFailure failureKind_ = StartFailure::kNotStarted;
};

}  // namespace rizarode
