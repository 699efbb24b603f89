#pragma once
// Notices on Linux: the session's notification service over D-Bus
// (org.freedesktop.Notifications), called by a process of the program's
// own in a session of its own, which also waits for the notice's action
// and opens its document in the desktop's viewer after the run has ended.
// The run itself never talks to the bus, so a bus or a service that does
// not answer costs it nothing; without a session bus no process starts.

#include <optional>
#include <string>

#include "platform/notifier.h"

namespace rizarode {

class BusNotifier : public Notifier {
 public:
  void Show(const Notice& notice) override;
};

// The notice this start was made for, if any; its variables leave the
// environment, so that nothing this process starts sees them.
std::optional<Notice> TakeNoticeRequest();

// The start that shows the notice and waits (bounded) for its action.
// Answers the exit code.
int RunNotice(const Notice& notice);

}  // namespace rizarode
