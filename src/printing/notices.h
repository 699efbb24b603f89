#pragma once
// Notices that tell the user where print jobs went: printed, saved as PDF,
// refused and saved, kept for the next start. Documents that go out within
// a few seconds of each other make one notice, not one each.

#include <cstdint>
#include <vector>

#include "printer/printer.h"

namespace rizarode {

class Program;

// Documents that went out at tick, for the next notice.
void NoteDeliveries(Program& program, const std::vector<Delivery>& deliveries, int32_t tick);

// At each tick: the notice goes once no document went out for a few ticks,
// or once its first has waited long enough.
void SendDueNotice(Program& program, int32_t tick);

// The run ends: what is untold goes now, with the jobs that it keeps.
void SendLastNotice(Program& program, int kept);

}  // namespace rizarode
