#pragma once
// Print files that earlier runs left in the work directory: the jobs they
// had taken and not printed, and a finished one they never took. A run
// that is over (its lock can be taken) hands them to this run, which prints
// them before its own.

namespace rizarode {

class Program;

// Takes every print file of runs that are over into this run's queue,
// oldest run first and each run's files in their order, and clears the
// lock files those runs left. A file the host of such a run still writes
// (the host outlived its program) waits for a later call.
void AdoptLeftoverJobs(Program& program);

}  // namespace rizarode
