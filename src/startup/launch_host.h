#pragma once
// Starting the host application and recognising its window.

#include <string>
#include <vector>

#include "platform/window_list.h"
#include "program/module_state.h"

namespace rizarode {

class Program;

// The host program file in the current directory: "VELDRAK.PIF" where
// there is one (in any case), else "VELDRAK.EXE".
std::string HostFileName(Program& program);

// Starts the host application and waits up to 5 seconds for its window;
// sets the host window, or shows the start-failure message and ends.
void LaunchHost(Program& program, const std::string& argumentText,
                const std::string& printFileName);

// Fills both arrays with every top-level window from index 1 on.
void SnapshotWindows(WindowList& windows, std::vector<std::string>& titles,
                     std::vector<WindowHandle>& handles);

// The host window among the windows new since the snapshot before, or 0.
WindowHandle FindHostWindow(const std::vector<WindowHandle>& handlesBefore,
                            const std::vector<std::string>& titlesAfter,
                            const std::vector<WindowHandle>& handlesAfter);

// The host window when the launcher knows the process it started: the first
// new window with a title that the process shows. A window of another
// program (the host of a second instance, say) is never taken; a shown
// window whose process the system does not tell is judged by
// FindHostWindow.
WindowHandle FindHostWindowOf(WindowList& windows, ProcessId process,
                              const WindowSnapshot& before, const WindowSnapshot& after);

}  // namespace rizarode
