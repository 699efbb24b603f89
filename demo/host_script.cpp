#include "host_script.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "driver_choice.h"
#include "genealogy_report.h"

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

bool StartsWithNoCase(const char* text, const std::string& prefix) {
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (text[i] == '\0') return false;
    if (std::toupper(static_cast<unsigned char>(text[i])) !=
        std::toupper(static_cast<unsigned char>(prefix[i]))) {
      return false;
    }
  }
  return true;
}

// The value of the first argument that starts with option (any case).
bool OptionValue(int argc, char** argv, const std::string& option, std::string& value) {
  for (int i = 1; i < argc; ++i) {
    if (StartsWithNoCase(argv[i], option)) {
      value = argv[i] + option.size();
      return true;
    }
  }
  return false;
}

// The print utility prints the file and deletes it; only then may the next
// job take the name.
bool AwaitTaken(HostSystem& host, const std::string& path, double timeout) {
  auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
  while (host.Exists(path)) {
    if (std::chrono::steady_clock::now() >= end) {
      std::fprintf(stderr, "VELDRAK demo: %s was not printed within %g seconds\n", path.c_str(),
                   timeout);
      return false;
    }
    if (!host.Wait(0.1)) return true;
  }
  return true;
}

}  // namespace

int RunHost(int argc, char** argv, const std::function<std::unique_ptr<HostSystem>()>& open) {
  std::string printFileName, workDirectory;
  if (!OptionValue(argc, argv, "/WIN=", printFileName) || printFileName.empty() ||
      !OptionValue(argc, argv, "/TEMP=", workDirectory)) {
    std::fprintf(stderr, "usage: VELDRAK.EXE /WIN=<print file> /TEMP=<work directory>\n");
    return 2;
  }
  const Pace pace = PaceFromEnvironment();
  const std::string printFile = workDirectory + printFileName;

  std::unique_ptr<HostSystem> host = open();
  host->SetActivity("Reading the printer description");
  const DriverChoice choice = ReadDriverChoice(workDirectory + "RIZARODE.TMP");
  const char* reference = std::getenv("VELDRAK_DEMO_REFERENCE");
  if (!host->Wait(pace.startDelay)) return 0;

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
    if (!first && !host->Wait(pace.gap)) return 0;
    first = false;
    host->SetActivity(job.activity);
    if (!host->WriteJob(printFile, job.lines, pace.writeSeconds)) return 1;
    if (!host->Pump()) return 0;
    host->SetActivity("Waiting for the printer");
    if (!AwaitTaken(*host, printFile, pace.consumeTimeout)) return 1;
    if (!host->Pump()) return 0;
  }
  host->SetActivity("Done");
  host->Wait(pace.endDelay);
  return 0;
}

}  // namespace veldrak
