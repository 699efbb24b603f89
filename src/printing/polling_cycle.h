#pragma once
// One tick of the polling cycle: watch the host window, print each finished
// print file, keep the status line up to date.

namespace rizarode {

class Program;

void RunPollingTick(Program& program);

}  // namespace rizarode
