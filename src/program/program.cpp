#include "program/program.h"

#include "program/run_lock.h"

namespace rizarode {

Program::Program(Platform& p, Printer& pr)
    : platform(p), printer(pr), files(p.files) {}

// However the run ends, its lock goes with it; only a killed run leaves the
// lock file behind, unheld.
Program::~Program() {
  if (state.keepRunLockFile) {
    if (state.runLock) state.runLock->Close();
    return;
  }
  ReleaseRunLock(platform.files, state.runLock, state.runLockPath);
}

}  // namespace rizarode
