#pragma once
// The message box that nobody waits for, on Linux: this program's own
// executable in a session of its own, so that neither the end of this
// program nor the hangup of its terminal or host waits for the box or
// reaches it. The host's launcher is not used: the children it started are
// hung up when the session ends.

#include <optional>

#include "platform/detached_box.h"

namespace rizarode {

// The box this start was made for, if any. The variables leave this
// process's environment, so that nothing it starts shows the box again.
std::optional<DetachedBox> TakeDetachedBoxRequest();

// False when the process could not be started.
bool StartDetachedBox(const DetachedBox& box);

// The start that shows the box: on the display when one opens, else on
// standard error. Touches nothing else. Answers the exit code.
int RunDetachedBox(const DetachedBox& box);

}  // namespace rizarode
