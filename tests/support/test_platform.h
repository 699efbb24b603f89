#pragma once
// The whole platform as test doubles, with real files (the tests work in
// temporary directories), and a Program running on it.

#include <memory>

#include "platform/platform.h"
#include "program/program.h"
#include "support/event_log.h"
#include "support/fake_desktop.h"
#include "support/fakes.h"
#include "support/memory_registry.h"
#include "support/native_file_system.h"
#include "support/recording_printer.h"

namespace rizarode::testing {

// The real files, but no place for the user's running copies to leave word
// for each other: a test's run is no run of the user's, and must neither
// leave locks in the user's directories nor wait for another test's run.
class TestFileSystem : public NativeFileSystem {
 public:
  std::string InstanceDirectory() override { return instanceDirectory; }
  std::string instanceDirectory;
};

struct TestPlatform {
  EventLog log;
  FakeDesktop desktop{log};
  ScriptedWindowList windows{log};
  RecordingLauncher launcher{log};
  TestFileSystem files;
  MemoryRegistry registry;
  FakeFontSystem fonts{log};
  FakeClock clock;
  FixedRandom random{log};
  FixedProgramInfo info;
  RecordingPrinter printer{&log};
  RecordingNotifier notifier;
  Platform platform{desktop, windows, launcher, files, registry,
                    fonts,   clock,   random,   info,  notifier};

  // A program on this platform; made fresh by each call.
  std::unique_ptr<Program> NewProgram() { return std::make_unique<Program>(platform, printer); }
};

// Runs f and returns the code with which it ended the program, or -1 when it
// returned normally.
template <typename F>
int EndCodeOf(F&& f) {
  try {
    f();
  } catch (const ProgramEnded& end) {
    return static_cast<int>(end.code);
  }
  return -1;
}

}  // namespace rizarode::testing
