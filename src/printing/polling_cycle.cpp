#include "printing/polling_cycle.h"

#include "printing/status_window.h"
#include "startup/program.h"

namespace rizarode {

// Until the polling cycle lands: end when the host window is gone.
void RunPollingTick(Program& program) {
  FrmAbout& window = program.StatusWindow();
  window.TickCounter() += window.View().TimerInterval() / 1000;
  WindowList& windows = program.platform.windows;
  WindowHandle h = windows.First();
  while (h != 0 && h != program.state.hostWindow) h = windows.Next(h);
  if (h == 0) EndProgram(ExitCode::kNormal);
}

}  // namespace rizarode
