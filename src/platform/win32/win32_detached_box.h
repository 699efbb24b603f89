#pragma once
// The message box that nobody waits for, on Windows: this program's own
// executable started again and let go at once (no handle kept, no wait), so
// that the end of the session (WM_ENDSESSION) and the program's own end
// never wait for the box; a box the session closes costs nothing.

#include <optional>

#include "platform/detached_box.h"

namespace rizarode {

// The box this start was made for, if any. The variables leave this
// process's environment, so that nothing it starts shows the box again.
std::optional<DetachedBox> TakeDetachedBoxRequest();

// False when the process could not be started.
bool StartDetachedBox(const DetachedBox& box);

// The start that shows the box; touches nothing else. Answers the exit code.
int RunDetachedBox(const DetachedBox& box);

}  // namespace rizarode
