#pragma once
// Starting the host program: the command line is split at blanks into the
// program file and its arguments and handed to posix_spawn; no shell ever
// sees it, so nothing in a file name or argument is interpreted. A DOS
// program, or a PIF that describes one, runs under DOSBox.

#include <sys/types.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "dos_host/dosbox_run.h"
#include "platform/process_launcher.h"

namespace rizarode {

// The program file a command names. A bare name is looked up in the current
// directory without regard to case, as the host's DOS world names its files;
// a name with a directory part is taken as it is.
std::optional<std::string> FindProgramFile(const std::string& name);

class PosixLauncher : public ProcessLauncher {
 public:
  // A program file of this system (a binary, a "#!" script) is executed
  // directly, whatever its extension. A DOS program (told by its contents)
  // and a ".PIF" that is no native program start under DOSBox.
  bool Start(const std::string& commandLine) override;
  std::string FailureReason() const override { return failure_; }
  StartFailure FailureKind() const override { return failureKind_; }
  ProcessId StartedProcess() const override { return static_cast<ProcessId>(started_); }
  // A DOS host runs under DOSBox, which gives it the work directory as D:.
  bool RunsDosHostItself(const std::string&) const override { return false; }
  bool EmulatorRunning() override;
  void HandDownToHost(const FileHandle& file) override;

  // Without a display, DOSBox is given SDL's dummy drivers.
  void UseDummyDisplay(bool dummy) { dummyDisplay_ = dummy; }

  // Tells where the emulator's window is to fit, asked at each start on a
  // display.
  void MeasureScreenWith(std::function<ScreenRoom()> measure) { measure_ = std::move(measure); }

  // The title that a child of this launcher shows in place of its process
  // name: the DOS program's for the emulator that runs one, since the
  // emulator's own name says nothing about the host. Nothing for others.
  std::optional<std::string> TitleOf(pid_t pid) const;

  // Sends SIGHUP to the process group of every child still running: each
  // has a group of its own, which a hangup of the terminal does not reach.
  void HangUpChildren();

  // Collects the exit status of every child that has ended, so that an ended
  // host does not linger as a zombie. Never blocks.
  void ReapEndedChildren();

 private:
  bool StartNative(const std::string& program, const std::vector<std::string>& words);
  bool StartDos(const std::string& program, const std::vector<std::string>& words);
  bool RunUnderDosbox(const DosRun& run, const std::string& title);
  bool Fail(StartFailure kind, std::string reason);

  std::vector<pid_t> children_;
  pid_t started_ = 0;
  pid_t emulator_ = 0;  // the started process, when it is an emulator
  std::function<ScreenRoom()> measure_;
  std::map<pid_t, std::string> titles_;
  std::string failure_;
  StartFailure failureKind_ = StartFailure::kNotStarted;
  bool dummyDisplay_ = false;
  int handedDown_ = -1;
};

}  // namespace rizarode
