#pragma once
// The program's lasting state: set by start-up, read by every later step.
// This is the only global state the program has, and it is not global: one
// ModuleState lives inside the Program and is handed to whoever reads it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "printer/printer.h"
#include "platform/window_list.h"

namespace rizarode {

// Debug flag bits of the "/WDEBUG=" word.
inline constexpr int16_t kDebugInfo = 1;
inline constexpr int16_t kDebugOnlyA4 = 2;
inline constexpr int16_t kDebugCustomForms = 4;
inline constexpr int16_t kDebugOneJob = 8;
inline constexpr int16_t kDebugCourierNew = 16;

// The version text that the status window and the driver file carry.
inline constexpr char kVersionText[] = "3.0b";
inline constexpr char kProductName[] = "VELDRAK";
inline constexpr char kDriverFileName[] = "RIZARODE.TMP";

// A list of top-level windows; index 0 is never filled.
struct WindowSnapshot {
  std::vector<std::string> titles{std::string()};
  std::vector<WindowHandle> handles{0};
};

// A print job that the program has taken over from the host: its file has
// left the print file's name for a name of the program's own, so the host
// may write its next job meanwhile.
struct PrintJob {
  std::string path;
  // It went out; only its file could not be deleted yet.
  bool printed = false;
  // It did not go out: the status that says so, the reason in the
  // system's words, and the tick before which it is not tried again.
  std::string failure;
  std::string why;
  int32_t retryTick = 0;
  // Documents of the file that went out, in an attempt that failed or in
  // one whose last document is still open: not again.
  int documentsDone = 0;
  // Printed, but its last document has not ended yet: its file stays until
  // that document has gone out, and is printed again if it fails.
  bool inOpenDocument = false;
  // Printed only when the interpreter reaches its "#JOBend#": a file the
  // host finished only by ending, or one an earlier run left behind.
  bool mustReachJobEnd = false;
  // Its going out is written down in the run's lock file.
  bool recordedAsGone = false;
};

struct ModuleState {
  int16_t debugFlags = 0;
  // Ends with the path separator, or is empty when no directory was usable.
  std::string workDirectory;
  // The user's own candidates whose files end with the session, when the
  // work directory outlives it: jobs an earlier run kept there are brought
  // into the work directory. Each ends with the separator.
  std::vector<std::string> shortLivedDirectories;
  // "NL", "D", "GB", "F" or "ORV"; empty until the language is detected.
  std::string languageCode;
  std::string fontFaceName;
  std::string printFilePath;
  // This run put the driver file in place; only then may it take it away
  // again, as another run's host may be reading a file that was there.
  bool driverFileWritten = false;
  // Why a new driver file could not be written (8-bit text); empty when it
  // could, or none was needed.
  std::string driverFileFailure;
  WindowHandle hostWindow = 0;
  WindowSnapshot windowsBefore;
  WindowSnapshot windowsAfter;
  // Tick of the last print, 0 when none lies within the refocus period.
  int32_t lastPrintTick = 0;
  // Jobs taken over and not yet gone, oldest first; they print in order.
  std::vector<PrintJob> printJobs;
  int32_t printJobsTaken = 0;
  // The user has been told once, in a message, that a job was saved
  // instead of printed.
  bool toldOfSavedJob = false;
  // ... and that a file cut short was kept instead of printed.
  bool toldOfCutJob = false;
  // Where documents went that no notice has told yet, and the ticks at
  // which the first and the last of them went.
  std::vector<Delivery> untoldDeliveries;
  int32_t firstUntoldTick = 0;
  int32_t lastUntoldTick = 0;
  // The session ends: nothing may wait for the user any more.
  bool sessionEnding = false;
  // The queue of jobs is being worked through.
  bool printingJobs = false;
  // This run's lock (see program/run_lock.h), held from the naming of the
  // print file to the end.
  std::unique_ptr<FileHandle> runLock;
  std::string runLockPath;
  // The user's lock on the host directory (see startup/one_host.h), held
  // from the start until the host has ended: one host per directory.
  std::unique_ptr<FileHandle> hostDirectoryLock;
  // A printed file stays that could neither be deleted nor set aside: the
  // lock file, which says so, stays with it for the next start.
  bool keepRunLockFile = false;

  bool Debug(int16_t bit) const { return (debugFlags & bit) != 0; }
  std::string DriverFilePath() const { return workDirectory + kDriverFileName; }
};

}  // namespace rizarode
