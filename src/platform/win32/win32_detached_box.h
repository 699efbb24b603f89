#pragma once
// The message box that nobody waits for, on Windows: this program's own
// executable started again and let go at once (no handle kept, no wait), so
// that the end of the session (WM_ENDSESSION) and the program's own end
// never wait for the box; a box the session closes costs nothing.

#include "platform/detached_box.h"

namespace rizarode {

// False when the process could not be started.
bool StartDetachedBox(const DetachedBox& box);

// The start that shows the box; touches nothing else. Answers the exit code.
int RunDetachedBox(const DetachedBox& box);

}  // namespace rizarode
