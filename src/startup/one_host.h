#pragma once
// One host per host directory and user. Two copies of the host on one set
// of data files would damage them: the host locks none of its files. A
// start takes the user's lock on the host directory it runs in; while
// another run of the user's holds it, the start brings that run's host
// window to the front, says so and ends. The host holds the lock as well,
// so it lasts as long as the run or its host lives, and goes with the last
// of them however it ends: a run killed while its host lives on still
// keeps a second host away, and one whose host is gone too blocks no later
// start.

namespace rizarode {

class Program;

// Takes the lock, or ends the program (ExitCode::kAlreadyRunning) when
// another run holds it. A start that came at the same moment as another
// waits, a while, for that run's host window. Where the system has no
// place or no lock for it, the start goes on unguarded.
void KeepToOneHost(Program& program);

// Leaves the host window, once found, and the host's process where a later
// start reads them.
void RecordHostWindow(Program& program);

}  // namespace rizarode
