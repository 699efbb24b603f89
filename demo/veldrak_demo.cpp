// A stand-in for the genealogy host application, for demonstrations and end
// to end tests. It behaves as the host does towards the print utility:
//
//   VELDRAK.EXE /WIN=<print file name> /TEMP=<work directory> [more...]
//
// It opens a window titled "VELDRAK" (or, without a display, runs as a
// process of that name), reads the driver file RIZARODE.TMP from the work
// directory, writes a descendants report into the print file, keeping the
// file open for writing while it writes, waits until the print utility has
// taken the file, writes a shorter second job, waits again and ends.
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

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver_choice.h"
#include "genealogy_report.h"
#include "host_window.h"

namespace veldrak {
namespace {

struct Pace {
  double startDelay = 2;
  double writeSeconds = 4;
  double gap = 2;
  double endDelay = 2;
  double consumeTimeout = 120;
};

double Seconds(const char* variable, double fallback) {
  const char* value = std::getenv(variable);
  if (!value || !*value) return fallback;
  char* end = nullptr;
  double seconds = std::strtod(value, &end);
  return end != value && seconds >= 0 ? seconds : fallback;
}

Pace PaceFromEnvironment() {
  Pace pace;
  pace.startDelay = Seconds("VELDRAK_DEMO_START_DELAY", pace.startDelay);
  pace.writeSeconds = Seconds("VELDRAK_DEMO_WRITE_SECONDS", pace.writeSeconds);
  pace.gap = Seconds("VELDRAK_DEMO_GAP", pace.gap);
  pace.endDelay = Seconds("VELDRAK_DEMO_END_DELAY", pace.endDelay);
  pace.consumeTimeout = Seconds("VELDRAK_DEMO_CONSUME_TIMEOUT", pace.consumeTimeout);
  return pace;
}

// The value of the first argument that starts with option (any case).
bool OptionValue(int argc, char** argv, const std::string& option, std::string& value) {
  for (int i = 1; i < argc; ++i) {
    if (::strncasecmp(argv[i], option.c_str(), option.size()) == 0) {
      value = argv[i] + option.size();
      return true;
    }
  }
  return false;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// Writes the job line by line over the writing time, the file open for
// writing all along: the print utility must wait until it is closed.
bool WriteJob(HostWindow& window, const std::string& path, const std::vector<std::string>& lines,
              double writeSeconds) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    std::perror(path.c_str());
    return false;
  }
  const double pause = lines.empty() ? 0 : writeSeconds / static_cast<double>(lines.size());
  bool ok = true;
  for (const std::string& line : lines) {
    std::string bytes = line + "\r\n";
    if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
      std::perror(path.c_str());
      ok = false;
      break;
    }
    if (!window.Wait(pause)) break;
  }
  if (::close(fd) != 0) ok = false;
  return ok;
}

// The print utility prints the file and deletes it; only then may the next
// job take the name.
bool AwaitTaken(HostWindow& window, const std::string& path, double timeout) {
  auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
  while (Exists(path)) {
    if (std::chrono::steady_clock::now() >= end) {
      std::fprintf(stderr, "VELDRAK demo: %s was not printed within %g seconds\n", path.c_str(),
                   timeout);
      return false;
    }
    if (!window.Wait(0.1)) return true;
  }
  return true;
}

int Run(int argc, char** argv) {
  std::string printFileName, workDirectory;
  if (!OptionValue(argc, argv, "/WIN=", printFileName) || printFileName.empty() ||
      !OptionValue(argc, argv, "/TEMP=", workDirectory)) {
    std::fprintf(stderr, "usage: VELDRAK.EXE /WIN=<print file> /TEMP=<work directory>\n");
    return 2;
  }
  const Pace pace = PaceFromEnvironment();
  const std::string printFile = workDirectory + printFileName;

  auto window = HostWindow::Open("VELDRAK");
  window->SetActivity("Reading the printer description");
  const DriverChoice choice = ReadDriverChoice(workDirectory + "RIZARODE.TMP");
  const char* reference = std::getenv("VELDRAK_DEMO_REFERENCE");
  if (!window->Wait(pace.startDelay)) return 0;

  struct Job {
    const char* activity;
    std::vector<std::string> lines;
  };
  const Job jobs[] = {
      {"Printing the descendants report", DescendantsReport(choice, reference ? reference : "")},
      {"Printing a family group sheet", FamilyGroupSheet(choice, reference ? reference : "")},
  };
  bool first = true;
  for (const Job& job : jobs) {
    if (!first && !window->Wait(pace.gap)) return 0;
    first = false;
    window->SetActivity(job.activity);
    if (!WriteJob(*window, printFile, job.lines, pace.writeSeconds)) return 1;
    if (!window->Pump()) return 0;
    window->SetActivity("Waiting for the printer");
    if (!AwaitTaken(*window, printFile, pace.consumeTimeout)) return 1;
    if (!window->Pump()) return 0;
  }
  window->SetActivity("Done");
  window->Wait(pace.endDelay);
  return 0;
}

}  // namespace
}  // namespace veldrak

int main(int argc, char** argv) { return veldrak::Run(argc, argv); }
