#pragma once
// Everything the program asks of the operating system, gathered so that the
// real machine and the test doubles can be handed over as one.

#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/file_system.h"
#include "platform/font_system.h"
#include "platform/notifier.h"
#include "platform/process_launcher.h"
#include "platform/program_info.h"
#include "platform/registry_store.h"
#include "platform/window_list.h"

namespace rizarode {

struct Platform {
  Desktop& desktop;
  WindowList& windows;
  ProcessLauncher& launcher;
  FileSystem& files;
  RegistryStore& registry;
  FontSystem& fonts;
  Clock& clock;
  RandomSource& random;
  ProgramInfo& info;
  Notifier& notifier = SilentNotifier::Instance();
};

}  // namespace rizarode
