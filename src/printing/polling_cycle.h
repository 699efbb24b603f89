#pragma once
// One tick of the polling cycle: watch the host window, print each finished
// print file, keep the status line up to date.

namespace rizarode {

class Program;

void RunPollingTick(Program& program);

// The session ends (or the program is told to end): complete jobs still go
// out, and what stays is told without waiting for the user.
void EndRunForSession(Program& program);

}  // namespace rizarode
