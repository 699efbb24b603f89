#include "startup/launch_host.h"

#include "printing/status_window.h"
#include "startup/program.h"

namespace rizarode {

// Until window tracking lands: start the host and take the first window.
void LaunchHost(Program& program, const std::string& argumentText,
                const std::string& printFileName) {
  const std::string hostFile = "VELDRAK.EXE";
  ShowStatus(program, "Starting " + hostFile, "", 1);
  program.platform.launcher.Start(hostFile + " /WIN=" + printFileName +
                                  " /TEMP=" + program.state.workDirectory +
                                  " " + argumentText);
  program.state.hostWindow = program.platform.windows.First();
}

void SnapshotWindows(WindowList& windows, std::vector<std::string>& titles,
                     std::vector<WindowHandle>& handles) {
  (void)windows;
  titles.assign(1, std::string());
  handles.assign(1, 0);
}

WindowHandle FindHostWindow(const std::vector<std::string>&,
                            const std::vector<WindowHandle>&,
                            const std::vector<std::string>&,
                            const std::vector<WindowHandle>&) {
  return 0;
}

}  // namespace rizarode
