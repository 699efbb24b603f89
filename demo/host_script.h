#pragma once
// What the demo host does towards the print utility, the same on every
// system: it reads the driver file from the work directory, writes a
// descendants report into the print file, keeping the file open for writing
// while it writes, waits until the print utility has taken the file, writes
// a shorter second job, waits again and ends.
//
//   VELDRAK.EXE /WIN=<print file name> /TEMP=<work directory> [more...]
//
// Its pace comes from the environment (seconds, fractions allowed):
//   VELDRAK_DEMO_START_DELAY     before the first job (default 2)
//   VELDRAK_DEMO_WRITE_SECONDS   how long writing one job takes (default 4)
//   VELDRAK_DEMO_GAP             between the jobs (default 2)
//   VELDRAK_DEMO_END_DELAY       after the last job, before ending (default 2)
//   VELDRAK_DEMO_CONSUME_TIMEOUT longest wait for a job to be taken (default 120)
// and VELDRAK_DEMO_REFERENCE, when set, is printed at the top of each job so
// that a test can tell its own printouts from others in a shared directory.
//
// Exit status: 0 done (or the window was closed), 1 a job could not be
// written or was not taken in time, 2 a wrong command line.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace veldrak {

// What the host needs of the system it runs on.
class HostSystem {
 public:
  virtual ~HostSystem() = default;
  // Shows what the host is doing (in its window, if there is one).
  virtual void SetActivity(const std::string& text) = 0;
  // Handles pending window events; false once the user has closed the window.
  virtual bool Pump() = 0;
  // Waits, handling window events; false when the window was closed.
  virtual bool Wait(double seconds) = 0;
  // Writes the lines into path, each ended by CR LF, over writeSeconds, with
  // the file open for writing all along.
  virtual bool WriteJob(const std::string& path, const std::vector<std::string>& lines,
                        double writeSeconds) = 0;
  virtual bool Exists(const std::string& path) = 0;
};

// Runs the host; open shows its window once the command line is known to be
// right. Returns the exit status.
int RunHost(int argc, char** argv, const std::function<std::unique_ptr<HostSystem>()>& open);

}  // namespace veldrak
